#include "platform/headless/headless_3d.h"

#include <filesystem>

namespace skyrings {

Status HeadlessCall(Headless3DLog& log, const char* operation) {
  if (log.failNext.empty() || log.failNext != operation) return Status::Ok();
  log.failNext.clear();
  return Status::Fail(std::string(operation) + ": the 3D component refused");
}

namespace {

Status LoadFile(Headless3DLog& log, const char* operation, const std::string& path) {
  if (Status failed = HeadlessCall(log, operation); !failed) return failed;
  if (log.checkFiles && !std::filesystem::is_regular_file(path)) {
    return Status::Fail(std::string(operation) + ": " + path + ": no such file");
  }
  log.lastLoadedPath = path;
  return Status::Ok();
}

class HeadlessLight : public Light {};
class HeadlessTexture : public Texture {};

class HeadlessClipper : public Clipper {
 public:
  explicit HeadlessClipper(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status SetHWnd(ViewTarget*) override { return HeadlessCall(*log_, "SetHWnd"); }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

class HeadlessDevice : public Device {
 public:
  explicit HeadlessDevice(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status SetQuality(int) override { return HeadlessCall(*log_, "SetQuality"); }
  Status SetShades(int) override { return HeadlessCall(*log_, "SetShades"); }
  Status SetDither(bool) override { return HeadlessCall(*log_, "SetDither"); }
  Status Update() override {
    if (Status failed = HeadlessCall(*log_, "Update"); !failed) return failed;
    ++log_->updates;
    if (log_->onUpdate) log_->onUpdate();
    return Status::Ok();
  }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

class HeadlessViewport : public Viewport {
 public:
  explicit HeadlessViewport(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status SetBack(float) override { return HeadlessCall(*log_, "SetBack"); }
  Status Clear(int) override {
    ++log_->clears;
    return HeadlessCall(*log_, "Clear");
  }
  Status Render(const FrameRef&) override {
    ++log_->renders;
    return HeadlessCall(*log_, "Render");
  }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

class HeadlessD3DRM : public Direct3DRM {
 public:
  explicit HeadlessD3DRM(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}

  Status CreateDeviceFromClipper(const ClipperRef&, const std::string&, int, int,
                                 DeviceRef& out) override {
    out = std::make_shared<HeadlessDevice>(log_);
    return HeadlessCall(*log_, "CreateDeviceFromClipper");
  }
  Status CreateFrame(const FrameRef& parent, FrameRef& out) override {
    ++log_->framesCreated;
    out = std::make_shared<HeadlessFrame>(log_, parent);
    return HeadlessCall(*log_, "CreateFrame");
  }
  Status CreateLightRGB(int, float, float, float, LightRef& out) override {
    out = std::make_shared<HeadlessLight>();
    return HeadlessCall(*log_, "CreateLightRGB");
  }
  Status CreateMeshBuilder(MeshBuilderRef& out) override {
    out = std::make_shared<HeadlessMeshBuilder>(log_);
    return HeadlessCall(*log_, "CreateMeshBuilder");
  }
  Status LoadTexture(const std::string& path, TextureRef& out) override {
    if (Status failed = LoadFile(*log_, "LoadTexture", path); !failed) return failed;
    ++log_->texturesLoaded;
    out = std::make_shared<HeadlessTexture>();
    return Status::Ok();
  }
  Status CreateViewport(const DeviceRef&, const FrameRef&, int, int, int, int,
                        ViewportRef& out) override {
    out = std::make_shared<HeadlessViewport>(log_);
    return HeadlessCall(*log_, "CreateViewport");
  }
  Status CreateAnimationSet(AnimationSetRef& out) override {
    out = std::make_shared<HeadlessAnimationSet>(log_);
    return HeadlessCall(*log_, "CreateAnimationSet");
  }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

class HeadlessDirectDraw : public DirectDraw {
 public:
  explicit HeadlessDirectDraw(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status SetDisplayMode(int, int, int, int, int) override {
    return HeadlessCall(*log_, "SetDisplayMode");
  }
  Status CreateClipper(int, ClipperRef& out) override {
    out = std::make_shared<HeadlessClipper>(log_);
    return HeadlessCall(*log_, "CreateClipper");
  }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

class HeadlessDirectX : public DirectX {
 public:
  explicit HeadlessDirectX(std::shared_ptr<Headless3DLog> log) : log_(std::move(log)) {}
  Status DirectDrawCreate(const std::string&, DirectDrawRef& out) override {
    out = std::make_shared<HeadlessDirectDraw>(log_);
    return HeadlessCall(*log_, "DirectDrawCreate");
  }
  Status Direct3DRMCreate(Direct3DRMRef& out) override {
    out = std::make_shared<HeadlessD3DRM>(log_);
    return HeadlessCall(*log_, "Direct3DRMCreate");
  }

 private:
  std::shared_ptr<Headless3DLog> log_;
};

}  // namespace

Status HeadlessFrame::AddVisual(const MeshBuilderRef&) {
  ++visuals_;
  return HeadlessCall(*log_, "AddVisual");
}

Status HeadlessFrame::AddLight(const LightRef&) {
  ++lights_;
  return HeadlessCall(*log_, "AddLight");
}

Status HeadlessFrame::SetPosition(const FrameRef&, float x, float y, float z) {
  position_ = {x, y, z};
  return HeadlessCall(*log_, "SetPosition");
}

Status HeadlessFrame::SetOrientation(const FrameRef&, float dx, float dy, float dz, float ux,
                                     float uy, float uz) {
  direction_ = {dx, dy, dz};
  up_ = {ux, uy, uz};
  return HeadlessCall(*log_, "SetOrientation");
}

Status HeadlessFrame::LookAt(const FrameRef& target, const FrameRef&, int) {
  const auto* other = dynamic_cast<const HeadlessFrame*>(target.get());
  if (other == nullptr) return Status::Fail("LookAt: no target frame");
  direction_ = {other->position_.x - position_.x, other->position_.y - position_.y,
                other->position_.z - position_.z};
  return HeadlessCall(*log_, "LookAt");
}

Status HeadlessFrame::SetSceneBackgroundImage(const TextureRef& texture) {
  backgroundImage_ = texture;
  return HeadlessCall(*log_, "SetSceneBackgroundImage");
}

Status HeadlessFrame::SetSceneBackgroundRGB(float red, float green, float blue) {
  backgroundColour_ = {red, green, blue};
  return HeadlessCall(*log_, "SetSceneBackgroundRGB");
}

Status HeadlessAnimationSet::LoadFromFile(const std::string& path, const FrameRef& parent) {
  if (Status failed = LoadFile(*log_, "LoadFromFile", path); !failed) return failed;
  ++log_->animationsLoaded;
  path_ = path;
  parent_ = parent;
  return Status::Ok();
}

Status HeadlessAnimationSet::SetTime(float time) {
  time_ = time;
  return HeadlessCall(*log_, "SetTime");
}

Status HeadlessMeshBuilder::LoadFromFile(const std::string& path) {
  if (Status failed = LoadFile(*log_, "LoadFromFile", path); !failed) return failed;
  ++log_->meshesLoaded;
  path_ = path;
  return Status::Ok();
}

Status HeadlessMeshBuilder::ScaleMesh(float sx, float sy, float sz) {
  scale_ = {sx, sy, sz};
  return HeadlessCall(*log_, "ScaleMesh");
}

Status HeadlessRetained3D::DirectXCreate(std::shared_ptr<DirectX>& out) {
  out = std::make_shared<HeadlessDirectX>(log_);
  return HeadlessCall(*log_, "DirectXCreate");
}

}  // namespace skyrings
