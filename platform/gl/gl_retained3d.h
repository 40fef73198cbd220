#pragma once
// The retained-mode 3D component over OpenGL 3.3 core: create one and hand it to the game.
//
//   std::unique_ptr<skyrings::Retained3D> renderer = std::make_unique<skyrings::GlRetained3D>();
//
// The device renders into a texture of its own and gives it to the clipper's ViewTarget on every
// Update. All OpenGL work happens with the view target's context made current (through
// ViewTarget::MakeContextCurrent), so the view target must outlive every object made from it,
// and the component too: it keeps the shader programs and the parsed `.x` files from one game to
// the next (a file is still read every time, and parsed again when its bytes changed).

#include <memory>

#include "interfaces/retained3d.h"

namespace skyrings {

namespace gl {
struct GlComponentCache;
}

class GlRetained3D final : public Retained3D {
 public:
  GlRetained3D();
  ~GlRetained3D() override;
  Status DirectXCreate(std::shared_ptr<DirectX>& out) override;

 private:
  std::shared_ptr<gl::GlComponentCache> cache_;
};

}  // namespace skyrings
