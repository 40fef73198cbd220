// Frame-time benchmark of the OpenGL 3D layer on a game-like scene: three ground tiles of a
// 2048-triangle ground mesh, a ring, 11 crows, 4 animated birds and a background picture, drawn
// at 400 x 300 through a 640 x 480 device. Reports the scene construction time and the median
// time of Clear + Render + Update (finished with glFinish, so the drawing itself is counted).
//
//   SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1 ./gl_bench_render [frames]

#include <SDL2/SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/gl/gl_retained3d.h"
#include "tests/gl/bmp_test_util.h"
#include "tests/gl/test_view_target.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Vertex {
  float x, y, z;
};

// A .x mesh from vertices and triangles (clockwise from the front), one material.
std::string MeshText(const std::vector<Vertex>& v, const std::vector<int>& tris, float r, float g,
                     float b) {
  std::ostringstream out;
  out << "xof 0302txt 0032\nMesh {\n" << v.size() << ";\n";
  for (std::size_t i = 0; i < v.size(); ++i) {
    out << v[i].x << ";" << v[i].y << ";" << v[i].z << ";" << (i + 1 < v.size() ? ",\n" : ";\n");
  }
  const std::size_t faces = tris.size() / 3;
  out << faces << ";\n";
  for (std::size_t f = 0; f < faces; ++f) {
    out << "3;" << tris[f * 3] << "," << tris[f * 3 + 1] << "," << tris[f * 3 + 2] << ";"
        << (f + 1 < faces ? ",\n" : ";\n");
  }
  out << "MeshMaterialList { 1; " << faces << "; ";
  for (std::size_t f = 0; f < faces; ++f)
    out << "0" << (f + 1 < faces ? "," : ";;\n");
  out << "Material { " << r << ";" << g << ";" << b << ";1.0;; 8.0; 0.3;0.3;0.3;; 0.0;0.0;0.0;; }"
      << " }\n}\n";
  return out.str();
}

// Rolling ground of 32 x 32 squares (2048 triangles), 400 wide, facing up.
std::string Ground() {
  std::vector<Vertex> v;
  std::vector<int> t;
  const int n = 32;
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      const float x = -200 + 400.0f * static_cast<float>(i) / n;
      const float z = -200 + 400.0f * static_cast<float>(j) / n;
      v.push_back({x, 6 * std::sin(x * 0.05f) * std::cos(z * 0.04f), z});
    }
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
      // Seen from above (+y) with z up the screen: a, c, d and a, d, b run clockwise.
      t.insert(t.end(), {a, c, d, a, d, b});
    }
  }
  return MeshText(v, t, 0.3f, 0.7f, 0.3f);
}

// A ring (torus) standing upright, facing the camera.
std::string Ring() {
  std::vector<Vertex> v;
  std::vector<int> t;
  const int major = 32, minor = 8;
  const float radius = 40, tube = 5;
  for (int i = 0; i < major; ++i) {
    const float a = 6.2831853f * static_cast<float>(i) / major;
    for (int j = 0; j < minor; ++j) {
      const float b = 6.2831853f * static_cast<float>(j) / minor;
      const float r = radius + tube * std::cos(b);
      v.push_back({r * std::cos(a), r * std::sin(a), tube * std::sin(b)});
    }
  }
  for (int i = 0; i < major; ++i) {
    for (int j = 0; j < minor; ++j) {
      const int a = i * minor + j, b = i * minor + (j + 1) % minor;
      const int c = ((i + 1) % major) * minor + j, d = ((i + 1) % major) * minor + (j + 1) % minor;
      t.insert(t.end(), {a, b, d, a, d, c});
    }
  }
  return MeshText(v, t, 1.0f, 0.8f, 0.1f);
}

// A dark, pointed crow body (octahedron stretched along z).
std::string Crow() {
  std::vector<Vertex> v = {{0, 0, -12}, {0, 0, 12}, {-6, 0, 0}, {6, 0, 0}, {0, 4, 0}, {0, -4, 0}};
  std::vector<int> t = {0, 4, 3, 0, 3, 5, 0, 5, 2, 0, 2, 4, 1, 3, 4, 1, 5, 3, 1, 2, 5, 1, 4, 2};
  return MeshText(v, t, 0.15f, 0.15f, 0.2f);
}

#define CHECK(expr)                                                       \
  do {                                                                    \
    const ::skyrings::Status s_ = (expr);                                 \
    if (!s_) {                                                            \
      std::fprintf(stderr, "%s failed: %s\n", #expr, s_.error().c_str()); \
      std::exit(1);                                                       \
    }                                                                     \
  } while (0)

}  // namespace

int main(int argc, char** argv) {
  using namespace skyrings;
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "skyrings_gl_bench";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "ground.x") << Ground();
  std::ofstream(dir / "ring.x") << Ring();
  std::ofstream(dir / "crow.x") << Crow();
  std::vector<std::uint8_t> sky(256 * 256 * 3);
  for (std::size_t i = 0; i < sky.size(); i += 3) {
    const auto row = static_cast<std::uint8_t>(i / (256 * 3));
    sky[i] = static_cast<std::uint8_t>(80 + row / 3);
    sky[i + 1] = static_cast<std::uint8_t>(120 + row / 3);
    sky[i + 2] = 255;
  }
  if (!gl::test::SaveBmp((dir / "back1.bmp").string(), 256, 256, sky)) return 1;
  const std::string bird = std::string(SKYRINGS_GL_FIXTURES) + "/flap_closed.x";

  gl::test::TestViewTarget target;
  if (!target.ok()) {
    std::fprintf(stderr, "no OpenGL 3.3 context: %s\n", SDL_GetError());
    return 1;
  }
  const auto buildStart = Clock::now();
  GlRetained3D component;
  std::shared_ptr<DirectX> dx;
  CHECK(component.DirectXCreate(dx));
  DirectDrawRef ddraw;
  CHECK(dx->DirectDrawCreate("", ddraw));
  CHECK(ddraw->SetDisplayMode(640, 480, 16, 0, 0));
  ClipperRef clipper;
  CHECK(ddraw->CreateClipper(0, clipper));
  CHECK(clipper->SetHWnd(&target));
  Direct3DRMRef d3drm;
  CHECK(dx->Direct3DRMCreate(d3drm));
  DeviceRef device;
  CHECK(d3drm->CreateDeviceFromClipper(clipper, "", 640, 480, device));
  CHECK(device->SetQuality(kQualityGouraudLitSolid));
  FrameRef scene, camera, lightFrame;
  CHECK(d3drm->CreateFrame(nullptr, scene));
  CHECK(d3drm->CreateFrame(scene, camera));
  CHECK(d3drm->CreateFrame(scene, lightFrame));
  ViewportRef viewport;
  CHECK(d3drm->CreateViewport(device, camera, 0, 0, 400, 300, viewport));
  CHECK(viewport->SetBack(1250));
  LightRef light;
  CHECK(d3drm->CreateLightRGB(kLightDirectional, 1, 1, 1, light));
  CHECK(lightFrame->AddLight(light));
  CHECK(lightFrame->SetOrientation(nullptr, 0.3f, -0.8f, 1, 0, 1, 0));
  CHECK(camera->SetPosition(nullptr, 0, 100, -500));
  CHECK(camera->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0));
  TextureRef back;
  CHECK(d3drm->LoadTexture((dir / "back1.bmp").string(), back));
  CHECK(scene->SetSceneBackgroundImage(back));
  CHECK(scene->SetSceneBackgroundRGB(0.5f, 0.5f, 1.0f));

  MeshBuilderRef groundMesh, ringMesh, crowMesh;
  CHECK(d3drm->CreateMeshBuilder(groundMesh));
  CHECK(groundMesh->LoadFromFile((dir / "ground.x").string()));
  CHECK(groundMesh->ScaleMesh(1.25f, 1.25f, 1.25f));
  CHECK(d3drm->CreateMeshBuilder(ringMesh));
  CHECK(ringMesh->LoadFromFile((dir / "ring.x").string()));
  CHECK(d3drm->CreateMeshBuilder(crowMesh));
  CHECK(crowMesh->LoadFromFile((dir / "crow.x").string()));
  std::vector<FrameRef> tiles(3), crows(11), birds(4);
  FrameRef ring;
  for (FrameRef& f : tiles) {
    CHECK(d3drm->CreateFrame(scene, f));
    CHECK(f->AddVisual(groundMesh));
  }
  CHECK(d3drm->CreateFrame(scene, ring));
  CHECK(ring->AddVisual(ringMesh));
  for (FrameRef& f : crows) {
    CHECK(d3drm->CreateFrame(scene, f));
    CHECK(f->AddVisual(crowMesh));
  }
  std::vector<AnimationSetRef> flaps(4);
  for (std::size_t i = 0; i < birds.size(); ++i) {
    CHECK(d3drm->CreateFrame(scene, birds[i]));
    CHECK(d3drm->CreateAnimationSet(flaps[i]));
    CHECK(flaps[i]->LoadFromFile(bird, birds[i]));
  }
  const double buildMs = Ms(Clock::now() - buildStart);

  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(frames));
  for (int step = 0; step < frames; ++step) {
    const float s = static_cast<float>(step);
    const float scroll = std::fmod(s * 5, 500.0f);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      CHECK(tiles[i]->SetPosition(nullptr, 0, 0, 250 + 500 * static_cast<float>(i) - scroll));
    }
    CHECK(
        ring->SetPosition(nullptr, 30 * std::sin(s * 0.02f), 120, 600 - std::fmod(s * 4, 600.0f)));
    for (std::size_t i = 0; i < crows.size(); ++i) {
      const float k = static_cast<float>(i);
      CHECK(crows[i]->SetPosition(nullptr, -250 + 50 * k, 80 + 20 * std::sin(s * 0.05f + k),
                                  900 - std::fmod(s * 3 + 80 * k, 900.0f)));
    }
    for (std::size_t i = 0; i < birds.size(); ++i) {
      const float k = static_cast<float>(i);
      CHECK(birds[i]->SetPosition(nullptr, -90 + 60 * k, 90, -300));
      CHECK(birds[i]->SetOrientation(nullptr, 0, 0, 1, 0, 1, 0));
      CHECK(flaps[i]->SetTime(std::fmod(s + 5 * k, 20.0f)));
    }
    const auto start = Clock::now();
    CHECK(viewport->Clear(kClearTarget | kClearDepth | kClearDirty));
    CHECK(viewport->Render(scene));
    CHECK(device->Update());
    glFinish();
    times.push_back(Ms(Clock::now() - start));
  }
  std::sort(times.begin(), times.end());
  std::printf("scene construction: %.2f ms\n", buildMs);
  std::printf(
      "Clear + Render + Update over %d frames: median %.3f ms, 90th percentile %.3f ms, "
      "worst %.3f ms\n",
      frames, times[times.size() / 2], times[times.size() * 9 / 10], times.back());
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  if (argc > 2) {
    // Saves the last picture's 400 x 300 view for a look.
    target.ReadPicture();
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 400; ++x) {
        const auto p = target.Pixel(x, y);
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(p.r), static_cast<std::uint8_t>(p.g),
                               static_cast<std::uint8_t>(p.b)});
      }
    }
    gl::test::SaveBmp(argv[2], 400, 300, rgb);
  }
  return 0;
}
