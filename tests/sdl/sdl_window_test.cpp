// The real window under SDL's offscreen driver: what it composes, how it delivers events and how
// long it waits. Needs SDL_VIDEODRIVER=offscreen (set by CTest).

#include <gtest/gtest.h>

#include <GL/glcorearb.h>
#include <SDL.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "interfaces/window_layout.h"
#include "platform/sdl/scaled_copy.h"
#include "platform/sdl/sdl_clock.h"
#include "platform/sdl/sdl_window.h"
#include "tests/sdl/bmp_writer.h"

#if defined(__SANITIZE_ADDRESS__)
// Mesa's driver is unloaded with the last context and leaves allocations behind that
// LeakSanitizer can no longer name; address and undefined-behaviour checks stay on.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=0";
}
#endif

namespace skyrings {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 255, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kYellow{255, 255, 0, 255};
constexpr Rgba kCyan{0, 255, 255, 255};
constexpr Rgba kMagenta{255, 0, 255, 255};

// The window above the labels.
constexpr PixelRect kAboveLabels{0, 0, kWindowWidth, kLabelTop};

// Left frame: red, green / blue, yellow quarters; right frame: cyan.
RgbaPicture TitleFixture() {
  RgbaPicture title(kPictureWidth, kPictureHeight);
  FillRect(title, {0, 0, 160, 120}, kRed);
  FillRect(title, {160, 0, 160, 120}, kGreen);
  FillRect(title, {0, 120, 160, 120}, kBlue);
  FillRect(title, {160, 120, 160, 120}, kYellow);
  FillRect(title, kGameOverFrame, kCyan);
  return title;
}

int CountIf(const RgbaPicture& picture, PixelRect rect, const std::function<bool(Rgba)>& test) {
  int count = 0;
  for (int y = rect.y; y < rect.y + rect.height; ++y) {
    for (int x = rect.x; x < rect.x + rect.width; ++x)
      count += test(picture.At(x, y)) ? 1 : 0;
  }
  return count;
}
bool AllAre(const RgbaPicture& picture, PixelRect rect, Rgba colour) {
  return CountIf(picture, rect, [&](Rgba c) { return c == colour; }) == rect.width * rect.height;
}
bool IsTextPixel(Rgba c) {
  return c.r == c.g && c.g == c.b && c.r > 0;
}

struct Recorder : WindowEvents {
  void KeyDown(std::int16_t code, std::int16_t shift) override {
    log.push_back("down " + std::to_string(code) + " " + std::to_string(shift));
  }
  void KeyUp(std::int16_t code, std::int16_t shift) override {
    log.push_back("up " + std::to_string(code) + " " + std::to_string(shift));
  }
  void CloseRequested() override { log.push_back("close"); }
  std::vector<std::string> log;
};

void PushKey(std::uint32_t type, SDL_Keycode symbol, std::uint16_t mod = KMOD_NONE,
             std::uint8_t repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.sym = symbol;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(symbol);
  event.key.keysym.mod = mod;
  ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

class SdlWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() / ("skyrings-window-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
    testing::WriteFile(PathOf("title.bmp"), testing::Bmp24Bytes(TitleFixture()));
    testing::WriteFile(PathOf("icon.bmp"), testing::Bmp24Bytes(RgbaPicture(32, 32, kMagenta)));
    options_.programDirectory = directory_.string();
    options_.fullScreen = false;
    options_.allowOffscreen = true;
  }
  void TearDown() override {
    window_.reset();
    std::filesystem::remove_all(directory_);
  }
  std::string PathOf(const std::string& name) const { return (directory_ / name).string(); }

  void Open() {
    Status made = SdlWindow::Create(clock_, options_, window_);
    ASSERT_TRUE(made.ok()) << made.error();
  }
  RgbaPicture Composed() {
    RgbaPicture picture;
    Status composed = window_->ComposeToPixels(picture);
    EXPECT_TRUE(composed.ok()) << composed.error();
    return picture;
  }
  // Delivers whatever the window system had pending (window shown, exposed, ...).
  void Drain() {
    Recorder ignored;
    for (int i = 0; i < 3; ++i)
      ASSERT_TRUE(window_->DoEvents(ignored, clock_.Ticks()).ok());
  }

  std::filesystem::path directory_;
  SdlWindowOptions options_;
  SdlClock clock_;
  std::unique_ptr<SdlWindow> window_;
};

TEST_F(SdlWindowTest, StartsBlackWithTheFirstLabelOnly) {
  Open();
  EXPECT_EQ(window_->ProgramDirectory(), directory_.string());
  EXPECT_EQ(window_->ViewWindow(), static_cast<ViewTarget*>(window_.get()));
  EXPECT_EQ(window_->ViewWindow()->Width(), kViewRect.width);
  EXPECT_EQ(window_->ViewWindow()->Height(), kViewRect.height);
  const RgbaPicture picture = Composed();
  EXPECT_TRUE(AllAre(picture, kAboveLabels, kOpaqueBlack));
  EXPECT_GT(CountIf(picture, LabelRect(0), IsTextPixel), 20);
  EXPECT_TRUE(AllAre(picture, {kLabelWidth, kLabelTop, kWindowWidth - kLabelWidth, kLabelHeight},
                     kOpaqueBlack));
  std::string caption;
  ASSERT_TRUE(window_->GetCaption(0, caption).ok());
  EXPECT_EQ(caption, kFirstPlayerCaption);
  ASSERT_TRUE(window_->GetCaption(3, caption).ok());
  EXPECT_EQ(caption, "");
}

TEST_F(SdlWindowTest, PaintPictureStretchesTheFrameAndFillBlackCovers) {
  Open();
  ASSERT_TRUE(window_->PaintPicture(kTitleFrame, kWholeWindow).ok());
  RgbaPicture picture = Composed();
  EXPECT_TRUE(AllAre(picture, {0, 0, 320, 240}, kRed));
  EXPECT_TRUE(AllAre(picture, {320, 0, 320, 240}, kGreen));
  EXPECT_TRUE(AllAre(picture, {0, 240, 320, 210}, kBlue));
  EXPECT_TRUE(AllAre(picture, {320, 240, 320, 210}, kYellow));
  // Below the labels the picture still shows.
  EXPECT_TRUE(AllAre(picture, {0, 466, 320, 14}, kBlue));
  EXPECT_TRUE(AllAre(picture, {320, 466, 320, 14}, kYellow));

  ASSERT_TRUE(window_->PaintPicture(kGameOverFrame, {100, 50, 160, 120}).ok());
  ASSERT_TRUE(window_->FillBlack({400, 300, 30, 20}).ok());
  ASSERT_TRUE(window_->FillBlack({630, -10, 100, 20}).ok());  // hangs off the corner
  picture = Composed();
  EXPECT_TRUE(AllAre(picture, {100, 50, 160, 120}, kCyan));
  EXPECT_EQ(CountIf(picture, kAboveLabels, [](Rgba c) { return c == kCyan; }), 160 * 120);
  EXPECT_TRUE(AllAre(picture, {400, 300, 30, 20}, kOpaqueBlack));
  EXPECT_TRUE(AllAre(picture, {630, 0, 10, 10}, kOpaqueBlack));
  EXPECT_EQ(picture.At(429, 320), kYellow);
  EXPECT_EQ(picture.At(629, 0), kGreen);
}

TEST_F(SdlWindowTest, PaintAndFillRejectRectanglesThatMakeNoSense) {
  Open();
  EXPECT_FALSE(window_->PaintPicture({320, 0, 321, 240}, kWholeWindow).ok());
  EXPECT_FALSE(window_->PaintPicture({-1, 0, 10, 10}, kWholeWindow).ok());
  EXPECT_FALSE(window_->PaintPicture({0, 0, 10, 10}, {0, 0, -5, 10}).ok());
  EXPECT_FALSE(window_->FillBlack({0, 0, 10, -1}).ok());
  EXPECT_TRUE(window_->PaintPicture({0, 0, 10, 10}, {700, 0, 10, 10}).ok());  // off the window
  EXPECT_TRUE(AllAre(Composed(), kAboveLabels, kOpaqueBlack));
}

TEST_F(SdlWindowTest, LabelsAreOpaqueBlackCellsWithWhiteTextWhenNotEmpty) {
  Open();
  ASSERT_TRUE(window_->PaintPicture(kGameOverFrame, kWholeWindow).ok());
  ASSERT_TRUE(window_->SetCaption(2, " 3P ENTRY!").ok());
  const RgbaPicture picture = Composed();
  const PixelRect cells[4] = {LabelRect(0), LabelRect(1), LabelRect(2), LabelRect(3)};
  // Every cell pixel is black or grey-to-white text: no picture shows through.
  for (const PixelRect& cell : cells) {
    EXPECT_EQ(CountIf(picture, cell, [](Rgba c) { return c == kOpaqueBlack || IsTextPixel(c); }),
              cell.width * cell.height);
  }
  EXPECT_GT(CountIf(picture, cells[0], IsTextPixel), 20);
  EXPECT_EQ(CountIf(picture, cells[1], IsTextPixel), 0);
  EXPECT_GT(CountIf(picture, cells[2], IsTextPixel), 20);
  EXPECT_EQ(CountIf(picture, cells[3], IsTextPixel), 0);
  EXPECT_TRUE(AllAre(picture, {0, 466, 640, 14}, kCyan));
  EXPECT_TRUE(AllAre(picture, kAboveLabels, kCyan));

  // Left-aligned (after the caption's own leading space) and vertically centred in the cell.
  int left = 640, right = 0, top = 480, bottom = 0;
  for (int y = 450; y < 466; ++y) {
    for (int x = 320; x < 480; ++x) {
      if (!IsTextPixel(picture.At(x, y))) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  EXPECT_GE(left, 321);
  EXPECT_LE(left, 330);
  EXPECT_LT(right, 440);
  EXPECT_LE(std::abs((top - 450) - (465 - bottom)), 4) << top << ".." << bottom;
}

TEST_F(SdlWindowTest, CaptionsRoundTripAndOnlyFourLabelsExist) {
  Open();
  const std::string captions[4] = {" 1PScore: 3150", " 2P ENTRY!", "", "\xE3\x83\x86\xE3\x82\xB9"};
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(window_->SetCaption(i, captions[i]).ok());
  for (int i = 0; i < 4; ++i) {
    std::string caption = "stale";
    ASSERT_TRUE(window_->GetCaption(i, caption).ok());
    EXPECT_EQ(caption, captions[i]);
  }
  std::string caption;
  EXPECT_FALSE(window_->GetCaption(4, caption).ok());
  EXPECT_FALSE(window_->GetCaption(-1, caption).ok());
  EXPECT_FALSE(window_->SetCaption(4, "x").ok());
  // Emptying a label clears its text.
  ASSERT_TRUE(window_->SetCaption(0, "").ok());
  EXPECT_EQ(CountIf(Composed(), LabelRect(0), IsTextPixel), 0);
}

// An RGBA texture in OpenGL's row order whose top-left `red` x `redRows` pixels are red and the
// rest green.
GLuint MakeViewTexture(int width, int height, int red, int redRows) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const bool top = row >= height - redRows;  // row 0 is the bottom
      const Rgba c = (top && x < red) ? kRed : kGreen;
      std::uint8_t* p = pixels.data() + (static_cast<std::size_t>(row) * width + x) * 4;
      p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return texture;
}

TEST_F(SdlWindowTest, ViewShowsTheTopLeftOfTheLastPictureHandedOver) {
  Open();
  ASSERT_TRUE(window_->PaintPicture(kGameOverFrame, kWholeWindow).ok());
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kCyan)) << "hidden at start";
  ASSERT_TRUE(window_->ShowView(true).ok());
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kOpaqueBlack)) << "black before the first picture";

  ViewTarget* view = window_->ViewWindow();
  ASSERT_TRUE(view->MakeContextCurrent());
  GLuint texture = MakeViewTexture(512, 512, 400, 300);
  view->ShowViewPicture(texture, 512, 512);
  // The device may delete or reuse its texture at once: the window keeps the picture.
  glDeleteTextures(1, &texture);
  RgbaPicture picture = Composed();
  EXPECT_TRUE(AllAre(picture, kViewRect, kRed));
  EXPECT_EQ(CountIf(picture, kAboveLabels, [](Rgba c) { return c == kCyan; }),
            kAboveLabels.width * kAboveLabels.height - kViewRect.width * kViewRect.height);

  // A smaller picture fills the top-left; the rest of the view is black.
  texture = MakeViewTexture(200, 100, 200, 100);
  view->ShowViewPicture(texture, 200, 100);
  glDeleteTextures(1, &texture);
  picture = Composed();
  EXPECT_TRUE(AllAre(picture, {120, 90, 200, 100}, kRed));
  EXPECT_TRUE(AllAre(picture, {320, 90, 200, 300}, kOpaqueBlack));
  EXPECT_TRUE(AllAre(picture, {120, 190, 200, 200}, kOpaqueBlack));

  // A name that is no texture changes nothing.
  view->ShowViewPicture(texture, 200, 100);
  EXPECT_TRUE(AllAre(Composed(), {120, 90, 200, 100}, kRed));
  ASSERT_TRUE(window_->ShowView(false).ok());
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kCyan));
}

TEST_F(SdlWindowTest, AViewShownAgainStartsBlackNotWithTheLastGamesPicture) {
  Open();
  ASSERT_TRUE(window_->Show().ok());
  ASSERT_TRUE(window_->PaintPicture({320, 0, 320, 240}, {0, 0, 640, 480}).ok());
  ViewTarget* view = window_->ViewWindow();
  // A game: the view shown, pictures handed over and presented; then its results hide it.
  ASSERT_TRUE(window_->ShowView(true).ok());
  ASSERT_TRUE(view->MakeContextCurrent());
  GLuint texture = MakeViewTexture(400, 300, 400, 300);
  view->ShowViewPicture(texture, 400, 300);
  Drain();
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kRed));
  ASSERT_TRUE(window_->ShowView(false).ok());
  // A picture that comes while the view is hidden is not kept for later either.
  view->ShowViewPicture(texture, 400, 300);
  Drain();
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kCyan));

  // The next game shows the view: black until its own first picture, whichever way the window
  // is asked for its picture first.
  ASSERT_TRUE(window_->ShowView(true).ok());
  const std::int64_t before = window_->PresentCount();
  Drain();
  EXPECT_EQ(window_->PresentCount(), before + 1);
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kOpaqueBlack));
  EXPECT_EQ(CountIf(Composed(), {0, 0, 640, 450}, [](Rgba c) { return c == kCyan; }),
            640 * 450 - 400 * 300);
  view->ShowViewPicture(texture, 400, 300);
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kRed));
  glDeleteTextures(1, &texture);
}

TEST_F(SdlWindowTest, PresentsOnlyWhenSomethingChanged) {
  Open();
  ASSERT_TRUE(window_->Show().ok());
  Drain();
  Recorder events;
  const std::int64_t before = window_->PresentCount();
  EXPECT_GE(before, 1);
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  ASSERT_TRUE(window_->SetCaption(0, "1P ENTRY!").ok());  // same text
  ASSERT_TRUE(window_->ShowView(false).ok());             // already hidden
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_EQ(window_->PresentCount(), before);

  ASSERT_TRUE(window_->SetCaption(1, " 2P ENTRY!").ok());
  ASSERT_TRUE(window_->FillBlack({0, 0, 10, 10}).ok());
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_EQ(window_->PresentCount(), before + 1);
  ASSERT_TRUE(window_->ShowView(true).ok());
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_EQ(window_->PresentCount(), before + 2);

  // The entry screen paints the title at every step: only the first paint changes the picture,
  // until something else is drawn over it.
  const PixelRect title = kTitleFrame;
  const PixelRect whole = kWholeWindow;
  for (int step = 0; step < 3; ++step) {
    ASSERT_TRUE(window_->PaintPicture(title, whole).ok());
    ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  }
  EXPECT_EQ(window_->PresentCount(), before + 3);
  ASSERT_TRUE(window_->FillBlack(whole).ok());
  ASSERT_TRUE(window_->PaintPicture(title, whole).ok());
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_EQ(window_->PresentCount(), before + 4);
  EXPECT_FALSE(AllAre(Composed(), {0, 0, 640, 440}, kOpaqueBlack));
}

TEST_F(SdlWindowTest, AGameStepPresentsOnlyTheViewWhereTheBufferIsKept) {
  Open();
  ASSERT_TRUE(window_->Show().ok());
  Drain();
  EXPECT_EQ(window_->LastPresentedRegion(), (PixelRect{0, 0, 640, 480})) << "shown: all of it";
  ASSERT_TRUE(window_->ShowView(true).ok());
  ASSERT_TRUE(window_->ViewWindow()->MakeContextCurrent());
  const GLuint texture = MakeViewTexture(640, 480, 400, 300);
  Recorder events;
  const bool partial = window_->PresentWay() != BackBufferPresenter::Way::kSwapWhole;
  for (int step = 0; step < 3; ++step) {
    window_->ViewWindow()->ShowViewPicture(texture, 640, 480);
    const std::int64_t before = window_->PresentCount();
    ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
    EXPECT_EQ(window_->PresentCount(), before + 1);
    const PixelRect expected = partial ? kViewRect : kWholeWindow;
    EXPECT_EQ(window_->LastPresentedRegion(), expected) << "step " << step;
  }
  // A label and the view change in one step: one present covers both.
  ASSERT_TRUE(window_->SetCaption(3, " 4P ENTRY!").ok());
  window_->ViewWindow()->ShowViewPicture(texture, 640, 480);
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  if (partial) {
    EXPECT_EQ(window_->LastPresentedRegion(), (PixelRect{120, 90, 520, 376}));
  }
  glDeleteTextures(1, &texture);
  EXPECT_TRUE(AllAre(Composed(), kViewRect, kRed));
}

// Every pixel of a picture its own colour, so that any pixel read from the wrong place shows.
std::uint32_t PatternAt(int x, int y) {
  return 0xff000000u | static_cast<std::uint32_t>(x & 0xff) |
         static_cast<std::uint32_t>(y & 0xff) << 8 |
         static_cast<std::uint32_t>((x >> 8) | (y >> 8) << 4) << 16;
}

TEST_F(SdlWindowTest, TheScreenCopyMakesEachPixelAWholeSquareWhereANearestBlitWould) {
  Open();
  ASSERT_TRUE(window_->ViewWindow()->MakeContextCurrent());
  std::vector<std::uint32_t> pattern(static_cast<std::size_t>(kWindowWidth) * kWindowHeight);
  for (int y = 0; y < kWindowHeight; ++y) {
    for (int x = 0; x < kWindowWidth; ++x)
      pattern[y * kWindowWidth + x] = PatternAt(x, y);
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWindowWidth, kWindowHeight, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, pattern.data());
  constexpr int kWidth = 1300, kHeight = 1000;  // the drawable of a window made larger
  GLuint colour = 0, framebuffer = 0;
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum{GL_FRAMEBUFFER_COMPLETE});
  ScaledCopy copy;
  ASSERT_TRUE(copy.Create().ok());

  struct Case {
    PixelRect source, target;  // OpenGL's order
  };
  // The whole picture at x1 and x2 (centred), the view at x3 reaching past the left and bottom
  // edges (a window smaller than the picture), and a strip of labels at x2.
  const Case cases[] = {{{0, 0, 640, 480}, {330, 260, 640, 480}},
                        {{0, 0, 640, 480}, {10, 20, 1280, 960}},
                        {{120, 90, 400, 300}, {-500, -101, 1200, 900}},
                        {{0, 14, 640, 16}, {9, 7, 1280, 32}}};
  std::vector<std::uint32_t> read(static_cast<std::size_t>(kWidth) * kHeight);
  for (const Case& c : cases) {
    const int scale = c.target.width / c.source.width;
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    copy.Draw(texture, kWindowWidth, kWindowHeight, c.source, c.target);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, read.data());
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const int dx = x - c.target.x, dy = y - c.target.y;
        const bool inside = dx >= 0 && dy >= 0 && dx < c.target.width && dy < c.target.height;
        const std::uint32_t expected =
            inside ? PatternAt(c.source.x + dx / scale, c.source.y + dy / scale) : 0u;
        if (read[static_cast<std::size_t>(y) * kWidth + x] != expected && ++wrong <= 3) {
          ADD_FAILURE() << "x" << scale << " at (" << x << ", " << y << "): " << std::hex
                        << read[static_cast<std::size_t>(y) * kWidth + x] << ", expected "
                        << expected;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << "x" << scale << " onto (" << c.target.x << ", " << c.target.y << ")";
  }
  copy.Delete();
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteRenderbuffers(1, &colour);
  glDeleteTextures(1, &texture);
}

TEST_F(SdlWindowTest, DeliversGameKeysInOrderAndKeepsF11ForItself) {
  Open();
  ASSERT_TRUE(window_->Show().ok());
  Drain();
  PushKey(SDL_KEYDOWN, SDLK_LEFT, KMOD_LSHIFT);
  PushKey(SDL_KEYDOWN, SDLK_LEFT, KMOD_LSHIFT, 1);  // auto-repeat
  PushKey(SDL_KEYDOWN, SDLK_q);
  PushKey(SDL_KEYDOWN, SDLK_F11);
  PushKey(SDL_KEYUP, SDLK_F11);
  PushKey(SDL_KEYUP, SDLK_LEFT);
  PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_RCTRL);
  PushKey(SDL_KEYDOWN, SDLK_KP_ENTER, KMOD_LALT);
  PushKey(SDL_KEYDOWN, SDLK_w);
  PushKey(SDL_KEYUP, SDLK_ESCAPE);
  Recorder events;
  ASSERT_FALSE(window_->FullScreen());
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_EQ(events.log, (std::vector<std::string>{"down 37 1", "down 37 1", "up 37 0", "down 13 2",
                                                  "down 13 4", "down 87 0", "up 27 0"}));
  EXPECT_TRUE(window_->FullScreen());
  PushKey(SDL_KEYDOWN, SDLK_F11);
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_FALSE(window_->FullScreen());
}

TEST_F(SdlWindowTest, CloseRequestsReachTheGame) {
  Open();
  Drain();
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  PushKey(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
  PushKey(SDL_KEYDOWN, SDLK_F4);  // F4 alone is nothing
  Recorder events;
  ASSERT_TRUE(window_->DoEvents(events, clock_.Ticks()).ok());
  EXPECT_EQ(events.log, (std::vector<std::string>{"close", "close"}));
}

TEST_F(SdlWindowTest, WaitsForEventsUntilTheDeadlineAndNoLonger) {
  Open();
  ASSERT_TRUE(window_->Show().ok());
  Drain();
  Recorder events;
  // Nothing comes: back at the deadline, not much before or after.
  std::int64_t start = clock_.Ticks();
  ASSERT_TRUE(window_->DoEvents(events, start + 80).ok());
  std::int64_t waited = clock_.Ticks() - start;
  EXPECT_GE(waited, 78);
  EXPECT_LE(waited, 110);
  // A deadline already past: no wait.
  start = clock_.Ticks();
  ASSERT_TRUE(window_->DoEvents(events, start - 100).ok());
  EXPECT_LE(clock_.Ticks() - start, 5);
  // A key coming during the wait ends it and is delivered.
  start = clock_.Ticks();
  std::thread typist([] {
    SDL_Delay(30);
    PushKey(SDL_KEYDOWN, SDLK_s);
  });
  ASSERT_TRUE(window_->DoEvents(events, start + 2000).ok());
  waited = clock_.Ticks() - start;
  typist.join();
  EXPECT_GE(waited, 25);
  EXPECT_LE(waited, 200);
  EXPECT_EQ(events.log, (std::vector<std::string>{"down 83 0"}));
}

TEST_F(SdlWindowTest, MoveAndFullScreenSwitchKeepWorking) {
  options_.fullScreen = true;
  Open();
  EXPECT_TRUE(window_->FullScreen());
  ASSERT_TRUE(window_->Show().ok());
  ASSERT_TRUE(window_->Move(20, 30).ok());  // no-op while full-screen
  ASSERT_TRUE(window_->SetFullScreen(false).ok());
  int width = 0, height = 0;
  SDL_GetWindowSize(window_->NativeWindow(), &width, &height);
  EXPECT_EQ(width, kWindowWidth);
  EXPECT_EQ(height, kWindowHeight);
  ASSERT_TRUE(window_->Move(40, 50).ok());
  int left = 0, top = 0;
  SDL_GetWindowPosition(window_->NativeWindow(), &left, &top);
  EXPECT_EQ(left, 40);
  EXPECT_EQ(top, 50);
  EXPECT_STREQ(SDL_GetWindowTitle(window_->NativeWindow()), "Direct3D Test");
}

TEST_F(SdlWindowTest, CreationFailsClearly) {
  // Without permission to run invisibly, the offscreen driver means no display.
  options_.allowOffscreen = false;
  Status made = SdlWindow::Create(clock_, options_, window_);
  EXPECT_NE(made.error().find("no display"), std::string::npos) << made.error();
  EXPECT_EQ(window_, nullptr);
  options_.allowOffscreen = true;

  std::filesystem::remove(PathOf("title.bmp"));
  made = SdlWindow::Create(clock_, options_, window_);
  EXPECT_EQ(made.error(), "title.bmp: " + PathOf("title.bmp") + ": no such file");

  testing::WriteFile(PathOf("title.bmp"), testing::Bmp24Bytes(RgbaPicture(320, 240)));
  made = SdlWindow::Create(clock_, options_, window_);
  EXPECT_EQ(made.error(),
            "title.bmp: " + PathOf("title.bmp") + ": is 320 x 240 pixels, expected 640 x 240");

  testing::WriteFile(PathOf("title.bmp"), testing::Bmp24Bytes(TitleFixture()));
  testing::WriteFile(PathOf("icon.bmp"), {'B', 'M', 1, 2, 3});
  made = SdlWindow::Create(clock_, options_, window_);
  EXPECT_EQ(made.error(), "icon.bmp: " + PathOf("icon.bmp") + ": not a BMP picture");

  testing::WriteFile(PathOf("icon.bmp"), testing::Bmp24Bytes(RgbaPicture(32, 32)));
  options_.fontPaths = {PathOf("nofont.ttf")};
  made = SdlWindow::Create(clock_, options_, window_);
  EXPECT_NE(made.error().find("label font"), std::string::npos) << made.error();
  EXPECT_EQ(window_, nullptr);

  // A font list whose first entry is missing falls back to the next.
  options_.fontPaths = {PathOf("nofont.ttf"), "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
  Open();
}

}  // namespace
}  // namespace skyrings
