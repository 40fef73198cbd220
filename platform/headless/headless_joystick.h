#pragma once
// Joysticks that tests and the headless runner hold: attach a stick to an id, move it, pull it out.

#include <cstdint>
#include <map>

#include "interfaces/joystick_port.h"

namespace skyrings {

class HeadlessJoystick : public JoystickPort {
 public:
  explicit HeadlessJoystick(std::int32_t numDevs = 16) : numDevs_(numDevs) {}

  void Attach(std::int32_t id, JoyRanges ranges = {0, 65535, 0, 65535});
  void Detach(std::int32_t id) { sticks_.erase(id); }
  void Move(std::int32_t id, std::uint32_t x, std::uint32_t y);
  // A stick that answers position reads but whose ranges cannot be read.
  void BreakCaps(std::int32_t id) { sticks_.at(id).capsReadable = false; }

  std::int32_t NumDevs() override { return numDevs_; }
  bool GetPos(std::int32_t id, JoyPosition& position) override;
  bool GetDevCaps(std::int32_t id, JoyRanges& ranges) override;

 private:
  struct Stick {
    JoyRanges ranges;
    JoyPosition position;
    bool capsReadable = true;
  };
  std::int32_t numDevs_;
  std::map<std::int32_t, Stick> sticks_;
};

}  // namespace skyrings
