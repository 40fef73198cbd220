#include "input/get_controller.h"

namespace skyrings {

void Init_Joystick(GetController& joy, std::int32_t deadZone) {
  joy.joyId = -1;
  const std::int32_t count = joy.port.NumDevs();
  if (count == 0) return;  // thresholds keep their previous values

  for (std::int32_t id = 0; id < count; ++id) {
    JoyPosition scratch;
    if (joy.port.GetPos(id, scratch)) {
      joy.joyId = id;
      break;
    }
  }
  if (joy.joyId == -1) return;

  JoyRanges caps;
  if (!joy.port.GetDevCaps(joy.joyId, caps)) {
    joy.joyId = -1;
    return;
  }
  joy.joyLeft = caps.xMin + deadZone;
  joy.joyRight = caps.xMax - deadZone;
  joy.joyUp = caps.yMin + deadZone;
  joy.joyDown = caps.yMax - deadZone;
}

void Read_Joystick(GetController& joy) {
  JoyPosition position;  // zero-filled
  if (joy.joyId < 0) {
    joy.joyX = 0;
    joy.joyY = 0;
    return;
  }
  // A failed read leaves the position at 0, 0, which an absent stick then reports.
  (void)joy.port.GetPos(joy.joyId, position);

  // Strict, signed 32-bit comparisons: a position on a threshold reads as 0.
  const auto x = static_cast<std::int32_t>(position.x);
  const auto y = static_cast<std::int32_t>(position.y);
  joy.joyX = static_cast<std::int16_t>((x > joy.joyRight ? 1 : 0) - (x < joy.joyLeft ? 1 : 0));
  joy.joyY = static_cast<std::int16_t>((y > joy.joyDown ? 1 : 0) - (y < joy.joyUp ? 1 : 0));
}

}  // namespace skyrings
