#include "mesh.h"

#include <cmath>
#include <utility>

namespace assets {
namespace {

Vec3 Centroid(const std::vector<Vec3>& points) {
  Vec3 sum;
  for (const Vec3& p : points)
    sum = sum + p;
  return points.empty() ? sum : sum * (1.0 / static_cast<double>(points.size()));
}

}  // namespace

int Mesh::AddMaterial(const Material& material) {
  for (std::size_t i = 0; i < materials_.size(); ++i) {
    if (materials_[i].name == material.name) return static_cast<int>(i);
  }
  materials_.push_back(material);
  return static_cast<int>(materials_.size() - 1);
}

std::uint32_t Mesh::AddVertex(Vec3 position, Vec3 normal) {
  positions_.push_back(position);
  normals_.push_back(Normalize(normal));
  return static_cast<std::uint32_t>(positions_.size() - 1);
}

void Mesh::AddSmoothFace(std::uint32_t a, std::uint32_t b, std::uint32_t c, int material) {
  const Vec3 pa = positions_[a], pb = positions_[b], pc = positions_[c];
  const Vec3 n = Cross(pb - pa, pc - pa);
  if (Length(n) < 1e-9) return;
  const Vec3 want = normals_[a] + normals_[b] + normals_[c];
  // Clockwise as seen from the front in left-handed coordinates: the plain cross product of the
  // two edges points out of the front face.
  if (Dot(n, want) < 0.0) std::swap(b, c);
  faces_.push_back({a, b, c, material});
}

void Mesh::AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, Vec3 outward, int material) {
  AddFlatTriangle(a, b, c, outward, Always(material));
}

void Mesh::AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, Vec3 outward, const MaterialChooser& choose) {
  Vec3 n = Cross(b - a, c - a);
  if (Length(n) < 1e-6) return;
  if (Dot(n, outward) < 0.0) {
    std::swap(b, c);
    n = -n;
  }
  n = Normalize(n);
  const int material = choose((a + b + c) * (1.0 / 3.0), n);
  const std::uint32_t ia = AddVertex(a, n);
  const std::uint32_t ib = AddVertex(b, n);
  const std::uint32_t ic = AddVertex(c, n);
  faces_.push_back({ia, ib, ic, material});
}

void Mesh::Translate(Vec3 offset) {
  for (Vec3& p : positions_)
    p = p + offset;
}

void AddLoft(Mesh& mesh, const std::vector<std::vector<Vec3>>& sections,
             const MaterialChooser& choose, bool capStart) {
  if (sections.size() < 2) return;
  const std::size_t count = sections.front().size();
  std::vector<Vec3> centres;
  for (const auto& s : sections)
    centres.push_back(Centroid(s));
  for (std::size_t i = 0; i + 1 < sections.size(); ++i) {
    const auto& s0 = sections[i];
    const auto& s1 = sections[i + 1];
    const Vec3 axis = (centres[i] + centres[i + 1]) * 0.5;
    for (std::size_t j = 0; j < count; ++j) {
      const std::size_t k = (j + 1) % count;
      const Vec3 quadCentre = (s0[j] + s0[k] + s1[j] + s1[k]) * 0.25;
      const Vec3 out = quadCentre - axis;
      mesh.AddFlatTriangle(s0[j], s0[k], s1[k], out, choose);
      mesh.AddFlatTriangle(s0[j], s1[k], s1[j], out, choose);
    }
  }
  auto cap = [&](std::size_t index, std::size_t inner) {
    const auto& s = sections[index];
    const Vec3 out = centres[index] - centres[inner];
    for (std::size_t j = 0; j < count; ++j) {
      mesh.AddFlatTriangle(centres[index], s[j], s[(j + 1) % count], out, choose);
    }
  };
  if (capStart) cap(0, 1);
  cap(sections.size() - 1, sections.size() - 2);
}

std::vector<Vec3> EllipseXY(Vec3 centre, double rx, double ry, int count, double phase) {
  std::vector<Vec3> points;
  for (int i = 0; i < count; ++i) {
    const double a = phase + 2.0 * kPi * i / count;
    points.push_back({centre.x + rx * std::cos(a), centre.y + ry * std::sin(a), centre.z});
  }
  return points;
}

std::vector<Vec3> EllipseYZ(Vec3 centre, double ry, double rz, int count, double phase) {
  std::vector<Vec3> points;
  for (int i = 0; i < count; ++i) {
    const double a = phase + 2.0 * kPi * i / count;
    points.push_back({centre.x, centre.y + ry * std::sin(a), centre.z + rz * std::cos(a)});
  }
  return points;
}

void AddEllipsoid(Mesh& mesh, Vec3 centre, Vec3 radii, int slices, int stacks,
                  const MaterialChooser& choose) {
  for (int i = 0; i < stacks; ++i) {
    const double t0 = kPi * i / stacks, t1 = kPi * (i + 1) / stacks;
    for (int j = 0; j < slices; ++j) {
      const double p0 = 2.0 * kPi * j / slices, p1 = 2.0 * kPi * (j + 1) / slices;
      auto at = [&](double t, double p) {
        return Vec3{centre.x + radii.x * std::sin(t) * std::cos(p),
                    centre.y + radii.y * std::sin(t) * std::sin(p),
                    centre.z - radii.z * std::cos(t)};
      };
      const Vec3 a = at(t0, p0), b = at(t0, p1), c = at(t1, p1), d = at(t1, p0);
      const Vec3 out = (a + b + c + d) * 0.25 - centre;
      mesh.AddFlatTriangle(a, b, c, out, choose);
      mesh.AddFlatTriangle(a, c, d, out, choose);
    }
  }
}

void AddTorus(Mesh& mesh, double major, double minor, int segments, int sides,
              const std::function<int(int segment)>& materialOf) {
  std::vector<std::uint32_t> index;
  for (int i = 0; i < segments; ++i) {
    const double u = 2.0 * kPi * i / segments;
    const Vec3 radial{std::cos(u), std::sin(u), 0.0};
    for (int j = 0; j < sides; ++j) {
      const double v = 2.0 * kPi * j / sides;
      const Vec3 normal = radial * std::cos(v) + Vec3{0.0, 0.0, std::sin(v)};
      index.push_back(mesh.AddVertex(radial * major + normal * minor, normal));
    }
  }
  auto at = [&](int i, int j) {
    return index[static_cast<std::size_t>((i % segments) * sides + (j % sides))];
  };
  for (int i = 0; i < segments; ++i) {
    for (int j = 0; j < sides; ++j) {
      const int material = materialOf(i);
      mesh.AddSmoothFace(at(i, j), at(i + 1, j), at(i + 1, j + 1), material);
      mesh.AddSmoothFace(at(i, j), at(i + 1, j + 1), at(i, j + 1), material);
    }
  }
}

void AddCone(Mesh& mesh, Vec3 base, double rx, double rz, Vec3 apex, int sides, double phase,
             int material) {
  std::vector<Vec3> ring;
  for (int i = 0; i < sides; ++i) {
    const double a = phase + 2.0 * kPi * i / sides;
    ring.push_back({base.x + rx * std::cos(a), base.y, base.z + rz * std::sin(a)});
  }
  const Vec3 inside = (base + apex) * 0.5;
  for (int i = 0; i < sides; ++i) {
    const Vec3 a = ring[static_cast<std::size_t>(i)];
    const Vec3 b = ring[static_cast<std::size_t>((i + 1) % sides)];
    mesh.AddFlatTriangle(a, b, apex, (a + b + apex) * (1.0 / 3.0) - inside, material);
  }
}

MaterialChooser Always(int material) {
  return [material](Vec3, Vec3) { return material; };
}

}  // namespace assets
