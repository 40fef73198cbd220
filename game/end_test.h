#pragma once

#include "shell/game_state.h"

namespace skyrings {

// No bird is left in play: the game is over.
bool All_Birds_Out(const GameState& s);

}  // namespace skyrings
