#pragma once
// The game's pictures: the scene background, the title / game-over picture and the window icon.

#include "image.h"

namespace assets {

// The sky, horizon and far ground behind the 3D scene (400 x 300, stretched by the game).
Image MakeBackground();
// Two 320 x 240 frames side by side: the title on the left, the game-over picture on the right.
Image MakeTitlePicture();
// 32 x 32 window icon.
Image MakeIcon();
// The window icon's art at `size` x `size`, for the desktop's icon theme.
Image MakeDesktopIcon(int size);

}  // namespace assets
