#pragma once
// Builds WAV files byte by byte for the tests: chunks in any order, odd sizes, sampler loops,
// wrong formats, lying sizes and cut-off files.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace wav {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A chunk: id, size (the body's unless told otherwise), body, and the pad byte of an odd size.
inline Bytes Chunk(const char* id, const Bytes& body, int64_t claimedSize = -1) {
  Bytes b(id, id + 4);
  Put32(b,
        claimedSize >= 0 ? static_cast<uint32_t>(claimedSize) : static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() % 2 != 0) b.push_back(0);
  return b;
}

inline Bytes Fmt(uint32_t channels, uint32_t rate, uint32_t bits, uint32_t tag = 1) {
  Bytes body;
  Put16(body, tag);
  Put16(body, channels);
  Put32(body, rate);
  Put32(body, rate * channels * bits / 8);
  Put16(body, channels * bits / 8);
  Put16(body, bits);
  return Chunk("fmt ", body);
}

struct Loop {
  uint32_t start;  // sample frames
  uint32_t end;
  uint32_t playCount;
};

inline Bytes Smpl(const std::vector<Loop>& loops) {
  Bytes body;
  for (int i = 0; i < 7; ++i)
    Put32(body, 0);  // manufacturer .. SMPTE offset
  Put32(body, static_cast<uint32_t>(loops.size()));
  Put32(body, 0);  // sampler data
  for (const Loop& l : loops) {
    Put32(body, 0);  // cue point id
    Put32(body, 0);  // type
    Put32(body, l.start);
    Put32(body, l.end);
    Put32(body, 0);  // fraction
    Put32(body, l.playCount);
  }
  return Chunk("smpl", body);
}

inline Bytes Pcm16(const std::vector<int16_t>& samples) {
  Bytes b;
  for (int16_t s : samples)
    Put16(b, static_cast<uint16_t>(s));
  return b;
}

inline Bytes Data(const Bytes& pcm, int64_t claimedSize = -1) {
  return Chunk("data", pcm, claimedSize);
}

inline Bytes Riff(const std::vector<Bytes>& chunks, const char* form = "WAVE") {
  Bytes body(form, form + 4);
  for (const Bytes& c : chunks)
    body.insert(body.end(), c.begin(), c.end());
  Bytes b{'R', 'I', 'F', 'F'};
  Put32(b, static_cast<uint32_t>(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

inline bool Write(const std::filesystem::path& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.string().c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A 16-bit stereo file at 22050 Hz holding the samples.
inline Bytes Stereo16(const std::vector<int16_t>& samples) {
  return Riff({Fmt(2, 22050, 16), Data(Pcm16(samples))});
}

}  // namespace wav
