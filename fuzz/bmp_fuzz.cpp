// BMP pictures (back1.bmp, title.bmp, icon.bmp), through both readers the game has: the 3D
// layer's texture reader and the window's picture loader. Whatever either accepts must come out
// as whole pixels of the size it promised.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/gl/bmp_file.h"
#include "platform/sdl/bmp_file.h"

namespace {

using skyrings::fuzz::Require;

std::int64_t HeaderSide(std::span<const std::uint8_t> b, std::size_t at, bool core) {
  if (core) return static_cast<std::int16_t>(b[at] | b[at + 1] << 8);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[at]) | b[at + 1] << 8 |
                                   b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void Window(std::span<const std::uint8_t> bytes, int width, int height) {
  skyrings::RgbaPicture picture;
  const skyrings::Status decoded = skyrings::DecodeBmp(bytes, width, height, picture);
  if (!decoded) {
    Require(!decoded.error().empty(), "a refusal explains itself");
    Require(picture.pixels.empty(), "a refused picture leaves the output alone");
    return;
  }
  Require(picture.width == width && picture.height == height, "the promised size");
  Require(picture.pixels.size() == static_cast<std::size_t>(width) * height * 4, "whole pixels");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::span<const std::uint8_t> bytes(data, size);

  skyrings::gl::RgbaImage image;
  const skyrings::Status read = skyrings::gl::ReadBmpBuffer("back1.bmp", text, image);
  if (!read) {
    skyrings::fuzz::RequireNamedRefusal(read, "back1.bmp");
    Require(image.pixels.empty(), "a refused texture is empty");
  } else {
    Require(image.width > 0 && image.height > 0 && image.width <= skyrings::gl::kMaxBmpSide &&
                image.height <= skyrings::gl::kMaxBmpSide,
            "texture size in range");
    Require(image.pixels.size() == static_cast<std::size_t>(image.width) * image.height * 4,
            "whole texture pixels");
  }

  // The window asks for the title picture and the icon at their own sizes; a file is also tried
  // at the size its header states, so the decoder sees every picture the check lets through.
  Window(bytes, 640, 240);
  Window(bytes, 32, 32);
  if (size >= 26) {
    const bool core = (data[14] | data[15] << 8 | data[16] << 16 | data[17] << 24) == 12;
    std::int64_t width = HeaderSide(bytes, 18, core);
    std::int64_t height = HeaderSide(bytes, core ? 20 : 22, core);
    if (height < 0) height = -height;
    if (width > 0 && height > 0 && width <= 1 << 20 && height <= 1 << 20) {
      Window(bytes, static_cast<int>(width), static_cast<int>(height));
    }
  }
  return 0;
}
