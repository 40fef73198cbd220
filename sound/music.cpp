#include "sound/music.h"

#include "interfaces/status.h"

namespace skyrings {
namespace {

// Every sound lives on a channel of its own, "audiofile" followed by its name.
std::string Alias(const std::string& name) {
  return "audiofile" + name;
}

void Send(Music& music, const std::string& command) {
  (void)music.port.SendCommand(command, nullptr);  // the status is never looked at
}

// The first slot from 0 up to soundCount whose name is exactly `name`, or -1.
int Lookup(const Music& music, const std::string& name) {
  for (int slot = 0; slot <= music.soundCount; ++slot) {
    if (music.soundNames[slot] == name) return slot;
  }
  return -1;
}

}  // namespace

void Open_Sound(Music& music, const std::string& file, const std::string& name) {
  Send(music, "stop " + Alias(name));
  Send(music, "close " + Alias(name));
  Send(music, "open " + file + " alias " + Alias(name));
  int slot = Lookup(music, name);
  if (slot < 0) {
    if (music.soundCount + 1 >= kSoundSlots) throw RunTimeError("Subscript out of range");
    music.soundCount += 1;
    slot = music.soundCount;
    music.soundNames[slot] = name;
  }
  music.soundLoop[slot] = 0;
}

// Only names registered at start-up are ever played or stopped; an unknown name still sends its
// command (which the platform rejects) but changes no flag.
void Play_Sound(Music& music, const std::string& name, bool loop) {
  const int slot = Lookup(music, name);
  if (slot >= 0) music.soundLoop[slot] = loop ? -1 : 0;
  Send(music, "play " + Alias(name) + " from 0");
}

void Stop_Sound(Music& music, const std::string& name) {
  const int slot = Lookup(music, name);
  if (slot >= 0) music.soundLoop[slot] = 0;
  Send(music, "stop " + Alias(name));
}

void Keep_Looping(Music& music) {
  for (int slot = 0; slot <= music.soundCount; ++slot) {
    if (music.soundLoop[slot] == 0) continue;
    const std::string& name = music.soundNames[slot];
    std::string reply;
    (void)music.port.SendCommand("status " + Alias(name) + " mode", &reply);
    // The reply buffer holds 16 characters: at most 15 of text before its closing NUL.
    if (reply.size() > 15) reply.resize(15);
    if (reply == "stopped") Send(music, "play " + Alias(name) + " from 0");
  }
}

}  // namespace skyrings
