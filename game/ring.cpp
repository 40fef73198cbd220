#include "game/ring.h"

namespace skyrings {
namespace {

constexpr std::int16_t kStartDepth = 1500;
constexpr std::int16_t kStep = 5;
constexpr std::int16_t kGoneBelowDepth = -300;
// A bird flies through when its centre is strictly inside these distances of the ring's.
constexpr int kOpening = 50;
constexpr int kPassDepth = 10;
constexpr int kRingPoints = 1000;

}  // namespace

void Move_Ring(Form1& form) {
  GameState& s = form.state;

  if (s.ringX == kAbsent) {
    s.ringX = Floor16(400 * form.random.Next() - 200);
    s.ringY = Floor16(200 * form.random.Next() + 40);
    s.ringZ = kStartDepth;
  }

  // A new ring also moves in the step in which it is placed.
  s.ringZ = Int16(s.ringZ - kStep);
  if (s.ringZ < kGoneBelowDepth) s.ringX = kAbsent;

  // Every bird is tested against the same ring before it is taken away.
  bool flownThrough = false;
  for (s.j = 0; s.j <= 3; ++s.j) {
    const int p = s.j;
    if (s.birdX[p] != kAbsent && s.ringX - kOpening < s.birdX[p] &&
        s.birdX[p] < s.ringX + kOpening && s.ringY - kOpening < s.birdY[p] &&
        s.birdY[p] < s.ringY + kOpening && -kPassDepth < s.ringZ && s.ringZ < kPassDepth) {
      s.score[p] = SaturatingAdd(s.score[p], kRingPoints);
      Play_Sound(form.music, "ring", false);
      flownThrough = true;
    }
  }
  if (flownThrough) s.ringX = kAbsent;

  Check(s.ringFrame->SetPosition(nullptr, s.ringX, s.ringY, s.ringZ));
}

}  // namespace skyrings
