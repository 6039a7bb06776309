// Checks every generated data file in the staged install layout against what the programs need
// of it: pictures load with the programs' own loader and have the sizes and cuts the layout
// requires, transparency sits where it belongs, font sheets scan to their glyphs, sounds are PCM
// WAV files the sound library accepts, the music is a long enough MP3.

#include <gtest/gtest.h>

#include "framework/Font.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <queue>
#include <string>
#include <system_error>
#include <vector>

#include "qz/Bitmap.h"
#include "qz/qz.h"
#include "tests/tools/BuildLanguages.h"

namespace {

const std::string kStage = ZEP_STAGE_DIR;
const uint16_t kKey = PackRgb565(0, 0, 255);

enum Where { kLauncher, kGame, kTitle, kSounds };

std::string PathOf(Where where, const char* name) {
  switch (where) {
    case kLauncher:
      return kStage + "/Hubbix/" + name;
    case kGame:
      return kStage + "/Hubbix/Zeppolo/" + name;
    case kTitle:
      return kStage + "/Hubbix/Zeppolo/title/" + name;
    case kSounds:
      return kStage + "/Hubbix/Zeppolo/sounds/" + name;
  }
  return name;
}

enum class Kind { Picture, Tiles, Font, Wav, Mp3, Ini };

// Checks on the transparency of every frame of a picture.
enum Check : unsigned {
  kNoKey = 1,      // no transparent pixel at all (backgrounds, panels)
  kCorners = 2,    // the four corners are transparent
  kCentre = 4,     // the centre is opaque
  kHollow = 8,     // the centre is transparent (a frame drawn over another picture)
  kNoHoles = 16,   // every transparent pixel is reached from the border through transparent ones
  kSameMask = 32,  // every frame has the first frame's transparency mask
};

struct Asset {
  Where where;
  const char* name;
  Kind kind;
  int frames;      // pictures: frames in the strip; tiles: least number of tiles; WAV: channels
  bool vertical;   // frames stacked rather than side by side
  int minW, minH;  // frame size limits (0: none); tiles: the tile size in minW x minH
  int maxW, maxH;
  unsigned checks;
};

// The whole data set, as the programs read it.
const Asset kAssets[] = {
    // Launcher's pages screen.
    {kLauncher, "background.bmp", Kind::Picture, 1, false, 800, 600, 800, 600, kNoKey},
    {kLauncher, "GameButton.bmp", Kind::Picture, 3, false, 0, 0, 257, 106,
     kCorners | kHollow | kSameMask},
    {kLauncher, "CollectButton.bmp", Kind::Picture, 1, false, 0, 0, 257, 106,
     kCorners | kCentre | kNoHoles},
    {kLauncher, "PageNumbers.bmp", Kind::Picture, 10, false, 0, 0, 78, 59, 0},
    {kLauncher, "PageArrowsLeft.bmp", Kind::Picture, 2, false, 0, 0, 101, 70,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "PageArrowsRight.bmp", Kind::Picture, 2, false, 0, 0, 61, 70,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "Info.bmp", Kind::Picture, 2, false, 0, 0, 81, 51,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "SmallExit.bmp", Kind::Picture, 2, false, 0, 0, 82, 51,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "infoscreen.bmp", Kind::Picture, 1, false, 775, 425, 800, 600, kNoKey},
    {kLauncher, "backbutton.bmp", Kind::Picture, 2, false, 0, 0, 86, 55,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "BackButton.bmp", Kind::Picture, 2, false, 0, 0, 86, 55,
     kCorners | kCentre | kNoHoles | kSameMask},
    // A game's title page.
    {kLauncher, "HowToPlayButton.bmp", Kind::Picture, 2, false, 0, 0, 228, 69,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "PlayButton.bmp", Kind::Picture, 2, false, 0, 0, 164, 69,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "HighScoresButton.bmp", Kind::Picture, 2, false, 0, 0, 186, 70,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "MenuButton.bmp", Kind::Picture, 2, false, 0, 0, 164, 70,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "CreditsButton.bmp", Kind::Picture, 2, false, 0, 0, 186, 70,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "ExitButton.bmp", Kind::Picture, 2, false, 0, 0, 164, 165,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "PlayersButton.bmp", Kind::Picture, 2, false, 0, 0, 356, 60,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "sfx.bmp", Kind::Picture, 2, false, 0, 0, 54, 95,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "music.bmp", Kind::Picture, 2, false, 0, 0, 132, 95,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "n_font.bmp", Kind::Font, 94, false, 0, 0, 0, 26, 0},
    {kLauncher, "h_font.bmp", Kind::Font, 94, false, 0, 0, 0, 26, 0},
    {kLauncher, "blockcursor.bmp", Kind::Picture, 1, false, 1, 10, 8, 26, kNoKey},
    // Players dialog.
    {kLauncher, "PlayerInfo.bmp", Kind::Picture, 1, false, 694, 564, 695, 565, kNoKey},
    {kLauncher, "EnterButton.bmp", Kind::Picture, 2, false, 0, 0, 134, 93,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "RemoveButton.bmp", Kind::Picture, 2, false, 0, 0, 114, 93,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "yesno.bmp", Kind::Picture, 2, false, 0, 0, 323, 78,
     kCorners | kCentre | kNoHoles | kSameMask},
    // Hall of fame dialog.
    {kLauncher, "HallOfFameScreen.bmp", Kind::Picture, 1, false, 681, 535, 747, 582, kNoKey},
    {kLauncher, "UploadButton.bmp", Kind::Picture, 2, false, 0, 0, 142, 61,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "ClearScores.bmp", Kind::Picture, 2, false, 0, 0, 142, 71,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kLauncher, "HallBlackFont.bmp", Kind::Font, 94, false, 0, 0, 0, 26, 0},
    {kLauncher, "HallPurpleFont.bmp", Kind::Font, 94, false, 0, 0, 0, 26, 0},
    {kLauncher, "setup.ini", Kind::Ini, 0, false, 0, 0, 0, 0, 0},
    // The play screen.
    {kGame, "background.bmp", Kind::Picture, 1, false, 800, 600, 800, 600, kNoKey},
    {kGame, "CloudAnimLeft.bmp", Kind::Picture, 3, true, 0, 0, 66, 40,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kGame, "CloudAnimRight.bmp", Kind::Picture, 3, true, 0, 0, 70, 40,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kGame, "newgame.bmp", Kind::Picture, 2, false, 0, 0, 75, 50,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kGame, "menu.bmp", Kind::Picture, 2, false, 0, 0, 75, 50,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kGame, "help.bmp", Kind::Picture, 2, false, 0, 0, 76, 50,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kGame, "exit.bmp", Kind::Picture, 2, false, 0, 0, 76, 75,
     kCorners | kCentre | kNoHoles | kSameMask},
    {kGame, "red.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "yellow.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "purple.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "green.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "blue.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "redstar.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "yellowstar.bmp", Kind::Picture, 1, false, 32, 40, 32, 40,
     kCorners | kCentre | kNoHoles},
    {kGame, "purplestar.bmp", Kind::Picture, 1, false, 32, 40, 32, 40,
     kCorners | kCentre | kNoHoles},
    {kGame, "greenstar.bmp", Kind::Picture, 1, false, 32, 40, 32, 40,
     kCorners | kCentre | kNoHoles},
    {kGame, "bluestar.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre | kNoHoles},
    {kGame, "pop.bmp", Kind::Picture, 1, false, 32, 40, 32, 40, kCorners | kCentre},
    {kGame, "bigred.bmp", Kind::Picture, 1, false, 0, 0, 370, 387, kCorners | kCentre},
    {kGame, "bigyellow.bmp", Kind::Picture, 1, false, 0, 0, 370, 387, kCorners | kCentre},
    {kGame, "bigpurple.bmp", Kind::Picture, 1, false, 0, 0, 370, 387, kCorners | kCentre},
    {kGame, "biggreen.bmp", Kind::Picture, 1, false, 0, 0, 370, 387, kCorners | kCentre},
    {kGame, "bigblue.bmp", Kind::Picture, 1, false, 0, 0, 370, 387, kCorners | kCentre},
    {kGame, "x2.bmp", Kind::Picture, 1, false, 0, 0, 64, 64, kCorners | kCentre | kNoHoles},
    {kGame, "x4.bmp", Kind::Picture, 1, false, 0, 0, 64, 64, kCorners | kCentre | kNoHoles},
    {kGame, "x6.bmp", Kind::Picture, 1, false, 0, 0, 64, 64, kCorners | kCentre | kNoHoles},
    {kGame, "score.bmp", Kind::Tiles, 255, false, 34, 21, 0, 0, kCorners},
    {kGame, "scorefont.bmp", Kind::Picture, 10, false, 0, 0, 11, 33, 0},
    {kGame, "timer.bmp", Kind::Picture, 37, true, 0, 0, 86, 167, kCorners | kCentre | kSameMask},
    {kGame, "lightning.bmp", Kind::Picture, 1, false, 0, 0, 71, 111, kCorners | kCentre},
    {kGame, "congrats1.bmp", Kind::Picture, 1, false, 0, 0, 536, 68, kCorners},
    {kGame, "congrats2.bmp", Kind::Picture, 1, false, 0, 0, 646, 295, kCorners | kCentre},
    {kGame, "congrats3.bmp", Kind::Picture, 1, false, 0, 0, 646, 295, kCorners | kCentre},
    {kGame, "congrats4.bmp", Kind::Picture, 1, false, 0, 0, 474, 148, kCorners | kCentre},
    {kGame, "GameOverNMM.bmp", Kind::Picture, 1, false, 0, 0, 800, 600, kNoKey},
    {kGame, "GameOverOOT.bmp", Kind::Picture, 1, false, 0, 0, 800, 600, kNoKey},
    {kGame, "hallfamepop.bmp", Kind::Picture, 1, false, 0, 0, 800, 600, kNoKey},
    {kGame, "HubbixButton.bmp", Kind::Picture, 1, false, 0, 0, 257, 106,
     kCorners | kCentre | kNoHoles},
    {kGame, "setup.ini", Kind::Ini, 0, false, 0, 0, 0, 0, 0},
    {kTitle, "titlebackground.bmp", Kind::Picture, 1, false, 800, 600, 800, 600, kNoKey},
    {kTitle, "Credits.bmp", Kind::Picture, 1, false, 0, 0, 747, 582, kNoKey},
    {kTitle, "HowToPlay.bmp", Kind::Picture, 1, false, 694, 564, 695, 565, kNoKey},
    // Sounds, in the order the game loads them, and the music.
    {kSounds, "pop1.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "pop2.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "pop3.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "pop4.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "pop5.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "allcolor.wav", Kind::Wav, 2, false, 0, 0, 0, 0, 0},
    {kSounds, "allpop.wav", Kind::Wav, 2, false, 0, 0, 0, 0, 0},
    {kSounds, "pushrow.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "negative.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "bhitb.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "reveal.wav", Kind::Wav, 2, false, 0, 0, 0, 0, 0},
    {kSounds, "blow.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "bonus.wav", Kind::Wav, 1, false, 0, 0, 0, 0, 0},
    {kSounds, "thunder.wav", Kind::Wav, 2, false, 0, 0, 0, 0, 0},
    {kSounds, "music.mp3", Kind::Mp3, 0, false, 0, 0, 0, 0, 0},
};

struct SurfaceDeleter {
  void operator()(QZSurface* s) const { QZSurface::Release(s); }
};
using SurfacePtr = std::unique_ptr<QZSurface, SurfaceDeleter>;

SurfacePtr Load(Where where, const char* name) {
  return SurfacePtr(QZLoadBitmap(PathOf(where, name).c_str(), 16));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  // In one read, not byte by byte: eight languages' pictures are many megabytes, and the
  // sanitizer build pays for every call.
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

struct Frame {
  int x, y, w, h;
};

bool IsKey(const QZSurface& s, int x, int y) {
  return s.PixelAt(x, y) == kKey;
}

int CountKey(const QZSurface& s, const Frame& f) {
  int n = 0;
  for (int y = f.y; y < f.y + f.h; ++y)
    for (int x = f.x; x < f.x + f.w; ++x)
      n += IsKey(s, x, y);
  return n;
}

// Transparent pixels that cannot be reached from the frame's border through transparent
// pixels: colours folded into the key inside the artwork.
int EnclosedKeyPixels(const QZSurface& s, const Frame& f) {
  std::vector<uint8_t> seen(static_cast<size_t>(f.w) * f.h, 0);
  std::queue<std::pair<int, int>> todo;
  auto push = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= f.w || y >= f.h) return;
    size_t i = static_cast<size_t>(y) * f.w + x;
    if (seen[i] || !IsKey(s, f.x + x, f.y + y)) return;
    seen[i] = 1;
    todo.push({x, y});
  };
  for (int x = 0; x < f.w; ++x) {
    push(x, 0);
    push(x, f.h - 1);
  }
  for (int y = 0; y < f.h; ++y) {
    push(0, y);
    push(f.w - 1, y);
  }
  while (!todo.empty()) {
    auto [x, y] = todo.front();
    todo.pop();
    push(x + 1, y);
    push(x - 1, y);
    push(x, y + 1);
    push(x, y - 1);
  }
  int reached = static_cast<int>(std::count(seen.begin(), seen.end(), 1));
  return CountKey(s, f) - reached;
}

void CheckFrame(const QZSurface& s, const Frame& f, unsigned checks) {
  const int cx = f.x + f.w / 2, cy = f.y + f.h / 2;
  if (checks & kNoKey) {
    EXPECT_EQ(CountKey(s, f), 0) << "transparent pixels in an opaque picture";
  }
  if (checks & kCorners) {
    EXPECT_TRUE(IsKey(s, f.x, f.y) && IsKey(s, f.x + f.w - 1, f.y) &&
                IsKey(s, f.x, f.y + f.h - 1) && IsKey(s, f.x + f.w - 1, f.y + f.h - 1))
        << "frame at " << f.x << "," << f.y << ": a corner is not transparent";
  }
  if (checks & kCentre) {
    EXPECT_FALSE(IsKey(s, cx, cy)) << "frame at " << f.x << "," << f.y << ": centre is transparent";
  }
  if (checks & kHollow) {
    EXPECT_TRUE(IsKey(s, cx, cy)) << "frame at " << f.x << "," << f.y
                                  << ": centre is not transparent";
  }
  if (checks & kNoHoles) {
    EXPECT_EQ(EnclosedKeyPixels(s, f), 0) << "frame at " << f.x << "," << f.y;
  }
  EXPECT_LT(CountKey(s, f), f.w * f.h) << "frame at " << f.x << "," << f.y << " is empty";
}

// The glyph boundaries of a font sheet, found the way the launcher's font loader finds them: a
// column is empty when every pixel in it is the key; glyphs are runs of non-empty columns.
// The sheets are measured with the programs' own font loader, which refuses a sheet with fewer
// than 94 glyphs; the test also insists that every glyph of the sheets' list is there, "!" to "~"
// first, the placeholder last, and that nothing follows it.
struct Glyph {
  int left, right;
};

std::vector<Glyph> ScanFontSheet(const std::string& path, const QZSurface& s, int* extraColumns) {
  Font font;
  std::vector<Glyph> glyphs;
  *extraColumns = 0;
  if (font.Load(path.c_str()) != 1) return glyphs;
  for (int c = Font::kFirstChar; c <= Font::kLastChar; ++c) {
    const Font::Glyph* g = font.GlyphOf(static_cast<char>(c));
    glyphs.push_back({g->left, g->right});
  }
  for (int index = Font::kGlyphCount; index < kSheetCharacters; ++index) {
    const Font::Glyph* g = font.GlyphOfCode(SheetCharacter(index));
    glyphs.push_back({g->left, g->right});
  }
  const Font::Glyph* placeholder = font.Placeholder();
  glyphs.push_back({placeholder->left, placeholder->right});
  if (glyphs.back().left == -1) return glyphs;
  for (int x = glyphs.back().right; x < s.Width(); ++x) {
    for (int y = 0; y < s.Height(); ++y) {
      if (s.PixelAt(x, y) != kKey) {
        ++*extraColumns;
        break;
      }
    }
  }
  return glyphs;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Plain files every Windows bitmap reader takes: 24 bits, uncompressed, bottom-up.
void CheckBitmapFile(const Asset& a) {
  std::vector<uint8_t> b = ReadBytes(PathOf(a.where, a.name));
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(Le32(b, 14), 40u) << "info header size";
  EXPECT_GT(static_cast<int32_t>(Le32(b, 22)), 0) << "not bottom-up";
  EXPECT_EQ(Le16(b, 28), 24) << "bits per pixel";
  EXPECT_EQ(Le32(b, 30), 0u) << "compressed";
  EXPECT_EQ(Le32(b, 2), b.size()) << "file size field";
}

// Leaves the picture's size in *size when given.
void CheckPicture(const Asset& a, std::pair<int, int>* size = nullptr) {
  CheckBitmapFile(a);
  SurfacePtr s = Load(a.where, a.name);
  ASSERT_TRUE(s) << "does not load";
  const int w = s->Width(), h = s->Height();
  if (size != nullptr) *size = {w, h};
  const int across = a.vertical ? 1 : a.frames;
  const int down = a.vertical ? a.frames : 1;
  EXPECT_EQ(w % across, 0) << "width " << w << " does not divide into " << across << " frames";
  EXPECT_EQ(h % down, 0) << "height " << h << " does not divide into " << down << " frames";
  const int fw = w / across, fh = h / down;
  if (a.minW) {
    EXPECT_GE(fw, a.minW);
  }
  if (a.minH) {
    EXPECT_GE(fh, a.minH);
  }
  if (a.maxW) {
    EXPECT_LE(fw, a.maxW);
  }
  if (a.maxH) {
    EXPECT_LE(fh, a.maxH);
  }
  for (int i = 0; i < a.frames; ++i) {
    Frame f{a.vertical ? 0 : i * fw, a.vertical ? i * fh : 0, fw, fh};
    CheckFrame(*s, f, a.checks);
    if ((a.checks & kSameMask) && i > 0) {
      int differ = 0;
      for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x)
          differ += IsKey(*s, x, y) != IsKey(*s, f.x + x, f.y + y);
      EXPECT_EQ(differ, 0) << "frame " << i << " has another transparency mask than frame 0";
    }
  }
}

void CheckTiles(const Asset& a) {
  CheckBitmapFile(a);
  SurfacePtr s = Load(a.where, a.name);
  ASSERT_TRUE(s) << "does not load";
  const int tw = a.minW, th = a.minH;
  EXPECT_EQ(s->Width() % tw, 0);
  EXPECT_EQ(s->Height() % th, 0);
  const int columns = s->Width() / tw;
  const int tiles = columns * (s->Height() / th);
  EXPECT_GE(tiles, a.frames);
  for (int t = 0; t < std::min(tiles, a.frames); ++t)
    CheckFrame(*s, {(t % columns) * tw, (t / columns) * th, tw, th}, a.checks);
}

void CheckFont(const Asset& a) {
  CheckBitmapFile(a);
  SurfacePtr s = Load(a.where, a.name);
  ASSERT_TRUE(s) << "does not load";
  EXPECT_LE(s->Height(), a.maxH);
  int extra = 0;
  std::vector<Glyph> glyphs = ScanFontSheet(PathOf(a.where, a.name), *s, &extra);
  ASSERT_EQ(glyphs.size(), static_cast<size_t>(kSheetGlyphs)) << "the sheet ran out of glyphs";
  for (size_t g = 0; g < glyphs.size(); ++g) {
    EXPECT_NE(glyphs[g].left, -1) << "glyph of U+" << std::hex
                                  << SheetCharacter(static_cast<int>(g)) << " (index " << std::dec
                                  << g << ") is missing";
    EXPECT_LE(glyphs[g].right, s->Width());
  }
  ASSERT_NE(glyphs.back().left, -1) << "no placeholder glyph";
  EXPECT_EQ(extra, 0) << "more glyphs on the sheet than it holds characters";
  // The glyphs are in character order: narrow letters are narrower than wide ones.
  auto at = [&](uint32_t code) { return glyphs[static_cast<size_t>(SheetGlyphIndex(code))]; };
  auto width = [&](uint32_t code) { return at(code).right - at(code).left; };
  EXPECT_LT(width('i'), width('m'));
  EXPECT_LT(width('!'), width('W'));
  EXPECT_LT(width('.'), width('@'));
  EXPECT_LT(width(0x131), width(0x153));  // dotless i, oe
  EXPECT_LT(width(0xED), width(0xC6));    // i acute, AE
  // The highest ink of a glyph, its rows counted from the sheet's top.
  auto top = [&](const Glyph& g) {
    for (int y = 0; y < s->Height(); ++y)
      for (int x = g.left; x < g.right; ++x)
        if (s->PixelAt(x, y) != kKey) return y;
    return s->Height();
  };
  // Accents above capitals stand above the capitals, inside the sheet; and an accented letter
  // is never drawn as its bare letter.
  const uint32_t capitals[][2] = {{0xC9, 'E'}, {0xC5, 'A'}, {0x17D, 'Z'}, {0x150, 'O'}};
  for (const auto& pair : capitals)
    EXPECT_LT(top(at(pair[0])), top(at(pair[1]))) << "U+" << std::hex << pair[0];
  const uint32_t letters[][2] = {{0xE9, 'e'},  {0xFC, 'u'}, {0xF1, 'n'},  {0xF8, 'o'},
                                 {0x142, 'l'}, {0xE7, 'c'}, {0x15E, 'S'}, {0x151, 'o'},
                                 {0x11F, 'g'}, {0x219, 's'}};
  for (const auto& pair : letters) {
    const Glyph marked = at(pair[0]);
    const Glyph bare = at(pair[1]);
    int differ = marked.right - marked.left != bare.right - bare.left ? 1 : 0;
    for (int y = 0; y < s->Height() && differ == 0; ++y)
      for (int x = 0; x < marked.right - marked.left; ++x)
        differ += s->PixelAt(marked.left + x, y) != s->PixelAt(bare.left + x, y);
    EXPECT_GT(differ, 0) << "U+" << std::hex << pair[0] << " looks like " << char(pair[1]);
  }
  // The placeholder is an empty box: full sides, and an inside that shows what is behind it.
  const Glyph box = glyphs.back();
  const int boxTop = top(box);
  int boxBottom = boxTop;
  while (boxBottom + 1 < s->Height() && s->PixelAt(box.left, boxBottom + 1) != kKey)
    ++boxBottom;
  EXPECT_GE(boxBottom - boxTop, 6);
  EXPECT_GE(box.right - box.left, 5);
  for (int y = boxTop; y <= boxBottom; ++y) {
    EXPECT_NE(s->PixelAt(box.left, y), kKey);
    EXPECT_NE(s->PixelAt(box.right - 1, y), kKey);
  }
  EXPECT_EQ(s->PixelAt((box.left + box.right) / 2, (boxTop + boxBottom) / 2), kKey);
}

void CheckWav(const Asset& a) {
  std::vector<uint8_t> b = ReadBytes(PathOf(a.where, a.name));
  ASSERT_GE(b.size(), 44u) << "missing or too short";
  ASSERT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
  ASSERT_EQ(std::memcmp(b.data() + 8, "WAVE", 4), 0);
  EXPECT_EQ(Le32(b, 4), b.size() - 8);
  bool haveFormat = false, haveData = false;
  int channels = 0, bits = 0;
  uint32_t rate = 0;
  size_t dataAt = 0, dataSize = 0;
  for (size_t pos = 12; pos + 8 <= b.size();) {
    const std::string id(reinterpret_cast<const char*>(&b[pos]), 4);
    const uint32_t size = Le32(b, pos + 4);
    ASSERT_LE(pos + 8 + size, b.size()) << "chunk " << id << " runs past the end";
    EXPECT_NE(id, "smpl") << "a sample chunk would make the effect loop";
    if (id == "fmt ") {
      ASSERT_GE(size, 16u);
      EXPECT_EQ(Le16(b, pos + 8), 1) << "not PCM";
      channels = Le16(b, pos + 10);
      rate = Le32(b, pos + 12);
      bits = Le16(b, pos + 22);
      EXPECT_EQ(Le32(b, pos + 16), rate * channels * bits / 8) << "byte rate";
      EXPECT_EQ(Le16(b, pos + 20), channels * bits / 8) << "block align";
      haveFormat = true;
    } else if (id == "data") {
      dataAt = pos + 8;
      dataSize = size;
      haveData = true;
    }
    pos += 8 + size + (size & 1);
  }
  ASSERT_TRUE(haveFormat && haveData);
  EXPECT_EQ(channels, a.frames);
  EXPECT_EQ(rate, 22050u);
  ASSERT_EQ(bits, 16);
  ASSERT_EQ(dataSize % (2 * channels), 0u);
  const size_t frames = dataSize / (2 * channels);
  EXPECT_GE(frames, 22050u / 20) << "shorter than 50 ms";
  EXPECT_LE(frames, 22050u * 5) << "longer than 5 s";
  // Normalised: loud enough to be heard at the file's own level, without hard clipping.
  int peak = 0, clipped = 0;
  for (size_t i = 0; i < dataSize / 2; ++i) {
    int v = std::abs(static_cast<int16_t>(Le16(b, dataAt + 2 * i)));
    peak = std::max(peak, v);
    clipped += v >= 32767;
  }
  EXPECT_GE(peak, 32768 / 4) << "quieter than -12 dBFS";
  EXPECT_EQ(clipped, 0);
}

void CheckMp3(const Asset& a) {
  std::vector<uint8_t> b = ReadBytes(PathOf(a.where, a.name));
  ASSERT_GE(b.size(), 4096u);
  size_t pos = 0;
  if (b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
    pos = 10 + ((b[6] & 0x7F) << 21 | (b[7] & 0x7F) << 14 | (b[8] & 0x7F) << 7 | (b[9] & 0x7F));
  }
  static const int kBitrates[2][16] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1 layer III
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};     // MPEG-2/2.5
  static const int kRates[3][3] = {
      {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
  int frames = 0;
  double seconds = 0;
  int firstRate = 0;
  while (pos + 4 <= b.size()) {
    const uint32_t h =
        static_cast<uint32_t>(b[pos]) << 24 | b[pos + 1] << 16 | b[pos + 2] << 8 | b[pos + 3];
    if ((h >> 21) != 0x7FF) break;
    const int version = (h >> 19) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = (h >> 17) & 3;    // 1 = layer III
    const int bitrateIndex = (h >> 12) & 15;
    const int rateIndex = (h >> 10) & 3;
    const int padding = (h >> 9) & 1;
    ASSERT_NE(version, 1) << "reserved version at byte " << pos;
    ASSERT_EQ(layer, 1) << "not layer III at byte " << pos;
    ASSERT_TRUE(bitrateIndex != 0 && bitrateIndex != 15) << "bad bit rate at byte " << pos;
    ASSERT_NE(rateIndex, 3) << "bad sample rate at byte " << pos;
    const bool mpeg1 = version == 3;
    const int rate = kRates[version == 3 ? 0 : version == 2 ? 1 : 2][rateIndex];
    const int kbps = kBitrates[mpeg1 ? 0 : 1][bitrateIndex];
    const int samples = mpeg1 ? 1152 : 576;
    const size_t length = static_cast<size_t>(samples / 8 * kbps * 1000 / rate + padding);
    if (frames == 0) firstRate = rate;
    EXPECT_EQ(rate, firstRate);
    ++frames;
    seconds += static_cast<double>(samples) / rate;
    pos += length;
  }
  EXPECT_EQ(pos, b.size()) << "stray bytes after " << frames << " frames";
  EXPECT_GE(seconds, 60.0) << "the tune is shorter than a minute";
}

std::map<std::string, std::map<std::string, std::string>> ReadIni(const std::string& path) {
  std::map<std::string, std::map<std::string, std::string>> ini;
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find('=');
    if (eq != std::string::npos) ini[section][line.substr(0, eq)] = line.substr(eq + 1);
  }
  return ini;
}

void CheckIni(const Asset& a) {
  auto ini = ReadIni(PathOf(a.where, a.name));
  // Windowed, with a caption.
  EXPECT_EQ(ini["setup"]["fullscreen"], "0");
  EXPECT_EQ(ini["setup"]["nowindow"], "0");
  if (a.where == kGame) {
    EXPECT_EQ(ini["default"]["balloons"], "2");
    EXPECT_EQ(ini["default"]["gametime"], "200");
  } else {
    EXPECT_EQ(ini.count("default"), 0u);
  }
}

TEST(GeneratedData, EveryFileMeetsWhatTheProgramsNeed) {
  for (const Asset& a : kAssets) {
    SCOPED_TRACE(PathOf(a.where, a.name));
    switch (a.kind) {
      case Kind::Picture:
        CheckPicture(a);
        break;
      case Kind::Tiles:
        CheckTiles(a);
        break;
      case Kind::Font:
        CheckFont(a);
        break;
      case Kind::Wav:
        CheckWav(a);
        break;
      case Kind::Mp3:
        CheckMp3(a);
        break;
      case Kind::Ini:
        CheckIni(a);
        break;
    }
  }
}

TEST(GeneratedData, EachLanguagesPicturesMeetWhatTheProgramsNeed) {
  // A language's picture stands in for the English one: the same size, cut and transparency
  // rules. Pictures without words, and those a language words as English does, it leaves out.
  const std::vector<std::string> languages = BuildLanguages();
  ASSERT_FALSE(languages.empty());
  for (const std::string& language : languages) {
    int pictures = 0;
    for (const Asset& a : kAssets) {
      if (a.kind != Kind::Picture) continue;
      const std::string name = language + "/" + a.name;
      std::error_code error;
      if (!std::filesystem::exists(PathOf(a.where, name.c_str()), error)) continue;
      SCOPED_TRACE(PathOf(a.where, name.c_str()));
      ++pictures;
      Asset translated = a;
      translated.name = name.c_str();
      std::pair<int, int> own;
      CheckPicture(translated, &own);
      // The English picture's size from its header (width and height at bytes 18 and 22).
      std::ifstream in(PathOf(a.where, a.name), std::ios::binary);
      unsigned char header[26] = {};
      in.read(reinterpret_cast<char*>(header), sizeof header);
      auto at = [&header](int i) {
        return static_cast<int>(header[i] | header[i + 1] << 8 | header[i + 2] << 16);
      };
      EXPECT_EQ(own, std::make_pair(at(18), at(22))) << "not the English picture's size";
    }
    // Every language draws at least its title page's rules in its own words.
    EXPECT_GT(pictures, 10) << language;
  }
}

TEST(GeneratedData, NothingIsShippedThatIsNotInTheTable) {
  std::vector<std::string> listed;
  for (const Asset& a : kAssets) {
    listed.push_back(PathOf(a.where, a.name));
    for (const std::string& language : BuildLanguages())
      listed.push_back(PathOf(a.where, (language + "/" + a.name).c_str()));
  }
  const std::string root = kStage + "/Hubbix";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string path = entry.path().string();
    const std::string ext = entry.path().extension().string();
    // Settings and scores that the programs write at run time are not the generator's.
    if (ext != ".bmp" && ext != ".wav" && ext != ".mp3") continue;
    EXPECT_NE(std::find(listed.begin(), listed.end(), path), listed.end()) << "unexpected " << path;
  }
}

Frame FrameOf(const QZSurface& s, int across, int down) {
  return {0, 0, s.Width() / across, s.Height() / down};
}

TEST(GeneratedData, PicturesFitTogetherOnScreen) {
  // The game's and the collect picture lie under a slot frame of the same size.
  SurfacePtr slot = Load(kLauncher, "GameButton.bmp");
  SurfacePtr game = Load(kGame, "HubbixButton.bmp");
  SurfacePtr collect = Load(kLauncher, "CollectButton.bmp");
  ASSERT_TRUE(slot && game && collect);
  Frame frame = FrameOf(*slot, 3, 1);
  EXPECT_EQ(game->Width(), frame.w);
  EXPECT_EQ(game->Height(), frame.h);
  EXPECT_EQ(collect->Width(), frame.w);
  EXPECT_EQ(collect->Height(), frame.h);
  // The page number's digits end at x 716; the left arrow at x 638 must leave room for two.
  SurfacePtr digits = Load(kLauncher, "PageNumbers.bmp");
  SurfacePtr left = Load(kLauncher, "PageArrowsLeft.bmp");
  ASSERT_TRUE(digits && left);
  EXPECT_LE(left->Width() / 2 + 2 * (digits->Width() / 10), 716 - 638);
  // The lightning at (17, 264) sits inside the gauge drawn at (2, 208).
  SurfacePtr gauge = Load(kGame, "timer.bmp");
  SurfacePtr bolt = Load(kGame, "lightning.bmp");
  ASSERT_TRUE(gauge && bolt);
  EXPECT_GE(gauge->Width(), 15 + bolt->Width());
  EXPECT_GE(gauge->Height() / 37, 56 + bolt->Height());
  // The two blinking congratulation pictures are one sprite: same size, same outline.
  SurfacePtr c2 = Load(kGame, "congrats2.bmp");
  SurfacePtr c3 = Load(kGame, "congrats3.bmp");
  ASSERT_TRUE(c2 && c3);
  ASSERT_EQ(c2->Width(), c3->Width());
  ASSERT_EQ(c2->Height(), c3->Height());
  int differ = 0;
  for (int y = 0; y < c2->Height(); ++y)
    for (int x = 0; x < c2->Width(); ++x)
      differ += IsKey(*c2, x, y) != IsKey(*c3, x, y);
  EXPECT_EQ(differ, 0);
  // Digit strips without transparency are drawn onto flat fields of their own background
  // colour: the score panel (numbers end at x 77 and 73, at y 57, 99, 153) and the page number
  // (ends at x 716, y 30). Any other colour there would show as boxes around the digits.
  struct Field {
    Where where;
    const char* strip;
    int right, y, digits;
  };
  const Field fields[] = {{kGame, "scorefont.bmp", 77, 57, 7},
                          {kGame, "scorefont.bmp", 77, 99, 7},
                          {kGame, "scorefont.bmp", 73, 153, 6},
                          {kLauncher, "PageNumbers.bmp", 716, 30, 2}};
  for (const Field& f : fields) {
    SCOPED_TRACE(f.strip);
    SurfacePtr strip = Load(f.where, f.strip);
    SurfacePtr back = Load(f.where, "background.bmp");
    ASSERT_TRUE(strip && back);
    const uint16_t paper = strip->PixelAt(0, 0);
    if (paper == kKey) continue;  // a keyed strip may lie on anything
    const int dw = strip->Width() / 10;
    int wrong = 0;
    for (int y = f.y; y < f.y + strip->Height(); ++y)
      for (int x = f.right - f.digits * dw; x < f.right; ++x)
        wrong += back->PixelAt(x, y) != paper;
    EXPECT_EQ(wrong, 0) << "field ending at " << f.right << "," << f.y;
  }
  // The two spellings of the Back button are one picture.
  EXPECT_EQ(ReadBytes(PathOf(kLauncher, "backbutton.bmp")),
            ReadBytes(PathOf(kLauncher, "BackButton.bmp")));
}

TEST(GeneratedData, HallOfFameScoresFitTheirColumns) {
  // Scores are drawn from x 587 with spacing 1; seven digits must end inside the panel.
  SurfacePtr panel = Load(kLauncher, "HallOfFameScreen.bmp");
  ASSERT_TRUE(panel);
  for (const char* name : {"HallBlackFont.bmp", "HallPurpleFont.bmp"}) {
    SCOPED_TRACE(name);
    SurfacePtr sheet = Load(kLauncher, name);
    ASSERT_TRUE(sheet);
    int extra = 0;
    std::vector<Glyph> glyphs = ScanFontSheet(PathOf(kLauncher, name), *sheet, &extra);
    ASSERT_EQ(glyphs.size(), static_cast<size_t>(kSheetGlyphs));
    int widest = 0;
    for (char d = '0'; d <= '9'; ++d)
      widest = std::max(widest, glyphs[d - 33].right - glyphs[d - 33].left);
    EXPECT_LE(587 + 7 * (widest + 1), panel->Width());
  }
}

struct ColourStats {
  double luma = 0;            // mean lightness of the opaque pixels
  double hueX = 0, hueY = 0;  // mean hue direction of the bright, saturated pixels
};

ColourStats Measure(const QZSurface& s, const Frame& f) {
  ColourStats out;
  int opaque = 0;
  for (int y = f.y; y < f.y + f.h; ++y)
    for (int x = f.x; x < f.x + f.w; ++x) {
      uint16_t p = s.PixelAt(x, y);
      if (p == kKey) continue;
      double r = (p >> 11) / 31.0, g = ((p >> 5) & 63) / 63.0, b = (p & 31) / 31.0;
      out.luma += 0.299 * r + 0.587 * g + 0.114 * b;
      ++opaque;
      double hi = std::max({r, g, b}), lo = std::min({r, g, b});
      if (hi < 0.5 || hi - lo < 0.35 * hi) continue;  // outlines, highlights, greys
      double d = hi - lo, hue;
      if (hi == r) {
        hue = std::fmod((g - b) / d, 6.0);
      } else if (hi == g) {
        hue = (b - r) / d + 2;
      } else {
        hue = (r - g) / d + 4;
      }
      out.hueX += std::cos(hue * M_PI / 3);
      out.hueY += std::sin(hue * M_PI / 3);
    }
  if (opaque) out.luma /= opaque;
  double len = std::hypot(out.hueX, out.hueY);
  if (len > 0) {
    out.hueX /= len;
    out.hueY /= len;
  }
  return out;
}

TEST(GeneratedData, BalloonColoursStayApart) {
  // Colour order of the game: red, yellow, purple, green, and the fifth colour (blue).
  const char* plain[5] = {"red.bmp", "yellow.bmp", "purple.bmp", "green.bmp", "blue.bmp"};
  const char* stars[5] = {"redstar.bmp", "yellowstar.bmp", "purplestar.bmp", "greenstar.bmp",
                          "bluestar.bmp"};
  ColourStats colours[5];
  std::vector<double> lumas;
  for (int c = 0; c < 5; ++c) {
    SurfacePtr b = Load(kGame, plain[c]);
    SurfacePtr s = Load(kGame, stars[c]);
    ASSERT_TRUE(b && s);
    colours[c] = Measure(*b, {0, 0, 32, 40});
    lumas.push_back(colours[c].luma);
    // The star is a shape of its own, not only a colour change.
    int differ = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 32; ++x)
        differ += b->PixelAt(x, y) != s->PixelAt(x, y);
    EXPECT_GE(differ, 60) << stars[c];
  }
  // Without colour vision the balloons still differ in lightness.
  std::vector<double> sorted = lumas;
  std::sort(sorted.begin(), sorted.end());
  for (size_t i = 1; i < sorted.size(); ++i)
    EXPECT_GE(sorted[i] - sorted[i - 1], 0.05);
  // Point labels: tile t is drawn in colour t mod 5, so its hue is nearest to that balloon's.
  SurfacePtr labels = Load(kGame, "score.bmp");
  ASSERT_TRUE(labels);
  const int columns = labels->Width() / 34;
  for (int t = 0; t < 255; ++t) {
    ColourStats tile = Measure(*labels, {(t % columns) * 34, (t / columns) * 21, 34, 21});
    int nearest = 0;
    double best = -2;
    for (int c = 0; c < 5; ++c) {
      double similarity = tile.hueX * colours[c].hueX + tile.hueY * colours[c].hueY;
      if (similarity > best) {
        best = similarity;
        nearest = c;
      }
    }
    EXPECT_EQ(nearest, t % 5) << "tile " << t;
  }
}

}  // namespace
