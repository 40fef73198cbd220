// The sound effects, as SDL reads them.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "data_path.h"

namespace skyrings_assets_test {
namespace {

struct Wav {
  SDL_AudioSpec audio{};
  std::vector<std::int16_t> samples;  // interleaved
  double seconds = 0.0;
};

bool LoadWav(const std::string& name, Wav& out) {
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  if (SDL_LoadWAV(DataPath(name).c_str(), &out.audio, &buffer, &length) == nullptr) return false;
  out.samples.resize(length / 2);
  std::memcpy(out.samples.data(), buffer, out.samples.size() * 2);
  SDL_FreeWAV(buffer);
  out.seconds = static_cast<double>(out.samples.size()) / out.audio.channels /
                static_cast<double>(out.audio.freq);
  return true;
}

const char* const kEffects[] = {"ok.wav", "ring.wav", "out.wav", "cur.wav"};

TEST(Sounds, ShortCleanSixteenBitEffects) {
  for (const char* name : kEffects) {
    SCOPED_TRACE(name);
    Wav wav;
    ASSERT_TRUE(LoadWav(name, wav)) << SDL_GetError();
    EXPECT_EQ(wav.audio.format, AUDIO_S16LSB);
    EXPECT_TRUE(wav.audio.freq == 22050 || wav.audio.freq == 44100);
    EXPECT_TRUE(wav.audio.channels == 1 || wav.audio.channels == 2);
    EXPECT_GE(wav.seconds, 0.1);
    EXPECT_LE(wav.seconds, 1.5);
    int peak = 0;
    for (std::int16_t s : wav.samples)
      peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32000) << "clipped";
    EXPECT_GT(peak, 12000) << "too quiet";
    // No click: both ends start and stop at (near) silence.
    const std::size_t ends = std::min<std::size_t>(8, wav.samples.size());
    for (std::size_t i = 0; i < ends; ++i) {
      EXPECT_LT(std::abs(static_cast<int>(wav.samples[i])), 300) << "start " << i;
      EXPECT_LT(std::abs(static_cast<int>(wav.samples[wav.samples.size() - 1 - i])), 300)
          << "end " << i;
    }
  }
}

TEST(Sounds, EachEventSoundsDifferent) {
  std::vector<Wav> all(std::size(kEffects));
  for (std::size_t i = 0; i < all.size(); ++i)
    ASSERT_TRUE(LoadWav(kEffects[i], all[i]));
  for (std::size_t i = 0; i < all.size(); ++i) {
    for (std::size_t j = i + 1; j < all.size(); ++j) {
      EXPECT_NE(all[i].samples, all[j].samples) << kEffects[i] << " vs " << kEffects[j];
    }
  }
  // The join blip is the shortest; the start fanfare is longer than the ring chime.
  EXPECT_LT(all[3].seconds, 0.3);
  EXPECT_GT(all[0].seconds, all[1].seconds);
}

}  // namespace
}  // namespace skyrings_assets_test
