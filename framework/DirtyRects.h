#pragma once
// The redraw list: which rectangles of the display must be repainted from the scene after the
// next flip. Screens keep two full-size pictures, the scene (the background plus lasting
// changes) and the background (untouched, used to erase from the scene). Drawing code reports
// what it touched; after each flip the rectangles recorded for the buffer that has just become
// the back buffer are copied from the scene into it. Two lists are kept, one per buffer of the
// flipping pair, and the list in use alternates at every flip.

#include <cstdint>

#include "framework/PtrArray.h"
#include "qz/qz.h"

// Record flags.
constexpr uint32_t kDirtyOneShot = 0x0001;    // forget the record after its next pass
constexpr uint32_t kDirtyFromScene = 0x1000;  // copy the rectangle from the scene at that pass

struct DirtyRect {
  int32_t left;
  int32_t top;
  int32_t width;
  int32_t height;
  uint32_t flags;
  QZSurface* scene;       // the scene when the record was made
  QZSurface* background;  // the background when the record was made
};

class DirtyRects {
 public:
  DirtyRects() = default;
  ~DirtyRects() { Reset(); }

  DirtyRects(const DirtyRects&) = delete;
  DirtyRects& operator=(const DirtyRects&) = delete;

  // Drops the one-shot records of the current list, then makes the surface the scene. Records
  // of the other list keep their old scene and are dropped uncopied at their next pass.
  void SetScene(QZSurface* surface);
  QZSurface* Scene() const { return scene; }
  void SetBackground(QZSurface* surface) { background = surface; }
  QZSurface* Background() const { return background; }

  // The display's back buffer: the surface given to SetBackBuffer when there is one (the shell
  // sets it once the display is up; tests set their own), otherwise the one QZGetDDInfo reports.
  QZSurface* BackBuffer() const {
    if (backBuffer != nullptr) return backBuffer;
    QZSurface* front = nullptr;
    QZSurface* back = nullptr;
    QZGetDDInfo(&front, &back);
    return back;
  }
  void SetBackBuffer(QZSurface* surface) { backBuffer = surface; }

  // Takes the record, stamps it with the current scene and background and appends it to the
  // current list.
  void Add(DirtyRect* record);
  // Records left, top, right - left, bottom - top with flagsA | flagsB.
  void MarkRect(int left, int top, int right, int bottom, uint32_t flagsA, uint32_t flagsB);
  // Copies the rectangle from the background into the scene at once (colour-keyed, so pure blue
  // of the background leaves the scene as it was) and records it as one-shot.
  void EraseArea(int x, int y, int width, int height);
  // EraseArea over the whole scene; nothing without a scene.
  void EraseAll();
  // Records the whole scene without touching it; nothing without a scene.
  void MarkAll();
  // EraseArea over a dialog's rectangle (left, top, right, bottom).
  void EraseDialogArea(const platform::Rect& dialog);

  // Switches to the other list; called at every flip.
  void Swap() { current = 1 - current; }
  // Visits the current list once: records to copy whose scene is the present scene are copied
  // from it to the same place of the destination (colour-keyed); one-shot records are removed.
  void RestorePass(QZSurface* destination);

  int Current() const { return current; }
  const PtrArray<DirtyRect>& List(int which) const { return lists[which]; }

  // Deletes every record and forgets every surface, as at program start.
  void Reset();

 private:
  void DropOneShots(PtrArray<DirtyRect>& list);

  int current = 0;
  PtrArray<DirtyRect> lists[2];
  QZSurface* scene = nullptr;
  QZSurface* background = nullptr;
  QZSurface* backBuffer = nullptr;
};

// The process's one redraw list.
DirtyRects& TheDirtyRects();
