#include "game/birds.h"

namespace skyrings {
namespace {

constexpr std::int16_t kMaxSpeed = 7;
constexpr std::int16_t kLeftEdge = -200;
constexpr std::int16_t kRightEdge = 200;
constexpr std::int16_t kBottom = 40;
constexpr std::int16_t kTop = 240;
constexpr std::int16_t kFlapCycle = 20;

}  // namespace

void Move_Birds(Form1& form) {
  GameState& s = form.state;
  for (s.i = 0; s.i <= 3; ++s.i) {
    const int p = s.i;
    if (s.birdX[p] != kAbsent) {
      std::int16_t& vx = s.birdVX[p];
      std::int16_t& vy = s.birdVY[p];
      const std::int16_t ix = s.inputX[p];
      const std::int16_t iy = s.inputY[p];

      // Decay toward 0 on an axis whose steering is 0.
      if (vx > 0 && ix == 0) vx = Int16(vx - 1);
      if (vx < 0 && ix == 0) vx = Int16(vx + 1);
      if (iy == 0 && vy < 0) vy = Int16(vy + 1);
      if (iy == 0 && vy > 0) vy = Int16(vy - 1);

      // Acceleration up to 7. Steering down (y = 1) lowers the vertical speed: the bird sinks.
      if (vx < kMaxSpeed && ix == 1) vx = Int16(vx + 1);
      if (vx > -kMaxSpeed && ix == -1) vx = Int16(vx - 1);
      if (iy == 1 && vy > -kMaxSpeed) vy = Int16(vy - 1);
      if (iy == -1 && vy < kMaxSpeed) vy = Int16(vy + 1);

      // Move and keep inside the box; the speeds stay as they are.
      s.birdX[p] = Int16(s.birdX[p] + vx);
      s.birdY[p] = Int16(s.birdY[p] + vy);
      if (s.birdX[p] < kLeftEdge) s.birdX[p] = kLeftEdge;
      if (s.birdX[p] > kRightEdge) s.birdX[p] = kRightEdge;
      if (s.birdY[p] > kTop) s.birdY[p] = kTop;
      if (s.birdY[p] < kBottom) s.birdY[p] = kBottom;

      // Survival and wings. A score stops at 32767 in a very long game.
      s.score[p] = SaturatingAdd(s.score[p], 1);
      s.flapCount[p] = Int16(s.flapCount[p] + 1);
      if (s.flapCount[p] == kFlapCycle) s.flapCount[p] = 0;
      Check(s.birdAnims[p]->SetTime(s.flapCount[p]));
    }
    // Birds out of play are placed too, at x = -5000. Bird frames are moved, never turned.
    Check(s.birdFrames[p]->SetPosition(nullptr, s.birdX[p], s.birdY[p], 0));
  }
}

}  // namespace skyrings
