// The game's sound effects: five pops, the colour-cleared chime, the board-cleared fanfare,
// the refused-click buzz, the reveal sweep, the cloud's blow, the bonus ding, the thunder roll,
// and the two effects the game loads but never plays.

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/Groups.h"
#include "tools/Random.h"
#include "tools/Synth.h"

namespace zepgen {

namespace {

constexpr float kEffectPeakDb = -1.0f;
// Effects are levelled by their loudest 50 ms: about -9 dBFS RMS, so that the music (about
// -18 dBFS) sits under them. Peaks beyond -0.5 dBFS are rounded off by a soft limiter.
constexpr float kEffectLoudnessDb = -9.0f;

float LoudestWindowDb(const std::vector<float>& x) {
  const size_t window = Samples(0.05f);
  double best = 0, sum = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sum += static_cast<double>(x[i]) * x[i];
    if (i >= window) sum -= static_cast<double>(x[i - window]) * x[i - window];
    best = std::max(best, sum / window);
  }
  return best > 0 ? static_cast<float>(10 * std::log10(best)) : -120.0f;
}

float SoftLimit(float v) {
  const float knee = 0.75f, ceiling = 0.944f;  // -0.5 dBFS
  float a = std::fabs(v);
  if (a <= knee) return v;
  float over = (a - knee) / (ceiling - knee);
  float limited = knee + (ceiling - knee) * std::tanh(over);
  return v < 0 ? -limited : limited;
}

void Level(std::vector<float>& x) {
  Gain(x, std::pow(10.0f, (kEffectLoudnessDb - LoudestWindowDb(x)) / 20));
  for (float& v : x)
    v = SoftLimit(v);
}

void Level(Stereo& s) {
  std::vector<float> mid(s.Frames());
  for (size_t i = 0; i < s.Frames(); ++i)
    mid[i] = std::max(std::fabs(s.left[i]), std::fabs(s.right[i]));
  float g = std::pow(10.0f, (kEffectLoudnessDb - LoudestWindowDb(mid)) / 20);
  Gain(s, g);
  for (float& v : s.left)
    v = SoftLimit(v);
  for (float& v : s.right)
    v = SoftLimit(v);
}

std::vector<float> Silence(float seconds) {
  return std::vector<float>(Samples(seconds), 0.0f);
}

// Mixes a mono voice into a stereo buffer at a constant-power pan (-1 left .. 1 right).
void AddPanned(Stereo& out, const std::vector<float>& voice, size_t offset, float pan) {
  float a = (pan + 1) * 0.25f * kTwoPi * 0.5f;
  float l = std::cos(a), r = std::sin(a);
  for (size_t i = 0; i < voice.size() && offset + i < out.Frames(); ++i) {
    out.left[offset + i] += voice[i] * l;
    out.right[offset + i] += voice[i] * r;
  }
}

// A struck bell by frequency modulation: bright at the strike, mellowing as it rings.
std::vector<float> Bell(float hz, float seconds, float decay, float brightness) {
  std::vector<float> v = Silence(seconds);
  float pc = 0, pm = 0, pp = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float index = brightness * std::exp(-t / 0.12f);
    pm += kTwoPi * hz * 3.5f / kSampleRate;
    pc += kTwoPi * hz / kSampleRate;
    pp += kTwoPi * hz * 2.76f / kSampleRate;
    float env = std::exp(-t / decay) * std::min(1.0f, t / 0.002f);
    v[i] = env * (std::sin(pc + index * std::sin(pm)) +
                  0.18f * std::exp(-t / (decay * 0.4f)) * std::sin(pp));
  }
  // Let the ring die away inside the buffer instead of stopping with a click.
  Fade(v, 0, seconds * 0.4f);
  return v;
}

std::vector<float> Pop(int variant) {
  struct Params {
    float startHz, endHz, sweep, decay, noise, ping;
  };
  const Params table[5] = {{1150, 270, 0.045f, 0.060f, 0.50f, 0.30f},
                           {900, 210, 0.040f, 0.070f, 0.60f, 0.0f},
                           {1300, 330, 0.035f, 0.050f, 0.45f, 0.0f},
                           {760, 175, 0.050f, 0.080f, 0.65f, 0.0f},
                           {1020, 240, 0.030f, 0.055f, 0.70f, 0.0f}};
  const Params& p = table[variant];
  std::vector<float> v = Silence(0.26f);
  Random rnd(500 + variant);
  Biquad band;
  band.Set(Biquad::BandPass, 2600 + variant * 300.0f, 0.9f);
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float hz = p.endHz + (p.startHz - p.endHz) * std::exp(-t / p.sweep);
    phase += kTwoPi * hz / kSampleRate;
    float tone = (std::sin(phase) + 0.3f * std::sin(2 * phase)) * std::exp(-t / p.decay) *
                 std::min(1.0f, t / 0.001f);
    float click = band.Process(rnd.Signed()) * std::exp(-t / 0.010f) * p.noise * 3.0f;
    v[i] = std::tanh(1.6f * (tone + click));
  }
  if (variant == 4) {
    // A small second bounce of rubber.
    size_t at = Samples(0.065f);
    float ph = 0;
    for (size_t i = at; i < v.size(); ++i) {
      float t = static_cast<float>(i - at) / kSampleRate;
      ph += kTwoPi * (420 + 300 * std::exp(-t / 0.02f)) / kSampleRate;
      v[i] += 0.35f * std::sin(ph) * std::exp(-t / 0.03f);
    }
  }
  if (p.ping > 0) {
    std::vector<float> ping = Bell(2637, 0.2f, 0.07f, 1.0f);
    for (size_t i = 0; i < ping.size() && i < v.size(); ++i)
      v[i] += p.ping * ping[i];
  }
  Fade(v, 0.0005f, 0.02f);
  NormalizePeak(v, kEffectPeakDb);
  return v;
}

Stereo ColourCleared() {
  Stereo out(Samples(1.7f));
  const float notes[5] = {84, 88, 91, 96, 100};
  const float pans[5] = {-0.6f, -0.25f, 0.1f, 0.45f, 0.7f};
  for (int i = 0; i < 5; ++i) {
    std::vector<float> b = Bell(MidiToHz(notes[i]), 1.3f, i == 4 ? 0.35f : 0.55f, 2.2f);
    Gain(b, i == 4 ? 0.35f : 0.5f);
    AddPanned(out, b, Samples(0.085f * i), pans[i]);
  }
  AddReverb(out, 0.8f, 0.3f, 0.6f);
  Fade(out.left, 0.001f, 0.15f);
  Fade(out.right, 0.001f, 0.15f);
  NormalizePeak(out, kEffectPeakDb);
  return out;
}

// A bright brass-like note: harmonics whose upper partials open at the attack.
std::vector<float> Brass(float note, float seconds, float ring) {
  const float hz = MidiToHz(note);
  std::vector<float> v = Silence(seconds + ring);
  Adsr env{0.025f, 0.1f, 0.75f, ring};
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float vib = 1 + 0.004f * std::sin(kTwoPi * 5.5f * t) * std::min(1.0f, t / 0.25f);
    phase += kTwoPi * hz * vib / kSampleRate;
    float bright = 0.45f + 0.5f * std::exp(-t / 0.12f);
    float s = 0, weight = 1;
    for (int n = 1; n <= 12 && hz * n < 9000; ++n) {
      s += weight / n * std::sin(n * phase);
      weight *= bright;
    }
    v[i] = s * env.At(t, seconds);
  }
  return v;
}

Stereo Fanfare() {
  Stereo out(Samples(2.4f));
  struct Note {
    float start, length, note, pan;
  };
  const Note melody[] = {{0.00f, 0.10f, 67, -0.2f}, {0.13f, 0.10f, 72, 0.0f},
                         {0.26f, 0.10f, 76, 0.2f},  {0.39f, 0.30f, 79, 0.0f},
                         {0.72f, 0.12f, 76, -0.1f}, {0.86f, 0.95f, 79, 0.0f}};
  for (const Note& n : melody) {
    std::vector<float> b = Brass(n.note, n.length, 0.25f);
    Gain(b, 0.5f);
    AddPanned(out, b, Samples(n.start), n.pan);
  }
  const float chord[4] = {60, 64, 67, 72};
  for (int i = 0; i < 4; ++i) {
    std::vector<float> b = Brass(chord[i], 0.95f, 0.4f);
    Gain(b, 0.22f);
    AddPanned(out, b, Samples(0.86f), -0.6f + 0.4f * i);
  }
  // A timpani thump and a cymbal swell under the final chord.
  Random rnd(77);
  Biquad hiss;
  hiss.Set(Biquad::HighPass, 5000, 0.7f);
  size_t at = Samples(0.86f);
  float ph = 0;
  for (size_t i = at; i < out.Frames(); ++i) {
    float t = static_cast<float>(i - at) / kSampleRate;
    ph += kTwoPi * (70 + 60 * std::exp(-t / 0.05f)) / kSampleRate;
    float drum = 0.6f * std::sin(ph) * std::exp(-t / 0.25f);
    float cym = 0.045f * hiss.Process(rnd.Signed()) * std::exp(-t / 0.5f);
    out.left[i] += drum + cym;
    out.right[i] += drum + cym * 0.9f;
  }
  AddReverb(out, 0.82f, 0.35f, 0.45f);
  Fade(out.left, 0.001f, 0.2f);
  Fade(out.right, 0.001f, 0.2f);
  NormalizePeak(out, kEffectPeakDb);
  return out;
}

std::vector<float> Refused() {
  std::vector<float> v = Silence(0.38f);
  OnePole tone(2400);
  struct Buzz {
    float start, length, hz;
  };
  const Buzz buzzes[2] = {{0.0f, 0.12f, 155}, {0.17f, 0.15f, 116}};
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float s = 0;
    for (const Buzz& b : buzzes) {
      float u = t - b.start;
      if (u < 0 || u > b.length + 0.02f) continue;
      float env = std::min(1.0f, u / 0.005f) * (u > b.length ? 1 - (u - b.length) / 0.02f : 1.0f);
      phase += kTwoPi * b.hz / kSampleRate;
      float sq = 0;
      for (int n = 1; n < 30 && b.hz * n < 5000; n += 2)
        sq += std::sin(n * phase) / n;
      s += env * sq * (0.75f + 0.25f * std::sin(kTwoPi * 32 * u));
    }
    v[i] = tone.Process(s);
  }
  NormalizePeak(v, kEffectPeakDb);
  return v;
}

Stereo Reveal() {
  Stereo out(Samples(0.95f));
  Random rnd(88);
  Biquad shimmer;
  float phase = 0;
  const float length = 0.62f;
  for (size_t i = 0; i < out.Frames(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    if (t > length) break;
    float u = t / length;
    float hz = 260 * std::pow(1500.0f / 260.0f, u);
    phase += kTwoPi * hz / kSampleRate;
    float env = std::pow(std::sin(3.14159f * u), 0.7f);
    shimmer.Set(Biquad::BandPass, hz * 2.5f, 3.0f);
    float s = env * (0.7f * std::sin(phase) + 0.25f * std::sin(2 * phase) +
                     0.8f * shimmer.Process(rnd.Signed()));
    float pan = -0.7f + 1.4f * u;
    float a = (pan + 1) * 0.25f * kTwoPi * 0.5f;
    out.left[i] += s * std::cos(a);
    out.right[i] += s * std::sin(a);
  }
  // Two sparkles as the sweep arrives.
  std::vector<float> b1 = Bell(MidiToHz(100), 0.4f, 0.12f, 1.5f);
  std::vector<float> b2 = Bell(MidiToHz(103), 0.35f, 0.1f, 1.5f);
  Gain(b1, 0.35f);
  Gain(b2, 0.3f);
  AddPanned(out, b1, Samples(0.5f), 0.5f);
  AddPanned(out, b2, Samples(0.58f), 0.7f);
  AddReverb(out, 0.7f, 0.4f, 0.5f);
  Fade(out.left, 0.002f, 0.1f);
  Fade(out.right, 0.002f, 0.1f);
  NormalizePeak(out, kEffectPeakDb);
  return out;
}

std::vector<float> Blow() {
  std::vector<float> v = Silence(0.6f);
  Random rnd(99);
  Biquad whoosh, body;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float sweep = std::sin(3.14159f * std::min(1.0f, t / 0.5f));
    whoosh.Set(Biquad::BandPass, 450 + 1300 * sweep, 1.4f);
    body.Set(Biquad::BandPass, 260, 0.8f);
    float n = rnd.Signed();
    float env = std::min(1.0f, t / 0.06f) * (t < 0.25f ? 1.0f : std::exp(-(t - 0.25f) / 0.1f));
    float flutter = 0.85f + 0.15f * std::sin(kTwoPi * 13 * t);
    v[i] = env * flutter * (whoosh.Process(n) * 1.6f + body.Process(n) * 0.8f);
  }
  Fade(v, 0.002f, 0.05f);
  NormalizePeak(v, kEffectPeakDb);
  return v;
}

std::vector<float> BonusDing() {
  std::vector<float> v = Silence(0.7f);
  std::vector<float> a = Bell(1760, 0.6f, 0.2f, 1.8f);
  std::vector<float> b = Bell(2637, 0.55f, 0.22f, 1.6f);
  size_t off = Samples(0.075f);
  for (size_t i = 0; i < v.size(); ++i) {
    if (i < a.size()) v[i] += 0.6f * a[i];
    if (i >= off && i - off < b.size()) v[i] += 0.55f * b[i - off];
  }
  Fade(v, 0.0005f, 0.08f);
  NormalizePeak(v, kEffectPeakDb);
  return v;
}

Stereo Thunder() {
  Stereo out(Samples(3.0f));
  for (int ch = 0; ch < 2; ++ch) {
    std::vector<float>& dst = ch == 0 ? out.left : out.right;
    Random rnd(1200 + ch);
    Random slow(1300 + ch);
    Biquad crack, rumble, rumble2, growl;
    crack.Set(Biquad::HighPass, 1400, 0.7f);
    rumble.Set(Biquad::LowPass, 180, 0.7f);
    rumble2.Set(Biquad::LowPass, 180, 0.7f);
    growl.Set(Biquad::BandPass, 420, 0.9f);
    float brown = 0, wobble = 0, target = 1;
    size_t delay = static_cast<size_t>(ch * Samples(0.012f));
    for (size_t i = delay; i < dst.size(); ++i) {
      float t = static_cast<float>(i - delay) / kSampleRate;
      float w = rnd.Signed();
      brown = brown * 0.995f + w * 0.08f;
      if (i % 1500 == 0) target = 0.45f + 0.55f * slow.Unit();
      wobble += (target - wobble) * 0.0015f;
      float crackEnv = std::exp(-t / 0.05f) * (t < 0.004f ? t / 0.004f : 1.0f);
      float rollEnv = std::min(1.0f, t / 0.08f) * std::exp(-t / 0.85f);
      float roll = rumble2.Process(rumble.Process(brown)) * rollEnv * wobble * 9.0f;
      // Mid-range crackle so the roll is heard on small speakers too.
      float midEnv = std::min(1.0f, t / 0.03f) * std::exp(-t / 0.45f);
      float mid = growl.Process(w) * midEnv * wobble * 0.5f;
      dst[i] = 0.55f * crack.Process(w) * crackEnv + roll + mid;
    }
    Fade(dst, 0.001f, 0.4f);
  }
  for (size_t i = 0; i < out.Frames(); ++i) {
    out.left[i] = std::tanh(out.left[i] * 1.2f);
    out.right[i] = std::tanh(out.right[i] * 1.2f);
  }
  NormalizePeak(out, kEffectPeakDb);
  return out;
}

std::vector<float> PushRow() {
  std::vector<float> v = Silence(0.3f);
  Random rnd(66);
  Biquad air;
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float hz = 700 - 400 * std::min(1.0f, t / 0.22f);
    phase += kTwoPi * hz / kSampleRate;
    float tri = 2 / 3.14159f * std::asin(std::sin(phase));
    air.Set(Biquad::BandPass, hz * 3, 1.2f);
    float env = std::min(1.0f, t / 0.01f) * std::exp(-t / 0.12f);
    v[i] = env * (0.7f * tri + 0.6f * air.Process(rnd.Signed()));
  }
  Fade(v, 0.001f, 0.04f);
  NormalizePeak(v, kEffectPeakDb);
  return v;
}

std::vector<float> Bump() {
  std::vector<float> v = Silence(0.32f);
  float phase = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    float t = static_cast<float>(i) / kSampleRate;
    float wobble = 1 + 0.12f * std::sin(kTwoPi * 17 * t) * std::exp(-t / 0.12f);
    phase += kTwoPi * 190 * wobble / kSampleRate;
    float env = std::min(1.0f, t / 0.003f) * std::exp(-t / 0.09f);
    v[i] = env * (std::sin(phase) + 0.25f * std::sin(3 * phase));
  }
  Fade(v, 0.0005f, 0.03f);
  NormalizePeak(v, kEffectPeakDb);
  return v;
}

void WriteMono(Output& out, const std::string& name, std::vector<float> v) {
  Level(v);
  out.WriteBytes(Folder::Sounds, name, EncodeWav(v));
}

void WriteStereo(Output& out, const std::string& name, Stereo s) {
  Level(s);
  out.WriteBytes(Folder::Sounds, name, EncodeWav(s));
}

}  // namespace

void MakeSounds(Output& out) {
  for (int i = 0; i < 5; ++i)
    WriteMono(out, "pop" + std::to_string(i + 1) + ".wav", Pop(i));
  WriteStereo(out, "allcolor.wav", ColourCleared());
  WriteStereo(out, "allpop.wav", Fanfare());
  WriteMono(out, "pushrow.wav", PushRow());
  WriteMono(out, "negative.wav", Refused());
  WriteMono(out, "bhitb.wav", Bump());
  WriteStereo(out, "reveal.wav", Reveal());
  WriteMono(out, "blow.wav", Blow());
  WriteMono(out, "bonus.wav", BonusDing());
  WriteStereo(out, "thunder.wav", Thunder());
}

}  // namespace zepgen
