#pragma once
// Lets a program watch the games without taking part in them: recording a run, timing its steps.
// An observer only reads; the game runs the same with or without one.

#include "shell/game_state.h"

namespace skyrings {

class GameObserver {
 public:
  virtual ~GameObserver() = default;
  // The scene is built and the loop is about to start: the joined players' birds are in play
  // (`birdX` not kAbsent), everyone else's are not.
  virtual void GameStarted(const GameState& /*state*/) {}
  // A step has polled the sticks: `inputX` and `inputY` hold the eight values it steers by.
  virtual void StepRead(const GameState& /*state*/) {}
  // The game has ended, by game over (no bird left) or by Escape.
  virtual void GameEnded(const GameState& /*state*/, bool /*gameOver*/) {}
};

}  // namespace skyrings
