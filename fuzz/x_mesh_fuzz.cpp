// .x mesh files (stage.x, ring.x, karasu.x): the reader, then the first mesh the mesh builder
// keeps. Whatever the reader accepts must be safe to upload: whole triangles, indices inside the
// vertex list, finite positions and one unit normal per position.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/gl/x_file.h"

namespace {

using skyrings::fuzz::Require;

bool Finite(const skyrings::gl::Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void CheckMesh(const skyrings::gl::XMesh& mesh) {
  Require(!mesh.parts.empty(), "a kept mesh has a part");
  for (const skyrings::gl::XMeshPart& part : mesh.parts) {
    Require(!part.indices.empty() && part.indices.size() % 3 == 0, "parts hold whole triangles");
    Require(part.normals.size() == part.positions.size(), "one normal per position");
    for (std::uint32_t index : part.indices) {
      Require(index < part.positions.size(), "triangle corners index the part's positions");
    }
    for (const auto& p : part.positions)
      Require(Finite(p), "positions are finite");
    for (const auto& n : part.normals) {
      Require(Finite(n) && std::fabs(skyrings::gl::Length(n) - 1) < 1e-3f, "normals are unit");
    }
    const skyrings::gl::XMaterial& m = part.material;
    for (float v : m.diffuse)
      Require(v >= 0 && v <= 1, "diffuse colour in range");
    for (float v : m.specular)
      Require(v >= 0 && v <= 1, "specular colour in range");
    for (float v : m.emissive)
      Require(v >= 0 && v <= 1, "emissive colour in range");
    Require(m.power >= 0 && m.power <= 1000, "specular power in range");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name = "stage.x";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  skyrings::gl::XScene scene;
  const skyrings::Status read = skyrings::gl::ReadXBuffer(name, bytes, scene);
  if (!read) {
    skyrings::fuzz::RequireNamedRefusal(read, name);
    return 0;
  }
  std::size_t vertices = 0;
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    const skyrings::gl::XFrame& frame = scene.frames[f];
    for (const auto& mesh : frame.meshes) {
      CheckMesh(mesh);
      for (const auto& part : mesh.parts)
        vertices += part.positions.size();
    }
  }
  Require(vertices <= skyrings::gl::kMaxXVertices, "the vertex limit holds");
  // The mesh builder copies the first mesh; a file without one is refused by name there.
  if (const skyrings::gl::XMesh* first = scene.FirstMesh(); first != nullptr) {
    const skyrings::gl::XMesh copy = *first;
    Require(copy.parts.size() == first->parts.size(), "the first mesh copies whole");
  }
  return 0;
}
