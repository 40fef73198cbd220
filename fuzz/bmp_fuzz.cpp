// BMP pictures (back1.bmp, title.bmp, icon.bmp) through the game's one BMP reader: as a texture
// of any size and as the window's pictures of fixed sizes. Whatever it accepts must come out as
// whole pixels of the size it promised.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/sdl/bmp_file.h"

namespace {

using skyrings::BmpSize;
using skyrings::fuzz::Require;

void Decode(std::span<const std::uint8_t> bytes, std::optional<BmpSize> expected) {
  skyrings::RgbaPicture picture;
  const skyrings::Status decoded = skyrings::DecodeBmp(bytes, expected, picture);
  if (!decoded) {
    Require(!decoded.error().empty(), "a refusal explains itself");
    Require(decoded.error().find('\n') == std::string::npos, "a refusal is one line");
    Require(picture.pixels.empty(), "a refused picture leaves the output alone");
    return;
  }
  if (expected) {
    Require(picture.width == expected->width && picture.height == expected->height,
            "the promised size");
  }
  Require(picture.width > 0 && picture.height > 0 && picture.width <= skyrings::kMaxBmpSide &&
              picture.height <= skyrings::kMaxBmpSide,
          "size in range");
  Require(picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height * 4,
          "whole pixels");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  // A texture at the size its header states; the window's title picture and icon at theirs.
  Decode(bytes, std::nullopt);
  Decode(bytes, BmpSize{640, 240});
  Decode(bytes, BmpSize{32, 32});
  return 0;
}
