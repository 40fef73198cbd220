#pragma once

#include "shell/form1.h"

namespace skyrings {

// The close of a game: the 3D view goes so that the picture painted at the loop's end shows, and
// each joined player's label shows the player's score.
void Show_Results(Form1& form);

}  // namespace skyrings
