// damage_file: spoils one data file in place, the way a broken download, a full disk or a careless
// edit would, for the bad-data runs of the real program.
//
//   damage_file random SEED FILE   the same number of bytes, all random (a fixed seed repeats)
//   damage_file absurd FILE        a valid file whose header asks for an absurd amount:
//                                    .x    the first mesh claims 2000000000 vertices
//                                    .bmp  the picture claims 100000 x 100000 pixels
//                                    .wav  the sample data claims 2000000000 bytes
//                                    .mid  the first track claims 2000000000 bytes
//
// Exit status 0 when the file was changed, 2 on a usage error or a file it cannot change.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kAbsurdCount = 2000000000u;
constexpr std::uint32_t kAbsurdSide = 100000u;

using Bytes = std::vector<unsigned char>;

bool Read(const std::string& path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool Write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void PutLittle32(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

void PutBig32(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * (3 - i)));
}

std::uint32_t Little32(const Bytes& b, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | b[at + static_cast<std::size_t>(i)];
  return value;
}

// Offset of the first four-byte chunk tag `tag` at or after `from`, or npos.
std::size_t FindTag(const Bytes& b, const char* tag, std::size_t from) {
  for (std::size_t i = from; i + 4 <= b.size(); ++i) {
    if (b[i] == tag[0] && b[i + 1] == tag[1] && b[i + 2] == tag[2] && b[i + 3] == tag[3]) return i;
  }
  return std::string::npos;
}

// A text .x file: the vertex count that opens the first Mesh object (templates open with a GUID).
bool AbsurdMesh(Bytes& b) {
  const std::string text(b.begin(), b.end());
  static const std::regex kMeshCount(R"(\bMesh\b[^{;]*\{\s*(\d+)\s*;)");
  std::smatch match;
  if (!std::regex_search(text, match, kMeshCount)) return false;
  const std::string edited =
      match.prefix().str() +
      match.str(0).replace(static_cast<std::size_t>(match.position(1) - match.position(0)),
                           static_cast<std::size_t>(match.length(1)),
                           std::to_string(kAbsurdCount)) +
      match.suffix().str();
  b.assign(edited.begin(), edited.end());
  return true;
}

bool AbsurdBmp(Bytes& b) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M' || Little32(b, 14) < 40) return false;
  PutLittle32(b, 18, kAbsurdSide);
  PutLittle32(b, 22, kAbsurdSide);
  return true;
}

bool AbsurdWave(Bytes& b) {
  if (b.size() < 12 || FindTag(b, "RIFF", 0) != 0) return false;
  const std::size_t data = FindTag(b, "data", 12);
  if (data == std::string::npos || data + 8 > b.size()) return false;
  PutLittle32(b, data + 4, kAbsurdCount);
  return true;
}

bool AbsurdMidi(Bytes& b) {
  if (FindTag(b, "MThd", 0) != 0) return false;
  const std::size_t track = FindTag(b, "MTrk", 14);
  if (track == std::string::npos || track + 8 > b.size()) return false;
  PutBig32(b, track + 4, kAbsurdCount);
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: damage_file random SEED FILE | damage_file absurd FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  if (mode == "random" && argc == 4) {
    const std::string path = argv[3];
    Bytes bytes;
    if (!Read(path, bytes)) return Usage();
    std::mt19937 random(static_cast<std::uint32_t>(std::stoul(argv[2])));
    for (unsigned char& byte : bytes)
      byte = static_cast<unsigned char>(random() & 0xFFu);
    return Write(path, bytes) ? 0 : 2;
  }
  if (mode == "absurd" && argc == 3) {
    const std::string path = argv[2];
    Bytes bytes;
    if (!Read(path, bytes)) return Usage();
    const bool changed = EndsWith(path, ".x")     ? AbsurdMesh(bytes)
                         : EndsWith(path, ".bmp") ? AbsurdBmp(bytes)
                         : EndsWith(path, ".wav") ? AbsurdWave(bytes)
                         : EndsWith(path, ".mid") ? AbsurdMidi(bytes)
                                                  : false;
    if (!changed) {
      std::fprintf(stderr, "damage_file: %s: no header to change\n", path.c_str());
      return 2;
    }
    return Write(path, bytes) ? 0 : 2;
  }
  return Usage();
}
