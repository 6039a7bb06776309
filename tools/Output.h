#pragma once
// Where the generated files go: the launcher's folder, the game's folder and the game's "title"
// and "sounds" sub-folders. Counts what was written so the run can report it.
//
// A run for a language other than English writes its pictures into a folder named after the
// language inside each of those folders ("Zeppolo/de/newgame.bmp"), where the programs look
// first; a picture that comes out the same as the English one is not written again.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/Bitmap.h"

namespace zepgen {

enum class Folder { Launcher, Game, Title, Sounds };

class Output {
 public:
  // language: "" for the English pictures, or the code of the language drawn ("de").
  Output(std::string launcherDir, std::string gameDir, std::string language = "");

  // Creates the folders; false (with Error()) when that fails.
  bool Prepare();

  void WriteBitmap(Folder folder, const std::string& name, const Bitmap& bitmap);
  void WriteBytes(Folder folder, const std::string& name, const std::vector<uint8_t>& bytes);
  void WriteText(Folder folder, const std::string& name, const std::string& text);

  // Writes the record of every text drawn, one line per text with the picture it is in, the
  // canvas, its space and its ink (Lettering.h); false (with Error()) when that fails.
  bool WriteLetteringReport(const std::string& path);

  // Records a failure of a generator step; the run stops after that step.
  void Fail(const std::string& reason) {
    if (error.empty()) error = reason;
  }
  bool Ok() const { return error.empty(); }
  const std::string& Error() const { return error; }
  uint64_t TotalBytes() const { return totalBytes; }
  int FileCount() const { return fileCount; }
  // True in a run for a language other than English.
  bool Translating() const { return !language.empty(); }
  // Pictures of a language that came out as the English ones and were left to them.
  int SameAsEnglish() const { return sameAsEnglish; }

 private:
  std::string FolderPath(Folder folder) const;
  std::string PathOf(Folder folder, const std::string& name) const;
  // The name the lettering report gives a picture, relative to the launcher's folder.
  std::string ReportName(Folder folder, const std::string& name) const;

  std::string launcherDir;
  std::string gameDir;
  std::string language;
  std::string error;
  std::string report;
  uint64_t totalBytes = 0;
  int fileCount = 0;
  int sameAsEnglish = 0;
};

}  // namespace zepgen
