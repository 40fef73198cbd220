#include "platform/mixer/mixer_sound_port.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <utility>

#include "platform/common/plain_file.h"
#include "platform/common/sound_command.h"
#include "platform/mixer/sound_file_check.h"

namespace skyrings {

namespace check = sound_check;

void MixerSoundPort::ChunkFree::operator()(Mix_Chunk* chunk) const {
  Mix_FreeChunk(chunk);
}
void MixerSoundPort::MusicFree::operator()(Mix_Music* music) const {
  Mix_FreeMusic(music);
}

MixerSoundPort::MixerSoundPort(MixerOptions options) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    lastError_ = std::string("no audio: ") + SDL_GetError();
    return;
  }
  subsystemUp_ = true;
  // A missing MIDI synthesiser only makes the tune fail to open.
  Mix_Init(MIX_INIT_MID);
  if (!options.soundFonts.empty()) Mix_SetSoundFonts(options.soundFonts.c_str());
  if (Mix_OpenAudioDevice(options.frequency, AUDIO_S16SYS, options.outputChannels,
                          options.bufferFrames, nullptr, 0) != 0) {
    lastError_ = std::string("no audio: ") + Mix_GetError();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp_ = false;
    return;
  }
  deviceOpen_ = true;
  int frequency = 0;
  Uint16 format = 0;
  int outputChannels = 0;
  if (Mix_QuerySpec(&frequency, &format, &outputChannels) == 1 && frequency > 0) {
    bufferMs_ = static_cast<std::uint64_t>(options.bufferFrames) * 1000u /
                static_cast<std::uint64_t>(frequency);
  }
  channelTaken_.assign(static_cast<std::size_t>(std::max(Mix_AllocateChannels(-1), 0)), false);
}

MixerSoundPort::~MixerSoundPort() {
  if (deviceOpen_) {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    aliases_.clear();
    Mix_CloseAudio();
    Mix_Quit();
  }
  if (subsystemUp_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SoundError MixerSoundPort::Fail(SoundError code, std::string why) {
  lastError_ = std::move(why);
  return code;
}

int MixerSoundPort::SendCommand(const std::string& command, std::string* reply) {
  if (reply) reply->clear();
  lastError_.clear();
  SoundCommand parsed;
  const skyrings::Status read = ParseSoundCommand(command, parsed);
  SoundError result = SoundError::kMalformed;
  std::string answer;
  if (!read) {
    result = Fail(SoundError::kMalformed, read.error());
  } else if (!deviceOpen_) {
    result = Fail(SoundError::kNoDevice, "no audio device");
  } else {
    switch (parsed.verb) {
      case SoundCommand::Verb::kOpen:
        result = Open(parsed.file, parsed.alias);
        break;
      case SoundCommand::Verb::kPlay:
        result = Play(parsed.alias);
        break;
      case SoundCommand::Verb::kStop:
        result = Stop(parsed.alias);
        break;
      case SoundCommand::Verb::kClose:
        result = Close(parsed.alias);
        break;
      case SoundCommand::Verb::kStatus:
        result = Status(parsed.alias, answer);
        break;
    }
  }
  if (result == SoundError::kNone && reply) *reply = std::move(answer);
  return static_cast<int>(result);
}

MixerSoundPort::Alias* MixerSoundPort::Find(const std::string& name) {
  const auto it = aliases_.find(name);
  return it == aliases_.end() ? nullptr : &it->second;
}

int MixerSoundPort::AcquireChannel() {
  const auto free = std::find(channelTaken_.begin(), channelTaken_.end(), false);
  if (free != channelTaken_.end()) {
    *free = true;
    return static_cast<int>(free - channelTaken_.begin());
  }
  const int wanted = static_cast<int>(channelTaken_.size()) + 8;
  if (Mix_AllocateChannels(wanted) != wanted) return -1;
  const int channel = static_cast<int>(channelTaken_.size());
  channelTaken_.resize(static_cast<std::size_t>(wanted), false);
  channelTaken_[static_cast<std::size_t>(channel)] = true;
  return channel;
}

void MixerSoundPort::ReleaseChannel(int channel) {
  if (channel >= 0 && static_cast<std::size_t>(channel) < channelTaken_.size()) {
    channelTaken_[static_cast<std::size_t>(channel)] = false;
  }
}

SoundError MixerSoundPort::Open(const std::string& file, const std::string& name) {
  if (Find(name)) return Fail(SoundError::kAliasInUse, "alias already open: " + name);
  Alias alias;
  ReadFailure failure = ReadFailure::kNone;
  if (skyrings::Status read = ReadPlainFile(file, check::kMaxSoundFileBytes, alias.bytes, &failure);
      !read) {
    return Fail(
        failure == ReadFailure::kTooLarge ? SoundError::kBadFile : SoundError::kFileUnreadable,
        read.error());
  }
  check::SoundKind kind = check::SoundKind::kUnknown;
  if (skyrings::Status checked = check::CheckSoundFile(AsBytes(alias.bytes), kind); !checked) {
    return Fail(SoundError::kBadFile, file + ": " + checked.error());
  }
  if (kind == check::SoundKind::kWave) {
    SDL_RWops* source =
        SDL_RWFromConstMem(alias.bytes.data(), static_cast<int>(alias.bytes.size()));
    if (!source) return Fail(SoundError::kBadFile, file + ": " + SDL_GetError());
    alias.chunk.reset(Mix_LoadWAV_RW(source, 1));
    if (!alias.chunk) return Fail(SoundError::kBadFile, file + ": " + Mix_GetError());
    // The samples are decoded into the chunk; the file's bytes are no longer needed.
    alias.bytes = {};
    alias.channel = AcquireChannel();
    if (alias.channel < 0) return Fail(SoundError::kNoChannel, "no mixer channel free");
  } else {
    SDL_RWops* source =
        SDL_RWFromConstMem(alias.bytes.data(), static_cast<int>(alias.bytes.size()));
    if (!source) return Fail(SoundError::kBadFile, file + ": " + SDL_GetError());
    alias.music.reset(Mix_LoadMUSType_RW(source, MUS_MID, 1));
    if (!alias.music) return Fail(SoundError::kBadFile, file + ": " + Mix_GetError());
    check::MidiInfo midi;
    // A tune longer than a day is left to the stream to end (and keeps the sums in range).
    if (check::CheckMidi(AsBytes(alias.bytes), &midi) && midi.seconds < 86400.0) {
      alias.musicSeconds = midi.seconds;
    }
  }
  aliases_.emplace(name, std::move(alias));
  return SoundError::kNone;
}

SoundError MixerSoundPort::Play(const std::string& name) {
  Alias* alias = Find(name);
  if (!alias) return Fail(SoundError::kUnknownAlias, "no such alias: " + name);
  if (alias->chunk) {
    // Starting a channel that is busy cuts what it plays and starts again from the beginning.
    if (Mix_PlayChannel(alias->channel, alias->chunk.get(), 0) < 0) {
      return Fail(SoundError::kPlayFailed, name + ": " + Mix_GetError());
    }
    return SoundError::kNone;
  }
  if (Mix_PlayMusic(alias->music.get(), 0) != 0) {
    musicOwner_.clear();
    return Fail(SoundError::kPlayFailed, name + ": " + Mix_GetError());
  }
  musicOwner_ = name;
  alias->startedMs = SDL_GetTicks64();
  return SoundError::kNone;
}

void MixerSoundPort::Halt(const std::string& name, Alias& alias) {
  if (alias.chunk) {
    Mix_HaltChannel(alias.channel);
  } else if (musicOwner_ == name) {
    Mix_HaltMusic();
    musicOwner_.clear();
  }
}

SoundError MixerSoundPort::Stop(const std::string& name) {
  Alias* alias = Find(name);
  if (!alias) return Fail(SoundError::kUnknownAlias, "no such alias: " + name);
  Halt(name, *alias);
  return SoundError::kNone;
}

SoundError MixerSoundPort::Close(const std::string& name) {
  Alias* alias = Find(name);
  if (!alias) return Fail(SoundError::kUnknownAlias, "no such alias: " + name);
  Halt(name, *alias);
  ReleaseChannel(alias->channel);
  aliases_.erase(name);
  return SoundError::kNone;
}

SoundError MixerSoundPort::Status(const std::string& name, std::string& reply) {
  Alias* alias = Find(name);
  if (!alias) return Fail(SoundError::kUnknownAlias, "no such alias: " + name);
  bool playing = false;
  if (alias->chunk) {
    playing = Mix_Playing(alias->channel) != 0;
  } else {
    playing = musicOwner_ == name && Mix_PlayingMusic() != 0;
    if (playing && alias->musicSeconds >= 0) {
      const auto lengthMs = static_cast<std::uint64_t>(alias->musicSeconds * 1000.0);
      playing = SDL_GetTicks64() - alias->startedMs < lengthMs + bufferMs_;
    }
  }
  reply = playing ? "playing" : "stopped";
  return SoundError::kNone;
}

}  // namespace skyrings
