#include "midi.h"

#include <algorithm>
#include <cmath>

namespace assets {
namespace {

char B(int v) {
  return static_cast<char>(static_cast<unsigned char>(v & 0xFF));
}

void PutBE(std::string& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i)
    out.push_back(B(static_cast<int>(value >> (8 * i))));
}

}  // namespace

std::string VarLen(std::uint32_t value) {
  std::string out(1, B(static_cast<int>(value & 0x7F)));
  while ((value >>= 7) != 0)
    out.insert(out.begin(), B(static_cast<int>(0x80 | (value & 0x7F))));
  return out;
}

MidiTrack::MidiTrack(const std::string& name) {
  Add(0, 0, std::string{B(0xFF), B(0x03)} + VarLen(static_cast<std::uint32_t>(name.size())) + name);
}

void MidiTrack::Add(std::uint32_t tick, int order, std::string bytes) {
  events_.push_back({tick, order, static_cast<std::uint32_t>(events_.size()), std::move(bytes)});
  end_ = std::max(end_, tick);
}

void MidiTrack::Tempo(std::uint32_t tick, double beatsPerMinute) {
  const auto micros = static_cast<std::uint32_t>(std::lround(60000000.0 / beatsPerMinute));
  std::string e{B(0xFF), B(0x51), B(0x03)};
  PutBE(e, micros, 3);
  Add(tick, 0, e);
}

void MidiTrack::TimeSignature(std::uint32_t tick, int numerator, int denominatorPower) {
  Add(tick, 0, {B(0xFF), B(0x58), B(0x04), B(numerator), B(denominatorPower), B(24), B(8)});
}

void MidiTrack::Program(std::uint32_t tick, int channel, int program) {
  Add(tick, 2, {B(0xC0 | channel), B(program)});
}

void MidiTrack::Control(std::uint32_t tick, int channel, int controller, int value) {
  Add(tick, 2, {B(0xB0 | channel), B(controller), B(value)});
}

void MidiTrack::Note(std::uint32_t start, std::uint32_t length, int channel, int key,
                     int velocity) {
  Add(start, 3, {B(0x90 | channel), B(key), B(std::clamp(velocity, 1, 127))});
  Add(start + std::max<std::uint32_t>(length, 1), 1, {B(0x80 | channel), B(key), B(64)});
}

std::string MidiTrack::Encode() const {
  std::vector<Event> sorted = events_;
  std::sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    if (a.order != b.order) return a.order < b.order;
    return a.sequence < b.sequence;
  });
  std::string body;
  std::uint32_t now = 0;
  for (const Event& e : sorted) {
    body += VarLen(e.tick - now);
    body += e.bytes;
    now = e.tick;
  }
  body += VarLen(end_ - now);
  body += std::string{B(0xFF), B(0x2F), B(0x00)};
  std::string out = "MTrk";
  PutBE(out, static_cast<std::uint32_t>(body.size()), 4);
  return out + body;
}

std::string EncodeMidi(const std::vector<MidiTrack>& tracks, int ticksPerQuarter) {
  std::string out = "MThd";
  PutBE(out, 6, 4);
  PutBE(out, 1, 2);
  PutBE(out, static_cast<std::uint32_t>(tracks.size()), 2);
  PutBE(out, static_cast<std::uint32_t>(ticksPerQuarter), 2);
  for (const MidiTrack& t : tracks)
    out += t.Encode();
  return out;
}

}  // namespace assets
