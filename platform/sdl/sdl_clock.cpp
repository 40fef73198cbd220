#include "platform/sdl/sdl_clock.h"

#include <SDL.h>

namespace skyrings {

SdlClock::SdlClock() : start_(SDL_GetTicks64()) {}

std::int64_t SdlClock::Ticks() {
  return static_cast<std::int64_t>(SDL_GetTicks64() - start_);
}

}  // namespace skyrings
