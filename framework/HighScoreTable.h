#pragma once
// The game's best results, best first, and their file "hiscore.dat": a little-endian signed
// 32-bit count, then per entry 256 name bytes and a signed 32-bit score (5204 bytes for 20
// entries). The game and the launcher both read and write this layout.

#include <cstdint>
#include <vector>

constexpr int kHighScoreNameSize = 256;
constexpr int kHighScoreEntries = 20;

// One row, laid out in memory exactly as in the file.
struct HighScoreEntry {
  char name[kHighScoreNameSize];  // NUL-terminated; an empty name marks an empty entry
  int32_t score;
};
static_assert(sizeof(HighScoreEntry) == 260, "a table row is 260 bytes in the file");

class HighScoreTable {
 public:
  HighScoreTable() = default;
  HighScoreTable(const HighScoreTable&) = delete;
  HighScoreTable& operator=(const HighScoreTable&) = delete;

  // n empty entries (all bytes zero), replacing any previous ones; no entries for n below 1.
  void Init(int n);
  // Drops every entry; the table is then as before its first Init.
  void Release();

  // Enters the result above the first entry it beats (strictly greater, so an equal score goes
  // below the older one); the last entry drops out. A score that beats none, 0 or less, does
  // not enter. Names (UTF-8) are cut to 255 bytes, at a character boundary.
  bool Insert(const char* name, int32_t score);

  int Count() const { return static_cast<int>(entries.size()); }
  // 0 for an empty table.
  int32_t TopScore() const { return Score(0); }
  // Entry i's name and score; "" and 0 for a number outside the table.
  const char* Name(int i) const;
  int32_t Score(int i) const;

  // Reads the file when it holds a table of this size; otherwise false and the table keeps its
  // contents. Entries missing from a short file keep theirs too. A result this copy entered but
  // could not write yet reads as entered.
  bool Load(const char* path);
  // Replaces the file through a temporary, so a failed save leaves the old file whole. While
  // another copy holds the file's lock the save waits in the file updates, and true is returned.
  bool Save(const char* path) const;
  // Enters a result into the file as it is now rather than as this table last read it: under the
  // file's update lock the file is read again, the result inserted and, when it entered, the file
  // replaced, so the results other copies saved meanwhile stay. When another copy holds the lock,
  // or the file exists but cannot be read, the file is left alone and the result waits in the
  // file updates until it can be entered (platform/FileUpdates.h); it is never entered into an
  // empty table in place of one that could not be read. The table is left as the file will be.
  // True when the result entered (or waits to); *saved (may be null) tells whether the file was
  // written now.
  bool InsertAndSave(const char* path, const char* name, int32_t score, bool* saved = nullptr);

 private:
  // The file's layout, read into this table and made from it.
  bool FromBytes(const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> ToBytes() const;

  std::vector<HighScoreEntry> entries;
};
