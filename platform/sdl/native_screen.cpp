#include "platform/sdl/native_screen.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glx.h>
#include <X11/Xatom.h>

#include <string_view>

namespace skyrings {
namespace {

// True when `name` is a whole word of the space-separated `list`.
bool HasExtension(const char* list, std::string_view name) {
  if (list == nullptr) return false;
  std::string_view rest(list);
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    if (rest.substr(0, end) == name) return true;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return false;
}

// True when a window manager of the common (EWMH) conventions runs on the display: it names its
// check window on the root window.
bool HasWindowManager(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const int got = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                     XA_WINDOW, &type, &format, &count, &remaining, &data);
  const bool found = got == Success && type == XA_WINDOW && count == 1;
  if (data != nullptr) XFree(data);
  return found;
}

using CopySubBufferFunction = void (*)(Display*, GLXDrawable, int, int, int, int);

// Xlib's error handler takes no context of its own: the one copy in flight on this thread notes
// its failure here, only while that copy's handler is installed.
thread_local bool copyFailed = false;

int NoteCopyError(Display* /*display*/, XErrorEvent* /*error*/) {
  copyFailed = true;
  return 0;
}

}  // namespace

void CoverDisplay(SDL_Window* window) {
  if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) == 0) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) != 0) return;
  Display* display = info.info.x11.display;
  // A window manager that follows the common conventions keeps the full-screen state SDL asked
  // for; moving the window under it would only fight it.
  if (HasWindowManager(display)) return;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display, info.info.x11.window, &attributes) != 0 &&
      attributes.x == bounds.x && attributes.y == bounds.y && attributes.width == bounds.w &&
      attributes.height == bounds.h) {
    return;
  }
  XMoveResizeWindow(display, info.info.x11.window, bounds.x, bounds.y,
                    static_cast<unsigned>(bounds.w), static_cast<unsigned>(bounds.h));
  XRaiseWindow(display, info.info.x11.window);
  XSync(display, False);
}

void BackBufferPresenter::Attach(SDL_Window* window, bool allowPartial) {
  window_ = window;
  way_ = Way::kSwapWhole;
  if (!allowPartial) return;
  if (GLXContext context = glXGetCurrentContext(); context != nullptr) {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (display == nullptr || drawable == 0) return;
    display_ = display;
    glxDrawable_ = drawable;
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (HasExtension(extensions, "GLX_EXT_buffer_age")) {
      way_ = Way::kSwapAged;
    } else if (HasExtension(extensions, "GLX_MESA_copy_sub_buffer")) {
      copySubBuffer_ = reinterpret_cast<void*>(
          glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXCopySubBufferMESA")));
      if (copySubBuffer_ != nullptr) way_ = Way::kCopyRegion;
    }
    return;
  }
  EGLDisplay display = eglGetCurrentDisplay();
  EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
  if (display == EGL_NO_DISPLAY || surface == EGL_NO_SURFACE) return;
  egl_ = true;
  display_ = display;
  eglSurface_ = surface;
  if (HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_EXT_buffer_age")) {
    way_ = Way::kSwapAged;
  }
}

int BackBufferPresenter::BackBufferAge() const {
  switch (way_) {
    case Way::kSwapWhole:
      return 0;
    case Way::kCopyRegion:
      return 1;
    case Way::kSwapAged:
      break;
  }
  if (egl_) {
    EGLint age = 0;
    if (eglQuerySurface(display_, eglSurface_, EGL_BUFFER_AGE_EXT, &age) != EGL_TRUE) return 0;
    return age;
  }
  unsigned int age = 0;
  glXQueryDrawable(static_cast<Display*>(display_), glxDrawable_, GLX_BACK_BUFFER_AGE_EXT, &age);
  return static_cast<int>(age);
}

bool BackBufferPresenter::Present(bool whole, int x, int y, int width, int height) {
  if (way_ != Way::kCopyRegion || whole) {
    SDL_GL_SwapWindow(window_);
    return true;
  }
  if (width <= 0 || height <= 0) return true;
  // The back buffer takes a new window size only at a swap: a region of a window that has just
  // grown or shrunk may lie outside it, which X reports as an error that would otherwise end the
  // program. Such a picture is drawn whole and swapped instead.
  Display* display = static_cast<Display*>(display_);
  XSync(display, False);
  copyFailed = false;
  const XErrorHandler previous = XSetErrorHandler(&NoteCopyError);
  reinterpret_cast<CopySubBufferFunction>(copySubBuffer_)(display, glxDrawable_, x, y, width,
                                                          height);
  XSync(display, False);
  XSetErrorHandler(previous);
  return !copyFailed;
}

const char* BackBufferPresenter::Name() const {
  switch (way_) {
    case Way::kSwapWhole:
      return "whole buffer swapped";
    case Way::kSwapAged:
      return "buffer age";
    case Way::kCopyRegion:
      return "changed region copied";
  }
  return "";
}

}  // namespace skyrings
