#include "platform/sdl/bmp_file.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace skyrings {
namespace {

std::uint32_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::int64_t I32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int32_t>(U32(b, at));
}
std::int64_t I16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::int16_t>(U16(b, at));
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

// Larger than any picture the window reads could be, headers and palette included.
constexpr std::uintmax_t kMaxBmpFileBytes = 4096u * 4096u * 4u + 65536u;

Status ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
  // Pipes and devices could block or never end: only plain files of a picture's size are read.
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status)) return Status::Fail("is a folder, not a file");
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_regular_file(status)) return Status::Fail("not a regular file");
    if (std::filesystem::file_size(path, ec) > kMaxBmpFileBytes && !ec) {
      return Status::Fail("file too large for a BMP picture");
    }
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    if (errno == ENOENT) return Status::Fail("no such file");
    return Status::Fail(std::strerror(errno));
  }
  std::uint8_t buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
    out.insert(out.end(), buffer, buffer + count);
    // The file may grow while it is read.
    if (out.size() > kMaxBmpFileBytes) return Status::Fail("file too large for a BMP picture");
  }
  if (std::ferror(file.get())) return Status::Fail(std::strerror(errno));
  return Status::Ok();
}

}  // namespace

Status CheckBmp(std::span<const std::uint8_t> bytes, int width, int height) {
  if (bytes.size() < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
    return Status::Fail("not a BMP picture");
  }
  const std::uint32_t pixelOffset = U32(bytes, 10);
  const std::uint32_t headerSize = U32(bytes, kFileHeaderSize);
  const bool coreHeader = headerSize == 12;
  if (!coreHeader && (headerSize < 40 || headerSize > 124)) {
    return Status::Fail("unsupported BMP header of " + std::to_string(headerSize) + " bytes");
  }
  if (bytes.size() < kFileHeaderSize + headerSize) return Status::Fail("truncated BMP header");

  std::int64_t pictureWidth = 0;
  std::int64_t pictureHeight = 0;
  std::uint32_t planes = 0;
  std::uint32_t depth = 0;
  std::uint32_t compression = kUncompressed;
  if (coreHeader) {
    pictureWidth = I16(bytes, 18);
    pictureHeight = I16(bytes, 20);
    planes = U16(bytes, 22);
    depth = U16(bytes, 24);
  } else {
    pictureWidth = I32(bytes, 18);
    pictureHeight = I32(bytes, 22);
    planes = U16(bytes, 26);
    depth = U16(bytes, 28);
    compression = U32(bytes, 30);
  }
  if (pictureHeight < 0) pictureHeight = -pictureHeight;  // rows stored top to bottom
  if (planes != 1) return Status::Fail("not a BMP picture (" + std::to_string(planes) + " planes)");
  if (pictureWidth != width || pictureHeight != height) {
    return Status::Fail("is " + std::to_string(pictureWidth) + " x " +
                        std::to_string(pictureHeight) + " pixels, expected " +
                        std::to_string(width) + " x " + std::to_string(height));
  }
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    return Status::Fail("unsupported colour depth of " + std::to_string(depth) + " bits");
  }
  if (compression != kUncompressed &&
      !(compression == kBitFields && (depth == 16 || depth == 32))) {
    return Status::Fail("compressed BMP pictures are not supported");
  }
  if (pixelOffset < kFileHeaderSize + headerSize) {
    return Status::Fail("pixel data overlaps the BMP header");
  }
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(pictureWidth) * depth + 31) / 32 * 4;
  const std::uint64_t needed = pixelOffset + rowBytes * static_cast<std::uint64_t>(pictureHeight);
  if (needed > bytes.size()) {
    return Status::Fail("truncated: " + std::to_string(bytes.size()) + " bytes, needs " +
                        std::to_string(needed));
  }
  return Status::Ok();
}

Status DecodeBmp(std::span<const std::uint8_t> bytes, int width, int height, RgbaPicture& out) {
  if (Status check = CheckBmp(bytes, width, height); !check) return check;
  SDL_Surface* loaded =
      SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
  if (loaded == nullptr) return Status::Fail(SDL_GetError());
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return Status::Fail(SDL_GetError());
  if (rgba->w != width || rgba->h != height) {
    SDL_FreeSurface(rgba);
    return Status::Fail("SDL read it at a different size");
  }

  RgbaPicture picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::memcpy(picture.Row(y), static_cast<const std::uint8_t*>(rgba->pixels) + y * rgba->pitch,
                static_cast<std::size_t>(width) * 4);
  }
  SDL_FreeSurface(rgba);
  out = std::move(picture);
  return Status::Ok();
}

Status LoadBmpPicture(std::string_view name, const std::string& path, int width, int height,
                      RgbaPicture& out) {
  const std::string prefix = std::string(name) + ": " + path + ": ";
  std::vector<std::uint8_t> bytes;
  if (Status read = ReadWholeFile(path, bytes); !read) return Status::Fail(prefix + read.error());
  if (Status decoded = DecodeBmp(bytes, width, height, out); !decoded) {
    return Status::Fail(prefix + decoded.error());
  }
  return Status::Ok();
}

}  // namespace skyrings
