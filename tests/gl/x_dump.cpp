// Prints everything the 3D layer takes from `.x` files as text, one value per field, so two
// versions of the reader can be compared file by file:
//
//   gl_x_dump FILE.x...
//
// Frames come with their parent and matrix, meshes part by part (material, then each triangle's
// corners with their normals), channels with their keys and the poses they give at a few times.
// Floats are printed with nine significant digits, enough to tell any two floats apart. A file that
// is refused prints its one-line error.
#include <cstdio>
#include <string>

#include "platform/gl/animation.h"
#include "platform/gl/x_file.h"

namespace {

using namespace skyrings::gl;

void PrintVec(Vec3 v) {
  std::printf(" %.9g %.9g %.9g", v.x, v.y, v.z);
}

void PrintMesh(const XMesh& mesh) {
  for (std::size_t p = 0; p < mesh.parts.size(); ++p) {
    const XMeshPart& part = mesh.parts[p];
    const XMaterial& m = part.material;
    std::printf("  part %zu: %zu vertices, %zu triangles\n", p, part.positions.size(),
                part.indices.size() / 3);
    std::printf(
        "   material diffuse %.9g %.9g %.9g %.9g power %.9g specular %.9g %.9g %.9g"
        " emissive %.9g %.9g %.9g\n",
        m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3], m.power, m.specular[0],
        m.specular[1], m.specular[2], m.emissive[0], m.emissive[1], m.emissive[2]);
    for (std::size_t t = 0; t + 2 < part.indices.size(); t += 3) {
      std::printf("   triangle");
      for (std::size_t c = 0; c < 3; ++c) {
        const std::uint32_t v = part.indices[t + c];
        std::printf(" |");
        PrintVec(part.positions.at(v));
        std::printf(" n");
        PrintVec(part.normals.at(v));
      }
      std::printf("\n");
    }
  }
}

template <typename T, typename Print>
void PrintKeys(const char* kind, const std::vector<XKey<T>>& keys, Print print) {
  for (const XKey<T>& key : keys) {
    std::printf("  %s %.9g", kind, key.time);
    print(key.value);
    std::printf("\n");
  }
}

void Dump(const std::string& path) {
  std::printf("file %s\n", path.c_str());
  XScene scene;
  if (skyrings::Status s = ReadXFile(path, scene); !s) {
    std::printf(" refused: %s\n", s.error().c_str());
    return;
  }
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    const XFrame& frame = scene.frames[f];
    std::printf(" frame %zu '%s' parent %d matrix", f, frame.name.c_str(), frame.parent);
    for (float v : frame.transform.m)
      std::printf(" %.9g", v);
    std::printf("\n");
    for (std::size_t m = 0; m < frame.meshes.size(); ++m) {
      std::printf(" mesh %zu of frame %zu\n", m, f);
      PrintMesh(frame.meshes[m]);
    }
  }
  for (const XChannel& channel : scene.channels) {
    std::printf(" channel frame %d %s\n", channel.frame, channel.closed ? "closed" : "open");
    PrintKeys("position", channel.positions, PrintVec);
    PrintKeys("rotation", channel.rotations,
              [](Quat q) { std::printf(" %.9g %.9g %.9g %.9g", q.w, q.x, q.y, q.z); });
    PrintKeys("scale", channel.scales, PrintVec);
    // The poses drawn from the keys, which do not depend on how a rotation's sign is written.
    const Mat4& base = scene.frames.at(static_cast<std::size_t>(channel.frame)).transform;
    for (float time : {0.0f, 1.5f, 4.0f, 7.5f, 10.0f, 13.25f, 19.0f, 20.0f, 25.0f, -3.0f}) {
      std::printf("  pose %.9g", time);
      for (float v : PoseAt(channel, time, base).m)
        std::printf(" %.9g", v);
      std::printf("\n");
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.x...\n", argv[0]);
    return 2;
  }
  for (int a = 1; a < argc; ++a)
    Dump(argv[a]);
  return 0;
}
