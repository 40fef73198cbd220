#pragma once
// How the OpenGL 3D layer and the SDL window meet: the window that shows the 3D view.
//
// The SDL window owns the one OpenGL 3.3 core context. The 3D device renders into a texture of its
// own size and hands it over on Update; the window shows the texture's top-left region that falls
// inside `Picture1` (400 x 300) in the view rectangle, whenever the view is visible.

namespace skyrings {

class ViewTarget {
 public:
  virtual ~ViewTarget() = default;
  // Makes the window's OpenGL context current; false when there is none.
  virtual bool MakeContextCurrent() = 0;
  // Size of the view window in pixels (400 x 300 for `Picture1`).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The device finished a picture: `texture` is an RGBA OpenGL texture of `width` x `height`,
  // row 0 at the bottom (OpenGL's order). The window shows its top-left Width() x Height() pixels.
  virtual void ShowViewPicture(unsigned texture, int width, int height) = 0;
};

}  // namespace skyrings
