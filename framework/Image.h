#pragma once
// A named bitmap with a position: one surface loaded from a Windows bitmap file, drawn with pure
// blue as its transparent colour. Screens keep their still pictures as images and find them by
// name.

#include "qz/qz.h"

class Image {
 public:
  static constexpr int kNameSize = 256;

  Image();
  // Loads the file; on failure the image exists without a surface.
  explicit Image(const char* path);
  // Releases the surface.
  ~Image();

  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // Replaces the picture with the file's, keyed on pure blue, and takes the path as the name.
  // When the file cannot be loaded the image is left without a surface and keeps its name.
  // A null path empties the image and its name. Returns the new surface or null.
  QZSurface* Load(const char* path);

  // Copies at most kNameSize - 1 characters; null empties the name.
  void SetName(const char* text);
  const char* Name() const { return name; }

  void SetPosition(int newX, int newY) {
    x = newX;
    y = newY;
  }
  int X() const { return x; }
  int Y() const { return y; }
  int Width() const { return width; }
  int Height() const { return height; }
  QZSurface* Surface() const { return surface; }

  void SetColorKey(int red, int green, int blue);
  // Draws the whole picture at (drawX, drawY) of the target, colour-keyed and cut to the target.
  // Nothing happens without a surface.
  void Draw(QZSurface* target, int drawX, int drawY) const;
  // Draws at the image's own position.
  void Draw(QZSurface* target) const { Draw(target, x, y); }

 private:
  void ReleaseSurface();

  char name[kNameSize] = {};
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  QZSurface* surface = nullptr;
};
