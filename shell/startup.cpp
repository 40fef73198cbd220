#include "shell/startup.h"

#include "game/play_game.h"
#include "interfaces/data_files.h"
#include "shell/entry_screen.h"
#include "shell/main_window.h"

namespace skyrings {

void Open_Sounds(Form1& form) {
  // The original named the effects by bare file name, so a program started from another folder
  // played no effects; every sound is now found beside the program.
  static constexpr const char* kNames[4] = {"ok", "ring", "out", "cur"};
  const std::string directory = form.platform.window.ProgramDirectory();
  for (int n = 0; n < 4; ++n) {
    Open_Sound(form.music, JoinPath(directory, kEffectFiles[n]), kNames[n]);
  }
  Open_Sound(form.music, JoinPath(directory, kMusicFile), "bgm");
}

void Create_Display(Form1& form) {
  GameState& s = form.state;
  if (!s.dx) Check(form.platform.retained3d.DirectXCreate(s.dx));
  Check(s.dx->DirectDrawCreate("", s.ddraw));
  Check(s.ddraw->SetDisplayMode(640, 480, 16, 0, 0));
}

void Start_Up(Form1& form) {
  GameState& s = form.state;
  Window& window = form.platform.window;

  Check(window.Show());
  Check(window.DoEvents(form, form.platform.clock.Ticks()));
  Init_Joystick(form.controller, kDeadZone);
  Check(window.Move(0, 0));
  s.birdX[0] = 0;
  Create_Display(form);
  Open_Sounds(form);
  Check(window.PaintPicture(kTitleFrame, kWholeWindow));
}

void Window_Load(Form1& form) {
  Start_Up(form);
  // The entry screen and the games alternate in this loop rather than by calls nested one level
  // deeper with every game.
  NextStage next = NextStage::kEntryScreen;
  while (next != NextStage::kEndProgram) {
    next = next == NextStage::kEntryScreen ? Entry_Screen(form) : Play_Game(form);
  }
}

}  // namespace skyrings
