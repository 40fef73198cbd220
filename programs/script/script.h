#pragma once
// The script: games, each with the players who joined and the steering values of its steps. One
// format serves both programs: `skyrings --record` writes it, `skyrings-sim`, `skyrings --replay`
// and `skyrings --timedemo` read it.
//
//   game P ...                 a new game; P are the joined player indexes 0..3 (at least one,
//                              none twice)
//   x0 y0 x1 y1 x2 y2 x3 y3    one step: each player's steering values (-1, 0 or 1) as the
//                              step read them (players 2 and 3: what their sticks read)
//   esc                        Escape is pressed before the next step: the game ends there
//
// A '#' starts a comment that runs to the end of its line; blank lines are ignored.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skyrings::script {

struct StepLine {
  std::array<std::int16_t, 8> steering{};  // x0 y0 x1 y1 x2 y2 x3 y3
};

struct GameScript {
  std::vector<int> players;
  std::vector<StepLine> steps;
  // Escape comes before the step of this index (steps after it are never run).
  std::optional<std::size_t> escapeBeforeStep;
};

struct Script {
  std::vector<GameScript> games;
};

struct ScriptError {
  int line = 0;
  std::string message;
};

// Checks the whole text; on the first bad line fills `error` and returns false.
bool ParseScript(const std::string& text, Script& script, ScriptError& error);

// Reads and checks the script in the file `path`, or standard input when `path` is empty. On
// failure returns false with `message` saying why in one line, without the program's name:
// "PATH: cannot open the script" or "line N: ...".
bool LoadScript(const std::string& path, Script& script, std::string& message);

// The lines the writer of a script writes, each with its line end.
std::string GameLineText(const std::vector<int>& players);
std::string StepLineText(const StepLine& step);
inline constexpr const char* kEscapeLineText = "esc\n";

}  // namespace skyrings::script
