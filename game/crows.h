#pragma once

#include "shell/form1.h"

namespace skyrings {

// Up to eleven crows: spawned far ahead at random, flying towards the viewer, some homing on a
// chosen bird; a crow that passes through a bird puts it out of play.
void Move_Crows(Form1& form);

}  // namespace skyrings
