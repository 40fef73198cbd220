#pragma once
// Replay and timedemo: a recording played in the game's window, through its own stages. Replay
// keeps the game's pace (50 steps a second) and leaves each game's results up for a while;
// timedemo runs the steps back to back and times every picture.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "programs/script/script_player.h"

namespace skyrings::script {

// A pace for a whole recording: a game's steps, and what comes between games.
class RecordingPace : public GamePace {
 public:
  // After a game's end record is out; false stops the run.
  virtual bool GameFinished(Form1& form) = 0;
};

// Steps at the game loop's own times: one whenever the step clock has moved past the last step's
// end, handing control to the window system in between. Escape or closing the window stops the
// replay. A game's results stay up for `resultsMilliseconds` after it.
class ReplayPace : public RecordingPace {
 public:
  explicit ReplayPace(std::int64_t resultsMilliseconds) : resultsMs_(resultsMilliseconds) {}
  bool StepDue(Form1& form) override;
  bool GameFinished(Form1& form) override;

 private:
  std::int64_t resultsMs_;
};

// Steps back to back: control goes to the window system once between steps (which shows the last
// picture) without waiting. A frame is the time from one step's start to the next's, picture
// shown; Escape or closing the window stops the run.
class TimedemoPace : public RecordingPace {
 public:
  bool StepDue(Form1& form) override;
  bool GameFinished(Form1& form) override;

  long steps() const { return static_cast<long>(frameMs_.size()); }
  const std::vector<double>& frameMs() const { return frameMs_; }

 private:
  bool HandOver(Form1& form);
  void EndFrame();

  bool inFrame_ = false;
  std::chrono::steady_clock::time_point frameStart_;
  std::vector<double> frameMs_;
};

// Start-up, then every game of `script` in order, each one's end record given to `output` as the
// headless runner prints it (captions as the window shows them). False when stopped early.
bool PlayRecording(Form1& form, HeadlessJoystick& sticks, const Script& script, RecordingPace& pace,
                   const std::function<void(const std::string&)>& output);

// What --timedemo prints at its end: the steps played and the seconds they took (the frames
// alone, not the building of each game's scene), steps per second, frame-time percentiles.
std::string TimedemoReport(const std::vector<double>& frameMs);

}  // namespace skyrings::script
