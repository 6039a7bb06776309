#include "platform/Language.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/Catalogue.h"
#include "platform/Environment.h"
#include "platform/Files.h"

namespace platform {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A catalogue's code is a file name in the program tree: letters, digits, "_" and "@" only, so
// that no value from outside can name a path.
bool IsCatalogueCode(const std::string& code) {
  if (code.empty() || code.size() > 32) return false;
  return std::all_of(code.begin(), code.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '@';
  });
}

// The catalogue for one locale name: its code, "" for English, or nothing when the name is
// neither English nor available.
std::optional<std::string> Match(const std::string& entry,
                                 const std::vector<std::string>& available) {
  // The encoding and the modifier do not change the language.
  const std::string name = entry.substr(0, entry.find_first_of(".@"));
  if (name.empty()) return std::nullopt;
  if (name == "C" || name == "POSIX") return std::string();
  const std::string language = name.substr(0, name.find('_'));
  if (language == "en") return std::string();
  auto has = [&available](const std::string& code) {
    return std::find(available.begin(), available.end(), code) != available.end();
  };
  if (has(name)) return name;
  if (has(language)) return language;
  for (const std::string& code : available) {
    if (StartsWith(code, language + "_")) return code;
  }
  return std::nullopt;
}

struct LanguageState {
  std::mutex mutex;
  std::string code;
  // Every catalogue loaded stays, so a translation handed out stays valid whatever is chosen
  // later.
  std::map<std::string, std::unique_ptr<Catalogue>> loaded;
};

LanguageState& State() {
  // Never destroyed: a thread may still print a translated line while the process ends.
  static LanguageState* state = new LanguageState;
  return *state;
}

std::atomic<bool> chosen{false};
std::atomic<const Catalogue*> active{nullptr};

std::string LocaleFolder() {
  const std::string tree = ProgramTreeFolder();
  return tree.empty() ? std::string() : tree + "/locale";
}

std::vector<std::string> AvailableLanguages() {
  std::vector<std::string> codes;
  std::vector<FolderEntry> entries;
  const std::string folder = LocaleFolder();
  if (folder.empty() || !ListFolder(folder.c_str(), entries)) return codes;
  for (const FolderEntry& entry : entries) {
    const std::string& name = entry.name;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".mo") == 0) {
      const std::string code = name.substr(0, name.size() - 3);
      if (IsCatalogueCode(code)) codes.push_back(code);
    }
  }
  return codes;
}

// Loads the catalogue of code, or finds it loaded; null when it cannot be read. Called with the
// state's lock held. Read by its native path, not through the file layer, whose reads look for
// pictures in the player's language, which is being chosen here.
const Catalogue* LoadCatalogue(LanguageState& state, const std::string& code) {
  const auto known = state.loaded.find(code);
  if (known != state.loaded.end()) return known->second.get();
  const std::string folder = LocaleFolder();
  if (folder.empty() || !IsCatalogueCode(code)) return nullptr;
  auto catalogue = std::make_unique<Catalogue>();
  if (!catalogue->LoadFile(folder + "/" + code + ".mo")) return nullptr;
  const Catalogue* result = catalogue.get();
  state.loaded.emplace(code, std::move(catalogue));
  return result;
}

const Catalogue* ActiveCatalogue() {
  if (!chosen.load()) CurrentLanguage();
  return active.load();
}

}  // namespace

LocaleSettings LocaleFromEnvironment() {
  LocaleSettings settings;
  // The player's settings, not the character locale the video may set for SDL.
  settings.language = PlayersVariable("LANGUAGE");
  settings.lcAll = PlayersVariable("LC_ALL");
  settings.lcMessages = PlayersVariable("LC_MESSAGES");
  settings.lang = PlayersVariable("LANG");
  return settings;
}

std::string ChooseLanguage(const LocaleSettings& settings,
                           const std::vector<std::string>& available) {
  if (settings.language != nullptr) {
    const std::string list = settings.language;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      const std::optional<std::string> match = Match(list.substr(start, end - start), available);
      if (match) return *match;
      start = end + 1;
    }
  }
  // An empty variable counts as unset, as for every locale variable.
  for (const char* locale : {settings.lcAll, settings.lcMessages, settings.lang}) {
    if (locale != nullptr && locale[0] != '\0') return Match(locale, available).value_or("");
  }
  return std::string();
}

std::string CurrentLanguage() {
  LanguageState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!chosen.load()) {
    std::string code = ChooseLanguage(LocaleFromEnvironment(), AvailableLanguages());
    const Catalogue* catalogue = code.empty() ? nullptr : LoadCatalogue(state, code);
    if (catalogue == nullptr) code.clear();
    state.code = code;
    active.store(catalogue);
    chosen.store(true);
  }
  return state.code;
}

bool SetLanguage(const std::string& code) {
  LanguageState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  const Catalogue* catalogue = code.empty() ? nullptr : LoadCatalogue(state, code);
  const bool ok = code.empty() || catalogue != nullptr;
  state.code = ok ? code : std::string();
  active.store(catalogue);
  chosen.store(true);
  return ok;
}

const char* Tr(const char* text) {
  const Catalogue* catalogue = ActiveCatalogue();
  const char* found = catalogue != nullptr ? catalogue->Find(text) : nullptr;
  return found != nullptr ? found : text;
}

const char* Tr(const char* context, const char* text) {
  const Catalogue* catalogue = ActiveCatalogue();
  const char* found = catalogue != nullptr ? catalogue->Find(context, text) : nullptr;
  return found != nullptr ? found : text;
}

const char* ReasonText(int error) {
  // In English the C library's own words, as every other program prints them.
  if (ActiveCatalogue() == nullptr) return std::strerror(error);
  switch (error) {
    case EACCES:
      return Tr("reason", "Permission denied");
    case EROFS:
      return Tr("reason", "Read-only file system");
    case ENOSPC:
      return Tr("reason", "No space left on device");
    case EDQUOT:
      return Tr("reason", "Disk quota exceeded");
    case EISDIR:
      return Tr("reason", "Is a directory");
    case ENOTDIR:
      return Tr("reason", "Not a directory");
    case ENOENT:
      return Tr("reason", "No such file or directory");
    case EIO:
      return Tr("reason", "Input/output error");
    default:
      return std::strerror(error);
  }
}

std::string LanguageVariant(const std::string& path, const std::string& language) {
  if (language.empty()) return path;
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return language + "\\" + path;
  return path.substr(0, slash + 1) + language + path[slash] + path.substr(slash + 1);
}

std::string TranslatedPicture(const char* windowsPath) {
  if (windowsPath == nullptr) return std::string();
  const std::string path = windowsPath;
  if (path.size() < 4) return std::string();
  std::string suffix = path.substr(path.size() - 4);
  std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (suffix != ".bmp") return std::string();
  const std::string language = CurrentLanguage();
  if (language.empty()) return std::string();
  const std::string native = NativePath(LanguageVariant(path, language).c_str());
  FILE* file = std::fopen(native.c_str(), "rb");
  if (file == nullptr) return std::string();
  std::fclose(file);
  return native;
}

}  // namespace platform
