#pragma once
// The main window's key handlers: the arrow keys steer player 0, W/A/S/D player 1, Escape ends
// the running loop and Enter starts a game.

#include <cstdint>

#include "interfaces/window.h"
#include "shell/game_state.h"

namespace skyrings {

// `shift` (Shift/Ctrl/Alt) is ignored: a key has the same effect with or without them.
void Window_KeyDown(GameState& s, std::int16_t keyCode, std::int16_t shift);
void Window_KeyUp(GameState& s, std::int16_t keyCode, std::int16_t shift);

}  // namespace skyrings
