#include "platform/sdl/screen_fit.h"

#include <algorithm>
#include <cstdint>

namespace skyrings {

ScreenFit FitPicture(int screenWidth, int screenHeight, int pictureWidth, int pictureHeight) {
  if (screenWidth <= 0 || screenHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
  ScreenFit fit;
  const int factor = std::min(screenWidth / pictureWidth, screenHeight / pictureHeight);
  if (factor >= 1) {
    fit.width = pictureWidth * factor;
    fit.height = pictureHeight * factor;
  } else {
    // Compare the aspects without rounding: the narrower side decides.
    const std::int64_t widthLimited = std::int64_t{screenWidth} * pictureHeight;
    const std::int64_t heightLimited = std::int64_t{screenHeight} * pictureWidth;
    if (widthLimited <= heightLimited) {
      fit.width = screenWidth;
      fit.height = static_cast<int>(widthLimited / pictureWidth);
    } else {
      fit.width = static_cast<int>(heightLimited / pictureHeight);
      fit.height = screenHeight;
    }
  }
  fit.x = (screenWidth - fit.width) / 2;
  fit.y = (screenHeight - fit.height) / 2;
  return fit;
}

}  // namespace skyrings
