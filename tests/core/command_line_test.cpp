// The game's command line: every option, every way of refusing one.

#include "programs/command_line.h"

#include <gtest/gtest.h>

namespace skyrings {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, NoArgumentsPlaysFullScreen) {
  const CommandLine line = ParseCommandLine({});
  EXPECT_EQ(line.action, Action::kPlay);
  EXPECT_FALSE(line.windowed);
  EXPECT_FALSE(line.stats);
  EXPECT_TRUE(line.recordPath.empty() && line.replayPath.empty() && line.timedemoPath.empty());
}

TEST(CommandLine, HelpAndVersionWinOverEverythingBeforeThem) {
  EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::kHelp);
  EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::kHelp);
  EXPECT_EQ(ParseCommandLine({"--window", "--version"}).action, Action::kVersion);
  EXPECT_EQ(VersionText().rfind("skyrings 1.", 0), 0u) << VersionText();
  EXPECT_NE(UsageText().find("--timedemo FILE"), std::string::npos);
}

TEST(CommandLine, OptionsAndTheirFiles) {
  CommandLine line = ParseCommandLine({"--window", "--stats", "--record", "run.txt"});
  EXPECT_EQ(line.action, Action::kPlay);
  EXPECT_TRUE(line.windowed);
  EXPECT_TRUE(line.stats);
  EXPECT_EQ(line.recordPath, "run.txt");
  EXPECT_EQ(ParseCommandLine({"--replay=a b.txt"}).replayPath, "a b.txt");
  EXPECT_EQ(ParseCommandLine({"--timedemo", "-"}).timedemoPath, "-");
  EXPECT_FALSE(ParseCommandLine({"--fullscreen"}).windowed);
}

TEST(CommandLine, RefusesWhatItCannotTake) {
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"--fast"},
           {"-x"},
           {"stage.x"},
           {"--record"},
           {"--replay="},
           {"--window", "--fullscreen"},
           {"--replay", "a.txt", "--timedemo", "b.txt"},
           {"--record", "a.txt", "--replay", "b.txt"},
           {"--windowed"},
       }) {
    const CommandLine line = ParseCommandLine(bad);
    EXPECT_EQ(line.action, Action::kUsageError) << bad[0];
    EXPECT_FALSE(line.error.empty()) << bad[0];
  }
  EXPECT_EQ(ParseCommandLine({"--fast"}).error, "unknown option '--fast'");
}

}  // namespace
}  // namespace skyrings
