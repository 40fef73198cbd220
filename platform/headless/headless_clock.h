#pragma once
// A clock the caller sets: tests and the headless runner decide what time it is.

#include <cstdint>

#include "interfaces/tick_clock.h"

namespace skyrings {

class ManualClock : public TickClock {
 public:
  std::int64_t Ticks() override { return now_; }
  void Set(std::int64_t ticks) { now_ = ticks; }
  void Advance(std::int64_t milliseconds) { now_ += milliseconds; }

 private:
  std::int64_t now_ = 0;
};

}  // namespace skyrings
