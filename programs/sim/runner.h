#pragma once
// Runs a script's games through the game's own construction and step code on headless platform
// services, and writes one JSON object per line: a trace of every step when asked, and every
// game's end.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "programs/script/script.h"
#include "shell/game_state.h"

namespace skyrings::sim {

// Receives the output, a chunk of whole lines at a time.
using Output = std::function<void(const std::string&)>;

// One step's trace line: where everything is after step `step` of game `game`, and `played`, the
// aliases of the sounds the step started.
std::string TraceRecord(int game, long step, const GameState& state,
                        const std::vector<std::string>& played);

// Runs every game of `script` in order, sharing one random sequence as one program run would.
void RunScript(const script::Script& script, bool trace, const Output& output);

}  // namespace skyrings::sim
