#pragma once
// Small vector and quaternion helpers for building meshes.
//
// Coordinates are left-handed: x right, y up, z away from the viewer.

#include <cmath>
#include <numbers>

namespace assets {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator-(Vec3 a) {
  return {-a.x, -a.y, -a.z};
}
inline double Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a) {
  return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a) {
  const double len = Length(a);
  return len > 0.0 ? a * (1.0 / len) : Vec3{0.0, 1.0, 0.0};
}

inline constexpr double kPi = std::numbers::pi;
inline double Radians(double degrees) {
  return degrees * kPi / 180.0;
}

// Rotations that take x towards y, y towards z and z towards x for positive angles.
inline Vec3 RotateZ(Vec3 v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}
inline Vec3 RotateX(Vec3 v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}
inline Vec3 RotateY(Vec3 v, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}

// A rotation quaternion (w, x, y, z) of `angle` about the unit vector `axis`.
struct Quat {
  double w = 1.0;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

inline Quat AxisAngle(Vec3 axis, double angle) {
  const Vec3 a = Normalize(axis);
  const double s = std::sin(angle / 2.0);
  return {std::cos(angle / 2.0), a.x * s, a.y * s, a.z * s};
}
inline Quat Conjugate(Quat q) {
  return {q.w, -q.x, -q.y, -q.z};
}

}  // namespace assets
