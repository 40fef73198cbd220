#pragma once
// Compiling and linking a vertex and fragment shader pair, for the 3D layer and the window alike.

#include <string>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "interfaces/status.h"

namespace skyrings::gl {

// A vertex shader for a rectangle over the whole viewport, from gl_VertexID alone (a strip of
// four vertices), with `vUv` running over `uSource` (x, y, width, height in texture coordinates;
// (0, 0, 1, 1) for all of it). At whole-factor scale each pixel's centre falls inside the texel
// a nearest blit would take: target pixel i reads texel (i + 0.5) / s.
extern const char* const kRectangleVertexShader;

// Compiles both shaders and links them into `out`, with the context current. On failure `out` is
// 0, nothing is left behind, and the error names `operation` and carries the compiler's log.
Status CompileProgram(const std::string& operation, const char* vertexSource,
                      const char* fragmentSource, GLuint& out);

}  // namespace skyrings::gl
