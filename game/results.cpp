#include "game/results.h"

#include "shell/main_window.h"

namespace skyrings {

void Show_Results(Form1& form) {
  GameState& s = form.state;
  Window& window = form.platform.window;
  Check(window.ShowView(false));
  for (s.i = 0; s.i <= 3; ++s.i) {
    std::string caption;
    Check(window.GetCaption(s.i, caption));
    if (!caption.empty()) Check(window.SetCaption(s.i, ResultsCaption(s.i, s.score[s.i])));
  }
}

}  // namespace skyrings
