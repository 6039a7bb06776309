// The translations' reader on any bytes: no crash and no read outside the bytes, whatever a
// compiled catalogue's tables claim; one that loads answers lookups, with and without a context.

#include <cstdint>
#include <cstring>

#include "platform/Catalogue.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::Catalogue catalogue;
  if (!catalogue.Load(data, size)) {
    // A refused file leaves nothing behind to translate with.
    FUZZ_CHECK(catalogue.Find("Play") == nullptr);
    return 0;
  }
  for (const char* text : {"Play", "Enter", "%s: cannot write %s: %s", ""}) {
    const char* found = catalogue.Find(text);
    if (found != nullptr) FUZZ_CHECK(std::strlen(found) > 0);
    catalogue.Find("key", text);
  }
  return 0;
}
