#pragma once
// The framework's one container: a growable array of object pointers in insertion order. It is
// the image list of a screen, the frame list of a sprite, the button list, the redraw records and
// more. The array owns its slot buffer; whether it owns the elements depends on how it is
// emptied: DeleteAll destroys them, destroying the array does not.

#include <cstring>

#include "qz/qz.h"

// How DeleteAll destroys one element: through its own destructor, except for surfaces, which
// are given back with their release operation.
template <typename T>
struct PtrArrayDeleter {
  static void Destroy(T* item) { delete item; }
};

template <>
struct PtrArrayDeleter<QZSurface> {
  static void Destroy(QZSurface* item) { QZSurface::Release(item); }
};

template <typename T>
class PtrArray {
 public:
  // Every array starts with one empty slot.
  PtrArray() : capacity(1), items(new T*[1]()) {}
  ~PtrArray() { delete[] items; }

  PtrArray(const PtrArray&) = delete;
  PtrArray& operator=(const PtrArray&) = delete;

  int Count() const { return count; }
  int Capacity() const { return capacity; }

  // No bounds check: callers pass 0 <= i < Count().
  T* At(int i) const { return items[i]; }
  // Replaces a slot in place, for lists whose positions mean something (a board's cells are
  // emptied by storing null, never by removal).
  void Set(int i, T* item) { items[i] = item; }

  // The iteration position. Remove keeps it on the same element, so a loop that visits
  // At(Cursor()) and then steps the cursor may remove the element it is visiting.
  int Cursor() const { return cursor; }
  void SetCursor(int position) { cursor = position; }

  // Appends, doubling the slot buffer first when it is full. Returns the item.
  T* Push(T* item) {
    if (count == capacity) Grow();
    items[count++] = item;
    return item;
  }

  // Index of the first slot holding the item, or -1.
  int IndexOf(const T* item) const {
    for (int i = 0; i < count; ++i)
      if (items[i] == item) return i;
    return -1;
  }

  // Takes out the first occurrence of the item (pointer identity) and closes the gap. The item
  // itself is not destroyed. Nothing happens when it is not stored.
  void Remove(const T* item) {
    const int index = IndexOf(item);
    if (index < 0) return;
    --count;
    for (int i = index; i < count; ++i)
      items[i] = items[i + 1];
    items[count] = nullptr;
    if (index <= cursor) --cursor;
  }

  // Destroys every stored element and empties the array; the slot buffer is kept.
  void DeleteAll() {
    for (int i = 0; i < count; ++i) {
      T* item = items[i];
      items[i] = nullptr;
      if (item != nullptr) PtrArrayDeleter<T>::Destroy(item);
    }
    count = 0;
    cursor = 0;
  }

 private:
  void Grow() {
    T** grown = new T*[static_cast<size_t>(capacity) * 2]();
    std::memcpy(grown, items, sizeof(T*) * static_cast<size_t>(capacity));
    delete[] items;
    items = grown;
    capacity *= 2;
  }

  int count = 0;
  int capacity;
  int cursor = 0;
  T** items;
};
