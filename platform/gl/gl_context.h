#pragma once
// The OpenGL objects of one device: its picture and depth buffers, the shader programs it shares
// with every device on the same view target, and the names of meshes and textures waiting to be
// deleted the next time its context is current.

#include <memory>
#include <string>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "interfaces/status.h"
#include "platform/common/rgba_picture.h"
#include "platform/gl/x_file.h"
#include "platform/gl/xmath.h"

namespace skyrings {
class ViewTarget;
}

namespace skyrings::gl {

// Directional lights a scene may hold; the shader's arrays have this size.
inline constexpr int kMaxLights = 8;

struct MeshProgram {
  GLuint program = 0;
  GLint model = -1, viewProjection = -1, normalMatrix = -1, eye = -1;
  GLint lightCount = -1, lightDirection = -1, lightColour = -1, ambient = -1;
};
struct BackgroundProgram {
  GLuint program = 0;
  GLint image = -1, useImage = -1, colour = -1;
};

// The shader programs, compiled once for a view target's OpenGL context and shared by the devices
// that draw into it, one game after another.
class GlPrograms {
 public:
  explicit GlPrograms(ViewTarget* target) : target_(target) {}
  ~GlPrograms();  // deletes the programs while the target's context is still there
  GlPrograms(const GlPrograms&) = delete;
  GlPrograms& operator=(const GlPrograms&) = delete;

  // Compiles and links both programs; the target's context is current. Failures start with
  // `operation`.
  Status Compile(const std::string& operation);
  ViewTarget* target() const { return target_; }
  const MeshProgram& mesh() const { return mesh_; }
  const BackgroundProgram& background() const { return background_; }

 private:
  ViewTarget* target_;
  MeshProgram mesh_;
  BackgroundProgram background_;
};

class GlContext {
 public:
  explicit GlContext(ViewTarget* target) : target_(target) {}
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes the context current and creates the device's buffers of `width` x `height`. The
  // programs are those of `programs` while another device on this view target holds them;
  // otherwise they are compiled and `programs` is pointed at them for the next device. Failures
  // start with `operation`.
  Status Create(const std::string& operation, int width, int height,
                std::weak_ptr<GlPrograms>& programs);
  bool MakeCurrent();
  // Deletes the names handed back by released meshes, textures and viewports (context current).
  void DeleteReleased();

  void ReleaseBuffer(GLuint name) { releasedBuffers_.push_back(name); }
  void ReleaseVertexArray(GLuint name) { releasedVertexArrays_.push_back(name); }
  void ReleaseTexture(GLuint name) { releasedTextures_.push_back(name); }
  void ReleaseFramebuffer(GLuint name) { releasedFramebuffers_.push_back(name); }

  ViewTarget* target() const { return target_; }
  int width() const { return width_; }
  int height() const { return height_; }
  GLuint framebuffer() const { return framebuffer_; }
  GLuint picture() const { return picture_; }
  GLuint emptyVertexArray() const { return emptyVertexArray_; }

  const MeshProgram& mesh() const { return programs_->mesh(); }
  const BackgroundProgram& background() const { return programs_->background(); }

 private:
  ViewTarget* target_;
  int width_ = 0, height_ = 0;
  GLuint framebuffer_ = 0, picture_ = 0, depth_ = 0, emptyVertexArray_ = 0;
  std::shared_ptr<GlPrograms> programs_;
  std::vector<GLuint> releasedBuffers_, releasedVertexArrays_, releasedTextures_,
      releasedFramebuffers_;
};

// A material whose faces are blended over what lies behind them.
inline bool IsSeeThrough(const XMaterial& material) {
  return material.diffuse[3] < 1.0f;
}

// A mesh's vertex and index buffers in one context; each vertex carries its part's material.
struct GpuMesh {
  // A run of neighbouring triangles and a sphere around them, so that what lies outside the view
  // is not handed to OpenGL at all: a software renderer shades and sets up every triangle it is
  // given before it finds it off the screen.
  struct Cluster {
    GLsizei first = 0;  // index of its first triangle's first corner
    GLsizei count = 0;  // indices, three per triangle
    Vec3 centre;
    float radius = 0;
  };
  std::shared_ptr<GlContext> owner;
  GLuint vertexArray = 0, vertices = 0, indices = 0;
  // The triangles of the opaque parts, then those of the see-through parts, each in the parts'
  // order, cut into clusters in that order.
  std::vector<Cluster> opaque, seeThrough;
  // A sphere around every vertex, in the mesh's own coordinates.
  Vec3 centre;
  float radius = 0;
  ~GpuMesh();
};

// Uploads `mesh`; the caller made the owner's context current.
Status UploadMesh(const std::shared_ptr<GlContext>& owner, const XMesh& mesh,
                  std::shared_ptr<GpuMesh>& out);

struct GpuTexture {
  std::shared_ptr<GlContext> owner;
  GLuint name = 0;
  ~GpuTexture();
};

Status UploadTexture(const std::shared_ptr<GlContext>& owner, const RgbaPicture& picture,
                     std::shared_ptr<GpuTexture>& out);

}  // namespace skyrings::gl
