#pragma once
// Posing a frame from its animation keys. No OpenGL here.

#include "platform/gl/x_file.h"
#include "platform/gl/xmath.h"

namespace skyrings::gl {

// The time within the channel's key range that `time` stands for: closed channels wrap over
// their first to last key time, open ones stop at either end.
float ChannelTime(const XChannel& channel, float time);

// The frame's transform (relative to its parent) at `time`: scale, then rotation, then position,
// each interpolated between the keys around the time (linearly; rotations spherically). A kind
// of key the channel lacks keeps that part of `base`.
Mat4 PoseAt(const XChannel& channel, float time, const Mat4& base);

}  // namespace skyrings::gl
