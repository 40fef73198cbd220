#include "programs/script/replay.h"

#include <cstdio>

#include "programs/step_timing.h"
#include "shell/startup.h"

namespace skyrings::script {
namespace {

// Escape, or the window system asking the window to close.
bool StopAsked(const Form1& form) {
  return form.closeRequested || form.state.running == kFalse;
}

}  // namespace

bool ReplayPace::StepDue(Form1& form) {
  GameState& s = form.state;
  for (;;) {
    Check(form.platform.window.DoEvents(form, (s.lastTick + 1) * kMillisecondsPerStep));
    if (StopAsked(form)) return false;
    if (StepClock(form.platform.clock) >= s.lastTick + 1) return true;
  }
}

bool ReplayPace::GameFinished(Form1& form) {
  // Between games the music stops, as on the entry screen.
  Stop_Sound(form.music, "bgm");
  const std::int64_t until = form.platform.clock.Ticks() + resultsMs_;
  do {
    Check(form.platform.window.DoEvents(form, until));
    if (StopAsked(form)) return false;
  } while (form.platform.clock.Ticks() < until);
  return true;
}

bool TimedemoPace::HandOver(Form1& form) {
  Check(form.platform.window.DoEvents(form, 0));
  return !StopAsked(form);
}

void TimedemoPace::EndFrame() {
  const auto now = std::chrono::steady_clock::now();
  if (inFrame_)
    frameMs_.push_back(std::chrono::duration<double, std::milli>(now - frameStart_).count());
  inFrame_ = false;
}

bool TimedemoPace::StepDue(Form1& form) {
  const bool go = HandOver(form);
  EndFrame();
  inFrame_ = true;
  frameStart_ = std::chrono::steady_clock::now();
  return go;
}

bool TimedemoPace::GameFinished(Form1& form) {
  const bool go = HandOver(form);  // the game's last picture, or its results, shown
  EndFrame();
  return go;
}

bool PlayRecording(Form1& form, HeadlessJoystick& sticks, const Script& script, RecordingPace& pace,
                   const std::function<void(const std::string&)>& output) {
  Start_Up(form);
  int number = 0;
  for (const GameScript& game : script.games) {
    const GameEnd end = PlayScriptGame(form, sticks, game, pace);
    if (end == GameEnd::kStopped) return false;
    output(EndRecord(++number, end, form.state.stepCount, form.state.score,
                     ReadCaptions(form.platform.window)));
    if (!pace.GameFinished(form)) return false;
  }
  return true;
}

std::string TimedemoReport(const std::vector<double>& frameMs) {
  double seconds = 0;
  for (const double ms : frameMs)
    seconds += ms / 1000;
  const long steps = static_cast<long>(frameMs.size());
  char text[160];
  std::snprintf(text, sizeof text, "timedemo: %ld steps in %.3f s, %.1f steps/s\n", steps, seconds,
                seconds > 0 ? static_cast<double>(steps) / seconds : 0.0);
  return text + std::string("frame time: ") + PercentilesText(PercentilesOf(frameMs)) + "\n";
}

}  // namespace skyrings::script
