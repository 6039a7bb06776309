#pragma once
// Files read through plain handles, for code that keeps a file open, seeks in it and reads it in
// pieces (the sound library's WAV reader and its streamed music). Paths are Windows-style and are
// read from their ReadLocation. A handle is an integer; kInvalidFileHandle (all bits set) means
// none.

#include <cstdint>

namespace platform {

using FileHandle = intptr_t;
constexpr FileHandle kInvalidFileHandle = -1;

enum class SeekOrigin { kBegin, kCurrent, kEnd };

// Opens an existing file for reading; kInvalidFileHandle when it cannot be opened.
FileHandle OpenFileHandle(const char* windowsPath);
// 1 when the handle was closed, 0 otherwise (an invalid or already closed handle).
int CloseFileHandle(FileHandle handle);
// Reads up to size bytes into buffer; *done receives the count (0 at the end of the file).
// False on a read error or an invalid handle.
bool ReadFileHandle(FileHandle handle, void* buffer, uint32_t size, uint32_t* done);
// Moves the position; returns the new position from the start, or -1 when refused.
int64_t SeekFileHandle(FileHandle handle, int64_t offset, SeekOrigin origin);
// The file's size in bytes, or -1.
int64_t FileHandleSize(FileHandle handle);

}  // namespace platform
