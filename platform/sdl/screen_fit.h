#pragma once
// Where the 640 x 480 picture goes on a screen (or window) of another size.

namespace skyrings {

struct ScreenFit {
  int x = 0;  // left edge, from the left of the screen
  int y = 0;  // top edge, from the top of the screen
  int width = 0;
  int height = 0;
  friend bool operator==(const ScreenFit&, const ScreenFit&) = default;
};

// The picture scaled by the largest whole factor that fits the screen, centred. When not even
// factor 1 fits, the largest size of the picture's aspect that fits, centred. An empty screen or
// picture gives an empty fit.
ScreenFit FitPicture(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight);

}  // namespace skyrings
