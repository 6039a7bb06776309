#pragma once
// Rectangles of pixels, as surfaces and their drawing queues take them.

#include <algorithm>
#include <cstdint>

namespace platform {

// Left, top, right, bottom; right and bottom are exclusive.
struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

inline bool IsEmptyOrInverted(const Rect& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

inline bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

inline bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

inline Rect Union(const Rect& a, const Rect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

inline int64_t Area(const Rect& r) {
  return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top);
}

}  // namespace platform
