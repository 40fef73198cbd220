#pragma once
// The main window's layout, pictures and caption texts.

#include <cstdint>
#include <string>

#include "shell/window.h"

namespace skyrings {

inline constexpr char kWindowCaption[] = "Direct3D Test";
inline constexpr int kWindowWidth = 640;
inline constexpr int kWindowHeight = 480;

// `Label1`(n): a 160 x 16 cell per player along the bottom of the window.
inline constexpr PixelRect LabelRect(int index) {
  return {160 * index, 450, 160, 16};
}
// `Picture1`: the 3D view, centred in the window.
inline constexpr PixelRect kViewRect{120, 90, 400, 300};

// The two frames of the `Image1` picture (640 x 240), each painted stretched over the window.
inline constexpr PixelRect kTitleFrame{0, 0, 320, 240};
inline constexpr PixelRect kGameOverFrame{320, 0, 320, 240};
inline constexpr PixelRect kWholeWindow{0, 0, kWindowWidth, kWindowHeight};

// Label1(0)'s caption when the program starts; player 0 always takes part.
inline constexpr char kFirstPlayerCaption[] = "1P ENTRY!";

// A number as the captions show it: a blank before a value of zero or more, a minus sign before a
// negative one, then the digits.
std::string NumberText(long value);
// " 1P ENTRY!" .. " 4P ENTRY!": the caption of a joined player of index `index`.
std::string EntryCaption(int index);
// " 2PScore: 3150": the results caption of player `index` with `score` points.
std::string ResultsCaption(int index, std::int16_t score);

}  // namespace skyrings
