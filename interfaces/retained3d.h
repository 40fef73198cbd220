#pragma once
// The retained-mode 3D component the game draws through: a tree of frames, each with a position,
// an orientation and attached meshes or lights, rendered through a viewport onto a device that is
// shown in the 3D view's window.
//
// Coordinates are left-handed: x right, y up, z away from the viewer. Every call reports a Status;
// a failure names the operation and its cause (for a file, the file's full path). Objects live
// while somebody holds a reference to them.

#include <memory>
#include <string>

#include "interfaces/status.h"

namespace skyrings {

class ViewTarget;  // defined by the window layer that shows the 3D view

class DirectDraw;
class Clipper;
class Direct3DRM;
class Device;
class Viewport;
class Frame;
class Light;
class MeshBuilder;
class AnimationSet;
class Texture;

using DirectDrawRef = std::shared_ptr<DirectDraw>;
using ClipperRef = std::shared_ptr<Clipper>;
using Direct3DRMRef = std::shared_ptr<Direct3DRM>;
using DeviceRef = std::shared_ptr<Device>;
using ViewportRef = std::shared_ptr<Viewport>;
using FrameRef = std::shared_ptr<Frame>;
using LightRef = std::shared_ptr<Light>;
using MeshBuilderRef = std::shared_ptr<MeshBuilder>;
using AnimationSetRef = std::shared_ptr<AnimationSet>;
using TextureRef = std::shared_ptr<Texture>;

// Viewport::Clear flags.
inline constexpr int kClearTarget = 1;
inline constexpr int kClearDepth = 2;
inline constexpr int kClearDirty = 4;

// CreateLightRGB types.
inline constexpr int kLightDirectional = 3;

// Device::SetQuality: Gouraud shading, lighting on, solid fill.
inline constexpr int kQualityGouraudLitSolid = 137;

// The DirectX root object.
class DirectX {
 public:
  virtual ~DirectX() = default;
  // The display's DirectDraw object; `driver` "" is the default display driver.
  virtual Status DirectDrawCreate(const std::string& driver, DirectDrawRef& out) = 0;
  // A new retained-mode root.
  virtual Status Direct3DRMCreate(Direct3DRMRef& out) = 0;
};

class DirectDraw {
 public:
  virtual ~DirectDraw() = default;
  virtual Status SetDisplayMode(int width, int height, int bitsPerPixel, int refreshRate,
                                int flags) = 0;
  virtual Status CreateClipper(int flags, ClipperRef& out) = 0;
};

class Clipper {
 public:
  virtual ~Clipper() = default;
  // Binds the clipper to the window that shows the device's pictures.
  virtual Status SetHWnd(ViewTarget* window) = 0;
};

class Direct3DRM {
 public:
  virtual ~Direct3DRM() = default;
  // A device of `width` x `height` on the clipper's window; `driver` "" is the default driver.
  virtual Status CreateDeviceFromClipper(const ClipperRef& clipper, const std::string& driver,
                                         int width, int height, DeviceRef& out) = 0;
  // A frame under `parent`; an empty parent makes a scene (root) frame.
  virtual Status CreateFrame(const FrameRef& parent, FrameRef& out) = 0;
  // A light of `type` (kLightDirectional) with colour components 0.0 to 1.0.
  virtual Status CreateLightRGB(int type, float red, float green, float blue, LightRef& out) = 0;
  virtual Status CreateMeshBuilder(MeshBuilderRef& out) = 0;
  // A texture from a BMP file.
  virtual Status LoadTexture(const std::string& path, TextureRef& out) = 0;
  // The camera frame's view in the device rectangle (x, y, width, height).
  virtual Status CreateViewport(const DeviceRef& device, const FrameRef& camera, int x, int y,
                                int width, int height, ViewportRef& out) = 0;
  virtual Status CreateAnimationSet(AnimationSetRef& out) = 0;
};

class Device {
 public:
  virtual ~Device() = default;
  virtual Status SetQuality(int quality) = 0;
  // Hints; a layer without shade counts or dithering accepts and ignores them.
  virtual Status SetShades(int shades) = 0;
  virtual Status SetDither(bool dither) = 0;
  // Shows the rendered picture in the window.
  virtual Status Update() = 0;
};

class Viewport {
 public:
  virtual ~Viewport() = default;
  // Back clipping distance.
  virtual Status SetBack(float distance) = 0;
  // Clears picture, depth and dirty areas as `flags` say; the picture clear paints the background
  // (picture stretched over the viewport, else colour) of the scene that holds the camera frame.
  virtual Status Clear(int flags) = 0;
  // Draws the frame tree under `scene` as the camera sees it.
  virtual Status Render(const FrameRef& scene) = 0;
};

class Frame {
 public:
  virtual ~Frame() = default;
  // Attaches a mesh; one mesh may hang on many frames.
  virtual Status AddVisual(const MeshBuilderRef& mesh) = 0;
  // Attaches a light; it moves and turns with the frame.
  virtual Status AddLight(const LightRef& light) = 0;
  // Places the frame; `reference` empty means scene coordinates.
  virtual Status SetPosition(const FrameRef& reference, float x, float y, float z) = 0;
  // Turns the frame: its z axis along (dx, dy, dz), its y axis along (ux, uy, uz).
  virtual Status SetOrientation(const FrameRef& reference, float dx, float dy, float dz, float ux,
                                float uy, float uz) = 0;
  // Turns the z axis toward the target frame's origin, rotating about x and y only (no roll).
  virtual Status LookAt(const FrameRef& target, const FrameRef& reference, int constraint) = 0;
  // Scene frame only: the picture filling the viewport behind everything.
  virtual Status SetSceneBackgroundImage(const TextureRef& texture) = 0;
  // Scene frame only: the background colour, components 0.0 to 1.0.
  virtual Status SetSceneBackgroundRGB(float red, float green, float blue) = 0;
};

class Light {
 public:
  virtual ~Light() = default;
};

class Texture {
 public:
  virtual ~Texture() = default;
};

class MeshBuilder {
 public:
  virtual ~MeshBuilder() = default;
  // The first mesh of a DirectX `.x` file.
  virtual Status LoadFromFile(const std::string& path) = 0;
  // Scales the loaded vertices.
  virtual Status ScaleMesh(float sx, float sy, float sz) = 0;
};

class AnimationSet {
 public:
  virtual ~AnimationSet() = default;
  // An animated `.x` file: its frames and meshes are created under `parent`, its keys kept here.
  virtual Status LoadFromFile(const std::string& path, const FrameRef& parent) = 0;
  // Poses those frames at time `time`.
  virtual Status SetTime(float time) = 0;
};

// The component itself: where the root object comes from.
class Retained3D {
 public:
  virtual ~Retained3D() = default;
  virtual Status DirectXCreate(std::shared_ptr<DirectX>& out) = 0;
};

}  // namespace skyrings
