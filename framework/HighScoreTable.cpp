#include "framework/HighScoreTable.h"

#include <cstring>

#include "platform/FileUpdates.h"
#include "platform/Utf8.h"

namespace {

int32_t ReadInt32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

void WriteInt32(uint8_t* p, int32_t value) {
  const uint32_t bits = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(bits);
  p[1] = static_cast<uint8_t>(bits >> 8);
  p[2] = static_cast<uint8_t>(bits >> 16);
  p[3] = static_cast<uint8_t>(bits >> 24);
}

constexpr size_t kEntryBytes = kHighScoreNameSize + 4;

}  // namespace

void HighScoreTable::Init(int n) {
  entries.assign(n > 0 ? static_cast<size_t>(n) : 0, HighScoreEntry{});
}

void HighScoreTable::Release() {
  entries.clear();
  entries.shrink_to_fit();
}

bool HighScoreTable::Insert(const char* name, int32_t score) {
  size_t at = 0;
  while (at < entries.size() && score <= entries[at].score)
    ++at;
  if (at == entries.size()) return false;

  // The name is taken before the rows move: it may be one of this table's own names.
  HighScoreEntry entered{};
  platform::CopyUtf8(entered.name, sizeof entered.name, name);
  entered.score = score;

  for (size_t j = entries.size() - 1; j > at; --j)
    entries[j] = entries[j - 1];
  entries[at] = entered;
  return true;
}

const char* HighScoreTable::Name(int i) const {
  if (i < 0 || i >= Count()) return "";
  return entries[static_cast<size_t>(i)].name;
}

int32_t HighScoreTable::Score(int i) const {
  if (i < 0 || i >= Count()) return 0;
  return entries[static_cast<size_t>(i)].score;
}

bool HighScoreTable::Load(const char* path) {
  std::vector<uint8_t> bytes;
  // Through the file updates, so that a result this copy could not enter yet reads as entered.
  return platform::TheFileUpdates().Read(path, bytes) && FromBytes(bytes);
}

bool HighScoreTable::FromBytes(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 4) return false;
  // A table of another size, or a count that is no size at all (negative, huge), is a foreign
  // file: it is ignored and the next save replaces it.
  if (ReadInt32(bytes.data()) != Count()) return false;

  // A file that ends early fills only the entries it holds completely; the rest keep what they
  // held, rather than mixing old and new bytes in one entry.
  const size_t available = (bytes.size() - 4) / kEntryBytes;
  const size_t complete = available < entries.size() ? available : entries.size();
  for (size_t i = 0; i < complete; ++i) {
    const uint8_t* p = bytes.data() + 4 + i * kEntryBytes;
    HighScoreEntry& entry = entries[i];
    memcpy(entry.name, p, sizeof entry.name);
    // Names are shown and copied as strings: one without a terminator ends at its last byte.
    entry.name[sizeof entry.name - 1] = '\0';
    entry.score = ReadInt32(p + kHighScoreNameSize);
  }
  return true;
}

std::vector<uint8_t> HighScoreTable::ToBytes() const {
  std::vector<uint8_t> bytes(4 + entries.size() * kEntryBytes);
  WriteInt32(bytes.data(), Count());
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* p = bytes.data() + 4 + i * kEntryBytes;
    memcpy(p, entries[i].name, kHighScoreNameSize);
    WriteInt32(p + kHighScoreNameSize, entries[i].score);
  }
  return bytes;
}

bool HighScoreTable::Save(const char* path) const {
  // The whole file is replaced, so a file that cannot be read does not hold it up; under the
  // update lock, so it does not land between another copy's reading and writing of the file.
  auto replace = [bytes = ToBytes()](const std::vector<uint8_t>*, std::vector<uint8_t>& next) {
    next = bytes;
    return true;
  };
  return platform::TheFileUpdates().Update(path, replace, false) !=
         platform::UpdateOutcome::kFailed;
}

bool HighScoreTable::InsertAndSave(const char* path, const char* name, int32_t score, bool* saved) {
  if (saved != nullptr) *saved = false;
  const int count = Count();
  // Taken before the table is read again: the name may be one of this table's own.
  const std::string line = name != nullptr ? name : "";
  // The file as this copy will leave it; what this copy read earlier may be stale.
  Init(count);
  Load(path);
  if (!Insert(line.c_str(), score)) return false;

  // Entered into the file as it is when the edit is made: now, or later if the file is locked
  // by another copy or cannot be read. A missing or foreign file counts as an empty table, as the
  // next save replaces it.
  auto enter = [count, line, score](const std::vector<uint8_t>* current,
                                    std::vector<uint8_t>& next) {
    HighScoreTable table;
    table.Init(count);
    if (current != nullptr) table.FromBytes(*current);
    if (!table.Insert(line.c_str(), score)) return false;
    next = table.ToBytes();
    return true;
  };
  const platform::UpdateOutcome outcome = platform::TheFileUpdates().Update(path, enter);
  if (outcome == platform::UpdateOutcome::kFailed) return true;  // entered, not saved: reported
  Init(count);
  Load(path);
  if (saved != nullptr) *saved = outcome == platform::UpdateOutcome::kWritten;
  return outcome != platform::UpdateOutcome::kUnchanged;
}
