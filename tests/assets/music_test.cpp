// The tune: read by SDL2_mixer as the game does, and checked event by event with a small reader
// of our own for its length, its loop point and its notes.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "data_path.h"

namespace skyrings_assets_test {
namespace {

struct Song {
  int division = 0;
  int format = -1;
  std::uint32_t endTick = 0;                                  // latest end of track
  std::map<std::uint32_t, std::uint32_t> tempo;               // tick -> microseconds per quarter
  std::vector<std::pair<std::uint32_t, int>> timeSignatures;  // tick -> beats (quarters) per bar
  int notes = 0;
  std::set<int> channels;
  std::set<int> programs;
  std::vector<std::string> problems;
};

class Reader {
 public:
  explicit Reader(const std::string& bytes) : b_(bytes) {}
  bool Ok() const { return ok_; }
  std::size_t pos = 0;
  std::uint32_t Byte() {
    if (pos >= b_.size()) {
      ok_ = false;
      return 0;
    }
    return static_cast<std::uint8_t>(b_[pos++]);
  }
  std::uint32_t Be(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
      v = (v << 8) | Byte();
    return v;
  }
  std::uint32_t VarLen() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint32_t c = Byte();
      v = (v << 7) | (c & 0x7F);
      if ((c & 0x80) == 0) return v;
    }
    ok_ = false;
    return v;
  }
  std::string Take(std::size_t n) {
    if (pos + n > b_.size()) {
      ok_ = false;
      pos = b_.size();
      return {};
    }
    pos += n;
    return b_.substr(pos - n, n);
  }

 private:
  const std::string& b_;
  bool ok_ = true;
};

Song Parse(const std::string& bytes) {
  Song song;
  Reader r(bytes);
  if (r.Take(4) != "MThd" || r.Be(4) != 6) {
    song.problems.push_back("no MThd header");
    return song;
  }
  song.format = static_cast<int>(r.Be(2));
  const std::uint32_t tracks = r.Be(2);
  song.division = static_cast<int>(r.Be(2));
  for (std::uint32_t t = 0; t < tracks && r.Ok(); ++t) {
    if (r.Take(4) != "MTrk") {
      song.problems.push_back("missing MTrk");
      return song;
    }
    const std::uint32_t length = r.Be(4);
    const std::size_t end = r.pos + length;
    std::uint32_t tick = 0;
    int status = 0;
    bool ended = false;
    std::map<std::pair<int, int>, int> sounding;  // (channel, key) -> open note count
    while (r.pos < end && r.Ok() && !ended) {
      tick += r.VarLen();
      std::uint32_t first = r.Byte();
      if (first & 0x80) {
        status = static_cast<int>(first);
        if (status < 0xF0 || status == 0xFF) first = r.Byte();  // first data byte, or meta type
      } else if (status == 0) {
        song.problems.push_back("running status without status");
        return song;
      }
      if (status == 0xFF) {
        const std::uint32_t type = first;
        const std::string data = r.Take(r.VarLen());
        if (type == 0x2F) ended = true;
        if (type == 0x51 && data.size() == 3) {
          song.tempo[tick] = (static_cast<std::uint8_t>(data[0]) << 16) |
                             (static_cast<std::uint8_t>(data[1]) << 8) |
                             static_cast<std::uint8_t>(data[2]);
        }
        if (type == 0x58 && data.size() == 4) {
          const int quarters =
              static_cast<std::uint8_t>(data[0]) * 4 / (1 << static_cast<std::uint8_t>(data[1]));
          song.timeSignatures.push_back({tick, quarters});
        }
        status = 0;
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        r.Take(r.VarLen());
        status = 0;
        continue;
      }
      const int kind = status & 0xF0, channel = status & 0x0F;
      const int data1 = static_cast<int>(first);
      const int data2 = (kind == 0xC0 || kind == 0xD0) ? 0 : static_cast<int>(r.Byte());
      if (kind == 0x90 && data2 > 0) {
        ++sounding[{channel, data1}];
        ++song.notes;
        song.channels.insert(channel);
      } else if (kind == 0x80 || kind == 0x90) {
        if (--sounding[{channel, data1}] < 0) {
          song.problems.push_back("note-off without note-on, track " + std::to_string(t));
          sounding[{channel, data1}] = 0;
        }
      } else if (kind == 0xC0) {
        song.programs.insert(data1);
      }
    }
    if (!ended) song.problems.push_back("track " + std::to_string(t) + " has no end of track");
    for (const auto& [note, open] : sounding) {
      if (open > 0) {
        song.problems.push_back("note " + std::to_string(note.second) + " on channel " +
                                std::to_string(note.first) + " still sounds at end of track " +
                                std::to_string(t));
      }
    }
    song.endTick = std::max(song.endTick, tick);
    r.pos = end;
  }
  if (!r.Ok()) song.problems.push_back("file ends inside an event");
  return song;
}

double Seconds(const Song& song, std::uint32_t tick) {
  double seconds = 0.0;
  std::uint32_t at = 0, perQuarter = 500000;  // the format's default tempo
  for (const auto& [change, micros] : song.tempo) {
    if (change >= tick) break;
    seconds += static_cast<double>(change - at) * perQuarter / 1e6 / song.division;
    at = change;
    perQuarter = micros;
  }
  return seconds + static_cast<double>(tick - at) * perQuarter / 1e6 / song.division;
}

TEST(Music, MixerLoadsTheTune) {
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(22050, MIX_DEFAULT_FORMAT, 2, 1024), 0) << Mix_GetError();
  Mix_SetSoundFonts(SKYRINGS_SOUNDFONT);
  Mix_Music* music = Mix_LoadMUS(DataPath("bgm.mid").c_str());
  EXPECT_NE(music, nullptr) << Mix_GetError();
  if (music != nullptr) {
    EXPECT_EQ(Mix_GetMusicType(music), MUS_MID);
    Mix_FreeMusic(music);
  }
  Mix_CloseAudio();
  SDL_Quit();
}

TEST(Music, LengthAndLoopPoint) {
  const Song song = Parse(ReadBytes(DataPath("bgm.mid")));
  ASSERT_TRUE(song.problems.empty()) << song.problems.front();
  EXPECT_TRUE(song.format == 0 || song.format == 1);
  ASSERT_GT(song.division, 0) << "ticks per quarter note";
  const double seconds = Seconds(song, song.endTick);
  EXPECT_GE(seconds, 45.0);
  EXPECT_LE(seconds, 120.0);
  // The tune ends exactly on a bar line so that starting over keeps the beat.
  ASSERT_EQ(song.timeSignatures.size(), 1u);
  EXPECT_EQ(song.timeSignatures[0].first, 0u);
  const std::uint32_t bar =
      static_cast<std::uint32_t>(song.timeSignatures[0].second * song.division);
  EXPECT_EQ(song.endTick % bar, 0u) << "ends " << song.endTick % bar << " ticks into a bar";
}

TEST(Music, EveryNoteIsReleasedAndSeveralInstrumentsPlay) {
  const Song song = Parse(ReadBytes(DataPath("bgm.mid")));
  for (const std::string& problem : song.problems)
    ADD_FAILURE() << problem;
  EXPECT_GT(song.notes, 500);
  EXPECT_GE(song.channels.size(), 4u);
  EXPECT_TRUE(song.channels.count(9)) << "percussion on channel 10";
  EXPECT_GE(song.programs.size(), 3u);
}

TEST(Music, ReaderCatchesHangingNotesAndMissingEnds) {
  // The checks above rely on this reader; make sure it notices the faults it looks for.
  auto file = [](const std::string& track) {
    std::string header("MThd\0\0\0\x06\0\x01\0\x01\x01\xE0", 14);
    const auto n = static_cast<char>(track.size());
    return header + std::string("MTrk\0\0\0", 7) + n + track;
  };
  const std::string off("\x00\x90\x3C\x40\x83\x60\x80\x3C\x40\x00\xFF\x2F\x00", 13);
  const std::string hanging("\x00\x90\x3C\x40\x83\x60\xFF\x2F\x00", 9);
  const std::string zeroVelocity("\x00\x90\x3C\x40\x83\x60\x3C\x00\x00\xFF\x2F\x00", 12);
  const std::string noEnd("\x00\x90\x3C\x40\x83\x60\x80\x3C\x40", 9);
  EXPECT_TRUE(Parse(file(off)).problems.empty());
  EXPECT_TRUE(Parse(file(zeroVelocity)).problems.empty()) << "running status, velocity 0 is off";
  EXPECT_FALSE(Parse(file(hanging)).problems.empty());
  EXPECT_FALSE(Parse(file(noEnd)).problems.empty());
  EXPECT_DOUBLE_EQ(Seconds(Parse(file(off)), 480), 0.5) << "default tempo 120";
}

}  // namespace
}  // namespace skyrings_assets_test
