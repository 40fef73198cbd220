#pragma once
// The sound command-string port. Commands (texts joined exactly as shown):
//   "open FILE alias NAME"   open FILE (everything between "open " and the last " alias ") as NAME
//   "play NAME from 0"       play NAME from its beginning; returns at once
//   "stop NAME"              stop NAME; it stays open
//   "close NAME"             close NAME
//   "status NAME mode"       reply "playing" or "stopped"
// A command on an alias that is not open fails. Statuses are reported but the game ignores them.

#include <string>

namespace skyrings {

class SoundPort {
 public:
  virtual ~SoundPort() = default;
  // Sends one command. Returns 0 on success and a non-zero error code on failure. When `reply`
  // is given it receives the command's answer (empty on failure).
  virtual int SendCommand(const std::string& command, std::string* reply) = 0;
};

}  // namespace skyrings
