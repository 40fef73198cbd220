// The meshes, as the game's reader reads them back in the files' own left-handed coordinates.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data_path.h"
#include "platform/gl/animation.h"
#include "platform/gl/x_file.h"

namespace skyrings_assets_test {
namespace {

using skyrings::gl::Cross;
using skyrings::gl::Dot;
using skyrings::gl::Length;
using skyrings::gl::Mat4;
using skyrings::gl::Vec3;
using skyrings::gl::XChannel;
using skyrings::gl::XFrame;
using skyrings::gl::XMeshPart;
using skyrings::gl::XScene;

struct Color {
  float r = 0, g = 0, b = 0;
};

struct Vertex {
  Vec3 position;  // in the file's root coordinates
  Vec3 normal;
  Color color;  // diffuse colour of its material
  std::string node;
};

struct Triangle {
  Vec3 p[3];
  Vec3 normalSum;
  Color color;
};

struct Model {
  bool loaded = false;
  std::string bytes;  // the file as written
  XScene scene;
  std::vector<Vertex> vertices;
  std::vector<Triangle> triangles;
  Vec3 lo{1e9f, 1e9f, 1e9f};
  Vec3 hi{-1e9f, -1e9f, -1e9f};
};

Model Load(const std::string& name) {
  Model model;
  model.bytes = ReadBytes(DataPath(name));
  const skyrings::Status read = skyrings::gl::ReadXFile(DataPath(name), model.scene);
  if (!read) {
    ADD_FAILURE() << read.error();
    return model;
  }
  model.loaded = true;
  std::vector<Mat4> world(model.scene.frames.size());
  for (std::size_t f = 0; f < model.scene.frames.size(); ++f) {
    const XFrame& frame = model.scene.frames[f];
    world[f] = frame.parent < 0 ? frame.transform
                                : world[static_cast<std::size_t>(frame.parent)] * frame.transform;
    for (const auto& mesh : frame.meshes) {
      for (const XMeshPart& part : mesh.parts) {
        const Color color{part.material.diffuse[0], part.material.diffuse[1],
                          part.material.diffuse[2]};
        std::vector<Vec3> positions, normals;
        for (std::size_t v = 0; v < part.positions.size(); ++v) {
          positions.push_back(world[f].Point(part.positions[v]));
          const Vec3 n = world[f].Direction(part.normals[v]);
          normals.push_back(n * (1 / Length(n)));
          model.vertices.push_back({positions.back(), normals.back(), color, frame.name});
          const Vec3& p = positions.back();
          model.lo = {std::min(model.lo.x, p.x), std::min(model.lo.y, p.y),
                      std::min(model.lo.z, p.z)};
          model.hi = {std::max(model.hi.x, p.x), std::max(model.hi.y, p.y),
                      std::max(model.hi.z, p.z)};
        }
        for (std::size_t t = 0; t + 2 < part.indices.size(); t += 3) {
          Triangle triangle;
          for (int k = 0; k < 3; ++k) {
            triangle.p[k] = positions[part.indices[t + static_cast<std::size_t>(k)]];
            triangle.normalSum =
                triangle.normalSum + normals[part.indices[t + static_cast<std::size_t>(k)]];
          }
          triangle.color = color;
          model.triangles.push_back(triangle);
        }
      }
    }
  }
  return model;
}

// The root's child frame of that name.
const XFrame* Child(const XScene& scene, const std::string& name) {
  for (const XFrame& frame : scene.frames) {
    if (frame.parent == 0 && frame.name == name) return &frame;
  }
  return nullptr;
}

// How many objects of a type the file holds (each opens a line of its own; templates aside).
std::size_t Objects(const std::string& text, const std::string& type) {
  std::size_t n = 0, start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::size_t first = text.find_first_not_of(" \t", start);
    if (first < end && text.compare(first, type.size(), type) == 0 &&
        (text[first + type.size()] == ' ' || text[first + type.size()] == '{')) {
      ++n;
    }
    start = end + 1;
  }
  return n;
}

// The colour that covers most triangles.
Color MainColor(const Model& model) {
  std::map<std::tuple<float, float, float>, int> counts;
  for (const Triangle& t : model.triangles)
    ++counts[{t.color.r, t.color.g, t.color.b}];
  const auto best =
      std::max_element(counts.begin(), counts.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; });
  return {std::get<0>(best->first), std::get<1>(best->first), std::get<2>(best->first)};
}

const Vertex& Extreme(const Model& model, float Vec3::*axis, bool highest) {
  return *std::max_element(
      model.vertices.begin(), model.vertices.end(), [&](const Vertex& a, const Vertex& b) {
        return highest ? a.position.*axis < b.position.*axis : a.position.*axis > b.position.*axis;
      });
}

bool Yellowish(const Color& c) {
  return c.r > 0.8f && c.g > 0.3f && c.b < 0.35f;
}

const std::vector<std::string> kMeshFiles = {"ring.x",  "karasu.x", "bird1.x", "bird2.x",
                                             "bird3.x", "bird4.x",  "stage.x"};

TEST(Meshes, LoadWithNormalsAndLitUntexturedMaterials) {
  for (const std::string& name : kMeshFiles) {
    SCOPED_TRACE(name);
    const Model model = Load(name);
    ASSERT_TRUE(model.loaded);
    ASSERT_GT(model.triangles.size(), 50u);
    // Every mesh gives its own normals, and no material names a picture.
    EXPECT_EQ(Objects(model.bytes, "MeshNormals"), Objects(model.bytes, "Mesh"));
    EXPECT_EQ(Objects(model.bytes, "TextureFilename"), 0u);
    for (const XFrame& frame : model.scene.frames) {
      for (const auto& mesh : frame.meshes) {
        for (const XMeshPart& part : mesh.parts) {
          const auto& m = part.material;
          // A little glow keeps faces turned away from the light readable, without washing out.
          const float d = m.diffuse[0] + m.diffuse[1] + m.diffuse[2];
          const float e = m.emissive[0] + m.emissive[1] + m.emissive[2];
          if (d > 0.3f) {
            EXPECT_GT(e, 0.1f * d);
            EXPECT_LT(e, 0.6f * d);
          }
        }
      }
    }
  }
}

TEST(Meshes, FacesAreWoundClockwiseSeenFromTheirLitSide) {
  for (const std::string& name : kMeshFiles) {
    SCOPED_TRACE(name);
    const Model model = Load(name);
    int wrong = 0;
    for (const Triangle& t : model.triangles) {
      const Vec3 cross = Cross(t.p[1] - t.p[0], t.p[2] - t.p[0]);
      if (Dot(cross, t.normalSum) <= 0.0f) ++wrong;
    }
    EXPECT_EQ(wrong, 0) << "of " << model.triangles.size() << " triangles";
  }
}

TEST(Meshes, SurfacesFaceOutwards) {
  // Winding and normals could both be turned inside out together, and the light would fall on
  // the inside. The models are built of closed shells, so their triangles enclose a positive
  // volume when the fronts face out; the ground faces up.
  for (const std::string name :
       {"ring.x", "karasu.x", "bird1.x", "bird2.x", "bird3.x", "bird4.x"}) {
    SCOPED_TRACE(name);
    const Model model = Load(name);
    double volume = 0.0;
    for (const Triangle& t : model.triangles)
      volume += Dot(t.p[0], Cross(t.p[1], t.p[2])) / 6.0;
    const Vec3 box = model.hi - model.lo;
    EXPECT_GT(volume, 0.01 * box.x * box.y * box.z);
  }
  const Model stage = Load("stage.x");
  int up = 0, down = 0;
  for (const Triangle& t : stage.triangles) {
    if (t.normalSum.y > 0.5f * Length(t.normalSum)) ++up;
    if (t.normalSum.y < -0.5f * Length(t.normalSum)) ++down;
  }
  EXPECT_GT(up, 8 * down);
}

TEST(Ring, OpeningMatchesThePassWindowAndFacesTheViewer) {
  const Model model = Load("ring.x");
  float inner = 1e9f, outer = 0.0f;
  for (const Vertex& v : model.vertices) {
    const float r = std::hypot(v.position.x, v.position.y);
    inner = std::min(inner, r);
    outer = std::max(outer, r);
  }
  EXPECT_GE(inner, 45.0f);
  EXPECT_LE(inner, 50.0f);
  EXPECT_LT(outer, 70.0f);
  EXPECT_LT(model.hi.z - model.lo.z, 20.0f) << "the opening lies in the x-y plane";
  EXPECT_NEAR(model.lo.x + model.hi.x, 0.0f, 0.01f);
  EXPECT_NEAR(model.lo.y + model.hi.y, 0.0f, 0.01f);
  EXPECT_TRUE(Yellowish(MainColor(model)));
}

TEST(Crow, SizeFitsTheCatchWindowAndItFacesTheViewer) {
  const Model model = Load("karasu.x");
  const Vec3 size = model.hi - model.lo;
  EXPECT_NEAR(size.x, 70.0f, 5.0f);
  EXPECT_NEAR(size.y, 45.0f, 5.0f);
  EXPECT_GE(model.lo.x, -40.0f);
  EXPECT_LE(model.hi.x, 40.0f);
  EXPECT_GE(model.lo.y, -30.0f);
  EXPECT_LE(model.hi.y, 30.0f);
  EXPECT_NEAR(model.lo.x + model.hi.x, 0.0f, 0.5f);
  EXPECT_NEAR(model.lo.y + model.hi.y, 0.0f, 0.5f);
  EXPECT_NEAR(model.lo.z + model.hi.z, 0.0f, 0.5f);
  // The beak is what points furthest towards the viewer (-z).
  EXPECT_TRUE(Yellowish(Extreme(model, &Vec3::z, false).color));
  // Very dark, but not so black that lighting cannot show its shape.
  const Color body = MainColor(model);
  EXPECT_LT(body.r + body.g + body.b, 0.75f);
  EXPECT_GT(std::max({body.r, body.g, body.b}), 0.08f);
}

TEST(Birds, FrameTreeWingspanAndFacing) {
  for (int player = 1; player <= 4; ++player) {
    const std::string name = "bird" + std::to_string(player) + ".x";
    SCOPED_TRACE(name);
    const Model model = Load(name);
    ASSERT_TRUE(model.loaded);
    for (const char* part : {"Body", "LeftWing", "RightWing"}) {
      const XFrame* frame = Child(model.scene, part);
      ASSERT_NE(frame, nullptr) << part;
      EXPECT_FALSE(frame->meshes.empty()) << part;
    }
    const Vec3 size = model.hi - model.lo;
    EXPECT_NEAR(size.x, 60.0f, 4.0f);
    EXPECT_NEAR(model.lo.x + model.hi.x, 0.0f, 0.5f);
    EXPECT_LT(size.y, 30.0f);
    for (const Vertex& v : model.vertices) {
      if (v.node == "LeftWing") {
        EXPECT_LT(v.position.x, 0.0f);
      }
      if (v.node == "RightWing") {
        EXPECT_GT(v.position.x, 0.0f);
      }
    }
    // Beak forward (+z), away from the viewer behind the bird.
    EXPECT_TRUE(Yellowish(Extreme(model, &Vec3::z, true).color));
  }
}

TEST(Birds, EachPlayerHasItsOwnColour) {
  std::vector<Color> colors;
  for (int player = 1; player <= 4; ++player) {
    colors.push_back(MainColor(Load("bird" + std::to_string(player) + ".x")));
  }
  const Color red = colors[0], blue = colors[1], green = colors[2], yellow = colors[3];
  EXPECT_TRUE(red.r > 2 * red.g && red.r > 2 * red.b);
  EXPECT_TRUE(blue.b > 2 * blue.r && blue.b > 1.5f * blue.g);
  EXPECT_TRUE(green.g > 2 * green.r && green.g > 2 * green.b);
  EXPECT_TRUE(yellow.r > 0.8f && yellow.g > 0.7f && yellow.b < 0.3f);
}

// Where a wing's tip ends up at a key, relative to the bird's root.
Vec3 TipAt(const XChannel& channel, std::size_t key, const Vec3& localTip) {
  const Mat4 turn = skyrings::gl::RotationMatrix(channel.rotations[key].value);
  return channel.positions[key].value + turn.Direction(localTip);
}

TEST(Birds, WingBeatIsOneClosedSmoothMirroredCycle) {
  for (int player = 1; player <= 4; ++player) {
    const std::string name = "bird" + std::to_string(player) + ".x";
    SCOPED_TRACE(name);
    const Model model = Load(name);
    ASSERT_TRUE(model.loaded);
    EXPECT_EQ(Objects(model.bytes, "AnimationSet"), 1u);
    EXPECT_EQ(Objects(model.bytes, "AnimTicksPerSecond"), 0u)
        << "no rate in the file: the game sets the pace";
    std::map<std::string, const XChannel*> channels;
    float lastKey = 0;
    for (const XChannel& channel : model.scene.channels) {
      const XFrame& frame = model.scene.frames[static_cast<std::size_t>(channel.frame)];
      channels[frame.name] = &channel;
      EXPECT_TRUE(channel.closed);
      for (const auto* keys : {&channel.positions, &channel.scales}) {
        if (!keys->empty()) lastKey = std::max(lastKey, keys->back().time);
      }
      if (!channel.rotations.empty()) lastKey = std::max(lastKey, channel.rotations.back().time);
    }
    EXPECT_EQ(lastKey, 20.0f) << "one beat lasts 20";
    ASSERT_TRUE(channels.count("LeftWing") && channels.count("RightWing"));
    for (const auto& [node, channel] : channels) {
      SCOPED_TRACE(node);
      ASSERT_NE(Child(model.scene, node), nullptr) << "keys drive a frame under the root";
      for (const auto& key : channel->rotations) {
        EXPECT_GE(key.time, 0.0f);
        EXPECT_LE(key.time, 20.0f);
      }
      const std::size_t n = channel->positions.size();
      ASSERT_GT(n, 0u);
      EXPECT_EQ(channel->positions[0].time, 0.0f);
      EXPECT_EQ(channel->positions[n - 1].time, 20.0f);
      EXPECT_LT(Length(channel->positions[0].value - channel->positions[n - 1].value), 1e-4f);
    }
    // The wing tips as the frames rest.
    Vec3 leftTip, rightTip;
    for (const Vertex& v : model.vertices) {
      if (v.node == "LeftWing" && v.position.x < leftTip.x) leftTip = v.position;
      if (v.node == "RightWing" && v.position.x > rightTip.x) rightTip = v.position;
    }
    const Vec3 leftLocal = leftTip - Child(model.scene, "LeftWing")->transform.Origin();
    const Vec3 rightLocal = rightTip - Child(model.scene, "RightWing")->transform.Origin();

    const XChannel& left = *channels["LeftWing"];
    const XChannel& right = *channels["RightWing"];
    const std::size_t keys = left.rotations.size();
    ASSERT_GE(keys, 5u);
    ASSERT_EQ(right.rotations.size(), keys);
    ASSERT_EQ(left.positions.size(), keys);
    ASSERT_EQ(right.positions.size(), keys);
    EXPECT_EQ(left.rotations[0].time, 0.0f);
    EXPECT_EQ(left.rotations[keys - 1].time, 20.0f);
    float highest = -1e9f, lowest = 1e9f;
    for (std::size_t k = 0; k < keys; ++k) {
      const Vec3 l = TipAt(left, k, leftLocal), r = TipAt(right, k, rightLocal);
      // Both wings beat together, mirror images of each other.
      EXPECT_NEAR(l.y, r.y, 0.01f) << "key " << k;
      EXPECT_NEAR(l.x, -r.x, 0.01f) << "key " << k;
      highest = std::max(highest, l.y);
      lowest = std::min(lowest, l.y);
      if (k > 0) {
        // Smooth: no key turns a wing by more than about a quarter of the beat.
        const float step = Length(l - TipAt(left, k - 1, leftLocal));
        EXPECT_LT(step, 14.0f) << "key " << k;
        EXPECT_GT(left.rotations[k].time, left.rotations[k - 1].time);
      }
    }
    EXPECT_GT(highest - lowest, 20.0f) << "the wings visibly flap";
    const Vec3 first = TipAt(left, 0, leftLocal), last = TipAt(left, keys - 1, leftLocal);
    EXPECT_LT(Length(first - last), 1e-3f) << "the pose at 20 is the pose at 0";
    EXPECT_LT(Length(first - leftTip), 1e-3f) << "the cycle starts from the resting pose";
  }
}

TEST(Stage, TileIsCentredWithModestRelief) {
  const Model model = Load("stage.x");
  EXPECT_NEAR(model.lo.x, -280.0f, 0.01f);
  EXPECT_NEAR(model.hi.x, 280.0f, 0.01f);
  EXPECT_NEAR(model.lo.z, -280.0f, 0.01f);
  EXPECT_NEAR(model.hi.z, 280.0f, 0.01f);
  EXPECT_GE(model.lo.y, -20.0f);
  EXPECT_LE(model.hi.y, 40.0f);
  EXPECT_GT(model.hi.y - model.lo.y, 15.0f) << "not a flat sheet";
  std::set<std::tuple<float, float, float>> colors;
  for (const Triangle& t : model.triangles)
    colors.insert({t.color.r, t.color.g, t.color.b});
  EXPECT_GE(colors.size(), 6u);
}

TEST(Stage, EdgesMatchWhicheverQuarterTurnsNeighboursHave) {
  const Model model = Load("stage.x");
  constexpr float kEdge = 280.0f, kTol = 0.01f;
  // For each side, where along it the edge vertices sit (measured so that a quarter turn maps
  // one side's measure onto the next's).
  std::set<long> along[4];
  std::set<std::tuple<float, float, float>> edgeColors;
  for (const Vertex& v : model.vertices) {
    const Vec3& p = v.position;
    const float sides[4][2] = {{p.x, p.z}, {p.z, -p.x}, {-p.x, -p.z}, {-p.z, p.x}};
    for (int s = 0; s < 4; ++s) {
      if (std::fabs(sides[s][0] - kEdge) > kTol) continue;
      EXPECT_NEAR(p.y, 0.0f, 1e-3f) << "edge vertex at " << p.x << ", " << p.z;
      along[s].insert(std::lround(sides[s][1] * 100.0f));
      edgeColors.insert({v.color.r, v.color.g, v.color.b});
    }
  }
  ASSERT_GE(along[0].size(), 3u);
  for (int s = 1; s < 4; ++s)
    EXPECT_EQ(along[s], along[0]) << "side " << s;
  std::set<long> mirrored;
  for (long a : along[0])
    mirrored.insert(-a);
  EXPECT_EQ(mirrored, along[0]) << "a mirrored side lines up too";
  EXPECT_EQ(edgeColors.size(), 1u) << "every edge face has the same colour";
}

}  // namespace
}  // namespace skyrings_assets_test
