#include "png.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace assets {
namespace {

// The CRC-32 of PNG chunks (and of zip and gzip): reflected polynomial 0xEDB88320.
class Crc32 {
 public:
  Crc32() {
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table_[n] = c;
    }
  }
  std::uint32_t operator()(std::string_view bytes) const {
    std::uint32_t c = 0xFFFFFFFFu;
    for (char byte : bytes)
      c = table_[(c ^ static_cast<std::uint8_t>(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
  }

 private:
  std::array<std::uint32_t, 256> table_{};
};

// The zlib stream's check value over the uncompressed bytes.
std::uint32_t Adler32(std::string_view bytes) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = 1, b = 0;
  for (char byte : bytes) {
    a = (a + static_cast<std::uint8_t>(byte)) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}

void PutBE32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutLE16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// A zlib stream holding `data` in stored deflate blocks, each at most 65535 bytes.
std::string ZlibStored(std::string_view data) {
  constexpr std::size_t kMaxStoredBlock = 65535;
  std::string out;
  out.push_back(0x78);  // deflate, 32 KiB window
  out.push_back(0x01);  // no dictionary, fastest; 0x7801 is a multiple of 31 as the header needs
  std::size_t at = 0;
  do {
    const std::size_t length = std::min(kMaxStoredBlock, data.size() - at);
    const bool last = at + length == data.size();
    out.push_back(last ? 0x01 : 0x00);  // BFINAL, BTYPE 00 (stored); the rest of the byte pads
    PutLE16(out, static_cast<std::uint32_t>(length));
    PutLE16(out, static_cast<std::uint32_t>(~length & 0xFFFF));
    out.append(data.substr(at, length));
    at += length;
  } while (at < data.size());
  PutBE32(out, Adler32(data));
  return out;
}

void PutChunk(std::string& out, const Crc32& crc, std::string_view type, std::string_view data) {
  PutBE32(out, static_cast<std::uint32_t>(data.size()));
  std::string typed(type);
  typed.append(data);
  out.append(typed);
  PutBE32(out, crc(typed));
}

}  // namespace

std::string EncodePng(const Image& image) {
  const Crc32 crc;
  std::string out("\x89PNG\r\n\x1a\n", 8);

  std::string header;
  PutBE32(header, static_cast<std::uint32_t>(image.width()));
  PutBE32(header, static_cast<std::uint32_t>(image.height()));
  header += '\x08';  // 8 bits a sample
  header += '\x02';  // RGB
  header += '\0';    // deflate
  header += '\0';    // adaptive filtering (every row uses filter 0, none)
  header += '\0';    // not interlaced
  PutChunk(out, crc, "IHDR", header);

  std::string rows;
  rows.reserve(static_cast<std::size_t>(image.height()) *
               (1 + 3 * static_cast<std::size_t>(image.width())));
  for (int y = 0; y < image.height(); ++y) {
    rows.push_back('\0');  // filter: none
    for (int x = 0; x < image.width(); ++x) {
      const Rgb p = image.At(x, y);
      rows.push_back(static_cast<char>(Byte(p.r)));
      rows.push_back(static_cast<char>(Byte(p.g)));
      rows.push_back(static_cast<char>(Byte(p.b)));
    }
  }
  PutChunk(out, crc, "IDAT", ZlibStored(rows));
  PutChunk(out, crc, "IEND", {});
  return out;
}

}  // namespace assets
