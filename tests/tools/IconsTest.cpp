// The desktop icons the generator makes: real PNG files a desktop can show, at every size the
// install puts in the hicolor theme, each a picture on a transparent ground.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
         static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  std::string error;
  uint8_t Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

// Reads the file chunk by chunk, checking every CRC, and inflates its pixels.
Picture ReadPng(const std::string& path) {
  Picture picture;
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || !std::equal(signature, signature + 8, bytes.begin())) {
    picture.error = "no PNG signature";
    return picture;
  }
  std::vector<uint8_t> packed;
  bool ended = false;
  for (size_t at = 8; !ended;) {
    if (at + 12 > bytes.size()) {
      picture.error = "cut short";
      return picture;
    }
    const uint32_t length = BigEndian(bytes, at);
    if (at + 12 + length > bytes.size()) {
      picture.error = "a chunk runs past the end";
      return picture;
    }
    const std::string type(bytes.begin() + at + 4, bytes.begin() + at + 8);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), bytes.data() + at + 4, length + 4);
    if (crc != BigEndian(bytes, at + 8 + length)) {
      picture.error = "bad CRC in " + type;
      return picture;
    }
    const uint8_t* body = bytes.data() + at + 8;
    if (type == "IHDR") {
      picture.width = static_cast<int>(BigEndian(bytes, at + 8));
      picture.height = static_cast<int>(BigEndian(bytes, at + 12));
      if (length != 13 || body[8] != 8 || body[9] != 6 || body[12] != 0) {
        picture.error = "not 8-bit RGBA without interlace";
        return picture;
      }
    } else if (type == "IDAT") {
      packed.insert(packed.end(), body, body + length);
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  const size_t stride = static_cast<size_t>(picture.width) * 4 + 1;
  std::vector<uint8_t> raw(stride * picture.height + 1);
  uLongf rawSize = raw.size();
  if (uncompress(raw.data(), &rawSize, packed.data(), packed.size()) != Z_OK ||
      rawSize != stride * picture.height) {
    picture.error = "the pixels do not inflate to the picture's size";
    return picture;
  }
  for (int y = 0; y < picture.height; ++y) {
    if (raw[y * stride] != 0) {
      picture.error = "a row with a filter the writer does not use";
      return picture;
    }
    picture.rgba.insert(picture.rgba.end(), raw.begin() + y * stride + 1,
                        raw.begin() + (y + 1) * stride);
  }
  return picture;
}

TEST(Icons, EveryCommandHasAPictureOnATransparentGroundAtEverySize) {
  for (int size : {48, 64, 128, 256}) {
    std::vector<uint8_t> first;
    for (const char* name : {"hubbix", "zeppolo"}) {
      const std::string path = std::string(ZEP_ICON_DIR) + "/" + std::to_string(size) + "x" +
                               std::to_string(size) + "/apps/" + name + ".png";
      SCOPED_TRACE(path);
      const Picture picture = ReadPng(path);
      ASSERT_EQ(picture.error, "");
      EXPECT_EQ(picture.width, size);
      EXPECT_EQ(picture.height, size);
      EXPECT_EQ(picture.Alpha(0, 0), 0);
      EXPECT_EQ(picture.Alpha(size - 1, size - 1), 0);
      EXPECT_EQ(picture.Alpha(size / 2, size / 2), 255);
      // The two commands are told apart by their icons.
      if (first.empty()) {
        first = picture.rgba;
      } else {
        EXPECT_NE(first, picture.rgba);
      }
    }
  }
}

}  // namespace
