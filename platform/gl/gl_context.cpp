#include "platform/gl/gl_context.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "platform/common/view_target.h"
#include "platform/gl/gl_program.h"

namespace skyrings::gl {

namespace {

// Gouraud shading: the colour is lit per vertex from the material's emissive, diffuse (face
// colour) and specular parts under white or coloured directional lights. The material comes with
// each vertex, so that a mesh of many materials is one draw: a software renderer pays for every
// draw and every change of uniforms between draws.
const char* const kMeshVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec3 aSpecular;
layout(location = 4) in float aPower;
layout(location = 5) in vec3 aEmissive;
uniform mat4 uModel;
uniform mat4 uViewProjection;
uniform mat3 uNormalMatrix;
uniform vec3 uEye;
uniform int uLightCount;
uniform vec3 uLightDirection[8];  // toward the light
uniform vec3 uLightColour[8];
uniform vec3 uAmbient;
out vec4 vColour;
void main() {
  vec4 world = uModel * vec4(aPosition, 1.0);
  gl_Position = uViewProjection * world;
  vec3 n = normalize(uNormalMatrix * aNormal);
  vec3 toEye = normalize(uEye - world.xyz);
  vec3 colour = aEmissive + uAmbient * aDiffuse.rgb;
  vec3 highlight = vec3(0.0);
  for (int i = 0; i < uLightCount; ++i) {
    float d = dot(n, uLightDirection[i]);
    if (d > 0.0) {
      colour += aDiffuse.rgb * uLightColour[i] * d;
      if (aPower > 0.0) {
        vec3 h = normalize(uLightDirection[i] + toEye);
        highlight += aSpecular * uLightColour[i] * pow(max(dot(n, h), 0.0), aPower);
      }
    }
  }
  vColour = vec4(min(colour + highlight, vec3(1.0)), aDiffuse.a);
}
)";

const char* const kMeshFragmentShader = R"(#version 330 core
in vec4 vColour;
out vec4 fragment;
void main() { fragment = vColour; }
)";

const char* const kBackgroundFragmentShader = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uImage;
uniform int uUseImage;
uniform vec3 uColour;
out vec4 fragment;
void main() {
  fragment = uUseImage != 0 ? vec4(texture(uImage, vUv).rgb, 1.0) : vec4(uColour, 1.0);
}
)";

}  // namespace

bool GlContext::MakeCurrent() {
  return target_ != nullptr && target_->MakeContextCurrent();
}

Status GlContext::Create(const std::string& operation, int width, int height,
                         std::weak_ptr<GlPrograms>& programs) {
  if (!MakeCurrent()) {
    return Status::Fail(operation + ": the view target has no OpenGL context to make current");
  }
  width_ = width;
  height_ = height;
  while (glGetError() != GL_NO_ERROR) {
  }
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glActiveTexture(GL_TEXTURE0);
  glGenTextures(1, &picture_);
  glBindTexture(GL_TEXTURE_2D, picture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_2D, 0);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, picture_, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  const GLenum complete = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (complete == GL_FRAMEBUFFER_COMPLETE) {
    // A new device's picture starts black.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (complete != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
    return Status::Fail(operation + ": cannot make a " + std::to_string(width) + " x " +
                        std::to_string(height) + " OpenGL picture for the device");
  }
  glGenVertexArrays(1, &emptyVertexArray_);
  programs_ = programs.lock();
  if (!programs_ || programs_->target() != target_) {
    programs_ = std::make_shared<GlPrograms>(target_);
    if (Status s = programs_->Compile(operation); !s) return s;
    programs = programs_;
  }
  return Status::Ok();
}

Status GlPrograms::Compile(const std::string& operation) {
  Status s = CompileProgram(operation, kMeshVertexShader, kMeshFragmentShader, mesh_.program);
  if (!s) return s;
  const GLuint m = mesh_.program;
  mesh_.model = glGetUniformLocation(m, "uModel");
  mesh_.viewProjection = glGetUniformLocation(m, "uViewProjection");
  mesh_.normalMatrix = glGetUniformLocation(m, "uNormalMatrix");
  mesh_.eye = glGetUniformLocation(m, "uEye");
  mesh_.lightCount = glGetUniformLocation(m, "uLightCount");
  mesh_.lightDirection = glGetUniformLocation(m, "uLightDirection");
  mesh_.lightColour = glGetUniformLocation(m, "uLightColour");
  mesh_.ambient = glGetUniformLocation(m, "uAmbient");
  s = CompileProgram(operation, kRectangleVertexShader, kBackgroundFragmentShader,
                     background_.program);
  if (!s) return s;
  // The background covers the viewport with all of its image.
  glUseProgram(background_.program);
  glUniform4f(glGetUniformLocation(background_.program, "uSource"), 0.0f, 0.0f, 1.0f, 1.0f);
  glUseProgram(0);
  background_.image = glGetUniformLocation(background_.program, "uImage");
  background_.useImage = glGetUniformLocation(background_.program, "uUseImage");
  background_.colour = glGetUniformLocation(background_.program, "uColour");
  static_assert(kMaxLights == 8, "the mesh shader's light arrays hold 8");
  return Status::Ok();
}

void GlContext::DeleteReleased() {
  if (!releasedBuffers_.empty()) {
    glDeleteBuffers(static_cast<GLsizei>(releasedBuffers_.size()), releasedBuffers_.data());
  }
  if (!releasedVertexArrays_.empty()) {
    glDeleteVertexArrays(static_cast<GLsizei>(releasedVertexArrays_.size()),
                         releasedVertexArrays_.data());
  }
  if (!releasedTextures_.empty()) {
    glDeleteTextures(static_cast<GLsizei>(releasedTextures_.size()), releasedTextures_.data());
  }
  if (!releasedFramebuffers_.empty()) {
    glDeleteFramebuffers(static_cast<GLsizei>(releasedFramebuffers_.size()),
                         releasedFramebuffers_.data());
  }
  releasedBuffers_.clear();
  releasedFramebuffers_.clear();
  releasedVertexArrays_.clear();
  releasedTextures_.clear();
}

GlContext::~GlContext() {
  if (!MakeCurrent()) return;  // the context is gone, and its objects with it
  DeleteReleased();
  if (emptyVertexArray_ != 0) glDeleteVertexArrays(1, &emptyVertexArray_);
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (depth_ != 0) glDeleteRenderbuffers(1, &depth_);
  if (picture_ != 0) glDeleteTextures(1, &picture_);
}

GlPrograms::~GlPrograms() {
  if (target_ == nullptr || !target_->MakeContextCurrent()) return;  // gone with the context
  if (mesh_.program != 0) glDeleteProgram(mesh_.program);
  if (background_.program != 0) glDeleteProgram(background_.program);
}

GpuMesh::~GpuMesh() {
  if (!owner) return;
  if (vertices != 0) owner->ReleaseBuffer(vertices);
  if (indices != 0) owner->ReleaseBuffer(indices);
  if (vertexArray != 0) owner->ReleaseVertexArray(vertexArray);
}

GpuTexture::~GpuTexture() {
  if (owner && name != 0) owner->ReleaseTexture(name);
}

namespace {

// Triangles in a cluster: small enough that most of a large mesh outside the view is left out,
// large enough that a visible stretch of the mesh stays a few draws.
constexpr std::size_t kClusterTriangles = 32;

// One vertex as the mesh shader reads it: position, normal and its part's material.
struct MeshVertex {
  float position[3];
  float normal[3];
  float diffuse[4];
  float specular[3];
  float power;
  float emissive[3];
};

}  // namespace

Status UploadMesh(const std::shared_ptr<GlContext>& owner, const XMesh& mesh,
                  std::shared_ptr<GpuMesh>& out) {
  auto gpu = std::make_shared<GpuMesh>();
  gpu->owner = owner;
  std::vector<MeshVertex> vertices;
  std::vector<std::uint32_t> indices;
  // The opaque parts' triangles first, then the see-through ones, each kind in the parts' order:
  // drawing the clusters of each kind in turn puts the triangles down in the order the parts
  // would.
  for (const bool seeThrough : {false, true}) {
    std::vector<GpuMesh::Cluster>& clusters = seeThrough ? gpu->seeThrough : gpu->opaque;
    for (const XMeshPart& part : mesh.parts) {
      const XMaterial& m = part.material;
      if (IsSeeThrough(m) != seeThrough) continue;
      const auto base = static_cast<std::uint32_t>(vertices.size());
      for (std::size_t v = 0; v < part.positions.size(); ++v) {
        const Vec3 p = part.positions[v], n = part.normals[v];
        vertices.push_back({{p.x, p.y, p.z},
                            {n.x, n.y, n.z},
                            {m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3]},
                            {m.specular[0], m.specular[1], m.specular[2]},
                            m.power,
                            {m.emissive[0], m.emissive[1], m.emissive[2]}});
      }
      const std::size_t corners = part.indices.size() - part.indices.size() % 3;
      for (std::size_t start = 0; start < corners; start += 3 * kClusterTriangles) {
        const std::size_t end = std::min(corners, start + 3 * kClusterTriangles);
        GpuMesh::Cluster cluster;
        cluster.first = static_cast<GLsizei>(indices.size());
        cluster.count = static_cast<GLsizei>(end - start);
        Vec3 low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
        for (std::size_t c = start; c < end; ++c) {
          const Vec3 p = part.positions[part.indices[c]];
          low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
          high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
          indices.push_back(base + part.indices[c]);
        }
        cluster.centre = (low + high) * 0.5f;
        for (std::size_t c = start; c < end; ++c) {
          cluster.radius =
              std::max(cluster.radius, Length(part.positions[part.indices[c]] - cluster.centre));
        }
        clusters.push_back(cluster);
      }
    }
  }
  Vec3 low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
  for (const MeshVertex& v : vertices) {
    low = {std::min(low.x, v.position[0]), std::min(low.y, v.position[1]),
           std::min(low.z, v.position[2])};
    high = {std::max(high.x, v.position[0]), std::max(high.y, v.position[1]),
            std::max(high.z, v.position[2])};
  }
  if (!vertices.empty()) {
    gpu->centre = (low + high) * 0.5f;
    for (const MeshVertex& v : vertices) {
      const Vec3 p{v.position[0], v.position[1], v.position[2]};
      gpu->radius = std::max(gpu->radius, Length(p - gpu->centre));
    }
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  glGenVertexArrays(1, &gpu->vertexArray);
  glGenBuffers(1, &gpu->vertices);
  glGenBuffers(1, &gpu->indices);
  glBindVertexArray(gpu->vertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, gpu->vertices);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(MeshVertex)),
               vertices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu->indices);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER,
               static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)), indices.data(),
               GL_STATIC_DRAW);
  const struct {
    GLint size;
    std::size_t offset;
  } attributes[] = {{3, offsetof(MeshVertex, position)}, {3, offsetof(MeshVertex, normal)},
                    {4, offsetof(MeshVertex, diffuse)},  {3, offsetof(MeshVertex, specular)},
                    {1, offsetof(MeshVertex, power)},    {3, offsetof(MeshVertex, emissive)}};
  for (GLuint location = 0; location < std::size(attributes); ++location) {
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, attributes[location].size, GL_FLOAT, GL_FALSE,
                          sizeof(MeshVertex),
                          reinterpret_cast<const void*>(attributes[location].offset));
  }
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  if (glGetError() != GL_NO_ERROR || gpu->vertexArray == 0 || gpu->vertices == 0 ||
      gpu->indices == 0) {
    return Status::Fail("cannot make the OpenGL buffers of a mesh");
  }
  out = std::move(gpu);
  return Status::Ok();
}

Status UploadTexture(const std::shared_ptr<GlContext>& owner, const RgbaPicture& picture,
                     std::shared_ptr<GpuTexture>& out) {
  // OpenGL's row 0 is the bottom of the picture.
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 4;
  std::vector<std::uint8_t> bottomUp(picture.pixels.size());
  for (int y = 0; y < picture.height; ++y) {
    std::memcpy(bottomUp.data() + static_cast<std::size_t>(picture.height - 1 - y) * rowBytes,
                picture.Row(y), rowBytes);
  }
  auto gpu = std::make_shared<GpuTexture>();
  gpu->owner = owner;
  while (glGetError() != GL_NO_ERROR) {
  }
  glGenTextures(1, &gpu->name);
  glBindTexture(GL_TEXTURE_2D, gpu->name);
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_IMAGE_HEIGHT, 0);
  glPixelStorei(GL_UNPACK_SKIP_IMAGES, 0);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glActiveTexture(GL_TEXTURE0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, picture.width, picture.height, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, bottomUp.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_2D, 0);
  if (glGetError() != GL_NO_ERROR || gpu->name == 0) {
    return Status::Fail("cannot make an OpenGL texture of " + std::to_string(picture.width) +
                        " x " + std::to_string(picture.height));
  }
  out = std::move(gpu);
  return Status::Ok();
}

}  // namespace skyrings::gl
