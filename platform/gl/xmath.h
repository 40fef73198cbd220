#pragma once
// Small vector, quaternion and matrix types for the 3D layer.
//
// Coordinates are left-handed (x right, y up, z away from the viewer). Matrices act on column
// vectors and are stored column by column, the way OpenGL takes them: m[column * 4 + row]. A
// frame's matrix has its x, y and z axes in the first three columns and its origin in the fourth.

#include <array>
#include <cmath>

namespace skyrings::gl {

struct Vec3 {
  float x = 0, y = 0, z = 0;
  friend Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  friend Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
};

inline float Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) {
  return std::sqrt(Dot(a, a));
}
inline Vec3 Lerp(Vec3 a, Vec3 b, float t) {
  return a + (b - a) * t;
}

// Unit quaternion; as a rotation it acts on column vectors (see RotationMatrix).
struct Quat {
  float w = 1, x = 0, y = 0, z = 0;
};

// Spherical-linear interpolation along the shorter arc.
Quat Slerp(Quat a, Quat b, float t);

struct Mat4 {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  float& at(int row, int column) { return m[static_cast<size_t>(column * 4 + row)]; }
  float at(int row, int column) const { return m[static_cast<size_t>(column * 4 + row)]; }
  Vec3 Column(int c) const { return {at(0, c), at(1, c), at(2, c)}; }
  void SetColumn(int c, Vec3 v) {
    at(0, c) = v.x;
    at(1, c) = v.y;
    at(2, c) = v.z;
  }
  Vec3 Origin() const { return Column(3); }
  // Transforms a point (w = 1) and a direction (w = 0).
  Vec3 Point(Vec3 p) const { return Direction(p) + Origin(); }
  Vec3 Direction(Vec3 d) const { return Column(0) * d.x + Column(1) * d.y + Column(2) * d.z; }
  // Determinant of the upper-left 3 x 3 part: negative when the matrix mirrors.
  float Determinant3() const { return Dot(Column(0), Cross(Column(1), Column(2))); }

  friend Mat4 operator*(const Mat4& a, const Mat4& b);
};

Mat4 Translation(Vec3 t);
Mat4 Scaling(Vec3 s);
Mat4 RotationMatrix(Quat q);
// A matrix with axes x, y, z in its columns and origin `origin`.
Mat4 Basis(Vec3 x, Vec3 y, Vec3 z, Vec3 origin = {});
// Inverse of a matrix whose last row is (0, 0, 0, 1); identity when it cannot be inverted.
Mat4 AffineInverse(const Mat4& a);
// The same matrix with its upper-left 3 x 3 part inverted and transposed (for normals).
std::array<float, 9> NormalMatrix(const Mat4& a);

// The rotation whose z axis points along `direction` and whose y axis is `up` made perpendicular
// to it; x = y cross z keeps the basis left-handed. Returns false when `direction` is zero. An up
// vector parallel to the direction is replaced by the nearest usable one.
bool OrientationBasis(Vec3 direction, Vec3 up, Mat4& out);

// The orientation whose z axis points along `direction` with no roll: its x axis stays in the
// horizontal plane. `currentX` (the frame's present x axis) decides the heading when the
// direction is straight up or down. Returns false when `direction` is zero.
bool LookAtBasis(Vec3 direction, Vec3 currentX, Mat4& out);

// Perspective projection of a left-handed camera space onto OpenGL clip space: `tanX` and `tanY`
// are the tangents of the horizontal and vertical half-angles; depth runs from `front` to `back`.
Mat4 Perspective(float tanX, float tanY, float front, float back);

}  // namespace skyrings::gl
