#pragma once
// `Form1`, the main window's program: the game state, the two modules' records, the random source
// and the platform services, as one object that lives for the whole run of the program.

#include <vector>

#include "game/random.h"
#include "input/get_controller.h"
#include "interfaces/joystick_port.h"
#include "interfaces/retained3d.h"
#include "interfaces/sound_port.h"
#include "interfaces/tick_clock.h"
#include "interfaces/window.h"
#include "shell/game_observer.h"
#include "shell/game_state.h"
#include "sound/music.h"

namespace skyrings {

// The platform services the game calls on.
struct Platform {
  Window& window;
  Retained3D& retained3d;
  SoundPort& sound;
  JoystickPort& joystick;
  TickClock& clock;
};

class Form1 : public WindowEvents {
 public:
  explicit Form1(const Platform& services)
      : platform(services), controller(services.joystick), music(services.sound) {}

  Platform platform;
  GameState state;
  GetController controller;  // the joystick module
  Music music;               // the sound module
  Random random;
  // The window system asked the window to close: the program ends as Escape on the entry
  // screen ends it, at the next pass of whichever loop is running.
  bool closeRequested = false;
  // Told of every game's start, step and end, in this order; none in an ordinary run.
  std::vector<GameObserver*> observers;

  // WindowEvents: delivered while a loop hands control to the window system.
  void KeyDown(std::int16_t keyCode, std::int16_t shift) override;
  void KeyUp(std::int16_t keyCode, std::int16_t shift) override;
  void CloseRequested() override { closeRequested = true; }
};

}  // namespace skyrings

namespace skyrings {

// What runs next once a stage of the program has finished.
enum class NextStage { kGame, kEntryScreen, kEndProgram };

}  // namespace skyrings
