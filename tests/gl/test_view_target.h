#pragma once
// A hidden SDL window with an OpenGL 3.3 core context, standing in for the game window's 3D view:
// it keeps the last picture the device handed over so a test can read its pixels.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/common/view_target.h"

struct SDL_Window;

namespace skyrings::gl::test {

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};

class TestViewTarget final : public ViewTarget {
 public:
  // Opens the window and its context; ok() tells whether that worked.
  TestViewTarget();
  ~TestViewTarget() override;
  bool ok() const { return context_ != nullptr; }

  bool MakeContextCurrent() override;
  int Width() const override { return 400; }
  int Height() const override { return 300; }
  void ShowViewPicture(unsigned texture, int width, int height) override;

  int shownCount() const { return shown_; }
  unsigned texture() const { return texture_; }
  // Reads the shown picture back; (x, y) counts from the picture's top-left corner.
  bool ReadPicture();
  Rgba Pixel(int x, int y) const;
  int pictureWidth() const { return width_; }
  int pictureHeight() const { return height_; }

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  unsigned texture_ = 0;
  int width_ = 0, height_ = 0, shown_ = 0;
  std::vector<std::uint8_t> pixels_;  // RGBA, OpenGL's row order
};

}  // namespace skyrings::gl::test
