#include "platform/common/sound_command.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace skyrings {
namespace {

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back()))
    text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsSpace(text[pos]))
      ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !IsSpace(text[pos]))
      ++pos;
    if (pos > start) words.push_back(text.substr(start, pos - start));
  }
  return words;
}

Status ParseOpen(std::string_view text, SoundCommand& out) {
  constexpr std::string_view kAlias = " alias ";
  // What follows "open" and the one space or tab after it.
  const std::string_view rest = text.size() > 5 ? text.substr(5) : std::string_view();
  const std::size_t at = Lower(rest).rfind(kAlias);
  if (at == std::string::npos || at == 0) return Status::Fail("open needs: open FILE alias NAME");
  const std::string_view name = rest.substr(at + kAlias.size());
  if (name.empty() || std::any_of(name.begin(), name.end(), IsSpace)) {
    return Status::Fail("open needs: open FILE alias NAME");
  }
  out = SoundCommand{SoundCommand::Verb::kOpen, Lower(name), std::string(rest.substr(0, at))};
  return Status::Ok();
}

}  // namespace

Status ParseSoundCommand(std::string_view command, SoundCommand& out) {
  const std::string_view text = Trim(command);
  const std::vector<std::string_view> words = Words(text);
  if (words.empty()) return Status::Fail("empty command");
  const std::string verb = Lower(words[0]);
  if (verb == "open") return ParseOpen(text, out);

  SoundCommand parsed;
  if (verb == "play" && words.size() == 4 && Lower(words[2]) == "from" && words[3] == "0") {
    parsed.verb = SoundCommand::Verb::kPlay;
  } else if (verb == "stop" && words.size() == 2) {
    parsed.verb = SoundCommand::Verb::kStop;
  } else if (verb == "close" && words.size() == 2) {
    parsed.verb = SoundCommand::Verb::kClose;
  } else if (verb == "status" && words.size() == 3 && Lower(words[2]) == "mode") {
    parsed.verb = SoundCommand::Verb::kStatus;
  } else {
    return Status::Fail("unknown command: " + std::string(text));
  }
  parsed.alias = Lower(words[1]);
  out = std::move(parsed);
  return Status::Ok();
}

}  // namespace skyrings
