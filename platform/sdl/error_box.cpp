#include "platform/sdl/error_box.h"

#include <SDL.h>

#include <cstring>

namespace skyrings {

bool IsHeadlessVideoDriver(const char* name) {
  return name == nullptr || std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0;
}

bool ShowErrorBox(const std::string& title, const std::string& message) {
  // Let SDL pick the video driver as the window would; a headless one means nobody would see it.
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  bool shown = false;
  if (!IsHeadlessVideoDriver(SDL_GetCurrentVideoDriver())) {
    shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(),
                                     nullptr) == 0;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return shown;
}

}  // namespace skyrings
