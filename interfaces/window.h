#pragma once
// The main window `Form1` and its controls, as the game uses them.
//
// The window holds the four labels `Label1`(0..3), the 3D view `Picture1` and the picture of
// `Image1` (the 640 x 240 title / game-over picture). What the game draws on the window's own
// surface stays there until something else is drawn over it.

#include <cstdint>
#include <string>

#include "interfaces/status.h"

namespace skyrings {

class ViewTarget;  // the 3D view's window, as the 3D device binds to it (see
                   // interfaces/retained3d.h)

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Virtual-key codes of the keys the game hears.
inline constexpr std::int16_t kKeyEnter = 13;
inline constexpr std::int16_t kKeyEscape = 27;
inline constexpr std::int16_t kKeyLeft = 37;
inline constexpr std::int16_t kKeyUp = 38;
inline constexpr std::int16_t kKeyRight = 39;
inline constexpr std::int16_t kKeyDown = 40;
inline constexpr std::int16_t kKeyA = 65;
inline constexpr std::int16_t kKeyD = 68;
inline constexpr std::int16_t kKeyS = 83;
inline constexpr std::int16_t kKeyW = 87;

// Receives the window's events while control is handed to the window system.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // `keyCode` is the virtual-key code (above), or that of another key;
  // `shift` is the Shift/Ctrl/Alt state (1, 2, 4), which the game ignores.
  virtual void KeyDown(std::int16_t keyCode, std::int16_t shift) = 0;
  virtual void KeyUp(std::int16_t keyCode, std::int16_t shift) = 0;
  // The window system asks the window to close (window manager's close button, Alt+F4).
  virtual void CloseRequested() = 0;
};

class Window {
 public:
  virtual ~Window() = default;

  // Shows the window (not modal).
  virtual Status Show() = 0;
  // Moves the window to a screen position.
  virtual Status Move(int left, int top) = 0;
  // Paints `source` of the `Image1` picture stretched onto `target` of the window's own surface.
  virtual Status PaintPicture(PixelRect source, PixelRect target) = 0;
  // Fills `target` of the window's own surface with black.
  virtual Status FillBlack(PixelRect target) = 0;
  // Reads and sets the caption of `Label1`(index), index 0..3.
  virtual Status GetCaption(int index, std::string& caption) = 0;
  virtual Status SetCaption(int index, const std::string& caption) = 0;
  // Shows or hides `Picture1`, the 3D view.
  virtual Status ShowView(bool visible) = 0;
  // `Picture1`'s window, to which the 3D device binds.
  virtual ViewTarget* ViewWindow() = 0;
  // Hands control to the window system once: pending events are delivered to `events`. When none
  // is pending, the window system may wait for one, but never past the tick `waitUntilTick`.
  virtual Status DoEvents(WindowEvents& events, std::int64_t waitUntilTick) = 0;
  // The folder the program's data files lie in: the program's own, or the installed data folder.
  virtual std::string ProgramDirectory() = 0;
};

}  // namespace skyrings
