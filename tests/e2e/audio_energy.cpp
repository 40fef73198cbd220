// audio_energy: how loud a captured stream of 16-bit signed little-endian stereo samples is, in
// slices of time, for the end-to-end runs to judge when the game made sound.
//
//   audio_energy RATE SLICE_MS FILE [FROM_BYTE [TO_BYTE]]
//
// Prints one line per whole slice between the two byte offsets (the whole file by default):
//   START_MS PEAK RMS
// with START_MS counted from the start of the file, PEAK the largest sample magnitude in the
// slice and RMS its root mean square (both over 0..32768). Exit status 2 on a usage error or a
// file it cannot read.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;

bool Whole(const char* text, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return *text != '\0' && *end == '\0' && out >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  long long rate = 0;
  long long sliceMs = 0;
  long long from = 0;
  long long to = -1;
  if (argc < 4 || argc > 6 || !Whole(argv[1], rate) || rate == 0 || !Whole(argv[2], sliceMs) ||
      sliceMs == 0 || (argc > 4 && !Whole(argv[4], from)) || (argc > 5 && !Whole(argv[5], to))) {
    std::fprintf(stderr, "usage: audio_energy RATE SLICE_MS FILE [FROM_BYTE [TO_BYTE]]\n");
    return 2;
  }
  std::ifstream in(argv[3], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "audio_energy: cannot read %s\n", argv[3]);
    return 2;
  }
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
  const long long size = static_cast<long long>(bytes.size());
  if (to < 0 || to > size) to = size;
  from -= from % kBytesPerFrame;

  const long long sliceFrames = rate * sliceMs / 1000;
  for (long long frame = from / kBytesPerFrame; (frame + sliceFrames) * kBytesPerFrame <= to;
       frame += sliceFrames) {
    long long peak = 0;
    double sum = 0;
    for (long long f = frame; f < frame + sliceFrames; ++f) {
      for (int c = 0; c < kChannels; ++c) {
        const std::size_t at = static_cast<std::size_t>(f * kBytesPerFrame + c * 2);
        const auto sample = static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
        const long long magnitude = std::llabs(static_cast<long long>(sample));
        if (magnitude > peak) peak = magnitude;
        sum += static_cast<double>(sample) * sample;
      }
    }
    std::printf("%lld %lld %.1f\n", frame * 1000 / rate, peak,
                std::sqrt(sum / static_cast<double>(sliceFrames * kChannels)));
  }
  return 0;
}
