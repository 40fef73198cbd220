#include "programs/script/recorder.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "programs/script/script.h"

namespace skyrings::script {

std::unique_ptr<ScriptRecorder> ScriptRecorder::Open(const std::string& path,
                                                     std::string& message) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    message = path + ": cannot write the recording: " + std::strerror(errno);
    return nullptr;
  }
  std::unique_ptr<ScriptRecorder> recorder(new ScriptRecorder(path, file));
  recorder->Write("# A run of Sky Rings, recorded by skyrings --record.\n");
  return recorder;
}

ScriptRecorder::~ScriptRecorder() {
  if (file_ != nullptr) std::fclose(file_);
}

void ScriptRecorder::GameStarted(const GameState& state) {
  std::vector<int> players;
  for (int p = 0; p < kPlayers; ++p) {
    if (state.birdX[p] != kAbsent) players.push_back(p);
  }
  Write(GameLineText(players));
}

void ScriptRecorder::StepRead(const GameState& state) {
  StepLine step;
  for (int p = 0; p < kPlayers; ++p) {
    step.steering[2 * p] = state.inputX[p];
    step.steering[2 * p + 1] = state.inputY[p];
  }
  Write(StepLineText(step));
}

void ScriptRecorder::GameEnded(const GameState& /*state*/, bool gameOver) {
  if (!gameOver) Write(kEscapeLineText);
  // A game's lines reach the disk at its end: a run cut short keeps every game it finished.
  if (file_ != nullptr && std::fflush(file_) != 0) failed_ = true;
}

void ScriptRecorder::Write(const std::string& text) {
  if (file_ == nullptr) return;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
}

bool ScriptRecorder::Close(std::string& message) {
  if (file_ != nullptr) {
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
  }
  if (failed_) message = path_ + ": the recording could not be written in full";
  return !failed_;
}

}  // namespace skyrings::script
