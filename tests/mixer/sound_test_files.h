#pragma once
// Sound files and captured output for the mixer tests: a sine tone as a wave file, a short MIDI
// tune, and the analysis of what the disk audio driver wrote.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace skyrings::testing {

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void PutBe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A mono 16-bit PCM wave of a sine tone.
inline std::vector<std::uint8_t> ToneWave(double hertz, double seconds, int rate = 44100) {
  const auto frames = static_cast<std::uint32_t>(seconds * rate);
  std::vector<std::uint8_t> out;
  PutTag(out, "RIFF");
  PutLe(out, 36 + frames * 2, 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, 1, 2);  // mono
  PutLe(out, static_cast<std::uint32_t>(rate), 4);
  PutLe(out, static_cast<std::uint32_t>(rate * 2), 4);
  PutLe(out, 2, 2);
  PutLe(out, 16, 2);
  PutTag(out, "data");
  PutLe(out, frames * 2, 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double v = 12000.0 * std::sin(2.0 * std::numbers::pi * hertz * i / rate);
    PutLe(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(std::lround(v))), 2);
  }
  return out;
}

struct Note {
  std::uint8_t key = 72;
  std::uint32_t ticks = 240;
};

// A format-0 MIDI file playing `notes` one after the other on `program`, at 480 ticks per beat
// and 120 beats per minute, so 480 ticks last half a second.
inline std::vector<std::uint8_t> TuneMidi(const std::vector<Note>& notes,
                                          std::uint8_t program = 0) {
  std::vector<std::uint8_t> track = {0x00, 0xFF, 0x51,   0x03, 0x07, 0xA1, 0x20,  // tempo 500000
                                     0x00, 0xC0, program};
  for (const Note& note : notes) {
    track.insert(track.end(), {0x00, 0x90, note.key, 110});
    // The note's length as a variable-length quantity.
    std::vector<std::uint8_t> delta;
    std::uint32_t rest = note.ticks;
    delta.insert(delta.begin(), static_cast<std::uint8_t>(rest & 0x7F));
    while ((rest >>= 7) != 0) {
      delta.insert(delta.begin(), static_cast<std::uint8_t>(0x80 | (rest & 0x7F)));
    }
    track.insert(track.end(), delta.begin(), delta.end());
    track.insert(track.end(), {0x80, note.key, 0x40});
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<std::uint8_t> out;
  PutTag(out, "MThd");
  PutBe(out, 6, 4);
  PutBe(out, 0, 2);
  PutBe(out, 1, 2);
  PutBe(out, 480, 2);
  PutTag(out, "MTrk");
  PutBe(out, static_cast<std::uint32_t>(track.size()), 4);
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

// One piano note an octave above middle C, `ticks` long.
inline std::vector<std::uint8_t> OneNoteMidi(std::uint32_t ticks = 240) {
  return TuneMidi({{72, ticks}});
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Captured output of the disk driver: interleaved signed 16-bit frames, folded to mono.
struct Capture {
  int rate = 44100;
  std::vector<double> mono;

  static Capture Load(const std::string& path, int rate, int channels) {
    const std::vector<std::uint8_t> raw = ReadFile(path);
    Capture capture;
    capture.rate = rate;
    const std::size_t frameBytes = 2u * static_cast<std::size_t>(channels);
    for (std::size_t at = 0; at + frameBytes <= raw.size(); at += frameBytes) {
      double sum = 0;
      for (int c = 0; c < channels; ++c) {
        const std::size_t p = at + 2u * static_cast<std::size_t>(c);
        sum += static_cast<std::int16_t>(raw[p] | (raw[p + 1] << 8));
      }
      capture.mono.push_back(sum / channels);
    }
    return capture;
  }

  double Seconds() const { return static_cast<double>(mono.size()) / rate; }

  // Time of the first sample louder than `threshold`, or a negative value when there is none.
  double Onset(double threshold = 200.0) const {
    for (std::size_t i = 0; i < mono.size(); ++i) {
      if (std::abs(mono[i]) > threshold) return static_cast<double>(i) / rate;
    }
    return -1.0;
  }

  double PeakAbs() const {
    double peak = 0;
    for (double v : mono)
      peak = std::max(peak, std::abs(v));
    return peak;
  }

  // Root-mean-square level of a tone of `hertz` between `from` and `to` seconds (Goertzel).
  double ToneLevel(double hertz, double from, double to) const {
    const auto begin = static_cast<std::size_t>(std::max(0.0, from) * rate);
    const auto end = std::min(mono.size(), static_cast<std::size_t>(to * rate));
    if (end <= begin) return 0;
    const double w = 2.0 * std::numbers::pi * hertz / rate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (std::size_t i = begin; i < end; ++i) {
      const double s0 = mono[i] + coeff * s1 - s2;
      s2 = s1;
      s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    const double n = static_cast<double>(end - begin);
    return 2.0 * std::sqrt(std::max(power, 0.0)) / n;  // amplitude of the tone
  }
};

}  // namespace skyrings::testing
