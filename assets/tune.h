#pragma once
// The background tune: a cheerful General MIDI piece that loops back to its start.

#include <string>

namespace assets {

inline constexpr int kTuneTicksPerQuarter = 480;
inline constexpr double kTuneTempo = 112.0;  // quarter notes per minute
inline constexpr int kTuneBars = 36;

// The whole .mid file.
std::string MakeTune();

}  // namespace assets
