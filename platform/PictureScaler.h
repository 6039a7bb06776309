#pragma once
// Draws the 5-6-5 picture into a 32-bit client buffer as a ScaledView places it. At a whole
// factor each picture pixel is repeated exactly; otherwise the picture is first repeated to the
// largest whole factor that fits and the rest is smoothed between neighbours, so that a one-pixel
// line keeps its width everywhere on the screen instead of shimmering between one and two.

#include <cstdint>
#include <vector>

#include "platform/ScaledView.h"

namespace platform {

class PictureScaler {
 public:
  // Prepares the taps for the view; cheap to call again with the same view.
  void SetView(const ScaledView& view);
  const ScaledView& View() const { return view; }

  // Fills the client pixels of rect (client coordinates, clipped to the client) in dest, whose
  // rows cover the whole client area: picture pixels inside the placement, black over the bars.
  // dest pixels are 0x00RRGGBB.
  void Render(const uint16_t* picture, int picturePitchBytes, const PixelRect& rect, uint32_t* dest,
              int destPitchBytes) const;

  // The 0x00RRGGBB colour of a 5-6-5 pixel, its channels widened so that full scale stays full.
  static uint32_t Widen(uint16_t pixel);

 private:
  struct Tap {
    int first;
    int second;
    uint32_t weight;  // share of second, 0..255
  };
  static std::vector<Tap> Taps(int pictureSize, int clientSize);

  ScaledView view;
  bool prepared = false;
  std::vector<Tap> columns;
  std::vector<Tap> rows;
};

// The parts of a picture that differ between two copies of the same size: bands of changed rows,
// each as wide as the changes in it. Bands closer than a few rows are joined, and at most
// maxRects come back (the last takes in the rest), since each rectangle costs the display a call.
std::vector<PixelRect> ChangedRects(const uint16_t* before, const uint16_t* after, int width,
                                    int height, int pitchPixels, int maxRects);
// The same, comparing only the parts inside areas (clipped to the picture; they may overlap): the
// caller knows that nothing outside them can differ. Where the areas hold every difference, the
// bands found are those ChangedRects would find.
std::vector<PixelRect> ChangedRectsWithin(const uint16_t* before, const uint16_t* after, int width,
                                          int height, int pitchPixels, int maxRects,
                                          const std::vector<PixelRect>& areas);

}  // namespace platform
