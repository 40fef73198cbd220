#include "platform/sdl/bmp_file.h"

#include <SDL.h>

#include <cstring>
#include <utility>

#include "platform/common/plain_file.h"

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
// The file header and the smallest (OS/2 "core") picture header.
constexpr std::size_t kSmallestHeaders = kFileHeaderSize + 12;
constexpr std::uint32_t kCoreHeader = 12;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

// The picture header sizes of the Windows versions SDL reads fields from; others (OS/2 2.x among
// them) it would misread.
bool KnownInfoHeader(std::uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool KnownDepth(std::uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

Status CheckBmp(std::span<const std::uint8_t> bytes, std::optional<BmpSize> expected) {
  if (bytes.empty()) return Status::Fail("empty file");
  // Too short to say even the size of its picture header: not a picture at all.
  if (bytes.size() < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
    return Status::Fail("not a BMP picture");
  }
  if (bytes.size() < kSmallestHeaders) return Status::Fail("truncated BMP header");
  const std::uint32_t pixelOffset = U32(bytes, 10);
  const std::uint32_t headerSize = U32(bytes, kFileHeaderSize);
  if (headerSize != kCoreHeader && !KnownInfoHeader(headerSize)) {
    return Status::Fail("unsupported BMP header of " + std::to_string(headerSize) + " bytes");
  }
  if (bytes.size() < kFileHeaderSize + headerSize) return Status::Fail("truncated BMP header");

  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t planes = 0;
  std::uint32_t depth = 0;
  std::uint32_t compression = kUncompressed;
  std::uint32_t colours = 0;
  if (headerSize == kCoreHeader) {
    width = I16(bytes, 18);
    height = I16(bytes, 20);
    planes = U16(bytes, 22);
    depth = U16(bytes, 24);
  } else {
    width = I32(bytes, 18);
    height = I32(bytes, 22);
    planes = U16(bytes, 26);
    depth = U16(bytes, 28);
    compression = U32(bytes, 30);
    colours = U32(bytes, 46);
  }
  if (height < 0) height = -height;  // rows stored top to bottom
  if (planes != 1) return Status::Fail("bad BMP header (" + std::to_string(planes) + " planes)");
  if (width <= 0 || height <= 0) return Status::Fail("bad BMP size (zero or negative)");
  if (width > kMaxBmpSide || height > kMaxBmpSide) {
    return Status::Fail("BMP too large (" + std::to_string(width) + " x " + std::to_string(height) +
                        ", at most " + std::to_string(kMaxBmpSide) + " x " +
                        std::to_string(kMaxBmpSide) + ")");
  }
  if (expected && (width != expected->width || height != expected->height)) {
    return Status::Fail("is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels, expected " + std::to_string(expected->width) + " x " +
                        std::to_string(expected->height));
  }
  if (!KnownDepth(depth)) {
    return Status::Fail("unsupported bit depth of " + std::to_string(depth) + " bits");
  }
  if (compression != kUncompressed &&
      !(compression == kBitFields && (depth == 16 || depth == 32))) {
    return Status::Fail("unsupported BMP compression " + std::to_string(compression));
  }
  if (depth <= 8 && colours > (1u << depth)) return Status::Fail("bad BMP palette size");
  if (pixelOffset < kFileHeaderSize + headerSize) {
    return Status::Fail("pixel data offset overlaps the BMP header");
  }
  if (pixelOffset > bytes.size()) {
    return Status::Fail("truncated: pixel data offset past the end of the file");
  }
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * depth + 31) / 32 * 4;
  const std::uint64_t needed = pixelOffset + rowBytes * static_cast<std::uint64_t>(height);
  if (needed > bytes.size()) {
    return Status::Fail("truncated BMP pixel data: " + std::to_string(bytes.size()) +
                        " bytes, needs " + std::to_string(needed));
  }
  return Status::Ok();
}

Status DecodeBmp(std::span<const std::uint8_t> bytes, std::optional<BmpSize> expected,
                 RgbaPicture& out) {
  if (bytes.size() > kMaxBmpFileBytes) return Status::Fail("file too large for a BMP picture");
  if (Status check = CheckBmp(bytes, expected); !check) return check;
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (source == nullptr) return Status::Fail(std::string("cannot read (") + SDL_GetError() + ")");
  SDL_Surface* loaded = SDL_LoadBMP_RW(source, 1);
  if (loaded == nullptr) {
    return Status::Fail(std::string("bad BMP picture (") + SDL_GetError() + ")");
  }
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return Status::Fail(std::string("cannot convert (") + SDL_GetError() + ")");
  if (expected && (rgba->w != expected->width || rgba->h != expected->height)) {
    SDL_FreeSurface(rgba);
    return Status::Fail("SDL read it at a different size");
  }

  RgbaPicture picture(rgba->w, rgba->h);
  SDL_LockSurface(rgba);
  for (int y = 0; y < rgba->h; ++y) {
    std::memcpy(picture.Row(y),
                static_cast<const std::uint8_t*>(rgba->pixels) +
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(rgba->pitch),
                static_cast<std::size_t>(rgba->w) * 4);
  }
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  out = std::move(picture);
  return Status::Ok();
}

Status ReadBmp(const std::string& path, std::optional<BmpSize> expected, RgbaPicture& out) {
  std::string bytes;
  if (Status read = ReadPlainFile(path, kMaxBmpFileBytes, bytes); !read) return read;
  if (Status decoded = DecodeBmp(AsBytes(bytes), expected, out); !decoded) {
    return Status::Fail(path + ": " + decoded.error());
  }
  return Status::Ok();
}

Status LoadBmpPicture(std::string_view name, const std::string& path, int width, int height,
                      RgbaPicture& out) {
  if (Status read = ReadBmp(path, BmpSize{width, height}, out); !read) {
    return Status::Fail(std::string(name) + ": " + read.error());
  }
  return Status::Ok();
}

}  // namespace skyrings
