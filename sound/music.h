#pragma once
// `music`: named sound channels over the sound command strings. Each sound file is opened once
// under a short name; a sound is played from its beginning by name, optionally looping, and
// stopped by name. Looping works by polling: Keep_Looping, once per game step, restarts every
// looping sound that has come to its end. No command's status is ever looked at.

#include <array>
#include <cstdint>
#include <string>

#include "interfaces/sound_port.h"

namespace skyrings {

inline constexpr int kSoundSlots = 1001;  // slot 0 (always empty) and names 1 to 1000

// The module's own record (not part of the game state).
struct Music {
  explicit Music(SoundPort& soundPort) : port(soundPort) {}

  SoundPort& port;
  std::array<std::string, kSoundSlots> soundNames;    // slot 0 holds the empty name
  std::array<std::int16_t, kSoundSlots> soundLoop{};  // true (-1): restarted by Keep_Looping
  std::int32_t soundCount = 0;                        // registered names = highest slot in use
};

void Open_Sound(Music& music, const std::string& file, const std::string& name);
void Play_Sound(Music& music, const std::string& name, bool loop);
void Stop_Sound(Music& music, const std::string& name);
void Keep_Looping(Music& music);

}  // namespace skyrings
