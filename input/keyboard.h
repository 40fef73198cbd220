#pragma once
// The main window's key handlers: the arrow keys steer player 0, W/A/S/D player 1, Escape ends
// the running loop and Enter starts a game.

#include <cstdint>

#include "shell/game_state.h"

namespace skyrings {

// Virtual-key codes.
inline constexpr std::int16_t kKeyEnter = 13;
inline constexpr std::int16_t kKeyEscape = 27;
inline constexpr std::int16_t kKeyLeft = 37;
inline constexpr std::int16_t kKeyUp = 38;
inline constexpr std::int16_t kKeyRight = 39;
inline constexpr std::int16_t kKeyDown = 40;
inline constexpr std::int16_t kKeyA = 65;
inline constexpr std::int16_t kKeyD = 68;
inline constexpr std::int16_t kKeyS = 83;
inline constexpr std::int16_t kKeyW = 87;

// `shift` (Shift/Ctrl/Alt) is ignored: a key has the same effect with or without them.
void Window_KeyDown(GameState& s, std::int16_t keyCode, std::int16_t shift);
void Window_KeyUp(GameState& s, std::int16_t keyCode, std::int16_t shift);

}  // namespace skyrings
