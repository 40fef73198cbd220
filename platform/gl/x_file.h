#pragma once
// Reading DirectX `.x` files (text format) into CPU-side meshes, frames and animation keys.
//
// Nothing here touches OpenGL, so the whole path from file bytes to checked data can be driven
// without a graphics context. Every failure is one line naming the file and what is wrong with
// it; binary and compressed files are refused. Memory and time are bounded by the limits below.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interfaces/status.h"
#include "platform/gl/xmath.h"

namespace skyrings::gl {

struct XMaterial {
  float diffuse[4] = {1, 1, 1, 1};  // the face colour, RGBA
  float power = 0;                  // specular exponent
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
};

// Triangles of one material.
struct XMeshPart {
  XMaterial material;
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;           // one per position, unit length
  std::vector<std::uint32_t> indices;  // three per triangle, clockwise seen from the front
};

struct XMesh {
  std::vector<XMeshPart> parts;
};

// Frames inside frames, in file order. A file with one frame at its top has it as the root;
// otherwise the root is a frame without a name above the frames at the top and holding the
// meshes that are in no frame.
struct XFrame {
  std::string name;
  int parent = -1;            // index into XScene::frames; -1 for the root
  Mat4 transform;             // relative to the parent
  std::vector<XMesh> meshes;  // none, or one holding the parts of all its meshes
};

template <typename T>
struct XKey {
  float time = 0;
  T value{};
};

// The keys that move one frame: one channel per animation of the file's first animation set that
// names a frame the file has.
struct XChannel {
  int frame = -1;      // index into XScene::frames
  bool closed = true;  // closed animations wrap over their key range, open ones clamp
  std::vector<XKey<Vec3>> positions;
  std::vector<XKey<Quat>> rotations;  // rotations as RotationMatrix() takes them
  std::vector<XKey<Vec3>> scales;
};

struct XScene {
  std::vector<XFrame> frames;  // frames[0] is the root; parents come before their children
  std::vector<XChannel> channels;
  // The first mesh in the file (in frame order).
  const XMesh* FirstMesh() const;
};

// Limits on what a file may ask for.
inline constexpr std::size_t kMaxXFileBytes = 8u << 20;
inline constexpr std::size_t kMaxXVertices = 100000;  // and faces over all meshes, and keys
inline constexpr std::size_t kMaxXObjects = 8192;     // objects of any kind, templates aside
inline constexpr int kMaxXNesting = 48;
// Face corners over all meshes: each becomes a vertex before identical ones are joined.
inline constexpr std::size_t kMaxXCorners = 4 * kMaxXVertices;

// Reads and checks a text `.x` file. On failure `out` is empty.
Status ReadXFile(const std::string& path, XScene& out);
// The same from bytes in memory; `name` is used in messages.
Status ReadXBuffer(const std::string& name, std::string_view bytes, XScene& out);

// The `.x` files one 3D component has read, kept from one game to the next: a file whose bytes
// have not changed is not parsed again. Every read still reads the file, so one deleted, damaged
// or changed since the last read is seen as it would be the first time.
class XFileCache {
 public:
  // Reads `path` as ReadXFile does; `out` shares the parsed scene with the cache.
  Status Read(const std::string& path, std::shared_ptr<const XScene>& out);
  // How many reads had to parse their file.
  std::size_t parses() const { return parses_; }

 private:
  struct Entry {
    std::string path;
    std::string bytes;
    std::shared_ptr<const XScene> scene;
  };
  static constexpr std::size_t kMaxEntries = 16;  // the game reads seven
  std::vector<Entry> entries_;                    // the most recently read last
  std::size_t parses_ = 0;
};

}  // namespace skyrings::gl
