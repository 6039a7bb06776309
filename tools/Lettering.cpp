#include "tools/Lettering.h"

#include "platform/Catalogue.h"

namespace zepgen {

namespace {

platform::Catalogue catalogue;
std::vector<LetteringRecord> records;

}  // namespace

bool UseCatalogue(const std::string& path, std::string* error) {
  if (!catalogue.LoadFile(path)) {
    *error = "cannot read the catalogue " + path;
    return false;
  }
  return true;
}

const char* Tr(const char* text) {
  const char* found = catalogue.Find(text);
  return found != nullptr ? found : text;
}

const char* Tr(const char* context, const char* text) {
  const char* found = catalogue.Find(context, text);
  return found != nullptr ? found : text;
}

void RecordLettering(const Canvas& canvas, const Box& space, const Box& ink,
                     const std::string& text) {
  records.push_back({canvas.Serial(), canvas.Width(), canvas.Height(), space, ink, text});
}

std::vector<LetteringRecord> TakeLettering() {
  std::vector<LetteringRecord> taken;
  taken.swap(records);
  return taken;
}

}  // namespace zepgen
