#pragma once
// A compiled gettext catalogue (a ".mo" file, as msgfmt writes it): the translation of each
// English text of one language. Read by the programs for their messages and by the generator for
// the lettering of every picture, so both show the same words.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace platform {

class Catalogue {
 public:
  // Takes the file's bytes. False, leaving the catalogue empty, for anything that is not a whole
  // catalogue: a wrong magic number or revision, a table or a text outside the file, a text
  // without its terminator.
  bool Load(const uint8_t* data, size_t size);
  // Load of a file named by its native path; false also when it cannot be read.
  bool LoadFile(const std::string& nativePath);

  // The translation of text, or null when the catalogue has none (or an empty one). A context
  // tells apart one English word used for two things ("Back" on a button, "Back" on a
  // controller).
  const char* Find(const char* text) const;
  const char* Find(const char* context, const char* text) const;

 private:
  // Keyed as msgfmt writes them: the context, the byte 4 and the text when there is a context.
  std::unordered_map<std::string, std::string> translations;
};

}  // namespace platform
