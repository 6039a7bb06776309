#include "framework/Image.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestFiles.h"
#include "framework/SurfaceRoutines.h"

namespace {

using SurfacePtr = std::unique_ptr<QZSurface, void (*)(QZSurface*)>;

// A 4 x 3 picture: red, except a pure blue top-left pixel and a green bottom-right one.
Rgb Picture(int x, int y) {
  if (x == 0 && y == 0) return {0, 0, 255};
  if (x == 3 && y == 2) return {0, 255, 0};
  return {255, 0, 0};
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteBitmap24(path, 4, 3, Picture)); }
  TempFolder folder;
  std::string path = folder.File("pic.bmp");
  SurfacePtr target{CreateSurface(10, 8), &QZSurface::Release};
};

TEST_F(ImageTest, LoadsWithBlueAsTheTransparentColour) {
  Image image(path.c_str());
  ASSERT_NE(image.Surface(), nullptr);
  EXPECT_STREQ(image.Name(), path.c_str());
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Height(), 3);
  FillColor(target.get(), 0x1111);
  image.Draw(target.get(), 2, 1);
  EXPECT_EQ(target->PixelAt(2, 1), 0x1111);  // the blue pixel is not drawn
  EXPECT_EQ(target->PixelAt(3, 1), 0xF800);
  EXPECT_EQ(target->PixelAt(5, 3), 0x07E0);
  EXPECT_EQ(target->PixelAt(6, 3), 0x1111);
}

TEST_F(ImageTest, FailedLoadKeepsTheNameAndDrawsNothing) {
  Image image;
  image.SetName("panel");
  EXPECT_EQ(image.Load(folder.File("missing.bmp").c_str()), nullptr);
  EXPECT_STREQ(image.Name(), "panel");
  EXPECT_EQ(image.Surface(), nullptr);
  FillColor(target.get(), 0x1111);
  image.Draw(target.get(), 0, 0);
  EXPECT_EQ(target->PixelAt(1, 0), 0x1111);

  // A failed reload gives back the picture it had instead of keeping a stale one.
  ASSERT_NE(image.Load(path.c_str()), nullptr);
  EXPECT_EQ(image.Load(folder.File("missing2.bmp").c_str()), nullptr);
  EXPECT_EQ(image.Surface(), nullptr);
  EXPECT_EQ(image.Width(), 0);
  EXPECT_STREQ(image.Name(), path.c_str());

  Image empty(nullptr);
  EXPECT_STREQ(empty.Name(), "");
  EXPECT_EQ(empty.Surface(), nullptr);
}

TEST_F(ImageTest, LoadWithoutPathEmptiesTheImage) {
  Image image(path.c_str());
  EXPECT_EQ(image.Load(nullptr), nullptr);
  EXPECT_EQ(image.Surface(), nullptr);
  EXPECT_STREQ(image.Name(), "");
}

TEST_F(ImageTest, DrawnPartlyOffTheTopLeftShowsTheVisiblePart) {
  Image image(path.c_str());
  FillColor(target.get(), 0x1111);
  image.Draw(target.get(), -3, -2);
  EXPECT_EQ(target->PixelAt(0, 0), 0x07E0);  // the picture's bottom-right pixel
  EXPECT_EQ(target->PixelAt(1, 0), 0x1111);
  EXPECT_EQ(target->PixelAt(0, 1), 0x1111);
  image.SetPosition(8, 6);
  image.Draw(target.get());
  EXPECT_EQ(target->PixelAt(9, 7), 0xF800);
  EXPECT_EQ(target->PixelAt(8, 6), 0x1111);  // blue, not drawn
}

TEST_F(ImageTest, NamesAreCutToTheirField) {
  Image image;
  const std::string longName(400, 'n');
  image.SetName(longName.c_str());
  EXPECT_EQ(std::string(image.Name()), longName.substr(0, Image::kNameSize - 1));
  image.SetName(nullptr);
  EXPECT_STREQ(image.Name(), "");
}

TEST_F(ImageTest, SetColorKeyChangesWhatIsTransparent) {
  Image image(path.c_str());
  image.SetColorKey(255, 0, 0);
  FillColor(target.get(), 0x1111);
  image.Draw(target.get(), 0, 0);
  EXPECT_EQ(target->PixelAt(0, 0), 31);
  EXPECT_EQ(target->PixelAt(1, 0), 0x1111);
}

}  // namespace
