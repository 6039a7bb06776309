#pragma once
// The sound library's one lock (not exported). It guards the sample pool, the event list and the
// samples' fields against the callback and fill threads. Recursive, because pool operations call
// one another (a search frees idle duplicates, a load searches first).

#include <mutex>

namespace sound_internal {

std::recursive_mutex& SoundLock();

using SoundGuard = std::lock_guard<std::recursive_mutex>;

}  // namespace sound_internal
