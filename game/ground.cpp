#include "game/ground.h"

#include "render/scene.h"

namespace skyrings {
namespace {

constexpr std::int16_t kStep = 10;
constexpr std::int16_t kWrapDepth = -700;
constexpr std::int16_t kFarDepth = 1400;
constexpr float kGroundHeight = -100.0f;

}  // namespace

void Move_Ground(Form1& form) {
  GameState& s = form.state;
  for (s.i = 0; s.i <= 2; ++s.i) {
    s.groundZ[s.i] = Int16(s.groundZ[s.i] - kStep);
    if (s.groundZ[s.i] == kWrapDepth) {
      s.groundZ[s.i] = kFarDepth;
      s.mode = form.random.Pick(4);
      Turn_Tile(s.groundFrames[s.i], s.mode);
    }
    Check(s.groundFrames[s.i]->SetPosition(nullptr, 0, kGroundHeight, s.groundZ[s.i]));
  }
}

}  // namespace skyrings
