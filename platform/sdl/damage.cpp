#include "platform/sdl/damage.h"

#include <algorithm>

namespace skyrings {

PixelRect Unite(PixelRect a, PixelRect b) {
  if (IsEmpty(a)) return IsEmpty(b) ? PixelRect{} : b;
  if (IsEmpty(b)) return a;
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

PixelRect Intersect(PixelRect a, PixelRect b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

std::vector<PixelRect> Subtract(PixelRect from, PixelRect hole) {
  if (IsEmpty(from)) return {};
  const PixelRect cut = Intersect(from, hole);
  if (IsEmpty(cut)) return {from};
  std::vector<PixelRect> pieces;
  const auto add = [&pieces](PixelRect piece) {
    if (!IsEmpty(piece)) pieces.push_back(piece);
  };
  add({from.x, from.y, from.width, cut.y - from.y});
  add({from.x, cut.y + cut.height, from.width, from.y + from.height - (cut.y + cut.height)});
  add({from.x, cut.y, cut.x - from.x, cut.height});
  add({cut.x + cut.width, cut.y, from.x + from.width - (cut.x + cut.width), cut.height});
  return pieces;
}

void DamageHistory::Record(PixelRect damage) {
  std::move_backward(recent_.begin(), recent_.end() - 1, recent_.end());
  recent_[0] = damage;
  count_ = std::min(count_ + 1, kDepth);
}

bool DamageHistory::MissingSince(int age, PixelRect& missing) const {
  if (age <= 0 || age - 1 > count_) return false;
  missing = {};
  for (int i = 0; i < age - 1; ++i)
    missing = Unite(missing, recent_[i]);
  return true;
}

}  // namespace skyrings
