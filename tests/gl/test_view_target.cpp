#include "tests/gl/test_view_target.h"

#include <SDL2/SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

namespace skyrings::gl::test {

TestViewTarget::TestViewTarget() {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  window_ =
      SDL_CreateWindow("skyrings gl test", 0, 0, 400, 300, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) return;
  context_ = SDL_GL_CreateContext(window_);
}

TestViewTarget::~TestViewTarget() {
  if (context_ != nullptr) SDL_GL_DeleteContext(context_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool TestViewTarget::MakeContextCurrent() {
  return context_ != nullptr && SDL_GL_MakeCurrent(window_, context_) == 0;
}

void TestViewTarget::ShowViewPicture(unsigned texture, int width, int height) {
  texture_ = texture;
  width_ = width;
  height_ = height;
  ++shown_;
}

bool TestViewTarget::ReadPicture() {
  if (texture_ == 0 || !MakeContextCurrent()) return false;
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4, 0);
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture_, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  return glGetError() == GL_NO_ERROR;
}

Rgba TestViewTarget::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return {};
  const std::size_t row = static_cast<std::size_t>(height_ - 1 - y);
  const std::size_t at = (row * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) * 4;
  return {pixels_[at], pixels_[at + 1], pixels_[at + 2], pixels_[at + 3]};
}

}  // namespace skyrings::gl::test
