#include "platform/mixer/mixer_sound_port.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <span>
#include <system_error>
#include <utility>

#include "platform/mixer/sound_file_check.h"

namespace skyrings {
namespace {

namespace check = sound_check;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string Trim(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsSpace(text[first]))
    ++first;
  while (last > first && IsSpace(text[last - 1]))
    --last;
  return text.substr(first, last - first);
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
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

bool ValidAliasName(const std::string& name) {
  return !name.empty() && std::none_of(name.begin(), name.end(), IsSpace);
}

// Reads a regular file whole, refusing anything larger than any sound file we accept.
SoundError ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::string& why) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    why = "not a readable file";
    return SoundError::kFileUnreadable;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = "cannot be opened";
    return SoundError::kFileUnreadable;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) {
    why = "cannot be read";
    return SoundError::kFileUnreadable;
  }
  if (static_cast<std::uint64_t>(size) > check::kMaxSoundFileBytes) {
    why = "file too large";
    return SoundError::kBadFile;
  }
  in.seekg(0, std::ios::beg);
  bytes.resize(static_cast<std::size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    why = "cannot be read";
    return SoundError::kFileUnreadable;
  }
  return SoundError::kNone;
}

Mix_MusicType MusicType(check::SoundKind kind) {
  switch (kind) {
    case check::SoundKind::kMidi:
      return MUS_MID;
    case check::SoundKind::kOgg:
      return MUS_OGG;
    case check::SoundKind::kFlac:
      return MUS_FLAC;
    case check::SoundKind::kMp3:
      return MUS_MP3;
    case check::SoundKind::kWave:
    case check::SoundKind::kUnknown:
      break;
  }
  return MUS_NONE;
}

}  // namespace

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
  // Decoders that are missing only make their files fail to open.
  Mix_Init(MIX_INIT_MID | MIX_INIT_OGG | MIX_INIT_FLAC | MIX_INIT_MP3);
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
  const std::string text = Trim(command);
  const std::vector<std::string> words = Words(text);
  SoundError result = SoundError::kMalformed;
  std::string answer;
  if (words.empty()) {
    result = Fail(SoundError::kMalformed, "empty command");
  } else if (!deviceOpen_) {
    result = Fail(SoundError::kNoDevice, "no audio device");
  } else {
    const std::string verb = Lower(words[0]);
    if (verb == "open") {
      // The file is everything between "open " and the last " alias ", so it may hold spaces.
      const std::string rest =
          text.size() > words[0].size() ? text.substr(words[0].size() + 1) : std::string();
      const std::size_t at = Lower(rest).rfind(" alias ");
      if (at == std::string::npos || at == 0) {
        result = Fail(SoundError::kMalformed, "open needs: open FILE alias NAME");
      } else {
        const std::string name = rest.substr(at + 7);
        if (!ValidAliasName(name)) {
          result = Fail(SoundError::kMalformed, "open needs: open FILE alias NAME");
        } else {
          result = Open(rest.substr(0, at), Lower(name));
        }
      }
    } else if (verb == "play" && words.size() == 4 && Lower(words[2]) == "from" &&
               words[3] == "0") {
      result = Play(Lower(words[1]));
    } else if (verb == "stop" && words.size() == 2) {
      result = Stop(Lower(words[1]));
    } else if (verb == "close" && words.size() == 2) {
      result = Close(Lower(words[1]));
    } else if (verb == "status" && words.size() == 3 && Lower(words[2]) == "mode") {
      result = Status(Lower(words[1]), answer);
    } else {
      result = Fail(SoundError::kMalformed, "unknown command: " + text);
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
  std::string why;
  if (const SoundError read = ReadWholeFile(file, alias.bytes, why); read != SoundError::kNone) {
    return Fail(read, file + ": " + why);
  }
  check::SoundKind kind = check::SoundKind::kUnknown;
  if (std::string problem = check::CheckSoundFile(alias.bytes, kind); !problem.empty()) {
    return Fail(SoundError::kBadFile, file + ": " + problem);
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
    alias.music.reset(Mix_LoadMUSType_RW(source, MusicType(kind), 1));
    if (!alias.music) return Fail(SoundError::kBadFile, file + ": " + Mix_GetError());
    check::MidiInfo midi;
    // A tune longer than a day is left to the stream to end (and keeps the sums in range).
    if (kind == check::SoundKind::kMidi && check::CheckMidi(alias.bytes, &midi).empty() &&
        midi.seconds < 86400.0) {
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
