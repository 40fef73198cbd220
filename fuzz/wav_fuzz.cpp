// Wave sounds (ok.wav, ring.wav, out.wav, cur.wav): the sound file check, and for what it accepts
// the decoding the mixer does when it opens a sound: SDL's wave reader on the same bytes, then
// the conversion to the output format the game opens (44100 Hz, 16-bit, stereo).

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_check.h"
#include "platform/mixer/sound_file_check.h"

namespace {

using skyrings::fuzz::Require;
namespace check = skyrings::sound_check;

void Decode(std::span<const std::uint8_t> bytes, const check::WaveInfo& info) {
  SDL_AudioSpec audio{};
  Uint8* samples = nullptr;
  Uint32 length = 0;
  SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  Require(source != nullptr, "SDL reads from memory");
  // SDL may still refuse what the check let through; the game then shows SDL's reason.
  if (SDL_LoadWAV_RW(source, 1, &audio, &samples, &length) == nullptr) return;
  Require(audio.channels == info.channels && static_cast<Uint32>(audio.freq) == info.sampleRate,
          "SDL reads the format the check read");

  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, audio.format, audio.channels, audio.freq, AUDIO_S16SYS, 2, 44100) >=
          0 &&
      cvt.needed) {
    cvt.len = static_cast<int>(length);
    const std::size_t room =
        static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult);
    cvt.buf = static_cast<Uint8*>(SDL_malloc(room));
    Require(cvt.buf != nullptr, "room for the converted samples");
    SDL_memcpy(cvt.buf, samples, length);
    Require(SDL_ConvertAudio(&cvt) == 0, "SDL converts what it read");
    Require(static_cast<std::size_t>(cvt.len_cvt) <= room, "conversion stays in its buffer");
    SDL_free(cvt.buf);
  }
  SDL_FreeWAV(samples);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  check::SoundKind kind = check::SoundKind::kUnknown;
  const skyrings::Status checked = check::CheckSoundFile(bytes, kind);
  if (!checked) {
    Require(checked.error().find('\n') == std::string::npos, "a refusal is one line");
    return 0;
  }
  if (kind != check::SoundKind::kWave) return 0;
  check::WaveInfo info;
  Require(check::CheckWave(bytes, &info).ok(), "the wave check agrees with the sniffer");
  Require(info.blockAlign > 0 && info.dataBytes > 0 && info.dataBytes % info.blockAlign == 0,
          "whole frames of samples");
  Require(info.dataBytes <= size && info.dataBytes <= check::kMaxWaveDataBytes,
          "the samples are inside the file and under the cap");
  Decode(bytes, info);
  return 0;
}
