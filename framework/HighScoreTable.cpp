#include "framework/HighScoreTable.h"

#include <cstring>

#include "platform/Files.h"
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
  if (!platform::ReadWholeFile(path, bytes) || bytes.size() < 4) return false;
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

bool HighScoreTable::Save(const char* path) const {
  // The lock keeps a save from landing between another copy's reading and writing of the file.
  const platform::FileUpdateLock lock(path);
  return Write(path);
}

bool HighScoreTable::InsertAndSave(const char* path, const char* name, int32_t score, bool* saved) {
  if (saved != nullptr) *saved = false;
  const platform::FileUpdateLock lock(path);
  // What this copy read earlier may be stale: a missing or foreign file now means an empty
  // table, as the next save replaces it.
  Init(Count());
  Load(path);
  if (!Insert(name, score)) return false;
  const bool written = Write(path);
  if (saved != nullptr) *saved = written;
  return true;
}

bool HighScoreTable::Write(const char* path) const {
  std::vector<uint8_t> bytes(4 + entries.size() * kEntryBytes);
  WriteInt32(bytes.data(), Count());
  for (size_t i = 0; i < entries.size(); ++i) {
    uint8_t* p = bytes.data() + 4 + i * kEntryBytes;
    memcpy(p, entries[i].name, kHighScoreNameSize);
    WriteInt32(p + kHighScoreNameSize, entries[i].score);
  }
  return platform::WriteFileAtomic(path, bytes.data(), bytes.size());
}
