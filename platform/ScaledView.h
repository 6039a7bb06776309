#pragma once
// Where the 800 x 600 picture lies in a client area of any size: as large as fits with its
// aspect kept, centred, the rest black bars. Maps client pixels back to picture pixels, so that
// the programs see positions and sizes in picture units whatever the window's size. Plain
// arithmetic, no window needed.

namespace platform {

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class ScaledView {
 public:
  // The view of a picture of the given size in a client area; every size is taken as at least
  // one pixel, so that a window squeezed to nothing still maps somewhere.
  static ScaledView Fit(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

  // The picture's rectangle in client pixels.
  const PixelRect& Placement() const { return placement; }
  int ClientWidth() const { return clientWidth; }
  int ClientHeight() const { return clientHeight; }
  int PictureWidth() const { return pictureWidth; }
  int PictureHeight() const { return pictureHeight; }
  // True when every picture pixel becomes exactly a whole number of client pixels.
  bool IsWholeFactor() const;

  // The picture pixel under a client pixel. Points over the bars map outside the picture, as
  // a pointer beside an unscaled picture would; the result is kept within -32768..32767 so that
  // it still packs into a message.
  void ToPicture(int clientX, int clientY, int* pictureX, int* pictureY) const;
  // The client area measured in picture pixels (rounded down, at least the picture's size in
  // the direction it fills).
  void ClientInPictureUnits(int* width, int* height) const;
  // The client pixels whose colour depends on any pixel of the picture rectangle (smoothing
  // reaches one picture pixel beyond it), clipped to the placement.
  PixelRect ClientRectOf(const PixelRect& pictureRect) const;

 private:
  int clientWidth = 1;
  int clientHeight = 1;
  int pictureWidth = 1;
  int pictureHeight = 1;
  PixelRect placement;
};

// The first size of a window: the largest whole multiple of the picture that fits within 90% of
// the desktop's usable area, at least 1.
int FirstWindowScale(int usableWidth, int usableHeight, int pictureWidth, int pictureHeight);

}  // namespace platform
