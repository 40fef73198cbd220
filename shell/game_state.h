#pragma once
// The game state: the one record of the main window's variables that every procedure of the
// window works on directly, loop indices included.
//
// All numbers are 16-bit signed unless marked otherwise. It is created with every value zero when
// the window is loaded and is never reset as a whole: each game's scene construction gives the
// parts a game uses their start values, and whatever a game leaves behind stays until the next.

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>

#include "interfaces/retained3d.h"
#include "interfaces/status.h"

namespace skyrings {

inline constexpr int kPlayers = 4;
inline constexpr int kCrows = 11;
inline constexpr int kTiles = 3;

// The one mark of absence: a bird not in play, no ring, a free crow slot.
inline constexpr std::int16_t kAbsent = -5000;

// 16-bit Booleans.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

// 16-bit arithmetic is range-tested: a result outside the 16-bit range stops the program.
inline std::int16_t Int16(long value) {
  if (value < INT16_MIN || value > INT16_MAX) throw RunTimeError("Overflow");
  return static_cast<std::int16_t>(value);
}

// floor(value) as a 16-bit integer, range-tested: the random picks' formulas.
inline std::int16_t Floor16(double value) {
  return Int16(static_cast<long>(std::floor(value)));
}

// A counter that may grow without end in a long game stops at the largest 16-bit value.
inline std::int16_t SaturatingAdd(std::int16_t value, int increment) {
  const long sum = static_cast<long>(value) + increment;
  return static_cast<std::int16_t>(sum > INT16_MAX ? INT16_MAX : sum);
}

using PlayerValues = std::array<std::int16_t, kPlayers>;
using CrowValues = std::array<std::int16_t, kCrows>;

struct GameState {
  // 3D objects of the current game (replaced by the next game's construction).
  std::array<AnimationSetRef, kPlayers> birdAnims;
  std::array<FrameRef, kPlayers> birdFrames;
  MeshBuilderRef meshBuilder;
  FrameRef lightFrame;
  std::array<FrameRef, kTiles> groundFrames;
  std::array<FrameRef, kCrows> crowFrames;
  FrameRef ringFrame;
  FrameRef sceneFrame;
  FrameRef cameraFrame;
  LightRef light;
  TextureRef backTexture;

  // Loop control: true while the running loop (entry screen's or game's) should go on.
  std::int16_t running = kFalse;
  // Step-clock value at which the loop began or the last step ended.
  std::int64_t lastTick = 0;

  // The DirectX root and DirectDraw objects live from start-up to the end of the program.
  std::shared_ptr<DirectX> dx;
  DirectDrawRef ddraw;
  ClipperRef clipper;
  Direct3DRMRef d3drm;
  DeviceRef device;
  ViewportRef viewport;

  // Shared loop indices and the random pick (a tile's quarter-turn, a new crow's target).
  std::int16_t i = 0;
  std::int16_t j = 0;
  std::int16_t mode = 0;

  // Players 0..3.
  PlayerValues flapCount{};
  PlayerValues birdX{};
  PlayerValues birdY{};
  PlayerValues birdVX{};
  PlayerValues birdVY{};

  // The ring.
  std::int16_t ringX = 0;
  std::int16_t ringY = 0;
  std::int16_t ringZ = 0;

  // Steering values -1, 0, 1 per player: x left/right, y up/down.
  PlayerValues inputX{};
  PlayerValues inputY{};
  // 1 while Enter is held down.
  std::int16_t startKey = 0;

  // Crow slots 0..10.
  CrowValues crowX{};
  CrowValues crowY{};
  CrowValues crowZ{};
  CrowValues crowSpeed{};
  CrowValues crowTarget{};

  // Ground tiles 0..2.
  std::array<std::int16_t, kTiles> groundZ{};

  PlayerValues score{};
  // Steps played in the current game.
  std::int16_t stepCount = 0;
};

}  // namespace skyrings
