#include "programs/command_line.h"

#include <utility>

namespace skyrings {
namespace {

CommandLine Only(CommandLine::Action action) {
  CommandLine line;
  line.action = action;
  return line;
}

CommandLine Refuse(std::string why) {
  CommandLine refused = Only(CommandLine::Action::kUsageError);
  refused.error = std::move(why);
  return refused;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool displayChosen = false;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string& argument = arguments[k];
    // An option that names a file takes the next argument, or "--option=FILE".
    auto fileOf = [&](const char* option, std::string& path) -> bool {
      const std::string name(option);
      if (argument == name) {
        if (k + 1 >= arguments.size()) return false;
        path = arguments[++k];
      } else {
        path = argument.substr(name.size() + 1);
      }
      return !path.empty();
    };
    auto is = [&](const char* option) {
      const std::string name(option);
      return argument == name || argument.rfind(name + "=", 0) == 0;
    };

    if (argument == "--help" || argument == "-h") return Only(CommandLine::Action::kHelp);
    if (argument == "--version") return Only(CommandLine::Action::kVersion);
    if (argument == "--window" || argument == "--fullscreen") {
      if (displayChosen) return Refuse("--window and --fullscreen exclude each other");
      displayChosen = true;
      line.windowed = argument == "--window";
    } else if (argument == "--stats") {
      line.stats = true;
    } else if (is("--record")) {
      if (!fileOf("--record", line.recordPath)) return Refuse("--record needs a file name");
    } else if (is("--replay")) {
      if (!fileOf("--replay", line.replayPath)) return Refuse("--replay needs a file name");
    } else if (is("--timedemo")) {
      if (!fileOf("--timedemo", line.timedemoPath)) return Refuse("--timedemo needs a file name");
    } else if (!argument.empty() && argument[0] == '-') {
      return Refuse("unknown option '" + argument + "'");
    } else {
      return Refuse("unexpected argument '" + argument + "'");
    }
  }
  const int playSources =
      !line.recordPath.empty() + !line.replayPath.empty() + !line.timedemoPath.empty();
  if (playSources > 1) return Refuse("--record, --replay and --timedemo exclude each other");
  return line;
}

std::string UsageText() {
  return "Usage: skyrings [OPTION]...\n"
         "Fly a bird through rings while crows come at you; one to four players.\n"
         "\n"
         "  --fullscreen      fill the screen (the default; F11 switches)\n"
         "  --window          start in an ordinary window\n"
         "  --record FILE     write the run to FILE, as a script for skyrings-sim\n"
         "  --replay FILE     play a recording in the window (Escape stops it)\n"
         "  --timedemo FILE   play a recording as fast as possible, silently, and print\n"
         "                    the steps per second and frame times\n"
         "  --stats           print the steps run and skipped and the step intervals at exit\n"
         "  --help            print this help and exit\n"
         "  --version         print the version and exit\n"
         "\n"
         "Player 1 steers with the arrow keys, player 2 with W A S D, players 3 and 4 with\n"
         "the first and second joystick or gamepad. On the title screen a player joins by\n"
         "steering down; Enter starts a game, Escape quits. F11 switches between full\n"
         "screen and a window.\n";
}

std::string VersionText() {
  return std::string("skyrings ") + SKYRINGS_VERSION;
}

}  // namespace skyrings
