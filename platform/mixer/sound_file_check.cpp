#include "platform/mixer/sound_file_check.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace skyrings::sound_check {
namespace {

using Bytes = std::span<const std::uint8_t>;

bool HasTag(Bytes bytes, std::size_t at, const char (&tag)[5]) {
  return bytes.size() >= 4 && at <= bytes.size() - 4 && std::memcmp(&bytes[at], tag, 4) == 0;
}

std::uint16_t Le16(Bytes b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t Le32(Bytes b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t Be16(Bytes b, std::size_t at) {
  return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
std::uint32_t Be32(Bytes b, std::size_t at) {
  return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
         (static_cast<std::uint32_t>(b[at + 2]) << 8) | static_cast<std::uint32_t>(b[at + 3]);
}

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatALaw = 6;
constexpr std::uint16_t kFormatMuLaw = 7;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// Bytes 2..15 of the sub-format GUID of an extensible wave: the common base of the PCM and float
// GUIDs, whose first two bytes carry the plain format tag.
constexpr std::array<std::uint8_t, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string CheckWaveFormat(Bytes fmt, WaveInfo& info) {
  if (fmt.size() < 16) return "format chunk too short";
  info.formatTag = Le16(fmt, 0);
  info.channels = Le16(fmt, 2);
  info.sampleRate = Le32(fmt, 4);
  info.blockAlign = Le16(fmt, 12);
  info.bitsPerSample = Le16(fmt, 14);
  if (info.formatTag == kFormatExtensible) {
    if (fmt.size() < 40 || Le16(fmt, 16) < 22) return "extensible format chunk too short";
    const std::uint16_t validBits = Le16(fmt, 18);
    if (validBits > info.bitsPerSample) return "more valid bits than bits per sample";
    if (std::memcmp(&fmt[26], kGuidTail.data(), kGuidTail.size()) != 0) {
      return "unsupported extensible sub-format";
    }
    info.formatTag = Le16(fmt, 24);
    if (info.formatTag != kFormatPcm && info.formatTag != kFormatFloat) {
      return "unsupported extensible sub-format";
    }
  }
  if (info.channels < 1 || info.channels > 8) return "unsupported channel count";
  if (info.sampleRate < 1000 || info.sampleRate > 384000) return "unsupported sample rate";
  switch (info.formatTag) {
    case kFormatPcm:
      if (info.bitsPerSample != 8 && info.bitsPerSample != 16 && info.bitsPerSample != 24 &&
          info.bitsPerSample != 32) {
        return "unsupported PCM sample size";
      }
      break;
    case kFormatFloat:
      if (info.bitsPerSample != 32) return "unsupported float sample size";
      break;
    case kFormatALaw:
    case kFormatMuLaw:
      if (info.bitsPerSample != 8) return "unsupported companded sample size";
      break;
    default:
      return "unsupported sample encoding";
  }
  if (info.blockAlign != info.channels * (info.bitsPerSample / 8)) {
    return "block size does not match the sample format";
  }
  return {};
}

// Reads a MIDI variable-length quantity (at most four bytes) at `pos` inside `end`.
std::optional<std::uint32_t> ReadVarLen(Bytes b, std::size_t& pos, std::size_t end) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) return std::nullopt;
    const std::uint8_t byte = b[pos++];
    value = (value << 7) | (byte & 0x7Fu);
    if ((byte & 0x80u) == 0) return value;
  }
  return std::nullopt;
}

struct TempoChange {
  std::uint64_t tick = 0;
  std::uint32_t microsPerBeat = 0;
};

// Checks one track's events. `endTick` receives the tick of its last event; tempo changes are
// appended to `tempos`.
std::string CheckMidiTrack(Bytes b, std::size_t pos, std::size_t end, std::uint64_t& endTick,
                           std::vector<TempoChange>& tempos) {
  std::uint8_t running = 0;
  std::uint64_t tick = 0;
  while (pos < end) {
    const auto delta = ReadVarLen(b, pos, end);
    if (!delta) return "bad delta time in track";
    tick += *delta;
    endTick = tick;
    if (pos >= end) return "track ends inside an event";
    std::uint8_t status = b[pos];
    if (status & 0x80u) {
      ++pos;
    } else {
      if (running == 0) return "data byte without a status in track";
      status = running;
    }
    if (status < 0xF0) {
      running = status;
      const std::size_t count = (status & 0xF0u) == 0xC0u || (status & 0xF0u) == 0xD0u ? 1 : 2;
      if (end - pos < count) return "track ends inside an event";
      for (std::size_t i = 0; i < count; ++i) {
        if (b[pos + i] & 0x80u) return "bad data byte in track";
      }
      pos += count;
    } else if (status == 0xF0 || status == 0xF7) {
      const auto length = ReadVarLen(b, pos, end);
      if (!length || *length > end - pos) return "system exclusive event runs past its track";
      pos += *length;
    } else if (status == 0xFF) {
      if (pos >= end) return "track ends inside an event";
      const std::uint8_t type = b[pos++];
      if (type & 0x80u) return "bad meta event type in track";
      const auto length = ReadVarLen(b, pos, end);
      if (!length || *length > end - pos) return "meta event runs past its track";
      if (type == 0x51) {
        if (*length != 3) return "bad tempo event";
        const auto micros =
            static_cast<std::uint32_t>((b[pos] << 16) | (b[pos + 1] << 8) | b[pos + 2]);
        if (micros == 0) return "zero tempo";
        tempos.push_back({tick, micros});
      }
      pos += *length;
      if (type == 0x2F) return {};  // end of track: anything after it is never read
    } else {
      return "real-time or common message in track";
    }
  }
  return {};
}

// Playing time up to `lastTick`. Tempo changes in any track apply to all of them, as players
// of multi-track files do; the tempo is 120 beats a minute until the first change.
double MidiSeconds(std::uint16_t division, std::uint64_t lastTick,
                   std::vector<TempoChange>& tempos) {
  if (division & 0x8000u) {
    const int frames = -static_cast<std::int8_t>(division >> 8);
    const double fps = frames == 29 ? 30000.0 / 1001.0 : frames;
    return static_cast<double>(lastTick) / (fps * (division & 0xFFu));
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  double micros = 0;
  std::uint64_t tick = 0;
  std::uint32_t perBeat = 500000;
  for (const TempoChange& change : tempos) {
    if (change.tick >= lastTick) break;
    micros += static_cast<double>(change.tick - tick) * perBeat / division;
    tick = change.tick;
    perBeat = change.microsPerBeat;
  }
  micros += static_cast<double>(lastTick - tick) * perBeat / division;
  return micros / 1e6;
}

// The wave check; an empty string when the bytes are acceptable.
std::string WaveProblem(Bytes bytes, WaveInfo* info) {
  if (bytes.size() > kMaxSoundFileBytes) return "file too large";
  if (bytes.size() < 12 || !HasTag(bytes, 0, "RIFF") || !HasTag(bytes, 8, "WAVE")) {
    return "not a RIFF/WAVE file";
  }
  WaveInfo found;
  bool haveFormat = false;
  std::size_t pos = 12;
  while (bytes.size() - pos >= 8) {
    const std::uint32_t size = Le32(bytes, pos + 4);
    const std::size_t body = pos + 8;
    const std::size_t left = bytes.size() - body;
    if (HasTag(bytes, pos, "fmt ")) {
      if (haveFormat) return "more than one format chunk";
      if (size > left) return "format chunk runs past the end of the file";
      if (std::string problem = CheckWaveFormat(bytes.subspan(body, size), found);
          !problem.empty()) {
        return problem;
      }
      haveFormat = true;
    } else if (HasTag(bytes, pos, "data")) {
      if (!haveFormat) return "sample data before the format chunk";
      if (size > kMaxWaveDataBytes) return "sample data too large";
      if (size > left) return "sample data runs past the end of the file";
      const std::uint32_t whole = size - size % found.blockAlign;
      if (whole == 0) return "no sample data";
      if (whole / found.blockAlign >
          static_cast<std::uint64_t>(found.sampleRate) * kMaxWaveSeconds) {
        return "sound longer than " + std::to_string(kMaxWaveSeconds) + " seconds";
      }
      found.dataBytes = whole;
      if (info) *info = found;
      return {};
    } else if (size > left) {
      return "chunk runs past the end of the file";
    }
    // Chunks are padded to an even size.
    const std::size_t advance = static_cast<std::size_t>(size) + (size & 1u);
    if (advance >= left) break;
    pos = body + advance;
  }
  return haveFormat ? "no sample data chunk" : "no format chunk";
}

// The MIDI check; an empty string when the bytes are acceptable.
std::string MidiProblem(Bytes bytes, MidiInfo* info) {
  if (bytes.size() > kMaxMusicFileBytes) return "file too large";
  if (bytes.size() < 14 || !HasTag(bytes, 0, "MThd")) return "not a MIDI file";
  const std::uint32_t headerSize = Be32(bytes, 4);
  if (headerSize < 6 || headerSize > bytes.size() - 8) return "bad MIDI header size";
  MidiInfo found;
  found.format = Be16(bytes, 8);
  found.tracks = Be16(bytes, 10);
  found.division = Be16(bytes, 12);
  if (found.format > 2) return "unknown MIDI file format";
  if (found.tracks == 0 || found.tracks > kMaxMidiTracks) return "unsupported MIDI track count";
  if (found.format == 0 && found.tracks != 1) return "single-track MIDI file with several tracks";
  if (found.division == 0) return "zero MIDI time division";
  if (found.division & 0x8000u) {
    const int frames = -static_cast<std::int8_t>(found.division >> 8);
    if ((frames != 24 && frames != 25 && frames != 29 && frames != 30) ||
        (found.division & 0xFFu) == 0) {
      return "bad SMPTE time division";
    }
  }
  std::size_t pos = 8 + static_cast<std::size_t>(headerSize);
  std::uint32_t tracksFound = 0;
  std::uint64_t lastTick = 0;
  std::vector<TempoChange> tempos;
  while (bytes.size() - pos >= 8 && tracksFound < found.tracks) {
    const std::uint32_t size = Be32(bytes, pos + 4);
    const std::size_t body = pos + 8;
    if (size > bytes.size() - body) return "chunk runs past the end of the file";
    if (HasTag(bytes, pos, "MTrk")) {
      std::uint64_t endTick = 0;
      if (std::string problem = CheckMidiTrack(bytes, body, body + size, endTick, tempos);
          !problem.empty()) {
        return problem;
      }
      lastTick = std::max(lastTick, endTick);
      ++tracksFound;
    }
    pos = body + size;
  }
  if (tracksFound < found.tracks) return "fewer tracks than the header declares";
  found.seconds = MidiSeconds(found.division, lastTick, tempos);
  if (info) *info = found;
  return {};
}

Status AsStatus(std::string problem) {
  return problem.empty() ? Status::Ok() : Status::Fail(std::move(problem));
}

}  // namespace

SoundKind Sniff(Bytes bytes) {
  if (HasTag(bytes, 0, "RIFF") && HasTag(bytes, 8, "WAVE")) return SoundKind::kWave;
  if (HasTag(bytes, 0, "MThd")) return SoundKind::kMidi;
  return SoundKind::kUnknown;
}

Status CheckWave(Bytes bytes, WaveInfo* info) {
  return AsStatus(WaveProblem(bytes, info));
}

Status CheckMidi(Bytes bytes, MidiInfo* info) {
  return AsStatus(MidiProblem(bytes, info));
}

Status CheckSoundFile(Bytes bytes, SoundKind& kind) {
  const SoundKind found = Sniff(bytes);
  Status checked;
  switch (found) {
    case SoundKind::kWave:
      checked = CheckWave(bytes);
      break;
    case SoundKind::kMidi:
      checked = CheckMidi(bytes);
      break;
    case SoundKind::kUnknown:
      checked = Status::Fail("not a wave or MIDI file");
      break;
  }
  if (checked) kind = found;
  return checked;
}

}  // namespace skyrings::sound_check
