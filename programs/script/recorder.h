#pragma once
// Records a run of the game as a script: a game line with the joined players at each game's start,
// a step line with the eight steering values each step read, and "esc" where Escape ended a game.
// The headless runner plays the file back into the same games.

#include <cstdio>
#include <memory>
#include <string>

#include "shell/game_observer.h"

namespace skyrings::script {

class ScriptRecorder : public GameObserver {
 public:
  // Opens (creates or empties) the file at `path` for writing; on failure returns null with
  // `message` saying why in one line.
  static std::unique_ptr<ScriptRecorder> Open(const std::string& path, std::string& message);
  ~ScriptRecorder() override;

  void GameStarted(const GameState& state) override;
  void StepRead(const GameState& state) override;
  void GameEnded(const GameState& state, bool gameOver) override;

  // Writes out what is still held and closes the file; false with `message` when any write
  // failed (a full disk, say), so that a broken recording is not taken for a good one.
  bool Close(std::string& message);

 private:
  ScriptRecorder(std::string path, std::FILE* file) : path_(std::move(path)), file_(file) {}
  void Write(const std::string& text);

  std::string path_;
  std::FILE* file_;
  bool failed_ = false;
};

}  // namespace skyrings::script
