#pragma once
// Triangle meshes with per-face materials, and the shapes the models are built from.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "geometry.h"

namespace assets {

// A surface colour as the game lights it: diffuse colour, a specular highlight and an emissive
// glow that keeps faces turned away from the light readable.
struct Material {
  std::string name;
  Vec3 color;
  double power = 8.0;     // specular exponent
  double specular = 0.1;  // grey level of the highlight
  double emissive = 0.2;  // share of `color` that glows without light
};

struct Face {
  std::uint32_t a = 0;
  std::uint32_t b = 0;
  std::uint32_t c = 0;
  int material = 0;
};

// Chooses a material index for a face from its centre and outward normal.
using MaterialChooser = std::function<int(Vec3 centre, Vec3 normal)>;

class Mesh {
 public:
  explicit Mesh(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  const std::vector<Vec3>& positions() const { return positions_; }
  const std::vector<Vec3>& normals() const { return normals_; }
  const std::vector<Face>& faces() const { return faces_; }
  const std::vector<Material>& materials() const { return materials_; }

  // Adds a material, or finds the one of the same name.
  int AddMaterial(const Material& material);

  std::uint32_t AddVertex(Vec3 position, Vec3 normal);

  // A triangle on shared vertices, wound so that it faces along the sum of its vertex normals.
  void AddSmoothFace(std::uint32_t a, std::uint32_t b, std::uint32_t c, int material);

  // A flat-shaded triangle on vertices of its own, facing towards `outward` (which only has to
  // point to the correct side). Degenerate triangles are dropped.
  void AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, Vec3 outward, int material);
  void AddFlatTriangle(Vec3 a, Vec3 b, Vec3 c, Vec3 outward, const MaterialChooser& choose);

  // Moves every vertex by `offset`.
  void Translate(Vec3 offset);

 private:
  std::string name_;
  std::vector<Vec3> positions_;
  std::vector<Vec3> normals_;
  std::vector<Face> faces_;
  std::vector<Material> materials_;
};

// A closed flat-shaded body swept through `sections`, closed polygons of equal vertex count laid
// one after another. Ends are capped with a fan unless their section is a single repeated point.
// Faces are turned away from the sweep's axis (the line through the section centres).
// `capStart` false leaves the first end open (for a shape standing in the ground).
void AddLoft(Mesh& mesh, const std::vector<std::vector<Vec3>>& sections,
             const MaterialChooser& choose, bool capStart = true);

// An ellipse of `count` points around `centre` in the plane across the z axis.
std::vector<Vec3> EllipseXY(Vec3 centre, double rx, double ry, int count, double phase = 0.0);
// The same across the x axis (for lofts along x).
std::vector<Vec3> EllipseYZ(Vec3 centre, double ry, double rz, int count, double phase = 0.0);

// A flat-shaded ellipsoid of `slices` around and `stacks` from pole to pole, poles on the z axis.
void AddEllipsoid(Mesh& mesh, Vec3 centre, Vec3 radii, int slices, int stacks,
                  const MaterialChooser& choose);

// A smooth torus around the z axis: `major` from the centre to the tube's middle, tube radius
// `minor`; `materialOf` picks each segment's material.
void AddTorus(Mesh& mesh, double major, double minor, int segments, int sides,
              const std::function<int(int segment)>& materialOf);

// A cone from a base ellipse in the x-z plane (at `base`) up to `apex`. Its base is left open:
// cones stand on the ground or are only ever seen from above.
void AddCone(Mesh& mesh, Vec3 base, double rx, double rz, Vec3 apex, int sides, double phase,
             int material);

// Returns a chooser that always picks `material`.
MaterialChooser Always(int material);

}  // namespace assets
