#include "platform/headless/headless_joystick.h"

namespace skyrings {

void HeadlessJoystick::Attach(std::int32_t id, JoyRanges ranges) {
  Stick stick;
  stick.ranges = ranges;
  stick.position = {static_cast<std::uint32_t>((ranges.xMin + ranges.xMax) / 2),
                    static_cast<std::uint32_t>((ranges.yMin + ranges.yMax) / 2)};
  sticks_[id] = stick;
}

void HeadlessJoystick::Move(std::int32_t id, std::uint32_t x, std::uint32_t y) {
  sticks_.at(id).position = {x, y};
}

bool HeadlessJoystick::GetPos(std::int32_t id, JoyPosition& position) {
  const auto stick = sticks_.find(id);
  if (stick == sticks_.end()) return false;
  position = stick->second.position;
  return true;
}

bool HeadlessJoystick::GetDevCaps(std::int32_t id, JoyRanges& ranges) {
  const auto stick = sticks_.find(id);
  if (stick == sticks_.end() || !stick->second.capsReadable) return false;
  ranges = stick->second.ranges;
  return true;
}

}  // namespace skyrings
