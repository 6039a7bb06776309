#pragma once
// The player's language: which one is chosen, the translation of the texts the programs write,
// and the pictures drawn in it.
//
// The language is chosen as Linux programs choose it, from LANGUAGE, then LC_ALL, LC_MESSAGES and
// LANG, among the catalogues installed with the programs ("locale/<code>.mo" in the program tree),
// with English when none fits. Both programs look at the same environment and the same tree, so
// they show the same language, and the game started by the launcher inherits the launcher's.
// Nothing depends on the system's locale data: the catalogues are read by this layer itself.

#include <string>
#include <vector>

namespace platform {

// The four variables as the environment has them; null for one that is not set.
struct LocaleSettings {
  const char* language = nullptr;
  const char* lcAll = nullptr;
  const char* lcMessages = nullptr;
  const char* lang = nullptr;
};
LocaleSettings LocaleFromEnvironment();

// The code of the catalogue to use among the available ones ("de", "pt_BR"), or "" for English.
// LANGUAGE is a list of languages in order of preference ("fr:de"); the first that is available
// wins. Unlike the C library, which ignores LANGUAGE while the locale is "C", it is honoured
// always: a player who sets it asks for that language, and no locale need be installed. When it
// names nothing available, the locale decides: the first set of LC_ALL, LC_MESSAGES and LANG. A
// locale name "de_AT.UTF-8@euro" is tried as "de_AT", then as "de", then as any country's "de";
// so Portuguese finds "pt_BR". "C", "POSIX" and English give English.
std::string ChooseLanguage(const LocaleSettings& settings,
                           const std::vector<std::string>& available);

// The language of this process, chosen at the first call from the environment and the catalogues
// in the program tree. "" for English.
std::string CurrentLanguage();
// Makes code the language of this process (tests; "" for English) and loads its catalogue from
// the program tree. False, and English, when that catalogue cannot be read.
bool SetLanguage(const std::string& code);

// The text in the current language, or text itself when the catalogue has no translation. The
// result stays valid as long as the process runs. The second form looks the text up in a
// context (for one English word used for two things).
const char* Tr(const char* text);
const char* Tr(const char* context, const char* text);

// The system's reason for a failure (an errno value) in the player's language: the reasons a
// player meets when a file cannot be written are translated, any other is the C library's text.
const char* ReasonText(int error);

// Where a language keeps its copy of a picture: a folder named after the language beside the
// English picture ("..\\PlayButton.bmp" becomes "..\\de\\PlayButton.bmp"). Either slash.
std::string LanguageVariant(const std::string& path, const std::string& language);

// The native path of the current language's copy of a picture (a ".bmp" file) when that copy
// exists; "" otherwise, and the English picture is used. Only pictures with lettering have a copy,
// and a language may lack some: each missing one falls back to English.
std::string TranslatedPicture(const char* windowsPath);

}  // namespace platform
