#pragma once
// Which part of a picture changed: rectangle arithmetic for redrawing only that part, and the
// record of past changes that tells how much of an older back buffer is out of date.

#include <array>
#include <vector>

#include "interfaces/window.h"

namespace skyrings {

inline bool IsEmpty(PixelRect rect) {
  return rect.width <= 0 || rect.height <= 0;
}

// The smallest rectangle holding both; an empty rectangle adds nothing.
PixelRect Unite(PixelRect a, PixelRect b);

// The part both share (empty when none).
PixelRect Intersect(PixelRect a, PixelRect b);

// `from` less `hole`, as at most four rectangles that do not overlap: the band above the hole,
// the band below it, and the pieces left and right of it.
std::vector<PixelRect> Subtract(PixelRect from, PixelRect hole);

// The changes of the last few presented pictures, newest first. A back buffer `age` pictures old
// (as EGL and GLX buffer age count: 1 is the last one presented) lacks the changes of the last
// age - 1 pictures.
class DamageHistory {
 public:
  static constexpr int kDepth = 4;

  // A picture was presented with `damage` changed in it.
  void Record(PixelRect damage);
  // Everything changed (a new size, a picture drawn whole): older buffers are all out of date.
  void Forget() { count_ = 0; }
  // Sets `missing` to what a back buffer of `age` lacks. False when that is unknown (age 0 means
  // undefined contents; or older than the history goes): the buffer must then be drawn whole.
  bool MissingSince(int age, PixelRect& missing) const;

 private:
  std::array<PixelRect, kDepth> recent_{};  // recent_[0] is the newest
  int count_ = 0;
};

}  // namespace skyrings
