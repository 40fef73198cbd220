// skyrings: the game on a Linux desktop.
//
// Makes the real platform services (window and clock over SDL2, the 3D component over OpenGL,
// sound over SDL2_mixer, joysticks over SDL2) and runs the game from its start-up until Escape on
// the entry screen, or a close request, ends it (exit status 0). A run-time error prints one
// message on standard error, shows it in a message box when there is a display, and ends the
// program with exit status 1.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "platform/gl/gl_retained3d.h"
#include "platform/joystick/sdl_joystick_port.h"
#include "platform/mixer/mixer_sound_port.h"
#include "platform/sdl/error_box.h"
#include "platform/sdl/sdl_clock.h"
#include "platform/sdl/sdl_window.h"
#include "programs/command_line.h"
#include "shell/form1.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace {

constexpr int kRunTimeErrorStatus = 1;
constexpr int kUsageErrorStatus = 2;

int Run(const skyrings::CommandLine& options, bool& hasDisplay) {
  skyrings::SdlClock clock;
  // The window outlives everything the 3D component makes: the form goes first.
  std::unique_ptr<skyrings::SdlWindow> window;
  skyrings::SdlWindowOptions windowOptions;
  windowOptions.fullScreen = !options.windowed;
  skyrings::Check(skyrings::SdlWindow::Create(clock, windowOptions, window));
  hasDisplay = true;
  skyrings::GlRetained3D retained3d;
  skyrings::MixerSoundPort sound;  // no audio device: every sound stays silent
  skyrings::SdlJoystickPort joysticks;
  auto form = std::make_unique<skyrings::Form1>(
      skyrings::Platform{*window, retained3d, sound, joysticks, clock});
  skyrings::Window_Load(*form);
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
  bool hasDisplay = false;
  try {
    return Run(options, hasDisplay);
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
