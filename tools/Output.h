#pragma once
// Where the generated files go: the launcher's folder, the game's folder and the game's "title"
// and "sounds" sub-folders. Counts what was written so the run can report it.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/Bitmap.h"

namespace zepgen {

enum class Folder { Launcher, Game, Title, Sounds };

class Output {
 public:
  Output(std::string launcherDir, std::string gameDir);

  // Creates the folders; false (with Error()) when that fails.
  bool Prepare();

  void WriteBitmap(Folder folder, const std::string& name, const Bitmap& bitmap);
  void WriteBytes(Folder folder, const std::string& name, const std::vector<uint8_t>& bytes);
  void WriteText(Folder folder, const std::string& name, const std::string& text);

  // Records a failure of a generator step; the run stops after that step.
  void Fail(const std::string& reason) {
    if (error.empty()) error = reason;
  }
  bool Ok() const { return error.empty(); }
  const std::string& Error() const { return error; }
  uint64_t TotalBytes() const { return totalBytes; }
  int FileCount() const { return fileCount; }

 private:
  std::string PathOf(Folder folder, const std::string& name) const;

  std::string launcherDir;
  std::string gameDir;
  std::string error;
  uint64_t totalBytes = 0;
  int fileCount = 0;
};

}  // namespace zepgen
