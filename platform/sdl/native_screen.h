#pragma once
// What SDL leaves to the window system underneath: where a full-screen window really lies, and
// how a finished back buffer reaches the screen.
//
// Kept apart from the window so the X11, GLX and EGL headers (and their macros) stay in one file.

struct SDL_Window;

namespace skyrings {

// Makes a full-screen window cover its display. SDL asks the window manager to do this; on an X
// display with no window manager (a kiosk running X alone) nobody does, and the window would keep
// its windowed size while SDL reports the display's. Elsewhere this does nothing.
void CoverDisplay(SDL_Window* window);

// Puts the window's back buffer on the screen the cheapest way the OpenGL platform offers.
class BackBufferPresenter {
 public:
  enum class Way {
    kSwapWhole,   // swap, and the next back buffer's contents are unknown: draw it whole
    kSwapAged,    // swap; the platform tells how many presents old the next back buffer is
    kCopyRegion,  // copy only the changed region to the screen and keep the buffer; a whole
                  // picture is swapped, which also brings the buffer to a new window size
  };

  // Looks at the current context of `window` (call with it current). `allowPartial` false keeps
  // to kSwapWhole.
  void Attach(SDL_Window* window, bool allowPartial);
  Way way() const { return way_; }
  // How many presents old the back buffer's contents are (1: the last picture presented);
  // 0 when unknown.
  int BackBufferAge() const;
  // Shows the back buffer. `whole`: all of it was drawn; otherwise only (x, y, width, height),
  // in OpenGL's window coordinates (origin at the bottom left), changed since the last present.
  // False when the region could not be shown (the window changed size under it): the next
  // present must then draw the whole buffer.
  bool Present(bool whole, int x, int y, int width, int height);
  // What Present copies (kCopyRegion) or swaps (the others), for the record.
  const char* Name() const;

 private:
  SDL_Window* window_ = nullptr;
  Way way_ = Way::kSwapWhole;
  // GLX (X11) or EGL (Wayland and others): the current display and drawable, and the functions
  // that are extensions; kept untyped here so no platform header leaks out.
  bool egl_ = false;
  void* display_ = nullptr;
  unsigned long glxDrawable_ = 0;
  void* eglSurface_ = nullptr;
  void* copySubBuffer_ = nullptr;
};

}  // namespace skyrings
