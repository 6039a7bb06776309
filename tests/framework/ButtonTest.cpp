#include "framework/Button.h"

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "WidgetFixture.h"
#include "framework/ButtonList.h"

namespace {

using platform::MakeLParam;
using platform::WM_LBUTTONDOWN;
using platform::WM_LBUTTONUP;
using platform::WM_MOUSEMOVE;
using platform::WM_RBUTTONUP;

constexpr uint32_t kLeft = 1;
constexpr uint32_t kRight = 2;

class ButtonTest : public WidgetFixture {
 protected:
  // A button at (x, y) with 20 x 20 pictures: normal red, over green, pressed white.
  static Button* ThreeStates(int x, int y) {
    auto* button = new Button(x, y);
    button->AddStateImage(0, NewSolid(20, 20, kRed));
    button->AddStateImage(1, NewSolid(20, 20, kGreen));
    button->AddStateImage(2, NewSolid(20, 20, kWhite));
    return button;
  }
};

TEST_F(ButtonTest, PolledTestExcludesTheFarEdgesAndTheMessageTestIncludesThem) {
  Button button(10, 10, 20, 20);
  button.OnMouse(29, 29, 0);
  EXPECT_EQ(button.IsInside(), 1);
  button.OnMouse(30, 30, 0);
  EXPECT_EQ(button.IsInside(), 0);
  button.OnMouse(10, 10, 0);
  EXPECT_EQ(button.IsInside(), 1);
  button.OnMouse(9, 10, 0);
  EXPECT_EQ(button.IsInside(), 0);

  button.OnMessage(WM_MOUSEMOVE, 0, MakeLParam(30, 30));
  EXPECT_EQ(button.IsInside(), 1);
  button.OnMessage(WM_MOUSEMOVE, 0, MakeLParam(31, 30));
  EXPECT_EQ(button.IsInside(), 0);

  // The origin moves the sensitive rectangle.
  button.SetOrigin(100, 200);
  button.OnMouse(115, 215, 0);
  EXPECT_EQ(button.IsInside(), 1);
  button.OnMouse(15, 15, 0);
  EXPECT_EQ(button.IsInside(), 0);
}

TEST_F(ButtonTest, PolledPressStartedOutsideClicksOnReleaseInside) {
  std::unique_ptr<Button> button(ThreeStates(10, 10));
  EXPECT_EQ(button->OnMouse(0, 0, kLeft), Button::kStateNormal);
  EXPECT_EQ(button->OnMouse(15, 15, kLeft), Button::kStatePressed);  // pressed as soon as inside
  EXPECT_EQ(back->PixelAt(15, 15), kWhite);
  EXPECT_EQ(button->IsClicked(), 0);
  EXPECT_EQ(button->OnMouse(15, 15, 0), Button::kStateOver);
  EXPECT_EQ(button->IsClicked(), 1);
  EXPECT_EQ(button->ClickButton(), 1);
  EXPECT_EQ(back->PixelAt(15, 15), kGreen);
  // Clicked lasts only until the next test.
  button->OnMouse(15, 15, 0);
  EXPECT_EQ(button->IsClicked(), 0);
  EXPECT_EQ(button->State(), Button::kStateOver);
}

TEST_F(ButtonTest, PolledMovingInAndOutWhileHeldTogglesWithoutClicking) {
  std::unique_ptr<Button> button(ThreeStates(10, 10));
  button->OnMouse(15, 15, kLeft);
  EXPECT_EQ(button->State(), Button::kStatePressed);
  button->OnMouse(50, 50, kLeft);
  EXPECT_EQ(button->State(), Button::kStateNormal);
  EXPECT_EQ(back->PixelAt(15, 15), kRed);
  button->OnMouse(16, 16, kLeft);
  EXPECT_EQ(button->State(), Button::kStatePressed);
  button->OnMouse(50, 50, kLeft);
  button->OnMouse(50, 50, 0);
  EXPECT_EQ(button->IsClicked(), 0);
  EXPECT_EQ(button->State(), Button::kStateNormal);
  // A release inside without the button showing pressed only highlights it.
  button->OnMouse(15, 15, 0);
  EXPECT_EQ(button->IsClicked(), 0);
  EXPECT_EQ(button->State(), Button::kStateOver);
  // The right button does nothing in the polled test.
  button->OnMouse(15, 15, kRight);
  button->OnMouse(15, 15, 0);
  EXPECT_EQ(button->IsClicked(), 0);
}

TEST_F(ButtonTest, MessageTestClicksOnAnyReleaseInside) {
  std::unique_ptr<Button> button(ThreeStates(10, 10));
  button->OnMessage(WM_LBUTTONDOWN, 0, MakeLParam(0, 0));
  EXPECT_EQ(button->State(), Button::kStateNormal);
  button->OnMessage(WM_MOUSEMOVE, 0, MakeLParam(15, 15));
  EXPECT_EQ(button->State(), Button::kStateOver);
  EXPECT_EQ(button->OnMessage(WM_LBUTTONUP, 0, MakeLParam(30, 30)), Button::kStateOver);
  EXPECT_EQ(button->IsClicked(), 1);
  EXPECT_EQ(button->ClickButton(), 1);

  button->OnMessage(WM_LBUTTONDOWN, 0, MakeLParam(12, 12));
  EXPECT_EQ(button->State(), Button::kStatePressed);
  EXPECT_EQ(back->PixelAt(12, 12), kWhite);
  button->OnMessage(WM_MOUSEMOVE, 0, MakeLParam(14, 14));
  EXPECT_EQ(button->State(), Button::kStatePressed);  // moving keeps it pressed
  button->OnMessage(WM_LBUTTONUP, 0, MakeLParam(40, 40));
  EXPECT_EQ(button->IsClicked(), 0);
  EXPECT_EQ(button->State(), Button::kStateNormal);
}

TEST_F(ButtonTest, RightButtonReleaseClicksWithoutChangingThePicture) {
  std::unique_ptr<Button> button(ThreeStates(10, 10));
  button->OnMessage(WM_RBUTTONUP, 0, MakeLParam(20, 20));
  EXPECT_EQ(button->IsClicked(), 1);
  EXPECT_EQ(button->ClickButton(), 2);
  EXPECT_EQ(button->State(), Button::kStateNormal);
  EXPECT_EQ(back->PixelAt(20, 20), kPaper);  // nothing drawn
  button->OnMessage(WM_RBUTTONUP, 0, MakeLParam(200, 200));
  EXPECT_EQ(button->IsClicked(), 0);
}

TEST_F(ButtonTest, PictureChoiceWithShiftSingleAndForcedImage) {
  auto* two = new Button(0, 0);
  two->AddStateImage(0, NewSolid(10, 10, kRed));
  two->AddStateImage(1, NewSolid(10, 10, kGreen));
  std::unique_ptr<Button> button(two);
  button->SetState(2);
  button->SetPictureShift(1);  // state + shift 3 is past the two pictures: the last one
  EXPECT_EQ(back->PixelAt(5, 5), kGreen);
  button->SetPictureShift(0);
  button->SetState(1);
  button->SetSingleImage(1);
  button->Draw(nullptr);
  EXPECT_EQ(back->PixelAt(5, 5), kRed);
  button->SetSingleImage(0);
  button->SetState(0);
  button->SetForcedImage(1);
  button->Draw(nullptr);
  EXPECT_EQ(back->PixelAt(5, 5), kGreen);
  // A forced index that names no picture falls back to the last one instead of reading past.
  button->SetForcedImage(5);
  FillColor(back.get(), kPaper);
  button->Draw(nullptr);
  EXPECT_EQ(back->PixelAt(5, 5), kGreen);
  button->SetForcedImage(-1);
  button->SetPictureShift(-3);
  FillColor(back.get(), kPaper);
  button->Draw(nullptr);
  EXPECT_EQ(back->PixelAt(5, 5), kGreen);
}

TEST_F(ButtonTest, DrawingIsKeyedStretchedAndReportedWhenAsked) {
  auto* raw = new Button(10, 20);
  QZSurface* picture = NewSolid(4, 4, kRed);
  std::unique_ptr<Button> button(raw);
  // Left half blue (transparent), right half red.
  const platform::Rect half{0, 0, 2, 4};
  picture->Fill(&half, kBlue);
  button->AddStateImage(0, picture);
  EXPECT_EQ(button->Width(), 4);
  EXPECT_EQ(button->HitHeight(), 4);
  button->Draw(nullptr);
  EXPECT_EQ(back->PixelAt(10, 20), kPaper);
  EXPECT_EQ(back->PixelAt(12, 20), kRed);
  EXPECT_EQ(RecordCount(), 0);

  button->SetMarkDirty(1);
  button->SetOrigin(100, 100);
  button->Redraw();
  EXPECT_EQ(back->PixelAt(113, 123), kRed);
  ASSERT_EQ(RecordCount(), 1);
  EXPECT_EQ(LastRecord()->left, 110);
  EXPECT_EQ(LastRecord()->top, 120);
  EXPECT_EQ(LastRecord()->width, 4);

  // The drawn size follows the last picture added; smaller pictures are stretched to it.
  button->SetMarkDirty(0);
  button->AddStateImage(1, NewSolid(8, 8, kGreen));
  FillColor(back.get(), kPaper);
  button->Redraw();
  EXPECT_EQ(back->PixelAt(110, 120), kPaper);  // the blue half, now four columns wide
  EXPECT_EQ(back->PixelAt(113, 120), kPaper);
  EXPECT_EQ(back->PixelAt(114, 127), kRed);
  EXPECT_EQ(back->PixelAt(117, 127), kRed);
  EXPECT_EQ(back->PixelAt(118, 127), kPaper);

  button->SetEnabled(0);
  FillColor(back.get(), kPaper);
  button->Redraw();
  EXPECT_EQ(back->PixelAt(113, 123), kPaper);
  EXPECT_EQ(button->OnMouse(112, 122, kLeft), Button::kStateNormal);  // disabled: no test
}

TEST_F(ButtonTest, TransparentHitIgnoresBluePixelsAndPointsBeyondThePicture) {
  auto* raw = new Button(0, 0);
  QZSurface* picture = NewSolid(10, 10, kRed);
  const platform::Rect hole{0, 0, 5, 10};
  picture->Fill(&hole, kBlue);  // the left half is transparent
  raw->AddStateImage(0, picture);
  raw->AddStateImage(1, NewSolid(10, 10, kGreen));
  raw->AddStateImage(2, NewSolid(10, 10, kWhite));
  std::unique_ptr<Button> button(raw);
  button->SetTransparentHit(1);

  button->OnMouse(2, 2, kLeft);
  EXPECT_EQ(button->State(), Button::kStateNormal);
  button->OnMouse(2, 2, 0);
  EXPECT_EQ(button->State(), Button::kStateNormal);  // not highlighted either
  button->OnMouse(7, 2, kLeft);
  EXPECT_EQ(button->State(), Button::kStatePressed);
  button->OnMouse(7, 2, 0);
  EXPECT_EQ(button->IsClicked(), 1);
  // Releasing over a blue pixel puts it back to normal.
  button->OnMouse(2, 2, 0);
  EXPECT_EQ(button->State(), Button::kStateNormal);

  // A sensitive rectangle larger than the picture: beyond it there is nothing to press.
  button->SetHitRect(0, 0, 40, 40);
  button->OnMouse(30, 30, kLeft);
  EXPECT_EQ(button->IsInside(), 1);
  EXPECT_EQ(button->State(), Button::kStateNormal);
  button->OnMouse(30, 30, 0);
  EXPECT_EQ(button->IsClicked(), 0);

  // Without any picture the inside test changes nothing.
  Button bare(0, 0, 10, 10);
  bare.SetTransparentHit(1);
  bare.OnMouse(5, 5, kLeft);
  EXPECT_EQ(bare.State(), Button::kStateNormal);
}

TEST_F(ButtonTest, DrawOnBothAndSwapFirstImages) {
  SurfacePtr scene = MakeSurface(50, 50, kPaper);
  SurfacePtr background = MakeSurface(50, 50, kPaper);
  TheDirtyRects().SetScene(scene.get());
  TheDirtyRects().SetBackground(background.get());
  auto* raw = new Button(5, 5);
  raw->AddStateImage(0, NewSolid(10, 10, kRed));
  raw->AddStateImage(1, NewSolid(10, 10, kGreen));
  std::unique_ptr<Button> button(raw);
  button->SetSingleImage(1);
  button->DrawOnBoth(0);
  EXPECT_EQ(scene->PixelAt(6, 6), kPaper);
  button->DrawOnBoth(1);
  EXPECT_EQ(scene->PixelAt(6, 6), kRed);
  EXPECT_EQ(background->PixelAt(6, 6), kRed);
  EXPECT_EQ(back->PixelAt(6, 6), kPaper);

  button->SwapFirstImages();  // the switch now shows its other picture, in the back buffer
  EXPECT_EQ(back->PixelAt(6, 6), kGreen);
  EXPECT_EQ(button->ImageId(0), 1);
  button->SwapFirstImages();
  EXPECT_EQ(back->PixelAt(6, 6), kRed);
}

TEST_F(ButtonTest, ResetShowsTheNormalPicture) {
  std::unique_ptr<Button> button(ThreeStates(0, 0));
  button->OnMouse(5, 5, kLeft);
  EXPECT_EQ(back->PixelAt(5, 5), kWhite);
  button->Reset();
  EXPECT_EQ(button->State(), Button::kStateNormal);
  EXPECT_EQ(back->PixelAt(5, 5), kRed);
}

class ButtonFileTest : public ButtonTest {
 protected:
  TempFolder folder;
};

TEST_F(ButtonFileTest, StripsAddAllTheirPicturesOrNone) {
  const std::string path = folder.File("strip.bmp");
  ASSERT_TRUE(WriteBitmap24(path, 40, 12, [](int x, int) -> Rgb {
    return x < 20 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
  }));
  Button button(0, 0);
  EXPECT_EQ(button.LoadStateStrip(path.c_str(), 2, 0), 1);
  EXPECT_EQ(button.ImageCount(), 2);
  EXPECT_EQ(button.Width(), 20);
  EXPECT_EQ(button.HitWidth(), 20);
  EXPECT_EQ(button.Picture(1)->PixelAt(0, 0), kGreen);

  Button stacked(0, 0);
  EXPECT_EQ(stacked.LoadStateStrip(path.c_str(), 3, 1), 1);
  EXPECT_EQ(stacked.ImageCount(), 3);
  EXPECT_EQ(stacked.Height(), 4);

  // More pictures than columns: the strip gives none, and none are added.
  Button narrow(0, 0);
  EXPECT_EQ(narrow.LoadStateStrip(path.c_str(), 41, 0), 1);
  EXPECT_EQ(narrow.ImageCount(), 0);

  Button missing(0, 0);
  EXPECT_EQ(missing.LoadStateStrip(folder.File("none.bmp").c_str(), 2, 0), 0);
  EXPECT_EQ(missing.LoadStateImage(0, folder.File("none.bmp").c_str()), 0);
  EXPECT_EQ(missing.ImageCount(), 0);
  missing.Draw(nullptr);  // no pictures: nothing drawn
  EXPECT_EQ(back->PixelAt(0, 0), kPaper);
  EXPECT_EQ(missing.LoadStateImage(7, path.c_str()), 1);
  EXPECT_EQ(missing.ImageId(0), 7);
  EXPECT_EQ(missing.Width(), 40);
}

TEST_F(ButtonTest, ListAnswersOnlyForTheFirstClickedButton) {
  ButtonList list;
  auto* a = new Button(0, 0, 10, 10);
  a->SetName("a");
  auto* b = new Button(5, 0, 10, 10);
  b->SetName("b");
  auto* c = new Button(100, 0, 10, 10);
  c->SetName("c");
  list.Add(a);
  list.Add(b);
  list.Add(c);

  // Both a and b lie under (7, 5).
  list.OnMouseAll(7, 5, kLeft);
  list.OnMouseAll(7, 5, 0);
  EXPECT_EQ(list.FindClicked(), a);
  EXPECT_EQ(list.IsClicked("a"), 1);
  EXPECT_EQ(list.IsClicked("b"), 0);  // clicked, but a comes first
  EXPECT_EQ(b->IsClicked(), 1);

  a->SetEnabled(0);  // a disabled button is passed over
  EXPECT_EQ(list.FindClicked(), b);
  EXPECT_EQ(list.IsClicked("b"), 1);

  EXPECT_EQ(list.Find("c"), c);
  EXPECT_EQ(list.Find("C"), nullptr);
  list.SetOrigin(50, 60);
  EXPECT_EQ(c->OriginX(), 50);
  EXPECT_EQ(c->OriginY(), 60);
  EXPECT_EQ(list.DeleteByName("b"), 1);
  EXPECT_EQ(list.DeleteByName("b"), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(1), c);
}

}  // namespace
