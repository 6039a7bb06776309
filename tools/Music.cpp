// The background music: a light, loopable tune in C major (32 bars at 112 beats per minute,
// A A B A), played by a soft lead, a plucked bass, a chorused pad, a marimba arpeggio and quiet
// percussion with a touch of reverb. Rendered at 22050 Hz stereo, levelled to about -18 dBFS
// RMS and encoded to MP3 with LAME.

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/Groups.h"
#include "tools/Random.h"
#include "tools/Synth.h"

namespace zepgen {

namespace {

constexpr float kTempo = 112;
constexpr float kBeat = 60.0f / kTempo;
constexpr int kBars = 32;
constexpr float kMusicRmsDb = -18.0f;

struct Note {
  float pitch;  // MIDI number; 0 is a rest
  float beats;
};

// Chords by half bar, as MIDI roots with a quality: 0 major, 1 minor.
struct Chord {
  int root;
  int minor;
};

const Chord kChordsA[16] = {{60, 0}, {60, 0}, {57, 1}, {57, 1}, {53, 0}, {53, 0}, {55, 0}, {55, 0},
                            {60, 0}, {60, 0}, {57, 1}, {57, 1}, {62, 1}, {55, 0}, {60, 0}, {60, 0}};
const Chord kChordsB[16] = {{53, 0}, {53, 0}, {55, 0}, {55, 0}, {52, 1}, {52, 1}, {57, 1}, {57, 1},
                            {53, 0}, {53, 0}, {55, 0}, {55, 0}, {60, 0}, {60, 0}, {55, 0}, {55, 0}};

const std::vector<Note> kMelodyA = {
    {76, .5f},  {79, .5f}, {84, 1}, {83, .5f}, {81, .5f}, {79, 1},  // C
    {81, .5f},  {84, .5f}, {88, 1}, {86, .5f}, {84, .5f}, {81, 1},  // Am
    {77, .5f},  {81, .5f}, {84, 1}, {81, .5f}, {77, .5f}, {81, 1},  // F
    {79, 1.5f}, {77, .5f}, {76, 1}, {74, 1},                        // G
    {76, .5f},  {79, .5f}, {84, 1}, {83, .5f}, {81, .5f}, {79, 1},  // C
    {81, .5f},  {84, .5f}, {88, 1}, {91, 1},   {88, 1},             // Am
    {86, .5f},  {88, .5f}, {89, 1}, {83, 1},   {86, 1},             // Dm G
    {84, 3},    {0, 1},                                             // C
};
const std::vector<Note> kMelodyB = {
    {81, 1},   {84, 1},   {89, 1.5f}, {88, .5f},                      // F
    {86, 1},   {83, 1},   {79, 2},                                    // G
    {79, .5f}, {83, .5f}, {88, 1},    {86, .5f}, {83, .5f}, {79, 1},  // Em
    {81, .5f}, {83, .5f}, {84, 1},    {88, 2},                        // Am
    {89, 1},   {88, .5f}, {86, .5f},  {84, 1},   {81, 1},             // F
    {83, 1},   {86, 1},   {91, 1.5f}, {89, .5f},                      // G
    {88, 1},   {86, .5f}, {84, .5f},  {88, 1},   {91, 1},             // C
    {86, 2},   {83, 1},   {79, 1},                                    // G
};

// Band-limited step correction, so the saws and pulses do not alias at this low sample rate.
float PolyBlep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

size_t At(float beats) {
  return static_cast<size_t>(std::lround(beats * kBeat * kSampleRate));
}

void Add(Stereo& mix, const std::vector<float>& voice, size_t offset, float pan, float level) {
  float a = (pan + 1) * 0.25f * kTwoPi * 0.5f;
  float l = std::cos(a) * level, r = std::sin(a) * level;
  // The tune loops: whatever rings past the end comes back in at the start.
  const size_t n = mix.Frames();
  for (size_t i = 0; i < voice.size(); ++i) {
    size_t k = (offset + i) % n;
    mix.left[k] += voice[i] * l;
    mix.right[k] += voice[i] * r;
  }
}

// Soft lead: triangle with a little pulse, delayed vibrato and a gentle low-pass.
std::vector<float> Lead(float pitch, float seconds) {
  const float hz = MidiToHz(pitch);
  Adsr env{0.015f, 0.12f, 0.7f, 0.18f};
  std::vector<float> v(Samples(seconds + env.release));
  OnePole tone(3200);
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float vib = 1 + 0.005f * std::sin(kTwoPi * 5.2f * t) * std::clamp((t - 0.15f) * 4, 0.0f, 1.0f);
    const float dt = hz * vib / kSampleRate;
    phase += dt;
    phase -= std::floor(phase);
    float tri = 4 * std::fabs(phase - 0.5f) - 1;
    float shifted = phase + 0.75f;
    shifted -= std::floor(shifted);
    float pulse =
        (phase < 0.25f ? 1.0f : -0.33f) + 0.67f * (PolyBlep(phase, dt) - PolyBlep(shifted, dt));
    v[i] = tone.Process(0.8f * tri + 0.25f * pulse) * env.At(t, seconds);
  }
  return v;
}

std::vector<float> Bass(float pitch, float seconds) {
  const float hz = MidiToHz(pitch);
  Adsr env{0.006f, 0.25f, 0.45f, 0.07f};
  std::vector<float> v(Samples(seconds + env.release));
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    phase += kTwoPi * hz / kSampleRate;
    float pluck = std::exp(-t / 0.08f);
    v[i] = (std::sin(phase) + (0.25f + 0.3f * pluck) * std::sin(2 * phase) +
            0.1f * pluck * std::sin(3 * phase)) *
           env.At(t, seconds);
  }
  return v;
}

std::vector<float> Marimba(float pitch) {
  const float hz = MidiToHz(pitch);
  std::vector<float> v(Samples(0.6f));
  float p1 = 0, p4 = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    p1 += kTwoPi * hz / kSampleRate;
    p4 += kTwoPi * hz * 3.93f / kSampleRate;
    float attack = std::min(1.0f, t / 0.002f);
    v[i] = attack *
           (std::sin(p1) * std::exp(-t / 0.22f) + 0.35f * std::sin(p4) * std::exp(-t / 0.04f));
  }
  Fade(v, 0, 0.15f);
  return v;
}

// Warm pad for one chord tone: three detuned saws through a slowly opening low-pass.
std::vector<float> Pad(float pitch, float seconds, uint64_t seed) {
  const float hz = MidiToHz(pitch);
  Adsr env{0.35f, 0.3f, 0.8f, 0.45f};
  std::vector<float> v(Samples(seconds + env.release));
  Random rnd(seed);
  float phases[3] = {rnd.Unit(), rnd.Unit(), rnd.Unit()};
  const float detune[3] = {-0.006f, 0.0f, 0.0065f};
  Biquad lp;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    if (i % 64 == 0) lp.Set(Biquad::LowPass, 900 + 700 * std::min(1.0f, t / 0.8f), 0.7f);
    float s = 0;
    for (int k = 0; k < 3; ++k) {
      const float dt = hz * (1 + detune[k]) / kSampleRate;
      phases[k] += dt;
      phases[k] -= std::floor(phases[k]);
      s += 2 * phases[k] - 1 - PolyBlep(phases[k], dt);
    }
    v[i] = lp.Process(s / 3) * env.At(t, seconds);
  }
  return v;
}

std::vector<float> Kick() {
  std::vector<float> v(Samples(0.25f));
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    phase += kTwoPi * (48 + 80 * std::exp(-t / 0.03f)) / kSampleRate;
    v[i] = std::sin(phase) * std::exp(-t / 0.09f);
  }
  Fade(v, 0, 0.05f);
  return v;
}

std::vector<float> Clap(uint64_t seed) {
  std::vector<float> v(Samples(0.2f));
  Random rnd(seed);
  Biquad band;
  band.Set(Biquad::BandPass, 1800, 0.9f);
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    // Three quick bursts, then a short tail.
    float bursts = t < 0.03f ? (0.6f + 0.4f * std::cos(kTwoPi * t / 0.01f)) : 1.0f;
    v[i] = band.Process(rnd.Signed()) * bursts * std::exp(-t / 0.06f);
  }
  Fade(v, 0, 0.04f);
  return v;
}

std::vector<float> Shaker(uint64_t seed) {
  std::vector<float> v(Samples(0.07f));
  Random rnd(seed);
  Biquad hp;
  hp.Set(Biquad::HighPass, 6000, 0.7f);
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float env = std::min(1.0f, t / 0.008f) * std::exp(-t / 0.02f);
    v[i] = hp.Process(rnd.Signed()) * env;
  }
  return v;
}

std::vector<int> ChordTones(const Chord& c) {
  return {c.root, c.root + (c.minor ? 3 : 4), c.root + 7};
}

Stereo Compose() {
  const float totalBeats = kBars * 4.0f;
  Stereo dry(At(totalBeats));
  Stereo pads(dry.Frames());
  // Sections: A (bars 0-7), A (8-15), B (16-23), A (24-31).
  for (int bar = 0; bar < kBars; ++bar) {
    const int section = bar / 8;
    const Chord* chords = section == 2 ? kChordsB : kChordsA;
    const int inSection = bar % 8;
    const float barBeat = bar * 4.0f;
    for (int half = 0; half < 2; ++half) {
      const Chord& c = chords[inSection * 2 + half];
      const float beat = barBeat + half * 2;
      std::vector<int> tones = ChordTones(c);
      // Pad: the chord in the middle register, a little wider in stereo.
      for (size_t k = 0; k < tones.size(); ++k) {
        std::vector<float> p = Pad(tones[k] - 12.0f + (k == 0 ? 12 : 0), 2 * kBeat,
                                   static_cast<uint64_t>(bar * 10 + half * 3 + k));
        Add(pads, p, At(beat), -0.5f + 0.5f * k, 0.16f);
      }
      // Bass: root on the beat, a pickup on the off-beat, the fifth after it.
      float root = c.root - 24.0f;
      Add(dry, Bass(root, 0.9f * kBeat), At(beat), 0, 0.55f);
      Add(dry, Bass(root + 7, 0.4f * kBeat), At(beat + 1), 0, 0.4f);
      Add(dry, Bass(root + 12, 0.35f * kBeat), At(beat + 1.5f), 0, 0.35f);
      // Marimba: rising chord tones in eighths, alternating sides.
      const int pattern[4] = {0, 1, 2, 3};
      for (int e = 0; e < 4; ++e) {
        int idx = pattern[e];
        float pitch = idx == 3 ? tones[0] + 12.0f : static_cast<float>(tones[idx]);
        Add(dry, Marimba(pitch), At(beat + e * 0.5f), e % 2 ? 0.45f : -0.45f, 0.17f);
      }
    }
    // Percussion: quieter in the first section, a fill at the end of the tune.
    const bool light = section == 0;
    Add(dry, Kick(), At(barBeat), 0, light ? 0.35f : 0.5f);
    Add(dry, Kick(), At(barBeat + 2), 0, light ? 0.3f : 0.45f);
    if (!light) {
      if (bar % 2 == 1) Add(dry, Kick(), At(barBeat + 3.5f), 0, 0.3f);
      Add(dry, Clap(bar * 2), At(barBeat + 1), 0.1f, 0.16f);
      Add(dry, Clap(bar * 2 + 1), At(barBeat + 3), -0.1f, 0.16f);
    }
    for (int e = 0; e < 8; ++e) {
      float level = (e % 2 ? 0.07f : 0.045f) * (light ? 0.7f : 1.0f);
      Add(dry, Shaker(bar * 16 + e), At(barBeat + e * 0.5f), 0.35f, level);
    }
    if (bar == kBars - 1) {
      Add(dry, Clap(999), At(barBeat + 3.5f), 0, 0.12f);
    }
  }
  // Melody: A, A (an octave higher, softer), B, A.
  auto playMelody = [&](const std::vector<Note>& line, int startBar, float transpose, float level) {
    float beat = startBar * 4.0f;
    for (const Note& n : line) {
      if (n.pitch > 0) {
        Add(dry, Lead(n.pitch + transpose, n.beats * kBeat * 0.92f), At(beat), -0.1f, level);
      }
      beat += n.beats;
    }
  };
  playMelody(kMelodyA, 0, -12, 0.32f);
  playMelody(kMelodyA, 8, 0, 0.2f);
  playMelody(kMelodyB, 16, -12, 0.32f);
  playMelody(kMelodyA, 24, -12, 0.32f);
  Chorus(pads, 3.0f, 0.6f, 0.5f);
  for (size_t i = 0; i < dry.Frames(); ++i) {
    dry.left[i] += pads.left[i];
    dry.right[i] += pads.right[i];
  }
  // Reverb over two passes of the loop so the tail of the end rings into the beginning.
  Stereo twice(dry.Frames() * 2);
  for (size_t i = 0; i < dry.Frames(); ++i) {
    twice.left[i] = twice.left[i + dry.Frames()] = dry.left[i];
    twice.right[i] = twice.right[i + dry.Frames()] = dry.right[i];
  }
  Stereo wet(twice.Frames());
  Reverb room(0.78f, 0.45f);
  room.Process(twice, wet, 0.35f);
  Stereo out(dry.Frames());
  for (size_t i = 0; i < dry.Frames(); ++i) {
    out.left[i] = dry.left[i] + wet.left[i + dry.Frames()];
    out.right[i] = dry.right[i] + wet.right[i + dry.Frames()];
  }
  return out;
}

bool EncodeMp3(const Stereo& s, std::vector<uint8_t>& mp3, std::string* error) {
  lame_t lame = lame_init();
  if (!lame) {
    *error = "LAME could not start";
    return false;
  }
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_brate(lame, 96);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 1);  // the Info tag tells decoders the padding, for a clean loop
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    *error = "LAME refused the settings";
    return false;
  }
  const int chunk = 8192;
  std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * chunk + 7200));
  for (size_t pos = 0; pos < s.Frames(); pos += chunk) {
    int n = static_cast<int>(std::min<size_t>(chunk, s.Frames() - pos));
    int bytes = lame_encode_buffer_ieee_float(lame, &s.left[pos], &s.right[pos], n, buffer.data(),
                                              static_cast<int>(buffer.size()));
    if (bytes < 0) {
      lame_close(lame);
      *error = "LAME failed to encode";
      return false;
    }
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  }
  int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (bytes > 0) mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + bytes);
  // The first frame was reserved for the Info tag; fill it in now that the length is known.
  std::vector<unsigned char> tag(4096);
  size_t tagBytes = lame_get_lametag_frame(lame, tag.data(), tag.size());
  if (tagBytes > 0 && tagBytes <= mp3.size())
    std::copy(tag.begin(), tag.begin() + tagBytes, mp3.begin());
  lame_close(lame);
  return true;
}

}  // namespace

void MakeMusic(Output& out) {
  Stereo tune = Compose();
  Gain(tune, std::pow(10.0f, (kMusicRmsDb - RmsDb(tune)) / 20));
  // Keep the odd peak well clear of full scale.
  const float ceiling = 0.89f;
  for (std::vector<float>* ch : {&tune.left, &tune.right})
    for (float& v : *ch)
      if (std::fabs(v) > 0.7f)
        v = (v < 0 ? -1 : 1) *
            (0.7f + (ceiling - 0.7f) * std::tanh((std::fabs(v) - 0.7f) / (ceiling - 0.7f)));
  std::vector<uint8_t> mp3;
  std::string error;
  if (!EncodeMp3(tune, mp3, &error)) {
    out.Fail("music: " + error);
    return;
  }
  std::printf("zepgen: music %.1f s, %.1f dBFS RMS, peak %.1f dBFS\n",
              tune.Frames() / static_cast<float>(kSampleRate), RmsDb(tune),
              20 * std::log10(std::max(1e-9f, Peak(tune))));
  out.WriteBytes(Folder::Sounds, "music.mp3", mp3);
}

}  // namespace zepgen
