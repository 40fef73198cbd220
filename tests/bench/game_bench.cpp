// Benchmark of the real game's 3D work: the scene construction of a game with the real data
// files, and the time of a game step (sections, Clear, Render, Update, and the window's present)
// on the real window and 3D layers. Built, not run by the tests.
//
//   SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1 ./game_bench [games] [steps] [--pictures]
//
// With --pictures it prints a checksum of every step's composed picture instead of timing them:
// two builds that print the same lines drew the same pictures, pixel for pixel.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "game/game_loop.h"
#include "platform/gl/gl_retained3d.h"
#include "platform/headless/headless_clock.h"
#include "platform/headless/headless_joystick.h"
#include "platform/headless/headless_sound.h"
#include "platform/sdl/sdl_window.h"
#include "render/scene.h"
#include "shell/form1.h"
#include "shell/startup.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Hands control to the window once per step so that each picture is presented.
class NoEvents : public skyrings::WindowEvents {
 public:
  void KeyDown(std::int16_t, std::int16_t) override {}
  void KeyUp(std::int16_t, std::int16_t) override {}
  void CloseRequested() override {}
};

// FNV-1a over the picture's bytes.
std::uint64_t Checksum(const skyrings::RgbaPicture& picture) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint8_t byte : picture.pixels) {
    hash = (hash ^ byte) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace skyrings;
  const int games = argc > 1 ? std::atoi(argv[1]) : 10;
  const int steps = argc > 2 ? std::atoi(argv[2]) : 500;
  const bool pictures = argc > 3 && std::strcmp(argv[3], "--pictures") == 0;

  ManualClock clock;
  SdlWindowOptions options;
  options.allowOffscreen = true;
  std::unique_ptr<SdlWindow> window;
  Check(SdlWindow::Create(clock, options, window));
  GlRetained3D retained3d;
  HeadlessSound sound;
  sound.RecordCommands(false);
  HeadlessJoystick joystick;
  auto form = std::make_unique<Form1>(Platform{*window, retained3d, sound, joystick, clock});
  Check(window->Show());
  Create_Display(*form);
  Open_Sounds(*form);
  for (int p = 1; p < 4; ++p)
    Check(window->SetCaption(p, "joined"));

  std::vector<double> constructions, stepTimes;
  NoEvents events;
  for (int game = 0; game < games; ++game) {
    const auto start = Clock::now();
    Build_Scene(*form);
    constructions.push_back(Ms(Clock::now() - start));
    Start_Game_Loop(*form);
    for (int step = 0; step < steps / games; ++step) {
      const auto begin = Clock::now();
      clock.Advance(20);
      if (Game_Step(*form) == StepOutcome::kGameOver) break;
      Check(window->DoEvents(events, clock.Ticks()));
      stepTimes.push_back(Ms(Clock::now() - begin));
      if (pictures) {
        RgbaPicture picture;
        Check(window->ComposeToPixels(picture));
        std::printf("game %d step %d picture %016llx\n", game, step,
                    static_cast<unsigned long long>(Checksum(picture)));
      }
    }
  }
  std::printf("scene construction with the real files: median %.2f ms over %d games\n",
              Median(constructions), games);
  std::printf("game step with its picture: median %.3f ms over %zu steps\n", Median(stepTimes),
              stepTimes.size());
  return 0;
}
