#pragma once
// The clickable element of every screen and dialog: a rectangle with one picture per visual state
// (normal, mouse over, pressed), a name by which the screen recognises it, and two ways of being
// fed the mouse: a polled test once per frame and a window-message test.
//
// The virtual operations keep a fixed order; derived buttons override by that order. The
// destructor is declared after them so it does not take one of their places.

#include <cstdint>

#include "framework/PtrArray.h"
#include "qz/qz.h"

// One picture of a button: the id the caller gave and the surface. Pictures are chosen by their
// position in the button's list, not by id.
struct StateImage {
  int id;
  QZSurface* surface;
};

class Button {
 public:
  static constexpr int kNameSize = 64;

  static constexpr int kStateNormal = 0;
  static constexpr int kStateOver = 1;
  static constexpr int kStatePressed = 2;

  Button() : Button(0, 0, 0, 0) {}
  Button(int x, int y) : Button(x, y, 0, 0) {}
  Button(int x, int y, int width, int height);
  Button(const Button&) = delete;
  Button& operator=(const Button&) = delete;

  // Takes the surface (keyed on pure blue) as the next picture; the button's drawn and sensitive
  // size become the picture's. The button owns the surface from then on. Returns 1.
  virtual int AddStateImage(int id, QZSurface* surface);
  // Loads a bitmap as the next picture; 0 when the file cannot be loaded.
  virtual int LoadStateImage(int id, const char* path);
  // Cuts a strip of `count` pictures (side by side, or stacked when vertical) and adds them all,
  // or none when the strip does not give exactly `count`. 0 when the file cannot be loaded.
  virtual int LoadStateStrip(const char* path, int count, int vertical);
  // The window-message test (mouse messages forwarded by the window procedure); edges of the
  // sensitive rectangle count as inside. Returns the state.
  virtual int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  // The polled test (position and button bits once per frame); the right and bottom edges are
  // outside. Returns the state.
  virtual int OnMouse(int px, int py, uint32_t buttons);
  // DrawTo the target, or the back buffer when the target is null.
  virtual void Draw(QZSurface* target);
  virtual void SetPictureShift(int n);
  // The picture of the present state, stretched to the button's rectangle.
  virtual void DrawTo(QZSurface* target);
  // When enabled, DrawTo the back buffer.
  virtual void Redraw();
  virtual int IsClicked() const { return clicked; }
  virtual void Reset();
  virtual void SetName(const char* text);
  virtual void SetOrigin(int x, int y);
  virtual void SetEnabled(int v) { enabled = v; }
  // Draws the button into the redraw list's background and then its scene, so the picture
  // becomes part of both.
  virtual void DrawOnBoth(int flag);
  // Exchanges pictures 0 and 1 (an on/off switch), then redraws.
  virtual void SwapFirstImages();
  virtual void SetSingleImage(int v) { singleImage = v; }
  // Stores the state; draws nothing.
  virtual void SetState(int s) { state = s; }
  virtual int State() const { return state; }
  virtual void SetHitRect(int x, int y, int width, int height);
  virtual void SetMarkDirty(int v) { markDirty = v; }
  virtual void SetTransparentHit(int v) { transparentHit = v; }
  virtual int IsInside() const { return inside; }
  virtual void SetForcedImage(int n) { forcedImage = n; }
  virtual int ForcedImage() const { return forcedImage; }

  virtual ~Button();

  // A press by key: clicked as by a release of the left button over the button, until the next
  // mouse test. The picture is not changed.
  void Press() {
    clicked = 1;
    clickButton = 1;
  }

  const char* Name() const { return name; }
  int X() const { return posX; }
  int Y() const { return posY; }
  int Width() const { return width; }
  int Height() const { return height; }
  int HitX() const { return hitX; }
  int HitY() const { return hitY; }
  int HitWidth() const { return hitWidth; }
  int HitHeight() const { return hitHeight; }
  int OriginX() const { return originX; }
  int OriginY() const { return originY; }
  int PictureShift() const { return pictureShift; }
  int IsEnabled() const { return enabled; }
  int ClickButton() const { return clickButton; }
  int ImageCount() const { return images.Count(); }
  // The surface of picture n, or null when there is none.
  QZSurface* Picture(int n) const {
    return n >= 0 && n < images.Count() ? images.At(n)->surface : nullptr;
  }
  int ImageId(int n) const { return n >= 0 && n < images.Count() ? images.At(n)->id : -1; }

 private:
  // Whether the point lies on picture 0 for the transparent hit: 1 on a drawn pixel, 0 on a
  // pixel of the colour key or outside the picture, -1 when there is no picture 0.
  int OnPicture(int px, int py) const;

  int posX;
  int posY;
  int width;
  int height;
  int hitX;
  int hitY;
  int hitWidth;
  int hitHeight;
  int originX = 0;
  int originY = 0;
  int state = kStateNormal;
  int pictureShift = 0;
  PtrArray<StateImage> images;
  int clicked = 0;
  int clickButton = 0;
  char name[kNameSize] = {};
  int enabled = 1;
  int singleImage = 0;
  int markDirty = 0;
  int transparentHit = 0;
  int inside = 0;
  int forcedImage = -1;
};
