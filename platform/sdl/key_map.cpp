#include "platform/sdl/key_map.h"

namespace skyrings {

std::optional<std::int16_t> VirtualKeyFor(SDL_Keycode symbol) {
  switch (symbol) {
    case SDLK_LEFT:
      return vk::kLeft;
    case SDLK_UP:
      return vk::kUp;
    case SDLK_RIGHT:
      return vk::kRight;
    case SDLK_DOWN:
      return vk::kDown;
    case SDLK_a:
      return vk::kA;
    case SDLK_d:
      return vk::kD;
    case SDLK_w:
      return vk::kW;
    case SDLK_s:
      return vk::kS;
    case SDLK_ESCAPE:
      return vk::kEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return vk::kEnter;
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
