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

// fopen of NativePath(path); null on failure.
FILE* OpenFile(const char* path, const char* mode);
bool FileExists(const char* path);
bool ReadWholeFile(const char* path, std::vector<uint8_t>& out);

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it over
// the path, so a crash or a full disk leaves either the old file or the new one, never a part.
// False (and the old file untouched) on any failure.
bool WriteFileAtomic(const char* path, const void* data, size_t size);

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
// same order. False when the folder cannot be read.
bool ListFolder(const char* path, std::vector<FolderEntry>& out);

}  // namespace platform
