// Reading .x files without OpenGL: what the fixtures hold, how their keys pose the frames, and
// how every kind of bad file is refused with a message naming it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/gl/animation.h"
#include "platform/gl/gl_objects.h"
#include "platform/gl/x_file.h"
#include "tests/gl/gl_test_util.h"

namespace skyrings::gl {
namespace {

using test::Fixture;

void ExpectVec(Vec3 actual, Vec3 expected, const std::string& what, float tolerance = 1e-3f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
  EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
  EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

TEST(XFile, ReadsMeshesMaterialsAndFramesInTheFilesOwnCoordinates) {
  XScene scene;
  ASSERT_OK(ReadXFile(Fixture("flap_closed.x"), scene));
  ASSERT_EQ(scene.frames.size(), 2u);
  EXPECT_EQ(scene.frames[0].name, "Body");
  EXPECT_EQ(scene.frames[1].name, "Wing");
  EXPECT_EQ(scene.frames[1].parent, 0);
  // The matrix's last row in the file is the translation.
  ExpectVec(scene.frames[1].transform.Origin(), {0, 30, 0}, "wing offset");

  const XMesh* body = scene.FirstMesh();
  ASSERT_NE(body, nullptr);
  ASSERT_EQ(body->parts.size(), 1u);
  const XMeshPart& part = body->parts[0];
  EXPECT_EQ(part.indices.size(), 36u) << "six quads, two triangles each";
  EXPECT_FLOAT_EQ(part.material.diffuse[0], 1.0f);
  const XMeshPart& wing = scene.frames[1].meshes.at(0).parts.at(0);
  EXPECT_FLOAT_EQ(wing.material.emissive[0], 1.0f);
  EXPECT_FLOAT_EQ(wing.material.diffuse[1], 0.0f);

  // Faces stay clockwise seen from the front, and normals from the file point out of the front.
  for (std::size_t t = 0; t < part.indices.size(); t += 3) {
    const Vec3 a = part.positions[part.indices[t]];
    const Vec3 b = part.positions[part.indices[t + 1]];
    const Vec3 c = part.positions[part.indices[t + 2]];
    const Vec3 front = Cross(b - a, c - a);
    const Vec3 centre = (a + b + c) * (1.0f / 3);
    EXPECT_GT(Dot(front, centre), 0) << "triangle " << t / 3 << " faces out of the cube";
    EXPECT_GT(Dot(part.normals[part.indices[t]], front), 0) << "normal of triangle " << t / 3;
  }
}

TEST(XFile, MeshWithoutMaterialIsWhiteAndGetsNormals) {
  const std::string path = ::testing::TempDir() + "bare.x";
  std::ofstream(path) << "xof 0302txt 0032\nMesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;;"
                         " 1; 3;0,1,2;; }\n";
  XScene scene;
  ASSERT_OK(ReadXFile(path, scene));
  const XMesh* mesh = scene.FirstMesh();
  ASSERT_NE(mesh, nullptr);
  const XMeshPart& part = mesh->parts.at(0);
  for (float c : part.material.diffuse)
    EXPECT_FLOAT_EQ(c, 1.0f);
  for (const Vec3& n : part.normals)
    ExpectVec(n, {0, 0, -1}, "normal toward the front (-z)");

  // Two faces folded along a shared edge share smooth normals there.
  std::ofstream(path) << "xof 0302txt 0032\nMesh { 4; -1.0;0.0;-1.0;, 0.0;1.0;0.0;, 0.0;-1.0;0.0;,"
                         " 1.0;0.0;-1.0;; 2; 3;0,1,2;, 3;2,1,3;; }\n";
  ASSERT_OK(ReadXFile(path, scene));
  const XMeshPart& roof = scene.FirstMesh()->parts.at(0);
  int onEdge = 0;
  for (std::size_t v = 0; v < roof.positions.size(); ++v) {
    if (roof.positions[v].x == 0) {
      ExpectVec(roof.normals[v], {0, 0, -1}, "shared edge");
      ++onEdge;
    } else {
      EXPECT_NEAR(std::fabs(roof.normals[v].x), std::sqrt(0.5f), 1e-3f) << "outer corner";
    }
  }
  EXPECT_GE(onEdge, 2);
}

TEST(XFile, MeshBuilderNeedsAMeshInTheFile) {
  const std::string path = ::testing::TempDir() + "frames_only.x";
  std::ofstream(path) << "xof 0302txt 0032\nFrame Empty { }\n";
  GlMeshBuilder mesh;
  EXPECT_EQ(mesh.LoadFromFile(path).error(), "LoadFromFile: " + path + ": no mesh in the file");
}

TEST(Animation, KeysPoseTheFrameAndClosedAnimationsWrap) {
  XScene scene;
  ASSERT_OK(ReadXFile(Fixture("flap_closed.x"), scene));
  ASSERT_EQ(scene.channels.size(), 1u);
  const XChannel& channel = scene.channels[0];
  EXPECT_EQ(channel.frame, 0);
  EXPECT_TRUE(channel.closed);
  const Mat4 base = scene.frames[0].transform;

  Mat4 pose = PoseAt(channel, 0, base);
  ExpectVec(pose.Origin(), {0, 0, 0}, "t=0 position");
  ExpectVec(pose.Column(0), {1, 0, 0}, "t=0 x axis");
  // The key at 10 is a quarter turn about y that takes the frame's x axis to +z.
  pose = PoseAt(channel, 10, base);
  ExpectVec(pose.Origin(), {100, 0, 0}, "t=10 position");
  ExpectVec(pose.Column(0), {0, 0, 1}, "t=10 x axis");
  ExpectVec(pose.Column(2), {-1, 0, 0}, "t=10 z axis");
  // Half way: linear position, spherical rotation (an eighth turn).
  pose = PoseAt(channel, 5, base);
  const float h = std::sqrt(0.5f);
  ExpectVec(pose.Origin(), {50, 0, 0}, "t=5 position");
  ExpectVec(pose.Column(0), {h, 0, h}, "t=5 x axis");
  // Keys run 0..20 as one cycle: 25 is 5 again, and -5 is 15.
  ExpectVec(PoseAt(channel, 25, base).Origin(), {50, 0, 0}, "t=25 wraps");
  ExpectVec(PoseAt(channel, -5, base).Origin(), {50, 0, 0}, "t=-5 wraps");
  ExpectVec(PoseAt(channel, 19, base).Origin(), {10, 0, 0}, "t=19");
}

TEST(Animation, OpenAnimationsStopAtTheirEnds) {
  XScene scene;
  ASSERT_OK(ReadXFile(Fixture("flap_open.x"), scene));
  ASSERT_EQ(scene.channels.size(), 1u);
  const XChannel& channel = scene.channels[0];
  EXPECT_FALSE(channel.closed);
  const Mat4 base = scene.frames[0].transform;
  ExpectVec(PoseAt(channel, 25, base).Origin(), {0, 0, 0}, "t=25 holds the last key");
  ExpectVec(PoseAt(channel, -3, base).Origin(), {0, 0, 0}, "t=-3 holds the first key");
  ExpectVec(PoseAt(channel, 15, base).Origin(), {50, 0, 0}, "t=15 inside the range");
}

TEST(Animation, FrameWithoutPositionKeysKeepsItsOwnPlace) {
  const std::string path = ::testing::TempDir() + "turn_only.x";
  std::ofstream(path) << R"(xof 0302txt 0032
Frame Arm {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 7.0,8.0,9.0,1.0;; }
  Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }
}
AnimationSet { Animation { { Arm }
  AnimationKey { 0; 3; 0;4;1.0,0.0,0.0,0.0;;, 4;4;0.70710678,0.0,0.70710678,0.0;;, 8;4;1.0,0.0,0.0,0.0;;; } } }
)";
  XScene scene;
  ASSERT_OK(ReadXFile(path, scene));
  ASSERT_EQ(scene.channels.size(), 1u);
  const Mat4 pose = PoseAt(scene.channels[0], 4, scene.frames[0].transform);
  ExpectVec(pose.Origin(), {7, 8, 9}, "position from the frame's matrix");
  ExpectVec(pose.Column(0), {0, 0, 1}, "quarter turn about y");
}

TEST(XFile, MeshesOutsideFramesHangUnderARootBesideTheFrames) {
  // One frame and one mesh outside it: neither is lost, and the mesh is not moved with the frame.
  const std::string text =
      "xof 0302txt 0032\n"
      "Mesh Loose { 3; 1e-400;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }\n"
      "Frame Only {\n"
      "  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, "
      "7.0,0.0,0.0,1.0;; }\n"
      "  Mesh Own { 4; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 4;0,1,2,3;; }\n"
      "}\n";
  XScene scene;
  ASSERT_OK(ReadXBuffer("loose.x", text, scene));
  ASSERT_EQ(scene.frames.size(), 2u);
  EXPECT_EQ(scene.frames[0].name, "");
  EXPECT_EQ(scene.frames[0].parent, -1);
  ExpectVec(scene.frames[0].transform.Origin(), {0, 0, 0}, "the root stays at the origin");
  EXPECT_EQ(scene.frames[1].name, "Only");
  EXPECT_EQ(scene.frames[1].parent, 0);
  ExpectVec(scene.frames[1].transform.Origin(), {7, 0, 0}, "the frame keeps its place");
  ASSERT_EQ(scene.FirstMesh(), &scene.frames[0].meshes.at(0));
  EXPECT_EQ(scene.FirstMesh()->parts.at(0).indices.size(), 3u);
  EXPECT_EQ(scene.FirstMesh()->parts.at(0).positions.at(0).x, 0.0f) << "too small: zero";
  EXPECT_EQ(scene.frames[1].meshes.at(0).parts.at(0).indices.size(), 6u);
}

TEST(Animation, RotationKeysOfAnyLengthAndWholeMatrixKeysPoseTheFrame) {
  const std::string text = R"(xof 0302txt 0032
Frame A { Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; } }
Frame B { }
AnimationSet Flap {
  Animation { { A }
    AnimationKey { 0; 2; 0;4;2.0,0.0,0.0,0.0;;, 10;4;3.0,0.0,3.0,0.0;;; } }
  Animation { { B }
    AnimationKey { 4; 1; 0;16; 0.0,0.0,2.0,0.0, 0.0,1.0,0.0,0.0, -1.0,0.0,0.0,0.0, 0.0,9.0,0.0,1.0;;; }
    AnimationOptions { 0; 1; } }
}
AnimationSet Other { Animation { { A } AnimationOptions { 0; 0; }
  AnimationKey { 2; 1; 0;3;1.0,2.0,3.0;;; } } }
)";
  XScene scene;
  ASSERT_OK(ReadXBuffer("keys.x", text, scene));
  // The first set only; each animation keeps its own options.
  ASSERT_EQ(scene.channels.size(), 2u);
  const XChannel& a = scene.channels[0];
  EXPECT_TRUE(a.closed);
  EXPECT_TRUE(a.positions.empty());
  // A quaternion need not be of unit length: (3, 0, 3, 0) is the quarter turn about y that takes
  // x to +z, and half way to it (the keys run 0..10 as a cycle) is an eighth.
  const Mat4 turned = PoseAt(a, 5, scene.frames[static_cast<std::size_t>(a.frame)].transform);
  const float h = std::sqrt(0.5f);
  ExpectVec(turned.Column(0), {h, 0, h}, "x axis at 5");
  ExpectVec(turned.Column(2), {-h, 0, h}, "z axis at 5");
  ExpectVec(PoseAt(a, 0, Mat4{}).Column(0), {1, 0, 0}, "x axis at 0");

  // A whole matrix is the frame's pose: axes in its rows, the origin in the last.
  const XChannel& b = scene.channels[1];
  EXPECT_EQ(scene.frames[static_cast<std::size_t>(b.frame)].name, "B");
  EXPECT_FALSE(b.closed);
  const Mat4 pose = PoseAt(b, 3, Mat4{});
  ExpectVec(pose.Column(0), {0, 0, 2}, "scaled x axis");
  ExpectVec(pose.Column(1), {0, 1, 0}, "y axis");
  ExpectVec(pose.Column(2), {-1, 0, 0}, "z axis");
  ExpectVec(pose.Origin(), {0, 9, 0}, "origin");
}

// Exporters differ in the separators they write between numbers, in GUIDs inside objects and in
// counts written as reals: such files read as what their numbers say.
TEST(XFile, ReadsNumbersWhateverTheirSeparators) {
  const std::string text =
      "xof 0302txt 0032\n"
      "Frame Root {\n"
      "  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0,"
      " 5.0,6,7.000000000000000000000000000001,1; }\n"  // one ';' at the end where the format has
                                                        // two, whole numbers
      "  Mesh Tri {\n"
      "    3; 0.0;;0.0;0.0;, 0.0,+1.0,0.0;, 1.0;0.0;0.0;;;\n"  // doubled, commas, tripled
      "    1.; 3.;0;1;2e0;;;\n"                                // whole numbers written as reals
      "    MeshNormals { <F6F23F43-7686-11cf-8F52-0040333594A3> 1; 0.0;0.0;-1.0;; 1; 3;0,0,0;; }\n"
      "  }\n"
      "}\n";
  XScene scene;
  ASSERT_OK(ReadXBuffer("seps.x", text, scene));
  ASSERT_EQ(scene.frames.size(), 1u);
  ExpectVec(scene.frames[0].transform.Origin(), {5, 6, 7}, "matrix read whole");
  const XMesh* mesh = scene.FirstMesh();
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->parts.size(), 1u);
  ASSERT_EQ(mesh->parts[0].indices.size(), 3u);
  ASSERT_EQ(mesh->parts[0].positions.size(), 3u);
  float ySum = 0, xSum = 0;
  for (const Vec3& p : mesh->parts[0].positions) {
    xSum += p.x;
    ySum += p.y;
  }
  EXPECT_FLOAT_EQ(xSum, 1);
  EXPECT_FLOAT_EQ(ySum, 1);
  for (const Vec3& n : mesh->parts[0].normals)
    ExpectVec(n, {0, 0, -1}, "the file's normal");
}

// A '#' starts a comment to the end of the line, even inside a name: "x#y {" is the name x and a
// comment, and the brace after it counts.
TEST(XFile, CommentsSeparatorsBetweenObjectsAndObjectsOfOtherKindsAreSkipped) {
  XScene scene;
  ASSERT_OK(ReadXBuffer("hash.x", "xof 0302txt 0032\nFrame A { }\nExtra E { x#y {\n}\n", scene));
  EXPECT_EQ(scene.frames.size(), 1u);
  // Separators between objects are skipped too.
  ASSERT_OK(ReadXBuffer("sep.x", "xof 0302txt 0032\nFrame A { };\nFrame B { },\n", scene));
  EXPECT_EQ(scene.frames.size(), 3u);  // a root above the two
  // An object of another type inside a mesh is left out, the mesh's numbers are not.
  ASSERT_OK(ReadXBuffer("extra.x",
                        "xof 0302txt 0032\nMesh M { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;;"
                        " 1; 3;0,1,2;; VertexDuplicationIndices { 3; 3; 0, 1, 2; } }\n",
                        scene));
  ASSERT_NE(scene.FirstMesh(), nullptr);
  EXPECT_EQ(scene.FirstMesh()->parts.at(0).indices.size(), 3u);
}

// ---- Bad files ----

struct BadFile {
  const char* name;
  std::string bytes;
  const char* expected;  // part of the message
};

std::string Repeat(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i)
    r += s;
  return r;
}

std::vector<BadFile> BadFiles() {
  std::string cube;
  {
    std::ifstream in(Fixture("cube.x"), std::ios::binary);
    cube.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::string random(4096, '\0');
  std::mt19937 rng(7);
  for (char& c : random)
    c = static_cast<char>(rng());
  std::string randomAfterHeader = "xof 0302txt 0032\n" + random;
  // A BMP picture given a .x name.
  std::string bmp = "BM" + std::string(52, '\0');
  const std::string header = "xof 0302txt 0032\n";
  return {
      {"empty.x", "", "empty file"},
      {"short.x", "xof 03", "truncated"},
      {"truncated_cube.x", cube.substr(0, cube.size() / 2), "truncated"},
      {"random.x", random, "not a DirectX .x file"},
      {"random_body.x", randomAfterHeader, "not a text .x file"},
      {"picture.x", bmp, "not a DirectX .x file"},
      {"binary.x", "xof 0302bin 0032" + std::string(64, '\1'), "binary .x files are not supported"},
      {"zipped.x", "xof 0302tzip0032" + std::string(64, '\1'), "compressed"},
      {"huge_vertex_count.x", header + "Mesh { 30000000; 1.0;2.0;3.0;; }\n", "larger than"},
      {"huge_face_size.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3000000000;0,1,2;; }\n",
       "larger than"},
      {"negative_count.x", header + "Mesh { -5; 1.0;2.0;3.0;; }\n", "malformed"},
      {"huge_key_count.x",
       header + "Frame A { } AnimationSet { Animation { {A} AnimationKey { 2; 20000000; "
                "0;3;1.0,2.0,3.0;;; } } }\n",
       "larger than"},
      {"deep.x", header + Repeat("Frame F {", 200) + Repeat("}", 200), "nested"},
      // Small files that would need far more memory than they take.
      {"many_frames.x", header + Repeat("Frame F { }\n", 9000), "more than 8192 objects"},
      {"huge_mesh.x",
       header + "Mesh { 100001;\n" + Repeat("0.0;0.0;0.0;,\n", 100000) +
           "0.0;0.0;0.0;;\n1;\n3;0,1,2;;\n}\n",
       "more than 100000 vertices"},
      {"many_corners.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 2; 200001;" +
           Repeat("0,", 200000) + "0;, 200000;" + Repeat("0,", 199999) + "0;; }\n",
       "more than 400000 face corners"},
      {"unbalanced.x", header + "Frame A { } }\n", "without '{'"},
      {"bad_index.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,7;; }\n",
       "out of range"},
      // Layouts whose counts and indices do not match their numbers.
      {"missing_material.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; "
                "MeshMaterialList { 1; 1; 0;; } }\n",
       "announces 1 materials but holds 0"},
      {"stray_comma.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; "
                "MeshMaterialList { 1; 1; 0;;, Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; "
                "0.0;0.0;0.0;; } } }\n",
       "stray"},
      {"unknown_material.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; "
                "MeshMaterialList { 1; 1; 0;; { Gold } } }\n",
       "no material named 'Gold'"},
      {"normals_mismatch.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; "
                "MeshNormals { 1; 0.0;0.0;-1.0;; 1; 4;0,0,0,0;; } }\n",
       "normals' faces do not match"},
      {"short_mesh.x", header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;; 1; 3;0,1,2;; }\n",
       "malformed: Mesh"},
      {"no_separator.x",
       header + "Mesh { 3; 0.0 0.0 0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }\n",
       "no separator"},
      {"cut_name.x", header + "Mesh Cube", "truncated"},
      {"long_count.x", header + "Mesh { " + std::string(5000, '9') + "; }\n", "larger than"},
      {"vertex_colours.x",
       header + "Mesh { 3; 0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; "
                "MeshVertexColors { 1; 0;1.0;1.0;1.0;1.0;;; } }\n",
       "vertex colours do not match"},
      {"object_in_matrix.x",
       header + "Frame A { FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, "
                "0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; Extra X { } } }\n",
       "an object inside FrameTransformMatrix"},
      // A number too large for a float.
      {"long_number.x",
       header +
           "Frame F { FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, "
           "0.0,0.0,1.0,0.0, 5.0," +
           std::string(70, '4') + "1.0,0.0,1.0;; } }\n",
       "frame 'F' matrix"},
      {"stray_bracket.x", header + "Frame A { }\n[\n", "stray '['"},
      {"reference_in_frame.x", header + "Frame A { } Frame B { { A } }\n", "without a type"},
      {"reference_with_more.x",
       header + "Frame A { } AnimationSet { Animation { { A AnimationKey { 2; 0; } } } }\n",
       "bad reference in Animation"},
      {"not_finite.x",
       header + "Mesh { 3; 0.0;1e39;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;; 1; 3;0,1,2;; }\n",
       "not finite"},
  };
}

TEST(XFileRefuses, EveryKindOfBadFileWithItsPathAndCauseAndBoundedMemory) {
  const std::string dir = ::testing::TempDir();
  for (const BadFile& bad : BadFiles()) {
    const std::string path = dir + bad.name;
    {
      std::ofstream out(path, std::ios::binary);
      out.write(bad.bytes.data(), static_cast<std::streamsize>(bad.bytes.size()));
    }
    XScene scene;
    const Status s = ReadXFile(path, scene);
    EXPECT_FALSE(s.ok()) << bad.name;
    EXPECT_EQ(s.error().rfind(path + ": ", 0), 0u) << bad.name << ": " << s.error();
    EXPECT_NE(s.error().find(bad.expected), std::string::npos) << bad.name << ": " << s.error();
    // One short line, however much of the file the cause would quote.
    EXPECT_LE(s.error().size(), path.size() + 2 + 203) << bad.name;
    EXPECT_EQ(s.error().find('\n'), std::string::npos) << bad.name;
  }
  XScene scene;
  const std::string missing = dir + "no_such_dir/ring.x";
  EXPECT_EQ(ReadXFile(missing, scene).error(), missing + ": no such file");
  EXPECT_NE(ReadXFile(dir, scene).error().find("folder"), std::string::npos);
  EXPECT_EQ(ReadXFile("/dev/zero", scene).error(), "/dev/zero: not a regular file");

  // A file over the size limit is refused before it is read.
  const std::string big = dir + "big.x";
  {
    std::ofstream out(big, std::ios::binary);
    out << "xof 0302txt 0032\n" << std::string(kMaxXFileBytes, ' ');
  }
  EXPECT_NE(ReadXFile(big, scene).error().find("too large"), std::string::npos);

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss, 256 * 1024) << "peak memory in KB";
}

TEST(XFileRefuses, DamagedFixturesAreReadOrRefusedWithoutHarm) {
  // Cut, overwritten and spliced copies of good files: each is either read whole or refused
  // with a message naming it (run under the sanitizers this also checks the memory accesses).
  std::mt19937 rng(11);
  const char* numbers[] = {"4294967295", "-1", "99999999", "0", "1e38", "65537"};
  for (const char* fixture : {"cube.x", "flap_closed.x", "triangle.x"}) {
    std::ifstream in(Fixture(fixture), std::ios::binary);
    const std::string good(std::istreambuf_iterator<char>(in), {});
    for (int round = 0; round < 150; ++round) {
      std::string bytes = good;
      const std::size_t at = rng() % bytes.size();
      switch (round % 4) {
        case 0:
          bytes.resize(at);
          break;
        case 1:
          bytes[at] = static_cast<char>(rng());
          break;
        case 2:
          bytes.insert(at, numbers[rng() % std::size(numbers)]);
          break;
        default:
          bytes.insert(at, good.substr(rng() % good.size(), 40));
          break;
      }
      XScene scene;
      const std::string name = std::string("damaged_") + fixture;
      const Status s = ReadXBuffer(name, bytes, scene);
      if (!s) {
        EXPECT_EQ(s.error().rfind(name + ": ", 0), 0u) << s.error();
      } else {
        for (const XFrame& frame : scene.frames) {
          for (const XMesh& mesh : frame.meshes) {
            for (const XMeshPart& part : mesh.parts) {
              for (std::uint32_t index : part.indices)
                ASSERT_LT(index, part.positions.size());
            }
          }
        }
      }
    }
  }
}

TEST(XFileRefuses, CountsAValidFileMayHoldAreAccepted) {
  // Large indices late in a file refer to what came before; they are not counts.
  std::string text = "xof 0302txt 0032\nMesh {\n70000;\n";
  for (int i = 0; i < 70000; ++i)
    text += "0.0;" + std::to_string(i % 7) + ".0;1.0;" + (i + 1 < 70000 ? ",\n" : ";\n");
  text += "1;\n3;69999,69998,69997;;\n}\n";
  XScene scene;
  EXPECT_OK(ReadXBuffer("late_indices.x", text, scene));
}

}  // namespace
}  // namespace skyrings::gl

namespace skyrings::gl {
namespace {

// The game's own data files, as the build made them.
TEST(XFile, TheGamesDataFilesAreRead) {
  const std::string data = SKYRINGS_DATA_DIR;
  for (const char* file : {"stage.x", "ring.x", "karasu.x"}) {
    XScene scene;
    ASSERT_OK(ReadXFile(data + "/" + file, scene));
    const XMesh* mesh = scene.FirstMesh();
    ASSERT_NE(mesh, nullptr) << file;
    std::size_t triangles = 0;
    for (const XMeshPart& part : mesh->parts)
      triangles += part.indices.size() / 3;
    EXPECT_GT(triangles, 20u) << file;
  }
  for (const char* file : {"bird1.x", "bird2.x", "bird3.x", "bird4.x"}) {
    XScene scene;
    ASSERT_OK(ReadXFile(data + "/" + file, scene));
    EXPECT_GE(scene.frames.size(), 4u) << file;  // root, body and two wings at least
    EXPECT_GE(scene.channels.size(), 3u) << file;
  }
}

}  // namespace
}  // namespace skyrings::gl
