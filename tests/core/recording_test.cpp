// The real loop, recorded, against the headless runner: step for step the same trace. And the
// recorder, the replay and timedemo paces, and the step statistics on their own.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "input/keyboard.h"
#include "programs/script/recorder.h"
#include "programs/script/replay.h"
#include "programs/script/script.h"
#include "programs/script/script_player.h"
#include "programs/sim/runner.h"
#include "programs/step_timing.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "tests/core/headless_rig.h"

namespace skyrings::testing {
namespace {

using script::GameEnd;
using script::Script;
using script::StickPosition;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "skyrings_" + name;
}

Script ParsedOrDie(const std::string& text) {
  Script script;
  script::ScriptError error;
  EXPECT_TRUE(script::ParseScript(text, script, error)) << error.line << ": " << error.message;
  return script;
}

// Equal texts, or the first line where they differ.
::testing::AssertionResult SameLines(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  std::istringstream as(a), bs(b);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool moreA = static_cast<bool>(std::getline(as, la));
    const bool moreB = static_cast<bool>(std::getline(bs, lb));
    if (!moreA || !moreB || la != lb) {
      return ::testing::AssertionFailure() << "line " << line << ":\n  " << (moreA ? la : "(end)")
                                           << "\n  " << (moreB ? lb : "(end)");
    }
  }
}

std::string RunnerOutput(const Script& script, bool trace = true) {
  std::string output;
  sim::RunScript(script, trace, [&](const std::string& chunk) { output += chunk; });
  return output;
}

// Plays a script through the real loop (Window_Load on headless services) the way people would:
// keys as key events delivered between steps, sticks as stick positions, players 1 to 3 joining
// on the entry screen by S and by pushing their stick down, Enter to start a game and Escape to
// end one. Every step then reads the script's values. Traces each step as the runner does.
// The real game cannot leave a player out once joined, nor player 0 ever: the scripts respect it.
class ScriptDriver : public GameObserver {
 public:
  ScriptDriver(HeadlessRig& rig, const Script& script) : rig_(rig), script_(script) {
    rig_.sound.RecordCommands(false);
    for (int id = 0; id < 2; ++id) {
      rig_.joystick.Attach(id);
      rig_.joystick.Move(id, 32768, 32768);
    }
    rig_.retained3d.log().onUpdate = [this] { StepRendered(); };
    rig_.form.observers.push_back(this);
  }

  // Runs the program to its end; the output is what the runner prints for the same script.
  std::string Run() {
    PrepareEntry(0);
    rig_.window.SetIdleLimit(INT64_MAX / 2);
    Window_Load(rig_.form);
    std::string output;
    for (std::size_t g = 0; g < games_.size(); ++g) {
      const PlayedGame& game = games_[g];
      std::array<std::string, 4> captions = game.captionsAtEnd;
      const auto& log = rig_.window.captionLog();
      for (std::size_t k = game.captionLogAtEnd;
           k < log.size() && log[k].second.find("PScore:") != std::string::npos; ++k) {
        captions[log[k].first] = log[k].second;
      }
      output += game.trace + script::EndRecord(static_cast<int>(g + 1), game.end, game.stepCount,
                                               game.score, captions);
    }
    return output;
  }

  const std::vector<std::vector<int>>& joined() const { return joined_; }

 private:
  struct PlayedGame {
    std::string trace;
    GameEnd end = GameEnd::kEscape;
    std::int16_t stepCount = 0;
    PlayerValues score{};
    std::array<std::string, 4> captionsAtEnd;
    std::size_t captionLogAtEnd = 0;
  };

  std::int64_t Now() { return rig_.clock.Ticks(); }

  void GameStarted(const GameState& s) override {
    games_.emplace_back();
    std::vector<int> players;
    for (int p = 0; p < kPlayers; ++p) {
      if (s.birdX[p] != kAbsent) players.push_back(p);
    }
    joined_.push_back(players);
    rig_.window.KeyUpAt(Now(), kKeyEnter);
    step_ = 0;
    PrepareStep(0);
  }

  void StepRead(const GameState& /*state*/) override {
    ++step_;
    (void)rig_.sound.TakePlayed();  // joins, "ok" and the music come before the step
  }

  void StepRendered() {
    Trace();
    PrepareStep(step_);
  }

  void GameEnded(const GameState& s, bool gameOver) override {
    if (gameOver) Trace();  // the game-over step renders nothing
    PlayedGame& game = games_.back();
    game.end = gameOver ? GameEnd::kGameOver : GameEnd::kEscape;
    game.stepCount = s.stepCount;
    game.score = s.score;
    game.captionsAtEnd = rig_.window.captions();
    game.captionLogAtEnd = rig_.window.captionLog().size();
    // Hands off everything before the entry screen, where a held down would join a player.
    for (int p = 0; p < 2; ++p) {
      SetKey(s.inputX[p], 0, kLeftKeys[p], kRightKeys[p]);
      SetKey(s.inputY[p], 0, kUpKeys[p], kDownKeys[p]);
    }
    rig_.joystick.Move(0, 32768, 32768);
    rig_.joystick.Move(1, 32768, 32768);
    PrepareEntry(games_.size());
  }

  void Trace() {
    games_.back().trace += sim::TraceRecord(
        static_cast<int>(games_.size()), static_cast<long>(step_), rig_.s, rig_.sound.TakePlayed());
  }

  // The key events that take a steering value from `now` to `target`.
  void SetKey(std::int16_t now, std::int16_t target, std::int16_t lessKey, std::int16_t moreKey) {
    if (target == now) return;
    if (target < 0) rig_.window.KeyDownAt(Now(), lessKey);
    if (target > 0) rig_.window.KeyDownAt(Now(), moreKey);
    if (target == 0) rig_.window.KeyUpAt(Now(), now < 0 ? lessKey : moreKey);
  }

  // Before step `n` (from 0) of the current game: its values, or Escape where the game ends.
  void PrepareStep(std::size_t n) {
    const script::GameScript& game = script_.games[games_.size() - 1];
    if (n == game.escapeBeforeStep.value_or(game.steps.size())) {
      rig_.window.KeyDownAt(Now(), kKeyEscape);
      return;
    }
    const auto& v = game.steps[n].steering;
    const GameState& s = rig_.s;
    for (int p = 0; p < 2; ++p) {
      SetKey(s.inputX[p], v[2 * p], kLeftKeys[p], kRightKeys[p]);
      SetKey(s.inputY[p], v[2 * p + 1], kUpKeys[p], kDownKeys[p]);
    }
    rig_.joystick.Move(0, StickPosition(v[4]), StickPosition(v[5]));
    rig_.joystick.Move(1, StickPosition(v[6]), StickPosition(v[7]));
  }

  // On the entry screen before game `g`: its new players join, then Enter; after the last game,
  // Escape ends the program.
  void PrepareEntry(std::size_t g) {
    const std::int64_t t = Now();
    if (g == script_.games.size()) {
      rig_.window.KeyDownAt(t + 100, kKeyEscape);
      return;
    }
    for (const int p : script_.games[g].players) {
      if (p == 1) {
        rig_.window.KeyDownAt(t + 20, kKeyS);
        rig_.window.KeyUpAt(t + 70, kKeyS);
      } else if (p >= 2) {
        rig_.joystick.Move(p - 2, 32768, 65535);  // pushed down
      }
    }
    rig_.window.KeyDownAt(t + 140, kKeyEnter);
  }

  static constexpr std::int16_t kLeftKeys[2] = {kKeyLeft, kKeyA};
  static constexpr std::int16_t kRightKeys[2] = {kKeyRight, kKeyD};
  static constexpr std::int16_t kUpKeys[2] = {kKeyUp, kKeyW};
  static constexpr std::int16_t kDownKeys[2] = {kKeyDown, kKeyS};

  HeadlessRig& rig_;
  const Script& script_;
  std::vector<PlayedGame> games_;
  std::vector<std::vector<int>> joined_;
  std::size_t step_ = 0;
};

// Plays `text` through the real loop with a recorder attached; checks that the real loop, the
// runner on the recording and the runner on the script all give the same trace, and returns it.
std::string PlayRecordAndCompare(const std::string& name, const std::string& text) {
  const Script script = ParsedOrDie(text);
  const std::string path = TempPath(name + ".rec");
  std::string message;
  auto recorder = script::ScriptRecorder::Open(path, message);
  EXPECT_NE(recorder, nullptr) << message;
  if (!recorder) return "";

  auto rig = std::make_unique<HeadlessRig>();
  ScriptDriver driver(*rig, script);
  rig->form.observers.push_back(recorder.get());
  const std::string played = driver.Run();
  EXPECT_TRUE(recorder->Close(message)) << message;

  for (std::size_t g = 0; g < script.games.size() && g < driver.joined().size(); ++g)
    EXPECT_EQ(driver.joined()[g], script.games[g].players) << name << " game " << g + 1;

  Script recording;
  EXPECT_TRUE(script::LoadScript(path, recording, message)) << message;
  const std::string fromScript = RunnerOutput(script);
  EXPECT_TRUE(SameLines(played, fromScript)) << name << ": the real loop and the runner differ";
  EXPECT_TRUE(SameLines(RunnerOutput(recording), fromScript))
      << name << ": the recording plays differently";
  std::remove(path.c_str());
  return played;
}

std::string ReferenceScript(const std::string& name) {
  return ReadFile(std::string(SKYRINGS_REFERENCE_DIR) + "/" + name + ".txt");
}

TEST(Recording, TheRealLoopStepsAsTheRunnerOnTheReferenceScripts) {
  // One player to game over; two and four players steering, sticks included; Escape mid-game;
  // rings flown through with their sounds; a game past the 16-bit limits of score and step count.
  for (const char* name : {"idle1", "steer2", "four", "esc_mid", "rings1", "rings2", "long1"}) {
    const std::string text = ReferenceScript(name);
    ASSERT_FALSE(text.empty()) << name;
    const std::string trace = PlayRecordAndCompare(name, text);
    if (std::string(name).rfind("rings", 0) == 0) {
      EXPECT_NE(trace.find("\"sounds\":[\"ring\"]"), std::string::npos) << name;
    }
  }
}

TEST(Recording, SeveralGamesInOneRunShareOneRandomSequence) {
  // Game over; lines running out; Escape before the first step; players joining by stick on the
  // entry screen; four players until game over.
  std::string text = "game 0\n";
  for (int n = 0; n < 3000; ++n)
    text += "0 0 0 0 0 0 0 0\n";
  text += "game 0 1\n";
  for (int n = 0; n < 60; ++n)
    text += n % 20 < 10 ? "1 -1 -1 1 0 0 0 0\n" : "0 1 1 0 1 1 -1 -1\n";
  text += "game 0 1 3\nesc\ngame 0 1 2 3\n";
  for (int n = 0; n < 4000; ++n) {
    const int phase = n / 25 % 4;
    text += phase == 0   ? "1 0 -1 0 0 1 0 -1\n"
            : phase == 1 ? "0 1 0 -1 -1 0 1 0\n"
            : phase == 2 ? "-1 0 1 0 0 -1 0 1\n"
                         : "0 -1 0 1 1 0 -1 0\n";
  }
  const std::string trace = PlayRecordAndCompare("multi", text);
  EXPECT_NE(trace.find("{\"game\":1,\"end\":\"gameover\""), std::string::npos);
  EXPECT_NE(trace.find("{\"game\":2,\"end\":\"escape\",\"stepCount\":60,"), std::string::npos);
  EXPECT_NE(trace.find("{\"game\":3,\"end\":\"escape\",\"stepCount\":0,"), std::string::npos);
  EXPECT_NE(trace.find("{\"game\":4,\"end\":\"gameover\""), std::string::npos);
}

TEST(Recording, TheRecordingIsTheScriptOfTheRun) {
  const std::string text = "game 0 2\n1 0 0 0 0 1 0 0\n-1 1 0 0 1 -1 0 0\nesc\n";
  const std::string path = TempPath("exact.rec");
  std::string message;
  auto recorder = script::ScriptRecorder::Open(path, message);
  ASSERT_NE(recorder, nullptr) << message;
  auto rig = std::make_unique<HeadlessRig>();
  const Script script = ParsedOrDie(text);
  ScriptDriver driver(*rig, script);
  rig->form.observers.push_back(recorder.get());
  driver.Run();
  ASSERT_TRUE(recorder->Close(message)) << message;
  const std::string recorded = ReadFile(path);
  EXPECT_EQ(recorded.substr(recorded.find('\n') + 1), text);
  EXPECT_EQ(recorded[0], '#');
  std::remove(path.c_str());
}

TEST(Recording, AFileThatCannotBeWrittenIsRefusedOrReported) {
  std::string message;
  EXPECT_EQ(script::ScriptRecorder::Open("/nonexistent-folder/run.txt", message), nullptr);
  EXPECT_NE(message.find("/nonexistent-folder/run.txt: cannot write the recording"),
            std::string::npos)
      << message;

  // A full disk shows at the latest when the file is closed: the recording is not called good.
  auto full = script::ScriptRecorder::Open("/dev/full", message);
  ASSERT_NE(full, nullptr) << message;
  GameState s;
  s.birdX = {0, kAbsent, kAbsent, kAbsent};
  full->GameStarted(s);
  for (int n = 0; n < 20000; ++n)
    full->StepRead(s);
  full->GameEnded(s, false);
  message.clear();
  EXPECT_FALSE(full->Close(message));
  EXPECT_NE(message.find("could not be written"), std::string::npos) << message;
}

// A recording replayed at the game's pace: one step per 20 ms boundary, the results up between
// games, Escape from the player stopping it; the end records as the runner prints them.
TEST(Replay, KeepsTheGamesPaceAndStopsOnEscape) {
  const Script script = ParsedOrDie(
      "game 0 1\n1 0 0 1 0 0 0 0\n1 0 0 1 0 0 0 0\n1 0 0 1 0 0 0 0\nesc\ngame 0 3\n"
      "0 0 0 0 0 0 1 1\n");
  HeadlessRig rig;
  HeadlessJoystick& sticks = rig.joystick;
  script::AttachScriptSticks(sticks);
  rig.window.SetIdleLimit(60000);
  std::vector<std::int64_t> stepTicks;
  rig.retained3d.log().onUpdate = [&] { stepTicks.push_back(rig.clock.Ticks()); };
  script::ReplayPace pace(3000);
  std::string output;
  EXPECT_TRUE(script::PlayRecording(rig.form, sticks, script, pace,
                                    [&](const std::string& line) { output += line; }));
  EXPECT_EQ(output, RunnerOutput(script, false));
  ASSERT_EQ(stepTicks.size(), 4u);
  EXPECT_EQ(stepTicks[1] - stepTicks[0], 20);
  EXPECT_EQ(stepTicks[2] - stepTicks[1], 20);
  EXPECT_GE(stepTicks[3] - stepTicks[2], 3000);  // game 1's results stayed up
  EXPECT_GE(rig.clock.Ticks() - stepTicks[3], 3000);
  EXPECT_FALSE(rig.sound.IsPlaying("audiofilebgm"));  // the music stops between games

  // Escape from the keyboard stops the replay within a step; no further game is played.
  HeadlessRig stopped;
  script::AttachScriptSticks(stopped.joystick);
  stopped.window.KeyDownAt(100, kKeyEscape);
  stopped.window.SetIdleLimit(60000);
  int steps = 0;
  stopped.retained3d.log().onUpdate = [&] { ++steps; };
  output.clear();
  script::ReplayPace stoppedPace(3000);
  std::string longGame = "game 0\n";
  for (int n = 0; n < 500; ++n)
    longGame += "0 0 0 0 0 0 0 0\n";
  EXPECT_FALSE(script::PlayRecording(stopped.form, stopped.joystick,
                                     ParsedOrDie(longGame + "game 0\n"), stoppedPace,
                                     [&](const std::string& line) { output += line; }));
  EXPECT_LE(steps, 6);
  EXPECT_TRUE(output.empty());
}

TEST(Timedemo, RunsStepsBackToBackAndTimesEachOne) {
  const Script script = ParsedOrDie(ReferenceScript("esc_mid") + ReferenceScript("steer2"));
  HeadlessRig rig;
  script::AttachScriptSticks(rig.joystick);
  rig.window.SetIdleLimit(1);  // the timedemo never waits for the clock
  script::TimedemoPace pace;
  std::string output;
  EXPECT_TRUE(script::PlayRecording(rig.form, rig.joystick, script, pace,
                                    [&](const std::string& line) { output += line; }));
  EXPECT_EQ(output, RunnerOutput(script, false));
  EXPECT_EQ(pace.steps(), 40 + 565);  // steer2 ends by game over in its step 565
  EXPECT_EQ(rig.clock.Ticks(), 0);

  EXPECT_EQ(script::TimedemoReport({1.0, 2.0, 3.0, 2.0}),
            "timedemo: 4 steps in 0.008 s, 500.0 steps/s\n"
            "frame time: p50 2.00 ms, p99 3.00 ms, max 3.00 ms\n");
}

TEST(StepStats, CountsStepsSkippedByTheNoCatchUpRule) {
  ManualClock clock;
  StepStats stats(clock);
  GameState s;
  const auto t0 = std::chrono::steady_clock::time_point{};
  auto at = [&](double ms) {
    return t0 + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double, std::milli>(ms));
  };
  stats.GameStarted(s);
  stats.StepStarted(10, at(200));
  stats.StepStarted(11, at(220));
  stats.StepStarted(12, at(240));
  stats.StepStarted(15, at(300));  // the step before overran: 13 and 14 are skipped
  stats.StepStarted(16, at(320));
  stats.GameStarted(s);  // a new game: the time between games is no interval
  stats.StepStarted(500, at(10000));
  stats.StepStarted(501, at(10021));
  EXPECT_EQ(stats.stepsRun(), 7);
  EXPECT_EQ(stats.stepsSkipped(), 2);
  EXPECT_EQ(stats.intervalsMs().size(), 5u);
  const Percentiles p = PercentilesOf(stats.intervalsMs());
  EXPECT_NEAR(p.p50, 20.0, 1e-6);
  EXPECT_NEAR(p.max, 60.0, 1e-6);
  EXPECT_EQ(stats.Report().rfind("steps run: 7, skipped: 2\nstep interval: p50 20.00 ms, ", 0), 0u)
      << stats.Report();
}

TEST(StepStats, PercentilesAreNearestRank) {
  std::vector<double> values;
  for (int n = 100; n >= 1; --n)
    values.push_back(n);
  const Percentiles p = PercentilesOf(values);
  EXPECT_EQ(p.p50, 50);
  EXPECT_EQ(p.p99, 99);
  EXPECT_EQ(p.max, 100);
  EXPECT_EQ(PercentilesOf({7}).p99, 7);
  EXPECT_EQ(PercentilesOf({}).max, 0);
}

}  // namespace
}  // namespace skyrings::testing
