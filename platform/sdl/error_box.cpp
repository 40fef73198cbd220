#include "platform/sdl/error_box.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace skyrings {

bool IsHeadlessVideoDriver(const char* name) {
  return name == nullptr || std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0;
}

void SkipUnreachableWayland() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const bool unset =
      (wayland == nullptr || wayland[0] == '\0') && (runtime == nullptr || runtime[0] == '\0');
  if (!unset || SDL_GetHint(SDL_HINT_VIDEODRIVER) != nullptr) return;
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* name = SDL_GetVideoDriver(i);
    if (name == nullptr || std::strcmp(name, "wayland") == 0) continue;
    if (!drivers.empty()) drivers.push_back(',');
    drivers += name;
  }
  if (!drivers.empty())
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, drivers.c_str(), SDL_HINT_NORMAL);
}

bool DisplayNamed() {
  const auto named = [](const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
  };
  return named("DISPLAY") || named("WAYLAND_DISPLAY");
}

namespace {

bool NamesOnlyAnXDisplay() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return x != nullptr && x[0] != '\0' && (wayland == nullptr || wayland[0] == '\0');
}

}  // namespace

bool StartSdlVideo() {
  if (!NamesOnlyAnXDisplay()) {
    SkipUnreachableWayland();
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
  }
  // A driver the user named in the environment still wins over this hint.
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_NORMAL);
  constexpr int kTries = 5;
  for (int attempt = 1; attempt <= kTries; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (attempt < kTries) SDL_Delay(100);
  }
  return false;
}

bool ShowErrorBox(const std::string& title, const std::string& message) {
  // A headless video driver means nobody would see the box.
  if (!StartSdlVideo()) return false;
  bool shown = false;
  if (!IsHeadlessVideoDriver(SDL_GetCurrentVideoDriver())) {
    shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(),
                                     nullptr) == 0;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return shown;
}

}  // namespace skyrings
