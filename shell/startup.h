#pragma once

#include "shell/form1.h"

namespace skyrings {

// The program's only entry: start-up in its fixed order, then the entry screen and the games take
// turns until Escape on the entry screen (or a close request) ends the program. Returns then; a
// run-time error leaves it as a RunTimeError.
void Window_Load(Form1& form);

// Start-up alone, in its fixed order: the window shown and moved, the joysticks calibrated, the
// display made, the sounds opened and the title painted; the entry screen would run next.
void Start_Up(Form1& form);

// Start-up's steps 5 and 6: the DirectX root (if there is none yet), the DirectDraw object of the
// default display driver, and the display mode.
void Create_Display(Form1& form);

// Start-up's step 7: opens the five sounds, every file found in the program's folder.
void Open_Sounds(Form1& form);

}  // namespace skyrings
