#pragma once
// Reading BMP pictures into RGBA pixels, checked before the picture is decoded. No OpenGL here.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/status.h"

namespace skyrings::gl {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // RGBA, row 0 at the bottom (OpenGL's order)
};

inline constexpr int kMaxBmpSide = 4096;

// Reads a BMP file; failures name the file and what is wrong with it.
Status ReadBmp(const std::string& path, RgbaImage& out);
// The same from bytes in memory; `name` is used in messages.
Status ReadBmpBuffer(const std::string& name, std::string_view bytes, RgbaImage& out);

}  // namespace skyrings::gl
