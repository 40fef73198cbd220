// The shader programs are compiled once and passed from one game's device to the next; when no
// device is left they go, and the next device compiles them again.
#include <gtest/gtest.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <memory>

#include "platform/gl/gl_objects.h"
#include "platform/gl/gl_retained3d.h"
#include "tests/gl/gl_test_util.h"
#include "tests/gl/test_view_target.h"

namespace skyrings::gl {
namespace {

TEST(DevicePrograms, CompiledOnceAndHandedToTheNextGamesDevice) {
  test::TestViewTarget target;
  ASSERT_TRUE(target.ok());
  GlRetained3D component;
  std::shared_ptr<DirectX> dx;
  ASSERT_OK(component.DirectXCreate(dx));
  DirectDrawRef ddraw;
  ASSERT_OK(dx->DirectDrawCreate("", ddraw));
  ClipperRef clipper;
  ASSERT_OK(ddraw->CreateClipper(0, clipper));
  ASSERT_OK(clipper->SetHWnd(&target));
  // A game's device, made through a new root object as each game does.
  auto newDevice = [&](DeviceRef& device) {
    Direct3DRMRef d3drm;
    EXPECT_OK(dx->Direct3DRMCreate(d3drm));
    EXPECT_OK(d3drm->CreateDeviceFromClipper(clipper, "", 640, 480, device));
    return device ? std::dynamic_pointer_cast<GlDevice>(device)->context()->mesh().program : 0u;
  };
  DeviceRef device;
  const GLuint program = newDevice(device);
  ASSERT_NE(program, 0u);
  for (int game = 0; game < 3; ++game) {
    // The game replaces its device while holding the last one.
    EXPECT_EQ(newDevice(device), program) << "game " << game;
  }
  device.reset();
  ASSERT_TRUE(target.MakeContextCurrent());
  EXPECT_FALSE(glIsProgram(program)) << "nothing is left behind once every device is gone";
  const GLuint again = newDevice(device);
  ASSERT_NE(again, 0u);
  ASSERT_TRUE(target.MakeContextCurrent());
  EXPECT_TRUE(glIsProgram(again));
}

}  // namespace
}  // namespace skyrings::gl
