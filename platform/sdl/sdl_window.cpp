#include "platform/sdl/sdl_window.h"

#include <GL/glcorearb.h>
#include <SDL.h>

#include <algorithm>
#include <climits>

#include "interfaces/data_files.h"
#include "platform/common/data_directory.h"
#include "platform/sdl/bmp_file.h"
#include "platform/sdl/error_box.h"
#include "platform/sdl/key_map.h"
#include "platform/sdl/screen_fit.h"

namespace skyrings {
namespace {

// The bottom row of the view in the composed picture, which is in OpenGL's row order.
constexpr int kViewBottom = kWindowHeight - kViewRect.y - kViewRect.height;

std::string BaseDirectory() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return std::string();
  std::string directory(base);
  SDL_free(base);
  return directory;
}

GLuint MakeTexture(int width, int height) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  return texture;
}

bool AttachTexture(GLuint framebuffer, GLuint texture) {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// The state that framebuffer blits and clears depend on, whatever the 3D layer left behind.
void PrepareCopyState() {
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_FRAMEBUFFER_SRGB);
  glDisable(GL_RASTERIZER_DISCARD);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

// Upload and read-back use client memory with tightly packed rows.
void PrepareClientPixelState() {
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  for (GLenum name :
       {GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS, GL_UNPACK_IMAGE_HEIGHT,
        GL_UNPACK_SKIP_IMAGES, GL_PACK_ROW_LENGTH, GL_PACK_SKIP_ROWS, GL_PACK_SKIP_PIXELS,
        GL_PACK_IMAGE_HEIGHT, GL_PACK_SKIP_IMAGES}) {
    glPixelStorei(name, 0);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
  glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
  glPixelStorei(GL_PACK_LSB_FIRST, GL_FALSE);
}

}  // namespace

SdlWindow::SdlWindow(TickClock& clock, std::string programDirectory)
    : clock_(clock), programDirectory_(std::move(programDirectory)) {}

Status SdlWindow::Create(TickClock& clock, const SdlWindowOptions& options,
                         std::unique_ptr<SdlWindow>& out) {
  std::unique_ptr<SdlWindow> window(new SdlWindow(clock, options.programDirectory.empty()
                                                             ? DataDirectory(BaseDirectory())
                                                             : options.programDirectory));

  if (Status loaded =
          LoadBmpPicture(kTitlePictureFile, JoinPath(window->programDirectory_, kTitlePictureFile),
                         kPictureWidth, kPictureHeight, window->title_);
      !loaded) {
    return loaded;
  }
  // The title picture is opaque, whatever a 32-bit file's alpha says.
  for (std::size_t i = 3; i < window->title_.pixels.size(); i += 4)
    window->title_.pixels[i] = 255;
  if (Status loaded = LoadBmpPicture(kIconFile, JoinPath(window->programDirectory_, kIconFile),
                                     kIconSize, kIconSize, window->icon_);
      !loaded) {
    return loaded;
  }
  if (Status opened = LabelFont::Open(options.fontPaths, kLabelFontPixels, window->font_);
      !opened) {
    return opened;
  }
  for (int i = 0; i < kLabelCount; ++i) {
    window->labelCells_[i] = window->font_->RenderCell("", kLabelWidth, kLabelHeight);
  }
  if (Status set = window->SetCaption(0, kFirstPlayerCaption); !set) return set;

  if (Status opened = window->OpenVideo(options); !opened) return opened;
  out = std::move(window);
  return Status::Ok();
}

Status SdlWindow::OpenVideo(const SdlWindowOptions& options) {
  if (!StartSdlVideo()) {
    return Status::Fail(std::string("no display: SDL could not start its video: ") +
                        SDL_GetError());
  }
  videoOpen_ = true;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (IsHeadlessVideoDriver(driver) && !options.allowOffscreen) {
    return Status::Fail(std::string("no display: no screen to show the window on (SDL video "
                                    "driver '") +
                        (driver ? driver : "none") + "'); is DISPLAY or WAYLAND_DISPLAY set?");
  }

  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // The window only copies pictures onto its back buffer; the 3D device has a depth buffer of its
  // own. Without one here a full screen at 1280 x 960 keeps some 5 MB less.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

  std::uint32_t flags =
      SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
  if (options.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  window_ = SDL_CreateWindow(kWindowCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             kWindowWidth, kWindowHeight, flags);
  if (window_ == nullptr) {
    return Status::Fail(std::string("window: SDL_CreateWindow: ") + SDL_GetError());
  }
  // Smaller than the picture would cut it: window managers keep to this, and when one does not,
  // the middle of the picture shows unscaled.
  SDL_SetWindowMinimumSize(window_, kWindowWidth, kWindowHeight);
  fullScreen_ = options.fullScreen;
  SDL_ShowCursor(fullScreen_ ? SDL_DISABLE : SDL_ENABLE);

  if (SDL_Surface* icon =
          SDL_CreateRGBSurfaceWithFormatFrom(icon_.pixels.data(), icon_.width, icon_.height, 32,
                                             icon_.width * 4, SDL_PIXELFORMAT_RGBA32)) {
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
  }

  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) {
    return Status::Fail(std::string("window: no OpenGL 3.3 core context: ") + SDL_GetError());
  }
  if (!MakeContextCurrent()) {
    return Status::Fail(std::string("window: SDL_GL_MakeCurrent: ") + SDL_GetError());
  }
  SDL_GL_SetSwapInterval(0);  // the game paces itself
  if (Status made = CreateGlObjects(); !made) return made;
  presenter_.Attach(window_, options.partialPresent);

  // The game hears keys only; pointer and text events would just wake the wait for nothing.
  SDL_StopTextInput();
  for (std::uint32_t type : {SDL_MOUSEMOTION, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP,
                             SDL_MOUSEWHEEL, SDL_TEXTINPUT, SDL_TEXTEDITING}) {
    SDL_EventState(type, SDL_IGNORE);
  }
  return Status::Ok();
}

Status SdlWindow::CreateGlObjects() {
  gl_.baseTexture = MakeTexture(kWindowWidth, kWindowHeight);
  gl_.composeTexture = MakeTexture(kWindowWidth, kWindowHeight);
  glBindTexture(GL_TEXTURE_2D, 0);
  GLuint framebuffers[3] = {};
  glGenFramebuffers(3, framebuffers);
  gl_.baseFramebuffer = framebuffers[0];
  gl_.composeFramebuffer = framebuffers[1];
  gl_.deviceFramebuffer = framebuffers[2];
  const bool complete = AttachTexture(gl_.baseFramebuffer, gl_.baseTexture) &&
                        AttachTexture(gl_.composeFramebuffer, gl_.composeTexture);
  if (!complete) return Status::Fail("window: OpenGL cannot draw into an RGBA texture");
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (Status made = screenCopy_.Create(); !made) return made;
  if (GLenum error = glGetError(); error != GL_NO_ERROR) {
    return Status::Fail("window: OpenGL error " + std::to_string(error) + " while setting up");
  }
  return Status::Ok();
}

SdlWindow::~SdlWindow() {
  if (context_ != nullptr) {
    if (MakeContextCurrent()) {
      const GLuint framebuffers[3] = {gl_.baseFramebuffer, gl_.composeFramebuffer,
                                      gl_.deviceFramebuffer};
      glDeleteFramebuffers(3, framebuffers);
      const GLuint textures[2] = {gl_.baseTexture, gl_.composeTexture};
      glDeleteTextures(2, textures);
      screenCopy_.Delete();
    }
    SDL_GL_DeleteContext(context_);
  }
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  if (videoOpen_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Status SdlWindow::Show() {
  SDL_ShowWindow(window_);
  if (fullScreen_) CoverDisplay(window_);
  ScreenChanged();
  return PresentIfChanged();
}

Status SdlWindow::Move(int left, int top) {
  if (!fullScreen_) SDL_SetWindowPosition(window_, left, top);
  return Status::Ok();
}

Status SdlWindow::PaintPicture(PixelRect source, PixelRect target) {
  if (!RectInside(source, title_.width, title_.height)) {
    return Status::Fail("PaintPicture: source rectangle (" + std::to_string(source.x) + ", " +
                        std::to_string(source.y) + ", " + std::to_string(source.width) + " x " +
                        std::to_string(source.height) + ") is not inside the " +
                        std::to_string(title_.width) + " x " + std::to_string(title_.height) +
                        " picture");
  }
  if (target.width < 0 || target.height < 0) {
    return Status::Fail("PaintPicture: target rectangle of negative size");
  }
  if (source.width == 0 || source.height == 0) return Status::Ok();
  if (ClipRect(target, kWindowWidth, kWindowHeight).width == 0) return Status::Ok();
  // The entry screen repaints the title every step: the same paint again changes nothing.
  if (lastPaint_ && lastPaint_->first == source && lastPaint_->second == target) {
    return Status::Ok();
  }
  StretchNearest(title_, source, surface_, target);
  lastPaint_ = std::make_pair(source, target);
  surfaceDamage_ = Unite(surfaceDamage_, ClipRect(target, kWindowWidth, kWindowHeight));
  return Status::Ok();
}

Status SdlWindow::FillBlack(PixelRect target) {
  if (target.width < 0 || target.height < 0) {
    return Status::Fail("FillBlack: rectangle of negative size");
  }
  if (ClipRect(target, kWindowWidth, kWindowHeight).width == 0) return Status::Ok();
  FillRect(surface_, target, kOpaqueBlack);
  lastPaint_.reset();
  surfaceDamage_ = Unite(surfaceDamage_, ClipRect(target, kWindowWidth, kWindowHeight));
  return Status::Ok();
}

Status SdlWindow::GetCaption(int index, std::string& caption) {
  if (index < 0 || index >= kLabelCount) {
    return Status::Fail("GetCaption: there is no label " + std::to_string(index) +
                        " (labels are 0 to 3)");
  }
  caption = captions_[index];
  return Status::Ok();
}

Status SdlWindow::SetCaption(int index, const std::string& caption) {
  if (index < 0 || index >= kLabelCount) {
    return Status::Fail("SetCaption: there is no label " + std::to_string(index) +
                        " (labels are 0 to 3)");
  }
  if (captions_[index] == caption) return Status::Ok();
  captions_[index] = caption;
  labelCells_[index] = font_->RenderCell(caption, kLabelWidth, kLabelHeight);
  labelChanged_[index] = true;
  return Status::Ok();
}

Status SdlWindow::ShowView(bool visible) {
  if (visible == viewVisible_) return Status::Ok();
  viewVisible_ = visible;
  if (visible) {
    // Whatever an earlier game left in the view's place must not show for a moment: the view
    // starts black until its first picture comes.
    if (!MakeContextCurrent()) {
      return Status::Fail(std::string("ShowView: SDL_GL_MakeCurrent: ") + SDL_GetError());
    }
    ClearViewInComposed();
  } else {
    composeDamage_ = Unite(composeDamage_, kViewRect);
  }
  return Status::Ok();
}

bool SdlWindow::MakeContextCurrent() {
  return context_ != nullptr && SDL_GL_MakeCurrent(window_, context_) == 0;
}

void SdlWindow::ClearViewInComposed() {
  PrepareCopyState();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gl_.composeFramebuffer);
  glEnable(GL_SCISSOR_TEST);
  glScissor(kViewRect.x, kViewBottom, kViewRect.width, kViewRect.height);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  screenDamage_ = Unite(screenDamage_, kViewRect);
}

void SdlWindow::ShowViewPicture(unsigned texture, int width, int height) {
  if (!viewVisible_) return;
  if (texture == 0 || width <= 0 || height <= 0 || !MakeContextCurrent()) return;
  if (glIsTexture(texture) != GL_TRUE) {
    SDL_Log("3D view: texture %u handed over is no texture; the view keeps its last picture",
            texture);
    return;
  }
  // Straight into its place in the composed picture: the device may draw the next picture into,
  // or delete, its texture before the window presents this one.
  const int columns = std::min(width, kViewRect.width);
  const int rows = std::min(height, kViewRect.height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, gl_.deviceFramebuffer);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  if (glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
    if (columns < kViewRect.width || rows < kViewRect.height) ClearViewInComposed();
    PrepareCopyState();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gl_.composeFramebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    // The top rows of the device's picture are the last rows in OpenGL's order.
    const int top = kViewBottom + kViewRect.height;
    glBlitFramebuffer(0, height - rows, columns, height, kViewRect.x, top - rows,
                      kViewRect.x + columns, top, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    screenDamage_ = Unite(screenDamage_, kViewRect);
  } else {
    SDL_Log("3D view: texture %u cannot be read; the view keeps its last picture", texture);
  }
  // Leave no framebuffer of ours reading the device's picture: Mesa keeps what a device deletes
  // later (its picture and depth, some 6 KB a game) for as long as the framebuffer that last read
  // from that picture stays bound.
  glBindFramebuffer(GL_READ_FRAMEBUFFER, gl_.deviceFramebuffer);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
}

Status SdlWindow::SetFullScreen(bool fullScreen) {
  if (SDL_SetWindowFullscreen(window_, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    return Status::Fail(std::string("full screen: ") + SDL_GetError());
  }
  fullScreen_ = fullScreen;
  if (fullScreen) {
    CoverDisplay(window_);
  } else {
    SDL_SetWindowSize(window_, kWindowWidth, kWindowHeight);
  }
  // The pointer has no use in the game; it stays out of the way while the game fills the screen.
  SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
  ScreenChanged();
  return Status::Ok();
}

Status SdlWindow::DoEvents(WindowEvents& events, std::int64_t waitUntilTick) {
  if (Status presented = PresentIfChanged(); !presented) return presented;
  SDL_Event event;
  bool delivered = false;
  while (SDL_PollEvent(&event)) {
    DeliverEvent(event, events);
    delivered = true;
  }
  if (!delivered) {
    const std::int64_t remaining = waitUntilTick - clock_.Ticks();
    if (remaining > 0 && SDL_WaitEventTimeout(&event, static_cast<int>(std::min<std::int64_t>(
                                                          remaining, INT_MAX)))) {
      DeliverEvent(event, events);
      while (SDL_PollEvent(&event))
        DeliverEvent(event, events);
    }
  }
  return PresentIfChanged();
}

void SdlWindow::DeliverEvent(const SDL_Event& event, WindowEvents& events) {
  switch (event.type) {
    case SDL_QUIT:
      events.CloseRequested();
      return;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_Keycode symbol = event.key.keysym.sym;
      const bool down = event.type == SDL_KEYDOWN;
      if (symbol == SDLK_F11) {
        if (down && event.key.repeat == 0) {
          if (Status switched = SetFullScreen(!fullScreen_); !switched) {
            SDL_Log("F11: %s", switched.error().c_str());
          }
        }
        return;
      }
      if (symbol == SDLK_F4 && (event.key.keysym.mod & KMOD_ALT) != 0) {
        if (down && event.key.repeat == 0) events.CloseRequested();
        return;
      }
      const std::optional<std::int16_t> code = VirtualKeyFor(symbol);
      if (!code) return;
      const std::int16_t shift = ShiftStateFor(event.key.keysym.mod);
      if (down) {
        events.KeyDown(*code, shift);
      } else {
        events.KeyUp(*code, shift);
      }
      return;
    }
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
          ScreenChanged();
          break;
        default:
          break;
      }
      return;
    default:
      return;
  }
}

void SdlWindow::UploadChanges() {
  const bool labelsChanged =
      std::any_of(labelChanged_.begin(), labelChanged_.end(), [](bool changed) { return changed; });
  if (IsEmpty(surfaceDamage_) && !labelsChanged) return;
  PrepareClientPixelState();
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, gl_.baseTexture);
  if (const PixelRect changed = surfaceDamage_; !IsEmpty(changed)) {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, kWindowWidth);
    glTexSubImage2D(GL_TEXTURE_2D, 0, changed.x, changed.y, changed.width, changed.height, GL_RGBA,
                    GL_UNSIGNED_BYTE, surface_.Row(changed.y) + std::size_t{4} * changed.x);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    // The labels lie over the surface.
    for (int i = 0; i < kLabelCount; ++i) {
      if (!IsEmpty(Intersect(changed, LabelRect(i)))) labelChanged_[i] = true;
    }
    composeDamage_ = Unite(composeDamage_, changed);
    surfaceDamage_ = {};
  }
  for (int i = 0; i < kLabelCount; ++i) {
    if (!labelChanged_[i]) continue;
    const PixelRect cell = LabelRect(i);
    glTexSubImage2D(GL_TEXTURE_2D, 0, cell.x, cell.y, cell.width, cell.height, GL_RGBA,
                    GL_UNSIGNED_BYTE, labelCells_[i].pixels.data());
    composeDamage_ = Unite(composeDamage_, cell);
    labelChanged_[i] = false;
  }
  glBindTexture(GL_TEXTURE_2D, 0);
}

void SdlWindow::Compose() {
  UploadChanges();
  if (IsEmpty(composeDamage_)) return;
  PrepareCopyState();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gl_.composeFramebuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, gl_.baseFramebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  // A visible view keeps its own picture over the surface.
  const std::vector<PixelRect> pieces =
      viewVisible_ ? Subtract(composeDamage_, kViewRect) : std::vector<PixelRect>{composeDamage_};
  for (const PixelRect& piece : pieces) {
    // The base texture holds row 0 at the top; the composed picture is in OpenGL's order.
    glBlitFramebuffer(piece.x, piece.y, piece.x + piece.width, piece.y + piece.height, piece.x,
                      kWindowHeight - piece.y, piece.x + piece.width,
                      kWindowHeight - piece.y - piece.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  screenDamage_ = Unite(screenDamage_, composeDamage_);
  composeDamage_ = {};
}

bool SdlWindow::ScreenLacksSomething() const {
  return screenStale_ || !IsEmpty(screenDamage_) || !IsEmpty(composeDamage_) ||
         !IsEmpty(surfaceDamage_) ||
         std::any_of(labelChanged_.begin(), labelChanged_.end(),
                     [](bool changed) { return changed; });
}

Status SdlWindow::PresentIfChanged() {
  if (!ScreenLacksSomething()) return Status::Ok();
  const std::uint32_t flags = SDL_GetWindowFlags(window_);
  if ((flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0) return Status::Ok();
  if (!MakeContextCurrent()) {
    return Status::Fail(std::string("window: SDL_GL_MakeCurrent: ") + SDL_GetError());
  }
  Compose();

  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  if (width != drawableWidth_ || height != drawableHeight_) {
    drawableWidth_ = width;
    drawableHeight_ = height;
    screenStale_ = true;
  }
  // What the back buffer lacks: this picture's changes, and those of the pictures presented
  // since the buffer was last drawn; all of it when that is not known.
  bool whole = screenStale_;
  PixelRect region = screenDamage_;
  if (!whole) {
    PixelRect missing;
    whole = !history_.MissingSince(presenter_.BackBufferAge(), missing);
    region = Unite(region, missing);
  }
  if (whole) region = kWholeWindow;

  const ScreenFit fit = FitPicture(width, height, kWindowWidth, kWindowHeight);
  const int scale = fit.width / kWindowWidth;
  PrepareCopyState();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  glViewport(0, 0, width, height);
  if (whole) glClear(GL_COLOR_BUFFER_BIT);
  // Where `region` lies on the drawable, from its top left.
  const PixelRect target{fit.x + region.x * scale, fit.y + region.y * scale, region.width * scale,
                         region.height * scale};
  screenCopy_.Draw(
      gl_.composeTexture, kWindowWidth, kWindowHeight,
      {region.x, kWindowHeight - region.y - region.height, region.width, region.height},
      {target.x, height - target.y - target.height, target.width, target.height});
  const PixelRect shown = whole ? PixelRect{0, 0, width, height} : ClipRect(target, width, height);
  const bool presented = presenter_.Present(whole, shown.x, height - shown.y - shown.height,
                                            shown.width, shown.height);
  if (whole) {
    history_.Forget();
  } else {
    history_.Record(screenDamage_);
  }
  lastPresented_ = shown;
  screenStale_ = !presented;
  screenDamage_ = {};
  ++presentCount_;
  return Status::Ok();
}

Status SdlWindow::ComposeToPixels(RgbaPicture& out) {
  if (!MakeContextCurrent()) {
    return Status::Fail(std::string("ComposeToPixels: SDL_GL_MakeCurrent: ") + SDL_GetError());
  }
  Compose();
  // Mesa's software renderer draws on threads of its own; a read-back that overtakes a blit still
  // in flight was seen to return the picture before it (about once in a hundred runs).
  glFinish();
  RgbaPicture picture(kWindowWidth, kWindowHeight);
  std::vector<std::uint8_t> rows(picture.pixels.size());
  PrepareClientPixelState();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, gl_.composeFramebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
  if (GLenum error = glGetError(); error != GL_NO_ERROR) {
    return Status::Fail("ComposeToPixels: OpenGL error " + std::to_string(error));
  }
  const std::size_t rowBytes = static_cast<std::size_t>(kWindowWidth) * 4;
  for (int y = 0; y < kWindowHeight; ++y) {
    std::copy_n(rows.data() + static_cast<std::size_t>(kWindowHeight - 1 - y) * rowBytes, rowBytes,
                picture.Row(y));
  }
  out = std::move(picture);
  return Status::Ok();
}

}  // namespace skyrings
