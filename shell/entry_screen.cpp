#include "shell/entry_screen.h"

#include "game/end_test.h"
#include "shell/main_window.h"

namespace skyrings {

NextStage Entry_Screen(Form1& form) {
  GameState& s = form.state;
  Window& window = form.platform.window;
  GetController& joy = form.controller;

  Stop_Sound(form.music, "bgm");
  s.running = kTrue;
  s.lastTick = StepClock(form.platform.clock);

  for (;;) {
    if (s.running == kFalse || form.closeRequested) return NextStage::kEndProgram;

    if (StepClock(form.platform.clock) >= s.lastTick + 1) {
      // Only the sticks' vertical values are taken here: a stick joins by pushing down.
      for (s.i = 0; s.i <= 1; ++s.i) {
        joy.joyId = s.i;
        Read_Joystick(joy);
        s.inputY[s.i + 2] = joy.joyY;
      }
      // After a game in which every bird was caught, the game-over picture stays.
      if (!All_Birds_Out(s)) Check(window.PaintPicture(kTitleFrame, kWholeWindow));

      if (s.startKey == 1) break;

      for (s.i = 0; s.i <= 3; ++s.i) {
        std::string caption;
        Check(window.GetCaption(s.i, caption));
        if (caption.empty() && s.inputY[s.i] == 1) {
          Check(window.SetCaption(s.i, EntryCaption(s.i)));
          Play_Sound(form.music, "cur", false);
        }
      }
      s.lastTick = StepClock(form.platform.clock);
    }
    Check(window.DoEvents(form, (s.lastTick + 1) * kMillisecondsPerStep));
  }

  // Enter: every joined player's caption (a score, perhaps) becomes its entry caption again.
  for (s.i = 0; s.i <= 3; ++s.i) {
    std::string caption;
    Check(window.GetCaption(s.i, caption));
    Check(window.SetCaption(s.i, caption.empty() ? std::string() : EntryCaption(s.i)));
  }
  Play_Sound(form.music, "ok", false);
  return NextStage::kGame;
}

}  // namespace skyrings
