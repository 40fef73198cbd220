#pragma once
// The game on headless platform services, with a clock the test controls.

#include "platform/headless/headless_3d.h"
#include "platform/headless/headless_clock.h"
#include "platform/headless/headless_joystick.h"
#include "platform/headless/headless_sound.h"
#include "platform/headless/headless_window.h"
#include "shell/form1.h"

namespace skyrings::testing {

struct HeadlessRig {
  ManualClock clock;
  HeadlessWindow window{&clock};
  HeadlessRetained3D retained3d;
  HeadlessSound sound;
  HeadlessJoystick joystick;
  Form1 form{Platform{window, retained3d, sound, joystick, clock}};
  GameState& s = form.state;
};

// A rig whose start-up pieces have run (joysticks calibrated, display made, sounds opened) and
// whose first game's scene is built, ready for single steps.
void StartGame(HeadlessRig& rig);

// The frame behind a reference, to look at where the game put it.
inline const HeadlessFrame& Headless(const FrameRef& frame) {
  return static_cast<const HeadlessFrame&>(*frame);
}

}  // namespace skyrings::testing
