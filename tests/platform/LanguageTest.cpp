#include "platform/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Catalogue.h"
#include "platform/Files.h"
#include "tests/common/TempFolder.h"

namespace {

using testing_support::TempFolder;

// A compiled catalogue as msgfmt writes it: the header, then the texts sorted, each table of
// (length, offset) pairs followed by the strings with their terminators.
std::string MoFile(std::vector<std::pair<std::string, std::string>> entries) {
  entries.insert(entries.begin(), {"", "Content-Type: text/plain; charset=UTF-8\n"});
  std::sort(entries.begin(), entries.end());
  std::string out;
  auto put = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  const uint32_t count = static_cast<uint32_t>(entries.size());
  put(0x950412de);
  put(0);
  put(count);
  put(28);
  put(28 + 8 * count);
  put(0);
  put(0);
  uint32_t offset = 28 + 16 * count;
  std::string strings;
  for (bool translations : {false, true}) {
    for (const auto& [text, translation] : entries) {
      const std::string& s = translations ? translation : text;
      put(static_cast<uint32_t>(s.size()));
      put(offset + static_cast<uint32_t>(strings.size()));
      strings += s + '\0';
    }
  }
  return out + strings;
}

const std::vector<std::pair<std::string, std::string>> kGerman = {
    {"Play", "Spielen"},
    {std::string("key") + '\x04' + "Enter", "Eingabe"},
    {"Enter", "OK"},
    {"%s: cannot write %s: %s", "%s: %s kann nicht geschrieben werden: %s"},
    // A translation that would read other arguments than the English text: never used.
    {"The command line is too long: at most %d characters are accepted.", "Zu lang: %s"},
    {"Untranslated", ""},
};

TEST(Language, ChosenFromTheEnvironmentAsLinuxProgramsChooseIt) {
  const std::vector<std::string> available = {"de", "fr", "pt_BR", "pl"};
  struct Case {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char* chosen;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, ""},
      {nullptr, nullptr, nullptr, "de_AT.UTF-8", "de"},
      {nullptr, nullptr, nullptr, "de_DE@euro", "de"},
      {nullptr, nullptr, nullptr, "pt_BR.UTF-8", "pt_BR"},
      // Portugal's Portuguese finds Brazil's rather than English.
      {nullptr, nullptr, nullptr, "pt_PT", "pt_BR"},
      {nullptr, nullptr, nullptr, "C", ""},
      {nullptr, nullptr, nullptr, "C.UTF-8", ""},
      {nullptr, nullptr, nullptr, "POSIX", ""},
      {nullptr, nullptr, nullptr, "sv_SE.UTF-8", ""},
      {nullptr, nullptr, nullptr, "en_GB.UTF-8", ""},
      // LC_ALL before LC_MESSAGES before LANG; an empty one counts as unset.
      {nullptr, nullptr, "fr_FR.UTF-8", "de_DE.UTF-8", "fr"},
      {nullptr, "pl_PL.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8", "pl"},
      {nullptr, "", "", "fr_CA", "fr"},
      {nullptr, "C", nullptr, "de_DE.UTF-8", ""},
      // LANGUAGE first, as a list, even under the C locale.
      {"pl", "C", nullptr, nullptr, "pl"},
      {"eo:fr:de", nullptr, nullptr, "de_DE", "fr"},
      {"en_GB:de", nullptr, nullptr, "de_DE", ""},
      {"eo", nullptr, nullptr, "de_DE", "de"},
      {"::", nullptr, nullptr, "pl_PL", "pl"},
      // Nothing from outside names a file: only a catalogue that is there can be chosen.
      {"../../etc/passwd", nullptr, nullptr, "x/../de", ""},
  };
  for (const Case& c : cases) {
    platform::LocaleSettings settings;
    settings.language = c.language;
    settings.lcAll = c.lcAll;
    settings.lcMessages = c.lcMessages;
    settings.lang = c.lang;
    EXPECT_EQ(platform::ChooseLanguage(settings, available), c.chosen)
        << "LANGUAGE=" << (c.language ? c.language : "(unset)")
        << " LC_ALL=" << (c.lcAll ? c.lcAll : "(unset)")
        << " LC_MESSAGES=" << (c.lcMessages ? c.lcMessages : "(unset)")
        << " LANG=" << (c.lang ? c.lang : "(unset)");
  }
}

TEST(Catalogue, FindsTranslationsAndRefusesAnythingButAWholeCatalogue) {
  const std::string file = MoFile(kGerman);
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
  platform::Catalogue catalogue;
  ASSERT_TRUE(catalogue.Load(bytes, file.size()));
  EXPECT_STREQ(catalogue.Find("Play"), "Spielen");
  EXPECT_STREQ(catalogue.Find("Enter"), "OK");
  EXPECT_STREQ(catalogue.Find("key", "Enter"), "Eingabe");
  EXPECT_STREQ(catalogue.Find("%s: cannot write %s: %s"),
               "%s: %s kann nicht geschrieben werden: %s");
  EXPECT_EQ(catalogue.Find("The command line is too long: at most %d characters are accepted."),
            nullptr);
  EXPECT_EQ(catalogue.Find("Untranslated"), nullptr);
  EXPECT_EQ(catalogue.Find(""), nullptr);
  EXPECT_EQ(catalogue.Find("pad", "Enter"), nullptr);
  // The texts lie at the end of the file: every shorter part of it is refused whole.
  for (size_t size = 0; size < file.size(); ++size) {
    EXPECT_FALSE(catalogue.Load(bytes, size)) << size << " bytes";
    EXPECT_EQ(catalogue.Find("Play"), nullptr);
  }
  std::string wrong = file;
  wrong[0] = 'X';
  EXPECT_FALSE(catalogue.Load(reinterpret_cast<const uint8_t*>(wrong.data()), wrong.size()));
  wrong = file;
  wrong[8] = '\xff';  // more texts than the file holds
  EXPECT_FALSE(catalogue.Load(reinterpret_cast<const uint8_t*>(wrong.data()), wrong.size()));
}

// The programs' own layer: a language's picture before the English one, English where the
// language has none, and the texts through the language's catalogue.
TEST(Language, PicturesAndTextsOfTheChosenLanguageWithEnglishWhereItHasNone) {
  TempFolder tree;
  tree.Write("locale/xx.mo", MoFile(kGerman));
  tree.Write("PlayButton.bmp", "English play");
  tree.Write("xx/PlayButton.bmp", "xx play");
  tree.Write("MenuButton.bmp", "English menu");
  tree.Write("options.ini", "English settings");
  tree.Write("xx/options.ini", "not a picture");
  tree.Write("Zeppolo/title/HowToPlay.bmp", "English rules");
  tree.Write("Zeppolo/title/xx/howtoplay.bmp", "xx rules");
  const std::string base = tree.Path().string();
  platform::SetProgramTreeFolder(base.c_str());
  auto read = [](const std::string& path) {
    std::vector<uint8_t> bytes;
    platform::ReadWholeFile(path.c_str(), bytes);
    return std::string(bytes.begin(), bytes.end());
  };

  ASSERT_TRUE(platform::SetLanguage("xx"));
  EXPECT_EQ(platform::CurrentLanguage(), "xx");
  EXPECT_EQ(read(base + "\\PlayButton.bmp"), "xx play");
  EXPECT_EQ(read(base + "\\MenuButton.bmp"), "English menu");
  EXPECT_EQ(read(base + "\\Zeppolo\\title\\HowToPlay.bmp"), "xx rules");
  EXPECT_EQ(read(base + "\\options.ini"), "English settings");
  EXPECT_STREQ(platform::Tr("Play"), "Spielen");
  EXPECT_STREQ(platform::Tr("key", "Enter"), "Eingabe");
  EXPECT_STREQ(platform::Tr("Untranslated"), "Untranslated");
  EXPECT_STREQ(platform::ReasonText(EISDIR), "Is a directory");

  // A language without a catalogue is English.
  EXPECT_FALSE(platform::SetLanguage("yy"));
  EXPECT_EQ(platform::CurrentLanguage(), "");
  EXPECT_EQ(read(base + "\\PlayButton.bmp"), "English play");
  EXPECT_STREQ(platform::Tr("Play"), "Play");

  EXPECT_TRUE(platform::SetLanguage(""));
  platform::SetProgramTreeFolder(nullptr);
  EXPECT_EQ(platform::LanguageVariant("..\\PlayButton.bmp", "de"), "..\\de\\PlayButton.bmp");
  EXPECT_EQ(platform::LanguageVariant("background.bmp", "pt_BR"), "pt_BR\\background.bmp");
  EXPECT_EQ(platform::LanguageVariant("a/b/c.bmp", "pl"), "a/b/pl/c.bmp");
}

}  // namespace
