#include "game/play_game.h"

#include "game/game_loop.h"
#include "game/results.h"
#include "render/scene.h"

namespace skyrings {

NextStage Play_Game(Form1& form) {
  Build_Scene(form);
  if (Run_Game_Loop(form) == NextStage::kEndProgram) return NextStage::kEndProgram;
  Show_Results(form);
  return NextStage::kEntryScreen;
}

}  // namespace skyrings
