#pragma once
// Compiling and linking a vertex and fragment shader pair, for the 3D layer and the window alike.

#include <string>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "interfaces/status.h"

namespace skyrings::gl {

// Compiles both shaders and links them into `out`, with the context current. On failure `out` is
// 0, nothing is left behind, and the error names `operation` and carries the compiler's log.
Status CompileProgram(const std::string& operation, const char* vertexSource,
                      const char* fragmentSource, GLuint& out);

}  // namespace skyrings::gl
