#include "game/end_test.h"

namespace skyrings {

bool All_Birds_Out(const GameState& s) {
  for (const std::int16_t x : s.birdX) {
    if (x != kAbsent) return false;
  }
  return true;
}

}  // namespace skyrings
