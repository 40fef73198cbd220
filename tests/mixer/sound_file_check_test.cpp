// Header checks of sound files, on well-formed files and on damaged and hostile ones.

#include "platform/mixer/sound_file_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/mixer/sound_test_files.h"

namespace skyrings::sound_check {
namespace {

using Bytes = std::vector<std::uint8_t>;
using skyrings::testing::OneNoteMidi;
using skyrings::testing::PutBe;
using skyrings::testing::PutLe;
using skyrings::testing::PutTag;
using skyrings::testing::ToneWave;

void SetLe16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void SetLe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Offsets in the canonical 44-byte header that ToneWave writes.
constexpr std::size_t kFormatTag = 20, kChannels = 22, kRate = 24, kBlockAlign = 32, kBits = 34,
                      kDataSize = 40;

TEST(WaveCheck, AcceptsPlainAndPaddedWaves) {
  Bytes wave = ToneWave(440, 0.1, 22050);
  WaveInfo info;
  ASSERT_EQ(CheckWave(wave, &info).error(), "");
  EXPECT_EQ(info.formatTag, 1);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.sampleRate, 22050u);
  EXPECT_EQ(info.bitsPerSample, 16);
  EXPECT_EQ(info.dataBytes, 2205u * 2u);

  // A LIST chunk of odd size (padded) before the samples, and a half frame at the end.
  Bytes padded(wave.begin(), wave.begin() + 36);
  PutTag(padded, "LIST");
  PutLe(padded, 3, 4);
  padded.insert(padded.end(), {'a', 'b', 'c', 0});
  PutTag(padded, "data");
  PutLe(padded, 5, 4);
  padded.insert(padded.end(), {1, 2, 3, 4, 5});
  ASSERT_EQ(CheckWave(padded, &info).error(), "");
  EXPECT_EQ(info.dataBytes, 4u);

  SoundKind kind = SoundKind::kUnknown;
  EXPECT_EQ(CheckSoundFile(wave, kind).error(), "");
  EXPECT_EQ(kind, SoundKind::kWave);
}

TEST(WaveCheck, RejectsDamagedAndHostileHeaders) {
  const Bytes good = ToneWave(440, 0.05);
  const auto rejected = [&](auto change) {
    Bytes wave = good;
    change(wave);
    return !CheckWave(wave).ok();
  };
  EXPECT_TRUE(rejected([](Bytes& w) { w.resize(w.size() - 10); })) << "truncated samples";
  EXPECT_TRUE(rejected([](Bytes& w) { w.resize(30); })) << "truncated format chunk";
  EXPECT_TRUE(rejected([](Bytes& w) { w.resize(12); })) << "no chunks";
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe32(w, kDataSize, 0xFFFFFFF0u); })) << "absurd size";
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe32(w, kDataSize, 0); })) << "no samples";
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe16(w, kChannels, 0); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe16(w, kChannels, 200); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe32(w, kRate, 0); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe32(w, kRate, 0xFFFFFFFFu); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe16(w, kBits, 12); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe16(w, kBlockAlign, 0); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe16(w, kBlockAlign, 4096); }));
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe16(w, kFormatTag, 2); })) << "ADPCM is not accepted";
  EXPECT_TRUE(rejected([](Bytes& w) { SetLe32(w, 16, 0xFFFFFFFFu); })) << "huge format chunk";
  EXPECT_TRUE(rejected([](Bytes& w) { w[12] = 'x'; })) << "no format chunk";
  EXPECT_TRUE(rejected([](Bytes& w) { w[8] = 'X'; })) << "not WAVE";

  // A long wave at a low rate would take hundreds of times its size once the mixer converts it.
  EXPECT_EQ(CheckWave(ToneWave(440, 89, 1000)).error(), "");
  EXPECT_EQ(CheckWave(ToneWave(440, 91, 1000)).error(), "sound longer than 90 seconds");
  Bytes longMuLaw = ToneWave(440, 0.05);
  SetLe16(longMuLaw, kFormatTag, 7);  // 8-bit mu-law: one byte a frame
  SetLe16(longMuLaw, kBits, 8);
  SetLe16(longMuLaw, kBlockAlign, 1);
  SetLe32(longMuLaw, kRate, 1000);
  longMuLaw.resize(44 + 95000);
  SetLe32(longMuLaw, kDataSize, 95000);
  EXPECT_EQ(CheckWave(longMuLaw).error(), "sound longer than 90 seconds");

  // Samples before the format are refused.
  Bytes swapped;
  PutTag(swapped, "RIFF");
  PutLe(swapped, 0, 4);
  PutTag(swapped, "WAVE");
  swapped.insert(swapped.end(), good.begin() + 36, good.end());
  swapped.insert(swapped.end(), good.begin() + 12, good.begin() + 36);
  EXPECT_FALSE(CheckWave(swapped).ok());
}

TEST(MidiCheck, AcceptsWellFormedFiles) {
  MidiInfo info;
  ASSERT_EQ(CheckMidi(OneNoteMidi(), &info).error(), "");
  EXPECT_EQ(info.format, 0);
  EXPECT_EQ(info.tracks, 1);
  EXPECT_EQ(info.division, 480);
  EXPECT_NEAR(info.seconds, 0.25, 1e-9);

  // Format 1, two tracks, running status, a system exclusive event, an unknown chunk between
  // the tracks and no end-of-track event in the last one.
  Bytes midi;
  PutTag(midi, "MThd");
  PutBe(midi, 6, 4);
  PutBe(midi, 1, 2);
  PutBe(midi, 2, 2);
  PutBe(midi, 96, 2);
  const Bytes first = {0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xFF, 0x2F, 0x00};
  const Bytes second = {0x00, 0x90, 60, 100, 0x60, 64, 100, 0x81, 0x00, 60, 0, 0x00, 64, 0};
  PutTag(midi, "MTrk");
  PutBe(midi, static_cast<std::uint32_t>(first.size()), 4);
  midi.insert(midi.end(), first.begin(), first.end());
  PutTag(midi, "XFIH");
  PutBe(midi, 2, 4);
  midi.insert(midi.end(), {0, 0});
  PutTag(midi, "MTrk");
  PutBe(midi, static_cast<std::uint32_t>(second.size()), 4);
  midi.insert(midi.end(), second.begin(), second.end());
  EXPECT_EQ(CheckMidi(midi, &info).error(), "");
  EXPECT_EQ(info.tracks, 2);
  EXPECT_NEAR(info.seconds, 0.5 * (96 + 128) / 96, 1e-9) << "the longer track sets the length";

  // A tempo change in the first track of a multi-track file sets the pace of the others.
  Bytes paced = midi;
  const Bytes faster = {0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0xFF, 0x2F, 0x00};
  const std::size_t firstEnd = 22 + first.size();
  paced.erase(paced.begin() + static_cast<std::ptrdiff_t>(firstEnd) - 4,
              paced.begin() + static_cast<std::ptrdiff_t>(firstEnd));
  paced.insert(paced.begin() + static_cast<std::ptrdiff_t>(firstEnd) - 4, faster.begin(),
               faster.end());
  paced[21] = static_cast<std::uint8_t>(first.size() - 4 + faster.size());
  ASSERT_EQ(CheckMidi(paced, &info).error(), "");
  // 96 ticks at 500000 us a beat, then 128 ticks at 250000.
  EXPECT_NEAR(info.seconds, 0.5 + 0.25 * 128 / 96, 1e-9);

  SoundKind kind = SoundKind::kUnknown;
  EXPECT_EQ(CheckSoundFile(midi, kind).error(), "");
  EXPECT_EQ(kind, SoundKind::kMidi);
}

TEST(MidiCheck, RejectsDamagedAndHostileFiles) {
  const Bytes good = OneNoteMidi();
  const std::size_t track = 22;  // first byte of the track's events
  const auto rejected = [&](auto change) {
    Bytes midi = good;
    change(midi);
    return !CheckMidi(midi).ok();
  };
  EXPECT_TRUE(rejected([](Bytes& m) { m.resize(m.size() - 3); })) << "truncated track";
  EXPECT_TRUE(rejected([](Bytes& m) { m.resize(14); })) << "no track";
  EXPECT_TRUE(rejected([](Bytes& m) { m[7] = 200; })) << "header longer than the file";
  EXPECT_TRUE(rejected([](Bytes& m) { m[9] = 3; })) << "unknown format";
  EXPECT_TRUE(rejected([](Bytes& m) { m[11] = 2; })) << "format 0 with two tracks";
  EXPECT_TRUE(rejected([](Bytes& m) { m[9] = 1, m[10] = 0xFF, m[11] = 0xFF; })) << "track count";
  EXPECT_TRUE(rejected([](Bytes& m) { m[12] = 0, m[13] = 0; })) << "zero division";
  EXPECT_TRUE(rejected([](Bytes& m) { m[12] = 0xF0, m[13] = 4; })) << "bad SMPTE rate";
  EXPECT_TRUE(rejected([](Bytes& m) { m[18] = 0x7F, m[19] = 0xFF; })) << "huge track";
  EXPECT_TRUE(rejected([&](Bytes& m) {
    m[track] = 0x80, m[track + 1] = 0x80, m[track + 2] = 0x80, m[track + 3] = 0x80;
  })) << "endless delta time";
  EXPECT_TRUE(rejected([&](Bytes& m) { m[track + 1] = 0x40; })) << "data without status";
  EXPECT_TRUE(rejected([&](Bytes& m) { m[track + 3] = 0x7F; })) << "meta longer than track";
  EXPECT_TRUE(rejected([&](Bytes& m) { m[track + 4] = 0, m[track + 5] = 0, m[track + 6] = 0; }))
      << "zero tempo";
  EXPECT_TRUE(rejected([&](Bytes& m) { m[track + 8] = 0xF8; })) << "real-time byte";
  EXPECT_TRUE(rejected([&](Bytes& m) { m[track + 12] = 0x80; })) << "status byte as data";
}

TEST(SoundFileCheck, TakesOnlyWhatTheGamePlaysByContent) {
  SoundKind kind = SoundKind::kWave;
  EXPECT_EQ(CheckSoundFile(Bytes{}, kind).error(), "not a wave or MIDI file");
  EXPECT_FALSE(CheckSoundFile(Bytes(100, 0x5A), kind).ok());
  EXPECT_EQ(kind, SoundKind::kWave) << "kind is left alone on failure";

  // Other sound formats are not the game's: whatever their name, they are refused by content.
  for (const Bytes& other : {Bytes{'O', 'g', 'g', 'S', 0, 2, 0, 0}, Bytes{'f', 'L', 'a', 'C'},
                             Bytes{'I', 'D', '3', 4}, Bytes{0xFF, 0xFB, 0x90, 0x00}}) {
    EXPECT_EQ(Sniff(other), SoundKind::kUnknown);
    EXPECT_EQ(CheckSoundFile(other, kind).error(), "not a wave or MIDI file");
  }

  Bytes bigMidi = OneNoteMidi();
  bigMidi.resize(kMaxMusicFileBytes + 1, 0);
  EXPECT_EQ(CheckSoundFile(bigMidi, kind).error(), "file too large");
}

// Random damage to valid files must only ever be accepted or refused, and whatever is accepted
// must keep its promises: sample data inside the file and under the cap.
TEST(SoundFileCheck, RandomDamageNeverBreaksTheChecks) {
  std::mt19937 random(20261207);
  const std::vector<Bytes> seeds = {ToneWave(440, 0.01), OneNoteMidi()};
  int refused = 0;
  for (int round = 0; round < 4000; ++round) {
    Bytes bytes = seeds[static_cast<std::size_t>(round) % seeds.size()];
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % std::min<std::size_t>(bytes.size(), 64);
      switch (random() % 3) {
        case 0:
          bytes[at] = static_cast<std::uint8_t>(random());
          break;
        case 1:
          bytes.resize(at + 1);
          break;
        default:
          bytes[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
      }
    }
    SoundKind kind = SoundKind::kUnknown;
    if (!CheckSoundFile(bytes, kind).ok()) {
      ++refused;
      continue;
    }
    if (kind == SoundKind::kWave) {
      WaveInfo info;
      ASSERT_EQ(CheckWave(bytes, &info).error(), "");
      EXPECT_LE(info.dataBytes, bytes.size() - 44);
      EXPECT_EQ(info.dataBytes % info.blockAlign, 0u);
    }
  }
  EXPECT_GT(refused, 1000) << "the damage should be caught often";
}

}  // namespace
}  // namespace skyrings::sound_check
