#pragma once
// Checks of sound file contents before they reach the decoders.
//
// The mixer's decoders trust the sizes written in a file's headers. Every sound file is read
// whole into memory and passed through these checks first, so a truncated, corrupted or hostile
// file only makes its own open fail. Only what the game ships is accepted: wave effects and a MIDI
// tune. The checks use neither SDL nor the mixer and take plain bytes, so a fuzzer can drive them
// directly.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "interfaces/status.h"

namespace skyrings::sound_check {

// Upper bound on the sample data of one wave file.
inline constexpr std::size_t kMaxWaveDataBytes = 64u * 1024u * 1024u;
// Upper bound on the playing time of one wave. The mixer converts a whole wave to its output
// rate and format when it opens it; a slow, narrow wave takes several hundred times its size
// there (a 1.5 MB 1000 Hz mu-law file took over a gigabyte), so its length is what is bounded.
inline constexpr std::uint32_t kMaxWaveSeconds = 90;
// Upper bound on the size of one MIDI file.
inline constexpr std::size_t kMaxMusicFileBytes = 16u * 1024u * 1024u;
// Upper bound on any sound file read into memory: the wave data cap plus room for its headers.
inline constexpr std::size_t kMaxSoundFileBytes = kMaxWaveDataBytes + 1024u * 1024u;
// Upper bound on the tracks of one MIDI file.
inline constexpr std::uint32_t kMaxMidiTracks = 256;

enum class SoundKind {
  kUnknown,  // not a kind the game plays
  kWave,     // RIFF/WAVE: played as a sample on a channel of its own
  kMidi,     // Standard MIDI file: played through the music stream
};

// Recognises a sound file by its first bytes (never by its name).
SoundKind Sniff(std::span<const std::uint8_t> bytes);

// What a successful wave check learned from the headers.
struct WaveInfo {
  std::uint16_t formatTag = 0;  // 1 PCM, 3 IEEE float, 6 A-law, 7 mu-law (extensible is resolved)
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t blockAlign = 0;
  std::uint32_t dataBytes = 0;  // sample data present, whole frames only
};

struct MidiInfo {
  std::uint16_t format = 0;
  std::uint16_t tracks = 0;
  std::uint16_t division = 0;
  // Time from the start to the last event of the longest track, following the tempo changes.
  double seconds = 0;
};

// Each check fails with a short explanation of the first problem found. `info`, when given, is
// filled on success.
Status CheckWave(std::span<const std::uint8_t> bytes, WaveInfo* info = nullptr);
Status CheckMidi(std::span<const std::uint8_t> bytes, MidiInfo* info = nullptr);

// Sniffs the bytes and runs the matching check. On success `kind` receives the kind; on failure
// it is left as it was.
Status CheckSoundFile(std::span<const std::uint8_t> bytes, SoundKind& kind);

}  // namespace skyrings::sound_check
