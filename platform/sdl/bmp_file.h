#pragma once
// BMP pictures: the window's title picture and icon, and the 3D layer's textures. Every file is
// read whole and its headers are checked against each other and against its size before SDL
// decodes it, so a bad file only makes its own load fail, with one line naming the cause.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "interfaces/status.h"
#include "platform/common/rgba_picture.h"

namespace skyrings {

// The largest picture read, on either side, and the largest file that could hold one (headers
// and palette included): memory stays bounded whatever a file claims.
inline constexpr int kMaxBmpSide = 4096;
inline constexpr std::size_t kMaxBmpFileBytes = std::size_t{kMaxBmpSide} * kMaxBmpSide * 4 + 65536;

struct BmpSize {
  int width = 0;
  int height = 0;
};

// Checks that `bytes` hold a whole uncompressed BMP picture that SDL reads as it is stored, of
// `expected` size when one is given. Fails with the cause alone, e.g. "is 320 x 240 pixels,
// expected 640 x 240".
Status CheckBmp(std::span<const std::uint8_t> bytes, std::optional<BmpSize> expected);

// Checks `bytes` with CheckBmp and decodes them. Fails with the cause alone; `out` is left as it
// was.
Status DecodeBmp(std::span<const std::uint8_t> bytes, std::optional<BmpSize> expected,
                 RgbaPicture& out);

// Reads and decodes the BMP file at `path`. A failure names the file: "<path>: <cause>".
Status ReadBmp(const std::string& path, std::optional<BmpSize> expected, RgbaPicture& out);

// The same for one of the window's pictures, which must be `width` x `height`; the failure starts
// with the picture's `name` as well: "title.bmp: <path>: no such file".
Status LoadBmpPicture(std::string_view name, const std::string& path, int width, int height,
                      RgbaPicture& out);

}  // namespace skyrings
