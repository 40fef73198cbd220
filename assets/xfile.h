#pragma once
// Writes meshes, frame trees and animations as text-format DirectX .x files.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry.h"
#include "mesh.h"

namespace assets {

// A frame: a transform relative to its parent, its own meshes and child frames.
struct XFrame {
  std::string name;
  Vec3 offset;  // translation relative to the parent (the frame's rest pose has no rotation)
  std::vector<Mesh> meshes;
  std::vector<XFrame> children;
};

// The keys that drive one named frame. Rotations are the rotations applied to the frame (the
// writer stores them in the format's own, inverted, quaternion convention); positions are the
// frame's translation relative to its parent.
struct XAnimation {
  std::string frame;
  std::vector<std::pair<std::uint32_t, Quat>> rotations;
  std::vector<std::pair<std::uint32_t, Vec3>> positions;
};

struct XScene {
  std::vector<Mesh> meshes;  // meshes outside any frame
  std::vector<XFrame> frames;
  std::string animationSetName;
  std::vector<XAnimation> animations;
};

// The whole file, header and template declarations included.
std::string WriteXFile(const XScene& scene);

// A float as the format wants it: always with a decimal point and six decimals.
std::string XFloat(double value);

}  // namespace assets
