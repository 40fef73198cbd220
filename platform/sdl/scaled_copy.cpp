#include "platform/sdl/scaled_copy.h"

#include <GL/glcorearb.h>

#include "platform/gl/gl_program.h"

namespace skyrings {
namespace {

const char* const kFragmentShader = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uImage;
out vec4 fragment;
void main() { fragment = texture(uImage, vUv); }
)";

}  // namespace

Status ScaledCopy::Create() {
  GLuint program = 0;
  if (Status made =
          gl::CompileProgram("window", gl::kRectangleVertexShader, kFragmentShader, program);
      !made) {
    return made;
  }
  program_ = program;
  sourceLocation_ = glGetUniformLocation(program, "uSource");
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "uImage"), 0);
  glUseProgram(0);
  GLuint vertexArray = 0;
  glGenVertexArrays(1, &vertexArray);
  vertexArray_ = vertexArray;
  return Status::Ok();
}

void ScaledCopy::Delete() {
  if (program_ != 0) glDeleteProgram(program_);
  const GLuint vertexArray = vertexArray_;
  if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
  program_ = 0;
  vertexArray_ = 0;
}

void ScaledCopy::Draw(unsigned texture, int width, int height, PixelRect source,
                      PixelRect target) const {
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  glUseProgram(program_);
  glBindVertexArray(vertexArray_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindSampler(0, 0);
  const auto w = static_cast<float>(width);
  const auto h = static_cast<float>(height);
  glUniform4f(sourceLocation_, static_cast<float>(source.x) / w, static_cast<float>(source.y) / h,
              static_cast<float>(source.width) / w, static_cast<float>(source.height) / h);
  glViewport(target.x, target.y, target.width, target.height);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  glBindTexture(GL_TEXTURE_2D, 0);
  glBindVertexArray(0);
  glUseProgram(0);
}

}  // namespace skyrings
