// The launcher's hall of fame on any "hiscore.dat": the dialog is built from the file, draws its
// two columns of stored names and scores, and uploads the best entry when "upload" is clicked.
// The upload text is also built directly for other game names and smaller buffers. Checked
// beyond "no crash": the address opened fits its 256 characters, begins with the site's path,
// and decodes to the query with the game and the score whole and the stored name, as UTF-8 (a
// byte that is not UTF-8 as U+FFFD), cut only where the address would not hold it and never
// inside an escape or a character.
//
// The dialog's pictures and fonts are the generated ones of the normal build's staged layout
// (ZEP_FUZZ_STAGE, or build/stage beside the fuzz build).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "framework/DirtyRects.h"
#include "framework/HighScoreTable.h"
#include "framework/MousePointer.h"
#include "launcher/HallOfFameDialog.h"
#include "launcher/Maker.h"
#include "launcher/ScoreUpload.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Utf8.h"
#include "platform/Video.h"
#include "qz/qz.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

namespace fs = std::filesystem;

platform::RecordingProcessStarter starter;
const std::string kPrefix = std::string(kMakerSite) + "/cgi-bin/hiscore.cgi?";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The query as the site reads it; false for a broken escape.
bool Decode(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return false;
    const int high = HexValue(text[i + 1]);
    const int low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return false;
    *out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

// Checks an address built for game, name and score in a buffer of size bytes.
void CheckAddress(const char* address, size_t size, const std::string& game,
                  const std::string& name, int32_t score) {
  const size_t length = strnlen(address, size);
  FUZZ_CHECK(length < size);
  FUZZ_CHECK(std::string(address).rfind(kPrefix, 0) == 0);
  std::string query;
  FUZZ_CHECK(Decode(std::string(address).substr(kPrefix.size()), &query));
  const std::string head = "game=" + platform::ValidUtf8(game.c_str()) + "&name=";
  const std::string tail =
      "&score=" + std::to_string(static_cast<int32_t>(static_cast<uint32_t>(score) ^ kScoreMask));
  FUZZ_CHECK(query.size() >= head.size() + tail.size());
  FUZZ_CHECK(query.compare(0, head.size(), head) == 0);
  FUZZ_CHECK(query.compare(query.size() - tail.size(), tail.size(), tail) == 0);
  const std::string sent = query.substr(head.size(), query.size() - head.size() - tail.size());
  const std::string whole = platform::ValidUtf8(name.c_str());
  FUZZ_CHECK(whole.compare(0, sent.size(), sent) == 0);
  // Cut only between characters, and only when the next one's escaped form would not have fitted.
  if (sent.size() < whole.size()) {
    FUZZ_CHECK(platform::Utf8Prefix(whole.c_str(), sent.size()) == sent.size());
    const size_t next = platform::DecodeUtf8(whole.c_str() + sent.size(), 4, nullptr);
    char escaped[16];
    EscapeQueryText(whole.substr(sent.size(), next).c_str(), escaped, sizeof escaped);
    FUZZ_CHECK(length + strlen(escaped) + 1 > size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  const char* stageVariable = std::getenv("ZEP_FUZZ_STAGE");
  fs::path stage = stageVariable != nullptr
                       ? fs::path(stageVariable)
                       : fs::path((*argv)[0]).parent_path() / "../../../build/stage";
  (void)argc;
  const fs::path staged = stage / "Hubbix";
  if (!fs::exists(staged / "HallOfFameScreen.bmp")) {
    std::fprintf(stderr,
                 "fuzz_halloffame: no generated pictures in %s (build the programs first)\n",
                 staged.c_str());
    std::abort();
  }
  const fs::path launcher = fs::path(fuzz::ScratchFolder()) / "Hubbix";
  fs::create_directories(launcher / "Zeppolo");
  for (const auto& entry : fs::directory_iterator(staged)) {
    if (entry.path().extension() == ".bmp") {
      fs::create_symlink(fs::absolute(entry.path()), launcher / entry.path().filename());
    }
  }
  if (!platform::SetCurrentFolder((launcher / "Zeppolo").c_str())) std::abort();

  platform::SetVideo(platform::CreateMemoryVideo());
  std::string reason;
  platform::Video& video = platform::GetVideo();
  if (!video.Start(&reason) || !video.CreateWindow(platform::WindowDesc()) ||
      QZInitDirectX(&video, 800, 600) == 0) {
    std::abort();
  }
  platform::SetProcessStarter(&starter);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteScratch("Hubbix/Zeppolo/hiscore.dat", data, size);
  starter.addresses.clear();

  HallOfFameDialog* dialog = new HallOfFameDialog("Zeppolo");
  dialog->CreateLists();
  dialog->Place(53, 18);
  TheDirtyRects().SetScene(dialog->CurrentPanel()->Surface());
  // A click on "upload", which also draws the table twice.
  const int x = 53 + 552 + 10;
  const int y = 18 + 88 + 10;
  dialog->Buttons()->OnMouseAll(x, y, 1);
  dialog->OnFrame(x, y, 1);
  dialog->Buttons()->OnMouseAll(x, y, 0);
  dialog->OnFrame(x, y, 0);

  const HighScoreTable* table = dialog->Table();
  const std::string best = table->Name(0);
  const int32_t score = table->Score(0);
  // Another game's name, as a folder name could give it.
  const std::string game = std::string(table->Name(1)).substr(0, GameRecord::kMaxNameLength);
  FUZZ_CHECK(starter.addresses.size() <= 1);
  if (starter.addresses.size() == 1) {
    const std::string& address = starter.addresses[0];
    CheckAddress(address.c_str(), kUploadAddressSize, "Zeppolo", best, score);
  }
  TheDirtyRects().SetScene(nullptr);
  delete dialog;

  // The other game's name, and buffers of every size.
  const size_t sizes[] = {kUploadAddressSize, 1, kPrefix.size() + 20, kPrefix.size() + 40,
                          size > 0 ? static_cast<size_t>(data[size - 1]) + 1 : 7};
  for (size_t bufferSize : sizes) {
    std::string buffer(bufferSize, 'x');
    if (BuildUploadAddress(game.c_str(), best.c_str(), score, buffer.data(), bufferSize)) {
      CheckAddress(buffer.c_str(), bufferSize, game, best, score);
    } else {
      FUZZ_CHECK(buffer[0] == '\0');
    }
  }
  return 0;
}
