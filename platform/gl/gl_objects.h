#pragma once
// The OpenGL component's objects behind the interfaces of interfaces/retained3d.h.

#include <memory>
#include <string>
#include <vector>

#include "interfaces/retained3d.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/x_file.h"
#include "platform/gl/xmath.h"

namespace skyrings::gl {

// What the component keeps from one game to the next: the `.x` files it has parsed, and the shader
// programs for as long as a device uses them (a game makes its new device while the last game's
// is still held, so the programs pass from one to the next; once every device is gone, nothing is
// left behind in the window's context).
struct GlComponentCache {
  XFileCache files;
  std::weak_ptr<GlPrograms> programs;
};

class GlMeshBuilder final : public MeshBuilder {
 public:
  // Without a cache every LoadFromFile parses its file.
  explicit GlMeshBuilder(std::shared_ptr<GlComponentCache> cache = nullptr)
      : cache_(std::move(cache)) {}
  explicit GlMeshBuilder(XMesh mesh) : mesh_(std::move(mesh)) {}
  Status LoadFromFile(const std::string& path) override;
  Status ScaleMesh(float sx, float sy, float sz) override;

  const XMesh& mesh() const { return mesh_; }
  // The mesh's buffers in `context`, uploaded on first use; the context is current.
  Status Gpu(const std::shared_ptr<GlContext>& context, const GpuMesh*& out);

 private:
  std::shared_ptr<GlComponentCache> cache_;
  XMesh mesh_;
  std::shared_ptr<GpuMesh> gpu_;
};

class GlLight final : public Light {
 public:
  GlLight(int type, Vec3 colour) : type_(type), colour_(colour) {}
  int type() const { return type_; }
  Vec3 colour() const { return colour_; }

 private:
  int type_;
  Vec3 colour_;
};

class GlTexture final : public Texture {
 public:
  explicit GlTexture(RgbaPicture picture) : picture_(std::move(picture)) {}
  Status Gpu(const std::shared_ptr<GlContext>& context, GLuint& out);
  // What the last Gpu call uploaded or found.
  const std::shared_ptr<GpuTexture>& gpu() const { return gpu_; }

 private:
  RgbaPicture picture_;
  std::shared_ptr<GpuTexture> gpu_;
};

class GlFrame final : public Frame, public std::enable_shared_from_this<GlFrame> {
 public:
  static std::shared_ptr<GlFrame> Make(const std::shared_ptr<GlFrame>& parent);

  Status AddVisual(const MeshBuilderRef& mesh) override;
  Status AddLight(const LightRef& light) override;
  Status SetPosition(const FrameRef& reference, float x, float y, float z) override;
  Status SetOrientation(const FrameRef& reference, float dx, float dy, float dz, float ux, float uy,
                        float uz) override;
  Status LookAt(const FrameRef& target, const FrameRef& reference, int constraint) override;
  Status SetSceneBackgroundImage(const TextureRef& texture) override;
  Status SetSceneBackgroundRGB(float red, float green, float blue) override;

  // The frame's transform relative to its parent, and relative to the scene.
  const Mat4& local() const { return local_; }
  void set_local(const Mat4& local) { local_ = local; }
  Mat4 World() const;
  // The scene (root) frame this frame belongs to.
  std::shared_ptr<GlFrame> Root();

  const std::vector<std::shared_ptr<GlFrame>>& children() const { return children_; }
  const std::vector<std::shared_ptr<GlMeshBuilder>>& visuals() const { return visuals_; }
  const std::vector<std::shared_ptr<GlLight>>& lights() const { return lights_; }
  const std::shared_ptr<GlTexture>& backgroundImage() const { return backgroundImage_; }
  Vec3 backgroundColour() const { return backgroundColour_; }

 private:
  GlFrame() = default;
  // The reference frame's transform (identity for the scene), or false for a foreign frame.
  static bool ReferenceWorld(const FrameRef& reference, Mat4& out);
  // Gives the frame the world rotation `rotation` (in reference coordinates `reference`).
  void SetWorldRotation(const Mat4& referenceWorld, const Mat4& rotation);

  std::weak_ptr<GlFrame> parent_;
  std::vector<std::shared_ptr<GlFrame>> children_;
  Mat4 local_;
  std::vector<std::shared_ptr<GlMeshBuilder>> visuals_;
  std::vector<std::shared_ptr<GlLight>> lights_;
  std::shared_ptr<GlTexture> backgroundImage_;
  Vec3 backgroundColour_{0, 0, 0};
};

class GlAnimationSet final : public AnimationSet {
 public:
  explicit GlAnimationSet(std::shared_ptr<GlComponentCache> cache = nullptr)
      : cache_(std::move(cache)) {}
  Status LoadFromFile(const std::string& path, const FrameRef& parent) override;
  Status SetTime(float time) override;

 private:
  struct Animated {
    std::shared_ptr<GlFrame> frame;
    XChannel channel;
    Mat4 base;
  };
  std::shared_ptr<GlComponentCache> cache_;
  std::vector<Animated> animated_;
};

class GlDevice final : public Device {
 public:
  explicit GlDevice(std::shared_ptr<GlContext> context) : context_(std::move(context)) {}
  Status SetQuality(int quality) override;
  Status SetShades(int shades) override;
  Status SetDither(bool dither) override;
  Status Update() override;

  const std::shared_ptr<GlContext>& context() const { return context_; }

 private:
  std::shared_ptr<GlContext> context_;
};

class GlViewport final : public Viewport {
 public:
  GlViewport(std::shared_ptr<GlDevice> device, std::shared_ptr<GlFrame> camera, int x, int y,
             int width, int height)
      : device_(std::move(device)),
        camera_(std::move(camera)),
        x_(x),
        y_(y),
        width_(width),
        height_(height) {}
  ~GlViewport() override;
  GlViewport(const GlViewport&) = delete;
  GlViewport& operator=(const GlViewport&) = delete;
  Status SetBack(float distance) override;
  Status Clear(int flags) override;
  Status Render(const FrameRef& scene) override;

  // Camera space to clip space for this viewport.
  Mat4 Projection() const;

 private:
  // Binds the device's picture, limited to the viewport's rectangle.
  void BindTarget();
  // Draws the scene's background (`image`, or `colour` without one) over the bound target's
  // viewport.
  void DrawBackground(GLuint image, Vec3 colour);
  // Puts the background into the viewport's rectangle of the device's picture. It is drawn once
  // into a picture of its own and copied from there while the background stays the same: a copy
  // of the same size costs a software renderer a fraction of a textured rectangle.
  void PutBackground(GLuint image, const std::shared_ptr<GpuTexture>& gpuImage, Vec3 colour);

  std::shared_ptr<GlDevice> device_;
  std::shared_ptr<GlFrame> camera_;
  int x_, y_, width_, height_;
  float front_ = 1.0f;
  float back_ = 100.0f;
  float field_ = 0.5f;
  // The background as last drawn: the picture is the device's size and holds it in the
  // viewport's rectangle, drawn there exactly as it would be on the device's picture.
  struct Background {
    bool drawn = false;
    std::shared_ptr<GpuTexture> image;  // held, so that it stays the texture it was drawn from
    Vec3 colour;
    GLuint picture = 0, framebuffer = 0;
  } background_;
};

}  // namespace skyrings::gl
