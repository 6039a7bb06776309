#pragma once
// Waiting on and closing the descriptors a window system hands to the program (its connection, a
// keyboard map it sends), for the window code, which leaves the system's calls to posix/.

namespace platform {

// Waits up to timeoutMilliseconds for the descriptor to have something to read (or to be hung
// up); false when the time ran out first or the descriptor is not valid.
bool WaitReadable(int descriptor, int timeoutMilliseconds);

// Closes a descriptor received from elsewhere; an invalid one is ignored.
void CloseDescriptor(int descriptor);

}  // namespace platform
