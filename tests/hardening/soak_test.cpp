// A long session through the real platform layers: a thousand games in a row in one process, with
// the real window (offscreen), the OpenGL 3D component, the mixer and the joystick port, and the
// game's own start-up and loops. A robot at the window presses Enter on the entry screen and
// Escape a few steps into every game, and a clock that moves on with every reading keeps the
// loops from waiting. Memory is sampled after every game from the twentieth on, and the straight
// line fitted through the samples must stay flat: a leak of a kilobyte a game fails it.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input/keyboard.h"
#include "platform/gl/gl_retained3d.h"
#include "platform/joystick/sdl_joystick_port.h"
#include "platform/mixer/mixer_sound_port.h"
#include "platform/sdl/sdl_window.h"
#include "shell/form1.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "tests/hardening/resident_memory.h"

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>
#include <link.h>
#endif

namespace skyrings {
namespace {

#if defined(__SANITIZE_ADDRESS__)
// Under the sanitizers the session is shorter; what matters there is the leak check at exit.
constexpr int kGames = 30;
#else
constexpr int kGames = 1000;
#endif
constexpr int kStepsPerGame = 5;
// The first games fill the libraries' caches (shader variants, glyphs, the allocator's pools).
constexpr int kFirstMeasuredGame = 20;
// Growth allowed per game, in bytes, of what the heap has handed out and of resident memory. With
// no leak both trends stay under about 130 bytes a game (caches that fill slowly, and pages that
// come and go); a kilobyte lost every game shows as about 1090 on the heap (the block and its
// header) and 800 resident (part of it lands in pages that were already resident).
constexpr double kAllowedHeapGrowthPerGame = 512;
constexpr double kAllowedResidentGrowthPerGame = 512;
// A loop pass count no sane game reaches: the robot gives up and closes the window.
constexpr long kPassesPerGameLimit = 100000;

// Every reading is one step later than the last: each loop pass finds its step due at once.
class FastClock : public TickClock {
 public:
  std::int64_t Ticks() override {
    now_ += kMillisecondsPerStep;
    return now_;
  }

 private:
  std::int64_t now_ = 0;
};

// The real window with a player's hands on the keys: Enter on the entry screen, Escape once a
// game has run a few steps, and Escape on the entry screen after the last game.
class Robot final : public Window {
 public:
  Robot(Window& real, int games) : real_(real), games_(games) {}

  void Watch(const GameState& state) { state_ = &state; }
  // Called with the game's number (from 1) each time a game has ended and shown its results.
  std::function<void(int)> onGameEnded;

  int gamesStarted() const { return gamesStarted_; }
  int gamesEnded() const { return gamesEnded_; }
  int shortestGame() const { return shortestGame_; }
  bool gaveUp() const { return gaveUp_; }

  Status Show() override { return real_.Show(); }
  Status Move(int left, int top) override { return real_.Move(left, top); }
  Status PaintPicture(PixelRect source, PixelRect target) override {
    return real_.PaintPicture(source, target);
  }
  Status FillBlack(PixelRect target) override { return real_.FillBlack(target); }
  Status GetCaption(int index, std::string& caption) override {
    return real_.GetCaption(index, caption);
  }
  Status SetCaption(int index, const std::string& caption) override {
    return real_.SetCaption(index, caption);
  }
  ViewTarget* ViewWindow() override { return real_.ViewWindow(); }
  std::string ProgramDirectory() override { return real_.ProgramDirectory(); }

  // The scene is shown when a game starts and hidden when its results are shown.
  Status ShowView(bool visible) override {
    if (visible && !inGame_) {
      inGame_ = true;
      escapeSent_ = false;
      passes_ = 0;
      ++gamesStarted_;
    } else if (!visible && inGame_) {
      inGame_ = false;
      ++gamesEnded_;
      if (state_ != nullptr && state_->stepCount < shortestGame_) shortestGame_ = state_->stepCount;
      if (onGameEnded) onGameEnded(gamesEnded_);
    }
    return real_.ShowView(visible);
  }

  Status DoEvents(WindowEvents& events, std::int64_t waitUntilTick) override {
    Status handed = real_.DoEvents(events, waitUntilTick);
    if (!handed) return handed;
    if (++passes_ > kPassesPerGameLimit) {
      gaveUp_ = true;
      events.CloseRequested();
      return handed;
    }
    if (inGame_) {
      if (enterHeld_) {
        events.KeyUp(kKeyEnter, 0);
        enterHeld_ = false;
      }
      if (!escapeSent_ && state_ != nullptr && state_->stepCount >= kStepsPerGame) {
        events.KeyDown(kKeyEscape, 0);
        events.KeyUp(kKeyEscape, 0);
        escapeSent_ = true;
      }
    } else if (gamesEnded_ >= games_) {
      events.KeyDown(kKeyEscape, 0);
      events.KeyUp(kKeyEscape, 0);
    } else if (!enterHeld_) {
      events.KeyDown(kKeyEnter, 0);
      enterHeld_ = true;
      passes_ = 0;
    }
    return handed;
  }

 private:
  Window& real_;
  const GameState* state_ = nullptr;
  int games_;
  bool inGame_ = false;
  bool enterHeld_ = false;
  bool escapeSent_ = false;
  bool gaveUp_ = false;
  long passes_ = 0;
  int gamesStarted_ = 0;
  int gamesEnded_ = 0;
  int shortestGame_ = 1 << 30;
};

#if defined(__SANITIZE_ADDRESS__)
// The drivers SDL and Mesa load for the session are unloaded when the window and the mixer go;
// the leak checker can then no longer tell whose their one-time allocations were, and the
// suppressions that name those libraries would not match. Keeping every library loaded until the
// process ends lets them.
void KeepLoadedLibrariesToTheEnd() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void*) {
        if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
          (void)dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        }
        return 0;
      },
      nullptr);
}
#endif

TEST(Soak, AThousandGamesThroughTheRealLayersKeepMemoryFlat) {
  // Standalone runs get the same drivers as the test run (which sets these itself).
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  setenv("SDL_AUDIODRIVER", "disk", 0);
  setenv("SDL_DISKAUDIOFILE", "/dev/null", 0);

  FastClock clock;
  std::unique_ptr<SdlWindow> window;
  SdlWindowOptions options;
  options.programDirectory = SKYRINGS_DATA_DIR;
  options.fullScreen = false;
  options.allowOffscreen = true;
  const Status made = SdlWindow::Create(clock, options, window);
  ASSERT_TRUE(made) << made.error();

  Robot robot(*window, kGames);
  GlRetained3D retained3d;
  MixerSoundPort sound;
  ASSERT_TRUE(sound.HasDevice()) << sound.LastError();
  SdlJoystickPort joysticks;
  // The form holds the 3D objects, which need the window: it goes first.
  auto form = std::make_unique<Form1>(Platform{robot, retained3d, sound, joysticks, clock});
  robot.Watch(form->state);

  std::vector<double> games, heapBytes, residentBytes;
  robot.onGameEnded = [&](int game) {
    if (game < kFirstMeasuredGame) return;
    // The software renderer holds the frames it has not finished drawing, a few megabytes that
    // come and go with the machine's timing: let it finish before memory is read.
    if (window->MakeContextCurrent()) glFinish();
    games.push_back(game);
    residentBytes.push_back(1024.0 * static_cast<double>(testing::ResidentKb()));
    heapBytes.push_back(testing::HeapInUseBytes());
  };

  const auto started = std::chrono::steady_clock::now();
  try {
    Window_Load(*form);
  } catch (const RunTimeError& e) {
    FAIL() << "run-time error after " << robot.gamesEnded() << " games: " << e.what();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  EXPECT_FALSE(robot.gaveUp()) << "a game or the entry screen never ended";
  EXPECT_EQ(robot.gamesStarted(), kGames);
  EXPECT_EQ(robot.gamesEnded(), kGames);
  EXPECT_GE(robot.shortestGame(), kStepsPerGame) << "a game ended before its steps were played";
  // The last game's results are on the window: player 1's score.
  std::string caption;
  ASSERT_TRUE(window->GetCaption(0, caption));
  EXPECT_EQ(caption, ResultsCaption(0, form->state.score[0]));

  const testing::Trend heap = testing::FitTrend(games, heapBytes);
  const testing::Trend resident = testing::FitTrend(games, residentBytes);
  std::printf(
      "soak: %d games in %.1f s (%.1f ms a game); from game %d on, over %zu samples: heap in use "
      "%+.1f bytes a game (%.1f MB at first, spread %.0f bytes), resident %+.1f bytes a game "
      "(%.1f MB at first, spread %.0f bytes)\n",
      kGames, seconds, 1000.0 * seconds / kGames, kFirstMeasuredGame, heap.samples, heap.slope,
      heapBytes.empty() ? 0.0 : heapBytes.front() / 1e6, heap.spread, resident.slope,
      residentBytes.empty() ? 0.0 : residentBytes.front() / 1e6, resident.spread);
  RecordProperty("seconds", std::to_string(seconds));
  RecordProperty("heapBytesPerGame", std::to_string(heap.slope));
  RecordProperty("residentBytesPerGame", std::to_string(resident.slope));
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers keep freed memory aside on purpose: only the leak check at exit counts here.
  KeepLoadedLibrariesToTheEnd();
#else
  ASSERT_EQ(heap.samples, static_cast<std::size_t>(kGames - kFirstMeasuredGame + 1));
  ASSERT_GT(residentBytes.front(), 0);
  EXPECT_LT(heap.slope, kAllowedHeapGrowthPerGame)
      << "the heap grows by " << heap.slope << " bytes a game";
  EXPECT_LT(resident.slope, kAllowedResidentGrowthPerGame)
      << "resident memory grows by " << resident.slope << " bytes a game";
#endif
  form.reset();
}

}  // namespace
}  // namespace skyrings
