#pragma once
// The game's command line: what a run is asked to do, read from its arguments.
//
//   skyrings [--window | --fullscreen] [--stats] [--record FILE]
//   skyrings --replay FILE | --timedemo FILE
//   skyrings --help | --version

#include <string>
#include <vector>

namespace skyrings {

struct CommandLine {
  enum class Action { kPlay, kHelp, kVersion, kUsageError };
  Action action = Action::kPlay;
  // Why the arguments were refused (kUsageError): one line, e.g. "unknown option '--fast'".
  std::string error;

  // Start in an ordinary window instead of filling the screen.
  bool windowed = false;
  // Print the steps run and skipped and the step-interval percentiles at exit.
  bool stats = false;
  // Write the run, as the headless runner's script, to this file.
  std::string recordPath;
  // Play this recording in the window at 50 steps a second.
  std::string replayPath;
  // Play this recording as fast as the machine can, sound off, and print the timing.
  std::string timedemoPath;
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints (and a refused command line prints on standard error).
std::string UsageText();
// "skyrings 1.0": what --version prints.
std::string VersionText();

}  // namespace skyrings
