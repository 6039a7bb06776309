// "hiscore.dat" as any file: loaded as both programs load it, a result entered, saved and loaded
// again. Checked beyond "no crash", whatever order the file's entries are in:
//  - the table keeps its 20 entries and every name is terminated inside its 256 bytes;
//  - a load fails unless the file begins with the count 20, and then leaves the table empty;
//  - a result enters above the first entry it beats, pushing the rest down by one, its name cut
//    to 255 bytes between two characters;
//  - what is saved loads back the same.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/HighScoreTable.h"
#include "platform/Utf8.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

struct Row {
  std::string name;
  int32_t score;
  bool operator==(const Row& other) const { return name == other.name && score == other.score; }
};

std::vector<Row> Rows(const HighScoreTable& table) {
  std::vector<Row> rows;
  for (int i = 0; i < table.Count(); ++i) {
    const char* name = table.Name(i);
    FUZZ_CHECK(strnlen(name, kHighScoreNameSize) < static_cast<size_t>(kHighScoreNameSize));
    rows.push_back({name, table.Score(i)});
  }
  return rows;
}

void CheckInsert(HighScoreTable& table, const std::string& name, int32_t score) {
  const std::vector<Row> before = Rows(table);
  size_t at = 0;
  while (at < before.size() && score <= before[at].score)
    ++at;
  const bool entered = table.Insert(name.c_str(), score);
  const std::vector<Row> after = Rows(table);
  FUZZ_CHECK(after.size() == before.size());
  FUZZ_CHECK(entered == (at < before.size()));
  if (!entered) {
    FUZZ_CHECK(after == before);
    return;
  }
  for (size_t i = 0; i < at; ++i)
    FUZZ_CHECK(after[i] == before[i]);
  FUZZ_CHECK(after[at].name ==
             name.substr(0, platform::Utf8Prefix(name.c_str(), kHighScoreNameSize - 1)));
  FUZZ_CHECK(after[at].score == score);
  for (size_t i = at + 1; i < after.size(); ++i)
    FUZZ_CHECK(after[i] == before[i - 1]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteScratch("hiscore.dat", data, size);
  HighScoreTable table;
  table.Init(kHighScoreEntries);
  const bool loaded = table.Load(path.c_str());
  const bool countMatches =
      size >= 4 && data[0] == kHighScoreEntries && data[1] == 0 && data[2] == 0 && data[3] == 0;
  FUZZ_CHECK(loaded == countMatches);
  FUZZ_CHECK(table.Count() == kHighScoreEntries);
  const std::vector<Row> rows = Rows(table);
  // Entries the file does not hold whole stay as Init left them.
  const size_t whole = loaded ? (size - 4) / (kHighScoreNameSize + 4) : 0;
  for (size_t i = whole; i < rows.size(); ++i)
    FUZZ_CHECK(rows[i].name.empty() && rows[i].score == 0);

  // A player line, as the game enters it, and results around the ones the file holds.
  std::string name = "Fuzzy:1 Street:fuzzy@example.org:Y";
  if (size > 8)
    name.assign(reinterpret_cast<const char*>(data) + 4, std::min<size_t>(size - 4, 300));
  name = name.c_str();  // a C string ends at its first NUL
  CheckInsert(table, name, rows.back().score == INT32_MAX ? INT32_MAX : rows.back().score + 1);
  CheckInsert(table, name, INT32_MAX);
  CheckInsert(table, name, rows.front().score);
  CheckInsert(table, std::string(400, 'n'), 1);
  CheckInsert(table, "", -5);

  // Saved and read back, the table is the same.
  const std::vector<Row> saved = Rows(table);
  const std::string again = fuzz::ScratchFolder() + "/hiscore2.dat";
  FUZZ_CHECK(table.Save(again.c_str()));
  HighScoreTable reread;
  reread.Init(kHighScoreEntries);
  FUZZ_CHECK(reread.Load(again.c_str()));
  FUZZ_CHECK(Rows(reread) == saved);
  return 0;
}
