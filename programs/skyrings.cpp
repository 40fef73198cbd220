// skyrings: the game on a Linux desktop.
//
// Makes the real platform services (window and clock over SDL2, the 3D component over OpenGL,
// sound over SDL2_mixer, joysticks over SDL2) and runs the game from its start-up until Escape on
// the entry screen, or a close request, ends it (exit status 0). A run-time error prints one
// message on standard error, shows it in a message box when there is a display, and ends the
// program with exit status 1.
//
// --record writes the run as a script; --replay and --timedemo play one back in the window, the
// script's steering values in place of the keys and sticks (a bad script: exit status 2, before
// any window opens). --stats prints the step timing at exit.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/gl_retained3d.h"
#include "platform/headless/headless_joystick.h"
#include "platform/headless/headless_sound.h"
#include "platform/joystick/sdl_joystick_port.h"
#include "platform/mixer/mixer_sound_port.h"
#include "platform/sdl/error_box.h"
#include "platform/sdl/sdl_clock.h"
#include "platform/sdl/sdl_window.h"
#include "programs/command_line.h"
#include "programs/script/recorder.h"
#include "programs/script/replay.h"
#include "programs/script/script.h"
#include "programs/step_timing.h"
#include "shell/form1.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

constexpr int kRunTimeErrorStatus = 1;
constexpr int kUsageErrorStatus = 2;
// How long a replayed game's results stay up before the next game (or the end).
constexpr std::int64_t kReplayResultsMilliseconds = 3000;

// What a run does besides playing: set up before the window opens.
struct RunExtras {
  std::unique_ptr<skyrings::script::ScriptRecorder> recorder;
  skyrings::script::Script recording;  // for --replay and --timedemo
};

void PrintChunk(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int Run(const skyrings::CommandLine& options, RunExtras& extras, bool& hasDisplay) {
  const bool replay = !options.replayPath.empty();
  const bool timedemo = !options.timedemoPath.empty();
  skyrings::SdlClock clock;
  // The window outlives everything the 3D component makes: the form goes first.
  std::unique_ptr<skyrings::SdlWindow> window;
  skyrings::SdlWindowOptions windowOptions;
  windowOptions.fullScreen = !options.windowed;
  skyrings::Check(skyrings::SdlWindow::Create(clock, windowOptions, window));
  hasDisplay = true;
  skyrings::GlRetained3D retained3d;
  // A timedemo is silent; without an audio device every sound stays silent anyway.
  std::unique_ptr<skyrings::SoundPort> sound;
  if (timedemo) {
    auto silent = std::make_unique<skyrings::HeadlessSound>();
    silent->RecordCommands(false);
    sound = std::move(silent);
  } else {
    sound = std::make_unique<skyrings::MixerSoundPort>();
  }
  // A recording's sticks are the script's, not the ones plugged in.
  skyrings::SdlJoystickPort joysticks;
  skyrings::HeadlessJoystick scriptSticks;
  skyrings::script::AttachScriptSticks(scriptSticks);
  skyrings::JoystickPort& sticks =
      replay || timedemo ? static_cast<skyrings::JoystickPort&>(scriptSticks) : joysticks;

  skyrings::StepStats stats(clock);
  auto form = std::make_unique<skyrings::Form1>(
      skyrings::Platform{*window, retained3d, *sound, sticks, clock});
  if (options.stats) form->observers.push_back(&stats);
  if (extras.recorder) form->observers.push_back(extras.recorder.get());

  if (timedemo) {
    skyrings::script::TimedemoPace pace;
    skyrings::script::PlayRecording(*form, scriptSticks, extras.recording, pace, PrintChunk);
    PrintChunk(skyrings::script::TimedemoReport(pace.frameMs()));
  } else if (replay) {
    skyrings::script::ReplayPace pace(kReplayResultsMilliseconds);
    skyrings::script::PlayRecording(*form, scriptSticks, extras.recording, pace, PrintChunk);
  } else {
    skyrings::Window_Load(*form);
  }
  if (options.stats) PrintChunk(stats.Report());
  if (extras.recorder) {
    std::string message;
    if (!extras.recorder->Close(message)) throw skyrings::RunTimeError(message);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const skyrings::CommandLine options =
      skyrings::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (options.action) {
    case skyrings::CommandLine::Action::kHelp:
      std::fputs(skyrings::UsageText().c_str(), stdout);
      return 0;
    case skyrings::CommandLine::Action::kVersion:
      std::printf("%s\n", skyrings::VersionText().c_str());
      return 0;
    case skyrings::CommandLine::Action::kUsageError:
      std::fprintf(stderr, "skyrings: %s\n%s", options.error.c_str(),
                   skyrings::UsageText().c_str());
      return kUsageErrorStatus;
    case skyrings::CommandLine::Action::kPlay:
      break;
  }

  // Files named on the command line are opened before the window: a bad one ends the program
  // at once, with the message the headless runner would give for a bad script.
  RunExtras extras;
  std::string message;
  const std::string& recording =
      options.replayPath.empty() ? options.timedemoPath : options.replayPath;
  if (!recording.empty() && !skyrings::script::LoadScript(recording, extras.recording, message)) {
    std::fprintf(stderr, "skyrings: %s\n", message.c_str());
    return kUsageErrorStatus;
  }
  if (!options.recordPath.empty()) {
    extras.recorder = skyrings::script::ScriptRecorder::Open(options.recordPath, message);
    if (!extras.recorder) {
      std::fprintf(stderr, "skyrings: %s\n", message.c_str());
      return kUsageErrorStatus;
    }
  }

  bool hasDisplay = false;
  try {
    return Run(options, extras, hasDisplay);
  } catch (const std::exception& e) {  // a RunTimeError, or the system out of memory
    std::fprintf(stderr, "skyrings: %s\n", e.what());
    // A damaged picture stops the window before it reaches the display; the box still shows
    // wherever a display is named.
    if (hasDisplay || skyrings::DisplayNamed()) {
      skyrings::ShowErrorBox("Sky Rings", std::string("Run-time error: ") + e.what());
    }
    return kRunTimeErrorStatus;
  }
}
