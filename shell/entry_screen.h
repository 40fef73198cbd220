#pragma once

#include "shell/form1.h"

namespace skyrings {

// The screen between games: the title picture, players joining by steering down, Enter starting
// a game (kGame) and Escape ending the program (kEndProgram).
NextStage Entry_Screen(Form1& form);

}  // namespace skyrings
