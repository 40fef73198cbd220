#pragma once
// The BMP pictures the window reads (the title picture and the icon): checked before SDL sees them.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "interfaces/status.h"
#include "platform/sdl/rgba_picture.h"

namespace skyrings {

// Checks that `bytes` hold a whole uncompressed BMP picture of `width` x `height` pixels that SDL
// can read. Fails with the cause alone, e.g. "is 320 x 240 pixels, expected 640 x 240".
Status CheckBmp(std::span<const std::uint8_t> bytes, int width, int height);

// Checks `bytes` with CheckBmp and decodes them as RGBA, row 0 at the top. Fails with the cause
// alone; `out` is left as it was.
Status DecodeBmp(std::span<const std::uint8_t> bytes, int width, int height, RgbaPicture& out);

// Reads the BMP picture at `path`, which must be `width` x `height`, as RGBA. A failure names the
// file and its cause: "<name>: <path>: no such file".
Status LoadBmpPicture(std::string_view name, const std::string& path, int width, int height,
                      RgbaPicture& out);

}  // namespace skyrings
