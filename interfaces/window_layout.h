#pragma once
// The main window's layout: its caption, size, the labels, the 3D view and the two frames of the
// title / game-over picture. The game paints by these rectangles and every window lays itself out
// by them, so they are stated here once.

#include "interfaces/window.h"

namespace skyrings {

inline constexpr char kWindowCaption[] = "Direct3D Test";
inline constexpr int kWindowWidth = 640;
inline constexpr int kWindowHeight = 480;
inline constexpr PixelRect kWholeWindow{0, 0, kWindowWidth, kWindowHeight};

// `Label1`(n): a 160 x 16 cell per player along the bottom of the window.
inline constexpr int kLabelCount = 4;
inline constexpr int kLabelTop = 450;
inline constexpr int kLabelWidth = 160;
inline constexpr int kLabelHeight = 16;
inline constexpr PixelRect LabelRect(int index) {
  return {kLabelWidth * index, kLabelTop, kLabelWidth, kLabelHeight};
}

// `Picture1`: the 3D view, centred in the window.
inline constexpr PixelRect kViewRect{120, 90, 400, 300};

// The `Image1` picture (640 x 240) and its two frames, each painted stretched over the window.
inline constexpr int kPictureWidth = 640;
inline constexpr int kPictureHeight = 240;
inline constexpr PixelRect kTitleFrame{0, 0, 320, 240};
inline constexpr PixelRect kGameOverFrame{320, 0, 320, 240};

// Label1(0)'s caption when the program starts; player 0 always takes part.
inline constexpr char kFirstPlayerCaption[] = "1P ENTRY!";

}  // namespace skyrings
