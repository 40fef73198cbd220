#include "programs/script/script.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string_view>

namespace skyrings::script {
namespace {

// Splits a line at blanks and tabs (scripts run to millions of lines: no streams here).
void Words(std::string_view line, std::vector<std::string_view>& words) {
  words.clear();
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
      ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r')
      ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
}

bool ToInt(std::string_view word, int& value) {
  const char* end = word.data() + word.size();
  const auto [ptr, ec] = std::from_chars(word.data(), end, value);
  return ec == std::errc() && ptr == end;
}

}  // namespace

bool ParseScript(const std::string& text, Script& script, ScriptError& error) {
  script.games.clear();
  std::vector<std::string_view> words;
  int number = 0;
  auto fail = [&](std::string message) {
    error = {number, std::move(message)};
    return false;
  };

  for (std::size_t start = 0; start < text.size();) {
    std::size_t stop = text.find('\n', start);
    if (stop == std::string::npos) stop = text.size();
    std::string_view line(text.data() + start, stop - start);
    start = stop + 1;
    ++number;
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
      line = line.substr(0, hash);
    }
    Words(line, words);
    if (words.empty()) continue;

    if (words[0] == "game") {
      GameScript game;
      if (words.size() < 2) return fail("a game needs at least one player");
      for (std::size_t w = 1; w < words.size(); ++w) {
        int player = 0;
        if (!ToInt(words[w], player) || player < 0 || player > 3) {
          return fail("player '" + std::string(words[w]) + "' is not 0, 1, 2 or 3");
        }
        if (std::find(game.players.begin(), game.players.end(), player) != game.players.end()) {
          return fail("player " + std::string(words[w]) + " is listed twice");
        }
        game.players.push_back(player);
      }
      script.games.push_back(std::move(game));
      continue;
    }

    if (script.games.empty()) return fail("a step or esc comes before the first game");
    GameScript& game = script.games.back();
    if (words.size() == 1 && words[0] == "esc") {
      if (!game.escapeBeforeStep) game.escapeBeforeStep = game.steps.size();
      continue;
    }
    if (words.size() != 8) return fail("expected 'game P ...', 'esc' or eight steering values");
    StepLine step;
    for (std::size_t w = 0; w < 8; ++w) {
      int value = 0;
      if (!ToInt(words[w], value) || value < -1 || value > 1) {
        return fail("steering value '" + std::string(words[w]) + "' is not -1, 0 or 1");
      }
      step.steering[w] = static_cast<std::int16_t>(value);
    }
    game.steps.push_back(step);
  }
  return true;
}

bool LoadScript(const std::string& path, Script& script, std::string& message) {
  std::string text;
  if (path.empty()) {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    // A folder opens but cannot be read: both are refused alike.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    bool readable = file != nullptr;
    if (readable) {
      char buffer[1 << 16];
      std::size_t got = 0;
      while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
      readable = std::ferror(file) == 0;
      std::fclose(file);
    }
    if (!readable) {
      message = path + ": cannot open the script";
      return false;
    }
  }
  ScriptError error;
  if (!ParseScript(text, script, error)) {
    message = "line " + std::to_string(error.line) + ": " + error.message;
    return false;
  }
  return true;
}

std::string GameLineText(const std::vector<int>& players) {
  std::string line = "game";
  for (const int p : players)
    line += " " + std::to_string(p);
  return line + "\n";
}

std::string StepLineText(const StepLine& step) {
  std::string line;
  for (std::size_t n = 0; n < step.steering.size(); ++n) {
    if (n > 0) line += ' ';
    line += std::to_string(step.steering[n]);
  }
  return line + "\n";
}

}  // namespace skyrings::script
