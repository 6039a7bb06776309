#pragma once
// A floating label (points, multiplier or big balloon): a one-frame sprite that moves by its
// velocity in pixels per second, scaled by the current frame rate, and is removed in the first
// frame after its expiry time.

#include <cstdint>

#include "framework/Sprite.h"

class Floater : public Sprite {
 public:
  // The top edge of the board, where rising labels stop.
  static constexpr float kTopEdge = 7.0f;
  // Frame rates below this (including 0 before any measurement) move labels as at kFallbackRate.
  static constexpr float kSlowestRate = 10.0f;
  static constexpr float kFallbackRate = 60.0f;

  // A label showing the surface (which stays its owner's) at (x, y), moving by (0, dy) pixels per
  // second, expiring at the millisecond clock value expiresAt.
  Floater(QZSurface* surface, float x, float y, float dy, uint32_t expiresAt);

  void Move() override;

  uint32_t expiresAt = 0;
};
