#include "tools/IconArt.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "tools/Canvas.h"

namespace zepgen {

namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& body) {
  PutBigEndian(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBigEndian(out, static_cast<uint32_t>(crc));
}

// Everything is drawn on a 256-unit square and scaled, so the small sizes are the same picture.
struct Frame {
  float scale;
  Vec2 At(float x, float y) const { return {x * scale, y * scale}; }
};

// A rounded tile behind the picture, as desktop menus show application icons.
void DrawTile(Canvas& c, const Frame& f, Color top, Color bottom) {
  Path tile;
  tile.AddRoundRect(f.At(12, 12).x, f.At(12, 12).y, 232 * f.scale, 232 * f.scale, 44 * f.scale);
  c.FillPath(tile, VerticalGradient(12 * f.scale, top, 244 * f.scale, bottom));
}

void DrawBalloon(Canvas& c, const Frame& f, float cx, float cy, float r, Color colour) {
  Path string;
  string.AddCurve(f.At(cx, cy + r * 1.15f), f.At(cx + r * 0.5f, cy + r * 1.7f),
                  f.At(cx - r * 0.1f, cy + r * 2.3f), std::max(1.0f, 3.0f * f.scale));
  c.FillPath(string, Hex(0x5A5A6A));
  Path knot;
  knot.AddPolygon({f.At(cx, cy + r * 1.05f), f.At(cx - r * 0.16f, cy + r * 1.25f),
                   f.At(cx + r * 0.16f, cy + r * 1.25f)});
  c.FillPath(knot, Darker(colour, 0.25f));
  Path body;
  body.AddEllipse(f.At(cx, cy).x, f.At(cx, cy).y, r * 0.9f * f.scale, r * 1.1f * f.scale);
  c.FillPath(body,
             RadialGradient(f.At(cx - r * 0.35f, cy - r * 0.4f).x,
                            f.At(cx - r * 0.35f, cy - r * 0.4f).y, r * 1.4f * f.scale,
                            r * 1.6f * f.scale, Lighter(colour, 0.45f), Darker(colour, 0.3f)));
  Path shine;
  shine.AddTiltedEllipse(f.At(cx - r * 0.38f, cy - r * 0.5f).x,
                         f.At(cx - r * 0.38f, cy - r * 0.5f).y, r * 0.14f * f.scale,
                         r * 0.28f * f.scale, 0.5f);
  c.FillPath(shine, Hex(0xFFFFFF), 0.75f);
}

// The game: three balloons rising from a sky tile.
Canvas ZeppoloIcon(int size) {
  Canvas c(size, size);
  const Frame f{size / 256.0f};
  DrawTile(c, f, Hex(0x7EC8F2), Hex(0x2F7FC0));
  DrawBalloon(c, f, 84, 112, 46, Hex(0x3BB54A));
  DrawBalloon(c, f, 172, 104, 46, Hex(0xF2C230));
  DrawBalloon(c, f, 128, 86, 54, Hex(0xE03A3A));
  return c;
}

// The launcher: a grid of game slots, one holding a balloon.
Canvas HubbixIcon(int size) {
  Canvas c(size, size);
  const Frame f{size / 256.0f};
  DrawTile(c, f, Hex(0x8A5CC8), Hex(0x452A78));
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 2; ++column) {
      const float x = 44 + column * 88.0f;
      const float y = 44 + row * 88.0f;
      Path slot;
      slot.AddRoundRect(x * f.scale, y * f.scale, 80 * f.scale, 80 * f.scale, 14 * f.scale);
      c.FillPath(slot, row + column == 0 ? Hex(0xFFF4D6) : Hex(0xB8A2E0));
    }
  }
  DrawBalloon(c, f, 84, 76, 22, Hex(0xE03A3A));
  return c;
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (width * 4 + 1));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    const auto row = rgba.begin() + static_cast<long>(y) * width * 4;
    raw.insert(raw.end(), row, row + width * 4);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) !=
      Z_OK) {
    return {};
  }
  packed.resize(packedSize);

  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(width));
  PutBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

namespace {

struct Icon {
  const char* name;     // of the icon files
  const char* program;  // in the window icon's source
  Canvas (*draw)(int size);
};

const Icon kIcons[] = {{"hubbix", "Hubbix", HubbixIcon}, {"zeppolo", "Zeppolo", ZeppoloIcon}};

// Non-premultiplied RGBA rows, top down.
std::vector<uint8_t> IconRgba(const Icon& icon, int size) {
  const Canvas canvas = icon.draw(size);
  std::vector<uint8_t> rgba;
  rgba.reserve(static_cast<size_t>(size) * size * 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const Color colour = canvas.ColorAt(x, y);
      for (float channel : {colour.r, colour.g, colour.b, canvas.AlphaAt(x, y)})
        rgba.push_back(static_cast<uint8_t>(std::lround(std::clamp(channel, 0.0f, 1.0f) * 255)));
    }
  }
  return rgba;
}

bool WriteFile(const std::string& path, const void* data, size_t size, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  const bool written = size > 0 && file != nullptr && std::fwrite(data, 1, size, file) == size;
  const bool closed = file != nullptr && std::fclose(file) == 0;
  if (written && closed) return true;
  if (error != nullptr) *error = "cannot write " + path;
  return false;
}

}  // namespace

bool MakeIcons(const std::string& folder, std::string* error) {
  for (const Icon& icon : kIcons) {
    for (int size : kIconSizes) {
      const std::vector<uint8_t> png = EncodePng(size, size, IconRgba(icon, size));
      const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
      const std::filesystem::path path =
          std::filesystem::path(folder) / sizeName / "apps" / (std::string(icon.name) + ".png");
      std::error_code failure;
      std::filesystem::create_directories(path.parent_path(), failure);
      if (!WriteFile(path.string(), png.data(), png.size(), error)) return false;
    }
  }
  return true;
}

bool WriteWindowIconSource(const std::string& path, std::string* error) {
  std::string text =
      "// Made by zepgen from tools/IconArt.cpp: the window icons of the two programs.\n"
      "#include \"shell/WindowIcons.h\"\n\n"
      "namespace {\n";
  char number[16];
  for (const Icon& icon : kIcons) {
    const std::vector<uint8_t> rgba = IconRgba(icon, kWindowIconSize);
    text += std::string("const uint32_t k") + icon.program + "Pixels[] = {";
    for (size_t i = 0; i < rgba.size(); i += 4) {
      const uint32_t argb = (uint32_t{rgba[i + 3]} << 24) | (uint32_t{rgba[i]} << 16) |
                            (uint32_t{rgba[i + 1]} << 8) | rgba[i + 2];
      std::snprintf(number, sizeof number, "%s0x%08X", i % 32 == 0 ? "\n    " : " ", argb);
      text += number;
      text += ",";
    }
    text += "};\n";
  }
  text += "}  // namespace\n\n";
  const std::string size = std::to_string(kWindowIconSize);
  for (const Icon& icon : kIcons) {
    text += std::string("const platform::WindowIcon k") + icon.program + "WindowIcon = {" + size +
            ", " + size + ", k" + icon.program + "Pixels};\n";
  }
  return WriteFile(path, text.data(), text.size(), error);
}

}  // namespace zepgen
