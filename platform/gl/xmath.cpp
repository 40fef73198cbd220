#include "platform/gl/xmath.h"

#include <algorithm>

namespace skyrings::gl {

Quat Slerp(Quat a, Quat b, float t) {
  float cosine = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
  if (cosine < 0) {
    b = {-b.w, -b.x, -b.y, -b.z};
    cosine = -cosine;
  }
  float wa = 1 - t;
  float wb = t;
  if (cosine < 0.9995f) {
    const float angle = std::acos(std::min(cosine, 1.0f));
    const float sine = std::sin(angle);
    wa = std::sin((1 - t) * angle) / sine;
    wb = std::sin(t * angle) / sine;
  }
  Quat r{wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
  const float n = std::sqrt(r.w * r.w + r.x * r.x + r.y * r.y + r.z * r.z);
  if (n > 0) r = {r.w / n, r.x / n, r.y / n, r.z / n};
  return r;
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      float s = 0;
      for (int k = 0; k < 4; ++k)
        s += a.at(row, k) * b.at(k, c);
      r.at(row, c) = s;
    }
  }
  return r;
}

Mat4 Translation(Vec3 t) {
  Mat4 r;
  r.SetColumn(3, t);
  return r;
}

Mat4 Scaling(Vec3 s) {
  Mat4 r;
  r.at(0, 0) = s.x;
  r.at(1, 1) = s.y;
  r.at(2, 2) = s.z;
  return r;
}

Mat4 RotationMatrix(Quat q) {
  const float n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
  if (n <= 0) return Mat4{};
  const float w = q.w / n, x = q.x / n, y = q.y / n, z = q.z / n;
  return Basis({1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)},
               {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)},
               {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)});
}

Mat4 Basis(Vec3 x, Vec3 y, Vec3 z, Vec3 origin) {
  Mat4 r;
  r.SetColumn(0, x);
  r.SetColumn(1, y);
  r.SetColumn(2, z);
  r.SetColumn(3, origin);
  return r;
}

Mat4 AffineInverse(const Mat4& a) {
  const Vec3 c0 = a.Column(0), c1 = a.Column(1), c2 = a.Column(2);
  const float det = a.Determinant3();
  if (!(std::fabs(det) > 1e-30f)) return Mat4{};
  // Rows of the inverse are the cross products of the columns over the determinant.
  const Vec3 r0 = Cross(c1, c2) * (1 / det);
  const Vec3 r1 = Cross(c2, c0) * (1 / det);
  const Vec3 r2 = Cross(c0, c1) * (1 / det);
  Mat4 r = Basis({r0.x, r1.x, r2.x}, {r0.y, r1.y, r2.y}, {r0.z, r1.z, r2.z});
  const Vec3 t = a.Origin();
  r.SetColumn(3, {-Dot(r0, t), -Dot(r1, t), -Dot(r2, t)});
  return r;
}

std::array<float, 9> NormalMatrix(const Mat4& a) {
  const Mat4 inv = AffineInverse(a);
  std::array<float, 9> n{};
  // Column-major 3 x 3 of the transposed inverse.
  for (int c = 0; c < 3; ++c) {
    for (int row = 0; row < 3; ++row)
      n[static_cast<size_t>(c * 3 + row)] = inv.at(c, row);
  }
  return n;
}

bool OrientationBasis(Vec3 direction, Vec3 up, Mat4& out) {
  const float len = Length(direction);
  if (!(len > 1e-12f) || !std::isfinite(len)) return false;
  const Vec3 z = direction * (1 / len);
  Vec3 y = up - z * Dot(up, z);
  if (!(Length(y) > 1e-6f * std::max(Length(up), 1e-30f)) || !std::isfinite(Length(y))) {
    // Up is parallel to the direction (or zero): use the world axis least aligned with it.
    const Vec3 candidates[3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    Vec3 best = candidates[0];
    float bestDot = 2;
    for (const Vec3& c : candidates) {
      const float d = std::fabs(Dot(c, z));
      if (d < bestDot) {
        bestDot = d;
        best = c;
      }
    }
    y = best - z * Dot(best, z);
  }
  y = y * (1 / Length(y));
  const Vec3 x = Cross(y, z);
  out = Basis(x, y, z);
  return true;
}

bool LookAtBasis(Vec3 direction, Vec3 currentX, Mat4& out) {
  const float len = Length(direction);
  if (!(len > 1e-12f) || !std::isfinite(len)) return false;
  const Vec3 z = direction * (1 / len);
  // The x axis is horizontal and perpendicular to z: (z.z, 0, -z.x) up to length.
  Vec3 x{z.z, 0, -z.x};
  if (Length(x) < 1e-6f) {
    x = {currentX.x, 0, currentX.z};
    if (Length(x) < 1e-6f) x = {1, 0, 0};
  }
  x = x * (1 / Length(x));
  const Vec3 y = Cross(z, x);
  out = Basis(x, y, z);
  return true;
}

Mat4 Perspective(float tanX, float tanY, float front, float back) {
  Mat4 p;
  p.m.fill(0);
  p.at(0, 0) = 1 / tanX;
  p.at(1, 1) = 1 / tanY;
  p.at(2, 2) = (back + front) / (back - front);
  p.at(2, 3) = -2 * back * front / (back - front);
  p.at(3, 2) = 1;
  return p;
}

}  // namespace skyrings::gl
