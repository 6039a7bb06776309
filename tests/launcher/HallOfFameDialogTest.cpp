// The hall of fame on its own: the two columns with their alternating fonts, the names cut at
// their first colon, the upload address of the best entry, and "clear".

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "LauncherFixture.h"
#include "framework/HighScoreTable.h"
#include "launcher/Maker.h"

namespace launcher_test {
namespace {

const std::string kUploadPrefix = std::string(kMakerSite) + "/cgi-bin/hiscore.cgi?";
constexpr int kUploadX = 53 + 552 + 10, kUploadY = 18 + 88 + 10;
constexpr int kClearX = 53 + 552 + 10, kClearY = 18 + 149 + 10;
constexpr int kBackX = 53 + 595 + 10, kBackY = 18 + 220 + 10;

class HallOfFameDialogTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    AddGame("Zeppolo");
    ASSERT_TRUE(platform::SetCurrentFolder(GameFolder("Zeppolo").c_str()));
  }
  void WriteTable(const std::vector<std::pair<std::string, int>>& rows) {
    HighScoreTable table;
    table.Init(20);
    for (const auto& row : rows)
      ASSERT_TRUE(table.Insert(row.first.c_str(), row.second));
    ASSERT_TRUE(table.Save("hiscore.dat"));
  }
  // Builds and places the dialog as the title page does; the panel is the scene, as during Run.
  void Open() {
    dialog.CreateLists();
    dialog.Place(53, 18);
    TheDirtyRects().SetScene(dialog.CurrentPanel()->Surface());
  }
  void Step(int x, int y, uint32_t buttons) {
    dialog.Buttons()->OnMouseAll(x, y, buttons);
    dialog.OnFrame(x, y, buttons);
  }
  void ClickAt(int x, int y) {
    Step(x, y, kLeft);
    Step(x, y, 0);
  }

  HallOfFameDialog dialog{"Zeppolo"};
};

// The panel as it should look: a fresh copy with each text drawn where the table's rows go.
struct Expected {
  Expected() : panel(QZLoadBitmap("..\\HallOfFameScreen.bmp", 16)) {
    purple.Load("..\\HallPurpleFont.bmp");
    purple.SetSpacing(1);
    black.Load("..\\HallBlackFont.bmp");
    black.SetSpacing(1);
  }
  ~Expected() { QZSurface::Release(panel); }
  void Row(int row, const char* name, const char* score, int x) {
    const Font& font = row % 2 == 0 ? purple : black;
    font.DrawText(panel, name, x, 275 + 26 * row, 0, -1);
    font.DrawText(panel, score, x + 200, 275 + 26 * row, 0, -1);
  }
  QZSurface* panel;
  Font purple;
  Font black;
};

int DifferingPixels(const QZSurface* a, const QZSurface* b) {
  if (a->Width() != b->Width() || a->Height() != b->Height()) return -1;
  int differ = 0;
  for (int y = 0; y < a->Height(); ++y) {
    for (int x = 0; x < a->Width(); ++x)
      differ += a->PixelAt(x, y) != b->PixelAt(x, y) ? 1 : 0;
  }
  return differ;
}

TEST_F(HallOfFameDialogTest, ThreeEntriesFillTheLeftColumnInAlternatingFonts) {
  WriteTable({{"Anna Lee:1 Main St:anna@mail.example.com:Y", 300}, {"Bob:::N", 200}, {"Cy", 100}});
  Open();
  Step(0, 0, 0);
  EXPECT_EQ(dialog.IsDone(), 0);

  Expected expected;
  ASSERT_NE(expected.panel, nullptr);
  expected.Row(0, "Anna Lee", "300", 56);
  expected.Row(1, "Bob", "200", 56);
  expected.Row(2, "Cy", "100", 56);
  EXPECT_EQ(DifferingPixels(dialog.CurrentPanel()->Surface(), expected.panel), 0);

  // The fonts really differ, so the comparison tells them apart.
  Expected swapped;
  swapped.Row(1, "Anna Lee", "300", 56);
  swapped.Row(0, "Bob", "200", 56);
  swapped.Row(2, "Cy", "100", 56);
  EXPECT_GT(DifferingPixels(dialog.CurrentPanel()->Surface(), swapped.panel), 0);
}

TEST_F(HallOfFameDialogTest, EntriesTenToNineteenFillTheRightColumnFromTheDialogPosition) {
  std::vector<std::pair<std::string, int>> rows;
  for (int i = 0; i < 12; ++i)
    rows.push_back({"P" + std::to_string(i), 1000 - i});
  WriteTable(rows);
  Open();
  Step(0, 0, 0);

  Expected expected;
  for (int i = 0; i < 10; ++i)
    expected.Row(i, ("P" + std::to_string(i)).c_str(), std::to_string(1000 - i).c_str(), 56);
  expected.Row(0, "P10", "990", 387);
  expected.Row(1, "P11", "989", 387);
  EXPECT_EQ(DifferingPixels(dialog.CurrentPanel()->Surface(), expected.panel), 0);
}

TEST_F(HallOfFameDialogTest, NamesBeyondAsciiShowTheirLettersAndBrokenBytesPlaceholders) {
  // A name typed on a German keyboard; one from a hand edit in Latin-1; one whose 256 bytes are
  // all taken, with a UTF-8 letter split by the end of the field (control bytes, which draw as
  // nothing, fill it up to there).
  std::string split = "A" + std::string(253, '\x01') + "\xC3\xA9";
  WriteTable({{"J\xC3\xBCrgen Wei\xC3\x9F:::Y", 300}, {"Zo\xE9:::Y", 200}});
  std::string file = launcher.Read("Zeppolo/hiscore.dat");
  std::memcpy(&file[4 + 2 * 260], split.data(), 256);
  file[4 + 2 * 260 + 256] = 100;
  launcher.Write("Zeppolo/hiscore.dat", file);
  Open();
  Step(0, 0, 0);

  const QZSurface* shown = dialog.CurrentPanel()->Surface();
  const std::string placeholder = "\xEF\xBF\xBD";  // U+FFFD: no sheet holds it either
  auto differing = [&](const std::string& first, const std::string& second,
                       const std::string& third) {
    Expected expected;
    expected.Row(0, first.c_str(), "300", 56);
    expected.Row(1, second.c_str(), "200", 56);
    expected.Row(2, third.c_str(), "100", 56);
    return DifferingPixels(shown, expected.panel);
  };
  const std::string german = "J\xC3\xBCrgen Wei\xC3\x9F";
  const std::string cut = "A" + placeholder;
  EXPECT_EQ(differing(german, "Zo" + placeholder, cut), 0);
  // Neither the letters nor the placeholders are left out.
  EXPECT_GT(differing("Jurgen Weis", "Zo" + placeholder, cut), 0);
  EXPECT_GT(differing(german, "Zo", cut), 0);
  EXPECT_GT(differing(german, "Zo" + placeholder, "A"), 0);
}

TEST_F(HallOfFameDialogTest, UploadSendsTheWholeStoredLineOfTheBestEntryAndStaysOpen) {
  WriteTable({{"Anna Lee:1 Main St:anna@mail.example.com:Y", 300}, {"Bob", 200}});
  Open();
  ClickAt(kUploadX, kUploadY);
  ASSERT_EQ(starter.addresses.size(), 1u);
  EXPECT_EQ(starter.addresses[0].rfind("https://www.qorvexgames.example.com/cgi-bin/", 0), 0u)
      << starter.addresses[0];
  EXPECT_EQ(starter.addresses[0],
            kUploadPrefix +
                "game=Zeppolo&name=Anna%20Lee:1%20Main%20St:anna@mail.example.com:Y&score=" +
                std::to_string(300 ^ 0x6C3E1D9));
  EXPECT_EQ(dialog.IsDone(), 0);
  EXPECT_TRUE(starter.starts.empty());
}

TEST_F(HallOfFameDialogTest, EmptyTableUploadsAnEmptyNameAndTheMaskAsScore) {
  Open();
  ClickAt(kUploadX, kUploadY);
  ASSERT_EQ(starter.addresses.size(), 1u);
  EXPECT_EQ(starter.addresses[0], kUploadPrefix + "game=Zeppolo&name=&score=113500633");
}

TEST_F(HallOfFameDialogTest, OverlongStoredNameIsCutSafely) {
  // A file written elsewhere: a 255-character name, every byte of which needs an escape.
  WriteTable({{std::string(255, '^'), 42}});
  Open();
  ClickAt(kUploadX, kUploadY);
  ASSERT_EQ(starter.addresses.size(), 1u);
  const std::string& address = starter.addresses[0];
  const std::string head = kUploadPrefix + "game=Zeppolo&name=";
  const std::string tail = "&score=" + std::to_string(42 ^ 0x6C3E1D9);
  EXPECT_LE(address.size(), 255u);
  ASSERT_EQ(address.compare(0, head.size(), head), 0);
  ASSERT_EQ(address.compare(address.size() - tail.size(), tail.size(), tail), 0);
  const std::string cut = address.substr(head.size(), address.size() - head.size() - tail.size());
  EXPECT_EQ(cut.size() % 3, 0u);
  EXPECT_EQ(cut.find_first_not_of("%5e"), std::string::npos);
}

TEST_F(HallOfFameDialogTest, ClearWritesAnEmptyTableAndCloses) {
  WriteTable({{"Anna", 300}, {"Bob", 200}});
  Open();
  ClickAt(kClearX, kClearY);
  EXPECT_EQ(dialog.IsDone(), 1);
  EXPECT_STREQ(dialog.Result(), "clear");
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(platform::ReadWholeFile("hiscore.dat", bytes));
  ASSERT_EQ(bytes.size(), 5204u);
  EXPECT_EQ(bytes[0], 20);
  for (size_t i = 4; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], 0) << "byte " << i;
  EXPECT_EQ(dialog.Table()->Name(0)[0], '\0');
}

TEST_F(HallOfFameDialogTest, ClearWithoutAFileCreatesIt) {
  Open();
  EXPECT_FALSE(platform::FileExists("hiscore.dat"));
  ClickAt(kClearX, kClearY);
  EXPECT_EQ(std::filesystem::file_size(GameFolder("Zeppolo") + "/hiscore.dat"), 5204u);
}

TEST_F(HallOfFameDialogTest, BackAnswersWithoutTouchingTheTable) {
  WriteTable({{"Anna", 300}});
  Open();
  ClickAt(kBackX, kBackY);
  EXPECT_STREQ(dialog.Result(), "back");
  HighScoreTable table;
  table.Init(20);
  ASSERT_TRUE(table.Load("hiscore.dat"));
  EXPECT_STREQ(table.Name(0), "Anna");
  EXPECT_TRUE(starter.addresses.empty());
}

}  // namespace
}  // namespace launcher_test
