#include "audio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "random.h"

namespace assets {
namespace {

constexpr double kTwoPi = 6.283185307179586;

void PutLE(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

Sound Silence(double seconds) {
  Sound s;
  s.samples.assign(static_cast<std::size_t>(seconds * s.rate), 0.0);
  return s;
}

double Midi(double note) {
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// A struck bell-like tone: frequency-modulated sine with a fast attack and an exponential decay.
// The modulation index fades with the note so the tone starts bright and mellows.
void AddBell(Sound& s, double start, double freq, double length, double amp, double ratio,
             double index, double decay) {
  const auto first = static_cast<std::size_t>(start * s.rate);
  const auto count = static_cast<std::size_t>(length * s.rate);
  for (std::size_t i = 0; i < count && first + i < s.samples.size(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double attack = std::min(1.0, t / 0.004);
    const double release = std::min(1.0, (length - t) / 0.03);
    const double env = attack * std::max(0.0, release) * std::exp(-t * decay);
    const double mod = index * std::exp(-t * decay * 1.5) * std::sin(kTwoPi * freq * ratio * t);
    s.samples[first + i] += amp * env * std::sin(kTwoPi * freq * t + mod);
  }
}

// A soft tone of a few harmonics with vibrato, for held notes.
void AddTone(Sound& s, double start, double freq, double length, double amp, double vibrato) {
  const auto first = static_cast<std::size_t>(start * s.rate);
  const auto count = static_cast<std::size_t>(length * s.rate);
  double phase = 0.0;
  for (std::size_t i = 0; i < count && first + i < s.samples.size(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double f = freq * (1.0 + vibrato * std::sin(kTwoPi * 5.5 * t) * std::min(1.0, t / 0.2));
    phase += kTwoPi * f / s.rate;
    const double attack = std::min(1.0, t / 0.015);
    const double release = std::clamp((length - t) / (length * 0.45), 0.0, 1.0);
    const double env = attack * release * release;
    const double wave =
        std::sin(phase) + 0.35 * std::sin(2.0 * phase) + 0.15 * std::sin(3.0 * phase);
    s.samples[first + i] += amp * env * wave;
  }
}

}  // namespace

std::string EncodeWav(const Sound& sound) {
  const auto frames = static_cast<std::uint32_t>(sound.samples.size());
  const std::uint32_t dataBytes = frames * 2;
  std::string out;
  out += "RIFF";
  PutLE(out, 36 + dataBytes, 4);
  out += "WAVE";
  out += "fmt ";
  PutLE(out, 16, 4);
  PutLE(out, 1, 2);  // PCM
  PutLE(out, 1, 2);  // mono
  PutLE(out, static_cast<std::uint32_t>(sound.rate), 4);
  PutLE(out, static_cast<std::uint32_t>(sound.rate) * 2, 4);
  PutLE(out, 2, 2);
  PutLE(out, 16, 2);
  out += "data";
  PutLE(out, dataBytes, 4);
  for (double v : sound.samples) {
    const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
    PutLE(out, static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(q))),
          2);
  }
  return out;
}

void Finish(Sound& sound, double peak) {
  auto& x = sound.samples;
  if (x.empty()) return;
  // Remove any offset so the fades end on true silence.
  double mean = 0.0;
  for (double v : x)
    mean += v;
  mean /= static_cast<double>(x.size());
  for (double& v : x)
    v -= mean;
  const std::size_t fadeIn = std::min(x.size() / 4, static_cast<std::size_t>(0.003 * sound.rate));
  const std::size_t fadeOut = std::min(x.size() / 4, static_cast<std::size_t>(0.02 * sound.rate));
  for (std::size_t i = 0; i < fadeIn; ++i) {
    x[i] *= 0.5 - 0.5 * std::cos(3.141592653589793 * static_cast<double>(i) /
                                 static_cast<double>(fadeIn));
  }
  for (std::size_t i = 0; i < fadeOut; ++i) {
    x[x.size() - 1 - i] *= 0.5 - 0.5 * std::cos(3.141592653589793 * static_cast<double>(i) /
                                                static_cast<double>(fadeOut));
  }
  double loudest = 0.0;
  for (double v : x)
    loudest = std::max(loudest, std::fabs(v));
  if (loudest > 0.0) {
    for (double& v : x)
      v *= peak / loudest;
  }
}

Sound MakeStartSound() {
  Sound s = Silence(1.1);
  // C major arpeggio up to the octave, then a held chord.
  const double notes[] = {72, 76, 79, 84};
  for (int i = 0; i < 4; ++i) {
    const double start = 0.09 * i;
    AddBell(s, start, Midi(notes[i]), 0.5, 0.5, 2.0, 1.6, 5.0);
  }
  for (double n : {72.0, 76.0, 79.0, 84.0})
    AddTone(s, 0.36, Midi(n), 0.72, 0.16, 0.006);
  AddBell(s, 0.36, Midi(96), 0.6, 0.12, 3.5, 1.0, 6.0);
  Finish(s, 0.8);
  return s;
}

Sound MakeRingSound() {
  Sound s = Silence(0.7);
  // Two quick bright strikes a fifth apart with a sparkle on top.
  AddBell(s, 0.0, Midi(88), 0.55, 0.5, 3.0, 2.0, 7.0);
  AddBell(s, 0.07, Midi(95), 0.6, 0.55, 3.0, 2.0, 6.0);
  const double sparkle[] = {100, 103, 107, 112};
  for (int i = 0; i < 4; ++i)
    AddBell(s, 0.1 + 0.04 * i, Midi(sparkle[i]), 0.3, 0.12, 2.0, 0.8, 12.0);
  Finish(s, 0.8);
  return s;
}

Sound MakeKnockOutSound() {
  Sound s = Silence(0.95);
  Random rng(99);
  // The bonk: a low knock whose pitch drops as it rings.
  double phase = 0.0;
  for (std::size_t i = 0; i < s.samples.size(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    if (t > 0.25) break;
    const double f = 160.0 + 260.0 * std::exp(-t * 30.0);
    phase += kTwoPi * f / s.rate;
    const double env = std::min(1.0, t / 0.002) * std::exp(-t * 16.0);
    s.samples[i] += 0.9 * env * (std::sin(phase) + 0.3 * std::sin(2.0 * phase));
  }
  // A whistle falling away, with a wobble.
  phase = 0.0;
  for (std::size_t i = 0; i < s.samples.size(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    if (t < 0.08) continue;
    const double u = t - 0.08;
    const double f = 1100.0 * std::exp(-u * 2.6) * (1.0 + 0.03 * std::sin(kTwoPi * 9.0 * u));
    phase += kTwoPi * f / s.rate;
    const double env = std::min(1.0, u / 0.03) * std::max(0.0, 1.0 - u / 0.86);
    s.samples[i] += 0.35 * env * std::sin(phase);
  }
  // A soft whoosh of low-passed noise.
  double low = 0.0;
  for (std::size_t i = 0; i < s.samples.size(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double cutoff = 0.08 * std::exp(-t * 2.0) + 0.01;
    low += cutoff * (rng.Uniform(-1.0, 1.0) - low);
    const double env = std::min(1.0, t / 0.05) * std::exp(-t * 3.5);
    s.samples[i] += 0.6 * env * low;
  }
  Finish(s, 0.8);
  return s;
}

Sound MakeJoinSound() {
  Sound s = Silence(0.16);
  // A quick upward blip: two partials sliding up a fifth.
  double phase = 0.0;
  const double length = 0.16;
  for (std::size_t i = 0; i < s.samples.size(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double f = 880.0 * (1.0 + 0.5 * std::min(1.0, t / 0.05));
    phase += kTwoPi * f / s.rate;
    const double env = std::min(1.0, t / 0.005) * std::pow(std::max(0.0, 1.0 - t / length), 1.5);
    s.samples[i] += env * (std::sin(phase) + 0.25 * std::sin(3.0 * phase));
  }
  Finish(s, 0.7);
  return s;
}

}  // namespace assets
