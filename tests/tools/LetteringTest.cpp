// Checks the lettering of every picture in every language against the record the generator
// keeps of it: each text stays inside its space, each space inside its picture, and no two texts
// of one picture run into each other. A translation too long for its space, even at the smallest
// size the generator allows, fails here.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/BuildLanguages.h"

namespace {

struct Rect {
  float x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
  bool Contains(const Rect& r) const {
    return r.x >= x && r.y >= y && r.x + r.w <= x + w && r.y + r.h <= y + h;
  }
  bool Overlaps(const Rect& r) const {
    return r.x < x + w && x < r.x + r.w && r.y < y + h && y < r.y + r.h;
  }
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x << ", " << r.y << ", " << r.w << " x " << r.h << ")";
}

struct Text {
  std::string picture;
  int canvasWidth = 0, canvasHeight = 0;
  Rect space, ink;
  std::string words;
};

// The report of one language: its texts by canvas.
std::map<std::string, std::vector<Text>> ReadReport(const std::string& language) {
  std::map<std::string, std::vector<Text>> canvases;
  std::ifstream in(std::string(ZEP_LETTERING_DIR) + "/" + language + ".tsv");
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');)
      fields.push_back(field);
    if (fields.size() < 6) {
      ADD_FAILURE() << language << ": a line that is no record: " << line;
      continue;
    }
    Text t;
    t.picture = fields[0];
    std::istringstream(fields[2]) >> t.canvasWidth >> t.canvasHeight;
    std::istringstream(fields[3]) >> t.space.x >> t.space.y >> t.space.w >> t.space.h;
    std::istringstream(fields[4]) >> t.ink.x >> t.ink.y >> t.ink.w >> t.ink.h;
    t.words = fields[5];
    canvases[fields[1]].push_back(t);
  }
  return canvases;
}

TEST(Lettering, EveryTextOfEveryLanguageStaysInItsSpace) {
  std::vector<std::string> languages = BuildLanguages();
  languages.insert(languages.begin(), "en");
  for (const std::string& language : languages) {
    const auto canvases = ReadReport(language);
    // Every language words at least the pages, the title page, the dialogs and the play screen.
    EXPECT_GT(canvases.size(), 40u) << language << ": the generator recorded too few pictures";
    for (const auto& [canvas, texts] : canvases) {
      for (size_t i = 0; i < texts.size(); ++i) {
        const Text& t = texts[i];
        SCOPED_TRACE(language + ": " + t.picture + ": \"" + t.words + "\"");
        const Rect picture{0, 0, static_cast<float>(t.canvasWidth),
                           static_cast<float>(t.canvasHeight)};
        EXPECT_TRUE(picture.Contains(t.space)) << "space " << t.space << " leaves the picture";
        if (t.ink.Empty()) continue;
        EXPECT_TRUE(t.space.Contains(t.ink)) << "ink " << t.ink << " leaves its space " << t.space;
        for (size_t j = i + 1; j < texts.size(); ++j) {
          if (texts[j].ink.Empty()) continue;
          EXPECT_FALSE(t.ink.Overlaps(texts[j].ink))
              << "ink " << t.ink << " runs into \"" << texts[j].words << "\" at " << texts[j].ink;
        }
      }
    }
  }
}

}  // namespace
