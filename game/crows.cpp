#include "game/crows.h"

namespace skyrings {
namespace {

constexpr std::int16_t kSpawnDepth = 1400;
constexpr std::int16_t kFreedBelowDepth = -300;
// A crow catches a bird whose centre lies strictly inside these distances of its own.
constexpr int kCatchX = 40;
constexpr int kCatchY = 30;
constexpr int kCatchZ = 30;

// A free slot is spawned with chance 1 in 25. A spawn takes six draws, counting the spawn test.
void Spawn_Test(Form1& form, int c) {
  GameState& s = form.state;
  Random& random = form.random;
  if (Floor16(25 * random.Next()) != 0 || s.crowX[c] != kAbsent) return;

  s.crowX[c] = Floor16(450 * random.Next() - 225);
  s.crowY[c] = Floor16(280 * random.Next() + 30);
  s.crowZ[c] = kSpawnDepth;
  s.crowSpeed[c] =
      Int16(-Floor16(10 * random.Next() + 15) - static_cast<long>(std::floor(s.stepCount / 200.0)));
  s.mode = random.Pick(4);
  s.crowTarget[c] = s.birdX[s.mode] == kAbsent ? std::int16_t{-1} : s.mode;
  if (random.Pick(2) == 0) s.crowTarget[c] = -1;
}

}  // namespace

void Move_Crows(Form1& form) {
  GameState& s = form.state;
  for (s.i = 0; s.i <= 10; ++s.i) {
    const int c = s.i;
    Spawn_Test(form, c);

    // Flight: a crow spawned in this step makes its first move at once.
    if (s.crowX[c] > kAbsent) {
      s.crowZ[c] = Int16(s.crowZ[c] + s.crowSpeed[c]);
      if (s.crowZ[c] < kFreedBelowDepth) s.crowX[c] = kAbsent;
    }

    // Homing, one unit per axis per step, on the target chosen at the spawn (a bird caught
    // meanwhile leaves its crow homing on x = -5000 and the bird's last height).
    if (s.crowX[c] != kAbsent && s.crowTarget[c] != -1) {
      const int t = s.crowTarget[c];
      if (s.crowX[c] < s.birdX[t]) s.crowX[c] = Int16(s.crowX[c] + 1);
      if (s.crowX[c] > s.birdX[t]) s.crowX[c] = Int16(s.crowX[c] - 1);
      if (s.crowY[c] > s.birdY[t]) s.crowY[c] = Int16(s.crowY[c] - 1);
      if (s.crowY[c] < s.birdY[t]) s.crowY[c] = Int16(s.crowY[c] + 1);
    }

    // Free slots are placed too: parked at x = -5000, far outside the view.
    Check(s.crowFrames[c]->SetPosition(nullptr, s.crowX[c], s.crowY[c], s.crowZ[c]));

    // Catch test; the crow flies on and may catch further birds.
    for (s.j = 0; s.j <= 3; ++s.j) {
      const int p = s.j;
      if (s.birdX[p] != kAbsent && s.crowX[c] - kCatchX < s.birdX[p] &&
          s.birdX[p] < s.crowX[c] + kCatchX && s.crowY[c] - kCatchY < s.birdY[p] &&
          s.birdY[p] < s.crowY[c] + kCatchY && -kCatchZ < s.crowZ[c] && s.crowZ[c] < kCatchZ) {
        s.birdX[p] = kAbsent;
        Play_Sound(form.music, "out", false);
      }
    }
  }
}

}  // namespace skyrings
