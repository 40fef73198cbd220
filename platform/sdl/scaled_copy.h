#pragma once
// Copies a rectangle of a picture onto the window's back buffer, each pixel made a square of
// whole-factor size, as a nearest-filtered blit would. It draws the rectangle with a texture
// instead: Mesa's software renderer runs a shader of its own for a blit, with state saved and
// restored around it, and at x2 that cost about 1.7 times what this simple draw does.

#include "interfaces/status.h"
#include "interfaces/window.h"

namespace skyrings {

class ScaledCopy {
 public:
  // Compiles the program, with the context current.
  Status Create();
  // Deletes what Create made, with the same context current (the window does so before it
  // deletes the context, which takes the objects with it otherwise).
  void Delete();

  // Draws `source` of `texture` (nearest filtering, `width` x `height`) onto `target` of the bound
  // draw framebuffer. Both rectangles are in OpenGL's order (row 0 at the bottom); `target` is
  // `source` scaled by a whole factor and may reach beyond the framebuffer, which cuts it.
  // Leaves the program, vertex array, texture, viewport, blending, depth, stencil, culling and
  // scissor state changed.
  void Draw(unsigned texture, int width, int height, PixelRect source, PixelRect target) const;

 private:
  unsigned program_ = 0;
  unsigned vertexArray_ = 0;
  int sourceLocation_ = -1;
};

}  // namespace skyrings
