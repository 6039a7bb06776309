#pragma once
// A block of memory another process can map too: the window's pictures handed to a Wayland
// compositor live in one. It is an unnamed file, so nothing is left behind when the process ends.

#include <cstddef>

namespace platform {

class SharedMemory {
 public:
  SharedMemory() = default;
  ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  // Makes and maps a zeroed block of size bytes, replacing any held before; false (and nothing
  // held) when the system refuses it or size is 0.
  bool Create(size_t size);
  void Release();

  void* Data() const { return data; }
  size_t Size() const { return size; }
  // The descriptor to pass to the other process; -1 when nothing is held.
  int Descriptor() const { return descriptor; }

 private:
  void* data = nullptr;
  size_t size = 0;
  int descriptor = -1;
};

}  // namespace platform
