#pragma once
// The joystick port: what the joystick module asks of the system's joystick service.

#include <cstdint>

namespace skyrings {

struct JoyPosition {
  std::uint32_t x = 0;
  std::uint32_t y = 0;
};

struct JoyRanges {
  std::int32_t xMin = 0;
  std::int32_t xMax = 0;
  std::int32_t yMin = 0;
  std::int32_t yMax = 0;
};

class JoystickPort {
 public:
  virtual ~JoystickPort() = default;
  // Number of joystick ids the system supports (ids 0 .. n-1).
  virtual std::int32_t NumDevs() = 0;
  // Reads the position of stick `id`; false when there is no such stick or it does not answer.
  virtual bool GetPos(std::int32_t id, JoyPosition& position) = 0;
  // Reads the x and y ranges of stick `id`; false when they cannot be read.
  virtual bool GetDevCaps(std::int32_t id, JoyRanges& ranges) = 0;
};

}  // namespace skyrings
