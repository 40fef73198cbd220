#pragma once

#include "shell/form1.h"

namespace skyrings {

// A whole game: the scene is built, the loop runs until Escape or game over, and the results are
// shown; the entry screen runs next (kEntryScreen), or nothing when the program must end.
NextStage Play_Game(Form1& form);

}  // namespace skyrings
