#include "platform/common/rgba_picture.h"

#include <algorithm>
#include <cstring>

namespace skyrings {

RgbaPicture::RgbaPicture(int pictureWidth, int pictureHeight, Rgba fill)
    : width(std::max(pictureWidth, 0)),
      height(std::max(pictureHeight, 0)),
      pixels(static_cast<std::size_t>(width) * height * 4) {
  FillRect(*this, {0, 0, width, height}, fill);
}

Rgba RgbaPicture::At(int x, int y) const {
  const std::uint8_t* p = Row(y) + x * 4;
  return {p[0], p[1], p[2], p[3]};
}

void RgbaPicture::Set(int x, int y, Rgba colour) {
  std::uint8_t* p = Row(y) + x * 4;
  p[0] = colour.r;
  p[1] = colour.g;
  p[2] = colour.b;
  p[3] = colour.a;
}

PixelRect ClipRect(PixelRect rect, int width, int height) {
  if (rect.width <= 0 || rect.height <= 0) return {};
  const long left = std::max<long>(rect.x, 0);
  const long top = std::max<long>(rect.y, 0);
  const long right = std::min<long>(long{rect.x} + rect.width, width);
  const long bottom = std::min<long>(long{rect.y} + rect.height, height);
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

bool RectInside(PixelRect rect, int width, int height) {
  return rect.x >= 0 && rect.y >= 0 && rect.width >= 0 && rect.height >= 0 &&
         long{rect.x} + rect.width <= width && long{rect.y} + rect.height <= height;
}

void FillRect(RgbaPicture& picture, PixelRect target, Rgba colour) {
  const PixelRect clip = ClipRect(target, picture.width, picture.height);
  for (int y = clip.y; y < clip.y + clip.height; ++y) {
    for (int x = clip.x; x < clip.x + clip.width; ++x)
      picture.Set(x, y, colour);
  }
}

void StretchNearest(const RgbaPicture& from, PixelRect source, RgbaPicture& to, PixelRect target) {
  if (source.width <= 0 || source.height <= 0) return;
  const PixelRect clip = ClipRect(target, to.width, to.height);
  if (clip.width == 0) return;
  // Each target pixel takes the source pixel under its centre.
  std::vector<int> sourceColumn(static_cast<std::size_t>(clip.width));
  for (int i = 0; i < clip.width; ++i) {
    const long offset = long{clip.x - target.x} + i;
    sourceColumn[i] =
        source.x + static_cast<int>((2 * offset + 1) * source.width / (2L * target.width));
  }
  for (int y = clip.y; y < clip.y + clip.height; ++y) {
    const long offset = long{y} - target.y;
    const int sourceY =
        source.y + static_cast<int>((2 * offset + 1) * source.height / (2L * target.height));
    const std::uint8_t* sourceRow = from.Row(sourceY);
    std::uint8_t* targetRow = to.Row(y);
    for (int i = 0; i < clip.width; ++i) {
      std::memcpy(targetRow + (clip.x + i) * 4, sourceRow + sourceColumn[i] * 4, 4);
    }
  }
}

}  // namespace skyrings
