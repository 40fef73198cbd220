#pragma once
// Writes small BMP pictures for the tests with SDL.

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace skyrings::gl::test {

// Saves a 24-bit BMP of `width` x `height` from RGB triples, top row first.
inline bool SaveBmp(const std::string& path, int width, int height,
                    const std::vector<std::uint8_t>& rgb) {
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
  if (surface == nullptr) return false;
  SDL_LockSurface(surface);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < width * 3; ++x) {
      row[x] = rgb[static_cast<std::size_t>(y * width * 3 + x)];
    }
  }
  SDL_UnlockSurface(surface);
  const bool ok = SDL_SaveBMP(surface, path.c_str()) == 0;
  SDL_FreeSurface(surface);
  return ok;
}

}  // namespace skyrings::gl::test
