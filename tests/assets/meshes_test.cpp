// The meshes, as the game's loader (assimp) reads them back in the files' own left-handed
// coordinates.

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "data_path.h"

namespace skyrings_assets_test {
namespace {

struct Vertex {
  aiVector3D position;  // in the file's root coordinates
  aiVector3D normal;
  aiColor3D color;  // diffuse colour of its material
  std::string node;
};

struct Triangle {
  aiVector3D p[3];
  aiVector3D normalSum;
  aiColor3D color;
};

struct Model {
  std::unique_ptr<Assimp::Importer> importer;
  const aiScene* scene = nullptr;
  std::vector<Vertex> vertices;
  std::vector<Triangle> triangles;
  aiVector3D lo{1e9f, 1e9f, 1e9f};
  aiVector3D hi{-1e9f, -1e9f, -1e9f};
};

void Collect(Model& model, const aiNode* node, const aiMatrix4x4& parent) {
  const aiMatrix4x4 world = parent * node->mTransformation;
  aiMatrix3x3 turn(world);
  for (unsigned i = 0; i < node->mNumMeshes; ++i) {
    const aiMesh* mesh = model.scene->mMeshes[node->mMeshes[i]];
    aiColor3D color(0.0f, 0.0f, 0.0f);
    model.scene->mMaterials[mesh->mMaterialIndex]->Get(AI_MATKEY_COLOR_DIFFUSE, color);
    std::vector<aiVector3D> positions, normals;
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      positions.push_back(world * mesh->mVertices[v]);
      normals.push_back(mesh->HasNormals() ? (turn * mesh->mNormals[v]).Normalize() : aiVector3D());
      model.vertices.push_back({positions.back(), normals.back(), color, node->mName.C_Str()});
      const aiVector3D& p = positions.back();
      model.lo = {std::min(model.lo.x, p.x), std::min(model.lo.y, p.y), std::min(model.lo.z, p.z)};
      model.hi = {std::max(model.hi.x, p.x), std::max(model.hi.y, p.y), std::max(model.hi.z, p.z)};
    }
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices != 3) continue;
      Triangle t;
      for (int k = 0; k < 3; ++k) {
        t.p[k] = positions[face.mIndices[k]];
        t.normalSum += normals[face.mIndices[k]];
      }
      t.color = color;
      model.triangles.push_back(t);
    }
  }
  for (unsigned i = 0; i < node->mNumChildren; ++i)
    Collect(model, node->mChildren[i], world);
}

Model Load(const std::string& name) {
  Model model;
  model.importer = std::make_unique<Assimp::Importer>();
  model.scene = model.importer->ReadFile(
      DataPath(name), aiProcess_ConvertToLeftHanded | aiProcess_ValidateDataStructure);
  if (model.scene == nullptr) {
    ADD_FAILURE() << name << ": " << model.importer->GetErrorString();
    return model;
  }
  Collect(model, model.scene->mRootNode, aiMatrix4x4());
  return model;
}

const aiNode* Child(const aiNode* node, const std::string& name) {
  for (unsigned i = 0; i < node->mNumChildren; ++i) {
    if (name == node->mChildren[i]->mName.C_Str()) return node->mChildren[i];
  }
  return nullptr;
}

// The colour that covers most triangles.
aiColor3D MainColor(const Model& model) {
  std::map<std::tuple<float, float, float>, int> counts;
  for (const Triangle& t : model.triangles)
    ++counts[{t.color.r, t.color.g, t.color.b}];
  const auto best =
      std::max_element(counts.begin(), counts.end(),
                       [](const auto& a, const auto& b) { return a.second < b.second; });
  return {std::get<0>(best->first), std::get<1>(best->first), std::get<2>(best->first)};
}

const Vertex& Extreme(const Model& model, float aiVector3D::*axis, bool highest) {
  return *std::max_element(
      model.vertices.begin(), model.vertices.end(), [&](const Vertex& a, const Vertex& b) {
        return highest ? a.position.*axis < b.position.*axis : a.position.*axis > b.position.*axis;
      });
}

bool Yellowish(const aiColor3D& c) {
  return c.r > 0.8f && c.g > 0.3f && c.b < 0.35f;
}

const std::vector<std::string> kMeshFiles = {"ring.x",  "karasu.x", "bird1.x", "bird2.x",
                                             "bird3.x", "bird4.x",  "stage.x"};

TEST(Meshes, LoadWithNormalsAndLitUntexturedMaterials) {
  for (const std::string& name : kMeshFiles) {
    SCOPED_TRACE(name);
    const Model model = Load(name);
    ASSERT_NE(model.scene, nullptr);
    ASSERT_GT(model.triangles.size(), 50u);
    for (unsigned i = 0; i < model.scene->mNumMeshes; ++i) {
      EXPECT_TRUE(model.scene->mMeshes[i]->HasNormals());
    }
    for (unsigned i = 0; i < model.scene->mNumMaterials; ++i) {
      const aiMaterial* m = model.scene->mMaterials[i];
      EXPECT_EQ(m->GetTextureCount(aiTextureType_DIFFUSE), 0u);
      aiColor3D diffuse, emissive;
      ASSERT_EQ(m->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse), AI_SUCCESS);
      ASSERT_EQ(m->Get(AI_MATKEY_COLOR_EMISSIVE, emissive), AI_SUCCESS);
      // A little glow keeps faces turned away from the light readable, without washing out.
      const float d = diffuse.r + diffuse.g + diffuse.b, e = emissive.r + emissive.g + emissive.b;
      if (d > 0.3f) {
        EXPECT_GT(e, 0.1f * d);
        EXPECT_LT(e, 0.6f * d);
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
      const aiVector3D cross = (t.p[1] - t.p[0]) ^ (t.p[2] - t.p[0]);
      if (cross * t.normalSum <= 0.0f) ++wrong;
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
      volume += t.p[0] * (t.p[1] ^ t.p[2]) / 6.0;
    const aiVector3D box = model.hi - model.lo;
    EXPECT_GT(volume, 0.01 * box.x * box.y * box.z);
  }
  const Model stage = Load("stage.x");
  int up = 0, down = 0;
  for (const Triangle& t : stage.triangles) {
    if (t.normalSum.y > 0.5f * t.normalSum.Length()) ++up;
    if (t.normalSum.y < -0.5f * t.normalSum.Length()) ++down;
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
  const aiVector3D size = model.hi - model.lo;
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
  EXPECT_TRUE(Yellowish(Extreme(model, &aiVector3D::z, false).color));
  // Very dark, but not so black that lighting cannot show its shape.
  const aiColor3D body = MainColor(model);
  EXPECT_LT(body.r + body.g + body.b, 0.75f);
  EXPECT_GT(std::max({body.r, body.g, body.b}), 0.08f);
}

TEST(Birds, FrameTreeWingspanAndFacing) {
  for (int player = 1; player <= 4; ++player) {
    const std::string name = "bird" + std::to_string(player) + ".x";
    SCOPED_TRACE(name);
    const Model model = Load(name);
    ASSERT_NE(model.scene, nullptr);
    const aiNode* root = model.scene->mRootNode;
    for (const char* part : {"Body", "LeftWing", "RightWing"}) {
      const aiNode* node = Child(root, part);
      ASSERT_NE(node, nullptr) << part;
      EXPECT_GT(node->mNumMeshes, 0u) << part;
    }
    const aiVector3D size = model.hi - model.lo;
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
    EXPECT_TRUE(Yellowish(Extreme(model, &aiVector3D::z, true).color));
  }
}

TEST(Birds, EachPlayerHasItsOwnColour) {
  std::vector<aiColor3D> colors;
  for (int player = 1; player <= 4; ++player) {
    colors.push_back(MainColor(Load("bird" + std::to_string(player) + ".x")));
  }
  const aiColor3D red = colors[0], blue = colors[1], green = colors[2], yellow = colors[3];
  EXPECT_TRUE(red.r > 2 * red.g && red.r > 2 * red.b);
  EXPECT_TRUE(blue.b > 2 * blue.r && blue.b > 1.5f * blue.g);
  EXPECT_TRUE(green.g > 2 * green.r && green.g > 2 * green.b);
  EXPECT_TRUE(yellow.r > 0.8f && yellow.g > 0.7f && yellow.b < 0.3f);
}

// Where a wing's tip ends up at a rotation key, relative to the bird's root.
aiVector3D TipAt(const aiNodeAnim* channel, unsigned key, const aiVector3D& localTip) {
  const aiMatrix3x3 turn = channel->mRotationKeys[key].mValue.GetMatrix();
  return channel->mPositionKeys[key].mValue + turn * localTip;
}

TEST(Birds, WingBeatIsOneClosedSmoothMirroredCycle) {
  for (int player = 1; player <= 4; ++player) {
    const std::string name = "bird" + std::to_string(player) + ".x";
    SCOPED_TRACE(name);
    const Model model = Load(name);
    ASSERT_NE(model.scene, nullptr);
    ASSERT_EQ(model.scene->mNumAnimations, 1u);
    const aiAnimation* anim = model.scene->mAnimations[0];
    EXPECT_EQ(anim->mTicksPerSecond, 0.0) << "no rate in the file: the game sets the pace";
    EXPECT_DOUBLE_EQ(anim->mDuration, 20.0);
    std::map<std::string, const aiNodeAnim*> channels;
    for (unsigned c = 0; c < anim->mNumChannels; ++c) {
      channels[anim->mChannels[c]->mNodeName.C_Str()] = anim->mChannels[c];
    }
    ASSERT_TRUE(channels.count("LeftWing") && channels.count("RightWing"));
    for (const auto& [node, channel] : channels) {
      SCOPED_TRACE(node);
      ASSERT_NE(Child(model.scene->mRootNode, node), nullptr) << "keys drive an existing frame";
      for (unsigned k = 0; k < channel->mNumRotationKeys; ++k) {
        EXPECT_GE(channel->mRotationKeys[k].mTime, 0.0);
        EXPECT_LE(channel->mRotationKeys[k].mTime, 20.0);
      }
      const unsigned n = channel->mNumPositionKeys;
      ASSERT_GT(n, 0u);
      EXPECT_EQ(channel->mPositionKeys[0].mTime, 0.0);
      EXPECT_EQ(channel->mPositionKeys[n - 1].mTime, 20.0);
      EXPECT_LT((channel->mPositionKeys[0].mValue - channel->mPositionKeys[n - 1].mValue).Length(),
                1e-4f);
    }
    // The wing tips as the frames rest.
    aiVector3D leftTip, rightTip;
    for (const Vertex& v : model.vertices) {
      if (v.node == "LeftWing" && v.position.x < leftTip.x) leftTip = v.position;
      if (v.node == "RightWing" && v.position.x > rightTip.x) rightTip = v.position;
    }
    const aiNode* leftNode = Child(model.scene->mRootNode, "LeftWing");
    const aiNode* rightNode = Child(model.scene->mRootNode, "RightWing");
    const aiVector3D leftLocal =
        leftTip - aiVector3D(leftNode->mTransformation.a4, leftNode->mTransformation.b4,
                             leftNode->mTransformation.c4);
    const aiVector3D rightLocal =
        rightTip - aiVector3D(rightNode->mTransformation.a4, rightNode->mTransformation.b4,
                              rightNode->mTransformation.c4);

    const aiNodeAnim* left = channels["LeftWing"];
    const aiNodeAnim* right = channels["RightWing"];
    const unsigned keys = left->mNumRotationKeys;
    ASSERT_GE(keys, 5u);
    ASSERT_EQ(right->mNumRotationKeys, keys);
    ASSERT_EQ(left->mNumPositionKeys, keys);
    ASSERT_EQ(right->mNumPositionKeys, keys);
    EXPECT_EQ(left->mRotationKeys[0].mTime, 0.0);
    EXPECT_EQ(left->mRotationKeys[keys - 1].mTime, 20.0);
    float highest = -1e9f, lowest = 1e9f;
    for (unsigned k = 0; k < keys; ++k) {
      const aiVector3D l = TipAt(left, k, leftLocal), r = TipAt(right, k, rightLocal);
      // Both wings beat together, mirror images of each other.
      EXPECT_NEAR(l.y, r.y, 0.01f) << "key " << k;
      EXPECT_NEAR(l.x, -r.x, 0.01f) << "key " << k;
      highest = std::max(highest, l.y);
      lowest = std::min(lowest, l.y);
      if (k > 0) {
        // Smooth: no key turns a wing by more than about a quarter of the beat.
        const float step = (l - TipAt(left, k - 1, leftLocal)).Length();
        EXPECT_LT(step, 14.0f) << "key " << k;
        EXPECT_GT(left->mRotationKeys[k].mTime, left->mRotationKeys[k - 1].mTime);
      }
    }
    EXPECT_GT(highest - lowest, 20.0f) << "the wings visibly flap";
    const aiVector3D first = TipAt(left, 0, leftLocal), last = TipAt(left, keys - 1, leftLocal);
    EXPECT_LT((first - last).Length(), 1e-3f) << "the pose at 20 is the pose at 0";
    EXPECT_LT((first - leftTip).Length(), 1e-3f) << "the cycle starts from the resting pose";
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
    const aiVector3D& p = v.position;
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
