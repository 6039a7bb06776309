#pragma once
// The programs' window icons, drawn by the data generator from the desktop icons' pictures and
// built into the programs (the source is made at build time, see shell/CMakeLists.txt).

#include <cstdint>

#include "platform/Video.h"

extern const platform::WindowIcon kHubbixWindowIcon;
extern const platform::WindowIcon kZeppoloWindowIcon;
