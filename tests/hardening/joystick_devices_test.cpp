// The game's joystick reading over the real SDL joystick port when sticks are missing or go away:
// no stick at all at start-up, and a stick pulled out in the middle of a game and plugged back in.
// The window, 3D component and sound are headless; the sticks are SDL's virtual joysticks.

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "game/game_loop.h"
#include "input/get_controller.h"
#include "input/keyboard.h"
#include "platform/headless/headless_3d.h"
#include "platform/headless/headless_clock.h"
#include "platform/headless/headless_sound.h"
#include "platform/headless/headless_window.h"
#include "platform/joystick/sdl_joystick_port.h"
#include "render/scene.h"
#include "shell/form1.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace skyrings {
namespace {

// Sticks 0 and 1 steer players 2 and 3 (counting from 0).
constexpr int kFirstStickPlayer = 2;

class JoystickDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is attached";
  }
  void TearDown() override {
    Unplug();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }

  // Plugs in a virtual stick with two axes, centred.
  void PlugIn() {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    stick_ = SDL_JoystickOpen(index);
    ASSERT_NE(stick_, nullptr) << SDL_GetError();
  }
  void Unplug() {
    if (stick_ == nullptr) return;
    const SDL_JoystickID instance = SDL_JoystickInstanceID(stick_);
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
      if (SDL_JoystickGetDeviceInstanceID(index) == instance) {
        EXPECT_EQ(SDL_JoystickDetachVirtual(index), 0) << SDL_GetError();
      }
    }
    SDL_JoystickClose(stick_);
    stick_ = nullptr;
  }
  void Push(Sint16 x, Sint16 y) {
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick_, 0, x), 0) << SDL_GetError();
    ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick_, 1, y), 0) << SDL_GetError();
  }

  ManualClock clock_;
  HeadlessWindow window_{&clock_};
  HeadlessRetained3D retained3d_;
  HeadlessSound sound_;
  SDL_Joystick* stick_ = nullptr;
};

TEST_F(JoystickDevicesTest, WithoutSticksStartUpGoesOnAndTheirPlayersReadCentred) {
  SdlJoystickPort port;
  ASSERT_EQ(port.AttachedCount(), 0);
  Form1 form(Platform{window_, retained3d_, sound_, port, clock_});
  // What the sticks' players read in every step of a game.
  std::vector<std::array<std::int16_t, 4>> reads;
  retained3d_.log().onUpdate = [&] {
    const GameState& s = form.state;
    reads.push_back({s.inputX[2], s.inputY[2], s.inputX[3], s.inputY[3]});
  };
  window_.KeyDownAt(500, kKeyEnter);
  window_.KeyUpAt(520, kKeyEnter);
  window_.KeyDownAt(1500, kKeyEscape);
  window_.KeyDownAt(2000, kKeyEscape);
  window_.SetIdleLimit(5000);

  EXPECT_NO_THROW(Window_Load(form));

  EXPECT_EQ(form.controller.joyId, 1) << "the last stick polled";
  ASSERT_GT(reads.size(), 20u) << "the game ran no steps";
  for (const auto& read : reads) {
    EXPECT_EQ(read, (std::array<std::int16_t, 4>{0, 0, 0, 0}));
  }
  // Nobody joined by a phantom push down on the entry screen.
  EXPECT_EQ(window_.captions()[2], "");
  EXPECT_EQ(window_.captions()[3], "");
}

TEST_F(JoystickDevicesTest, AStickPulledOutMidGameReadsAsAbsentAndSteersAgainWhenBack) {
  PlugIn();
  Push(SDL_JOYSTICK_AXIS_MAX, 0);
  SdlJoystickPort port;
  Form1 form(Platform{window_, retained3d_, sound_, port, clock_});
  GameState& s = form.state;
  const int p = kFirstStickPlayer;

  // Start-up and a game that player 2 (the first stick's) has joined.
  Init_Joystick(form.controller, kDeadZone);
  ASSERT_EQ(form.controller.joyId, 0);
  ASSERT_TRUE(window_.SetCaption(p, EntryCaption(p)));
  Create_Display(form);
  Open_Sounds(form);
  Build_Scene(form);
  Start_Game_Loop(form);
  ASSERT_NE(s.birdX[p], kAbsent);
  const auto step = [&] {
    clock_.Advance(kMillisecondsPerStep);
    return Game_Step(form);
  };

  // Pushed right: the bird flies right.
  const int startX = s.birdX[p];
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(step(), StepOutcome::kGoOn);
  EXPECT_EQ(s.inputX[p], 1);
  EXPECT_EQ(s.inputY[p], 0);
  EXPECT_GT(s.birdX[p], startX);

  // Pulled out: from the next step on, the stick reads as an absent stick does (0, 0: left and
  // up), and the game goes on.
  Unplug();
  ASSERT_EQ(step(), StepOutcome::kGoOn);
  EXPECT_EQ(s.inputX[p], -1);
  EXPECT_EQ(s.inputY[p], -1);
  JoyPosition position;
  EXPECT_FALSE(port.GetPos(0, position));
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(step(), StepOutcome::kGoOn);
    EXPECT_EQ(s.inputX[p], -1);
    EXPECT_EQ(s.inputY[p], -1);
  }

  // Plugged back in: id 0 again, centred, then steering left and down.
  PlugIn();
  ASSERT_EQ(step(), StepOutcome::kGoOn);
  EXPECT_EQ(s.inputX[p], 0);
  EXPECT_EQ(s.inputY[p], 0);
  EXPECT_TRUE(port.GetPos(0, position));
  Push(SDL_JOYSTICK_AXIS_MIN, SDL_JOYSTICK_AXIS_MAX);
  const int backX = s.birdX[p];
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(step(), StepOutcome::kGoOn);
  EXPECT_EQ(s.inputX[p], -1);
  EXPECT_EQ(s.inputY[p], 1);
  EXPECT_LT(s.birdX[p], backX);
}

}  // namespace
}  // namespace skyrings
