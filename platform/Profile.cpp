#include "platform/Profile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileUpdates.h"
#include "platform/Files.h"

namespace platform {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin]))
    ++begin;
  while (end > begin && IsBlank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const std::string& a, const char* b) {
  const size_t length = strlen(b);
  if (a.size() != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// One line of the file as it was read, its line end apart, and what it means.
struct Line {
  enum Kind { kOther, kSection, kKey };
  std::string text;
  std::string ending;  // "\n", "\r\n", a lone "\r", or nothing for an unterminated last line
  Kind kind = kOther;
  std::string name;  // section name or key name, trimmed
};

// The parsed file. Lines keep their exact text so that a write changes only what it must.
struct IniFile {
  std::vector<Line> lines;
  std::string newLine = "\n";  // the file's own line end, given to the lines a write adds

  // Index of the first line of the first section with that name, or -1.
  int FindSection(const char* section) const {
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].kind == Line::kSection && SameName(lines[i].name, section)) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

  // One past the last line belonging to the section whose header is at index header.
  size_t SectionEnd(int header) const {
    size_t i = static_cast<size_t>(header) + 1;
    while (i < lines.size() && lines[i].kind != Line::kSection)
      ++i;
    return i;
  }

  int FindKey(int header, const char* key) const {
    const size_t end = SectionEnd(header);
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
      if (lines[i].kind == Line::kKey && SameName(lines[i].name, key)) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
};

Line ParseLine(std::string text) {
  Line line;
  line.text = std::move(text);
  const std::string content = Trim(line.text);
  if (content.empty() || content[0] == ';') return line;
  if (content[0] == '[') {
    // The name runs to the last ']'; a header without one takes the rest of the line.
    const size_t close = content.rfind(']');
    const size_t length = close == std::string::npos ? std::string::npos : close - 1;
    line.kind = Line::kSection;
    line.name = Trim(content.substr(1, length));
    return line;
  }
  const size_t equals = content.find('=');
  if (equals == std::string::npos) return line;
  line.kind = Line::kKey;
  line.name = Trim(content.substr(0, equals));
  return line;
}

// Lines end at "\r\n", "\n" or a lone "\r", as Windows reads them: files from old editors end
// their lines in CR alone, and would otherwise read as one long line.
IniFile Parse(const std::vector<uint8_t>& bytes) {
  IniFile file;
  const char* data = reinterpret_cast<const char*>(bytes.data());
  size_t counts[3] = {};  // "\n", "\r\n", "\r"
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
      ++end;
    size_t next = end;
    if (end < bytes.size()) {
      const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
      next = end + (crlf ? 2 : 1);
      ++counts[crlf ? 1 : (bytes[end] == '\n' ? 0 : 2)];
    }
    Line line = ParseLine(std::string(data + start, end - start));
    line.ending.assign(data + end, next - end);
    file.lines.push_back(std::move(line));
    start = next;
  }
  // New lines take the line end most of the file uses, so a stray CR inside a value of an
  // LF file does not decide it.
  if (counts[1] > counts[0] && counts[1] >= counts[2]) {
    file.newLine = "\r\n";
  } else if (counts[2] > counts[0] && counts[2] > counts[1]) {
    file.newLine = "\r";
  }
  return file;
}

// The value of a key line: after the first '=', up to any NUL, trimmed, without a pair of
// matching enclosing quotes.
std::string ValueOf(const Line& line) {
  std::string value = line.text.substr(line.text.find('=') + 1);
  const size_t nul = value.find('\0');
  if (nul != std::string::npos) value.resize(nul);
  value = Trim(value);
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The file as this program will leave it: a value written while another copy held the file, or
// while it could not be read, reads as written.
bool Load(const char* path, IniFile& file) {
  std::vector<uint8_t> bytes;
  if (!TheFileUpdates().Read(path, bytes)) return false;
  file = Parse(bytes);
  return true;
}

std::vector<uint8_t> Serialise(const IniFile& file) {
  std::vector<uint8_t> out;
  for (const Line& line : file.lines) {
    out.insert(out.end(), line.text.begin(), line.text.end());
    out.insert(out.end(), line.ending.begin(), line.ending.end());
  }
  return out;
}

Line MakeLine(const IniFile& file, std::string text) {
  Line line = ParseLine(std::move(text));
  line.ending = file.newLine;
  return line;
}

// Gives the last line its line end before anything is added after it.
void TerminateLast(IniFile& file) {
  if (!file.lines.empty() && file.lines.back().ending.empty()) {
    file.lines.back().ending = file.newLine;
  }
}

// Removes lines [begin, end); the lines left keep the line ends they always had.
void EraseLines(IniFile& file, size_t begin, size_t end) {
  file.lines.erase(file.lines.begin() + static_cast<long>(begin),
                   file.lines.begin() + static_cast<long>(end));
}

bool HasLineBreak(const char* text) {
  return strpbrk(text, "\r\n") != nullptr;
}

// Sets key = value in section (a null value removes the key, a null key the section). False when
// the file stays as it was.
bool Change(IniFile& file, const char* section, const char* key, const char* value) {
  const int header = file.FindSection(section);
  if (key == nullptr) {
    // Remove the whole section.
    if (header < 0) return false;
    EraseLines(file, static_cast<size_t>(header), file.SectionEnd(header));
    return true;
  }

  if (value == nullptr) {
    // Remove the key.
    const int line = header < 0 ? -1 : file.FindKey(header, key);
    if (line < 0) return false;
    EraseLines(file, static_cast<size_t>(line), static_cast<size_t>(line) + 1);
    return true;
  }

  if (header < 0) {
    // A new section at the end of the file, set off from what comes before by an empty line.
    if (!file.lines.empty()) {
      TerminateLast(file);
      if (!Trim(file.lines.back().text).empty()) file.lines.push_back(MakeLine(file, ""));
    }
    file.lines.push_back(MakeLine(file, std::string("[") + section + "]"));
    file.lines.push_back(MakeLine(file, std::string(key) + "=" + value));
    return true;
  }

  const int line = file.FindKey(header, key);
  if (line >= 0) {
    // Keep the key as the file spells it; only the value changes.
    Line& existing = file.lines[static_cast<size_t>(line)];
    const std::string ending = existing.ending;
    existing = MakeLine(file, existing.name + "=" + value);
    if (!ending.empty()) existing.ending = ending;
    return true;
  }

  // A new key after the last non-empty line of its section, so blank lines that separate it
  // from the next section stay where they are.
  size_t insertAt = file.SectionEnd(header);
  while (insertAt > static_cast<size_t>(header) + 1 &&
         Trim(file.lines[insertAt - 1].text).empty()) {
    --insertAt;
  }
  if (insertAt == file.lines.size()) TerminateLast(file);
  file.lines.insert(file.lines.begin() + static_cast<long>(insertAt),
                    MakeLine(file, std::string(key) + "=" + value));
  return true;
}

}  // namespace

uint32_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                           char* out, uint32_t size, const char* path) {
  if (out == nullptr || size == 0) return 0;

  // The default loses trailing blanks, as the Windows function strips them.
  std::string result = defaultValue ? defaultValue : "";
  while (!result.empty() && IsBlank(result.back()))
    result.pop_back();

  IniFile file;
  if (section != nullptr && key != nullptr && path != nullptr && Load(path, file)) {
    const int header = file.FindSection(section);
    const int line = header < 0 ? -1 : file.FindKey(header, key);
    if (line >= 0) result = ValueOf(file.lines[static_cast<size_t>(line)]);
  }

  const size_t length = result.size() < size - 1 ? result.size() : size - 1;
  memcpy(out, result.data(), length);
  out[length] = '\0';
  return static_cast<uint32_t>(length);
}

int ReadProfileInt(const char* section, const char* key, int defaultValue, const char* path) {
  char text[64];
  if (ReadProfileString(section, key, "", text, sizeof text, path) == 0) return defaultValue;
  // Leading digits with an optional sign, as atoi reads them, but saturating instead of
  // overflowing.
  const char* p = text;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

bool WriteProfileString(const char* section, const char* key, const char* value, const char* path) {
  if (path == nullptr) return false;
  // A refusal is a failed write like any other: it says so.
  auto refuse = [path](int reason) {
    ReportWriteFailure(ReadLocation(path), reason);
    return false;
  };
  // Names that would break the line structure cannot be stored faithfully; a value is cut at
  // its first line break so it cannot add lines of its own.
  if (section == nullptr || HasLineBreak(section) || strchr(section, ']') != nullptr) {
    return refuse(EINVAL);
  }
  if (key != nullptr && (HasLineBreak(key) || strchr(key, '=') != nullptr)) return refuse(EINVAL);
  std::string cleanValue;
  if (value != nullptr) cleanValue.assign(value, strcspn(value, "\r\n"));

  // Read, change and write as one step against other copies, so no key they wrote meanwhile is
  // lost; a file that exists but cannot be read is never replaced, as that would lose every
  // other key: the change then waits in the file updates.
  const bool removesSection = key == nullptr;
  const bool removesKey = value == nullptr;
  auto edit = [sectionName = std::string(section), keyName = std::string(key ? key : ""),
               newValue = std::move(cleanValue), removesSection,
               removesKey](const std::vector<uint8_t>* current, std::vector<uint8_t>& next) {
    IniFile file;
    if (current != nullptr) file = Parse(*current);
    if (!Change(file, sectionName.c_str(), removesSection ? nullptr : keyName.c_str(),
                removesKey ? nullptr : newValue.c_str())) {
      return false;
    }
    next = Serialise(file);
    return true;
  };
  return TheFileUpdates().Update(path, edit) != UpdateOutcome::kFailed;
}

}  // namespace platform
