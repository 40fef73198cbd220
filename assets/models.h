#pragma once
// The game's meshes: the ring, the crow, the four players' birds and the ground tile.

#include "xfile.h"

namespace assets {

// Tile size in x and z; the ground tile is centred on its origin.
inline constexpr double kTileSize = 560.0;

XScene MakeRing();
XScene MakeCrow();
// `player` 0..3: red, blue, green, yellow.
XScene MakeBird(int player);
XScene MakeStage();

}  // namespace assets
