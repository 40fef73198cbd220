// The mixer port against SDL's disk audio driver, which writes what would have been heard to a
// file in real time. Each test gets its own capture file.

#include "platform/mixer/mixer_sound_port.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "tests/mixer/sound_test_files.h"

namespace skyrings {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testing::Capture;
using testing::OneNoteMidi;
using testing::ToneWave;
using testing::TuneMidi;
using testing::WriteFile;

class MixerPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("skyrings_mixer_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    capture_ = (dir_ / "capture.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
  }
  void TearDown() override {
    port_.reset();
    fs::remove_all(dir_);
  }

  void Start() {
    port_ = std::make_unique<MixerSoundPort>();
    start_ = Clock::now();
    ASSERT_TRUE(port_->HasDevice()) << port_->LastError();
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate_, &format, &channels_), 1);
    ASSERT_EQ(format, AUDIO_S16SYS);
  }
  Capture Finish() {
    port_.reset();
    return Capture::Load(capture_, rate_, channels_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  int Send(const std::string& command) { return port_->SendCommand(command, nullptr); }
  std::string StatusOf(const std::string& alias) {
    std::string reply = "unset";
    EXPECT_EQ(port_->SendCommand("status " + alias + " mode", &reply), 0) << port_->LastError();
    return reply;
  }
  // The game's start-up sequence for one sound.
  void OpenLikeTheGame(const std::string& file, const std::string& alias) {
    Send("stop " + alias);
    Send("close " + alias);
    ASSERT_EQ(Send("open " + file + " alias " + alias), 0) << port_->LastError();
  }
  double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }
  void SleepUntil(double seconds) {
    const double wait = seconds - Elapsed();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
  }
  // Polls the status every 2 ms until it reads "stopped"; returns when, or a negative value.
  double WhenStopped(const std::string& alias, double limit) {
    while (Elapsed() < limit) {
      if (StatusOf(alias) == "stopped") return Elapsed();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1.0;
  }

  fs::path dir_;
  std::string capture_;
  std::unique_ptr<MixerSoundPort> port_;
  Clock::time_point start_;
  int rate_ = 0;
  int channels_ = 0;
};

TEST_F(MixerPortTest, PlayedWaveIsHeardAtTheRightTimeAndStatusFollowsIt) {
  WriteFile(Path("ok.wav"), ToneWave(440, 0.3));
  Start();
  EXPECT_NE(Send("stop audiofileok"), 0);  // not open yet
  EXPECT_NE(Send("close audiofileok"), 0);
  OpenLikeTheGame(Path("ok.wav"), "audiofileok");
  EXPECT_EQ(StatusOf("audiofileok"), "stopped");  // never played

  SleepUntil(0.2);
  const double played = Elapsed();
  ASSERT_EQ(Send("play audiofileok from 0"), 0);
  const double returned = Elapsed();
  EXPECT_LT(returned - played, 0.01) << "play must return at once";
  EXPECT_EQ(StatusOf("audiofileok"), "playing");
  const double stopped = WhenStopped("audiofileok", 1.5);
  ASSERT_GT(stopped, 0) << "status never went back to stopped";
  EXPECT_NEAR(stopped - played, 0.3, 0.1);

  const Capture out = Finish();
  const double onset = out.Onset();
  ASSERT_GT(onset, 0) << "nothing was heard";
  std::printf(
      "[ measure  ] wave: device time of onset - wall time of play = %+.1f ms; "
      "status read stopped %.1f ms after play\n",
      (onset - played) * 1000.0, (stopped - played) * 1000.0);
  EXPECT_NEAR(onset, played, 0.15);
  EXPECT_GT(out.ToneLevel(440, onset + 0.05, onset + 0.25), 8000);
  EXPECT_LT(out.ToneLevel(1000, onset + 0.05, onset + 0.25), 300);
  EXPECT_LT(out.ToneLevel(440, onset + 0.35, onset + 0.6), 100) << "sound outlasted its length";
}

TEST_F(MixerPortTest, PlayAgainRestartsFromTheBeginning) {
  WriteFile(Path("ring.wav"), ToneWave(660, 0.4));
  Start();
  OpenLikeTheGame(Path("ring.wav"), "audiofilering");
  SleepUntil(0.1);
  ASSERT_EQ(Send("play audiofilering from 0"), 0);
  SleepUntil(0.3);
  ASSERT_EQ(Send("play audiofilering from 0"), 0);
  SleepUntil(0.6);
  // Without the restart it would have ended at 0.5.
  EXPECT_EQ(StatusOf("audiofilering"), "playing");
  EXPECT_GT(WhenStopped("audiofilering", 1.5), 0.65);

  const Capture out = Finish();
  const double onset = out.Onset();
  ASSERT_GT(onset, 0);
  // One unbroken tone of 0.2 + 0.4 seconds.
  EXPECT_GT(out.ToneLevel(660, onset + 0.45, onset + 0.55), 8000);
  EXPECT_LT(out.ToneLevel(660, onset + 0.65, onset + 0.8), 100);
}

TEST_F(MixerPortTest, AliasesPlayTogetherAndStopAlone) {
  WriteFile(Path("low.wav"), ToneWave(440, 0.5));
  WriteFile(Path("high.wav"), ToneWave(1000, 0.5));
  Start();
  OpenLikeTheGame(Path("low.wav"), "audiofileout");
  OpenLikeTheGame(Path("high.wav"), "audiofilecur");
  SleepUntil(0.1);
  ASSERT_EQ(Send("play audiofileout from 0"), 0);
  ASSERT_EQ(Send("play audiofilecur from 0"), 0);
  EXPECT_EQ(StatusOf("audiofileout"), "playing");
  EXPECT_EQ(StatusOf("audiofilecur"), "playing");
  SleepUntil(0.3);
  ASSERT_EQ(Send("stop audiofileout"), 0);
  EXPECT_EQ(StatusOf("audiofileout"), "stopped");
  EXPECT_EQ(StatusOf("audiofilecur"), "playing");
  SleepUntil(0.45);

  const Capture out = Finish();
  const double onset = out.Onset();
  ASSERT_GT(onset, 0);
  EXPECT_GT(out.ToneLevel(440, onset + 0.02, onset + 0.15), 4000);
  EXPECT_GT(out.ToneLevel(1000, onset + 0.02, onset + 0.15), 4000);
  // After the stop only the high tone is left.
  EXPECT_LT(out.ToneLevel(440, onset + 0.3, onset + 0.34), 300);
  EXPECT_GT(out.ToneLevel(1000, onset + 0.3, onset + 0.34), 4000);
}

TEST_F(MixerPortTest, MusicPlaysEndsAndLoopsLikeTheGameDoesIt) {
  // An organ: 220 Hz for 0.3 s, then 880 Hz for 0.2 s.
  WriteFile(Path("bgm.mid"), TuneMidi({{57, 288}, {81, 192}}, 16));
  Start();
  const double opening = Elapsed();
  OpenLikeTheGame(Path("bgm.mid"), "audiofilebgm");
  const double opened = Elapsed();
  EXPECT_EQ(StatusOf("audiofilebgm"), "stopped");

  SleepUntil(opened + 0.05);
  ASSERT_EQ(Send("play audiofilebgm from 0"), 0);
  const double first = Elapsed();
  EXPECT_EQ(StatusOf("audiofilebgm"), "playing");
  const double ended = WhenStopped("audiofilebgm", first + 2.0);
  ASSERT_GT(ended, 0) << "music never reported stopped";
  EXPECT_NEAR(ended - first, 0.5, 0.08) << "a loop would leave a gap";
  std::printf("[ measure  ] music: open %.1f ms, a 500 ms tune reported stopped after %.1f ms\n",
              (opened - opening) * 1000.0, (ended - first) * 1000.0);

  // The game's loop: on "stopped" it plays again from the start.
  ASSERT_EQ(Send("play audiofilebgm from 0"), 0);
  const double looped = Elapsed();
  EXPECT_EQ(StatusOf("audiofilebgm"), "playing");
  // Stopped in its second note, then played again: it starts over, it does not resume.
  SleepUntil(looped + 0.4);
  ASSERT_EQ(Send("stop audiofilebgm"), 0);
  const double stopped = Elapsed();
  EXPECT_EQ(StatusOf("audiofilebgm"), "stopped");
  SleepUntil(stopped + 0.15);
  ASSERT_EQ(Send("play audiofilebgm from 0"), 0);
  const double again = Elapsed();
  SleepUntil(again + 0.3);

  const Capture out = Finish();
  // The organ's 220 Hz note carries an 880 Hz overtone, so each note is told by which of the
  // two is clearly stronger.
  const auto firstNote = [&](double from, double to) {
    const double l = out.ToneLevel(220, from, to), h = out.ToneLevel(880, from, to);
    return l > 1000 && l > 2 * h;
  };
  const auto secondNote = [&](double from, double to) {
    const double l = out.ToneLevel(220, from, to), h = out.ToneLevel(880, from, to);
    return h > 1000 && h > 4 * l;
  };
  EXPECT_TRUE(firstNote(first + 0.05, first + 0.25));
  EXPECT_TRUE(secondNote(first + 0.35, first + 0.45));
  EXPECT_TRUE(firstNote(looped + 0.05, looped + 0.25)) << "the loop did not start over";
  EXPECT_LT(out.ToneLevel(880, stopped + 0.05, again) + out.ToneLevel(220, stopped + 0.05, again),
            100)
      << "stop did not silence the music";
  // After a stop the synthesiser takes about a tenth of a second to start again.
  EXPECT_TRUE(firstNote(again + 0.15, again + 0.28)) << "play after stop resumed the tune";
}

TEST_F(MixerPortTest, FailuresReturnNonZeroChangeNothingAndStaySilent) {
  WriteFile(Path("ok.wav"), ToneWave(440, 0.2));
  WriteFile(Path("noise.wav"), std::vector<std::uint8_t>(4096, 0x5A));
  std::vector<std::uint8_t> truncated = ToneWave(440, 0.2);
  truncated.resize(truncated.size() / 2);
  WriteFile(Path("truncated.wav"), truncated);
  std::vector<std::uint8_t> huge = ToneWave(440, 0.01);
  huge[40] = huge[41] = huge[42] = huge[43] = 0xFF;  // data size: 4 GB
  WriteFile(Path("huge.wav"), huge);
  std::vector<std::uint8_t> badMidi = OneNoteMidi();
  badMidi[badMidi.size() - 5] = 0xF4;  // an undefined status byte inside the track
  WriteFile(Path("bad.mid"), badMidi);
  WriteFile(Path("empty.mid"), {});
  Start();

  std::string reply = "unset";
  const auto fails = [&](const std::string& command) {
    reply = "unset";
    const int code = port_->SendCommand(command, &reply);
    EXPECT_NE(code, 0) << command;
    EXPECT_EQ(reply, "") << command;
    EXPECT_FALSE(port_->LastError().empty()) << command;
    return code;
  };
  EXPECT_EQ(fails("open " + Path("missing.wav") + " alias a"),
            static_cast<int>(SoundError::kFileUnreadable));
  EXPECT_EQ(fails("open " + dir_.string() + " alias a"),
            static_cast<int>(SoundError::kFileUnreadable));
  for (const char* bad : {"noise.wav", "truncated.wav", "huge.wav", "bad.mid", "empty.mid"}) {
    EXPECT_EQ(fails("open " + Path(bad) + " alias a"), static_cast<int>(SoundError::kBadFile))
        << bad;
  }
  for (const char* command : {"play a from 0", "stop a", "close a", "status a mode"}) {
    EXPECT_EQ(fails(command), static_cast<int>(SoundError::kUnknownAlias)) << command;
  }
  for (const char* command : {"", "   ", "open", "open ", "open alias a", "open x alias",
                              "open x alias two words", "play", "play a", "play a from 5", "stop",
                              "status a", "status a position", "rewind a", "close a b"}) {
    EXPECT_EQ(fails(command), static_cast<int>(SoundError::kMalformed)) << '"' << command << '"';
  }

  // An alias that is open stays as it was when opening it again fails.
  ASSERT_EQ(Send("open " + Path("ok.wav") + " alias good"), 0);
  EXPECT_EQ(fails("open " + Path("noise.wav") + " alias good"),
            static_cast<int>(SoundError::kAliasInUse));
  EXPECT_EQ(StatusOf("good"), "stopped");
  EXPECT_EQ(port_->SendCommand("status good mode", &reply), 0);
  EXPECT_TRUE(port_->LastError().empty());
  SleepUntil(0.3);

  const Capture out = Finish();
  EXPECT_GT(out.Seconds(), 0.2) << "the capture did not run";
  EXPECT_EQ(out.PeakAbs(), 0.0) << "a failed command made a sound";
}

TEST_F(MixerPortTest, PathsWithSpacesAndReopenedAliases) {
  const fs::path folder = dir_ / "my sounds alias x";
  fs::create_directories(folder);
  const std::string first = (folder / "first alias tone.wav").string();
  const std::string second = (folder / "second.wav").string();
  WriteFile(first, ToneWave(440, 0.15));
  WriteFile(second, ToneWave(1000, 0.15));
  Start();

  ASSERT_EQ(Send("open " + first + " alias audiofileok"), 0) << port_->LastError();
  ASSERT_EQ(Send("play audiofileok from 0"), 0);
  SleepUntil(0.25);
  // Closing frees the alias; opening it again with another file reuses it cleanly.
  ASSERT_EQ(Send("close audiofileok"), 0);
  EXPECT_NE(Send("play audiofileok from 0"), 0);
  ASSERT_EQ(Send("open " + second + " alias audiofileok"), 0) << port_->LastError();
  SleepUntil(0.35);
  const double replayed = Elapsed();
  ASSERT_EQ(Send("play audiofileok from 0"), 0);
  SleepUntil(0.6);
  // Closing a sound that is playing cuts it.
  ASSERT_EQ(Send("play audiofileok from 0"), 0);
  const double cut = Elapsed();
  ASSERT_EQ(Send("close audiofileok"), 0);
  SleepUntil(0.8);

  const Capture out = Finish();
  const double onset = out.Onset();
  ASSERT_GT(onset, 0);
  EXPECT_GT(out.ToneLevel(440, onset + 0.02, onset + 0.12), 8000);
  EXPECT_GT(out.ToneLevel(1000, replayed + 0.03, replayed + 0.12), 4000);
  EXPECT_LT(out.ToneLevel(440, replayed + 0.03, replayed + 0.12), 300);
  EXPECT_LT(out.ToneLevel(1000, cut + 0.08, cut + 0.15), 300) << "close did not stop the sound";
}

TEST_F(MixerPortTest, StatusQueriesAreCheap) {
  WriteFile(Path("ok.wav"), ToneWave(440, 0.5));
  Start();
  ASSERT_EQ(Send("open " + Path("ok.wav") + " alias audiofileok"), 0);
  ASSERT_EQ(Send("play audiofileok from 0"), 0);
  constexpr int kQueries = 2000;
  const auto begin = Clock::now();
  std::string reply;
  for (int i = 0; i < kQueries; ++i)
    port_->SendCommand("status audiofileok mode", &reply);
  const double each = std::chrono::duration<double>(Clock::now() - begin).count() / kQueries;
  std::printf("[ measure  ] status query: %.2f us each\n", each * 1e6);
  // The game asks once per 20 ms step.
  EXPECT_LT(each, 0.001);
}

TEST(MixerPortNoDevice, EveryCommandFailsWithoutACrash) {
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  const std::string wave =
      (fs::temp_directory_path() / ("skyrings_nodevice_" + std::to_string(getpid()) + ".wav"))
          .string();
  WriteFile(wave, ToneWave(440, 0.1));
  {
    MixerSoundPort port;
    EXPECT_FALSE(port.HasDevice());
    EXPECT_FALSE(port.LastError().empty());
    for (const std::string& command :
         {"open " + wave + " alias a", std::string("play a from 0"), std::string("status a mode"),
          std::string("stop a"), std::string("close a")}) {
      std::string reply = "unset";
      EXPECT_EQ(port.SendCommand(command, &reply), static_cast<int>(SoundError::kNoDevice));
      EXPECT_EQ(reply, "");
    }
  }
  // A later port finds the device once there is one.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  {
    MixerSoundPort port;
    EXPECT_TRUE(port.HasDevice()) << port.LastError();
    EXPECT_EQ(port.SendCommand("open " + wave + " alias a", nullptr), 0) << port.LastError();
  }
  fs::remove(wave);
}

}  // namespace
}  // namespace skyrings
