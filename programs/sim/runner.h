#pragma once
// Runs a script's games through the game's own construction and step code on headless platform
// services, and writes one JSON object per line: a trace of every step when asked, and every
// game's end.

#include <cstdio>
#include <functional>
#include <string>

#include "programs/script/script.h"

namespace skyrings::sim {

// Receives the output, a chunk of whole lines at a time.
using Output = std::function<void(const std::string&)>;

// Runs every game of `script` in order, sharing one random sequence as one program run would.
void RunScript(const script::Script& script, bool trace, const Output& output);

}  // namespace skyrings::sim
