// A manual look at the real window (not run by CTest). Under Xvfb:
//   xvfb-run -s "-screen 0 640x480x24" build/bin/sdl_window_demo --seconds 3 --view &
//   import -window root shot.png
// It paints the left (or --game-over: right) frame of the title picture, sets the labels, shows a
// test pattern in the 3D view with --view, and runs the game's step schedule (a DoEvents wait
// until the next 20 ms step) for --seconds, then prints the steps taken and the CPU time used.
// Without --dir it writes a test title picture and icon of its own into a temporary folder.

#include <GL/glcorearb.h>
#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/sdl/error_box.h"
#include "platform/sdl/sdl_clock.h"
#include "platform/sdl/sdl_window.h"
#include "tests/sdl/bmp_writer.h"

namespace {

using namespace skyrings;

struct Events : WindowEvents {
  void KeyDown(std::int16_t code, std::int16_t shift) override {
    std::printf("KeyDown %d %d\n", code, shift);
    if (code == 27) closed = true;
  }
  void KeyUp(std::int16_t code, std::int16_t shift) override {
    std::printf("KeyUp %d %d\n", code, shift);
  }
  void CloseRequested() override {
    std::printf("CloseRequested\n");
    closed = true;
  }
  bool closed = false;
};

// Bands of colour with a white frame; the game-over half darker with a diagonal.
RgbaPicture DemoTitle() {
  RgbaPicture title(640, 240);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 640; ++x) {
      const bool left = x < 320;
      const int u = left ? x : x - 320;
      const auto band = static_cast<std::uint8_t>(40 + (y / 30) * 25);
      Rgba c = left ? Rgba{band, static_cast<std::uint8_t>(u * 255 / 320), 200, 255}
                    : Rgba{static_cast<std::uint8_t>(band / 2), 0, 60, 255};
      if (u < 4 || u >= 316 || y < 4 || y >= 236) c = Rgba{255, 255, 255, 255};
      if (!left && std::abs(u * 240 / 320 - y) < 3) c = Rgba{255, 64, 64, 255};
      title.Set(x, y, c);
    }
  }
  return title;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

GLuint PatternTexture() {
  constexpr int kSize = 512;
  std::vector<std::uint8_t> pixels(kSize * kSize * 4);
  for (int row = 0; row < kSize; ++row) {
    const int y = kSize - 1 - row;  // from the top
    for (int x = 0; x < kSize; ++x) {
      std::uint8_t* p = pixels.data() + (row * kSize + x) * 4;
      const bool checker = ((x / 25) + (y / 25)) % 2 == 0;
      p[0] = static_cast<std::uint8_t>(x < 40 && y < 40 ? 255 : 0);  // red mark: top-left
      p[1] = static_cast<std::uint8_t>(checker ? 160 : 60);
      p[2] = static_cast<std::uint8_t>(y * 255 / kSize);
      p[3] = 255;
    }
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kSize, kSize, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.data());
  return texture;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 3;
  bool view = false;
  bool gameOver = false;
  SdlWindowOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc)
      seconds = std::atof(argv[++i]);
    else if (arg == "--dir" && i + 1 < argc)
      options.programDirectory = argv[++i];
    else if (arg == "--view")
      view = true;
    else if (arg == "--game-over")
      gameOver = true;
    else if (arg == "--windowed")
      options.fullScreen = false;
    else {
      std::fprintf(stderr,
                   "usage: %s [--seconds S] [--dir D] [--view] [--game-over] [--windowed]\n",
                   argv[0]);
      return 2;
    }
  }
  std::filesystem::path scratch;
  if (options.programDirectory.empty()) {
    scratch =
        std::filesystem::temp_directory_path() / ("skyrings-demo-" + std::to_string(getpid()));
    std::filesystem::create_directories(scratch);
    testing::WriteFile((scratch / "title.bmp").string(), testing::Bmp24Bytes(DemoTitle()));
    testing::WriteFile((scratch / "icon.bmp").string(),
                       testing::Bmp24Bytes(RgbaPicture(32, 32, Rgba{255, 200, 0, 255})));
    options.programDirectory = scratch.string();
  }

  SdlClock clock;
  std::unique_ptr<SdlWindow> window;
  try {
    Check(SdlWindow::Create(clock, options, window));
    Check(window->Show());
    Check(window->PaintPicture({gameOver ? 320 : 0, 0, 320, 240}, {0, 0, 640, 480}));
    Check(window->SetCaption(1, " 2P ENTRY!"));
    Check(window->SetCaption(3, " 4PScore: 3150"));
    if (view) {
      Check(window->ShowView(true));
      if (!window->MakeContextCurrent()) throw RunTimeError("no context");
      GLuint texture = PatternTexture();
      window->ShowViewPicture(texture, 512, 512);
      glDeleteTextures(1, &texture);
    }
    Events events;
    const double cpuStart = CpuSeconds();
    const std::int64_t start = clock.Ticks();
    const std::int64_t end = start + static_cast<std::int64_t>(seconds * 1000);
    std::int64_t steps = 0;
    std::int64_t lastStep = StepClock(clock);
    while (!events.closed && clock.Ticks() < end) {
      const std::int64_t step = StepClock(clock);
      if (step != lastStep) {
        lastStep = step;
        ++steps;
      }
      Check(window->DoEvents(events, (lastStep + 1) * kMillisecondsPerStep));
    }
    const double cpu = CpuSeconds() - cpuStart;
    const double wall = static_cast<double>(clock.Ticks() - start) / 1000.0;
    std::printf(
        "video driver %s (%s), %.2f s: %lld steps, %lld pictures presented, CPU %.3f s "
        "(%.1f%%)\n",
        SDL_GetCurrentVideoDriver(), window->PresentWayName(), wall, static_cast<long long>(steps),
        static_cast<long long>(window->PresentCount()), cpu, 100.0 * cpu / wall);
  } catch (const RunTimeError& error) {
    std::fprintf(stderr, "skyrings: %s\n", error.what());
    ShowErrorBox("Sky Rings", error.what());
    return 1;
  }
  window.reset();
  if (!scratch.empty()) std::filesystem::remove_all(scratch);
  return 0;
}
