#include "platform/sdl/key_map.h"

namespace skyrings {

std::optional<std::int16_t> VirtualKeyFor(SDL_Keycode symbol) {
  switch (symbol) {
    case SDLK_LEFT:
      return kKeyLeft;
    case SDLK_UP:
      return kKeyUp;
    case SDLK_RIGHT:
      return kKeyRight;
    case SDLK_DOWN:
      return kKeyDown;
    case SDLK_a:
      return kKeyA;
    case SDLK_d:
      return kKeyD;
    case SDLK_w:
      return kKeyW;
    case SDLK_s:
      return kKeyS;
    case SDLK_ESCAPE:
      return kKeyEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kKeyEnter;
    default:
      return std::nullopt;
  }
}

std::int16_t ShiftStateFor(std::uint16_t modifiers) {
  std::int16_t state = 0;
  if (modifiers & KMOD_SHIFT) state |= 1;
  if (modifiers & KMOD_CTRL) state |= 2;
  if (modifiers & KMOD_ALT) state |= 4;
  return state;
}

}  // namespace skyrings
