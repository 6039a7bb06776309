#pragma once
// The desktop icons of the two commands: square pictures with an alpha channel, written as PNG
// files in the hicolor theme's layout (SIZExSIZE/apps/NAME.png) under a folder.

#include <cstdint>
#include <string>
#include <vector>

namespace zepgen {

// The sizes the desktop menus ask for.
constexpr int kIconSizes[] = {48, 64, 128, 256};

// Non-premultiplied RGBA rows, top down, as a PNG file.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgba);

// Writes hubbix.png and zeppolo.png at every size; false (with *error) when a file cannot be
// written.
bool MakeIcons(const std::string& folder, std::string* error);

// The size of the icon a program gives its window, which X11 task bars show.
constexpr int kWindowIconSize = 64;

// Writes a C++ source file that defines kHubbixWindowIcon and kZeppoloWindowIcon (declared in
// shell/WindowIcons.h) from the same pictures, so that the programs carry their icons in
// themselves; false (with *error) when the file cannot be written.
bool WriteWindowIconSource(const std::string& path, std::string* error);

}  // namespace zepgen
