#include "platform/headless/headless_sound.h"

#include <filesystem>
#include <string_view>

namespace skyrings {
namespace {

constexpr int kFailed = 263;  // "the alias is not open" / "cannot open"

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

int HeadlessSound::SendCommand(const std::string& command, std::string* reply) {
  if (reply != nullptr) reply->clear();
  if (recordCommands_) commands_.push_back(command);
  const std::string_view text(command);

  if (StartsWith(text, "open ")) {
    const std::size_t at = text.rfind(" alias ");
    if (at == std::string_view::npos || at < 5) return kFailed;
    const std::string file(text.substr(5, at - 5));
    const std::string alias(text.substr(at + 7));
    if (alias.empty() || channels_.count(alias) != 0) return kFailed;
    if (checkFiles_ && !std::filesystem::is_regular_file(file)) return kFailed;
    channels_[alias] = Channel{file, false};
    return 0;
  }

  // The other commands name an alias, with "from 0" or "mode" behind it for play and status.
  std::string_view verb = text.substr(0, text.find(' '));
  std::string_view alias = verb.size() < text.size() ? text.substr(verb.size() + 1) : "";
  if (verb == "play") {
    if (!EndsWith(alias, " from 0")) return kFailed;
    alias.remove_suffix(7);
  } else if (verb == "status") {
    if (!EndsWith(alias, " mode")) return kFailed;
    alias.remove_suffix(5);
  } else if (verb != "stop" && verb != "close") {
    return kFailed;
  }
  const auto channel = channels_.find(alias);
  if (channel == channels_.end()) return kFailed;

  if (verb == "play") {
    channel->second.playing = true;
    played_.emplace_back(alias);
  } else if (verb == "stop") {
    channel->second.playing = false;
  } else if (verb == "close") {
    channels_.erase(channel);
  } else if (reply != nullptr) {
    *reply = channel->second.playing ? "playing" : "stopped";
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
