#include "programs/sim/runner.h"

#include <memory>

#include "game/game_loop.h"
#include "game/results.h"
#include "platform/headless/headless_3d.h"
#include "platform/headless/headless_clock.h"
#include "platform/headless/headless_joystick.h"
#include "platform/headless/headless_sound.h"
#include "platform/headless/headless_window.h"
#include "render/scene.h"
#include "shell/form1.h"
#include "shell/main_window.h"
#include "shell/startup.h"

namespace skyrings::sim {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;

// Stick positions that read as -1, 0 and 1 with the thresholds calibrated from 0..65535.
std::uint32_t StickPosition(std::int16_t steering) {
  return steering < 0 ? 0u : steering > 0 ? 65535u : 32768u;
}

void AppendString(std::string& out, const std::string& text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

template <typename Values>
void AppendArray(std::string& out, const char* name, const Values& values) {
  out += ",\"";
  out += name;
  out += "\":[";
  for (std::size_t n = 0; n < values.size(); ++n) {
    if (n > 0) out += ',';
    out += std::to_string(values[n]);
  }
  out += ']';
}

void AppendNumber(std::string& out, const char* name, long value) {
  out += ",\"";
  out += name;
  out += "\":";
  out += std::to_string(value);
}

// The quarter-turn a ground tile was last given, read back from its frame's z axis.
int TurnOf(const FrameRef& tile) {
  const Vector3 direction = static_cast<const HeadlessFrame&>(*tile).direction();
  for (int mode = 0; mode < 4; ++mode) {
    const TileTurn& turn = kTileTurns[mode];
    if (direction == Vector3{turn.dx, turn.dy, turn.dz}) return mode;
  }
  return -1;
}

class Runner {
 public:
  Runner(bool trace, const Output& output)
      : window_(nullptr),
        form_(Platform{window_, retained3d_, sound_, joystick_, clock_}),
        trace_(trace),
        output_(output) {
    sound_.RecordCommands(false);
    window_.RecordSurfaceOps(false);
    // Players 2 and 3 steer with sticks 0 and 1, calibrated as at start-up.
    joystick_.Attach(0);
    joystick_.Attach(1);
    Init_Joystick(form_.controller, kDeadZone);
    Create_Display(form_);
    Open_Sounds(form_);
  }

  void Run(const Script& script) {
    int number = 0;
    for (const GameScript& game : script.games)
      RunGame(game, ++number);
    Flush();
  }

 private:
  void RunGame(const GameScript& game, int number) {
    GameState& s = form_.state;
    for (int p = 0; p < kPlayers; ++p)
      Check(window_.SetCaption(p, ""));
    for (const int p : game.players)
      Check(window_.SetCaption(p, EntryCaption(p)));

    Build_Scene(form_);
    Start_Game_Loop(form_);
    (void)sound_.TakePlayed();  // the music, started by the construction

    const std::size_t runnable = game.escapeBeforeStep.value_or(game.steps.size());
    bool gameOver = false;
    for (std::size_t n = 0; n < runnable && !gameOver; ++n) {
      const auto& v = game.steps[n].steering;
      s.inputX[0] = v[0];
      s.inputY[0] = v[1];
      s.inputX[1] = v[2];
      s.inputY[1] = v[3];
      joystick_.Move(0, StickPosition(v[4]), StickPosition(v[5]));
      joystick_.Move(1, StickPosition(v[6]), StickPosition(v[7]));
      gameOver = Game_Step(form_) == StepOutcome::kGameOver;
      if (trace_) WriteTrace(number, static_cast<long>(n + 1));
    }
    if (!gameOver) End_Game_By_Escape(form_);
    Show_Results(form_);
    WriteEnd(number, gameOver);
  }

  void WriteTrace(int game, long step) {
    const GameState& s = form_.state;
    out_ += "{\"game\":" + std::to_string(game);
    AppendNumber(out_, "step", step);
    AppendNumber(out_, "stepCount", s.stepCount);
    AppendArray(out_, "birdX", s.birdX);
    AppendArray(out_, "birdY", s.birdY);
    AppendArray(out_, "birdVX", s.birdVX);
    AppendArray(out_, "birdVY", s.birdVY);
    AppendArray(out_, "flapCount", s.flapCount);
    AppendArray(out_, "score", s.score);
    AppendNumber(out_, "ringX", s.ringX);
    AppendNumber(out_, "ringY", s.ringY);
    AppendNumber(out_, "ringZ", s.ringZ);
    AppendArray(out_, "crowX", s.crowX);
    AppendArray(out_, "crowY", s.crowY);
    AppendArray(out_, "crowZ", s.crowZ);
    AppendArray(out_, "crowSpeed", s.crowSpeed);
    AppendArray(out_, "crowTarget", s.crowTarget);
    AppendArray(out_, "groundZ", s.groundZ);
    const std::array<int, kTiles> turns{TurnOf(s.groundFrames[0]), TurnOf(s.groundFrames[1]),
                                        TurnOf(s.groundFrames[2])};
    AppendArray(out_, "groundTurn", turns);
    out_ += ",\"sounds\":[";
    bool first = true;
    for (const std::string& alias : sound_.TakePlayed()) {
      if (!first) out_ += ',';
      first = false;
      AppendString(out_, alias.substr(std::string("audiofile").size()));
    }
    out_ += "]}\n";
    if (out_.size() >= kFlushSize) Flush();
  }

  void WriteEnd(int game, bool gameOver) {
    out_ += "{\"game\":" + std::to_string(game);
    out_ += gameOver ? ",\"end\":\"gameover\"" : ",\"end\":\"escape\"";
    AppendNumber(out_, "stepCount", form_.state.stepCount);
    AppendArray(out_, "score", form_.state.score);
    out_ += ",\"captions\":[";
    for (int p = 0; p < kPlayers; ++p) {
      if (p > 0) out_ += ',';
      AppendString(out_, window_.captions()[p]);
    }
    out_ += "]}\n";
    if (out_.size() >= kFlushSize) Flush();
  }

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
};

}  // namespace

void RunScript(const Script& script, bool trace, const Output& output) {
  // The runner owns the whole program state; it is large, so it lives on the heap.
  auto runner = std::make_unique<Runner>(trace, output);
  runner->Run(script);
}

}  // namespace skyrings::sim
