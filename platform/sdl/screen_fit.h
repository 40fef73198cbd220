#pragma once
// Where the 640 x 480 picture goes on a screen (or window) of another size.

namespace skyrings {

struct ScreenFit {
  int x = 0;  // left edge, from the left of the screen (negative: cut off)
  int y = 0;  // top edge, from the top of the screen (negative: cut off)
  int width = 0;
  int height = 0;
  friend bool operator==(const ScreenFit&, const ScreenFit&) = default;
};

// The picture scaled by the largest whole factor that fits the screen, centred. Never smaller
// than the picture itself: pixel art shrunk by a fraction loses rows and columns unevenly, so a
// screen smaller than the picture shows its middle unscaled, the edges cut off evenly. An empty
// screen or picture gives an empty fit.
ScreenFit FitPicture(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight);

}  // namespace skyrings
