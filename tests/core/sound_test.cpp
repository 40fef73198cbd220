// The sound channels: the command texts, name lookup, and looping by polling.

#include <gtest/gtest.h>

#include "interfaces/status.h"
#include "platform/headless/headless_sound.h"
#include "sound/music.h"

namespace skyrings {
namespace {

using Commands = std::vector<std::string>;

TEST(Music, OpenStopsAndClosesTheAliasFirstAndRegistersTheNameOnce) {
  HeadlessSound port;
  Music music(port);
  Open_Sound(music, "/games/sky rings/ok.wav", "ok");
  EXPECT_EQ(port.commands(), (Commands{"stop audiofileok", "close audiofileok",
                                       "open /games/sky rings/ok.wav alias audiofileok"}));
  EXPECT_TRUE(port.IsOpen("audiofileok"));  // the failed stop and close did not matter
  EXPECT_EQ(port.FileOf("audiofileok"), "/games/sky rings/ok.wav");
  EXPECT_EQ(music.soundCount, 1);
  EXPECT_EQ(music.soundNames[1], "ok");

  // Reopening a looping sound reuses its slot, and it no longer loops.
  Open_Sound(music, "bgm.mid", "bgm");
  Play_Sound(music, "bgm", true);
  EXPECT_EQ(music.soundLoop[2], -1);
  Open_Sound(music, "other.mid", "bgm");
  EXPECT_EQ(music.soundCount, 2);
  EXPECT_EQ(music.soundLoop[2], 0);
  EXPECT_EQ(port.FileOf("audiofilebgm"), "other.mid");
}

TEST(Music, PlayAndStopSendTheirCommandsAndSetTheLoopFlag) {
  HeadlessSound port;
  Music music(port);
  Open_Sound(music, "ring.wav", "ring");
  Open_Sound(music, "out.wav", "out");
  port.ClearCommands();

  Play_Sound(music, "ring", false);
  Play_Sound(music, "ring", false);  // restarts from the beginning
  Play_Sound(music, "out", false);   // its own channel only
  Stop_Sound(music, "ring");
  EXPECT_EQ(port.commands(), (Commands{"play audiofilering from 0", "play audiofilering from 0",
                                       "play audiofileout from 0", "stop audiofilering"}));
  EXPECT_TRUE(port.IsPlaying("audiofileout"));
  EXPECT_FALSE(port.IsPlaying("audiofilering"));
}

TEST(Music, KeepLoopingRestartsOnlyLoopingSoundsThatHaveStopped) {
  HeadlessSound port;
  Music music(port);
  Open_Sound(music, "ok.wav", "ok");
  Open_Sound(music, "bgm.mid", "bgm");
  Play_Sound(music, "ok", false);
  port.ClearCommands();

  Keep_Looping(music);  // nothing loops: not a single command
  EXPECT_TRUE(port.commands().empty());

  Play_Sound(music, "bgm", true);
  port.ClearCommands();
  Keep_Looping(music);  // still playing: asked, left alone
  EXPECT_EQ(port.commands(), (Commands{"status audiofilebgm mode"}));

  port.Finish("audiofilebgm");
  port.Finish("audiofileok");
  port.ClearCommands();
  Keep_Looping(music);
  EXPECT_EQ(port.commands(), (Commands{"status audiofilebgm mode", "play audiofilebgm from 0"}));

  Stop_Sound(music, "bgm");
  port.ClearCommands();
  Keep_Looping(music);
  EXPECT_TRUE(port.commands().empty());
}

TEST(Music, AFileThatCannotOpenStaysSilentForEver) {
  HeadlessSound port(/*checkFiles=*/true);
  Music music(port);
  Open_Sound(music, "/nowhere/bgm.mid", "bgm");
  EXPECT_FALSE(port.IsOpen("audiofilebgm"));
  Play_Sound(music, "bgm", true);
  for (int step = 0; step < 3; ++step)
    Keep_Looping(music);
  EXPECT_FALSE(port.IsPlaying("audiofilebgm"));
  // The failed query's empty reply never reads as "stopped": no further play command.
  EXPECT_EQ(port.commands().back(), "status audiofilebgm mode");
}

TEST(Music, LookupIsExactAndTheTableHoldsAThousandNames) {
  HeadlessSound port;
  port.RecordCommands(false);
  Music music(port);
  Open_Sound(music, "bgm.mid", "bgm");
  Play_Sound(music, "BGM", true);  // another name: no flag is set
  EXPECT_EQ(music.soundLoop[1], 0);

  for (int n = 2; n <= 1000; ++n) {
    // Appended, not `"s" + std::to_string(n)`: at -O3 g++ 12 warns (-Wrestrict) inside the
    // library's operator+ about an overlap that cannot happen.
    std::string name("s");
    name += std::to_string(n);
    Open_Sound(music, "x.wav", name);
  }
  EXPECT_EQ(music.soundCount, 1000);
  EXPECT_THROW(Open_Sound(music, "x.wav", "one too many"), RunTimeError);
  Open_Sound(music, "x.wav", "s1000");  // a known name still opens
  EXPECT_EQ(music.soundCount, 1000);
}

// The stand-in port reads the command strings with the real port's parser: the same leniency,
// the same refusals.
TEST(HeadlessSound, ReadsCommandsAsTheRealPortDoes) {
  HeadlessSound port;
  ASSERT_EQ(port.SendCommand("open /games/sky rings/alias x/ok.wav alias AudioFileOK", nullptr), 0);
  EXPECT_EQ(port.FileOf("audiofileok"), "/games/sky rings/alias x/ok.wav");
  EXPECT_EQ(port.SendCommand("  PLAY audiofileok FROM 0 ", nullptr), 0);
  std::string reply;
  EXPECT_EQ(port.SendCommand("status AudioFileOk mode", &reply), 0);
  EXPECT_EQ(reply, "playing");

  for (const char* bad : {"", "play audiofileok", "stop audiofileok now", "open x alias two words",
                          "open other.wav alias audiofileok", "close nothing"}) {
    reply = "unset";
    EXPECT_NE(port.SendCommand(bad, &reply), 0) << '"' << bad << '"';
    EXPECT_EQ(reply, "") << '"' << bad << '"';
  }
  EXPECT_EQ(port.FileOf("audiofileok"), "/games/sky rings/alias x/ok.wav");
  EXPECT_TRUE(port.IsPlaying("audiofileok"));
}

}  // namespace
}  // namespace skyrings
