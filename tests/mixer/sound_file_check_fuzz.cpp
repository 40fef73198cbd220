// libFuzzer entry for the sound file checks. Built only with clang (see CMakeLists.txt):
//   cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14
//   cmake --build build-fuzz --target sound_file_check_fuzz
//   build-fuzz/bin/sound_file_check_fuzz -max_total_time=60
// Whatever the checks accept must keep the promises the port relies on before it hands the bytes
// to a decoder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/mixer/sound_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace check = skyrings::sound_check;
  const std::span<const std::uint8_t> bytes(data, size);
  check::SoundKind kind = check::SoundKind::kUnknown;
  if (!check::CheckSoundFile(bytes, kind).empty()) return 0;
  if (kind == check::SoundKind::kWave) {
    check::WaveInfo info;
    if (!check::CheckWave(bytes, &info).empty()) std::abort();
    if (info.dataBytes == 0 || info.dataBytes > size || info.dataBytes > check::kMaxWaveDataBytes ||
        info.dataBytes % info.blockAlign != 0) {
      std::abort();
    }
  } else if (kind == check::SoundKind::kMidi) {
    check::MidiInfo info;
    if (!check::CheckMidi(bytes, &info).empty()) std::abort();
    if (info.tracks == 0 || info.division == 0 || !(info.seconds >= 0)) std::abort();
  }
  return 0;
}
