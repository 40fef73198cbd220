#include "programs/script/script_player.h"

#include "game/game_loop.h"
#include "game/results.h"
#include "programs/script/json_lines.h"
#include "render/scene.h"
#include "shell/main_window.h"
#include "sound/music.h"

namespace skyrings::script {

void AttachScriptSticks(HeadlessJoystick& sticks) {
  sticks.Attach(0);
  sticks.Attach(1);
}

std::uint32_t StickPosition(std::int16_t steering) {
  return steering < 0 ? 0u : steering > 0 ? 65535u : 32768u;
}

GameEnd PlayScriptGame(Form1& form, HeadlessJoystick& sticks, const GameScript& game,
                       GamePace& pace) {
  GameState& s = form.state;
  Window& window = form.platform.window;
  for (int p = 0; p < kPlayers; ++p)
    Check(window.SetCaption(p, ""));
  for (const int p : game.players)
    Check(window.SetCaption(p, EntryCaption(p)));
  Play_Sound(form.music, "ok", false);

  Build_Scene(form);
  Start_Game_Loop(form);
  const std::size_t runnable = game.escapeBeforeStep.value_or(game.steps.size());
  for (std::size_t n = 0; n < runnable; ++n) {
    if (!pace.StepDue(form)) return GameEnd::kStopped;
    // Keys reach the steering values between steps, as the key handlers would leave them; the
    // sticks are read by the step itself.
    const auto& v = game.steps[n].steering;
    s.inputX[0] = v[0];
    s.inputY[0] = v[1];
    s.inputX[1] = v[2];
    s.inputY[1] = v[3];
    sticks.Move(0, StickPosition(v[4]), StickPosition(v[5]));
    sticks.Move(1, StickPosition(v[6]), StickPosition(v[7]));
    const StepOutcome outcome = Game_Step(form);
    pace.StepDone(form, n + 1);
    if (outcome == StepOutcome::kGameOver) {
      Show_Results(form);
      return GameEnd::kGameOver;
    }
  }
  End_Game_By_Escape(form);
  Show_Results(form);
  return GameEnd::kEscape;
}

std::string EndRecord(int game, GameEnd end, std::int16_t stepCount, const PlayerValues& score,
                      const std::array<std::string, 4>& captions) {
  std::string out = "{\"game\":" + std::to_string(game);
  out += end == GameEnd::kGameOver ? ",\"end\":\"gameover\"" : ",\"end\":\"escape\"";
  AppendNumber(out, "stepCount", stepCount);
  AppendArray(out, "score", score);
  out += ",\"captions\":[";
  for (int p = 0; p < kPlayers; ++p) {
    if (p > 0) out += ',';
    AppendString(out, captions[p]);
  }
  return out + "]}\n";
}

std::array<std::string, 4> ReadCaptions(Window& window) {
  std::array<std::string, 4> captions;
  for (int p = 0; p < kPlayers; ++p)
    Check(window.GetCaption(p, captions[p]));
  return captions;
}

}  // namespace skyrings::script
