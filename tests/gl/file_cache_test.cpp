// Data files read again at the start of every game: one whose bytes did not change is not parsed
// again, and one changed, damaged or deleted since is seen exactly as on a first read.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "platform/gl/gl_objects.h"
#include "platform/gl/gl_retained3d.h"
#include "platform/gl/x_file.h"
#include "tests/gl/gl_test_util.h"

namespace skyrings::gl {
namespace {

const std::string kHeader = "xof 0302txt 0032\n";
// One triangle; the same with its first corner moved has the same size.
const std::string kTriangle =
    kHeader + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }\n";
const std::string kMovedTriangle =
    kHeader + "Mesh { 3; 5.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }\n";
const std::string kQuad = kHeader +
                          "Mesh { 4; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;0.0;0.0;;"
                          " 1; 4;0,1,2,3;; }\n";

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Where the mesh's first corner is.
float FirstX(const XScene& scene) {
  return scene.FirstMesh()->parts.at(0).positions.at(0).x;
}

TEST(XFileCache, ParsesAFileAgainOnlyWhenItsBytesChange) {
  const std::string path = ::testing::TempDir() + "cached.x";
  Write(path, kTriangle);
  XFileCache cache;
  std::shared_ptr<const XScene> first, again;
  ASSERT_OK(cache.Read(path, first));
  ASSERT_OK(cache.Read(path, again));
  EXPECT_EQ(cache.parses(), 1u);
  EXPECT_EQ(first, again) << "the parsed scene is shared, not copied";

  // The same size, written within the same second: only the bytes tell the change.
  Write(path, kMovedTriangle);
  ASSERT_OK(cache.Read(path, again));
  EXPECT_EQ(cache.parses(), 2u);
  EXPECT_EQ(FirstX(*again), 5.0f);
  EXPECT_EQ(FirstX(*first), 0.0f) << "a scene handed out earlier stays as it was";

  // Damaged, then deleted: the same errors as an uncached read, every time.
  Write(path, kTriangle.substr(0, kTriangle.size() / 2));
  XScene direct;
  const std::string damaged = ReadXFile(path, direct).error();
  EXPECT_EQ(cache.Read(path, again).error(), damaged);
  EXPECT_EQ(cache.Read(path, again).error(), damaged);
  std::remove(path.c_str());
  EXPECT_EQ(cache.Read(path, again).error(), path + ": no such file");

  // Back as it was first: read and parsed anew.
  Write(path, kTriangle);
  ASSERT_OK(cache.Read(path, again));
  EXPECT_EQ(FirstX(*again), 0.0f);

  // Other files do not disturb it, and it holds a bounded number of them.
  for (int k = 0; k < 40; ++k) {
    const std::string other = ::testing::TempDir() + "other" + std::to_string(k) + ".x";
    Write(other, kQuad);
    ASSERT_OK(cache.Read(other, again));
  }
  const std::size_t parses = cache.parses();
  ASSERT_OK(cache.Read(::testing::TempDir() + "other39.x", again));
  EXPECT_EQ(cache.parses(), parses) << "the latest files stay";
  ASSERT_OK(cache.Read(path, again));
  EXPECT_EQ(cache.parses(), parses + 1) << "the oldest made room";
}

// Games through the real component: each game reads its files anew through a new root object.
TEST(XFileCache, EachGameSeesFilesChangedDamagedOrDeletedSinceTheLast) {
  const std::string path = ::testing::TempDir() + "game_mesh.x";
  GlRetained3D component;
  std::shared_ptr<DirectX> dx;
  ASSERT_OK(component.DirectXCreate(dx));
  // Loads the file as a game does, as a mesh and as an animation set; the mesh's triangle
  // count, or the failure.
  auto game = [&](std::size_t& triangles) {
    Direct3DRMRef d3drm;
    EXPECT_OK(dx->Direct3DRMCreate(d3drm));
    MeshBuilderRef mesh;
    EXPECT_OK(d3drm->CreateMeshBuilder(mesh));
    const Status loaded = mesh->LoadFromFile(path);
    FrameRef scene;
    EXPECT_OK(d3drm->CreateFrame(nullptr, scene));
    AnimationSetRef set;
    EXPECT_OK(d3drm->CreateAnimationSet(set));
    EXPECT_EQ(set->LoadFromFile(path, scene).error(), loaded.error());
    triangles = 0;
    if (loaded) {
      for (const XMeshPart& part : std::dynamic_pointer_cast<GlMeshBuilder>(mesh)->mesh().parts)
        triangles += part.indices.size() / 3;
    }
    return loaded;
  };
  std::size_t triangles = 0;
  Write(path, kTriangle);
  ASSERT_OK(game(triangles));
  EXPECT_EQ(triangles, 1u);
  ASSERT_OK(game(triangles));
  EXPECT_EQ(triangles, 1u);
  Write(path, kQuad);
  ASSERT_OK(game(triangles));
  EXPECT_EQ(triangles, 2u);
  Write(path, kQuad.substr(0, kQuad.size() - 10));
  EXPECT_EQ(game(triangles).error().rfind("LoadFromFile: " + path + ": truncated", 0), 0u);
  std::remove(path.c_str());
  EXPECT_EQ(game(triangles).error(), "LoadFromFile: " + path + ": no such file");
  Write(path, kTriangle);
  ASSERT_OK(game(triangles));
  EXPECT_EQ(triangles, 1u);
}

}  // namespace
}  // namespace skyrings::gl
