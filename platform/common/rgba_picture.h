#pragma once
// A picture held in memory, 8-bit RGBA, row 0 at the top: the one picture type of the platform
// layers (the window's pictures and the 3D layer's textures alike), and the few ways the window
// paints on it.

#include <cstdint>
#include <vector>

#include "interfaces/window.h"

namespace skyrings {

struct Rgba {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  std::uint8_t a = 255;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

inline constexpr Rgba kOpaqueBlack{0, 0, 0, 255};

struct RgbaPicture {
  RgbaPicture() = default;
  RgbaPicture(int pictureWidth, int pictureHeight, Rgba fill = kOpaqueBlack);

  Rgba At(int x, int y) const;
  void Set(int x, int y, Rgba colour);
  std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width * 4; }
  const std::uint8_t* Row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * width * 4;
  }

  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// The part of `rect` inside a picture of `width` x `height` (empty when none is).
PixelRect ClipRect(PixelRect rect, int width, int height);

// True when `rect` has no negative size and lies wholly inside `width` x `height`.
bool RectInside(PixelRect rect, int width, int height);

void FillRect(RgbaPicture& picture, PixelRect target, Rgba colour);

// Paints `source` of `from` stretched over `target` of `to`, nearest pixel (the art is pixel art).
// `source` must lie inside `from`; the parts of `target` outside `to` are left out.
void StretchNearest(const RgbaPicture& from, PixelRect source, RgbaPicture& to, PixelRect target);

}  // namespace skyrings
