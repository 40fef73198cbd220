#include "platform/gl/gl_program.h"

namespace skyrings::gl {

const char* const kRectangleVertexShader = R"(#version 330 core
uniform vec4 uSource;
out vec2 vUv;
void main() {
  vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
  vUv = uSource.xy + corner * uSource.zw;
  gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

Status CompileProgram(const std::string& operation, const char* vertexSource,
                      const char* fragmentSource, GLuint& out) {
  auto compile = [&](GLenum type, const char* source, GLuint& shader) -> Status {
    shader = glCreateShader(type);
    if (shader == 0) return Status::Fail(operation + ": cannot create an OpenGL shader");
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
      char log[1024] = {};
      glGetShaderInfoLog(shader, sizeof log, nullptr, log);
      glDeleteShader(shader);
      shader = 0;
      return Status::Fail(operation + ": shader does not compile: " + log);
    }
    return Status::Ok();
  };
  GLuint vertex = 0, fragment = 0;
  Status s = compile(GL_VERTEX_SHADER, vertexSource, vertex);
  if (!s) return s;
  s = compile(GL_FRAGMENT_SHADER, fragmentSource, fragment);
  if (!s) {
    glDeleteShader(vertex);
    return s;
  }
  out = glCreateProgram();
  if (out != 0) {
    glAttachShader(out, vertex);
    glAttachShader(out, fragment);
    glLinkProgram(out);
  }
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  if (out == 0) return Status::Fail(operation + ": cannot create an OpenGL program");
  GLint linked = GL_FALSE;
  glGetProgramiv(out, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    char log[1024] = {};
    glGetProgramInfoLog(out, sizeof log, nullptr, log);
    glDeleteProgram(out);
    out = 0;
    return Status::Fail(operation + ": shader program does not link: " + log);
  }
  return Status::Ok();
}

}  // namespace skyrings::gl
