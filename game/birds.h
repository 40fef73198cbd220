#pragma once

#include "shell/form1.h"

namespace skyrings {

// Every player's steering turns into speed; the bird moves inside its box, scores one point for
// surviving the step, flaps its wings and is placed in the scene.
void Move_Birds(Form1& form);

}  // namespace skyrings
