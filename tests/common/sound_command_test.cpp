// The sound command strings as every sound port reads them.

#include "platform/common/sound_command.h"

#include <gtest/gtest.h>

namespace skyrings {
namespace {

using Verb = SoundCommand::Verb;

SoundCommand Parsed(const std::string& text) {
  SoundCommand command;
  const Status parsed = ParseSoundCommand(text, command);
  EXPECT_TRUE(parsed.ok()) << '"' << text << "\": " << parsed.error();
  return command;
}

TEST(SoundCommand, ReadsTheCommandsTheGameSends) {
  SoundCommand open = Parsed("open /opt/sky rings/alias x/ok.wav alias audiofileok");
  EXPECT_EQ(open.verb, Verb::kOpen);
  EXPECT_EQ(open.file, "/opt/sky rings/alias x/ok.wav") << "the file ends at the last \" alias \"";
  EXPECT_EQ(open.alias, "audiofileok");

  const struct {
    const char* text;
    Verb verb;
  } others[] = {{"play audiofileok from 0", Verb::kPlay},
                {"stop audiofileok", Verb::kStop},
                {"close audiofileok", Verb::kClose},
                {"status audiofileok mode", Verb::kStatus}};
  for (const auto& other : others) {
    const SoundCommand command = Parsed(other.text);
    EXPECT_EQ(command.verb, other.verb) << other.text;
    EXPECT_EQ(command.alias, "audiofileok") << other.text;
    EXPECT_EQ(command.file, "") << other.text;
  }
}

TEST(SoundCommand, IgnoresCaseAndSpacingButKeepsTheFileAsWritten) {
  EXPECT_EQ(Parsed("  PLAY AudioFileOK\tFrom  0 ").alias, "audiofileok");
  EXPECT_EQ(Parsed("Status BGM MODE").verb, Verb::kStatus);
  const SoundCommand open = Parsed("OPEN /Data/BGM.mid ALIAS AudioFileBGM");
  EXPECT_EQ(open.file, "/Data/BGM.mid");
  EXPECT_EQ(open.alias, "audiofilebgm");
}

TEST(SoundCommand, RefusesMalformedCommandsWithTheCauseAndChangesNothing) {
  for (const char* text :
       {"", "   ", "open", "open ", "open alias a", "open x alias", "open x alias two words",
        "open x alias  a", "play", "play a", "play a from 5", "play a from 0 now", "stop",
        "stop a b", "status a", "status a position", "rewind a", "close a b", "openx y alias z"}) {
    SoundCommand command{Verb::kStatus, "kept", "kept"};
    const Status parsed = ParseSoundCommand(text, command);
    EXPECT_FALSE(parsed.ok()) << '"' << text << '"';
    EXPECT_FALSE(parsed.error().empty());
    EXPECT_EQ(command.alias, "kept") << '"' << text << '"';
  }
  SoundCommand command;
  EXPECT_EQ(ParseSoundCommand(" ", command).error(), "empty command");
  EXPECT_EQ(ParseSoundCommand("rewind a", command).error(), "unknown command: rewind a");
  EXPECT_EQ(ParseSoundCommand("open x alias", command).error(), "open needs: open FILE alias NAME");
}

}  // namespace
}  // namespace skyrings
