#pragma once
// The framework's moving, animated picture: a list of frames, a floating-point position and
// velocity, and a frame animation on the timer's millisecond clock. A sprite draws into a target
// (by default the redraw list's scene) and, unless told otherwise, reports what it touched to the
// redraw list so the area is repaired after the next flips.
//
// The virtual operations keep a fixed order; derived sprites override by that order. The
// destructor is declared after them so it does not take one of their places.

#include <cstdint>

#include "framework/PtrArray.h"
#include "qz/qz.h"

class Sprite {
 public:
  static constexpr int kNameSize = 64;

  // What Animate does when the animation runs past its range.
  static constexpr int kModeStop = 0;         // stay on the last frame
  static constexpr int kModeLoop = 1;         // start the range again
  static constexpr int kModeStopAtFirst = 2;  // stop and go back to the first frame
  static constexpr int kModeStopAndHide = 3;  // stop and hide (current -1)

  Sprite() = default;
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  virtual void SetPosition(int newX, int newY);
  // DrawTo the redraw list's scene.
  virtual void Draw();
  // Part (sx, sy, w, h) of the current frame at (tx, ty) of the target.
  virtual void DrawRect(int sx, int sy, int w, int h, QZSurface* target, int tx, int ty);
  // The current frame at the drawing position, cut to the target.
  virtual void DrawTo(QZSurface* target);
  virtual void Move();
  virtual void SetSourceRect(int left, int top, int right, int bottom);
  // Only an index of an existing frame is taken.
  virtual void SetFrame(int n);
  virtual void SetVisible(int v) { visible = v; }
  virtual void SetDelay(int ms) { delay = ms; }
  virtual void SetColorKeyAll(int red, int green, int blue);
  // One timed step through the frames; 1 when it acted.
  virtual int StepFrame();
  // Any index, unchecked: -1 hides the sprite.
  virtual void SetCurrent(int n) { current = n; }
  // Cuts a strip of `count` pictures (side by side, or stacked when vertical) into frames. The
  // sprite's size becomes that of the whole bitmap. The frame count, or 0 when the file cannot be
  // loaded.
  virtual int LoadStrip(const char* path, int count, int vertical);
  // Cuts a sheet into w x h tiles, row by row. The frame count.
  virtual int LoadTiles(const char* path, int w, int h);
  virtual void SetRange(int firstFrame, int lastFrame);
  virtual void SetName(const char* text);
  virtual void SetAnimating(int v) { animating = v; }
  virtual void SetMode(int m) { mode = m; }
  virtual void SetMarkDirty(int v) { markDirty = v; }
  // Advances the animation when more than the delay has passed since the last change.
  virtual void Animate();
  // For a horizontal strip: the width of one frame.
  virtual void DivideWidthByFrames();
  virtual void SetCentered(int v) { centred = v; }

  virtual ~Sprite();

  // Appends a frame (keyed on pure blue); the sprite's size becomes the frame's. Null is ignored.
  // Returns 1.
  int AddFrame(QZSurface* surface);
  // Loads a bitmap as a new frame; a missing file is reported in a message box and the sprite
  // stays as it was. Returns 1.
  int LoadFrame(const char* path);
  // Adds a frame that stays someone else's: from now on the sprite releases none of its frames.
  int AddSharedFrame(QZSurface* surface);

  const char* Name() const { return name; }
  float X() const { return x; }
  float Y() const { return y; }
  void SetPositionF(float newX, float newY) {
    x = newX;
    y = newY;
  }
  void SetVelocity(float newDx, float newDy) {
    dx = newDx;
    dy = newDy;
  }
  float Dx() const { return dx; }
  float Dy() const { return dy; }
  int Width() const { return width; }
  int Height() const { return height; }
  int Mode() const { return mode; }
  int IsAnimating() const { return animating; }
  int Current() const { return current; }
  int FrameCount() const { return frames.Count(); }
  // The frame at index n, or null when there is none.
  QZSurface* Frame(int n) const { return n >= 0 && n < frames.Count() ? frames.At(n) : nullptr; }
  int SizesDiffer() const { return sizesDiffer; }
  int IsCentered() const { return centred; }
  const platform::Rect& SourceRect() const { return source; }
  int Delay() const { return delay; }
  void SetStep(int s) { step = s; }
  int Step() const { return step; }
  uint32_t FrameTime() const { return frameTime; }
  void SetFrameTime(uint32_t t) { frameTime = t; }
  int SharesFrames() const { return sharesFrames; }
  int First() const { return first; }
  int Last() const { return last; }
  void SetEraseFirst(int v) { eraseFirst = v; }
  int MarksDirty() const { return markDirty; }
  void SetWrap(int v) { wrap = v; }
  void SetAnimationEnabled(int v) { animationEnabled = v; }
  int IsVisible() const { return visible; }
  // Top-left corner where the frame is drawn: the position, or the centre's corner when centred.
  int DrawX() const;
  int DrawY() const;

 private:
  // The run has passed an end of the range: a loop goes on at wrapTo; a stop rests at restAt,
  // hides, or goes back to the first frame, as the mode says.
  void EndOfRange(int wrapTo, int restAt);

  char name[kNameSize] = {};
  float x = 0.0f;
  float y = 0.0f;
  float dx = 0.0f;
  float dy = 0.0f;
  int width = 0;
  int height = 0;
  int mode = kModeStop;
  int animating = 0;
  PtrArray<QZSurface> frames;
  int current = 0;
  int sizesDiffer = 0;
  int centred = 0;
  platform::Rect source = {0, 0, 0, 0};
  int delay = 0;
  int step = 1;
  uint32_t frameTime = 0;
  int sharesFrames = 0;
  int first = -1;
  int last = -1;
  int eraseFirst = 0;
  int markDirty = 1;
  int wrap = 0;
  int animationEnabled = 1;
  int visible = 1;
};
