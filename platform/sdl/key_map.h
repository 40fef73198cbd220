#pragma once
// The keys the game hears, as virtual-key codes, and the Shift/Ctrl/Alt state that goes with them.

#include <SDL.h>

#include <cstdint>
#include <optional>

namespace skyrings {

namespace vk {
inline constexpr std::int16_t kEnter = 13;
inline constexpr std::int16_t kEscape = 27;
inline constexpr std::int16_t kLeft = 37;
inline constexpr std::int16_t kUp = 38;
inline constexpr std::int16_t kRight = 39;
inline constexpr std::int16_t kDown = 40;
inline constexpr std::int16_t kA = 65;
inline constexpr std::int16_t kD = 68;
inline constexpr std::int16_t kS = 83;
inline constexpr std::int16_t kW = 87;
}  // namespace vk

// The virtual-key code of a key symbol, or nothing for a key the game does not hear (F11 among
// them: it belongs to the window).
std::optional<std::int16_t> VirtualKeyFor(SDL_Keycode symbol);

// Shift 1, Ctrl 2, Alt 4, added up; either side's key counts.
std::int16_t ShiftStateFor(std::uint16_t modifiers);

}  // namespace skyrings
