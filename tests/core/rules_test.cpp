// The rules of one step: birds, ring, crows, ground, the end test and the long-game limits.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "game/birds.h"
#include "game/crows.h"
#include "game/end_test.h"
#include "game/game_loop.h"
#include "game/ground.h"
#include "game/ring.h"
#include "render/scene.h"
#include "tests/core/headless_rig.h"

namespace skyrings::testing {
namespace {

class Rules : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int p = 1; p < 4; ++p)
      Check(rig.window.SetCaption(p, "joined"));
    StartGame(rig);
  }
  // Crows and ring out of the way, so a bird test sees only the birds.
  void ClearSky() {
    rig.s.crowX.fill(kAbsent);
    rig.s.ringX = kAbsent;
  }
  std::vector<std::string> Played() {
    std::vector<std::string> names;
    for (const std::string& alias : rig.sound.TakePlayed())
      names.push_back(alias.substr(9));
    return names;
  }
  HeadlessRig rig;
  GameState& s = rig.s;
};

TEST_F(Rules, BirdAcceleratesOneUnitAStepUpToSevenAndDecaysWhenLetGo) {
  s.inputX[0] = 1;
  std::vector<int> travelled;
  for (int step = 0; step < 8; ++step) {
    Move_Birds(rig.form);
    travelled.push_back(s.birdX[0]);
  }
  EXPECT_EQ(travelled, (std::vector<int>{1, 3, 6, 10, 15, 21, 28, 35}));
  EXPECT_EQ(s.birdVX[0], 7);

  // Full speed one way to full speed the other: through 0 after 7 steps, -7 after 14.
  s.inputX[0] = -1;
  for (int step = 0; step < 7; ++step)
    Move_Birds(rig.form);
  EXPECT_EQ(s.birdVX[0], 0);
  for (int step = 0; step < 7; ++step)
    Move_Birds(rig.form);
  EXPECT_EQ(s.birdVX[0], -7);
  s.inputX[0] = 0;
  for (int step = 0; step < 7; ++step)
    Move_Birds(rig.form);
  EXPECT_EQ(s.birdVX[0], 0);

  // Steering down sinks the bird, up makes it climb.
  s.inputY[1] = 1;
  Move_Birds(rig.form);
  EXPECT_EQ(s.birdVY[1], -1);
  EXPECT_EQ(s.birdY[1], 99);
  s.inputY[1] = -1;
  Move_Birds(rig.form);
  Move_Birds(rig.form);
  EXPECT_EQ(s.birdVY[1], 1);
  EXPECT_EQ(s.birdY[1], 100);
}

TEST_F(Rules, BirdAgainstTheBoxKeepsItsSpeedWhileItDecays) {
  s.birdX[0] = 200;
  s.birdVX[0] = 7;
  for (int step = 1; step <= 7; ++step) {
    Move_Birds(rig.form);
    EXPECT_EQ(s.birdX[0], 200);
    EXPECT_EQ(s.birdVX[0], 7 - step);
  }
  s.birdY[2] = 40;
  s.birdVY[2] = -7;
  for (int step = 1; step <= 7; ++step) {
    Move_Birds(rig.form);
    EXPECT_EQ(s.birdY[2], 40);
  }
  EXPECT_EQ(s.birdVY[2], 0);
  s.birdX[3] = -199;
  s.birdVX[3] = -7;
  s.birdY[3] = 239;
  s.birdVY[3] = 7;
  Move_Birds(rig.form);
  EXPECT_EQ(s.birdX[3], -200);
  EXPECT_EQ(s.birdY[3], 240);
}

TEST_F(Rules, BirdScoresAndFlapsEachStepInPlayAndIsPlacedEvenWhenOut) {
  s.birdX[1] = kAbsent;
  s.birdY[1] = 77;
  s.score[1] = 12;
  std::vector<float> times;
  for (int step = 0; step < 21; ++step) {
    Move_Birds(rig.form);
    times.push_back(static_cast<const HeadlessAnimationSet&>(*s.birdAnims[0]).time());
  }
  EXPECT_EQ(times.front(), 1.0f);
  EXPECT_EQ(times[18], 19.0f);
  EXPECT_EQ(times[19], 0.0f);
  EXPECT_EQ(times[20], 1.0f);
  EXPECT_EQ(s.score[0], 21);
  EXPECT_EQ(s.score[1], 12);  // out of play: nothing changes
  EXPECT_EQ(s.flapCount[1], 0);
  EXPECT_EQ(Headless(s.birdFrames[1]).position(), (Vector3{-5000, 77, 0}));
  EXPECT_EQ(Headless(s.birdFrames[0]).position(), (Vector3{0, 50, 0}));
}

TEST_F(Rules, RingComesFromFarAwayFiveUnitsAStepAndIsLostPastMinus300) {
  Move_Ring(rig.form);
  EXPECT_GE(s.ringX, -200);
  EXPECT_LE(s.ringX, 199);
  EXPECT_GE(s.ringY, 40);
  EXPECT_LE(s.ringY, 239);
  EXPECT_EQ(s.ringZ, 1495);
  s.birdX.fill(kAbsent);  // nobody to fly through it
  for (int step = 2; step <= 360; ++step)
    Move_Ring(rig.form);
  EXPECT_EQ(s.ringZ, -300);
  EXPECT_NE(s.ringX, kAbsent);
  Move_Ring(rig.form);  // its 361st step
  EXPECT_EQ(s.ringX, kAbsent);
  EXPECT_EQ(Headless(s.ringFrame).position().x, -5000.0f);
  Move_Ring(rig.form);  // the next ring is placed in the following step
  EXPECT_EQ(s.ringZ, 1495);
  EXPECT_NE(s.ringX, kAbsent);
}

TEST_F(Rules, RingOpeningIsAStrictSquareAndOnlyDepthsFiveToMinusFiveCount) {
  ClearSky();
  Move_Ring(rig.form);
  s.ringX = 0;
  s.ringY = 140;
  s.ringZ = 15;  // after the next move: 10, outside the depth window
  s.birdX = {49, -49, 50, kAbsent};
  s.birdY = {140, 189, 140, 140};
  Move_Ring(rig.form);
  EXPECT_EQ(s.ringZ, 10);
  EXPECT_EQ(s.score, (PlayerValues{0, 0, 0, 0}));

  Move_Ring(rig.form);  // depth 5: birds 0 and 1 inside, bird 2 exactly 50 off, bird 3 out
  EXPECT_EQ(s.score, (PlayerValues{1000, 1000, 0, 0}));
  EXPECT_EQ(Played(), (std::vector<std::string>{"ring", "ring"}));
  EXPECT_EQ(s.ringX, kAbsent);  // taken away at once: one score per ring and bird
}

TEST_F(Rules, BirdEnteringTheOpeningAtDepthZeroScoresThen) {
  ClearSky();
  Move_Ring(rig.form);
  s.ringX = 100;
  s.ringY = 100;
  s.ringZ = 10;
  s.birdX = {100, kAbsent, kAbsent, kAbsent};
  s.birdY = {150, 0, 0, 0};  // 50 above: outside at depth 5
  Move_Ring(rig.form);
  EXPECT_EQ(s.score[0], 0);
  s.birdY[0] = 149;
  Move_Ring(rig.form);  // depth 0
  EXPECT_EQ(s.score[0], 1000);
  EXPECT_EQ(s.ringX, kAbsent);
}

TEST_F(Rules, CrowCatchWindowIsStrictOnEveryAxis) {
  // A crow at (0, 100) placed so that its move brings it to depth `depth`.
  auto catches = [&](int bx, int by, int depth) {
    s.birdX = {static_cast<std::int16_t>(bx), kAbsent, kAbsent, kAbsent};
    s.birdY = {static_cast<std::int16_t>(by), 0, 0, 0};
    s.crowX.fill(kAbsent);
    s.crowX[10] = 0;
    s.crowY[10] = 100;
    s.crowZ[10] = static_cast<std::int16_t>(depth + 20);
    s.crowSpeed[10] = -20;
    s.crowTarget[10] = -1;
    Move_Crows(rig.form);
    return s.birdX[0] == kAbsent;
  };
  EXPECT_TRUE(catches(39, 129, 29));
  EXPECT_TRUE(catches(-39, 71, -29));
  EXPECT_FALSE(catches(40, 100, 0));
  EXPECT_FALSE(catches(-40, 100, 0));
  EXPECT_FALSE(catches(0, 130, 0));
  EXPECT_FALSE(catches(0, 70, 0));
  EXPECT_FALSE(catches(0, 100, 30));
  EXPECT_FALSE(catches(0, 100, -30));
}

TEST_F(Rules, TheLowerCrowCatchesFirstAndOneCrowCanCatchTwoBirds) {
  ClearSky();
  s.birdX = {0, 10, kAbsent, kAbsent};
  s.birdY = {100, 100, 0, 0};
  for (const int c : {8, 9}) {
    s.crowX[c] = 5;
    s.crowY[c] = 100;
    s.crowZ[c] = 15;
    s.crowSpeed[c] = -15;
    s.crowTarget[c] = -1;
  }
  (void)Played();
  Move_Crows(rig.form);
  EXPECT_EQ(s.birdX[0], kAbsent);
  EXPECT_EQ(s.birdX[1], kAbsent);
  // One "out" per caught bird, both from crow 8; crow 9 found nobody left.
  EXPECT_EQ(Played(), (std::vector<std::string>{"out", "out"}));
  EXPECT_EQ(s.crowX[8], 5);  // the crow flies on
  EXPECT_TRUE(All_Birds_Out(s));
}

TEST_F(Rules, CrowIsFreedOnlyBelowMinus300AndHomesOnItsTarget) {
  ClearSky();
  s.crowX[0] = 0;
  s.crowY[0] = 100;
  s.crowZ[0] = -280;
  s.crowSpeed[0] = -20;
  s.crowTarget[0] = 2;
  s.birdX[2] = 100;
  s.birdY[2] = 200;
  Move_Crows(rig.form);
  EXPECT_EQ(s.crowZ[0], -300);
  EXPECT_EQ(s.crowX[0], 1);  // homing: one unit per axis
  EXPECT_EQ(s.crowY[0], 101);
  Move_Crows(rig.form);
  EXPECT_EQ(s.crowX[0], kAbsent);
  EXPECT_EQ(Headless(s.crowFrames[0]).position(), (Vector3{-5000, 101, -320}));

  // A crow whose target was caught homes on x = -5000 and the bird's last height.
  s.crowX[1] = 50;
  s.crowY[1] = 200;
  s.crowZ[1] = 1000;
  s.crowSpeed[1] = -15;
  s.crowTarget[1] = 3;
  s.birdX[3] = kAbsent;
  s.birdY[3] = 150;
  Move_Crows(rig.form);
  EXPECT_EQ(s.crowX[1], 49);
  EXPECT_EQ(s.crowY[1], 199);
}

TEST_F(Rules, CrowsSpawnAtDepth1400AndFlyInTheSameStep) {
  ClearSky();
  s.stepCount = 400;  // two hundreds: speed magnitude 17 to 26
  bool spawned = false;
  for (int step = 0; step < 200 && !spawned; ++step) {
    const CrowValues before = s.crowX;
    Move_Crows(rig.form);
    for (int c = 0; c < kCrows; ++c) {
      if (before[c] != kAbsent || s.crowX[c] == kAbsent) continue;
      spawned = true;
      EXPECT_GE(s.crowSpeed[c], -26);
      EXPECT_LE(s.crowSpeed[c], -17);
      EXPECT_EQ(s.crowZ[c], 1400 + s.crowSpeed[c]);
      EXPECT_GE(s.crowY[c], 30 - 1);
      EXPECT_LE(s.crowY[c], 309 + 1);
      EXPECT_TRUE(s.crowTarget[c] >= -1 && s.crowTarget[c] <= 3);
    }
  }
  EXPECT_TRUE(spawned);
}

// Spawns seen over many steps with every slot freed before each step, so each slot of each step
// is one spawn test. Birds in play are kept far from the crows' path (no catches).
struct SpawnCounts {
  long tests = 0;
  long spawns = 0;
  int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000, minSpeed = 0, maxSpeed = -1000;
  std::array<long, 5> targets{};  // -1, 0, 1, 2, 3
};

SpawnCounts CountSpawns(HeadlessRig& rig, int steps) {
  GameState& s = rig.s;
  SpawnCounts counts;
  for (int step = 0; step < steps; ++step) {
    s.crowX.fill(kAbsent);
    Move_Crows(rig.form);
    for (int c = 0; c < kCrows; ++c) {
      ++counts.tests;
      if (s.crowX[c] == kAbsent) continue;
      ++counts.spawns;
      ++counts.targets[s.crowTarget[c] + 1];
      if (s.crowTarget[c] != -1) continue;  // a homing crow has already moved a unit
      counts.minX = std::min<int>(counts.minX, s.crowX[c]);
      counts.maxX = std::max<int>(counts.maxX, s.crowX[c]);
      counts.minY = std::min<int>(counts.minY, s.crowY[c]);
      counts.maxY = std::max<int>(counts.maxY, s.crowY[c]);
      counts.minSpeed = std::min<int>(counts.minSpeed, s.crowSpeed[c]);
      counts.maxSpeed = std::max<int>(counts.maxSpeed, s.crowSpeed[c]);
      EXPECT_EQ(s.crowZ[c], 1400 + s.crowSpeed[c]);
    }
  }
  return counts;
}

TEST_F(Rules, AFreeSlotSpawnsOneStepInTwentyFiveAnywhereInTheSpawnBox) {
  ClearSky();
  s.birdX.fill(kAbsent);  // nobody to home on: every crow stays where it was spawned
  const SpawnCounts counts = CountSpawns(rig, 20000);
  // 220,000 tests at 1 in 25: 8800 spawns, one standard deviation 92.
  EXPECT_NEAR(static_cast<double>(counts.spawns) / static_cast<double>(counts.tests), 1.0 / 25,
              0.0015);
  EXPECT_EQ(counts.minX, -225);
  EXPECT_EQ(counts.maxX, 224);
  EXPECT_EQ(counts.minY, 30);
  EXPECT_EQ(counts.maxY, 309);
  EXPECT_EQ(counts.minSpeed, -24);
  EXPECT_EQ(counts.maxSpeed, -15);
  EXPECT_EQ(counts.targets[0], counts.spawns);

  // Every 200 counted steps add one to the speed's magnitude.
  s.stepCount = 1000;
  const SpawnCounts later = CountSpawns(rig, 5000);
  EXPECT_EQ(later.minSpeed, -29);
  EXPECT_EQ(later.maxSpeed, -20);
}

TEST_F(Rules, HalfTheCrowsDrawAPlayerAndHomeOnlyIfThatBirdIsInPlay) {
  ClearSky();
  s.birdX = {-150, kAbsent, 150, kAbsent};  // players 0 and 2 in play
  s.birdY = {300, 100, 300, 100};
  const SpawnCounts counts = CountSpawns(rig, 20000);
  ASSERT_GT(counts.spawns, 8000);
  auto share = [&](int target) {
    return static_cast<double>(counts.targets[target + 1]) / static_cast<double>(counts.spawns);
  };
  // A draw among four players, kept one time in two: 1/8 each for the two in play.
  EXPECT_NEAR(share(0), 1.0 / 8, 0.012);
  EXPECT_NEAR(share(2), 1.0 / 8, 0.012);
  EXPECT_EQ(counts.targets[1 + 1], 0);
  EXPECT_EQ(counts.targets[3 + 1], 0);
  EXPECT_NEAR(share(-1), 3.0 / 4, 0.015);
}

TEST_F(Rules, GroundSlidesTenAStepAndWrapsWithANewTurnEverySeventySteps) {
  Move_Ground(rig.form);
  EXPECT_EQ(s.groundZ, (std::array<std::int16_t, 3>{-10, 690, 1390}));
  for (int step = 2; step < 70; ++step)
    Move_Ground(rig.form);
  EXPECT_EQ(s.groundZ[0], -690);
  // Step 70: tile 0 reaches -700 and goes to 1400 in the same step, with one draw.
  Random copy = rig.form.random;
  const int expectedTurn = copy.Pick(4);
  Move_Ground(rig.form);
  EXPECT_EQ(s.groundZ, (std::array<std::int16_t, 3>{1400, 0, 700}));
  const TileTurn turn = kTileTurns[expectedTurn];
  EXPECT_EQ(Headless(s.groundFrames[0]).direction(), (Vector3{turn.dx, turn.dy, turn.dz}));
  EXPECT_EQ(Headless(s.groundFrames[0]).position(), (Vector3{0, -100, 1400}));
  // No further draw until tile 1 wraps 70 steps later.
  Random after = rig.form.random;
  for (int step = 0; step < 69; ++step)
    Move_Ground(rig.form);
  EXPECT_EQ(rig.form.random.Next(), after.Next());
}

TEST_F(Rules, ScoreAndStepCountStopAtTheLargest16BitValue) {
  ClearSky();
  s.score[0] = 32767;
  s.score[1] = 32000;
  Move_Birds(rig.form);
  EXPECT_EQ(s.score[0], 32767);
  EXPECT_EQ(s.score[1], 32001);
  Move_Ring(rig.form);
  s.ringX = s.birdX[1];
  s.ringY = s.birdY[1];
  s.ringZ = 5;
  Move_Ring(rig.form);
  EXPECT_EQ(s.score[1], 32767);

  s.stepCount = 32767;
  ClearSky();
  EXPECT_EQ(Game_Step(rig.form), StepOutcome::kGoOn);
  EXPECT_EQ(s.stepCount, 32767);
}

}  // namespace
}  // namespace skyrings::testing
