// The headless runner: its script, its output, and that it is deterministic.

#include <gtest/gtest.h>

#include "programs/script/script.h"
#include "programs/sim/runner.h"

namespace skyrings::sim {
namespace {

using script::ParseScript;
using script::Script;
using script::ScriptError;

std::string RunSim(const std::string& text, bool trace) {
  Script script;
  ScriptError error;
  EXPECT_TRUE(ParseScript(text, script, error)) << error.line << ": " << error.message;
  std::string output;
  RunScript(script, trace, [&](const std::string& chunk) { output += chunk; });
  return output;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

TEST(SimScript, BadLinesAreNamedByTheirNumber) {
  const std::pair<const char*, int> cases[] = {
      {"0 0 0 0 0 0 0 0\n", 1},                    // a step before the first game
      {"# comment\n\nesc\n", 3},                   // esc before the first game
      {"game\n", 1},                               // nobody joined
      {"game 0 4\n", 1},                           // no player 4
      {"game 1 1\n", 1},                           // listed twice
      {"game 0\n0 0 0 0 0 0 0\n", 2},              // seven values
      {"game 0\n0 0 0 0 0 0 0 2\n", 2},            // out of range
      {"game 0\n0 0 0 0 0 0 0 x\n", 2},            // not a number
      {"game 0\n0 0 0 0 0 0 0 0 0\n", 2},          // nine values
      {"game 0\n0 0 0 0 0 0 0 +1\n", 2},           // only -1, 0 and 1 as written
      {"game 0\nesc\n1 1 1 1 1 1 1 1\nbad\n", 4},  // checked even where it would be skipped
  };
  for (const auto& [text, line] : cases) {
    Script script;
    ScriptError error;
    EXPECT_FALSE(ParseScript(text, script, error)) << text;
    EXPECT_EQ(error.line, line) << text;
    EXPECT_FALSE(error.message.empty());
  }
}

TEST(SimScript, CommentsBlanksAndEscape) {
  Script script;
  ScriptError error;
  ASSERT_TRUE(
      ParseScript("# two games\ngame 2 0  # comment\n\t1 -1 0 0 0 0 -1 1\r\nesc\n"
                  "0 0 0 0 0 0 0 0\ngame 3\n",
                  script, error));
  ASSERT_EQ(script.games.size(), 2u);
  EXPECT_EQ(script.games[0].players, (std::vector<int>{2, 0}));
  ASSERT_EQ(script.games[0].steps.size(), 2u);
  EXPECT_EQ(script.games[0].steps[0].steering[1], -1);
  EXPECT_EQ(script.games[0].steps[0].steering[7], 1);
  EXPECT_EQ(script.games[0].escapeBeforeStep, 1u);
  EXPECT_TRUE(script.games[1].steps.empty());
}

TEST(SimRun, TraceLinesEndLinesAndSkippedSteps) {
  const std::string out = RunSim(
      "game 0 1\n1 0 0 -1 0 0 0 0\n1 0 0 -1 0 0 0 0\nesc\n1 0 0 0 0 0 0 0\n"
      "game 3\n0 0 0 0 0 0 1 1\n",
      true);
  const std::vector<std::string> lines = Lines(out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1].rfind("{\"game\":1,\"step\":2,\"stepCount\":2,\"birdX\":[3,-100,-5000,-5000],"
                           "\"birdY\":[50,103,100,150],\"birdVX\":[2,0,0,0],\"birdVY\":[0,2,0,0],"
                           "\"flapCount\":[2,2,0,0],\"score\":[2,2,0,0],",
                           0),
            0u)
      << lines[1];
  EXPECT_NE(lines[1].find("\"groundZ\":[-20,680,1380],\"groundTurn\":["), std::string::npos);
  EXPECT_EQ(lines[2],
            "{\"game\":1,\"end\":\"escape\",\"stepCount\":2,\"score\":[2,2,0,0],"
            "\"captions\":[\" 1PScore: 2\",\" 2PScore: 2\",\"\",\"\"]}");
  // Player 3 steers with the second stick: right and down.
  EXPECT_NE(lines[3].find("\"birdX\":[-5000,-5000,-5000,1],\"birdY\":[50,100,100,149]"),
            std::string::npos)
      << lines[3];
  EXPECT_EQ(lines[4],
            "{\"game\":2,\"end\":\"escape\",\"stepCount\":1,\"score\":[0,0,0,1],"
            "\"captions\":[\"\",\"\",\"\",\" 4PScore: 1\"]}");
}

TEST(SimRun, GameOverEndsTheGameAndSkipsItsRemainingLines) {
  std::string script = "game 0\n";
  for (int n = 0; n < 20000; ++n)
    script += "0 0 0 0 0 0 0 0\n";
  script += "game 0\n0 0 0 0 0 0 0 0\n";
  const std::vector<std::string> lines = Lines(RunSim(script, true));
  ASSERT_GE(lines.size(), 4u);
  const std::string& end = lines[lines.size() - 3];
  EXPECT_NE(end.find("\"end\":\"gameover\""), std::string::npos) << end;
  // The game-over step is traced with the state after the ring; its "out" is heard in it.
  const std::string& last = lines[lines.size() - 4];
  EXPECT_NE(last.find("\"birdX\":[-5000,-5000,-5000,-5000]"), std::string::npos);
  EXPECT_NE(last.find("\"out\""), std::string::npos);
  EXPECT_EQ(lines.back().rfind("{\"game\":2,\"end\":\"escape\",\"stepCount\":1,", 0), 0u);
}

TEST(SimRun, TwoRunsOfOneScriptPrintTheSameAndGamesShareOneRandomSequence) {
  std::string script;
  for (int game = 0; game < 3; ++game) {
    script += "game 0 1 2 3\n";
    for (int n = 0; n < 500; ++n)
      script += (n / 40) % 2 ? "1 -1 -1 1 0 1 1 0\n" : "-1 1 1 -1 1 0 0 -1\n";
  }
  const std::string first = RunSim(script, true);
  EXPECT_EQ(first, RunSim(script, true));
  const std::vector<std::string> lines = Lines(first);
  // The games do not repeat each other: later games continue the random sequence.
  const auto firstStepOf = [&](int game) {
    for (const std::string& line : lines) {
      if (line.rfind("{\"game\":" + std::to_string(game) + ",\"step\":1,", 0) == 0) return line;
    }
    return std::string();
  };
  EXPECT_NE(firstStepOf(1).substr(12), firstStepOf(2).substr(12));
  // Without the trace, only the end lines, identical to the traced run's.
  std::string ends;
  for (const std::string& line : lines) {
    if (line.find("\"end\"") != std::string::npos) ends += line + "\n";
  }
  EXPECT_EQ(RunSim(script, false), ends);
}

}  // namespace
}  // namespace skyrings::sim
