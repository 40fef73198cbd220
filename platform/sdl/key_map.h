#pragma once
// The keys the game hears, as virtual-key codes, and the Shift/Ctrl/Alt state that goes with them.

#include <SDL.h>

#include <cstdint>
#include <optional>

#include "interfaces/window.h"

namespace skyrings {

// The virtual-key code (interfaces/window.h) of a key symbol, or nothing for a key the game does
// not hear (F11 among them: it belongs to the window).
std::optional<std::int16_t> VirtualKeyFor(SDL_Keycode symbol);

// Shift 1, Ctrl 2, Alt 4, added up; either side's key counts.
std::int16_t ShiftStateFor(std::uint16_t modifiers);

}  // namespace skyrings
