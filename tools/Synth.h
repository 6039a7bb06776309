#pragma once
// Sound synthesis at 22050 Hz: oscillators, noise, envelopes, filters, a small reverb and
// chorus, levels, and the RIFF/WAVE writer (16-bit PCM, mono or stereo, no other chunks).

#include <cmath>
#include <cstdint>
#include <vector>

namespace zepgen {

constexpr int kSampleRate = 22050;
constexpr float kTwoPi = 6.2831853f;

struct Stereo {
  std::vector<float> left;
  std::vector<float> right;
  explicit Stereo(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t Frames() const { return left.size(); }
};

inline int Samples(float seconds) {
  return static_cast<int>(seconds * kSampleRate + 0.5f);
}
inline float MidiToHz(float note) {
  return 440.0f * static_cast<float>(std::exp2((note - 69) / 12.0));
}

// Attack, decay to sustain, hold for the note's length, release; value at time t (seconds).
struct Adsr {
  float attack = 0.005f;
  float decay = 0.1f;
  float sustain = 0.7f;
  float release = 0.1f;
  float At(float t, float length) const;
};

// Biquad filter (RBJ cookbook); parameters may change between samples.
class Biquad {
 public:
  enum Kind { LowPass, HighPass, BandPass };
  void Set(Kind kind, float hz, float q);
  float Process(float x);

 private:
  float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// One-pole smoothing low-pass.
class OnePole {
 public:
  explicit OnePole(float hz = 1000) { SetCutoff(hz); }
  void SetCutoff(float hz);
  float Process(float x) {
    state += k * (x - state);
    return state;
  }

 private:
  float k = 0.1f;
  float state = 0;
};

// A Schroeder-Moorman room: parallel damped combs into series all-passes, decorrelated
// between the two channels.
class Reverb {
 public:
  Reverb(float roomSize, float damping);
  // Adds the wet signal of the input to the output.
  void Process(const Stereo& in, Stereo& out, float wet);

 private:
  struct Comb {
    std::vector<float> line;
    size_t pos = 0;
    float store = 0;
  };
  struct AllPass {
    std::vector<float> line;
    size_t pos = 0;
  };
  std::vector<Comb> combs[2];
  std::vector<AllPass> allPasses[2];
  float feedback;
  float damp;
};

// A room of the given size and damping added to the signal, wet at the given level.
void AddReverb(Stereo& s, float roomSize, float damping, float wet);

// Gentle chorus: two modulated delay taps per channel mixed with the dry signal.
void Chorus(Stereo& s, float depthMs, float rateHz, float mix);

float Peak(const std::vector<float>& x);
float Peak(const Stereo& s);
// Root mean square over the samples louder than -50 dBFS, in dBFS.
float ActiveRmsDb(const std::vector<float>& x);
float RmsDb(const Stereo& s);
void Gain(std::vector<float>& x, float g);
void Gain(Stereo& s, float g);
// Scales so that the highest peak is at the given level (dBFS).
void NormalizePeak(std::vector<float>& x, float db);
void NormalizePeak(Stereo& s, float db);
// Short fades against clicks at both ends.
void Fade(std::vector<float>& x, float inSeconds, float outSeconds);

std::vector<uint8_t> EncodeWav(const std::vector<float>& mono);
std::vector<uint8_t> EncodeWav(const Stereo& stereo);

}  // namespace zepgen
