#include "framework/DirtyRects.h"

#include "framework/SurfaceRoutines.h"

void DirtyRects::DropOneShots(PtrArray<DirtyRect>& list) {
  // Removal keeps the cursor on the visited slot, so stepping it afterwards lands on the record
  // that moved into that slot.
  for (list.SetCursor(0); list.Cursor() < list.Count(); list.SetCursor(list.Cursor() + 1)) {
    DirtyRect* record = list.At(list.Cursor());
    if ((record->flags & kDirtyOneShot) != 0) {
      list.Remove(record);
      delete record;
    }
  }
}

void DirtyRects::SetScene(QZSurface* surface) {
  DropOneShots(lists[current]);
  scene = surface;
}

void DirtyRects::Add(DirtyRect* record) {
  if (record == nullptr) return;
  record->scene = scene;
  record->background = background;
  lists[current].Push(record);
}

void DirtyRects::MarkRect(int left, int top, int right, int bottom, uint32_t flagsA,
                          uint32_t flagsB) {
  Add(new DirtyRect{left, top, right - left, bottom - top, flagsA | flagsB, nullptr, nullptr});
}

void DirtyRects::EraseArea(int x, int y, int width, int height) {
  auto* record =
      new DirtyRect{x, y, width, height, kDirtyFromScene | kDirtyOneShot, nullptr, nullptr};
  if (background != nullptr && scene != nullptr) {
    BlitRect(background, x, y, width, height, scene, x, y, kBlitKeyedWait);
  }
  Add(record);
}

void DirtyRects::EraseAll() {
  if (scene != nullptr) EraseArea(0, 0, scene->Width(), scene->Height());
}

void DirtyRects::MarkAll() {
  if (scene != nullptr)
    MarkRect(0, 0, scene->Width(), scene->Height(), kDirtyFromScene, kDirtyOneShot);
}

void DirtyRects::EraseDialogArea(const platform::Rect& dialog) {
  EraseArea(dialog.left, dialog.top, dialog.right - dialog.left, dialog.bottom - dialog.top);
}

void DirtyRects::RestorePass(QZSurface* destination) {
  PtrArray<DirtyRect>& list = lists[current];
  for (list.SetCursor(0); list.Cursor() < list.Count(); list.SetCursor(list.Cursor() + 1)) {
    DirtyRect* record = list.At(list.Cursor());
    if ((record->flags & kDirtyFromScene) != 0 && record->scene == scene && scene != nullptr &&
        destination != nullptr) {
      BlitRect(scene, record->left, record->top, record->width, record->height, destination,
               record->left, record->top, kBlitKeyedWait);
    }
    if ((record->flags & kDirtyOneShot) != 0) {
      list.Remove(record);
      delete record;
    }
  }
}

void DirtyRects::Reset() {
  lists[0].DeleteAll();
  lists[1].DeleteAll();
  current = 0;
  scene = nullptr;
  background = nullptr;
  backBuffer = nullptr;
}

DirtyRects& TheDirtyRects() {
  static DirtyRects instance;
  return instance;
}
