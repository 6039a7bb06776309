#pragma once
// INI files with the semantics of the Windows private-profile functions: section and key names
// match without regard to case, values are trimmed, the default stands in for a missing entry,
// results are cut to the caller's buffer, and a write creates the file, section or key as needed
// while keeping the rest of the file as it was. Writes go through a temporary file and a rename.

#include <cstdint>

namespace platform {

// Copies the value (or the default; null default = "") into out, cut to size - 1 characters and
// terminated. Returns the number of characters copied, without the terminator. A value enclosed
// in a matching pair of quotes loses them, as on Windows.
uint32_t ReadProfileString(const char* section, const char* key, const char* defaultValue,
                           char* out, uint32_t size, const char* path);

// The value as a decimal integer; the default when the key is missing. Reads leading digits
// like atoi.
int ReadProfileInt(const char* section, const char* key, int defaultValue, const char* path);

// Writes key = value in section. A null value removes the key; a null key removes the section.
// Returns false when the file cannot be written (the old file is then untouched). While another
// copy holds the file, or it exists but cannot be read, the change waits in the file updates
// (platform/FileUpdates.h): reads of this program see it at once, the file once it can be had;
// true is returned.
bool WriteProfileString(const char* section, const char* key, const char* value, const char* path);

}  // namespace platform
