#include "platform/gl/bmp_file.h"
#include "platform/gl/plain_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <SDL2/SDL.h>

namespace skyrings::gl {

namespace {

Status Bad(const std::string& name, const std::string& what) {
  return Status::Fail(name + ": " + what);
}

std::uint32_t U32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}

constexpr std::size_t kMaxBmpBytes = 4096u * 4096u * 4u + 65536u;

// Checks the headers against each other and against the file's size.
Status CheckHeader(const std::string& name, std::string_view b) {
  if (b.empty()) return Bad(name, "empty file");
  if (b.size() < 2 || b[0] != 'B' || b[1] != 'M') return Bad(name, "not a BMP picture");
  if (b.size() < 26) return Bad(name, "truncated BMP header");
  const std::uint32_t dataOffset = U32(b, 10);
  const std::uint32_t infoSize = U32(b, 14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = 0;
  std::uint32_t colours = 0;
  if (infoSize == 12) {
    width = U16(b, 18);
    height = static_cast<std::int16_t>(U16(b, 20));
    bits = U16(b, 24);
  } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 ||
             infoSize == 124) {
    if (b.size() < 14u + infoSize) return Bad(name, "truncated BMP header");
    width = static_cast<std::int32_t>(U32(b, 18));
    height = static_cast<std::int32_t>(U32(b, 22));
    if (U16(b, 26) != 1) return Bad(name, "bad BMP header (planes)");
    bits = U16(b, 28);
    compression = U32(b, 30);
    colours = U32(b, 46);
  } else {
    return Bad(name, "unsupported BMP header size " + std::to_string(infoSize));
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0) return Bad(name, "bad BMP size (zero or negative)");
  if (width > kMaxBmpSide || height > kMaxBmpSide) {
    return Bad(name, "BMP too large (" + std::to_string(width) + " x " + std::to_string(height) +
                         ", at most " + std::to_string(kMaxBmpSide) + " x " +
                         std::to_string(kMaxBmpSide) + ")");
  }
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return Bad(name, "unsupported BMP bit depth " + std::to_string(bits));
  }
  if (compression != 0 && !(compression == 3 && (bits == 16 || bits == 32))) {
    return Bad(name, "unsupported BMP compression " + std::to_string(compression));
  }
  if (bits <= 8 && colours > (1u << bits)) return Bad(name, "bad BMP palette size");
  if (dataOffset < 14u + infoSize || dataOffset > b.size()) {
    return Bad(name, "bad BMP pixel data offset");
  }
  const std::uint64_t rowBytes = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  if (dataOffset + rowBytes * static_cast<std::uint64_t>(height) > b.size()) {
    return Bad(name, "truncated BMP pixel data");
  }
  return Status::Ok();
}

}  // namespace

Status ReadBmpBuffer(const std::string& name, std::string_view bytes, RgbaImage& out) {
  out = RgbaImage{};
  if (bytes.size() > kMaxBmpBytes) return Bad(name, "file too large for a BMP picture");
  Status header = CheckHeader(name, bytes);
  if (!header) return header;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (rw == nullptr) return Bad(name, std::string("cannot read (") + SDL_GetError() + ")");
  SDL_Surface* loaded = SDL_LoadBMP_RW(rw, 1);
  if (loaded == nullptr) return Bad(name, std::string("bad BMP picture (") + SDL_GetError() + ")");
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return Bad(name, std::string("cannot convert (") + SDL_GetError() + ")");
  out.width = rgba->w;
  out.height = rgba->h;
  const std::size_t row = static_cast<std::size_t>(rgba->w) * 4;
  out.pixels.resize(row * static_cast<std::size_t>(rgba->h));
  SDL_LockSurface(rgba);
  for (int y = 0; y < rgba->h; ++y) {
    // SDL's row 0 is the top of the picture; ours is the bottom.
    const auto* source = static_cast<const std::uint8_t*>(rgba->pixels) +
                         static_cast<std::size_t>(y) * static_cast<std::size_t>(rgba->pitch);
    std::memcpy(out.pixels.data() + static_cast<std::size_t>(rgba->h - 1 - y) * row, source, row);
  }
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return Status::Ok();
}

Status ReadBmp(const std::string& path, RgbaImage& out) {
  std::string bytes;
  if (Status read = ReadPlainFile(path, kMaxBmpBytes, bytes); !read) return read;
  return ReadBmpBuffer(path, bytes, out);
}

}  // namespace skyrings::gl
