#include "tests/core/headless_rig.h"

#include "game/game_loop.h"
#include "render/scene.h"
#include "shell/startup.h"

namespace skyrings::testing {

void StartGame(HeadlessRig& rig) {
  Init_Joystick(rig.form.controller, kDeadZone);
  Create_Display(rig.form);
  Open_Sounds(rig.form);
  Build_Scene(rig.form);
  Start_Game_Loop(rig.form);
  rig.sound.ClearCommands();
  (void)rig.sound.TakePlayed();
}

}  // namespace skyrings::testing
