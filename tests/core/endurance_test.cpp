// Long runs through the real loops with a fast clock: hours on the entry screen, and a game that
// outlasts the 16-bit step counter.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "game/crows.h"
#include "game/ground.h"
#include "game/ring.h"
#include "input/keyboard.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "tests/core/headless_rig.h"

namespace skyrings::testing {
namespace {

// Resident memory of this process in kB.
long ResidentKb() {
  long pages = 0, resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  const int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
  std::fclose(statm);
  return read == 2 ? resident * 4 : -1;
}

TEST(Endurance, HoursOnTheEntryScreenKeepTheStepScheduleAndTheMemory) {
  constexpr std::int64_t kHours = 3;
  constexpr std::int64_t kEnd = kHours * 3600 * 1000;
  HeadlessRig rig;
  rig.window.RecordSurfaceOps(false);
  rig.sound.RecordCommands(false);
  rig.window.KeyDownAt(kEnd / 2, kKeyDown);  // a held key on the way changes nothing
  rig.window.KeyDownAt(kEnd, kKeyEscape);
  rig.window.SetIdleLimit(kEnd + 1000);
  const long before = ResidentKb();
  Window_Load(rig.form);
  const long after = ResidentKb();

  // One title paint at start-up, then one per 20 ms step: none lost, none twice.
  EXPECT_EQ(rig.window.paintCount(), 1 + kEnd / kMillisecondsPerStep - 1);
  EXPECT_EQ(rig.clock.Ticks(), kEnd);
  EXPECT_LT(after - before, 1024) << before << " kB before, " << after << " kB after";
}

// Flies the birds by looking ahead: for each bird it tries a few ways of steering, follows the
// crows (their flight, homing and catch window) for the next 40 steps for each, and takes the way
// that survives with the most room around the bird. Late in a game crows are fast enough to
// arrive within a few steps of their spawn, so the pilot also learns the coming spawns by running
// the game's own crow section ahead on a copy of the state and of the random source.
class Autopilot {
 public:
  explicit Autopilot(HeadlessRig& rig) : rig_(rig) {}

  void SteerAll() {
    PredictSpawns();
    for (int p = 0; p < kPlayers; ++p)
      Steer(p);
  }

 private:
  struct Crow {
    int x, y, z, speed, target;
  };
  struct Spawn {
    int step;
    Crow crow;
  };

  void PredictSpawns() {
    shadow_.form.state = rig_.s;
    shadow_.form.random = rig_.form.random;
    spawns_.clear();
    for (int step = 1; step <= kLookAhead; ++step) {
      const CrowValues before = shadow_.s.crowX;
      Move_Ground(shadow_.form);
      Move_Crows(shadow_.form);
      Move_Ring(shadow_.form);
      for (int c = 0; c < kCrows; ++c) {
        const GameState& t = shadow_.s;
        if (before[c] == kAbsent && t.crowX[c] != kAbsent) {
          spawns_.push_back(
              {step, {t.crowX[c], t.crowY[c], t.crowZ[c], t.crowSpeed[c], t.crowTarget[c]}});
        }
      }
    }
  }

  void Steer(int p) {
    const GameState& s = rig_.s;
    if (s.birdX[p] == kAbsent) return;
    int bestX = 0, bestY = 0;
    long best = -1;
    for (const int hold : {40, 8, 3}) {
      for (int sx = -1; sx <= 1; ++sx) {
        for (int sy = -1; sy <= 1; ++sy) {
          const long score = Try(p, sx, sy, hold);
          if (score > best) {
            best = score;
            bestX = sx;
            bestY = sy;
          }
        }
      }
    }
    if (p >= 2) {  // a joystick: pushed all the way, or centred
      const auto position = [](int want) { return want < 0 ? 0u : want > 0 ? 65535u : 32768u; };
      rig_.joystick.Move(p - 2, position(bestX), position(bestY));
      return;
    }
    Press(p == 0 ? kKeyLeft : kKeyA, p == 0 ? kKeyRight : kKeyD, s.inputX[p], bestX);
    Press(p == 0 ? kKeyUp : kKeyW, p == 0 ? kKeyDown : kKeyS, s.inputY[p], bestY);
  }

  static constexpr int kLookAhead = 40;

  // Steering (sx, sy) held for `hold` steps, then let go: how long the bird survives (times a
  // large weight), then how far it stays from crows and from the box's edges.
  long Try(int p, int sx, int sy, int hold) const {
    const GameState& s = rig_.s;
    int bx = s.birdX[p], by = s.birdY[p], vx = s.birdVX[p], vy = s.birdVY[p];
    Crow crows[kCrows + 64];
    int count = 0;
    std::size_t nextSpawn = 0;
    for (int c = 0; c < kCrows; ++c) {
      if (s.crowX[c] != kAbsent) {
        crows[count++] = {s.crowX[c], s.crowY[c], s.crowZ[c], s.crowSpeed[c], s.crowTarget[c]};
      }
    }
    long room = 0;
    for (int step = 1; step <= kLookAhead; ++step) {
      for (int c = 0; c < count; ++c) {  // the crows move first and see the bird's last place
        Crow& crow = crows[c];
        if (crow.x == kAbsent) continue;
        crow.z += crow.speed;
        if (crow.z < -300) {
          crow.x = kAbsent;
          continue;
        }
        if (crow.target >= 0) {
          const int tx = crow.target == p ? bx : s.birdX[crow.target];
          const int ty = crow.target == p ? by : s.birdY[crow.target];
          crow.x += crow.x < tx ? 1 : crow.x > tx ? -1 : 0;
          crow.y += crow.y < ty ? 1 : crow.y > ty ? -1 : 0;
        }
        if (std::abs(crow.x - bx) < 40 && std::abs(crow.y - by) < 30 && std::abs(crow.z) < 30) {
          return step * 100000L + room / step;
        }
        if (std::abs(crow.z) < 60)
          room += std::min(std::abs(crow.x - bx), 150) + std::min(std::abs(crow.y - by), 150);
      }
      // Crows spawned in this step have made their first move already.
      for (; nextSpawn < spawns_.size() && spawns_[nextSpawn].step == step && count < kCrows + 64;
           ++nextSpawn) {
        const Crow& crow = spawns_[nextSpawn].crow;
        crows[count++] = crow;
        if (std::abs(crow.x - bx) < 40 && std::abs(crow.y - by) < 30 && std::abs(crow.z) < 30) {
          return step * 100000L + room / step;
        }
      }
      const int ix = step <= hold ? sx : 0, iy = step <= hold ? sy : 0;
      if (ix == 0) vx -= (vx > 0) - (vx < 0);
      if (iy == 0) vy -= (vy > 0) - (vy < 0);
      if (ix == 1 && vx < 7) ++vx;
      if (ix == -1 && vx > -7) --vx;
      if (iy == 1 && vy > -7) --vy;  // steering down sinks
      if (iy == -1 && vy < 7) ++vy;
      bx = std::clamp(bx + vx, -200, 200);
      by = std::clamp(by + vy, 40, 240);
      room += std::min(200 - std::abs(bx), 60) + std::min(std::min(by - 40, 240 - by), 60);
    }
    return (kLookAhead + 1) * 100000L + room / kLookAhead;
  }

  // Makes the keys of one axis steer `want` (-1, 0 or 1), as a player's hands would.
  void Press(std::int16_t negativeKey, std::int16_t positiveKey, std::int16_t steering, int want) {
    if (want == steering) return;
    if (steering != 0) rig_.form.KeyUp(steering < 0 ? negativeKey : positiveKey, 0);
    if (want != 0) rig_.form.KeyDown(want < 0 ? negativeKey : positiveKey, 0);
  }

  HeadlessRig& rig_;
  HeadlessRig shadow_;
  std::vector<Spawn> spawns_;
};

TEST(Endurance, AGameLongerThanThe16BitCounterEndsNormallyWithSaturatedValues) {
  HeadlessRig rig;
  rig.window.RecordSurfaceOps(false);
  rig.sound.RecordCommands(false);
  Autopilot pilot(rig);
  rig.joystick.Attach(0);
  rig.joystick.Attach(1);
  rig.retained3d.log().onUpdate = [&] { pilot.SteerAll(); };
  // Everybody joins: S, and both sticks pushed down for a moment.
  rig.window.KeyDownAt(100, kKeyS);
  rig.window.KeyUpAt(110, kKeyS);
  rig.joystick.Move(0, 32768, 65535);
  rig.joystick.Move(1, 32768, 65535);
  rig.window.KeyDownAt(200, kKeyEnter);
  rig.window.KeyUpAt(210, kKeyEnter);
  constexpr std::int64_t kSteps = 33000;
  rig.window.KeyDownAt(240 + kSteps * kMillisecondsPerStep, kKeyEscape);
  rig.window.KeyDownAt(240 + kSteps * kMillisecondsPerStep + 1000, kKeyEscape);
  rig.window.SetIdleLimit(240 + kSteps * kMillisecondsPerStep + 5000);
  Window_Load(rig.form);

  const GameState& s = rig.s;
  EXPECT_GE(rig.retained3d.log().updates, kSteps);
  EXPECT_EQ(s.stepCount, 32767);
  ASSERT_FALSE(std::all_of(s.birdX.begin(), s.birdX.end(), [](int x) { return x == kAbsent; }))
      << "the autopilot lost every bird";
  for (int p = 0; p < kPlayers; ++p) {
    if (s.birdX[p] != kAbsent) {
      EXPECT_EQ(s.score[p], 32767);
      EXPECT_EQ(rig.window.captions()[p], NumberText(p + 1) + "PScore: 32767");
    }
  }
}

}  // namespace
}  // namespace skyrings::testing
