#pragma once
// The real main window over SDL2 and OpenGL 3.3 core.
//
// The window's own surface (what PaintPicture and FillBlack leave), the four labels and the 3D
// view are composed into one 640 x 480 picture, which fills the drawable scaled by the largest
// whole factor that fits, centred on black (F11 switches between the full screen and a resizable
// window, 640 x 480 at first). A window made smaller than 640 x 480 all the same shows the middle
// of the picture unscaled. A new picture is presented only when something on it changed, from
// Show, DoEvents and the test-facing ComposeToPixels.
//
// Software renderers pay for every pixel moved, so only what changed is redrawn: the surface and
// labels are uploaded and composed where they changed, the 3D view is copied straight into its
// place in the composed picture, and only the changed part is scaled onto the back buffer and
// copied to the screen where the OpenGL platform keeps the back buffer (see native_screen.h).
//
// The window owns the one OpenGL context; the 3D layer draws with it between the window's calls.
// Every window call that draws may leave these GL bindings changed, so the 3D layer sets them
// itself before it draws: the read and draw framebuffers, the viewport, the clear colour, the
// texture unit 0 binding and the active texture unit; scissor and sRGB writes are left disabled.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/tick_clock.h"
#include "interfaces/window_layout.h"
#include "platform/common/rgba_picture.h"
#include "platform/common/view_target.h"
#include "platform/sdl/damage.h"
#include "platform/sdl/label_font.h"
#include "platform/sdl/native_screen.h"
#include "platform/sdl/scaled_copy.h"

struct SDL_Window;
union SDL_Event;

namespace skyrings {

struct SdlWindowOptions {
  // Where the data files (title.bmp and icon.bmp among them) lie; empty: beside the program, or
  // where the game is installed (see DataDirectory).
  std::string programDirectory;
  // Start filling the screen (true) or as an ordinary 640 x 480 window.
  bool fullScreen = true;
  // Present only the changed part of the picture where the platform allows it; false always
  // redraws and swaps the whole back buffer.
  bool partialPresent = true;
  // Accept SDL's offscreen or dummy video driver (tests); without this they mean "no display".
  bool allowOffscreen = false;
  // The label font: the first that opens.
  std::vector<std::string> fontPaths = DefaultLabelFontPaths();
};

class SdlWindow final : public Window, public ViewTarget {
 public:
  static constexpr int kIconSize = 32;

  // Makes the window, hidden until Show(). `clock` is the time base of DoEvents' deadlines and
  // must outlive the window. Fails with one clear message: no display, a missing or bad title.bmp
  // or icon.bmp (naming the file), no label font, no OpenGL 3.3 core context.
  static Status Create(TickClock& clock, const SdlWindowOptions& options,
                       std::unique_ptr<SdlWindow>& out);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // Window
  Status Show() override;
  // Moves the ordinary window; does nothing while the window fills the screen.
  Status Move(int left, int top) override;
  Status PaintPicture(PixelRect source, PixelRect target) override;
  Status FillBlack(PixelRect target) override;
  Status GetCaption(int index, std::string& caption) override;
  Status SetCaption(int index, const std::string& caption) override;
  Status ShowView(bool visible) override;
  ViewTarget* ViewWindow() override { return this; }
  Status DoEvents(WindowEvents& events, std::int64_t waitUntilTick) override;
  std::string ProgramDirectory() override { return programDirectory_; }

  // ViewTarget
  bool MakeContextCurrent() override;
  int Width() const override { return kViewRect.width; }
  int Height() const override { return kViewRect.height; }
  // Copies the texture's top-left 400 x 300 (or less, the rest black) at once into the view's
  // place: the device may draw into or delete its texture as soon as this returns. The texture
  // must be attachable as a colour attachment (e.g. GL_RGBA8); its filtering does not matter. One
  // that is not a texture or cannot be read leaves the last picture in place. While the view is
  // hidden a picture is dropped: showing the view starts it black.
  void ShowViewPicture(unsigned texture, int width, int height) override;

  // Filling the screen (true) or an ordinary window; F11 switches.
  bool FullScreen() const { return fullScreen_; }
  Status SetFullScreen(bool fullScreen);
  bool ViewVisible() const { return viewVisible_; }

  // The composed 640 x 480 picture as it is presented, before scaling; row 0 at the top.
  Status ComposeToPixels(RgbaPicture& out);
  // How many pictures were presented on the screen so far.
  std::int64_t PresentCount() const { return presentCount_; }
  // How the last present reached the screen, and what it covered in drawable pixels.
  BackBufferPresenter::Way PresentWay() const { return presenter_.way(); }
  const char* PresentWayName() const { return presenter_.Name(); }
  PixelRect LastPresentedRegion() const { return lastPresented_; }
  SDL_Window* NativeWindow() { return window_; }

 private:
  struct GlObjects {
    unsigned baseTexture = 0;     // surface + labels, row 0 at the top
    unsigned composeTexture = 0;  // the composed picture with the view, OpenGL's row order
    unsigned baseFramebuffer = 0;
    unsigned composeFramebuffer = 0;
    unsigned deviceFramebuffer = 0;  // reads the 3D device's textures
  };

  SdlWindow(TickClock& clock, std::string programDirectory);
  Status OpenVideo(const SdlWindowOptions& options);
  Status CreateGlObjects();
  void DeliverEvent(const SDL_Event& event, WindowEvents& events);
  // Something drawn since the last present, or the screen lost its picture.
  bool ScreenLacksSomething() const;
  Status PresentIfChanged();
  void UploadChanges();
  void Compose();
  void ClearViewInComposed();
  void ScreenChanged() { screenStale_ = true; }

  TickClock& clock_;
  std::string programDirectory_;
  RgbaPicture title_;
  RgbaPicture icon_;
  std::unique_ptr<LabelFont> font_;
  bool videoOpen_ = false;
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  GlObjects gl_;
  ScaledCopy screenCopy_;  // the composed picture onto the back buffer

  RgbaPicture surface_{kWindowWidth, kWindowHeight};
  std::array<std::string, kLabelCount> captions_;
  std::array<RgbaPicture, kLabelCount> labelCells_;
  // What changed on the surface since it was last uploaded.
  PixelRect surfaceDamage_ = kWholeWindow;
  // The last drawing on the surface, when it was a picture paint: (source, target).
  std::optional<std::pair<PixelRect, PixelRect>> lastPaint_;
  std::array<bool, kLabelCount> labelChanged_{true, true, true, true};
  // What of the uploaded surface and labels the composed picture still lacks.
  PixelRect composeDamage_ = kWholeWindow;
  // What of the composed picture the screen still lacks, and whether all of it does (the window
  // was shown, exposed, resized or switched).
  PixelRect screenDamage_ = kWholeWindow;
  bool screenStale_ = true;
  bool viewVisible_ = false;
  bool fullScreen_ = false;
  BackBufferPresenter presenter_;
  DamageHistory history_;
  int drawableWidth_ = 0;
  int drawableHeight_ = 0;
  PixelRect lastPresented_;
  std::int64_t presentCount_ = 0;
};

}  // namespace skyrings
