#include "shell/form1.h"

#include "input/keyboard.h"

namespace skyrings {

void Form1::KeyDown(std::int16_t keyCode, std::int16_t shift) {
  Window_KeyDown(state, keyCode, shift);
}

void Form1::KeyUp(std::int16_t keyCode, std::int16_t shift) {
  Window_KeyUp(state, keyCode, shift);
}

}  // namespace skyrings
