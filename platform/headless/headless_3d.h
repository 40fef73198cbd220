#pragma once
// A retained-mode 3D component that draws nothing: it keeps each frame's placement and turn, what
// hangs on it, and counts the pictures, so tests and the headless runner can see the scene.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "interfaces/retained3d.h"

namespace skyrings {

struct Vector3 {
  float x = 0, y = 0, z = 0;
  friend bool operator==(const Vector3&, const Vector3&) = default;
};

// What the component has done, shared by all its objects.
struct Headless3DLog {
  int framesCreated = 0;
  int meshesLoaded = 0;
  int animationsLoaded = 0;
  int texturesLoaded = 0;
  int clears = 0;
  int renders = 0;
  int updates = 0;
  std::string lastLoadedPath;
  // Called after every device Update, e.g. to let a test's clock run while a picture is drawn.
  std::function<void()> onUpdate;
  // When set, LoadFromFile and LoadTexture fail for files that do not exist.
  bool checkFiles = false;
  // The next call of this operation (e.g. "LoadFromFile") fails.
  std::string failNext;
};

class HeadlessFrame : public Frame {
 public:
  HeadlessFrame(std::shared_ptr<Headless3DLog> log, FrameRef parent)
      : log_(std::move(log)), parent_(std::move(parent)) {}

  Status AddVisual(const MeshBuilderRef& mesh) override;
  Status AddLight(const LightRef& light) override;
  Status SetPosition(const FrameRef& reference, float x, float y, float z) override;
  Status SetOrientation(const FrameRef& reference, float dx, float dy, float dz, float ux, float uy,
                        float uz) override;
  Status LookAt(const FrameRef& target, const FrameRef& reference, int constraint) override;
  Status SetSceneBackgroundImage(const TextureRef& texture) override;
  Status SetSceneBackgroundRGB(float red, float green, float blue) override;

  const FrameRef& parent() const { return parent_; }
  Vector3 position() const { return position_; }
  Vector3 direction() const { return direction_; }  // the z axis
  Vector3 up() const { return up_; }
  int visuals() const { return visuals_; }
  int lights() const { return lights_; }
  bool hasBackgroundImage() const { return backgroundImage_ != nullptr; }
  Vector3 backgroundColour() const { return backgroundColour_; }

 private:
  std::shared_ptr<Headless3DLog> log_;
  FrameRef parent_;
  Vector3 position_;
  Vector3 direction_{0, 0, 1};
  Vector3 up_{0, 1, 0};
  int visuals_ = 0;
  int lights_ = 0;
  TextureRef backgroundImage_;
  Vector3 backgroundColour_;
};

class HeadlessAnimationSet : public AnimationSet {
 public:
  explicit HeadlessAnimationSet(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status LoadFromFile(const std::string& path, const FrameRef& parent) override;
  Status SetTime(float time) override;
  const std::string& path() const { return path_; }
  const FrameRef& parent() const { return parent_; }
  float time() const { return time_; }

 private:
  std::shared_ptr<Headless3DLog> log_;
  std::string path_;
  FrameRef parent_;
  float time_ = 0;
};

class HeadlessMeshBuilder : public MeshBuilder {
 public:
  explicit HeadlessMeshBuilder(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status LoadFromFile(const std::string& path) override;
  Status ScaleMesh(float sx, float sy, float sz) override;
  const std::string& path() const { return path_; }
  Vector3 scale() const { return scale_; }

 private:
  std::shared_ptr<Headless3DLog> log_;
  std::string path_;
  Vector3 scale_{1, 1, 1};
};

class HeadlessRetained3D : public Retained3D {
 public:
  HeadlessRetained3D() : log_(std::make_shared<Headless3DLog>()) {}
  Status DirectXCreate(std::shared_ptr<DirectX>& out) override;
  Headless3DLog& log() { return *log_; }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

// Fails when `log.failNext` names `operation` (and clears it), else succeeds.
Status HeadlessCall(Headless3DLog& log, const char* operation);

}  // namespace skyrings
