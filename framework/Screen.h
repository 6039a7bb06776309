#pragma once
// The base of every screen of both programs: a name, a set of named still pictures (loaded one by
// one or from an INI description), a button list, the per-frame hooks the shell calls, and the end
// of each frame (Flip: the mouse pointer, the present, the redraw list's restore pass). A screen
// may hand its flipping over to a child screen.
//
// The virtual operations keep a fixed order; derived screens and dialogs override by that order.
// The destructor is declared after them so it does not take one of their places.

#include <cstdint>

#include "framework/ButtonList.h"
#include "framework/Image.h"
#include "framework/KeyFocus.h"
#include "framework/PtrArray.h"
#include "qz/qz.h"

// The frame result by which a screen asks for the program to end.
constexpr int kFrameResultQuit = 7;

class Screen {
 public:
  static constexpr int kNameSize = 256;

  // Starts with an empty image list and an empty button list at origin (0, 0).
  Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // Makes the image list and the button list when they are missing.
  virtual void CreateLists();
  // Keeps the display object and the back buffer, then makes the lists.
  virtual int Open(QZDirectDraw* directDraw, QZSurface* back);
  // Destroys the buttons and the images; a later Open makes the lists again.
  virtual void Close();
  // Every message of the main window, before the window procedure's own handling. Keys go to
  // the screen's keyboard focus, which a screen that uses it applies in its frame.
  virtual int OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  // One frame; 7 ends the program.
  virtual int Update(int active);
  virtual void SetName(const char* text);
  virtual const char* Name() const { return name; }
  // Loads the bitmap as a new image named after the path; null (and nothing kept) when the file
  // cannot be loaded.
  virtual Image* AddImage(const char* path);
  // Destroys every image and the list.
  virtual void FreeImages();
  // Takes the image out of the list without destroying it.
  virtual void RemoveImage(Image* image);
  // The redraw list's scene and background.
  virtual void SetDrawTarget(QZSurface* surface);
  virtual void SetBackground(QZSurface* surface);
  // Loads the pictures an INI file lists: section "images", keys image01, image02, ... naming one
  // section each, with optional keys file, x and y. The first missing number ends the list.
  // Returns 0.
  virtual int LoadImages(const char* iniPath);
  // The first image with that name (case-sensitive), or null.
  virtual Image* FindImage(const char* name) const;
  // Loads the path into a new image and names it (when a name is given); the image is kept even
  // when the file cannot be loaded.
  virtual Image* AddImageAs(const char* path, const char* name);
  // Takes the named image out of the list without destroying it; null when there is none.
  virtual Image* RemoveImageByName(const char* name);
  // Draws the named image at (x, y); 0 when there is no such image.
  virtual int DrawImageAt(QZSurface* target, const char* name, int x, int y);
  // Draws the named image at its own position; 0 when there is no such image.
  virtual int DrawImage(QZSurface* target, const char* name);
  // Draws the pointer, presents the back buffer and restores the last frame's rectangles; a child
  // screen, when set, flips instead.
  virtual int Flip();
  virtual void SetChild(Screen* screen) { child = screen; }
  // Gives the button the list's origin and appends it; the screen owns it from then on.
  virtual void AddButton(Button* button);

  virtual ~Screen();

  // Loads the background bitmap twice (the scene picture and the background picture), hands the
  // two surfaces to the redraw list and refreshes and marks the whole scene, as every screen does
  // when it opens. 0 when the bitmap cannot be loaded.
  int OpenBackground(const char* path);

  QZDirectDraw* DirectDraw() const { return directDraw; }
  QZSurface* Back() const { return back; }
  // The back buffer to draw into: the one given to Open, or the display's for a screen that was
  // never opened (a dialog made and run on the spot).
  QZSurface* BackBuffer() const;
  Screen* Child() const { return child; }
  ButtonList* Buttons() const { return buttons; }
  PtrArray<Image>* Images() const { return images; }
  Image* ScenePicture() const { return scenePicture; }
  Image* BackgroundPicture() const { return backgroundPicture; }
  void SetScenePicture(Image* image) { scenePicture = image; }
  void SetBackgroundPicture(Image* image) { backgroundPicture = image; }
  KeyFocus& Focus() { return focus; }

 private:
  char name[kNameSize] = {};
  QZDirectDraw* directDraw = nullptr;
  QZSurface* back = nullptr;
  ButtonList* buttons = nullptr;
  PtrArray<Image>* images = nullptr;
  Image* scenePicture = nullptr;
  Image* backgroundPicture = nullptr;
  Screen* child = nullptr;
  KeyFocus focus;
};
