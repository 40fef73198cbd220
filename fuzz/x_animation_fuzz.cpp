// Animated .x files (bird1.x ... bird4.x): the reader, then what the animation set builds of it:
// a frame tree whose parents come first, channels on frames the file has, and poses at the times
// a game shows (a few wing beats in, past the end of the keys, and back at the start).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/gl/animation.h"
#include "platform/gl/x_file.h"

namespace {

using skyrings::fuzz::Require;

bool Finite(const skyrings::gl::Mat4& m) {
  for (float v : m.m) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

template <typename Key>
void CheckKeys(const std::vector<Key>& keys) {
  for (std::size_t k = 0; k < keys.size(); ++k) {
    Require(std::isfinite(keys[k].time), "key times are finite");
    Require(k == 0 || keys[k - 1].time <= keys[k].time, "keys are in time order");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string name = "bird1.x";
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  skyrings::gl::XScene scene;
  const skyrings::Status read = skyrings::gl::ReadXBuffer(name, bytes, scene);
  if (!read) {
    skyrings::fuzz::RequireNamedRefusal(read, name);
    return 0;
  }
  Require(!scene.frames.empty() && scene.frames[0].parent == -1, "frame 0 is the root");
  for (std::size_t f = 0; f < scene.frames.size(); ++f) {
    const skyrings::gl::XFrame& frame = scene.frames[f];
    // The animation set hangs each frame under one it has already made.
    Require(f == 0 ? frame.parent == -1
                   : frame.parent >= 0 && static_cast<std::size_t>(frame.parent) < f,
            "parents come before their children");
    Require(Finite(frame.transform), "frame transforms are finite");
  }
  for (const skyrings::gl::XChannel& channel : scene.channels) {
    Require(channel.frame >= 0 && static_cast<std::size_t>(channel.frame) < scene.frames.size(),
            "channels move frames the file has");
    CheckKeys(channel.positions);
    CheckKeys(channel.rotations);
    CheckKeys(channel.scales);
    const skyrings::gl::Mat4& base =
        scene.frames[static_cast<std::size_t>(channel.frame)].transform;
    for (float time : {0.0f, 7.5f, 19.0f, 20.0f, 25.0f, -3.0f, 1e9f}) {
      const float at = skyrings::gl::ChannelTime(channel, time);
      Require(std::isfinite(at), "channel times are finite");
      const skyrings::gl::Mat4 pose = skyrings::gl::PoseAt(channel, time, base);
      Require(Finite(pose), "poses are finite");
    }
  }
  return 0;
}
