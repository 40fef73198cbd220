// The component drawing through a real OpenGL context (Mesa's software renderer, offscreen): the
// pictures read back from the device show projection, lighting, background, clipping, culling
// and animation as the game relies on them.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/gl/gl_retained3d.h"
#include "tests/gl/bmp_test_util.h"
#include "tests/gl/gl_test_util.h"
#include "tests/gl/test_view_target.h"

namespace skyrings::gl {
namespace {

using test::Fixture;
using test::Rgba;

// A .x mesh of flat squares facing -z (towards the camera), one per entry of `squares` (x, y, z
// of the lower left corner, side) in its RGBA face colour.
struct Square {
  float x, y, z, side;
  float r, g, b, a;
};
std::string SquaresMesh(const std::vector<Square>& squares) {
  std::ostringstream out;
  out << "xof 0302txt 0032\nMesh {\n" << squares.size() * 4 << ";\n";
  for (std::size_t i = 0; i < squares.size(); ++i) {
    const Square& q = squares[i];
    out << q.x << ";" << q.y << ";" << q.z << ";,\n"
        << q.x << ";" << q.y + q.side << ";" << q.z << ";,\n"
        << q.x + q.side << ";" << q.y + q.side << ";" << q.z << ";,\n"
        << q.x + q.side << ";" << q.y << ";" << q.z << (i + 1 < squares.size() ? ";,\n" : ";;\n");
  }
  // Two triangles a square, clockwise seen from -z.
  out << squares.size() * 2 << ";\n";
  for (std::size_t i = 0; i < squares.size(); ++i) {
    const std::size_t v = i * 4;
    out << "3;" << v << "," << v + 1 << "," << v + 2 << ";,\n"
        << "3;" << v << "," << v + 2 << "," << v + 3 << (i + 1 < squares.size() ? ";,\n" : ";;\n");
  }
  // Squares of the same colour share a material, in the order the colours first appear.
  std::vector<std::array<float, 4>> materials;
  std::vector<std::size_t> materialOf;
  for (const Square& q : squares) {
    const std::array<float, 4> colour{q.r, q.g, q.b, q.a};
    const auto found = std::find(materials.begin(), materials.end(), colour);
    materialOf.push_back(static_cast<std::size_t>(found - materials.begin()));
    if (found == materials.end()) materials.push_back(colour);
  }
  out << "MeshMaterialList { " << materials.size() << "; " << squares.size() * 2 << "; ";
  for (std::size_t f = 0; f < squares.size() * 2; ++f)
    out << materialOf[f / 2] << (f + 1 < squares.size() * 2 ? "," : ";;\n");
  for (const auto& [r, g, b, a] : materials) {
    out << "Material { " << r << ";" << g << ";" << b << ";" << a
        << ";; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";
  }
  out << "}\n}\n";
  return out.str();
}

// The game's setup: a 640 x 480 device, a 400 x 300 viewport at its top-left, the camera at
// (0, 100, -500) looking along +z, one white light shining along +z from behind the camera.
class Render : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(target_.ok()) << "no OpenGL 3.3 context: " << SDL_GetError();
    GlRetained3D component;
    ASSERT_OK(component.DirectXCreate(dx_));
    DirectDrawRef ddraw;
    ASSERT_OK(dx_->DirectDrawCreate("", ddraw));
    ASSERT_OK(ddraw->SetDisplayMode(640, 480, 16, 0, 0));
    ClipperRef clipper;
    ASSERT_OK(ddraw->CreateClipper(0, clipper));
    ASSERT_OK(clipper->SetHWnd(&target_));
    ASSERT_OK(dx_->Direct3DRMCreate(d3drm_));
    ASSERT_OK(d3drm_->CreateDeviceFromClipper(clipper, "", 640, 480, device_));
    ASSERT_OK(device_->SetQuality(kQualityGouraudLitSolid));
    ASSERT_OK(device_->SetShades(128));
    ASSERT_OK(device_->SetDither(false));
    ASSERT_OK(d3drm_->CreateFrame(nullptr, scene_));
    ASSERT_OK(d3drm_->CreateFrame(scene_, camera_));
    ASSERT_OK(d3drm_->CreateFrame(scene_, lightFrame_));
    ASSERT_OK(camera_->SetPosition(nullptr, 0, 100, -500));
    ASSERT_OK(camera_->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0));
    ASSERT_OK(d3drm_->CreateViewport(device_, camera_, 0, 0, 400, 300, viewport_));
    ASSERT_OK(viewport_->SetBack(1250));
    LightRef light;
    ASSERT_OK(d3drm_->CreateLightRGB(kLightDirectional, 1, 1, 1, light));
    ASSERT_OK(lightFrame_->AddLight(light));
    ASSERT_OK(lightFrame_->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0));
  }

  FrameRef AddMesh(const std::string& file, float x, float y, float z, float scale = 1) {
    MeshBuilderRef mesh;
    EXPECT_OK(d3drm_->CreateMeshBuilder(mesh));
    EXPECT_OK(mesh->LoadFromFile(Fixture(file)));
    if (scale != 1) EXPECT_OK(mesh->ScaleMesh(scale, scale, scale));
    FrameRef frame;
    EXPECT_OK(d3drm_->CreateFrame(scene_, frame));
    EXPECT_OK(frame->AddVisual(mesh));
    EXPECT_OK(frame->SetPosition(nullptr, x, y, z));
    return frame;
  }

  FrameRef AddSquares(const std::string& name, const std::vector<Square>& squares) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << SquaresMesh(squares);
    MeshBuilderRef mesh;
    EXPECT_OK(d3drm_->CreateMeshBuilder(mesh));
    EXPECT_OK(mesh->LoadFromFile(path));
    FrameRef frame;
    EXPECT_OK(d3drm_->CreateFrame(scene_, frame));
    EXPECT_OK(frame->AddVisual(mesh));
    return frame;
  }

  void Draw() {
    ASSERT_OK(viewport_->Clear(kClearTarget | kClearDepth | kClearDirty));
    ASSERT_OK(viewport_->Render(scene_));
    ASSERT_OK(device_->Update());
    ASSERT_TRUE(target_.ReadPicture());
  }

  // Centre of the viewport pixels brighter than `threshold` in any channel; false if none.
  bool BrightCentre(int threshold, float& cx, float& cy, int& count) {
    double sx = 0, sy = 0;
    count = 0;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 400; ++x) {
        const Rgba p = target_.Pixel(x, y);
        if (std::max({p.r, p.g, p.b}) > threshold) {
          sx += x + 0.5;
          sy += y + 0.5;
          ++count;
        }
      }
    }
    if (count == 0) return false;
    cx = static_cast<float>(sx / count);
    cy = static_cast<float>(sy / count);
    return true;
  }

  test::TestViewTarget target_;
  std::shared_ptr<DirectX> dx_;
  Direct3DRMRef d3drm_;
  DeviceRef device_;
  FrameRef scene_, camera_, lightFrame_;
  ViewportRef viewport_;
};

TEST_F(Render, DeviceHandsItsWholePictureToTheViewTarget) {
  Draw();
  EXPECT_EQ(target_.shownCount(), 1);
  EXPECT_NE(target_.texture(), 0u);
  EXPECT_EQ(target_.pictureWidth(), 640);
  EXPECT_EQ(target_.pictureHeight(), 480);
}

TEST_F(Render, FramesAppearWhereTheProjectionPutsThem) {
  const struct {
    float x, y, z;
  } points[] = {{0, 100, 0}, {100, 150, 0}, {-150, 40, 250}, {60, 60, -300}};
  for (const auto& p : points) {
    FrameRef frame = AddMesh("cube.x", p.x, p.y, p.z);
    Draw();
    // Only the cube's front face (5 nearer the camera than its centre) faces the light.
    const float cx = p.x, cy = p.y - 100, cz = p.z + 500 - 5;
    const float expectedX = 200 + 200 * cx / (0.5f * cz);
    const float expectedY = 150 - 150 * cy / (0.375f * cz);
    float x = 0, y = 0;
    int count = 0;
    ASSERT_TRUE(BrightCentre(128, x, y, count)) << p.x << "," << p.y << "," << p.z;
    EXPECT_NEAR(x, expectedX, 2) << p.x << "," << p.y << "," << p.z;
    EXPECT_NEAR(y, expectedY, 2) << p.x << "," << p.y << "," << p.z;
    ASSERT_OK(frame->SetPosition(nullptr, 0, 0, -10000));  // out of sight for the next one
  }
}

TEST_F(Render, LightBrightensTheFacingSideAndLeavesTheOtherDark) {
  ASSERT_OK(scene_->SetSceneBackgroundRGB(0.5f, 0.5f, 1.0f));
  FrameRef cube = AddMesh("cube.x", 0, 100, 0, 6);
  // Turned an eighth about y: two faces show, one toward the left, one toward the right.
  ASSERT_OK(cube->SetOrientation(nullptr, 1, 0, 1, 0, 1, 0));
  // The light shines along +x: on the left face, away from the right one.
  ASSERT_OK(lightFrame_->SetOrientation(nullptr, 1, 0, 0, 0, 1, 0));
  Draw();
  const Rgba left = target_.Pixel(185, 150);
  const Rgba right = target_.Pixel(215, 150);
  EXPECT_NEAR(left.r, 180, 8) << "lit at 45 degrees";
  EXPECT_EQ(left.r, left.b) << "white light on a white face";
  EXPECT_LE(std::max({right.r, right.g, right.b}), 2) << "no ambient light";
  const Rgba sky = target_.Pixel(20, 20);
  EXPECT_NEAR(sky.r, 128, 1);
  EXPECT_EQ(sky.b, 255);
}

TEST_F(Render, BackgroundPictureIsStretchedOverTheViewportOnly) {
  const std::string path = ::testing::TempDir() + "back.bmp";
  // Top row: red, green; bottom row: blue, white.
  ASSERT_TRUE(test::SaveBmp(path, 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
  TextureRef texture;
  ASSERT_OK(d3drm_->LoadTexture(path, texture));
  ASSERT_OK(scene_->SetSceneBackgroundRGB(0.5f, 0.5f, 1.0f));
  ASSERT_OK(scene_->SetSceneBackgroundImage(texture));
  Draw();
  auto expect = [&](int x, int y, int r, int g, int b) {
    const Rgba p = target_.Pixel(x, y);
    EXPECT_NEAR(p.r, r, 2) << x << "," << y;
    EXPECT_NEAR(p.g, g, 2) << x << "," << y;
    EXPECT_NEAR(p.b, b, 2) << x << "," << y;
  };
  expect(100, 75, 255, 0, 0);
  expect(300, 75, 0, 255, 0);
  expect(100, 225, 0, 0, 255);
  expect(300, 225, 255, 255, 255);
  expect(0, 0, 255, 0, 0);
  expect(399, 299, 255, 255, 255);
  // Outside the viewport the device's picture is left alone (black from its creation).
  expect(400, 10, 0, 0, 0);
  expect(10, 300, 0, 0, 0);

  // Without a picture the colour fills the viewport.
  ASSERT_OK(scene_->SetSceneBackgroundImage(nullptr));
  Draw();
  expect(0, 0, 128, 128, 255);
  expect(399, 299, 128, 128, 255);
  expect(400, 299, 0, 0, 0);
}

TEST_F(Render, BackgroundFollowsEveryChangeAndCoversTheLastPicture) {
  auto expectEverywhere = [&](int r, int g, int b, const char* what) {
    for (const auto& [x, y] : {std::pair{0, 0}, {399, 0}, {200, 150}, {0, 299}, {399, 299}}) {
      const Rgba p = target_.Pixel(x, y);
      EXPECT_NEAR(p.r, r, 1) << what << " at " << x << "," << y;
      EXPECT_NEAR(p.g, g, 1) << what << " at " << x << "," << y;
      EXPECT_NEAR(p.b, b, 1) << what << " at " << x << "," << y;
    }
  };
  ASSERT_OK(scene_->SetSceneBackgroundRGB(1.0f, 0.0f, 0.0f));
  Draw();
  expectEverywhere(255, 0, 0, "first colour");
  ASSERT_OK(scene_->SetSceneBackgroundRGB(0.0f, 1.0f, 0.0f));
  Draw();
  expectEverywhere(0, 255, 0, "second colour");

  const std::string first = ::testing::TempDir() + "first.bmp";
  const std::string second = ::testing::TempDir() + "second.bmp";
  ASSERT_TRUE(test::SaveBmp(first, 1, 1, {10, 20, 30}));
  ASSERT_TRUE(test::SaveBmp(second, 1, 1, {200, 100, 50}));
  TextureRef firstTexture, secondTexture;
  ASSERT_OK(d3drm_->LoadTexture(first, firstTexture));
  ASSERT_OK(d3drm_->LoadTexture(second, secondTexture));
  ASSERT_OK(scene_->SetSceneBackgroundImage(firstTexture));
  Draw();
  expectEverywhere(10, 20, 30, "first picture");
  ASSERT_OK(scene_->SetSceneBackgroundImage(secondTexture));
  Draw();
  expectEverywhere(200, 100, 50, "second picture");
  ASSERT_OK(scene_->SetSceneBackgroundImage(firstTexture));
  Draw();
  expectEverywhere(10, 20, 30, "first picture again");

  // What was drawn over the background last time is gone when it moves away.
  FrameRef cube = AddMesh("cube.x", 0, 100, 0, 6);
  Draw();
  EXPECT_GT(target_.Pixel(200, 150).r, 128) << "the cube in the middle";
  ASSERT_OK(cube->SetPosition(nullptr, 0, 0, -10000));
  Draw();
  expectEverywhere(10, 20, 30, "after the cube left");
}

TEST_F(Render, AMeshMuchLargerThanTheViewCoversItWithoutGaps) {
  // A wall of 200 x 60 squares (24000 triangles) 2000 wide and 600 high, four times wider than
  // the view at its distance: rows of its triangles cross both sides of the view, and every pixel
  // of the view is the wall's.
  ASSERT_OK(scene_->SetSceneBackgroundRGB(0.0f, 0.0f, 1.0f));
  std::vector<Square> squares;
  for (float row = 0; row < 60; ++row) {
    for (float column = 0; column < 200; ++column) {
      const bool odd = static_cast<int>(row + column) % 2 != 0;
      squares.push_back({-1000 + 10 * column, -200 + 10 * row, 0, 10, 1, odd ? 0.5f : 0, 0, 1});
    }
  }
  AddSquares("wall.x", squares);
  Draw();
  int gaps = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 400; ++x) {
      const Rgba p = target_.Pixel(x, y);
      if (p.r < 200 || p.b > 0) ++gaps;
    }
  }
  EXPECT_EQ(gaps, 0) << "pixels of the view not covered by the wall";
}

TEST_F(Render, SeeThroughFacesBlendOverEveryOpaqueFaceOfTheirMesh) {
  ASSERT_OK(scene_->SetSceneBackgroundRGB(0.0f, 0.0f, 0.0f));
  // In the mesh's order: a red wall on the left, a half see-through blue pane nearer the camera
  // over the middle, then a green wall on the right, behind the pane too.
  AddSquares("pane.x", {{-300, -200, 100, 300, 1, 0, 0, 1},
                        {-100, 0, 0, 200, 0, 0, 1, 0.5f},
                        {0, -200, 100, 300, 0, 1, 0, 1}});
  Draw();
  // The pane covers the middle of the view; the walls meet at x = 0 behind it.
  const Rgba overRed = target_.Pixel(180, 150);
  const Rgba overGreen = target_.Pixel(220, 150);
  EXPECT_NEAR(overRed.r, 128, 2);
  EXPECT_NEAR(overRed.b, 128, 2);
  EXPECT_NEAR(overGreen.g, 128, 2) << "the wall after the pane in the mesh shows through it";
  EXPECT_NEAR(overGreen.b, 128, 2);
  EXPECT_EQ(overGreen.r, 0);
}

TEST_F(Render, BackClipHidesWhatLiesBeyondIt) {
  FrameRef near = AddMesh("cube.x", -60, 100, 0);  // 500 from the camera
  FrameRef far = AddMesh("cube.x", 60, 100, 200);  // 700 from the camera
  ASSERT_OK(viewport_->SetBack(600));
  Draw();
  // Projected centres: x = 200 + 200 * -60 / (0.5 * 495) and 200 + 200 * 60 / (0.5 * 695).
  EXPECT_GT(target_.Pixel(152, 150).r, 200) << "in front of the back clip";
  EXPECT_EQ(target_.Pixel(235, 150).r, 0) << "beyond the back clip";
  ASSERT_OK(viewport_->SetBack(1250));
  Draw();
  EXPECT_GT(target_.Pixel(235, 150).r, 200) << "in front of a farther back clip";
  EXPECT_FALSE(viewport_->SetBack(0.5f).ok()) << "back clip before the front clip";

  // A viewport's back clip starts at 100: a cube 500 away is beyond it, one 60 away is not.
  ViewportRef fresh;
  ASSERT_OK(d3drm_->CreateViewport(device_, camera_, 0, 0, 400, 300, fresh));
  FrameRef close = AddMesh("cube.x", 0, 100, -440);
  viewport_ = fresh;
  Draw();
  EXPECT_EQ(target_.Pixel(152, 150).r, 0) << "500 away, beyond the default back clip";
  EXPECT_GT(target_.Pixel(200, 150).r, 200) << "60 away";
}

TEST_F(Render, FacesAreDrawnFromTheFrontOnly) {
  FrameRef triangle = AddMesh("triangle.x", 0, 100, 0, 3);
  Draw();
  EXPECT_GT(target_.Pixel(200, 150).g, 200) << "front face (emissive green)";
  ASSERT_OK(triangle->SetOrientation(nullptr, 0, 0, -1, 0, 1, 0));
  Draw();
  EXPECT_EQ(target_.Pixel(200, 150).g, 0) << "turned away";
  // A mirroring scale keeps the front face the front.
  ASSERT_OK(triangle->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0));
  MeshBuilderRef mirrored;
  ASSERT_OK(d3drm_->CreateMeshBuilder(mirrored));
  ASSERT_OK(mirrored->LoadFromFile(Fixture("triangle.x")));
  ASSERT_OK(mirrored->ScaleMesh(-3, 3, 3));
  FrameRef other;
  ASSERT_OK(d3drm_->CreateFrame(scene_, other));
  ASSERT_OK(other->AddVisual(mirrored));
  ASSERT_OK(other->SetPosition(nullptr, 100, 100, 0));
  Draw();
  EXPECT_GT(target_.Pixel(280, 150).g, 200) << "mirrored mesh";
}

TEST_F(Render, AnimationSetShowsThePoseOfItsKeys) {
  FrameRef bird;
  ASSERT_OK(d3drm_->CreateFrame(scene_, bird));
  ASSERT_OK(bird->SetPosition(nullptr, 0, 100, 0));
  AnimationSetRef closed;
  ASSERT_OK(d3drm_->CreateAnimationSet(closed));
  ASSERT_OK(closed->LoadFromFile(Fixture("flap_closed.x"), bird));

  auto bodyCentre = [&](float& x, float& y) {
    int count = 0;
    ASSERT_TRUE(BrightCentre(128, x, y, count));
  };
  float x0 = 0, y0 = 0;
  ASSERT_OK(closed->SetTime(0));
  Draw();
  bodyCentre(x0, y0);
  EXPECT_NEAR(x0, 200, 2);
  // The wing, 30 above the body, glows red.
  const Rgba wing = target_.Pixel(200, static_cast<int>(150 - 150 * 30 / (0.375f * 497)));
  EXPECT_GT(wing.r, 200);
  EXPECT_EQ(wing.g, 0);

  float x5 = 0, y5 = 0;
  ASSERT_OK(closed->SetTime(5));
  Draw();
  bodyCentre(x5, y5);
  EXPECT_NEAR(x5, 200 + 200 * 50 / (0.5f * 500), 3) << "50 along x at time 5";

  float x25 = 0, y25 = 0;
  ASSERT_OK(closed->SetTime(25));
  Draw();
  bodyCentre(x25, y25);
  EXPECT_NEAR(x25, x5, 0.5) << "closed: time 25 is time 5";

  // The open animation holds its last key past the end.
  ASSERT_OK(bird->SetPosition(nullptr, 0, 10000, 0));
  FrameRef glider;
  ASSERT_OK(d3drm_->CreateFrame(scene_, glider));
  ASSERT_OK(glider->SetPosition(nullptr, 0, 100, 0));
  AnimationSetRef open;
  ASSERT_OK(d3drm_->CreateAnimationSet(open));
  ASSERT_OK(open->LoadFromFile(Fixture("flap_open.x"), glider));
  ASSERT_OK(open->SetTime(25));
  Draw();
  float xo = 0, yo = 0;
  bodyCentre(xo, yo);
  EXPECT_NEAR(xo, 200, 2);
}

TEST_F(Render, DrawsTheSameWhateverStateTheWindowLeftInTheContext) {
  ASSERT_OK(scene_->SetSceneBackgroundRGB(0.5f, 0.5f, 1.0f));
  AddMesh("cube.x", 0, 100, 0);
  Draw();
  const Rgba cube = target_.Pixel(200, 150), sky = target_.Pixel(20, 20);

  // What a window might leave behind between our calls.
  ASSERT_TRUE(target_.MakeContextCurrent());
  GLuint vertexArray = 0, buffer = 0;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
  glBufferData(GL_PIXEL_UNPACK_BUFFER, 16, nullptr, GL_STATIC_DRAW);
  glViewport(0, 0, 10, 10);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 5, 5);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glColorMask(GL_FALSE, GL_TRUE, GL_FALSE, GL_TRUE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ZERO, GL_ONE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_FRONT_AND_BACK);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);

  // A new background picture is uploaded under that state too.
  const std::string path = ::testing::TempDir() + "state_back.bmp";
  ASSERT_TRUE(test::SaveBmp(path, 3, 1, {90, 90, 90, 90, 90, 90, 90, 90, 90}));
  TextureRef texture;
  ASSERT_OK(d3drm_->LoadTexture(path, texture));
  ASSERT_OK(scene_->SetSceneBackgroundImage(texture));
  Draw();
  EXPECT_EQ(target_.Pixel(200, 150).r, cube.r);
  EXPECT_EQ(target_.Pixel(20, 20).r, 90) << "picture, not " << sky.r;
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glDeleteBuffers(1, &buffer);
  glBindVertexArray(0);
  glDeleteVertexArrays(1, &vertexArray);
}

TEST_F(Render, FailuresNameTheOperationAndTheFile) {
  MeshBuilderRef mesh;
  ASSERT_OK(d3drm_->CreateMeshBuilder(mesh));
  const std::string missing = Fixture("no_such_ring.x");
  EXPECT_EQ(mesh->LoadFromFile(missing).error(), "LoadFromFile: " + missing + ": no such file");
  AnimationSetRef set;
  ASSERT_OK(d3drm_->CreateAnimationSet(set));
  EXPECT_EQ(set->LoadFromFile(missing, scene_).error(),
            "LoadFromFile: " + missing + ": no such file");
  TextureRef texture;
  const Status s = d3drm_->LoadTexture(Fixture("cube.x"), texture);
  EXPECT_EQ(s.error(), "LoadTexture: " + Fixture("cube.x") + ": not a BMP picture");
  LightRef light;
  EXPECT_FALSE(d3drm_->CreateLightRGB(2, 1, 1, 1, light).ok()) << "spot lights are not drawn";
}

// A view target whose window has no OpenGL context.
class DeadTarget final : public ViewTarget {
 public:
  bool MakeContextCurrent() override { return false; }
  int Width() const override { return 400; }
  int Height() const override { return 300; }
  void ShowViewPicture(unsigned, int, int) override {}
};

TEST(RenderSetup, DeviceNeedsAViewTargetWithAContext) {
  GlRetained3D component;
  std::shared_ptr<DirectX> dx;
  ASSERT_OK(component.DirectXCreate(dx));
  DirectDrawRef ddraw;
  ASSERT_OK(dx->DirectDrawCreate("", ddraw));
  Direct3DRMRef d3drm;
  ASSERT_OK(dx->Direct3DRMCreate(d3drm));
  ClipperRef clipper;
  ASSERT_OK(ddraw->CreateClipper(0, clipper));
  DeviceRef device;
  Status s = d3drm->CreateDeviceFromClipper(clipper, "", 640, 480, device);
  EXPECT_NE(s.error().find("CreateDeviceFromClipper: "), std::string::npos) << s.error();
  DeadTarget dead;
  ASSERT_OK(clipper->SetHWnd(&dead));
  s = d3drm->CreateDeviceFromClipper(clipper, "", 640, 480, device);
  EXPECT_EQ(s.error(),
            "CreateDeviceFromClipper: the view target has no OpenGL context to make current");
}

TEST(RenderSetup, ThousandGamesLeaveNoOpenGLObjectsBehind) {
  test::TestViewTarget target;
  ASSERT_TRUE(target.ok());
  const std::string back = ::testing::TempDir() + "leak_back.bmp";
  ASSERT_TRUE(test::SaveBmp(back, 2, 1, {10, 20, 30, 40, 50, 60}));
  GlRetained3D component;
  std::shared_ptr<DirectX> dx;
  ASSERT_OK(component.DirectXCreate(dx));
  DirectDrawRef ddraw;
  ASSERT_OK(dx->DirectDrawCreate("", ddraw));
  // OpenGL objects alive in the context, found by asking about every name handed out so far.
  auto liveObjects = [&]() {
    EXPECT_TRUE(target.MakeContextCurrent());
    GLuint probe = 0;
    glGenBuffers(1, &probe);
    glDeleteBuffers(1, &probe);
    GLuint top = probe;
    glGenTextures(1, &probe);
    glDeleteTextures(1, &probe);
    top = std::max(top, probe);
    int live = 0;
    for (GLuint name = 1; name <= top + 16; ++name) {
      live += glIsBuffer(name) + glIsTexture(name) + glIsVertexArray(name) + glIsFramebuffer(name) +
              glIsRenderbuffer(name) + glIsProgram(name);
    }
    return live;
  };
  const int liveBefore = liveObjects();  // the window's own
  int liveAfterFirstGame = -1;
  for (int game = 0; game < 1000; ++game) {
    {
      ClipperRef clipper;
      ASSERT_OK(ddraw->CreateClipper(0, clipper));
      ASSERT_OK(clipper->SetHWnd(&target));
      Direct3DRMRef d3drm;
      ASSERT_OK(dx->Direct3DRMCreate(d3drm));
      DeviceRef device;
      ASSERT_OK(d3drm->CreateDeviceFromClipper(clipper, "", 640, 480, device));
      FrameRef scene, camera, bird, ground;
      ASSERT_OK(d3drm->CreateFrame(nullptr, scene));
      ASSERT_OK(d3drm->CreateFrame(scene, camera));
      ASSERT_OK(d3drm->CreateFrame(scene, bird));
      ASSERT_OK(d3drm->CreateFrame(scene, ground));
      ViewportRef viewport;
      ASSERT_OK(d3drm->CreateViewport(device, camera, 0, 0, 400, 300, viewport));
      MeshBuilderRef mesh;
      ASSERT_OK(d3drm->CreateMeshBuilder(mesh));
      ASSERT_OK(mesh->LoadFromFile(Fixture("cube.x")));
      ASSERT_OK(ground->AddVisual(mesh));
      AnimationSetRef set;
      ASSERT_OK(d3drm->CreateAnimationSet(set));
      ASSERT_OK(set->LoadFromFile(Fixture("flap_closed.x"), bird));
      TextureRef texture;
      ASSERT_OK(d3drm->LoadTexture(back, texture));
      ASSERT_OK(scene->SetSceneBackgroundImage(texture));
      ASSERT_OK(set->SetTime(static_cast<float>(game % 20)));
      ASSERT_OK(viewport->Clear(kClearTarget | kClearDepth));
      ASSERT_OK(viewport->Render(scene));
      ASSERT_OK(device->Update());
      // The device is dropped before the meshes that were drawn with it, as a game may do.
      device.reset();
      viewport.reset();
    }
    if (game == 0) liveAfterFirstGame = liveObjects();
  }
  EXPECT_EQ(liveAfterFirstGame, liveBefore);
  EXPECT_EQ(liveObjects(), liveBefore);
}

}  // namespace
}  // namespace skyrings::gl
