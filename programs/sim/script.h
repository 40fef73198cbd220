#pragma once
// The headless runner's script: games, each with the players who joined and its step lines.
//
//   game P ...            a new game; P are the joined player indexes 0..3 (at least one, no
//   repeat) x0 y0 x1 y1 x2 y2 x3 y3   one step: each player's steering values (-1, 0 or 1) in that
//   step esc                   Escape is pressed before the next step
// A '#' starts a comment that runs to the end of its line; blank lines are ignored.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skyrings::sim {

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

}  // namespace skyrings::sim
