#pragma once

#include "shell/form1.h"

namespace skyrings {

// The ground tiles slide 10 towards the viewer every step; a tile that reaches -700 goes back to
// 1400 with a new random quarter-turn.
void Move_Ground(Form1& form);

}  // namespace skyrings
