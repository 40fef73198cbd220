#pragma once

#include "shell/form1.h"

namespace skyrings {

// The first stretch of every game: shows the 3D view, starts the music, builds the scene anew
// (ground, ring, crows, four animated birds, background, camera and light) and gives the game
// state its start values.
void Build_Scene(Form1& form);

// A ground tile's quarter-turn: the direction its z axis points along for a drawn value 0..3.
struct TileTurn {
  float dx, dy, dz;
};
inline constexpr TileTurn kTileTurns[4] = {{1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}};

// Turns a ground tile by the quarter-turn `mode` (0..3), its up vector always (0, 1, 0).
void Turn_Tile(const FrameRef& tile, int mode);

}  // namespace skyrings
