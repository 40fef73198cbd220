#include "platform/sdl/screen_fit.h"

#include <algorithm>

namespace skyrings {

ScreenFit FitPicture(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight) {
  if (screenWidth <= 0 || screenHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
  const int factor =
      std::max(1, std::min(screenWidth / pictureWidth, screenHeight / pictureHeight));
  ScreenFit fit;
  fit.width = pictureWidth * factor;
  fit.height = pictureHeight * factor;
  // Halving rounds towards zero for both signs: a cut-off picture loses one more column on the
  // right (or row at the bottom) than on the left when the difference is odd.
  fit.x = (screenWidth - fit.width) / 2;
  fit.y = (screenHeight - fit.height) / 2;
  return fit;
}

}  // namespace skyrings
