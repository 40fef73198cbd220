#pragma once
// Sound channels that make no sound: they read the command strings as the real port does (one
// parser, platform/common/sound_command.h; aliases without regard to case), keep each alias's
// state, and remember what was played. A played sound goes on "playing" until it is stopped or a
// test says it has come to its end.

#include <map>
#include <string>
#include <vector>

#include "interfaces/sound_port.h"

namespace skyrings {

class HeadlessSound : public SoundPort {
 public:
  // When `checkFiles` is set, opening a file that does not exist fails, as a real device's would.
  explicit HeadlessSound(bool checkFiles = false) : checkFiles_(checkFiles) {}

  int SendCommand(const std::string& command, std::string* reply) override;

  // The sound on `alias` has played to its end.
  void Finish(const std::string& alias);
  bool IsOpen(const std::string& alias) const { return channels_.count(alias) != 0; }
  bool IsPlaying(const std::string& alias) const;
  const std::string& FileOf(const std::string& alias) const { return channels_.at(alias).file; }

  // Every command sent, in order (when recording).
  const std::vector<std::string>& commands() const { return commands_; }
  void RecordCommands(bool record) { recordCommands_ = record; }
  void ClearCommands() { commands_.clear(); }
  // The aliases of every successful play command since the last call, in order.
  std::vector<std::string> TakePlayed();

 private:
  struct Channel {
    std::string file;
    bool playing = false;
  };
  bool checkFiles_;
  bool recordCommands_ = true;
  std::map<std::string, Channel, std::less<>> channels_;
  std::vector<std::string> commands_;
  std::vector<std::string> played_;
};

}  // namespace skyrings
