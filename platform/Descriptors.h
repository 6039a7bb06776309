#pragma once
// Waiting on and closing the descriptors a window system hands to the program (its connection, a
// keyboard map it sends) and those of the input devices it watches, for the window code, which
// leaves the system's calls to posix/.

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Waits up to timeoutMilliseconds for the descriptor to have something to read (or to be hung
// up); false when the time ran out first or the descriptor is not valid.
bool WaitReadable(int descriptor, int timeoutMilliseconds);

// Waits up to timeoutMilliseconds for any of the descriptors (invalid ones are passed over) to
// have something to read; the index of the first that has, or -1 when the time ran out.
int WaitAnyReadable(const std::vector<int>& descriptors, int timeoutMilliseconds);

// Opens an input device's node only to see when it has something to say: every open of a device
// gets its own copy of the device's events, so nothing is taken from whoever reads it. -1 when it
// cannot be opened.
int WatchDevice(const std::string& path);
// Reads away what waits on a watched device, so that it does not wake the next wait.
void DrainDescriptor(int descriptor);

// Writes the bytes to standard error with write() alone, as far as it takes them: safe inside a
// signal handler and on a path that must not wait for stdio held by another thread.
void WriteToStandardError(const char* bytes, size_t size);

// Closes a descriptor received from elsewhere; an invalid one is ignored.
void CloseDescriptor(int descriptor);

}  // namespace platform
