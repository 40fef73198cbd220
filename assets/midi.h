#pragma once
// Standard MIDI files: tracks of timed events, written as format 1.

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

class MidiTrack {
 public:
  explicit MidiTrack(const std::string& name);

  void Tempo(std::uint32_t tick, double beatsPerMinute);
  void TimeSignature(std::uint32_t tick, int numerator, int denominatorPower);
  void Program(std::uint32_t tick, int channel, int program);
  void Control(std::uint32_t tick, int channel, int controller, int value);
  // A note from `start` for `length` ticks; its note-off comes before any event at the same tick.
  void Note(std::uint32_t start, std::uint32_t length, int channel, int key, int velocity);
  // The track ends at `tick` (and never before its last event).
  void End(std::uint32_t tick) { end_ = tick; }

  // The track chunk ("MTrk", length, delta-timed events, end of track).
  std::string Encode() const;

 private:
  struct Event {
    std::uint32_t tick;
    int order;  // at one tick: meta 0, note-off 1, set-up 2, note-on 3
    std::uint32_t sequence;
    std::string bytes;
  };
  void Add(std::uint32_t tick, int order, std::string bytes);

  std::vector<Event> events_;
  std::uint32_t end_ = 0;
};

// A format-1 file of `tracks` at `ticksPerQuarter`.
std::string EncodeMidi(const std::vector<MidiTrack>& tracks, int ticksPerQuarter);

// The variable-length quantity used for delta times and lengths.
std::string VarLen(std::uint32_t value);

}  // namespace assets
