#pragma once
// Showing the program's run-time error to the player.

#include <string>

namespace skyrings {

// True when SDL's video driver `name` shows nothing on a screen (offscreen or dummy).
bool IsHeadlessVideoDriver(const char* name);

// Without WAYLAND_DISPLAY and XDG_RUNTIME_DIR no Wayland display can be reached, and SDL's probe
// of one only prints a complaint on standard error; this leaves Wayland out of the drivers SDL
// tries when starting its video. A driver named in the environment or a hint wins.
void SkipUnreachableWayland();

// Starts SDL's video. An X display at times refuses a new connection for a moment (just after a
// program closed its own, say), and SDL would then go on to other drivers (Wayland's prints its own
// complaint on standard error) and end on a headless one, as if there were no screen. With only an
// X display named, this asks for X11 by name and tries a few times; a driver named in the
// environment still wins.
bool StartSdlVideo();

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY, not empty): an error
// that came before the window reached the display may still be shown there.
bool DisplayNamed();

// Shows `message` in a modal error box titled `title` when a real display exists, and returns
// whether it was shown (the call returns when the player dismisses the box). Without a display it
// shows nothing and returns false; the caller prints the message anyway.
bool ShowErrorBox(const std::string& title, const std::string& message);

}  // namespace skyrings
