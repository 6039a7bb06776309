#pragma once
// Files named the Windows way. Every path the programs use is written with backslashes
// ("..\\options.ini", "sounds\\pop1.wav"); only this layer turns it into a real path, and where a
// component does not exist with that exact case it takes the one entry of its folder that matches
// without regard to case.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The real path for a Windows-style path: '\\' becomes '/', and each component that does not
// exist as written is replaced by a case-insensitive match in its folder when there is exactly
// one such entry. Components that match nothing are kept as written (so a new file can be made).
std::string NativePath(const char* windowsPath);

// Where program files live. The programs name every file relative to their own folders; a file
// inside the program tree (the launcher's folder and the games below it) whose folder the player
// cannot write is kept in the player's data folder instead, at the same place relative to it:
// "<tree>/options.ini" becomes "<data>/options.ini", "<tree>/Zeppolo/hiscore.dat" becomes
// "<data>/Zeppolo/hiscore.dat". A writable program folder is used as it is (the build tree, an
// install in the player's home), with no player's copy. Reads take the player's copy when there
// is one, so what the player wrote wins over what was installed.

// The player's data folder: "$XDG_DATA_HOME/hubbix", or "$HOME/.local/share/hubbix" when that
// variable is unset, empty or not absolute. Empty when no home folder is known.
std::string PlayerDataFolder();

// The program tree's root, as an absolute native path. The default is the folder holding the
// running libqz.so: the launcher keeps it beside itself and every game loads it from there, so
// both programs agree on the root whichever of them runs. Tests point it elsewhere; null or ""
// returns to the default.
std::string ProgramTreeFolder();
void SetProgramTreeFolder(const char* folder);

// The player's copy of an absolute path inside tree, under data; empty when the path is not
// inside tree or its relative part would climb out of it.
std::string PlayerCopyPath(const std::string& absolutePath, const std::string& tree,
                           const std::string& data);

// The native path to read a Windows-style path from: the player's copy when the file's folder
// in the program tree cannot be written and that copy exists, otherwise NativePath(path).
std::string ReadLocation(const char* windowsPath);
// The native path to write a Windows-style path to, making the player's folders as needed.
// *error is 0 when the path is ready, otherwise the system's reason it cannot be (a folder that
// cannot be made); the path is returned either way, to name it.
std::string WriteLocation(const char* windowsPath, int* error);

// fopen of the read location (mode "r"/"rb") or the write location (any other mode); null on
// failure.
FILE* OpenFile(const char* path, const char* mode);
// Both look at the read location.
bool FileExists(const char* path);
bool ReadWholeFile(const char* path, std::vector<uint8_t>& out);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it over
// the path, so a crash or a full disk leaves either the old file or the new one, never a part.
// The file goes to WriteLocation(path). False (and the old file untouched) on any failure, and
// one line on standard error names the file and the system's reason.
bool WriteFileAtomic(const char* path, const void* data, size_t size);

// The one line on standard error that every failed write gives: the program, the file and the
// system's reason ("Zeppolo: cannot write hiscore.dat: Is a directory").
void ReportWriteFailure(const std::string& nativePath, int error);

// Makes one copy's read-modify-write of a file whole against every other copy's and thread's:
// an advisory lock on the folder the file is written in, held from construction to destruction.
// Not on the file itself, since every write replaces it by a rename and a lock on the old file
// would not hold off the next writer; the folder stays while its files come and go, and no lock
// file is left behind. The lock is tried for at most waitMs: a copy that holds it for long (one
// stopped with Ctrl+Z, a hung network folder) must not freeze this one's window, so the caller
// decides what to do while it is busy.
class FileUpdateLock {
 public:
  enum class State {
    kHeld,
    kBusy,       // another copy held it for all of waitMs
    kUnguarded,  // the folder cannot be locked (Reason() says why) or is not there yet
  };

  FileUpdateLock(const char* path, int waitMs);
  ~FileUpdateLock();
  FileUpdateLock(const FileUpdateLock&) = delete;
  FileUpdateLock& operator=(const FileUpdateLock&) = delete;

  State GetState() const { return state; }
  // The system's reason a folder that exists cannot be locked (some network file systems); 0
  // when the folder is not there to lock, in which case the write reports its own failure.
  int Reason() const { return reason; }
  // The folder the lock is on, to name it.
  const std::string& Folder() const { return folder; }

 private:
  int handle = -1;
  State state = State::kUnguarded;
  int reason = 0;
  std::string folder;
};

// One line on standard error about a file, from the program: "Zeppolo: <text>".
void ReportFileNote(const std::string& text);

// The absolute native path a Windows-style path names from the current folder, "." and ".."
// taken out; the same file gives the same text whatever the current folder is later.
std::string AbsolutePath(const char* windowsPath);

// Test seam: when set, called after the temporary file is complete and before the rename; a
// false return abandons the write as a crash at that point would (the temporary file is removed).
using BeforeRenameHook = bool (*)(const char* tempPath);
void SetBeforeRenameHook(BeforeRenameHook hook);

// The current folder, as an absolute native path; false when it does not fit.
bool GetCurrentFolder(char* out, size_t size);
bool SetCurrentFolder(const char* path);
// The folder the running program's file lies in, as an absolute native path; false when it cannot
// be found or does not fit.
bool GetProgramFolder(char* out, size_t size);

// A folder entry with Windows attribute bits: 16 folder, 1 read-only (not writable), 2 hidden
// (name begins with '.'), 128 (normal) for a plain file with none of these.
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeFolder = 0x10;
constexpr uint32_t kAttributeNormal = 0x80;

struct FolderEntry {
  std::string name;
  uint32_t attributes;
};

// Lists the entries of a folder (not "." and ".."), sorted by name so that every run sees the
// same order. False when the folder cannot be read. A folder inside the program tree is not
// marked read-only for being locked: what is written into it goes to the player's copy.
bool ListFolder(const char* path, std::vector<FolderEntry>& out);

}  // namespace platform
