#include "platform/gl/gl_objects.h"

#include <algorithm>
#include <cmath>

#include "platform/common/view_target.h"
#include "platform/gl/animation.h"
#include "platform/gl/gl_retained3d.h"
#include "platform/sdl/bmp_file.h"

namespace skyrings::gl {

namespace {

constexpr int kMaxDeviceSide = 8192;

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// Reads a `.x` file through the component's cache, or afresh without one.
Status ReadScene(GlComponentCache* cache, const std::string& path,
                 std::shared_ptr<const XScene>& out) {
  if (cache != nullptr) return cache->files.Read(path, out);
  XFileCache once;
  return once.Read(path, out);
}

}  // namespace

// ---- Meshes, lights, textures ----

Status GlMeshBuilder::LoadFromFile(const std::string& path) {
  std::shared_ptr<const XScene> scene;
  Status s = ReadScene(cache_.get(), path, scene);
  if (!s) return Status::Fail("LoadFromFile: " + s.error());
  const XMesh* first = scene->FirstMesh();
  if (first == nullptr) return Status::Fail("LoadFromFile: " + path + ": no mesh in the file");
  mesh_ = *first;
  gpu_.reset();
  return Status::Ok();
}

Status GlMeshBuilder::ScaleMesh(float sx, float sy, float sz) {
  if (!Finite({sx, sy, sz})) return Status::Fail("ScaleMesh: scale is not a finite number");
  if (sx == 0 || sy == 0 || sz == 0) return Status::Fail("ScaleMesh: scale of zero");
  for (XMeshPart& part : mesh_.parts) {
    for (Vec3& p : part.positions)
      p = {p.x * sx, p.y * sy, p.z * sz};
    for (Vec3& n : part.normals) {
      // Normals take the inverse scale so they stay perpendicular to the surface.
      Vec3 m{n.x / sx, n.y / sy, n.z / sz};
      const float len = Length(m);
      if (len > 0) n = m * (1 / len);
    }
    // A mirroring scale turns the faces over: keep them clockwise from the front.
    if (sx * sy * sz < 0) {
      for (std::size_t t = 0; t + 2 < part.indices.size(); t += 3) {
        std::swap(part.indices[t + 1], part.indices[t + 2]);
      }
    }
  }
  gpu_.reset();
  return Status::Ok();
}

Status GlMeshBuilder::Gpu(const std::shared_ptr<GlContext>& context, const GpuMesh*& out) {
  if (!gpu_ || gpu_->owner != context) {
    gpu_.reset();
    Status s = UploadMesh(context, mesh_, gpu_);
    if (!s) return s;
  }
  out = gpu_.get();
  return Status::Ok();
}

Status GlTexture::Gpu(const std::shared_ptr<GlContext>& context, GLuint& out) {
  if (!gpu_ || gpu_->owner != context) {
    gpu_.reset();
    Status s = UploadTexture(context, picture_, gpu_);
    if (!s) return s;
  }
  out = gpu_->name;
  return Status::Ok();
}

// ---- Frames ----

std::shared_ptr<GlFrame> GlFrame::Make(const std::shared_ptr<GlFrame>& parent) {
  std::shared_ptr<GlFrame> frame(new GlFrame());
  if (parent) {
    frame->parent_ = parent;
    parent->children_.push_back(frame);
  }
  return frame;
}

Mat4 GlFrame::World() const {
  Mat4 world = local_;
  for (auto p = parent_.lock(); p; p = p->parent_.lock())
    world = p->local_ * world;
  return world;
}

std::shared_ptr<GlFrame> GlFrame::Root() {
  std::shared_ptr<GlFrame> root = shared_from_this();
  for (auto p = parent_.lock(); p; p = p->parent_.lock())
    root = p;
  return root;
}

bool GlFrame::ReferenceWorld(const FrameRef& reference, Mat4& out) {
  out = Mat4{};
  if (!reference) return true;
  auto frame = std::dynamic_pointer_cast<GlFrame>(reference);
  if (!frame) return false;
  out = frame->World();
  return true;
}

Status GlFrame::AddVisual(const MeshBuilderRef& mesh) {
  auto ours = std::dynamic_pointer_cast<GlMeshBuilder>(mesh);
  if (!ours) return Status::Fail("AddVisual: not a mesh of this component");
  visuals_.push_back(std::move(ours));
  return Status::Ok();
}

Status GlFrame::AddLight(const LightRef& light) {
  auto ours = std::dynamic_pointer_cast<GlLight>(light);
  if (!ours) return Status::Fail("AddLight: not a light of this component");
  lights_.push_back(std::move(ours));
  return Status::Ok();
}

Status GlFrame::SetPosition(const FrameRef& reference, float x, float y, float z) {
  if (!Finite({x, y, z})) return Status::Fail("SetPosition: position is not a finite number");
  Mat4 referenceWorld;
  if (!ReferenceWorld(reference, referenceWorld)) {
    return Status::Fail("SetPosition: reference is not a frame of this component");
  }
  const Vec3 world = referenceWorld.Point({x, y, z});
  const auto parent = parent_.lock();
  const Vec3 local = parent ? AffineInverse(parent->World()).Point(world) : world;
  local_.SetColumn(3, local);
  return Status::Ok();
}

void GlFrame::SetWorldRotation(const Mat4& referenceWorld, const Mat4& rotation) {
  // The rotation is given in the reference's axes; bring it into the parent's.
  Mat4 inReference = referenceWorld;
  inReference.SetColumn(3, {});
  Mat4 world = inReference * rotation;
  const auto parent = parent_.lock();
  Mat4 local = world;
  if (parent) {
    Mat4 parentWorld = parent->World();
    parentWorld.SetColumn(3, {});
    local = AffineInverse(parentWorld) * world;
  }
  const Vec3 origin = local_.Origin();
  local.SetColumn(3, origin);
  local_ = local;
}

Status GlFrame::SetOrientation(const FrameRef& reference, float dx, float dy, float dz, float ux,
                               float uy, float uz) {
  if (!Finite({dx, dy, dz, ux, uy, uz})) {
    return Status::Fail("SetOrientation: direction or up vector is not a finite number");
  }
  Mat4 referenceWorld;
  if (!ReferenceWorld(reference, referenceWorld)) {
    return Status::Fail("SetOrientation: reference is not a frame of this component");
  }
  Mat4 rotation;
  if (!OrientationBasis({dx, dy, dz}, {ux, uy, uz}, rotation)) {
    return Status::Fail("SetOrientation: direction is a zero vector");
  }
  SetWorldRotation(referenceWorld, rotation);
  return Status::Ok();
}

Status GlFrame::LookAt(const FrameRef& target, const FrameRef& reference, int /*constraint*/) {
  auto targetFrame = std::dynamic_pointer_cast<GlFrame>(target);
  if (!targetFrame) return Status::Fail("LookAt: target is not a frame of this component");
  Mat4 referenceWorld;
  if (!ReferenceWorld(reference, referenceWorld)) {
    return Status::Fail("LookAt: reference is not a frame of this component");
  }
  const Mat4 world = World();
  const Mat4 toReference = AffineInverse(referenceWorld);
  const Vec3 direction = toReference.Direction(targetFrame->World().Origin() - world.Origin());
  const Vec3 currentX = toReference.Direction(world.Column(0));
  Mat4 rotation;
  // A target at the frame's own origin leaves it turned as it is.
  if (!LookAtBasis(direction, currentX, rotation)) return Status::Ok();
  SetWorldRotation(referenceWorld, rotation);
  return Status::Ok();
}

Status GlFrame::SetSceneBackgroundImage(const TextureRef& texture) {
  if (!parent_.expired()) return Status::Fail("SetSceneBackgroundImage: not a scene frame");
  if (!texture) {
    backgroundImage_.reset();
    return Status::Ok();
  }
  auto ours = std::dynamic_pointer_cast<GlTexture>(texture);
  if (!ours) return Status::Fail("SetSceneBackgroundImage: not a texture of this component");
  backgroundImage_ = std::move(ours);
  return Status::Ok();
}

Status GlFrame::SetSceneBackgroundRGB(float red, float green, float blue) {
  if (!parent_.expired()) return Status::Fail("SetSceneBackgroundRGB: not a scene frame");
  if (!Finite({red, green, blue})) {
    return Status::Fail("SetSceneBackgroundRGB: colour is not a finite number");
  }
  backgroundColour_ = {std::clamp(red, 0.0f, 1.0f), std::clamp(green, 0.0f, 1.0f),
                       std::clamp(blue, 0.0f, 1.0f)};
  return Status::Ok();
}

// ---- Animation sets ----

Status GlAnimationSet::LoadFromFile(const std::string& path, const FrameRef& parent) {
  auto parentFrame = std::dynamic_pointer_cast<GlFrame>(parent);
  if (!parentFrame) return Status::Fail("LoadFromFile: " + path + ": no parent frame to load into");
  std::shared_ptr<const XScene> scene;
  Status s = ReadScene(cache_.get(), path, scene);
  if (!s) return Status::Fail("LoadFromFile: " + s.error());
  std::vector<std::shared_ptr<GlFrame>> frames;
  frames.reserve(scene->frames.size());
  for (const XFrame& x : scene->frames) {
    const auto& under = x.parent < 0 ? parentFrame : frames[static_cast<std::size_t>(x.parent)];
    auto frame = GlFrame::Make(under);
    frame->set_local(x.transform);
    for (const XMesh& mesh : x.meshes) {
      s = frame->AddVisual(std::make_shared<GlMeshBuilder>(mesh));
      if (!s) return s;
    }
    frames.push_back(std::move(frame));
  }
  for (const XChannel& channel : scene->channels) {
    const auto index = static_cast<std::size_t>(channel.frame);
    animated_.push_back({frames[index], channel, scene->frames[index].transform});
  }
  return Status::Ok();
}

Status GlAnimationSet::SetTime(float time) {
  if (!std::isfinite(time)) return Status::Fail("SetTime: time is not a finite number");
  for (Animated& a : animated_)
    a.frame->set_local(PoseAt(a.channel, time, a.base));
  return Status::Ok();
}

// ---- Device and viewport ----

Status GlDevice::SetQuality(int quality) {
  // Every quality draws Gouraud-lit solid faces.
  (void)quality;
  return Status::Ok();
}
Status GlDevice::SetShades(int shades) {
  (void)shades;  // true colour: no shade table
  return Status::Ok();
}
Status GlDevice::SetDither(bool dither) {
  (void)dither;  // true colour: nothing to dither
  return Status::Ok();
}

Status GlDevice::Update() {
  ViewTarget* target = context_->target();
  if (target == nullptr) return Status::Fail("Update: the device has no view target");
  target->ShowViewPicture(context_->picture(), context_->width(), context_->height());
  return Status::Ok();
}

Status GlViewport::SetBack(float distance) {
  if (!std::isfinite(distance) || distance <= front_) {
    return Status::Fail("SetBack: back clip " + std::to_string(distance) +
                        " is not beyond the front clip");
  }
  back_ = distance;
  return Status::Ok();
}

Mat4 GlViewport::Projection() const {
  // The field applies to the larger side of the viewport.
  const float larger = static_cast<float>(std::max(width_, height_));
  const float tanX = field_ * static_cast<float>(width_) / larger;
  const float tanY = field_ * static_cast<float>(height_) / larger;
  return Perspective(tanX, tanY, front_, back_);
}

void GlViewport::BindTarget() {
  const GlContext& gl = *device_->context();
  glBindFramebuffer(GL_FRAMEBUFFER, gl.framebuffer());
  // The viewport's y runs down from the device's top; OpenGL's runs up from the bottom.
  const GLint bottom = gl.height() - y_ - height_;
  glViewport(x_, bottom, width_, height_);
  glEnable(GL_SCISSOR_TEST);
  glScissor(x_, bottom, width_, height_);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDisable(GL_STENCIL_TEST);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  // The window shares the context: nothing it may have left on changes what we draw.
  glDisable(GL_FRAMEBUFFER_SRGB);
  glDisable(GL_RASTERIZER_DISCARD);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
  glDisable(GL_MULTISAMPLE);
  glDepthRange(0.0, 1.0);
  glBindSampler(0, 0);
}

GlViewport::~GlViewport() {
  const std::shared_ptr<GlContext>& context = device_->context();
  if (background_.framebuffer != 0) context->ReleaseFramebuffer(background_.framebuffer);
  if (background_.picture != 0) context->ReleaseTexture(background_.picture);
}

void GlViewport::DrawBackground(GLuint image, Vec3 colour) {
  const GlContext& gl = *device_->context();
  const auto& program = gl.background();
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glUseProgram(program.program);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, image);
  glUniform1i(program.image, 0);
  glUniform1i(program.useImage, image != 0 ? 1 : 0);
  glUniform3f(program.colour, colour.x, colour.y, colour.z);
  glBindVertexArray(gl.emptyVertexArray());
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glBindVertexArray(0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glUseProgram(0);
}

void GlViewport::PutBackground(GLuint image, const std::shared_ptr<GpuTexture>& gpuImage,
                               Vec3 colour) {
  const GlContext& gl = *device_->context();
  Background& cached = background_;
  if (cached.framebuffer == 0) {
    glGenTextures(1, &cached.picture);
    glBindTexture(GL_TEXTURE_2D, cached.picture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, gl.width(), gl.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &cached.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, cached.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, cached.picture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      // Without a picture of its own the background is drawn every time.
      glDeleteFramebuffers(1, &cached.framebuffer);
      glDeleteTextures(1, &cached.picture);
      cached.framebuffer = cached.picture = 0;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, gl.framebuffer());
  }
  if (cached.framebuffer == 0) {
    DrawBackground(image, colour);
    return;
  }
  if (!cached.drawn || cached.image != gpuImage || cached.colour.x != colour.x ||
      cached.colour.y != colour.y || cached.colour.z != colour.z) {
    // Same viewport and scissor as on the device's picture, so the same pixels come out.
    glBindFramebuffer(GL_FRAMEBUFFER, cached.framebuffer);
    DrawBackground(image, colour);
    cached.drawn = true;
    cached.image = gpuImage;
    cached.colour = colour;
  }
  const GLint bottom = gl.height() - y_ - height_;
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, cached.framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gl.framebuffer());
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBlitFramebuffer(x_, bottom, x_ + width_, bottom + height_, x_, bottom, x_ + width_,
                    bottom + height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, gl.framebuffer());
  glEnable(GL_SCISSOR_TEST);
}

Status GlViewport::Clear(int flags) {
  GlContext& gl = *device_->context();
  if (!gl.MakeCurrent()) {
    return Status::Fail("Clear: the view target's OpenGL context cannot be made current");
  }
  gl.DeleteReleased();
  BindTarget();
  Status result = Status::Ok();
  if ((flags & kClearTarget) != 0) {
    const auto scene = camera_->Root();
    GLuint image = 0;
    std::shared_ptr<GpuTexture> gpuImage;
    if (scene->backgroundImage()) {
      result = scene->backgroundImage()->Gpu(device_->context(), image);
      if (result) {
        gpuImage = scene->backgroundImage()->gpu();
      } else {
        result = Status::Fail("Clear: " + result.error());
      }
    }
    PutBackground(image, gpuImage, scene->backgroundColour());
  }
  if ((flags & kClearDepth) != 0) {
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return result;
}

Status GlViewport::Render(const FrameRef& scene) {
  auto root = std::dynamic_pointer_cast<GlFrame>(scene);
  if (!root) return Status::Fail("Render: no scene frame of this component");
  const std::shared_ptr<GlContext>& context = device_->context();
  GlContext& gl = *context;
  if (!gl.MakeCurrent()) {
    return Status::Fail("Render: the view target's OpenGL context cannot be made current");
  }
  gl.DeleteReleased();

  // Everything the frame tree holds, with the frames' scene transforms.
  struct Visual {
    Mat4 world;
    GlMeshBuilder* mesh;
  };
  std::vector<Visual> visuals;
  std::vector<Vec3> lightDirections, lightColours;
  Vec3 ambient{0, 0, 0};
  std::vector<std::pair<const GlFrame*, Mat4>> stack{{root.get(), root->local()}};
  while (!stack.empty()) {
    auto [frame, world] = stack.back();
    stack.pop_back();
    for (const auto& mesh : frame->visuals())
      visuals.push_back({world, mesh.get()});
    for (const auto& light : frame->lights()) {
      if (light->type() == 0) {
        ambient = ambient + light->colour();
      } else if (lightDirections.size() < static_cast<std::size_t>(kMaxLights)) {
        // A directional light shines along its frame's z axis.
        const Vec3 z = world.Column(2);
        const float len = Length(z);
        if (len > 0) {
          lightDirections.push_back(z * (-1 / len));
          lightColours.push_back(light->colour());
        }
      }
    }
    for (const auto& child : frame->children())
      stack.push_back({child.get(), world * child->local()});
  }

  const Mat4 cameraWorld = camera_->World();
  const Mat4 view = AffineInverse(cameraWorld);
  const Mat4 viewProjection = Projection() * view;
  const Vec3 eye = cameraWorld.Origin();

  BindTarget();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glDisable(GL_BLEND);
  const auto& program = gl.mesh();
  glUseProgram(program.program);
  glUniformMatrix4fv(program.viewProjection, 1, GL_FALSE, viewProjection.m.data());
  glUniform3f(program.eye, eye.x, eye.y, eye.z);
  glUniform3f(program.ambient, ambient.x, ambient.y, ambient.z);
  const auto lightCount = static_cast<GLsizei>(lightDirections.size());
  glUniform1i(program.lightCount, lightCount);
  if (lightCount > 0) {
    glUniform3fv(program.lightDirection, lightCount, &lightDirections[0].x);
    glUniform3fv(program.lightColour, lightCount, &lightColours[0].x);
  }
  const bool viewMirrors = view.Determinant3() < 0;

  // Camera-space tests against the view's sides and clip distances.
  const Mat4 projection = Projection();
  const float tanX = 1 / projection.at(0, 0), tanY = 1 / projection.at(1, 1);
  const float sideX = 1 / std::sqrt(1 + tanX * tanX), sideY = 1 / std::sqrt(1 + tanY * tanY);
  // `scale` is the longest of `world`'s axes (scaleOf), by which a sphere's radius grows.
  auto outOfView = [&](const Mat4& world, float scale, Vec3 centre, float radius) {
    const Vec3 c = view.Point(world.Point(centre));
    const float r = radius * scale;
    return c.z + r < front_ || c.z - r > back_ || (c.x - tanX * c.z) * sideX > r ||
           (-c.x - tanX * c.z) * sideX > r || (c.y - tanY * c.z) * sideY > r ||
           (-c.y - tanY * c.z) * sideY > r;
  };

  Status result = Status::Ok();
  struct Draw {
    const Visual* visual;
    const GpuMesh* gpu;
    float scale;
  };
  const auto scaleOf = [](const Mat4& world) {
    return std::max({Length(world.Column(0)), Length(world.Column(1)), Length(world.Column(2))});
  };
  std::vector<Draw> draws;
  draws.reserve(visuals.size());
  for (const Visual& visual : visuals) {
    const GpuMesh* gpu = nullptr;
    result = visual.mesh->Gpu(context, gpu);
    if (!result) {
      result = Status::Fail("Render: " + result.error());
      break;
    }
    const float scale = scaleOf(visual.world);
    if (!outOfView(visual.world, scale, gpu->centre, gpu->radius)) {
      draws.push_back({&visual, gpu, scale});
    }
  }
  // Opaque faces first; then see-through ones, blended over them without hiding what lies
  // behind.
  for (const bool seeThrough : {false, true}) {
    if (seeThrough) {
      glEnable(GL_BLEND);
      glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
      glBlendEquation(GL_FUNC_ADD);
      glDepthMask(GL_FALSE);
    }
    for (const Draw& draw : draws) {
      const std::vector<GpuMesh::Cluster>& clusters =
          seeThrough ? draw.gpu->seeThrough : draw.gpu->opaque;
      if (clusters.empty()) continue;
      const Mat4& world = draw.visual->world;
      bool placed = false;
      // Neighbouring clusters in view are drawn together.
      GLsizei first = 0, count = 0;
      auto flush = [&] {
        if (count == 0) return;
        if (!placed) {
          // Faces are clockwise seen from the front; a mirroring transform turns them over.
          const bool mirrored = (world.Determinant3() < 0) != viewMirrors;
          glFrontFace(mirrored ? GL_CCW : GL_CW);
          glUniformMatrix4fv(program.model, 1, GL_FALSE, world.m.data());
          const std::array<float, 9> normalMatrix = NormalMatrix(world);
          glUniformMatrix3fv(program.normalMatrix, 1, GL_FALSE, normalMatrix.data());
          glBindVertexArray(draw.gpu->vertexArray);
          placed = true;
        }
        glDrawElements(
            GL_TRIANGLES, count, GL_UNSIGNED_INT,
            reinterpret_cast<const void*>(static_cast<std::size_t>(first) * sizeof(GLuint)));
        count = 0;
      };
      for (const GpuMesh::Cluster& cluster : clusters) {
        if (outOfView(world, draw.scale, cluster.centre, cluster.radius)) continue;
        if (count > 0 && first + count != cluster.first) flush();
        if (count == 0) first = cluster.first;
        count += cluster.count;
      }
      flush();
    }
  }
  glDepthMask(GL_TRUE);
  // Leave the context as the window expects to find it: nothing of ours bound.
  glBindVertexArray(0);
  glUseProgram(0);
  glDisable(GL_BLEND);
  glDisable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return result;
}

// ---- The root objects ----

namespace {

class GlClipper final : public Clipper {
 public:
  Status SetHWnd(ViewTarget* window) override {
    if (window == nullptr) return Status::Fail("SetHWnd: no view window");
    target_ = window;
    return Status::Ok();
  }
  ViewTarget* target() const { return target_; }

 private:
  ViewTarget* target_ = nullptr;
};

class GlDirectDraw final : public DirectDraw {
 public:
  Status SetDisplayMode(int width, int height, int bitsPerPixel, int refreshRate,
                        int flags) override {
    // The game runs in a window: the display keeps its mode.
    (void)width, (void)height, (void)bitsPerPixel, (void)refreshRate, (void)flags;
    return Status::Ok();
  }
  Status CreateClipper(int flags, ClipperRef& out) override {
    (void)flags;
    out = std::make_shared<GlClipper>();
    return Status::Ok();
  }
};

class GlDirect3DRM final : public Direct3DRM {
 public:
  explicit GlDirect3DRM(std::shared_ptr<GlComponentCache> cache) : cache_(std::move(cache)) {}

  Status CreateDeviceFromClipper(const ClipperRef& clipper, const std::string& driver, int width,
                                 int height, DeviceRef& out) override {
    (void)driver;
    auto ours = std::dynamic_pointer_cast<GlClipper>(clipper);
    if (!ours) return Status::Fail("CreateDeviceFromClipper: not a clipper of this component");
    if (ours->target() == nullptr) {
      return Status::Fail("CreateDeviceFromClipper: the clipper has no view window (SetHWnd)");
    }
    if (width <= 0 || height <= 0 || width > kMaxDeviceSide || height > kMaxDeviceSide) {
      return Status::Fail("CreateDeviceFromClipper: bad device size " + std::to_string(width) +
                          " x " + std::to_string(height));
    }
    auto context = std::make_shared<GlContext>(ours->target());
    Status s = context->Create("CreateDeviceFromClipper", width, height, cache_->programs);
    if (!s) return s;
    out = std::make_shared<GlDevice>(std::move(context));
    return Status::Ok();
  }

  Status CreateFrame(const FrameRef& parent, FrameRef& out) override {
    std::shared_ptr<GlFrame> parentFrame;
    if (parent) {
      parentFrame = std::dynamic_pointer_cast<GlFrame>(parent);
      if (!parentFrame) return Status::Fail("CreateFrame: parent is not a frame of this component");
    }
    out = GlFrame::Make(parentFrame);
    return Status::Ok();
  }

  Status CreateLightRGB(int type, float red, float green, float blue, LightRef& out) override {
    if (type != kLightDirectional && type != 0) {
      return Status::Fail("CreateLightRGB: light type " + std::to_string(type) +
                          " is not supported (directional and ambient only)");
    }
    if (!Finite({red, green, blue})) {
      return Status::Fail("CreateLightRGB: colour is not a finite number");
    }
    out = std::make_shared<GlLight>(type, Vec3{red, green, blue});
    return Status::Ok();
  }

  Status CreateMeshBuilder(MeshBuilderRef& out) override {
    out = std::make_shared<GlMeshBuilder>(cache_);
    return Status::Ok();
  }

  Status LoadTexture(const std::string& path, TextureRef& out) override {
    RgbaPicture picture;
    Status s = ReadBmp(path, std::nullopt, picture);
    if (!s) return Status::Fail("LoadTexture: " + s.error());
    out = std::make_shared<GlTexture>(std::move(picture));
    return Status::Ok();
  }

  Status CreateViewport(const DeviceRef& device, const FrameRef& camera, int x, int y, int width,
                        int height, ViewportRef& out) override {
    auto ourDevice = std::dynamic_pointer_cast<GlDevice>(device);
    if (!ourDevice) return Status::Fail("CreateViewport: not a device of this component");
    auto cameraFrame = std::dynamic_pointer_cast<GlFrame>(camera);
    if (!cameraFrame) return Status::Fail("CreateViewport: no camera frame of this component");
    const GlContext& gl = *ourDevice->context();
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > gl.width() ||
        y + height > gl.height()) {
      return Status::Fail(
          "CreateViewport: rectangle " + std::to_string(x) + "," + std::to_string(y) + " " +
          std::to_string(width) + " x " + std::to_string(height) + " is not inside the " +
          std::to_string(gl.width()) + " x " + std::to_string(gl.height()) + " device");
    }
    out = std::make_shared<GlViewport>(std::move(ourDevice), std::move(cameraFrame), x, y, width,
                                       height);
    return Status::Ok();
  }

  Status CreateAnimationSet(AnimationSetRef& out) override {
    out = std::make_shared<GlAnimationSet>(cache_);
    return Status::Ok();
  }

 private:
  std::shared_ptr<GlComponentCache> cache_;
};

class GlDirectX final : public DirectX {
 public:
  explicit GlDirectX(std::shared_ptr<GlComponentCache> cache) : cache_(std::move(cache)) {}
  Status DirectDrawCreate(const std::string& driver, DirectDrawRef& out) override {
    (void)driver;
    out = std::make_shared<GlDirectDraw>();
    return Status::Ok();
  }
  Status Direct3DRMCreate(Direct3DRMRef& out) override {
    out = std::make_shared<GlDirect3DRM>(cache_);
    return Status::Ok();
  }

 private:
  std::shared_ptr<GlComponentCache> cache_;
};

}  // namespace

}  // namespace skyrings::gl

namespace skyrings {

GlRetained3D::GlRetained3D() : cache_(std::make_shared<gl::GlComponentCache>()) {}

GlRetained3D::~GlRetained3D() = default;

Status GlRetained3D::DirectXCreate(std::shared_ptr<DirectX>& out) {
  out = std::make_shared<gl::GlDirectX>(cache_);
  return Status::Ok();
}

}  // namespace skyrings
