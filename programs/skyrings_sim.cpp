// skyrings-sim: the game's rules without a window, sound, GPU or clock.
//
//   skyrings-sim [--trace] [SCRIPT]
//
// Reads the script (standard input when no file is named), checks all of it, then runs its games
// one step per step line and writes JSON lines to standard output. Exit status 0 after the last
// game, 2 for a bad command line or script (one message naming the line on standard error).

#include <cstdio>
#include <string>

#include "interfaces/status.h"
#include "programs/script/script.h"
#include "programs/sim/runner.h"

namespace {

constexpr int kBadInput = 2;

int Usage() {
  std::fputs("usage: skyrings-sim [--trace] [SCRIPT]\n", stderr);
  return kBadInput;
}

}  // namespace

int main(int argc, char** argv) {
  bool trace = false;
  std::string path;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--trace") {
      trace = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage();
    } else if (path.empty()) {
      path = arg;
    } else {
      return Usage();
    }
  }

  skyrings::script::Script script;
  std::string message;
  if (!skyrings::script::LoadScript(path, script, message)) {
    std::fprintf(stderr, "skyrings-sim: %s\n", message.c_str());
    return kBadInput;
  }

  try {
    skyrings::sim::RunScript(script, trace, [](const std::string& chunk) {
      std::fwrite(chunk.data(), 1, chunk.size(), stdout);
    });
  } catch (const skyrings::RunTimeError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "skyrings-sim: run-time error: %s\n", e.what());
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
