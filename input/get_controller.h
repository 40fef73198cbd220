#pragma once
// `Get_Controller`: turns a joystick's position into -1/0/1 steering values. System joystick id 0
// steers player 2 and id 1 player 3. One set of thresholds, taken at start-up from the first
// stick that answers, judges both sticks.

#include <cstdint>

#include "interfaces/joystick_port.h"

namespace skyrings {

// The dead zone start-up calibrates with.
inline constexpr std::int32_t kDeadZone = 16384;

// The module's own record (not part of the game state); all zero at program start.
struct GetController {
  explicit GetController(JoystickPort& joystickPort) : port(joystickPort) {}

  JoystickPort& port;
  std::int32_t joyId = 0;     // stick that Read_Joystick reads; -1 = none
  std::int32_t joyLeft = 0;   // x below this reads as left
  std::int32_t joyRight = 0;  // x above this reads as right
  std::int32_t joyUp = 0;     // y below this reads as up
  std::int32_t joyDown = 0;   // y above this reads as down
  std::int16_t joyX = 0;      // last read on x: -1 left, 0, 1 right
  std::int16_t joyY = 0;      // last read on y: -1 up, 0, 1 down
};

// Calibration, once at start-up: thresholds from the first stick that answers.
void Init_Joystick(GetController& joy, std::int32_t deadZone);
// Reads stick `joyId` into `joyX` and `joyY`.
void Read_Joystick(GetController& joy);

}  // namespace skyrings
