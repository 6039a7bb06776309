// The INI reader and writer on any file, as both programs use it for "setup.ini" and
// "options.ini". The input is the file; when it holds a NUL byte, the lines before the first NUL
// name what to write (section, key, value, an action, and section/key pairs to watch) and the
// bytes after it are the file. Checked beyond "no crash":
//  - every read is terminated and cut to the caller's buffer;
//  - the player records and player lines read from the file fit their fields;
//  - a value written is read back as written (for names and values a line can hold as they are);
//  - a write changes no other value and keeps every other line of the file; a refused write
//    leaves the file as it was.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/PlayerProfiles.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// The lines of a text without their line ends; a final line end starts no further line.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string FileText(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!platform::ReadWholeFile(path.c_str(), bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

// Reads through a buffer of exactly the given size, so that a write past it is caught.
std::string Read(const char* section, const char* key, const char* fallback, uint32_t size,
                 const std::string& path) {
  std::vector<char> out(size, 'x');
  const uint32_t length =
      platform::ReadProfileString(section, key, fallback, out.data(), size, path.c_str());
  FUZZ_CHECK(length < size);
  FUZZ_CHECK(out[length] == '\0');
  FUZZ_CHECK(strlen(out.data()) == length);
  return std::string(out.data(), length);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// A name that a line holds as it is: no line break, nothing the parser trims away.
bool PlainName(const std::string& name) {
  if (name.find_first_of("\r\n") != std::string::npos) return false;
  return name.empty() || (!IsBlank(name.front()) && !IsBlank(name.back()));
}

bool StorableValue(const std::string& value) {
  if (!PlainName(value)) return false;
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return false;  // enclosing quotes are taken off when read
  }
  return true;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin]))
    ++begin;
  while (end > begin && IsBlank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

// Names as the file compares them: without surrounding blanks, regardless of case.
bool SameName(const std::string& x, const std::string& y) {
  const std::string a = Trimmed(x);
  const std::string b = Trimmed(y);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The settings both programs read, through buffers of the sizes they use.
void ReadProgramSettings(const std::string& path) {
  Read("setup", "fullscreen", "0", 256, path);
  Read("setup", "nowindow", "0", 32, path);
  Read("setup", "music", "Y", 2, path);
  Read("setup", "SFX", "Y", 2, path);
  Read("default", "balloons", "5", 32, path);
  Read("default", "gametime", "180", 32, path);
  Read("setup", "music", "Y", 1, path);
  platform::ReadProfileInt("default", "gametime", 180, path.c_str());

  PlayerProfiles profiles;
  profiles.SetPath(path.c_str());
  FUZZ_CHECK(strcmp(profiles.Path(), path.c_str()) == 0);
  const int current = profiles.ReadCurrent();
  FUZZ_CHECK(current >= 0 && current < kPlayerCount);
  for (int n = 0; n < kPlayerCount; ++n) {
    std::vector<char> line(kPlayerLineSize, 'x');
    profiles.PlayerLine(n, line.data());
    FUZZ_CHECK(strnlen(line.data(), kPlayerLineSize) < static_cast<size_t>(kPlayerLineSize));
    const PlayerRecord& player = profiles.Player(n);
    FUZZ_CHECK(strnlen(player.name, kPlayerFieldSize) < static_cast<size_t>(kPlayerFieldSize));
    FUZZ_CHECK(strnlen(player.address, kPlayerFieldSize) < static_cast<size_t>(kPlayerFieldSize));
    FUZZ_CHECK(strnlen(player.email, kPlayerFieldSize) < static_cast<size_t>(kPlayerFieldSize));
    FUZZ_CHECK(strnlen(player.send, sizeof player.send) < sizeof player.send);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const void* nul = memchr(data, 0, size);
  std::vector<std::string> request;
  std::string file;
  if (nul != nullptr) {
    const size_t requestLength = static_cast<size_t>(static_cast<const uint8_t*>(nul) - data);
    request = SplitLines(std::string(text, requestLength));
    file.assign(text + requestLength + 1, size - requestLength - 1);
  } else {
    file.assign(text, size);
  }
  while (request.size() < 4)
    request.push_back(std::string());
  if (request[0].empty() && request[1].empty()) request = {"setup", "Music", "N", "w"};
  const std::string& section = request[0];
  const std::string& key = request[1];
  const std::string& value = request[2];
  const char action = request[3].empty() ? 'w' : request[3][0];
  // Watched pairs: the ones the request names, and the settings the programs rely on.
  std::vector<std::pair<std::string, std::string>> watched = {
      {"setup", "playerid"}, {"setup", "SFX"}, {"Player1", "name"}, {"default", "gametime"}};
  for (size_t i = 4; i + 1 < request.size(); i += 2)
    watched.emplace_back(request[i], request[i + 1]);

  const std::string path =
      fuzz::WriteScratch("options.ini", data + (size - file.size()), file.size());
  ReadProgramSettings(path);

  const uint32_t big = static_cast<uint32_t>(file.size() + 16);
  std::vector<std::string> before;
  for (const auto& [s, k] : watched)
    before.push_back(Read(s.c_str(), k.c_str(), "\x01none", big, path));

  const char* keyArg = action == 's' ? nullptr : key.c_str();
  const char* valueArg = action == 'd' || action == 's' ? nullptr : value.c_str();
  const bool written =
      platform::WriteProfileString(section.c_str(), keyArg, valueArg, path.c_str());
  const std::string after = FileText(path);
  if (!written) {
    FUZZ_CHECK(after == file);
    return 0;
  }
  ReadProgramSettings(path);

  const bool plain = PlainName(section) && section.find(']') == std::string::npos &&
                     PlainName(key) && key.find('=') == std::string::npos &&
                     (key.empty() || (key[0] != ';' && key[0] != '['));
  if (action == 'w' && plain && StorableValue(value)) {
    FUZZ_CHECK(Read(section.c_str(), key.c_str(), "\x01none", value.size() + 2, path) == value);
  }

  // Every other value stays as it was.
  for (size_t i = 0; i < watched.size(); ++i) {
    const auto& [s, k] = watched[i];
    if (SameName(s, section)) continue;
    FUZZ_CHECK(Read(s.c_str(), k.c_str(), "\x01none", big, path) == before[i]);
  }
  if (action == 'w' && plain) {
    for (size_t i = 0; i < watched.size(); ++i) {
      const auto& [s, k] = watched[i];
      if (!SameName(s, section) || SameName(k, key)) continue;
      FUZZ_CHECK(Read(s.c_str(), k.c_str(), "\x01none", big, path) == before[i]);
    }
  }

  // A key written keeps every other line: the new file is the old one with at most one line
  // replaced or removed, and at most three lines (a blank, a header, the key) in one place.
  if (action == 'w') {
    const std::vector<std::string> oldLines = SplitLines(file);
    const std::vector<std::string> newLines = SplitLines(after);
    size_t prefix = 0;
    while (prefix < oldLines.size() && prefix < newLines.size() &&
           oldLines[prefix] == newLines[prefix]) {
      ++prefix;
    }
    size_t suffix = 0;
    while (suffix < oldLines.size() - prefix && suffix < newLines.size() - prefix &&
           oldLines[oldLines.size() - 1 - suffix] == newLines[newLines.size() - 1 - suffix]) {
      ++suffix;
    }
    FUZZ_CHECK(oldLines.size() - prefix - suffix <= 1);
    FUZZ_CHECK(newLines.size() - prefix - suffix <= 3);
  }
  return 0;
}
