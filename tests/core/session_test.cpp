// Whole sessions through the real loops: start-up, entry screen, games, results and the end,
// driven by scripted key events and a clock that runs as the loops wait.

#include <gtest/gtest.h>

#include <algorithm>

#include "input/keyboard.h"
#include "programs/sim/runner.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "tests/core/headless_rig.h"

namespace skyrings::testing {
namespace {

using Captions = std::vector<std::pair<int, std::string>>;

bool IsPicture(const SurfaceOp& op, PixelRect frame) {
  return op.kind == SurfaceOp::kPicture && op.source == frame && op.target == kWholeWindow;
}

std::vector<std::string> Aliases(const std::vector<std::string>& commands, const char* verb) {
  std::vector<std::string> found;
  const std::string prefix = std::string(verb) + " audiofile";
  for (const std::string& c : commands) {
    if (c.rfind(prefix, 0) == 0)
      found.push_back(c.substr(prefix.size(), c.find(' ', prefix.size()) - prefix.size()));
  }
  return found;
}

TEST(Session, StartUpEntryScreenGamesResultsAndTheEnd) {
  HeadlessRig rig;
  rig.joystick.Attach(0);  // stick 1 absent: player 3 reads up-left, which never joins
  HeadlessWindow& w = rig.window;
  w.KeyDownAt(100, kKeyDown);  // player 0 is already in
  w.KeyDownAt(120, kKeyS);     // player 1 joins
  w.KeyUpAt(125, kKeyS);
  w.KeyUpAt(180, kKeyDown);
  w.KeyDownAt(300, kKeyEnter);
  w.KeyUpAt(330, kKeyEnter);
  w.KeyDownAt(1000, kKeyEscape);  // ends the first game before any crow can reach the birds
  w.KeyDownAt(3000, kKeyEnter);   // the second game runs until every bird is caught
  w.KeyUpAt(3010, kKeyEnter);
  w.KeyDownAt(30 * 60 * 1000, kKeyEscape);  // then Escape on the entry screen ends the program
  w.SetIdleLimit(30 * 60 * 1000 + 1000);

  Window_Load(rig.form);

  // Start-up: every sound opened from the program's folder, the title painted before any step.
  const std::vector<std::string>& commands = rig.sound.commands();
  ASSERT_GE(commands.size(), 15u);
  EXPECT_EQ(commands[2], "open /headless/skyrings/ok.wav alias audiofileok");
  EXPECT_EQ(commands[14], "open /headless/skyrings/bgm.mid alias audiofilebgm");
  EXPECT_TRUE(w.shown());
  ASSERT_FALSE(w.surfaceOps().empty());
  EXPECT_TRUE(IsPicture(w.surfaceOps().front(), kTitleFrame));
  EXPECT_EQ(w.surfaceOps().front().tick, 0);

  // Joining, the game's captions, the results, the second game's captions and results.
  const Captions& captions = w.captionLog();
  ASSERT_EQ(captions.size(), 1u + 4 + 2 + 4 + 2);
  EXPECT_EQ(captions[0], (std::pair<int, std::string>{1, " 2P ENTRY!"}));
  EXPECT_EQ(captions[1], (std::pair<int, std::string>{0, " 1P ENTRY!"}));
  EXPECT_EQ(captions[2], (std::pair<int, std::string>{1, " 2P ENTRY!"}));
  EXPECT_EQ(captions[3], (std::pair<int, std::string>{2, ""}));
  EXPECT_EQ(captions[4], (std::pair<int, std::string>{3, ""}));
  EXPECT_EQ(captions[5].first, 0);
  EXPECT_EQ(captions[5].second.rfind(" 1PScore: ", 0), 0u) << captions[5].second;
  EXPECT_EQ(captions[6].second.rfind(" 2PScore: ", 0), 0u) << captions[6].second;
  // No crow reaches the birds' plane within 57 steps of a game's start: both still fly.
  EXPECT_NE(captions[5].second, " 1PScore: 0");
  EXPECT_EQ(captions[5].second.substr(10), captions[6].second.substr(10));
  EXPECT_EQ(captions[7], (std::pair<int, std::string>{0, " 1P ENTRY!"}));
  EXPECT_EQ(captions[11].first, 0);
  EXPECT_EQ(captions[12].first, 1);
  EXPECT_EQ(w.captions()[0], captions[11].second);
  EXPECT_EQ(w.captions()[2], "");

  // Sounds: one "cur" for the join, "ok" and the music for each game, music stopped on the
  // entry screen (three times: start-up, after each game).
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "play audiofilecur from 0"), 1);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "play audiofileok from 0"), 2);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "play audiofilebgm from 0"), 2);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "stop audiofilebgm"), 1 + 3);
  EXPECT_GE(Aliases(commands, "play").size(), 4u + 2);  // at least two "out" in game 2

  // Pictures: the entry screen repaints the title every step; a game blacks out the window; the
  // first game ends with the title half, the second with the game-over half, after which
  // nothing is painted again.
  const std::vector<SurfaceOp>& ops = w.surfaceOps();
  const auto black1 = std::find_if(
      ops.begin(), ops.end(), [](const SurfaceOp& op) { return op.kind == SurfaceOp::kBlack; });
  ASSERT_NE(black1, ops.end());
  EXPECT_GE(std::count_if(ops.begin(), black1,
                          [](const SurfaceOp& op) { return IsPicture(op, kTitleFrame); }),
            10);
  const auto black2 = std::find_if(
      black1 + 1, ops.end(), [](const SurfaceOp& op) { return op.kind == SurfaceOp::kBlack; });
  ASSERT_NE(black2, ops.end());
  EXPECT_TRUE(IsPicture(*(black1 + 1), kTitleFrame));  // Escape ended the first game
  EXPECT_GE((black1 + 1)->tick, 1000);
  ASSERT_EQ(ops.end() - black2, 2);  // the game-over half, then nothing more
  EXPECT_TRUE(IsPicture(ops.back(), kGameOverFrame));
  EXPECT_FALSE(w.viewVisible());
  EXPECT_TRUE(std::all_of(rig.s.birdX.begin(), rig.s.birdX.end(),
                          [](std::int16_t x) { return x == kAbsent; }));
}

TEST(Session, PlayersThreeAndFourJoinByPushingTheirStickDown) {
  HeadlessRig rig;
  rig.joystick.Attach(0);
  rig.joystick.Attach(1);
  rig.joystick.Move(0, 32768, 65535);  // pushed down: player 3 joins
  rig.joystick.Move(1, 32768, 0);      // pushed up: player 4 does not
  rig.window.KeyDownAt(200, kKeyEnter);
  rig.window.KeyUpAt(230, kKeyEnter);
  rig.window.KeyDownAt(600, kKeyEscape);
  rig.window.KeyDownAt(800, kKeyEscape);
  rig.window.SetIdleLimit(2000);
  Window_Load(rig.form);

  const Captions& captions = rig.window.captionLog();
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions[0], (std::pair<int, std::string>{2, " 3P ENTRY!"}));
  EXPECT_EQ(std::count(rig.sound.commands().begin(), rig.sound.commands().end(),
                       "play audiofilecur from 0"),
            1);
  // The game had player 3's bird in play, steered down by the stick all the way.
  EXPECT_EQ(rig.window.captions()[2].rfind(" 3PScore: ", 0), 0u) << rig.window.captions()[2];
  EXPECT_EQ(rig.window.captions()[3], "");
  EXPECT_EQ(rig.s.birdY[2], 40);
}

TEST(Session, EnterHeldThroughAGameStartsTheNextAtOnceAndHeldEscapeEndsTheProgram) {
  HeadlessRig rig;
  rig.window.KeyDownAt(40, kKeyEnter);  // never released
  rig.window.KeyDownAt(1000, kKeyEscape);
  for (int t = 1010; t < 1200; t += 10)
    rig.window.KeyDownAt(t, kKeyEscape);  // auto-repeat
  rig.window.SetIdleLimit(5000);
  Window_Load(rig.form);
  // One game, ended by the first Escape; the repeats ended the entry screen at once, before any
  // second game could start from the held Enter.
  EXPECT_EQ(rig.retained3d.log().animationsLoaded, 4);
  EXPECT_EQ(rig.window.captions()[0].rfind(" 1PScore: ", 0), 0u);
}

TEST(Session, CloseRequestEndsTheProgramFromAGame) {
  HeadlessRig rig;
  rig.window.KeyDownAt(40, kKeyEnter);
  rig.window.KeyUpAt(60, kKeyEnter);
  rig.window.CloseAt(500);
  rig.window.SetIdleLimit(2000);
  Window_Load(rig.form);
  EXPECT_GE(rig.retained3d.log().updates, 20);
  EXPECT_LE(rig.clock.Ticks(), 520);
}

TEST(Session, StepsKeepTheirScheduleWithoutCatchingUp) {
  HeadlessRig rig;
  std::vector<std::int64_t> stepEnds;
  rig.retained3d.log().onUpdate = [&] {
    stepEnds.push_back(rig.clock.Ticks());
    if (stepEnds.size() == 3) rig.clock.Advance(30);  // the third step takes 30 ms
  };
  rig.window.KeyDownAt(40, kKeyEnter);
  rig.window.KeyUpAt(41, kKeyEnter);
  rig.window.KeyDownAt(300, kKeyEscape);
  rig.window.KeyDownAt(400, kKeyEscape);
  rig.window.SetIdleLimit(2000);
  Window_Load(rig.form);
  ASSERT_GE(stepEnds.size(), 6u);
  // The entry screen sees Enter at its step of tick 40 and the game begins: steps at every 20 ms
  // boundary. The third step began at 100 and ended at 130, in the step clock's unit 6, so the
  // next step waits for 140 and no step is run twice to catch up.
  EXPECT_EQ(stepEnds[0], 60);
  EXPECT_EQ(stepEnds[1], 80);
  EXPECT_EQ(stepEnds[2], 100);
  EXPECT_EQ(stepEnds[3], 140);
  EXPECT_EQ(stepEnds[4], 160);
}

TEST(Session, AFailingWindowOrThreeDCallStopsTheProgramWithItsMessage) {
  {
    HeadlessRig rig;
    rig.window.FailNext("PaintPicture");
    try {
      Window_Load(rig.form);
      FAIL() << "no run-time error";
    } catch (const RunTimeError& e) {
      EXPECT_STREQ(e.what(), "PaintPicture: the window refused");
    }
  }
  {
    HeadlessRig rig;
    rig.retained3d.log().checkFiles = true;  // no data files in the headless program folder
    rig.window.KeyDownAt(40, kKeyEnter);
    rig.window.SetIdleLimit(1000);
    try {
      Window_Load(rig.form);
      FAIL() << "no run-time error";
    } catch (const RunTimeError& e) {
      EXPECT_STREQ(e.what(), "LoadFromFile: /headless/skyrings/stage.x: no such file");
    }
  }
}

// The headless runner builds and steps games exactly as the real loop does.
TEST(Session, TheHeadlessRunnerMatchesTheRealLoop) {
  HeadlessRig rig;
  rig.window.KeyDownAt(40, kKeyEnter);
  rig.window.KeyUpAt(50, kKeyEnter);
  rig.window.KeyDownAt(70, kKeyRight);  // after the construction, before the first step at 80
  rig.window.KeyDownAt(3000, kKeyEscape);
  rig.window.KeyDownAt(3500, kKeyEscape);
  rig.window.SetIdleLimit(5000);
  Window_Load(rig.form);
  const GameState& s = rig.s;
  const bool gameOver = s.birdX[0] == kAbsent;
  const int steps = s.stepCount + (gameOver ? 1 : 0);  // the game-over step is not counted
  ASSERT_GT(steps, 100);

  script::Script script;
  script.games.push_back({{0}, std::vector<script::StepLine>(steps, script::StepLine{{1, 0}}), {}});
  std::string output;
  sim::RunScript(script, false, [&](const std::string& chunk) { output += chunk; });

  const std::string expected = std::string("{\"game\":1,\"end\":\"") +
                               (gameOver ? "gameover" : "escape") +
                               "\",\"stepCount\":" + std::to_string(s.stepCount) + ",\"score\":[" +
                               std::to_string(s.score[0]) + ",0,0,0],\"captions\":[\"" +
                               rig.window.captions()[0] + "\",\"\",\"\",\"\"]}\n";
  EXPECT_EQ(output, expected);
}

}  // namespace
}  // namespace skyrings::testing
