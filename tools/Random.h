#pragma once
// A small fixed-seed random generator, so that every build makes the same bytes (the standard
// library's distributions may differ between implementations).

#include <cstdint>

namespace zepgen {

class Random {
 public:
  explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

  uint32_t Next() {
    // SplitMix64.
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
  }
  // Uniform in [0, 1).
  float Unit() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
  // Uniform in [-1, 1).
  float Signed() { return Unit() * 2.0f - 1.0f; }

 private:
  uint64_t state;
};

}  // namespace zepgen
