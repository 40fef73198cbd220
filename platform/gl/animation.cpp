#include "platform/gl/animation.h"

#include <algorithm>
#include <cmath>

namespace skyrings::gl {

namespace {

template <typename T>
void KeyRange(const std::vector<XKey<T>>& keys, float& first, float& last) {
  if (keys.empty()) return;
  first = std::min(first, keys.front().time);
  last = std::max(last, keys.back().time);
}

// The two keys around `time` and the fraction between them.
template <typename T>
bool Around(const std::vector<XKey<T>>& keys, float time, const T*& a, const T*& b, float& f) {
  if (keys.empty()) return false;
  if (time <= keys.front().time) {
    a = b = &keys.front().value;
    f = 0;
    return true;
  }
  if (time >= keys.back().time) {
    a = b = &keys.back().value;
    f = 0;
    return true;
  }
  const auto next = std::upper_bound(keys.begin(), keys.end(), time,
                                     [](float t, const XKey<T>& k) { return t < k.time; });
  const auto prev = next - 1;
  a = &prev->value;
  b = &next->value;
  const float span = next->time - prev->time;
  f = span > 0 ? (time - prev->time) / span : 0;
  return true;
}

// Splits an affine transform into position, rotation and per-axis scale.
void Decompose(const Mat4& m, Vec3& position, Mat4& rotation, Vec3& scale) {
  position = m.Origin();
  Vec3 x = m.Column(0), y = m.Column(1), z = m.Column(2);
  scale = {Length(x), Length(y), Length(z)};
  if (m.Determinant3() < 0) scale.x = -scale.x;
  rotation = Basis(scale.x != 0 ? x * (1 / scale.x) : Vec3{1, 0, 0},
                   scale.y != 0 ? y * (1 / scale.y) : Vec3{0, 1, 0},
                   scale.z != 0 ? z * (1 / scale.z) : Vec3{0, 0, 1});
}

}  // namespace

float ChannelTime(const XChannel& channel, float time) {
  float first = INFINITY, last = -INFINITY;
  KeyRange(channel.positions, first, last);
  KeyRange(channel.rotations, first, last);
  KeyRange(channel.scales, first, last);
  if (!(first <= last) || !std::isfinite(time)) return first <= last ? first : 0;
  if (channel.closed && last > first) {
    const float span = last - first;
    float t = std::fmod(time - first, span);
    if (t < 0) t += span;
    return first + t;
  }
  return std::clamp(time, first, last);
}

Mat4 PoseAt(const XChannel& channel, float time, const Mat4& base) {
  Vec3 position, scale;
  Mat4 rotation;
  Decompose(base, position, rotation, scale);
  const float t = ChannelTime(channel, time);
  const Vec3 *pa = nullptr, *pb = nullptr;
  float f = 0;
  if (Around(channel.positions, t, pa, pb, f)) position = Lerp(*pa, *pb, f);
  if (Around(channel.scales, t, pa, pb, f)) scale = Lerp(*pa, *pb, f);
  const Quat *qa = nullptr, *qb = nullptr;
  if (Around(channel.rotations, t, qa, qb, f)) rotation = RotationMatrix(Slerp(*qa, *qb, f));
  return Translation(position) * rotation * Scaling(scale);
}

}  // namespace skyrings::gl
