#pragma once
// The main window's layout, pictures and caption texts.

#include <cstdint>
#include <string>

#include "interfaces/window_layout.h"

namespace skyrings {

// A number as the captions show it: a blank before a value of zero or more, a minus sign before a
// negative one, then the digits.
std::string NumberText(long value);
// " 1P ENTRY!" .. " 4P ENTRY!": the caption of a joined player of index `index`.
std::string EntryCaption(int index);
// " 2PScore: 3150": the results caption of player `index` with `score` points.
std::string ResultsCaption(int index, std::int16_t score);

}  // namespace skyrings
