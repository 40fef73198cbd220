#pragma once

#include "shell/form1.h"

namespace skyrings {

enum class StepOutcome { kGoOn, kGameOver };

// One step of a game in its fixed order: joysticks, ground, crows, birds, ring, end test, step
// count, music, and one rendered picture. At game over the game-over picture is painted and the
// step is not rendered.
StepOutcome Game_Step(Form1& form);

// Sets the loop going: `lastTick` from the step clock now, `running` true.
void Start_Game_Loop(Form1& form);

// Escape ended the game: the title half of the picture is painted over the window.
void End_Game_By_Escape(Form1& form);

// The game loop: a step whenever the step clock has moved past `lastTick`, at most 50 a second
// with no catching up, until Escape (title picture painted) or game over. kEndProgram when the
// window system asked the program to close.
NextStage Run_Game_Loop(Form1& form);

}  // namespace skyrings
