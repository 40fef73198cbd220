#pragma once
// Writes small BMP pictures for the tests: 24-bit, rows stored bottom to top.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/common/rgba_picture.h"

namespace skyrings::testing {

inline void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  PutU16(out, at, value & 0xffff);
  PutU16(out, at + 2, value >> 16);
}

inline std::vector<std::uint8_t> Bmp24Bytes(const RgbaPicture& picture) {
  const std::size_t rowBytes = (static_cast<std::size_t>(picture.width) * 3 + 3) / 4 * 4;
  const std::size_t offset = 14 + 40;
  std::vector<std::uint8_t> out(offset + rowBytes * picture.height, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<std::uint32_t>(out.size()));
  PutU32(out, 10, static_cast<std::uint32_t>(offset));
  PutU32(out, 14, 40);
  PutU32(out, 18, static_cast<std::uint32_t>(picture.width));
  PutU32(out, 22, static_cast<std::uint32_t>(picture.height));
  PutU16(out, 26, 1);
  PutU16(out, 28, 24);
  PutU32(out, 34, static_cast<std::uint32_t>(rowBytes * picture.height));
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = out.data() + offset + rowBytes * (picture.height - 1 - y);
    for (int x = 0; x < picture.width; ++x) {
      const Rgba c = picture.At(x, y);
      row[x * 3] = c.b;
      row[x * 3 + 1] = c.g;
      row[x * 3 + 2] = c.r;
    }
  }
  return out;
}

// A picture whose every pixel differs from its neighbours: x in red, y in green.
inline RgbaPicture Blocks(int width, int height) {
  RgbaPicture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.Set(x, y, Rgba{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7, 255});
    }
  }
  return picture;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace skyrings::testing
