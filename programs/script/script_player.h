#pragma once
// Plays the games of a script through the game's own stages, with the script's steering values in
// place of the keys and the sticks. The headless runner, replay and timedemo all play scripts
// through here, so what they show is what the runner prints.

#include <array>
#include <cstdint>
#include <string>

#include "platform/headless/headless_joystick.h"
#include "programs/script/script.h"
#include "shell/form1.h"

namespace skyrings::script {

// Where a script's stick values come from: sticks 0 and 1 of a joystick port that the player
// moves, ranged 0..65535 so that start-up calibrates them as the runner always has.
void AttachScriptSticks(HeadlessJoystick& sticks);

// The stick position that reads as `steering` (-1, 0 or 1) on a stick calibrated 0..65535.
std::uint32_t StickPosition(std::int16_t steering);

// How a played game keeps time and what it says of its steps.
class GamePace {
 public:
  virtual ~GamePace() = default;
  // Before every step: waits until the step is due. False stops the whole run before the step
  // (the player pressed Escape, or the window was closed).
  virtual bool StepDue(Form1& form) = 0;
  // After every step run, the game-over step included; `step` counts from 1.
  virtual void StepDone(Form1& /*form*/, std::size_t /*step*/) {}
};

enum class GameEnd { kEscape, kGameOver, kStopped };

// Plays one game: the joined players' captions as Enter leaves them, the "ok" sound, the scene,
// one step per step line until game over, the script's Escape or its last line, and the results.
// A stopped game (kStopped) shows no results.
GameEnd PlayScriptGame(Form1& form, HeadlessJoystick& sticks, const GameScript& game,
                       GamePace& pace);

// The line printed at a game's end: {"game":G,"end":"escape"|"gameover","stepCount":N,
// "score":[4],"captions":[4]}, with its line end.
std::string EndRecord(int game, GameEnd end, std::int16_t stepCount, const PlayerValues& score,
                      const std::array<std::string, 4>& captions);

// The four label captions as the window shows them now.
std::array<std::string, 4> ReadCaptions(Window& window);

}  // namespace skyrings::script
