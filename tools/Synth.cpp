#include "tools/Synth.h"
#include "tools/LittleEndian.h"

#include <algorithm>
#include <cmath>

namespace zepgen {

float Adsr::At(float t, float length) const {
  auto level = [&](float u) {
    if (u < 0) return 0.0f;
    if (u < attack) return u / attack;
    u -= attack;
    if (u < decay) return 1.0f - (1.0f - sustain) * (u / decay);
    return sustain;
  };
  if (t < length) return level(t);
  float r = t - length;
  if (r >= release) return 0.0f;
  return level(length) * (1.0f - r / release);
}

void Biquad::Set(Kind kind, float hz, float q) {
  hz = std::clamp(hz, 10.0f, kSampleRate * 0.45f);
  float w = kTwoPi * hz / kSampleRate;
  float cw = std::cos(w), sw = std::sin(w);
  float alpha = sw / (2 * q);
  float a0 = 1 + alpha;
  float nb0, nb1, nb2;
  switch (kind) {
    case LowPass:
      nb0 = (1 - cw) / 2;
      nb1 = 1 - cw;
      nb2 = (1 - cw) / 2;
      break;
    case HighPass:
      nb0 = (1 + cw) / 2;
      nb1 = -(1 + cw);
      nb2 = (1 + cw) / 2;
      break;
    default:
      nb0 = alpha;
      nb1 = 0;
      nb2 = -alpha;
      break;
  }
  b0 = nb0 / a0;
  b1 = nb1 / a0;
  b2 = nb2 / a0;
  a1 = -2 * cw / a0;
  a2 = (1 - alpha) / a0;
}

float Biquad::Process(float x) {
  float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return y;
}

void OnePole::SetCutoff(float hz) {
  k = 1.0f - std::exp(-kTwoPi * hz / kSampleRate);
}

Reverb::Reverb(float roomSize, float damping) : feedback(roomSize), damp(damping) {
  // Delay lengths of the classic design, scaled from 44.1 kHz.
  const int combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const int allPassLengths[4] = {556, 441, 341, 225};
  for (int ch = 0; ch < 2; ++ch) {
    int spread = ch * 23;
    for (int len : combLengths) {
      Comb c;
      c.line.assign((len + spread) / 2, 0.0f);
      combs[ch].push_back(c);
    }
    for (int len : allPassLengths) {
      AllPass a;
      a.line.assign((len + spread) / 2, 0.0f);
      allPasses[ch].push_back(a);
    }
  }
}

void Reverb::Process(const Stereo& in, Stereo& out, float wet) {
  const size_t n = in.Frames();
  for (size_t i = 0; i < n; ++i) {
    float input = (in.left[i] + in.right[i]) * 0.015f;
    for (int ch = 0; ch < 2; ++ch) {
      float acc = 0;
      for (Comb& c : combs[ch]) {
        float y = c.line[c.pos];
        c.store = y * (1 - damp) + c.store * damp;
        c.line[c.pos] = input + c.store * feedback;
        c.pos = (c.pos + 1) % c.line.size();
        acc += y;
      }
      for (AllPass& a : allPasses[ch]) {
        float b = a.line[a.pos];
        a.line[a.pos] = acc + b * 0.5f;
        a.pos = (a.pos + 1) % a.line.size();
        acc = b - acc;
      }
      (ch == 0 ? out.left : out.right)[i] += acc * wet;
    }
  }
}

void AddReverb(Stereo& s, float roomSize, float damping, float wet) {
  // In place: the room reads frame i before it adds to it, and never reads it again.
  Reverb room(roomSize, damping);
  room.Process(s, s, wet);
}

void Chorus(Stereo& s, float depthMs, float rateHz, float mix) {
  const size_t n = s.Frames();
  const float base = 0.012f * kSampleRate;
  const float depth = depthMs * 0.001f * kSampleRate;
  Stereo dry = s;
  for (int ch = 0; ch < 2; ++ch) {
    const std::vector<float>& src = ch == 0 ? dry.left : dry.right;
    std::vector<float>& dst = ch == 0 ? s.left : s.right;
    for (size_t i = 0; i < n; ++i) {
      float t = static_cast<float>(i) / kSampleRate;
      float wet = 0;
      for (int tap = 0; tap < 2; ++tap) {
        float phase = kTwoPi * rateHz * t + tap * 2.1f + ch * 1.3f;
        float d = base + depth * (0.5f + 0.5f * std::sin(phase));
        float pos = static_cast<float>(i) - d;
        if (pos < 0) continue;
        size_t k = static_cast<size_t>(pos);
        float f = pos - k;
        wet += src[k] * (1 - f) + src[std::min(k + 1, n - 1)] * f;
      }
      dst[i] = src[i] * (1 - mix) + wet * 0.5f * mix;
    }
  }
}

float Peak(const std::vector<float>& x) {
  float p = 0;
  for (float v : x)
    p = std::max(p, std::fabs(v));
  return p;
}

float Peak(const Stereo& s) {
  return std::max(Peak(s.left), Peak(s.right));
}

float ActiveRmsDb(const std::vector<float>& x) {
  double sum = 0;
  size_t count = 0;
  const float gate = 0.00316f;  // -50 dBFS
  for (float v : x)
    if (std::fabs(v) > gate) {
      sum += static_cast<double>(v) * v;
      ++count;
    }
  if (count == 0) return -120;
  return static_cast<float>(10 * std::log10(sum / count));
}

float RmsDb(const Stereo& s) {
  double sum = 0;
  for (size_t i = 0; i < s.Frames(); ++i)
    sum +=
        static_cast<double>(s.left[i]) * s.left[i] + static_cast<double>(s.right[i]) * s.right[i];
  if (s.Frames() == 0 || sum <= 0) return -120;
  return static_cast<float>(10 * std::log10(sum / (2.0 * s.Frames())));
}

void Gain(std::vector<float>& x, float g) {
  for (float& v : x)
    v *= g;
}

void Gain(Stereo& s, float g) {
  Gain(s.left, g);
  Gain(s.right, g);
}

void NormalizePeak(std::vector<float>& x, float db) {
  float p = Peak(x);
  if (p > 0) Gain(x, std::pow(10.0f, db / 20) / p);
}

void NormalizePeak(Stereo& s, float db) {
  float p = Peak(s);
  if (p > 0) Gain(s, std::pow(10.0f, db / 20) / p);
}

void Fade(std::vector<float>& x, float inSeconds, float outSeconds) {
  const size_t n = x.size();
  size_t in = std::min(n, static_cast<size_t>(Samples(inSeconds)));
  size_t out = std::min(n, static_cast<size_t>(Samples(outSeconds)));
  for (size_t i = 0; i < in; ++i)
    x[i] *= static_cast<float>(i) / in;
  for (size_t i = 0; i < out; ++i)
    x[n - 1 - i] *= static_cast<float>(i) / out;
}

namespace {

int16_t ToPcm(float v) {
  float s = std::clamp(v, -1.0f, 1.0f) * 32767.0f;
  return static_cast<int16_t>(std::lround(s));
}

std::vector<uint8_t> Encode(const std::vector<int16_t>& samples, int channels) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  Put32(out, 36 + dataBytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, static_cast<uint32_t>(channels));
  Put32(out, kSampleRate);
  Put32(out, static_cast<uint32_t>(kSampleRate * channels * 2));
  Put16(out, static_cast<uint32_t>(channels * 2));
  Put16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Put32(out, dataBytes);
  for (int16_t s : samples)
    Put16(out, static_cast<uint16_t>(s));
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeWav(const std::vector<float>& mono) {
  std::vector<int16_t> pcm;
  pcm.reserve(mono.size());
  for (float v : mono)
    pcm.push_back(ToPcm(v));
  return Encode(pcm, 1);
}

std::vector<uint8_t> EncodeWav(const Stereo& s) {
  std::vector<int16_t> pcm;
  pcm.reserve(s.Frames() * 2);
  for (size_t i = 0; i < s.Frames(); ++i) {
    pcm.push_back(ToPcm(s.left[i]));
    pcm.push_back(ToPcm(s.right[i]));
  }
  return Encode(pcm, 2);
}

}  // namespace zepgen
