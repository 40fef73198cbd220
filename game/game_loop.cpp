#include "game/game_loop.h"

#include "game/birds.h"
#include "game/crows.h"
#include "game/end_test.h"
#include "game/ground.h"
#include "game/ring.h"
#include "shell/main_window.h"

namespace skyrings {

StepOutcome Game_Step(Form1& form) {
  GameState& s = form.state;
  GetController& joy = form.controller;

  // Both sticks are polled in every step, whether or not their players joined.
  for (s.i = 0; s.i <= 1; ++s.i) {
    joy.joyId = s.i;
    Read_Joystick(joy);
    s.inputX[s.i + 2] = joy.joyX;
    s.inputY[s.i + 2] = joy.joyY;
  }
  for (GameObserver* observer : form.observers)
    observer->StepRead(s);

  Move_Ground(form);
  Move_Crows(form);
  Move_Birds(form);
  Move_Ring(form);

  if (All_Birds_Out(s)) {
    Check(form.platform.window.PaintPicture(kGameOverFrame, kWholeWindow));
    for (GameObserver* observer : form.observers)
      observer->GameEnded(s, true);
    return StepOutcome::kGameOver;
  }

  // A game longer than 32767 steps keeps counting at 32767.
  s.stepCount = SaturatingAdd(s.stepCount, 1);
  Keep_Looping(form.music);
  Check(s.cameraFrame->SetPosition(nullptr, 0, 100, -500));
  Check(s.viewport->Clear(kClearTarget | kClearDepth | kClearDirty));
  Check(s.viewport->Render(s.sceneFrame));
  Check(s.device->Update());
  s.lastTick = StepClock(form.platform.clock);
  return StepOutcome::kGoOn;
}

void Start_Game_Loop(Form1& form) {
  form.state.lastTick = StepClock(form.platform.clock);
  form.state.running = kTrue;
  for (GameObserver* observer : form.observers)
    observer->GameStarted(form.state);
}

void End_Game_By_Escape(Form1& form) {
  Check(form.platform.window.PaintPicture(kTitleFrame, kWholeWindow));
  for (GameObserver* observer : form.observers)
    observer->GameEnded(form.state, false);
}

NextStage Run_Game_Loop(Form1& form) {
  GameState& s = form.state;
  Start_Game_Loop(form);
  for (;;) {
    if (form.closeRequested) return NextStage::kEndProgram;
    if (s.running == kFalse) {
      End_Game_By_Escape(form);
      return NextStage::kEntryScreen;
    }
    if (StepClock(form.platform.clock) >= s.lastTick + 1 &&
        Game_Step(form) == StepOutcome::kGameOver) {
      return NextStage::kEntryScreen;
    }
    Check(form.platform.window.DoEvents(form, (s.lastTick + 1) * kMillisecondsPerStep));
  }
}

}  // namespace skyrings
