#include "platform/Catalogue.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr uint32_t kSwappedMagic = 0xde120495;
constexpr size_t kHeaderSize = 28;

uint32_t Read32(const uint8_t* p, bool swapped) {
  if (swapped) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | p[3];
  }
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The index-th text of a table of (length, offset) pairs; false when any part lies outside the
// file or the text lacks the terminator msgfmt writes after it.
bool TextAt(const uint8_t* data, size_t size, uint32_t table, uint32_t index, bool swapped,
            std::string& out) {
  const uint64_t entry = static_cast<uint64_t>(table) + static_cast<uint64_t>(index) * 8;
  if (entry + 8 > size) return false;
  const uint32_t length = Read32(data + entry, swapped);
  const uint32_t offset = Read32(data + entry + 4, swapped);
  if (static_cast<uint64_t>(offset) + length + 1 > size || data[offset + length] != 0) return false;
  out.assign(reinterpret_cast<const char*>(data + offset), length);
  return true;
}

// The printf conversions of a text in order ("%s", "%d" give "sd"); "%%" is none.
std::string Conversions(const std::string& text) {
  std::string found;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    ++i;
    while (i < text.size() && std::strchr("0123456789.-+ #'$hlLqjzt*", text[i]) != nullptr)
      ++i;
    if (i < text.size() && text[i] != '%') found += text[i];
  }
  return found;
}

}  // namespace

bool Catalogue::Load(const uint8_t* data, size_t size) {
  translations.clear();
  if (data == nullptr || size < kHeaderSize) return false;
  const uint32_t magic = Read32(data, false);
  if (magic != kMagic && magic != kSwappedMagic) return false;
  const bool swapped = magic == kSwappedMagic;
  // Major revisions 0 and 1 share this layout; 1 only adds tables this reader does not need.
  if ((Read32(data + 4, swapped) >> 16) > 1) return false;
  const uint32_t count = Read32(data + 8, swapped);
  const uint32_t originals = Read32(data + 12, swapped);
  const uint32_t targets = Read32(data + 16, swapped);
  // Each entry takes eight bytes of each table, so a count the file cannot hold is refused
  // before anything is reserved for it.
  if (count > size / 16) return false;
  std::unordered_map<std::string, std::string> loaded;
  loaded.reserve(count);
  std::string key;
  std::string value;
  for (uint32_t i = 0; i < count; ++i) {
    if (!TextAt(data, size, originals, i, swapped, key) ||
        !TextAt(data, size, targets, i, swapped, value)) {
      return false;
    }
    // The header (the empty text) describes the catalogue; it translates nothing.
    if (key.empty()) continue;
    // A text with plural forms is its singular, a zero byte and its plural; the programs use
    // the singular and its first translation.
    key.resize(std::strlen(key.c_str()));
    value.resize(std::strlen(value.c_str()));
    // The programs hand many texts to printf: a translation whose conversions differ from the
    // English ones would read the wrong arguments, so it is not used (msgfmt --check refuses
    // it when the catalogue is built; this guards the programs against any other file).
    if (!value.empty() && Conversions(value) == Conversions(key)) loaded[key] = value;
  }
  translations.swap(loaded);
  return true;
}

bool Catalogue::LoadFile(const std::string& nativePath) {
  translations.clear();
  FILE* file = std::fopen(nativePath.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  const bool readOk = std::ferror(file) == 0;
  std::fclose(file);
  return readOk && Load(bytes.data(), bytes.size());
}

const char* Catalogue::Find(const char* text) const {
  if (text == nullptr) return nullptr;
  const auto found = translations.find(text);
  return found == translations.end() ? nullptr : found->second.c_str();
}

const char* Catalogue::Find(const char* context, const char* text) const {
  if (context == nullptr) return Find(text);
  if (text == nullptr) return nullptr;
  const auto found = translations.find(std::string(context) + '\x04' + text);
  return found == translations.end() ? nullptr : found->second.c_str();
}

}  // namespace platform
