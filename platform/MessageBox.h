#pragma once
// Message boxes without an owner. With a display they are real dialog boxes; without one the
// caption and text go to standard error. The call returns when the box is answered.

#include <cstdint>

namespace platform {

constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_ICONERROR = 0x10;

void ShowMessageBox(const char* text, const char* caption, uint32_t flags);

}  // namespace platform
