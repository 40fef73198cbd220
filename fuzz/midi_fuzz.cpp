// MIDI music (bgm.mid): the sound file check. What it accepts goes to the mixer's MIDI player, and
// its playing time sets when the game's music loop starts again, so it must be a real number.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_check.h"
#include "platform/mixer/sound_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using skyrings::fuzz::Require;
  namespace check = skyrings::sound_check;
  const std::span<const std::uint8_t> bytes(data, size);
  check::SoundKind kind = check::SoundKind::kUnknown;
  const skyrings::Status checked = check::CheckSoundFile(bytes, kind);
  if (!checked) {
    Require(checked.error().find('\n') == std::string::npos, "a refusal is one line");
    return 0;
  }
  if (kind != check::SoundKind::kMidi) return 0;
  check::MidiInfo info;
  Require(check::CheckMidi(bytes, &info).ok(), "the MIDI check agrees with the sniffer");
  Require(info.format <= 2, "a known file format");
  Require(info.tracks >= 1 && info.tracks <= check::kMaxMidiTracks, "track count in range");
  Require(info.format != 0 || info.tracks == 1, "a single-track file has one track");
  Require(info.division != 0, "a time division");
  Require(std::isfinite(info.seconds) && info.seconds >= 0, "a real playing time");
  return 0;
}
