#include "framework/Screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "WidgetFixture.h"
#include "framework/ScreenManager.h"
#include "platform/Files.h"
#include "platform/Video.h"

namespace {

Rgb Solid(uint8_t r, uint8_t g, uint8_t b) {
  return {r, g, b};
}

class ScreenTest : public WidgetFixture {
 protected:
  void SetUp() override {
    WidgetFixture::SetUp();
    ASSERT_TRUE(platform::GetCurrentFolder(previous, sizeof(previous)));
    ASSERT_TRUE(platform::SetCurrentFolder(folder.path.c_str()));
  }
  void TearDown() override {
    platform::SetCurrentFolder(previous);
    WidgetFixture::TearDown();
  }
  // A w x h bitmap of one colour in the test folder; returns its absolute path.
  std::string Bitmap(const std::string& name, int w, int h, Rgb colour) {
    const std::string path = folder.File(name);
    EXPECT_TRUE(WriteBitmap24(path, w, h, [colour](int, int) { return colour; }));
    return path;
  }
  std::string Ini(const std::string& text) {
    const std::string path = folder.File("screen.ini");
    FILE* out = std::fopen(path.c_str(), "w");
    std::fputs(text.c_str(), out);
    std::fclose(out);
    return path;
  }

  TempFolder folder;
  char previous[4096] = {};
};

TEST_F(ScreenTest, IniLoaderStopsAtTheFirstMissingNumber) {
  Bitmap("sky.bmp", 4, 4, Solid(255, 0, 0));
  Bitmap("sun.bmp", 4, 4, Solid(0, 255, 0));
  const std::string ini =
      Ini("[images]\nimage01=sky\nimage03=sun\n"
          "[sky]\nx=12\ny=34\n"
          "[sun]\nfile=sun.bmp\n");
  Screen screen;
  EXPECT_EQ(screen.LoadImages(ini.c_str()), 0);
  ASSERT_EQ(screen.Images()->Count(), 1);
  Image* sky = screen.FindImage("sky");
  ASSERT_NE(sky, nullptr);
  // Without a file key the section's own name with ".bmp" is loaded, from the current folder.
  ASSERT_NE(sky->Surface(), nullptr);
  EXPECT_EQ(sky->X(), 12);
  EXPECT_EQ(sky->Y(), 34);
  EXPECT_EQ(screen.FindImage("sun"), nullptr);
}

TEST_F(ScreenTest, IniLoaderKeepsPicturesWhoseFileIsMissing) {
  Bitmap("cloud.bmp", 3, 3, Solid(255, 255, 255));
  const std::string ini =
      Ini("[Images]\nImage01=ghost\nimage02=cloud\nimage03=bad\n"
          "[ghost]\nfile=nowhere.bmp\nx=5\n"
          "[cloud]\nfile=cloud.bmp\nx=abc\ny=-7\n"
          "[bad]\n");
  Screen screen;
  screen.LoadImages(ini.c_str());
  ASSERT_EQ(screen.Images()->Count(), 3);
  Image* ghost = screen.FindImage("ghost");
  ASSERT_NE(ghost, nullptr);
  EXPECT_EQ(ghost->Surface(), nullptr);  // kept without a picture
  EXPECT_EQ(ghost->X(), 5);
  EXPECT_EQ(ghost->Y(), 0);  // a missing key reads as 0
  Image* cloud = screen.FindImage("cloud");
  ASSERT_NE(cloud, nullptr);
  EXPECT_NE(cloud->Surface(), nullptr);
  EXPECT_EQ(cloud->X(), 0);  // not a number
  EXPECT_EQ(cloud->Y(), -7);
  EXPECT_EQ(screen.FindImage("bad")->Surface(), nullptr);  // bad.bmp does not exist
  // A missing picture still answers a draw by name, drawing nothing.
  EXPECT_EQ(screen.DrawImage(back.get(), "ghost"), 1);
  EXPECT_EQ(back->PixelAt(5, 0), kPaper);

  Screen none;
  none.LoadImages(folder.File("absent.ini").c_str());
  EXPECT_EQ(none.Images()->Count(), 0);
}

TEST_F(ScreenTest, AddImageDropsAFailedLoadAndAddImageAsKeepsIt) {
  const std::string red = Bitmap("red.bmp", 4, 4, Solid(255, 0, 0));
  const std::string green = Bitmap("green.bmp", 4, 4, Solid(0, 255, 0));
  Screen screen;
  EXPECT_EQ(screen.AddImage(folder.File("none.bmp").c_str()), nullptr);
  EXPECT_EQ(screen.Images()->Count(), 0);
  Image* first = screen.AddImage(red.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->Name(), red.c_str());

  Image* missing = screen.AddImageAs(folder.File("none.bmp").c_str(), "panel");
  ASSERT_NE(missing, nullptr);
  EXPECT_STREQ(missing->Name(), "panel");
  EXPECT_EQ(screen.Images()->Count(), 2);

  // Two images of one name: the first one added answers.
  Image* a = screen.AddImageAs(red.c_str(), "twin");
  screen.AddImageAs(green.c_str(), "twin");
  EXPECT_EQ(screen.FindImage("twin"), a);
  EXPECT_EQ(screen.FindImage("TWIN"), nullptr);
  EXPECT_EQ(screen.DrawImageAt(back.get(), "twin", 10, 10), 1);
  EXPECT_EQ(back->PixelAt(10, 10), kRed);
  EXPECT_EQ(screen.DrawImageAt(back.get(), "nobody", 20, 20), 0);

  // Removing by name takes the first out without destroying it.
  Image* removed = screen.RemoveImageByName("twin");
  ASSERT_EQ(removed, a);
  EXPECT_NE(removed->Surface(), nullptr);  // still whole
  ASSERT_NE(screen.FindImage("twin"), nullptr);
  EXPECT_NE(screen.FindImage("twin"), a);
  EXPECT_EQ(screen.Images()->Count(), 3);
  delete removed;
  EXPECT_EQ(screen.RemoveImageByName("nobody"), nullptr);
}

TEST_F(ScreenTest, CloseDestroysButtonsAndImagesAndOpenMakesFreshLists) {
  const std::string red = Bitmap("red.bmp", 4, 4, Solid(255, 0, 0));
  Screen screen;
  screen.Buttons()->SetOrigin(30, 40);
  auto* button = new Button(1, 2, 3, 4);
  screen.AddButton(button);
  EXPECT_EQ(button->OriginX(), 30);  // the list's origin is given on adding
  EXPECT_EQ(button->OriginY(), 40);
  screen.AddImage(red.c_str());
  screen.Close();
  EXPECT_EQ(screen.Buttons(), nullptr);
  EXPECT_EQ(screen.Images(), nullptr);
  EXPECT_EQ(screen.FindImage(red.c_str()), nullptr);
  screen.Open(nullptr, back.get());
  ASSERT_NE(screen.Buttons(), nullptr);
  EXPECT_EQ(screen.Buttons()->Count(), 0);
  EXPECT_EQ(screen.Images()->Count(), 0);
  EXPECT_EQ(screen.Back(), back.get());
}

TEST_F(ScreenTest, OpenBackgroundGivesTheRedrawListItsTwoPictures) {
  const std::string path = Bitmap("bg.bmp", 800, 600, Solid(0, 255, 0));
  Screen screen;
  EXPECT_EQ(screen.OpenBackground(folder.File("none.bmp").c_str()), 0);
  ASSERT_EQ(screen.OpenBackground(path.c_str()), 1);
  ASSERT_NE(screen.ScenePicture(), nullptr);
  ASSERT_NE(screen.BackgroundPicture(), nullptr);
  EXPECT_NE(screen.ScenePicture()->Surface(), screen.BackgroundPicture()->Surface());
  EXPECT_EQ(TheDirtyRects().Scene(), screen.ScenePicture()->Surface());
  EXPECT_EQ(TheDirtyRects().Background(), screen.BackgroundPicture()->Surface());
  ASSERT_EQ(RecordCount(), 1);  // the whole scene is marked
  EXPECT_EQ(LastRecord()->width, 800);
  screen.Close();
  EXPECT_EQ(screen.ScenePicture(), nullptr);
  TheDirtyRects().Reset();
}

// The display brought up on the memory video, so what Flip presents can be read.
class FlipTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    auto video = std::make_unique<platform::MemoryVideo>();
    memory = video.get();
    platform::SetVideo(std::move(video));
    platform::WindowDesc desc;
    ASSERT_TRUE(memory->CreateWindow(desc));
    platform::Messages().Clear();
    ASSERT_EQ(QZInitDirectX(memory, 800, 600), 1);
    QZGetDDInfo(nullptr, &display);
    TheDirtyRects().SetBackBuffer(nullptr);
    FillColor(display, kPaper);
  }
  void TearDown() override {
    QZFreeDirectX();
    platform::SetVideo(nullptr);
    ScreenTest::TearDown();
  }
  platform::MemoryVideo* memory = nullptr;
  QZSurface* display = nullptr;
};

class CountingFlips : public Screen {
 public:
  int Flip() override {
    ++flips;
    return Screen::Flip();
  }
  int flips = 0;
};

TEST_F(FlipTest, FlipPresentsAndRestoresTheRectanglesOfTheFrameBefore) {
  Screen screen;
  screen.Open(QZGetLPDD(), display);
  SurfacePtr scene = MakeSurface(800, 600, kGreen);
  TheDirtyRects().SetScene(scene.get());
  TheDirtyRects().MarkRect(10, 10, 20, 20, 1, kDirtyFromScene);
  EXPECT_EQ(screen.Flip(), 1);
  EXPECT_EQ(memory->presents, 1);
  EXPECT_EQ(display->PixelAt(15, 15), kPaper);  // its list is not current yet
  EXPECT_EQ(screen.Flip(), 1);
  EXPECT_EQ(display->PixelAt(15, 15), kGreen);
  EXPECT_EQ(display->PixelAt(20, 20), kPaper);
  EXPECT_EQ(TheDirtyRects().List(0).Count(), 0);  // one-shot: forgotten after its pass
}

TEST_F(FlipTest, ThePointerIsInThePresentedPictureButNotLeftInTheBackBuffer) {
  const std::string arrow = Bitmap("arrow.bmp", 6, 6, Solid(255, 255, 255));
  MousePointer& pointer = TheMousePointer();
  pointer.Init(arrow.c_str());
  pointer.SelectPicture(0);
  pointer.Show();
  pointer.SetPosition(100, 50);
  Screen screen;
  screen.Open(QZGetLPDD(), display);
  screen.Flip();
  pointer.Free();
  pointer.Init(nullptr);
  pointer.SelectPicture(0);
  ASSERT_TRUE(memory->lastPicture);
  EXPECT_EQ(memory->lastPicture->PixelAt(102, 52), kWhite);
  EXPECT_EQ(display->PixelAt(102, 52), kPaper);
}

TEST_F(FlipTest, ChildTakesOverTheFlip) {
  CountingFlips child;
  Screen parent;
  parent.Open(QZGetLPDD(), display);
  child.Open(QZGetLPDD(), display);
  parent.SetChild(&child);
  const int list = TheDirtyRects().Current();
  parent.Flip();
  EXPECT_EQ(child.flips, 1);
  EXPECT_EQ(memory->presents, 1);
  EXPECT_NE(TheDirtyRects().Current(), list);  // swapped once, by the child only
}

// A screen opened after another whose background picture is missing: the redraw list must not
// keep restoring from the closed screen's freed scene (the sanitizer build reports such a read).
TEST_F(FlipTest, AScreenWithoutItsBackgroundDoesNotRestoreFromTheLastScreensScene) {
  const std::string path = Bitmap("pages.bmp", 800, 600, Solid(0, 255, 0));
  Screen pages;
  pages.Open(QZGetLPDD(), display);
  ASSERT_EQ(pages.OpenBackground(path.c_str()), 1);
  pages.Flip();
  TheDirtyRects().MarkRect(0, 0, 40, 40, 1, kDirtyFromScene);
  pages.Close();

  FillColor(display, kPaper);
  Screen title;
  title.Open(QZGetLPDD(), display);
  EXPECT_EQ(title.OpenBackground(folder.File("gone.bmp").c_str()), 0);
  EXPECT_EQ(TheDirtyRects().Scene(), nullptr);
  EXPECT_EQ(TheDirtyRects().Background(), nullptr);
  TheDirtyRects().MarkRect(0, 0, 40, 40, 1, kDirtyFromScene);
  TheDirtyRects().EraseAll();
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(title.Flip(), 1);
  EXPECT_EQ(display->PixelAt(5, 5), kPaper);
  EXPECT_EQ(display->PixelAt(400, 300), kPaper);
  title.Close();
  TheDirtyRects().Reset();
}

class LoggingScreen : public Screen {
 public:
  LoggingScreen(const char* name, std::vector<std::string>* log) : log(log) { SetName(name); }
  int Open(QZDirectDraw* dd, QZSurface* backBuffer) override {
    log->push_back(std::string("open ") + Name());
    return Screen::Open(dd, backBuffer);
  }
  void Close() override {
    log->push_back(std::string("close ") + Name());
    Screen::Close();
  }
  int Update(int active) override { return active ? 7 : 3; }
  std::vector<std::string>* log;
};

TEST_F(ScreenTest, ManagerSelectsByExactNameAndReopensTheCurrentScreen) {
  std::vector<std::string> log;
  LoggingScreen title("title", &log);
  LoggingScreen pages("Hubbix", &log);
  ScreenManager manager;
  EXPECT_EQ(manager.Update(1), 0);
  EXPECT_EQ(manager.OnMessage(platform::WM_MOUSEMOVE, 0, 0), 1);
  manager.SetSurfaces(nullptr, back.get());
  manager.AddScreen(&pages);
  manager.AddScreen(&title);
  EXPECT_EQ(manager.Select("hubbix"), nullptr);  // case-sensitive
  EXPECT_EQ(manager.Select("Hubbix"), &pages);
  EXPECT_EQ(pages.Back(), back.get());
  EXPECT_EQ(manager.Select("title"), &title);
  EXPECT_EQ(manager.Select("title"), &title);  // its own name: closed and opened again
  EXPECT_EQ(manager.Select("elsewhere"), &title);
  const std::vector<std::string> expected = {"open Hubbix", "close Hubbix", "open title",
                                             "close title", "open title"};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(manager.Update(1), 7);
  EXPECT_EQ(manager.Update(0), 3);
  log.clear();
  manager.CloseAll();
  const std::vector<std::string> closed = {"close Hubbix", "close title"};
  EXPECT_EQ(log, closed);
}

}  // namespace
