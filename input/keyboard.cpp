#include "input/keyboard.h"

namespace skyrings {

// A key-down moves a steering value to the key's direction from any state, so the last key
// pressed wins. Every test is made; all that match are applied.
void Window_KeyDown(GameState& s, std::int16_t keyCode, std::int16_t /*shift*/) {
  if (keyCode == kKeyLeft) s.inputX[0] = -1;
  if (keyCode == kKeyRight) s.inputX[0] = 1;
  if (keyCode == kKeyUp) s.inputY[0] = -1;
  if (keyCode == kKeyDown) s.inputY[0] = 1;
  if (keyCode == kKeyA) s.inputX[1] = -1;
  if (keyCode == kKeyD) s.inputX[1] = 1;
  if (keyCode == kKeyW) s.inputY[1] = -1;
  if (keyCode == kKeyS) s.inputY[1] = 1;
  if (keyCode == kKeyEscape) s.running = kFalse;
  if (keyCode == kKeyEnter) s.startKey = 1;
}

// A key-up clears a steering value only if it still holds the released key's direction.
// Escape has no key-up effect.
void Window_KeyUp(GameState& s, std::int16_t keyCode, std::int16_t /*shift*/) {
  if (keyCode == kKeyLeft && s.inputX[0] == -1) s.inputX[0] = 0;
  if (keyCode == kKeyRight && s.inputX[0] == 1) s.inputX[0] = 0;
  if (keyCode == kKeyUp && s.inputY[0] == -1) s.inputY[0] = 0;
  if (keyCode == kKeyDown && s.inputY[0] == 1) s.inputY[0] = 0;
  if (keyCode == kKeyA && s.inputX[1] == -1) s.inputX[1] = 0;
  if (keyCode == kKeyD && s.inputX[1] == 1) s.inputX[1] = 0;
  if (keyCode == kKeyW && s.inputY[1] == -1) s.inputY[1] = 0;
  if (keyCode == kKeyS && s.inputY[1] == 1) s.inputY[1] = 0;
  if (keyCode == kKeyEnter) s.startKey = 0;
}

}  // namespace skyrings
