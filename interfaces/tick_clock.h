#pragma once
// The tick clock: milliseconds since the program started, 64 bits so it never wraps.

#include <cstdint>

namespace skyrings {

class TickClock {
 public:
  virtual ~TickClock() = default;
  virtual std::int64_t Ticks() = 0;
};

// The step clock runs at 50 steps a second: one unit is 20 ms of the tick clock.
inline constexpr std::int64_t kMillisecondsPerStep = 20;
inline std::int64_t StepClock(TickClock& clock) {
  return clock.Ticks() / kMillisecondsPerStep;
}

}  // namespace skyrings
