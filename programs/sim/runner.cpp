#include "programs/sim/runner.h"

#include <memory>

#include "platform/headless/headless_3d.h"
#include "platform/headless/headless_clock.h"
#include "platform/headless/headless_joystick.h"
#include "platform/headless/headless_sound.h"
#include "platform/headless/headless_window.h"
#include "programs/script/json_lines.h"
#include "programs/script/script_player.h"
#include "render/scene.h"
#include "shell/form1.h"
#include "shell/startup.h"

namespace skyrings::sim {
namespace {

using script::AppendArray;
using script::AppendNumber;
using script::AppendString;
using script::GameEnd;
using script::GameScript;

constexpr std::size_t kFlushSize = 1 << 16;

// The quarter-turn a ground tile was last given, read back from its frame's z axis.
int TurnOf(const FrameRef& tile) {
  const Vector3 direction = static_cast<const HeadlessFrame&>(*tile).direction();
  for (int mode = 0; mode < 4; ++mode) {
    const TileTurn& turn = kTileTurns[mode];
    if (direction == Vector3{turn.dx, turn.dy, turn.dz}) return mode;
  }
  return -1;
}

class Runner : public script::GamePace {
 public:
  Runner(bool trace, const Output& output)
      : window_(nullptr),
        form_(Platform{window_, retained3d_, sound_, joystick_, clock_}),
        trace_(trace),
        output_(output) {
    sound_.RecordCommands(false);
    window_.RecordSurfaceOps(false);
    script::AttachScriptSticks(joystick_);
    Start_Up(form_);
  }

  void Run(const script::Script& script) {
    for (const GameScript& game : script.games) {
      ++game_;
      const GameEnd end = script::PlayScriptGame(form_, joystick_, game, *this);
      out_ += script::EndRecord(game_, end, form_.state.stepCount, form_.state.score,
                                window_.captions());
      if (out_.size() >= kFlushSize) Flush();
    }
    Flush();
  }

  bool StepDue(Form1& /*form*/) override {
    (void)sound_.TakePlayed();  // the game's start: "ok" and the music
    return true;
  }

  void StepDone(Form1& /*form*/, std::size_t step) override {
    if (!trace_) return;
    out_ += TraceRecord(game_, static_cast<long>(step), form_.state, sound_.TakePlayed());
    if (out_.size() >= kFlushSize) Flush();
  }

 private:
  void Flush() {
    if (!out_.empty()) output_(out_);
    out_.clear();
  }

  HeadlessWindow window_;
  HeadlessRetained3D retained3d_;
  HeadlessSound sound_;
  HeadlessJoystick joystick_;
  ManualClock clock_;
  Form1 form_;
  bool trace_;
  const Output& output_;
  std::string out_;
  int game_ = 0;
};

}  // namespace

std::string TraceRecord(int game, long step, const GameState& s,
                        const std::vector<std::string>& played) {
  std::string out = "{\"game\":" + std::to_string(game);
  AppendNumber(out, "step", step);
  AppendNumber(out, "stepCount", s.stepCount);
  AppendArray(out, "birdX", s.birdX);
  AppendArray(out, "birdY", s.birdY);
  AppendArray(out, "birdVX", s.birdVX);
  AppendArray(out, "birdVY", s.birdVY);
  AppendArray(out, "flapCount", s.flapCount);
  AppendArray(out, "score", s.score);
  AppendNumber(out, "ringX", s.ringX);
  AppendNumber(out, "ringY", s.ringY);
  AppendNumber(out, "ringZ", s.ringZ);
  AppendArray(out, "crowX", s.crowX);
  AppendArray(out, "crowY", s.crowY);
  AppendArray(out, "crowZ", s.crowZ);
  AppendArray(out, "crowSpeed", s.crowSpeed);
  AppendArray(out, "crowTarget", s.crowTarget);
  AppendArray(out, "groundZ", s.groundZ);
  const std::array<int, kTiles> turns{TurnOf(s.groundFrames[0]), TurnOf(s.groundFrames[1]),
                                      TurnOf(s.groundFrames[2])};
  AppendArray(out, "groundTurn", turns);
  out += ",\"sounds\":[";
  bool first = true;
  for (const std::string& alias : played) {
    if (!first) out += ',';
    first = false;
    AppendString(out, alias.substr(std::string("audiofile").size()));
  }
  return out + "]}\n";
}

void RunScript(const script::Script& script, bool trace, const Output& output) {
  // The runner owns the whole program state; it is large, so it lives on the heap.
  auto runner = std::make_unique<Runner>(trace, output);
  runner->Run(script);
}

}  // namespace skyrings::sim
