#pragma once
// The sound command strings (see interfaces/sound_port.h), read once for every sound port.
//
// Words are separated by spaces or tabs, and space around the command is ignored. Command words
// and alias names are matched without regard to case, as the command strings always were, so an
// alias is held in lower case. The file of "open FILE alias NAME" is everything between "open "
// and the last " alias ", as written: it may hold spaces, and even the word "alias".

#include <string>
#include <string_view>

#include "interfaces/status.h"

namespace skyrings {

struct SoundCommand {
  enum class Verb { kOpen, kPlay, kStop, kClose, kStatus };
  Verb verb = Verb::kOpen;
  std::string alias;  // lower case, one word
  std::string file;   // kOpen only
};

// Reads one command. Fails with the cause, e.g. "empty command" or "unknown command: rewind a";
// `out` is left as it was.
Status ParseSoundCommand(std::string_view text, SoundCommand& out);

}  // namespace skyrings
