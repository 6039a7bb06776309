#include "platform/ScaledView.h"

#include <algorithm>
#include <cstdint>

namespace platform {

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int64_t CeilDiv(int64_t a, int64_t b) {
  return -FloorDiv(-a, b);
}

int ClampToWord(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, -32768, 32767));
}

}  // namespace

ScaledView ScaledView::Fit(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
  ScaledView view;
  view.clientWidth = std::max(clientWidth, 1);
  view.clientHeight = std::max(clientHeight, 1);
  view.pictureWidth = std::max(pictureWidth, 1);
  view.pictureHeight = std::max(pictureHeight, 1);
  const int64_t cw = view.clientWidth;
  const int64_t ch = view.clientHeight;
  const int64_t pw = view.pictureWidth;
  const int64_t ph = view.pictureHeight;
  // Whichever side is the tighter fit is filled; the other gets the bars.
  int64_t width = cw;
  int64_t height = ch;
  if (cw * ph <= ch * pw) {
    height = std::max<int64_t>(cw * ph / pw, 1);
  } else {
    width = std::max<int64_t>(ch * pw / ph, 1);
  }
  view.placement.width = static_cast<int>(width);
  view.placement.height = static_cast<int>(height);
  view.placement.x = static_cast<int>((cw - width) / 2);
  view.placement.y = static_cast<int>((ch - height) / 2);
  return view;
}

bool ScaledView::IsWholeFactor() const {
  return placement.width % pictureWidth == 0 && placement.height % pictureHeight == 0 &&
         placement.width / pictureWidth == placement.height / pictureHeight;
}

void ScaledView::ToPicture(int clientX, int clientY, int* pictureX, int* pictureY) const {
  const int64_t x =
      FloorDiv(static_cast<int64_t>(clientX - placement.x) * pictureWidth, placement.width);
  const int64_t y =
      FloorDiv(static_cast<int64_t>(clientY - placement.y) * pictureHeight, placement.height);
  if (pictureX) *pictureX = ClampToWord(x);
  if (pictureY) *pictureY = ClampToWord(y);
}

void ScaledView::ClientInPictureUnits(int* width, int* height) const {
  const int64_t w = static_cast<int64_t>(clientWidth) * pictureWidth / placement.width;
  const int64_t h = static_cast<int64_t>(clientHeight) * pictureHeight / placement.height;
  if (width) *width = static_cast<int>(std::clamp<int64_t>(w, pictureWidth, 65535));
  if (height) *height = static_cast<int>(std::clamp<int64_t>(h, pictureHeight, 65535));
}

PixelRect ScaledView::ClientRectOf(const PixelRect& pictureRect) const {
  const int64_t x0 = std::max(pictureRect.x - 1, 0);
  const int64_t y0 = std::max(pictureRect.y - 1, 0);
  const int64_t x1 = std::min(pictureRect.x + pictureRect.width + 1, pictureWidth);
  const int64_t y1 = std::min(pictureRect.y + pictureRect.height + 1, pictureHeight);
  PixelRect out;
  if (pictureRect.width <= 0 || pictureRect.height <= 0 || x1 <= x0 || y1 <= y0) return out;
  const int64_t left = FloorDiv(x0 * placement.width, pictureWidth);
  const int64_t top = FloorDiv(y0 * placement.height, pictureHeight);
  const int64_t right =
      std::min<int64_t>(CeilDiv(x1 * placement.width, pictureWidth) + 1, placement.width);
  const int64_t bottom =
      std::min<int64_t>(CeilDiv(y1 * placement.height, pictureHeight) + 1, placement.height);
  out.x = placement.x + static_cast<int>(left);
  out.y = placement.y + static_cast<int>(top);
  out.width = static_cast<int>(right - left);
  out.height = static_cast<int>(bottom - top);
  return out;
}

int FirstWindowScale(int usableWidth, int usableHeight, int pictureWidth, int pictureHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return 1;
  const int64_t byWidth = static_cast<int64_t>(usableWidth) * 9 / (10 * int64_t{pictureWidth});
  const int64_t byHeight = static_cast<int64_t>(usableHeight) * 9 / (10 * int64_t{pictureHeight});
  return static_cast<int>(std::clamp<int64_t>(std::min(byWidth, byHeight), 1, 16));
}

}  // namespace platform
