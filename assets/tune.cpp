#include "tune.h"

#include <algorithm>
#include <array>
#include <vector>

#include "midi.h"

namespace assets {
namespace {

constexpr std::uint32_t kEighth = kTuneTicksPerQuarter / 2;
constexpr std::uint32_t kBar = kEighth * 8;

// General MIDI programs and channels.
constexpr int kFlute = 73, kStrings = 48, kHarp = 46, kBass = 33, kGlockenspiel = 9;
constexpr int kMelodyCh = 0, kPadCh = 1, kHarpCh = 2, kBassCh = 3, kBellCh = 4, kDrumCh = 9;
constexpr int kKick = 36, kSideStick = 37, kClosedHat = 42, kCrash = 49, kTambourine = 54;

// Notes of the melody's octave.
constexpr int G4 = 67, A4 = 69, B4 = 71, C5 = 72, D5 = 74, E5 = 76, F5 = 77, G5 = 79, A5 = 81,
              B5 = 83, C6 = 84, D6 = 86, kRest = -1;

struct Chord {
  int root;  // pitch class, C = 0
  bool minor;
};
constexpr Chord C{0, false}, Dm{2, true}, Em{4, true}, F{5, false}, G{7, false}, Am{9, true};

struct MelodyNote {
  int key;
  int eighths;
};
using Bar = std::vector<MelodyNote>;

enum class Section { kIntro, kVerse, kBridge };

struct Song {
  std::vector<Chord> chords;
  std::vector<Bar> melody;  // empty bars rest
  std::vector<Section> sections;
};

Song Compose() {
  const std::vector<Bar> verse = {{{E5, 2}, {G5, 2}, {C6, 3}, {B5, 1}},
                                  {{A5, 2}, {G5, 2}, {D5, 4}},
                                  {{E5, 2}, {A5, 2}, {C6, 2}, {B5, 1}, {A5, 1}},
                                  {{G5, 6}, {E5, 2}}};
  const std::vector<Bar> answer1 = {{{F5, 2}, {A5, 2}, {C6, 2}, {A5, 2}},
                                    {{G5, 2}, {E5, 2}, {C5, 2}, {E5, 2}},
                                    {{F5, 2}, {E5, 2}, {D5, 2}, {A5, 2}},
                                    {{G5, 6}, {kRest, 2}}};
  const std::vector<Bar> answer2 = {{{F5, 2}, {A5, 2}, {C6, 3}, {D6, 1}},
                                    {{B5, 2}, {D6, 2}, {B5, 2}, {G5, 2}},
                                    {{C6, 6}, {G5, 2}},
                                    {{E5, 2}, {G5, 2}, {C6, 4}}};
  const std::vector<Bar> bridge = {
      {{A5, 3}, {G5, 1}, {F5, 2}, {A5, 2}}, {{G5, 3}, {F5, 1}, {D5, 2}, {B4, 2}},
      {{E5, 3}, {D5, 1}, {E5, 2}, {G5, 2}}, {{A5, 6}, {kRest, 2}},
      {{C6, 3}, {B5, 1}, {A5, 2}, {F5, 2}}, {{D6, 3}, {C6, 1}, {B5, 2}, {G5, 2}},
      {{C6, 2}, {B5, 2}, {A5, 2}, {E5, 2}}, {{D5, 2}, {G5, 2}, {B5, 2}, {D6, 2}}};
  // The last phrase settles on the tonic and climbs back up into the opening bars.
  const std::vector<Bar> ending = {{{F5, 2}, {A5, 2}, {C6, 2}, {A5, 2}},
                                   {{G5, 2}, {B5, 2}, {D6, 2}, {B5, 2}},
                                   {{E5, 2}, {D5, 2}, {C5, 4}},
                                   {{kRest, 2}, {G4, 2}, {A4, 2}, {B4, 2}}};
  Song song;
  auto add = [&](std::vector<Chord> chords, std::vector<Bar> melody, Section section) {
    melody.resize(chords.size());
    for (std::size_t i = 0; i < chords.size(); ++i) {
      song.chords.push_back(chords[i]);
      song.melody.push_back(melody[i]);
      song.sections.push_back(section);
    }
  };
  auto join = [](std::vector<Bar> a, const std::vector<Bar>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  add({C, Am, F, G}, {}, Section::kIntro);
  add({C, G, Am, Em, F, C, Dm, G}, join(verse, answer1), Section::kVerse);
  add({C, G, Am, Em, F, G, C, C}, join(verse, answer2), Section::kVerse);
  add({F, G, Em, Am, F, G, Am, G}, bridge, Section::kBridge);
  add({C, G, Am, Em, F, G, C, G}, join(verse, ending), Section::kVerse);
  return song;
}

std::array<int, 3> ChordTones(Chord c) {
  return {c.root, (c.root + (c.minor ? 3 : 4)) % 12, (c.root + 7) % 12};
}

// The chord's tones between `low` (inclusive) and `high` (exclusive), ascending.
std::vector<int> Voicing(Chord c, int low, int high) {
  std::vector<int> keys;
  for (int k = low; k < high; ++k) {
    for (int pc : ChordTones(c)) {
      if (k % 12 == pc) keys.push_back(k);
    }
  }
  return keys;
}

}  // namespace

std::string MakeTune() {
  const Song song = Compose();
  const auto bars = static_cast<std::uint32_t>(song.chords.size());
  const std::uint32_t end = bars * kBar;

  MidiTrack conductor("Sky Rings");
  conductor.Tempo(0, kTuneTempo);
  conductor.TimeSignature(0, 4, 2);

  MidiTrack melody("Flute");
  MidiTrack pad("Strings");
  MidiTrack harp("Harp");
  MidiTrack bass("Bass");
  MidiTrack bells("Glockenspiel");
  MidiTrack drums("Drums");
  struct Setup {
    MidiTrack* track;
    int channel, program, volume, pan;
  };
  for (const Setup& s :
       {Setup{&melody, kMelodyCh, kFlute, 100, 64}, Setup{&pad, kPadCh, kStrings, 62, 40},
        Setup{&harp, kHarpCh, kHarp, 84, 88}, Setup{&bass, kBassCh, kBass, 100, 64},
        Setup{&bells, kBellCh, kGlockenspiel, 60, 96}, Setup{&drums, kDrumCh, 0, 80, 64}}) {
    if (s.channel != kDrumCh) s.track->Program(0, s.channel, s.program);
    s.track->Control(0, s.channel, 7, s.volume);
    s.track->Control(0, s.channel, 10, s.pan);
    s.track->Control(0, s.channel, 91, 56);
  }

  for (std::uint32_t bar = 0; bar < bars; ++bar) {
    const std::uint32_t t0 = bar * kBar;
    const Chord chord = song.chords[bar];
    const Section section = song.sections[bar];
    const int root = chord.root;

    // Melody, slightly detached.
    std::uint32_t at = t0;
    for (const MelodyNote& n : song.melody[bar]) {
      const std::uint32_t len = static_cast<std::uint32_t>(n.eighths) * kEighth;
      if (n.key != kRest) {
        const int accent = (at - t0) % (2 * kEighth) == 0 ? 96 : 84;
        melody.Note(at, len - len / 10, kMelodyCh, n.key, accent);
      }
      at += len;
    }

    // Sustained strings.
    for (int key : Voicing(chord, 55, 67))
      pad.Note(t0, kBar - 20, kPadCh, key, 50);

    // Harp: a rolling arpeggio up and back down.
    const std::vector<int> arp = Voicing(chord, 60, 80);
    const std::array<std::size_t, 8> pattern = {0, 1, 2, 3, 4, 3, 2, 1};
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      const std::size_t k = std::min(pattern[i], arp.size() - 1);
      const std::uint32_t start = t0 + static_cast<std::uint32_t>(i) * kEighth;
      // Notes ring into the next bar, but all are released by the end of the tune.
      const std::uint32_t ring = std::min<std::uint32_t>(2 * kEighth, end - start) - 10;
      harp.Note(start, ring, kHarpCh, arp[k], i % 2 == 0 ? 62 : 50);
    }

    // Bass: root, pickup, fifth, octave.
    const int low = 36 + root;
    const int fifth = 36 + (root + 7) % 12;
    bass.Note(t0, 3 * kEighth - 20, kBassCh, low, 92);
    bass.Note(t0 + 3 * kEighth, kEighth - 20, kBassCh, low, 72);
    bass.Note(t0 + 4 * kEighth, 2 * kEighth - 20, kBassCh, fifth, 84);
    bass.Note(t0 + 6 * kEighth, 2 * kEighth - 20, kBassCh, low + 12, 74);

    // Glockenspiel sparkles over the opening and the bridge.
    if (section != Section::kVerse) {
      const std::vector<int> high = Voicing(chord, 84, 98);
      const std::array<std::size_t, 4> steps = {2, 0, 1, 3};
      for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::size_t k = std::min(steps[i], high.size() - 1);
        bells.Note(t0 + static_cast<std::uint32_t>(i) * 2 * kEighth, 2 * kEighth - 20, kBellCh,
                   high[k], i == 0 ? 58 : 46);
      }
    }

    // Light percussion.
    for (std::uint32_t e = 0; e < 8; ++e) {
      drums.Note(t0 + e * kEighth, kEighth / 2, kDrumCh, kClosedHat, e % 2 == 0 ? 52 : 34);
    }
    drums.Note(t0, kEighth / 2, kDrumCh, kKick, 80);
    drums.Note(t0 + 4 * kEighth, kEighth / 2, kDrumCh, kKick, 70);
    if (section != Section::kIntro) {
      drums.Note(t0 + 2 * kEighth, kEighth / 2, kDrumCh, kSideStick, 60);
      drums.Note(t0 + 6 * kEighth, kEighth / 2, kDrumCh, kSideStick, 60);
      if (bar % 2 == 1) drums.Note(t0 + 5 * kEighth, kEighth / 2, kDrumCh, kKick, 56);
    }
    if (section == Section::kBridge) {
      for (std::uint32_t e = 1; e < 8; e += 2) {
        drums.Note(t0 + e * kEighth, kEighth / 2, kDrumCh, kTambourine, 40);
      }
    }
    const bool sectionStart = bar > 0 && song.sections[bar - 1] != section;
    if (sectionStart || (bar > 4 && (bar - 4) % 8 == 0)) {
      drums.Note(t0, 2 * kEighth, kDrumCh, kCrash, 64);
    }
  }

  std::vector<MidiTrack> tracks = {conductor, melody, pad, harp, bass, bells, drums};
  for (MidiTrack& t : tracks)
    t.End(end);
  return EncodeMidi(tracks, kTuneTicksPerQuarter);
}

}  // namespace assets
