// Keys and sticks: how key events and stick positions become steering values.

#include <gtest/gtest.h>

#include "input/get_controller.h"
#include "input/keyboard.h"
#include "platform/headless/headless_joystick.h"

namespace skyrings {
namespace {

TEST(Keyboard, LastKeyPressedWinsAndOnlyItsOwnReleaseClearsIt) {
  GameState s;
  Window_KeyDown(s, kKeyLeft, 0);
  Window_KeyDown(s, kKeyRight, 0);
  EXPECT_EQ(s.inputX[0], 1);
  Window_KeyUp(s, kKeyLeft, 0);  // Left no longer holds the axis
  EXPECT_EQ(s.inputX[0], 1);
  Window_KeyUp(s, kKeyRight, 0);
  EXPECT_EQ(s.inputX[0], 0);

  // Right released while Left is still held: the axis rests until a new key-down.
  Window_KeyDown(s, kKeyLeft, 0);
  Window_KeyDown(s, kKeyRight, 0);
  Window_KeyUp(s, kKeyRight, 0);
  EXPECT_EQ(s.inputX[0], 0);
}

TEST(Keyboard, EachPlayerHasItsOwnKeysAndAxes) {
  GameState s;
  Window_KeyDown(s, kKeyUp, 0);
  Window_KeyDown(s, kKeyD, 0);
  Window_KeyDown(s, kKeyS, 0);
  EXPECT_EQ(s.inputY[0], -1);
  EXPECT_EQ(s.inputX[0], 0);
  EXPECT_EQ(s.inputX[1], 1);
  EXPECT_EQ(s.inputY[1], 1);
  Window_KeyDown(s, kKeyDown, 0);
  Window_KeyDown(s, kKeyA, 0);
  Window_KeyDown(s, kKeyW, 0);
  EXPECT_EQ(s.inputY[0], 1);
  EXPECT_EQ(s.inputX[1], -1);
  EXPECT_EQ(s.inputY[1], -1);
  Window_KeyUp(s, kKeyS, 0);  // S is not what holds player 1's y axis now
  EXPECT_EQ(s.inputY[1], -1);
  Window_KeyUp(s, kKeyW, 0);
  Window_KeyUp(s, kKeyA, 0);
  Window_KeyUp(s, kKeyDown, 0);
  EXPECT_EQ(s.inputY[1], 0);
  EXPECT_EQ(s.inputX[1], 0);
  EXPECT_EQ(s.inputY[0], 0);
  // The sticks' values are never written by keys.
  EXPECT_EQ(s.inputX[2], 0);
  EXPECT_EQ(s.inputY[3], 0);
}

TEST(Keyboard, EscapeAndEnterFlagsIgnoringShiftAndOtherKeys) {
  GameState s;
  s.running = kTrue;
  Window_KeyDown(s, kKeyEnter, 1 | 2 | 4);
  EXPECT_EQ(s.startKey, 1);
  Window_KeyDown(s, kKeyEscape, 1);
  EXPECT_EQ(s.running, kFalse);
  Window_KeyUp(s, kKeyEscape, 0);  // no key-up effect
  EXPECT_EQ(s.running, kFalse);
  s.running = kTrue;
  Window_KeyDown(s, kKeyEscape, 0);  // an auto-repeat clears it again
  EXPECT_EQ(s.running, kFalse);
  Window_KeyUp(s, kKeyEnter, 4);
  EXPECT_EQ(s.startKey, 0);

  const GameState before = s;
  for (const int key : {0, 32, 66, 82, 88, 112, 255}) {
    Window_KeyDown(s, static_cast<std::int16_t>(key), 0);
    Window_KeyUp(s, static_cast<std::int16_t>(key), 0);
  }
  EXPECT_EQ(s.inputX, before.inputX);
  EXPECT_EQ(s.inputY, before.inputY);
  EXPECT_EQ(s.running, before.running);
  EXPECT_EQ(s.startKey, before.startKey);
}

struct Sticks {
  HeadlessJoystick port;
  GetController joy{port};
  std::pair<int, int> Read(std::int32_t id) {
    joy.joyId = id;
    Read_Joystick(joy);
    return {joy.joyX, joy.joyY};
  }
};

TEST(Joystick, ThresholdsAreAQuarterInFromEachEndAndStrict) {
  Sticks sticks;
  sticks.port.Attach(0);
  Init_Joystick(sticks.joy, kDeadZone);
  EXPECT_EQ(sticks.joy.joyId, 0);
  EXPECT_EQ(sticks.joy.joyLeft, 16384);
  EXPECT_EQ(sticks.joy.joyRight, 65535 - 16384);
  EXPECT_EQ(sticks.joy.joyUp, 16384);
  EXPECT_EQ(sticks.joy.joyDown, 65535 - 16384);

  const std::pair<std::uint32_t, int> cases[] = {{0, -1},    {16383, -1}, {16384, 0}, {32768, 0},
                                                 {49151, 0}, {49152, 1},  {65535, 1}};
  for (const auto& [position, expected] : cases) {
    sticks.port.Move(0, position, position);
    EXPECT_EQ(sticks.Read(0), std::make_pair(expected, expected)) << position;
  }
}

TEST(Joystick, AbsentSticks) {
  {  // No stick at all: nothing calibrated, both players read centred.
    Sticks sticks;
    Init_Joystick(sticks.joy, kDeadZone);
    EXPECT_EQ(sticks.joy.joyId, -1);
    EXPECT_EQ(sticks.joy.joyRight, 0);
    EXPECT_EQ(sticks.Read(0), std::make_pair(0, 0));
    EXPECT_EQ(sticks.Read(1), std::make_pair(0, 0));
    // A stick plugged in later is judged by zero thresholds: centred reads right and down.
    sticks.port.Attach(0);
    EXPECT_EQ(sticks.Read(0), std::make_pair(1, 1));
    // Read with joyId -1: centred without asking the port.
    EXPECT_EQ(sticks.Read(-1), std::make_pair(0, 0));
  }
  {  // Stick 0 only: the absent stick 1 reads 0, 0, below both low thresholds: up and left.
    Sticks sticks;
    sticks.port.Attach(0);
    Init_Joystick(sticks.joy, kDeadZone);
    EXPECT_EQ(sticks.Read(1), std::make_pair(-1, -1));
  }
  {  // Stick 1 only: its ranges calibrate; stick 0 reads up-left, stick 1 normally.
    Sticks sticks;
    sticks.port.Attach(1, {1000, 2000, 0, 65535});
    Init_Joystick(sticks.joy, 100);
    EXPECT_EQ(sticks.joy.joyId, 1);
    EXPECT_EQ(sticks.joy.joyLeft, 1100);
    EXPECT_EQ(sticks.joy.joyRight, 1900);
    EXPECT_EQ(sticks.Read(0), std::make_pair(-1, -1));
    sticks.port.Move(1, 1950, 32768);
    EXPECT_EQ(sticks.Read(1), std::make_pair(1, 0));
  }
  {  // A stick whose ranges cannot be read leaves the module uncalibrated.
    Sticks sticks;
    sticks.port.Attach(0);
    sticks.port.BreakCaps(0);
    Init_Joystick(sticks.joy, kDeadZone);
    EXPECT_EQ(sticks.joy.joyId, -1);
    EXPECT_EQ(sticks.joy.joyLeft, 0);
  }
  {  // No joystick service at all.
    Sticks sticks{HeadlessJoystick(0)};
    sticks.port.Attach(0);
    Init_Joystick(sticks.joy, kDeadZone);
    EXPECT_EQ(sticks.joy.joyId, -1);
  }
}

TEST(Joystick, DeadZoneWiderThanHalfTheRangeReadsZeroInTheOverlap) {
  Sticks sticks;
  sticks.port.Attach(0);
  Init_Joystick(sticks.joy, 40000);  // left below 40000, right above 25535
  sticks.port.Move(0, 30000, 30000);
  EXPECT_EQ(sticks.Read(0), std::make_pair(0, 0));
  sticks.port.Move(0, 20000, 45000);
  EXPECT_EQ(sticks.Read(0), std::make_pair(-1, 1));
}

}  // namespace
}  // namespace skyrings
