// Frame placement and turning: the axes SetOrientation and LookAt give, and positions of child
// frames. No OpenGL context is needed for frames.
#include <gtest/gtest.h>

#include "platform/gl/gl_objects.h"
#include "platform/gl/gl_retained3d.h"
#include "platform/gl/xmath.h"
#include "tests/gl/gl_test_util.h"

namespace skyrings::gl {
namespace {

void ExpectVec(Vec3 actual, Vec3 expected, const char* what) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
  EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
  EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

class FrameMath : public ::testing::Test {
 protected:
  void SetUp() override {
    GlRetained3D component;
    std::shared_ptr<DirectX> dx;
    ASSERT_OK(component.DirectXCreate(dx));
    ASSERT_OK(dx->Direct3DRMCreate(d3drm_));
    ASSERT_OK(d3drm_->CreateFrame(nullptr, scene_));
  }
  std::shared_ptr<GlFrame> NewFrame(const FrameRef& parent) {
    FrameRef f;
    EXPECT_OK(d3drm_->CreateFrame(parent, f));
    return std::dynamic_pointer_cast<GlFrame>(f);
  }
  Direct3DRMRef d3drm_;
  FrameRef scene_;
};

TEST_F(FrameMath, SetOrientationPointsZAlongDirectionAndKeepsTheBasisLeftHanded) {
  auto frame = NewFrame(scene_);
  ASSERT_OK(frame->SetOrientation(nullptr, 1, 0, 0, 0, 1, 0));
  Mat4 w = frame->World();
  ExpectVec(w.Column(2), {1, 0, 0}, "z along the direction");
  ExpectVec(w.Column(1), {0, 1, 0}, "y along up");
  ExpectVec(w.Column(0), {0, 0, -1}, "x = y cross z");

  // An up vector not perpendicular to the direction is made perpendicular; lengths don't count.
  ASSERT_OK(frame->SetOrientation(nullptr, 0, 0, 5, 0, 3, 3));
  w = frame->World();
  ExpectVec(w.Column(2), {0, 0, 1}, "z");
  ExpectVec(w.Column(1), {0, 1, 0}, "y");
  ExpectVec(w.Column(0), {1, 0, 0}, "x");
  EXPECT_GT(w.Determinant3(), 0.99f);

  // Up parallel to the direction still gives a proper rotation.
  ASSERT_OK(frame->SetOrientation(nullptr, 0, 2, 0, 0, 1, 0));
  w = frame->World();
  ExpectVec(w.Column(2), {0, 1, 0}, "z straight up");
  EXPECT_NEAR(w.Determinant3(), 1.0f, 1e-4f);

  // A zero direction has no meaning: refused, and the frame keeps its orientation.
  Status s = frame->SetOrientation(nullptr, 0, 0, 0, 0, 1, 0);
  EXPECT_FALSE(s.ok());
  EXPECT_NE(s.error().find("SetOrientation"), std::string::npos);
  ExpectVec(frame->World().Column(2), {0, 1, 0}, "unchanged");
}

TEST_F(FrameMath, OrientationAndPositionAreInSceneCoordinatesForChildFrames) {
  auto parent = NewFrame(scene_);
  ASSERT_OK(parent->SetPosition(nullptr, 10, 0, 0));
  ASSERT_OK(parent->SetOrientation(nullptr, 1, 0, 0, 0, 1, 0));
  auto child = NewFrame(parent);
  ASSERT_OK(child->SetPosition(nullptr, 0, 5, 0));
  ASSERT_OK(child->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0));
  const Mat4 w = child->World();
  ExpectVec(w.Origin(), {0, 5, 0}, "scene position");
  ExpectVec(w.Column(2), {0, 0, 1}, "scene z axis");
  // Moving the parent carries the child along.
  ASSERT_OK(parent->SetPosition(nullptr, 20, 0, 0));
  ExpectVec(child->World().Origin(), {10, 5, 0}, "carried");

  // A position relative to another frame is in that frame's axes.
  auto other = NewFrame(scene_);
  ASSERT_OK(other->SetPosition(parent, 0, 0, 3));
  ExpectVec(other->World().Origin(), {23, 0, 0}, "relative to a turned frame");
}

TEST_F(FrameMath, LookAtTurnsZTowardTheTargetWithoutRoll) {
  auto eye = NewFrame(scene_);
  auto target = NewFrame(scene_);
  ASSERT_OK(eye->SetPosition(nullptr, 0, 100, -500));
  ASSERT_OK(target->SetPosition(nullptr, 0, 100, 0));
  ASSERT_OK(eye->LookAt(target, nullptr, 0));
  ExpectVec(eye->World().Column(2), {0, 0, 1}, "straight ahead");
  ExpectVec(eye->World().Column(1), {0, 1, 0}, "upright");

  ASSERT_OK(target->SetPosition(nullptr, 500, 600, 0));
  ASSERT_OK(eye->LookAt(target, nullptr, 0));
  const Mat4 w = eye->World();
  const float s = 1 / std::sqrt(3.0f);
  ExpectVec(w.Column(2), {s, s, s}, "toward the target");
  EXPECT_NEAR(w.Column(0).y, 0, 1e-5f) << "x stays horizontal: no roll";
  EXPECT_GT(w.Column(1).y, 0) << "y keeps pointing up";
  EXPECT_NEAR(w.Determinant3(), 1, 1e-4f);
  ExpectVec(w.Origin(), {0, 100, -500}, "position kept");

  // Looking at a frame at the same point leaves the orientation alone.
  ASSERT_OK(target->SetPosition(nullptr, 0, 100, -500));
  ASSERT_OK(eye->LookAt(target, nullptr, 0));
  ExpectVec(eye->World().Column(2), {s, s, s}, "unchanged");
}

TEST(Projection, MapsCameraSpaceOntoTheViewportAsTheFieldSays) {
  // Field 0.5 on the larger side of a 400 x 300 view: tan 0.5 across, 0.375 up.
  const Mat4 p = Perspective(0.5f, 0.375f, 1.0f, 1250.0f);
  auto toPixel = [&](Vec3 c, float& x, float& y, float& depth) {
    const float cx = p.at(0, 0) * c.x + p.at(0, 2) * c.z;
    const float cy = p.at(1, 1) * c.y + p.at(1, 2) * c.z;
    const float cz = p.at(2, 2) * c.z + p.at(2, 3);
    const float cw = p.at(3, 2) * c.z;
    x = 200 + 200 * cx / cw;
    y = 150 - 150 * cy / cw;
    depth = cz / cw;
  };
  float x, y, d;
  toPixel({100, 50, 500}, x, y, d);
  EXPECT_NEAR(x, 280, 1e-3);
  EXPECT_NEAR(y, 110, 1e-3);
  toPixel({0, 0, 1}, x, y, d);
  EXPECT_NEAR(d, -1, 1e-5) << "front clip";
  toPixel({0, 0, 1250}, x, y, d);
  EXPECT_NEAR(d, 1, 1e-5) << "back clip";
}

}  // namespace
}  // namespace skyrings::gl
