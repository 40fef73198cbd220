#include "platform/headless/headless_sound.h"

#include <filesystem>

#include "platform/common/sound_command.h"

namespace skyrings {
namespace {

constexpr int kFailed = 263;  // "the alias is not open" / "cannot open"

}  // namespace

int HeadlessSound::SendCommand(const std::string& command, std::string* reply) {
  if (reply != nullptr) reply->clear();
  if (recordCommands_) commands_.push_back(command);
  SoundCommand parsed;
  if (!ParseSoundCommand(command, parsed)) return kFailed;

  if (parsed.verb == SoundCommand::Verb::kOpen) {
    if (channels_.count(parsed.alias) != 0) return kFailed;
    if (checkFiles_ && !std::filesystem::is_regular_file(parsed.file)) return kFailed;
    channels_[parsed.alias] = Channel{parsed.file, false};
    return 0;
  }
  const auto channel = channels_.find(parsed.alias);
  if (channel == channels_.end()) return kFailed;
  switch (parsed.verb) {
    case SoundCommand::Verb::kPlay:
      channel->second.playing = true;
      played_.push_back(parsed.alias);
      break;
    case SoundCommand::Verb::kStop:
      channel->second.playing = false;
      break;
    case SoundCommand::Verb::kClose:
      channels_.erase(channel);
      break;
    case SoundCommand::Verb::kStatus:
      if (reply != nullptr) *reply = channel->second.playing ? "playing" : "stopped";
      break;
    case SoundCommand::Verb::kOpen:
      break;
  }
  return 0;
}

void HeadlessSound::Finish(const std::string& alias) {
  const auto channel = channels_.find(alias);
  if (channel != channels_.end()) channel->second.playing = false;
}

bool HeadlessSound::IsPlaying(const std::string& alias) const {
  const auto channel = channels_.find(alias);
  return channel != channels_.end() && channel->second.playing;
}

std::vector<std::string> HeadlessSound::TakePlayed() {
  std::vector<std::string> played;
  played.swap(played_);
  return played;
}

}  // namespace skyrings
