#pragma once
// The real tick clock: milliseconds since the clock was made (at program start), on SDL's time
// base, so that waits for window events and the game's steps measure the same time.

#include <cstdint>

#include "interfaces/tick_clock.h"

namespace skyrings {

class SdlClock : public TickClock {
 public:
  SdlClock();
  std::int64_t Ticks() override;

 private:
  std::uint64_t start_;
};

}  // namespace skyrings
