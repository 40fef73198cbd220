#pragma once
// The sound command port over SDL2_mixer.
//
// The port plays what the game ships: wave effects and a MIDI tune. Wave files are decoded once at
// open into samples, and each wave alias plays on a mixer channel of its own, so different aliases
// sound together and replaying one alias restarts only it. A MIDI file is loaded once at open into
// a music stream; the mixer has a single music stream, so starting one music alias stops any
// other. MIDI is synthesised with the General MIDI soundfont given in the options. The synthesiser
// keeps its stream running for a few seconds after a tune's last note so the notes can ring out; a
// MIDI alias therefore reports "stopped" once the tune's own playing time (read from the file) has
// passed, so that a caller that plays it again on "stopped" loops it without a gap.
//
// Commands are read by the platform layers' one parser (platform/common/sound_command.h). Every
// file is read whole and its headers are checked (sound_file_check.h) before a decoder sees it. A
// failed command returns one of the non-zero SoundError codes and changes nothing. Without an
// audio device the port still constructs and every well-formed command fails with kNoDevice.
//
// The mixer is a process-wide library: create at most one MixerSoundPort at a time, and use it
// from one thread.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "interfaces/sound_port.h"

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace skyrings {

enum class SoundError : int {
  kNone = 0,
  kMalformed = 1,       // the command text is not one of the known commands
  kNoDevice = 2,        // no audio output could be opened
  kUnknownAlias = 3,    // no alias of that name is open
  kAliasInUse = 4,      // open names an alias that is already open
  kFileUnreadable = 5,  // missing, not a regular file, or unreadable
  kBadFile = 6,         // too large, or rejected by the checks or the decoder
  kPlayFailed = 7,      // the mixer refused to start the sound
  kNoChannel = 8,       // no mixer channel could be allocated
};

struct MixerOptions {
  // Soundfont(s) for MIDI, separated by ';' as the mixer expects. Empty keeps the mixer's default.
  std::string soundFonts = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  int frequency = 44100;
  int outputChannels = 2;
  // Frames per device buffer: the main part of the delay from a play command to the speaker.
  int bufferFrames = 512;
};

class MixerSoundPort final : public SoundPort {
 public:
  explicit MixerSoundPort(MixerOptions options = {});
  ~MixerSoundPort() override;
  MixerSoundPort(const MixerSoundPort&) = delete;
  MixerSoundPort& operator=(const MixerSoundPort&) = delete;

  int SendCommand(const std::string& command, std::string* reply) override;

  // Whether an audio device was opened; without one every command fails.
  bool HasDevice() const { return deviceOpen_; }
  // Why the last failed command (or the device) failed; empty after a success.
  const std::string& LastError() const { return lastError_; }

 private:
  struct ChunkFree {
    void operator()(Mix_Chunk* chunk) const;
  };
  struct MusicFree {
    void operator()(Mix_Music* music) const;
  };
  struct Alias {
    // The music stream may read its file's bytes for as long as it lives, so they are kept, and
    // declared first so they are released last.
    std::string bytes;
    std::unique_ptr<Mix_Chunk, ChunkFree> chunk;
    std::unique_ptr<Mix_Music, MusicFree> music;
    int channel = -1;
    // Playing time of a MIDI tune, or negative when the stream itself tells when it ends.
    double musicSeconds = -1;
    std::uint64_t startedMs = 0;
  };

  SoundError Open(const std::string& file, const std::string& name);
  SoundError Play(const std::string& name);
  SoundError Stop(const std::string& name);
  SoundError Close(const std::string& name);
  SoundError Status(const std::string& name, std::string& reply);
  Alias* Find(const std::string& name);
  int AcquireChannel();
  void ReleaseChannel(int channel);
  void Halt(const std::string& name, Alias& alias);
  SoundError Fail(SoundError code, std::string why);

  bool deviceOpen_ = false;
  // Time from a play command to its first sound reaching the device: one device buffer.
  std::uint64_t bufferMs_ = 0;
  bool subsystemUp_ = false;
  std::map<std::string, Alias> aliases_;
  std::vector<bool> channelTaken_;
  // The alias whose music was started last: the only one that can be "playing" music.
  std::string musicOwner_;
  std::string lastError_;
};

}  // namespace skyrings
