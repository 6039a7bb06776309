#pragma once
// What the file units of this folder share: the pieces of native paths and the checks on them.
// Not for use outside platform/posix/.

#include <string>

namespace platform::posix {

// lstat succeeds: a dangling link exists too.
bool Exists(const std::string& path);
// The folder part of a native path ("" for a bare name, "/" for a file in the root).
std::string FolderOf(const std::string& path);
// A native path whose components that do not exist as written are replaced by their one
// case-insensitive match, as NativePath describes.
std::string ResolveCase(const std::string& path);
// realpath, or empty.
std::string RealPath(const std::string& path);
// An absolute path with "." and ".." taken out by name (a relative one is taken from the current
// folder), so that where a path leads can be told without the folders existing. Empty when the
// current folder is unknown.
std::string AbsoluteNormal(const std::string& path);

}  // namespace platform::posix
