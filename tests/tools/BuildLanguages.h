#pragma once
// The languages other than English that the build draws and compiles, as it lists them
// (ZEP_LANGUAGES, "de,fr,...").

#include <string>
#include <vector>

inline std::vector<std::string> BuildLanguages() {
  std::vector<std::string> languages;
  const std::string list = ZEP_LANGUAGES;
  for (size_t start = 0; start < list.size();) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) languages.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return languages;
}
