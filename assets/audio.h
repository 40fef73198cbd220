#pragma once
// Synthesised sound effects and the 16-bit PCM WAV encoding.

#include <string>
#include <vector>

namespace assets {

inline constexpr int kSampleRate = 44100;

// Mono samples in -1..1.
struct Sound {
  int rate = kSampleRate;
  std::vector<double> samples;
};

// A RIFF WAVE file, 16-bit signed little-endian mono PCM.
std::string EncodeWav(const Sound& sound);

// Fades both ends to silence over a few milliseconds and scales the loudest sample to `peak`.
void Finish(Sound& sound, double peak);

Sound MakeStartSound();     // a game starts: rising fanfare
Sound MakeRingSound();      // a bird flew through a ring: bright chime
Sound MakeKnockOutSound();  // a bird was knocked out: bonk and a falling whistle
Sound MakeJoinSound();      // a player joined: short blip

}  // namespace assets
