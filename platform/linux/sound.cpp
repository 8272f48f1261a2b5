// Wave output and sounds.
//
// Implemented:
//   waveOutGetNumDevs  the number of SDL2 audio output devices; 0 when SDL's
//                      audio cannot be started. A driver that cannot list its
//                      devices but starts has its one default device.
//   PlaySoundA  WAVE sounds from a RIFF image in memory (SND_MEMORY) or a file
//               (SND_FILENAME), in the formats that SDL2 decodes: PCM of 8,
//               16, 24 or 32 bits, 32-bit IEEE float, IMA ADPCM, MS ADPCM,
//               mu-law and A-law, plain or WAVE_FORMAT_EXTENSIBLE, at any
//               rate and channel count that SDL converts; played on SDL2's
//               default audio output, which opens on the first play and then
//               stays open. SND_ASYNC returns at once; without it the call
//               waits for the sound's end. A new sound stops the one playing,
//               unless SND_NOSTOP is given: then the call fails while one
//               plays. A NULL sound (the SND_PURGE form) stops whatever plays.
//               The sound is decoded into the layer's own buffer before the
//               call returns, so the caller may free its image at once.
//               An image that is not such a sound, or is malformed, fails with
//               FALSE and plays nothing; so does a missing audio device. As on
//               Windows, an image in memory comes without its length: the
//               layer reads 8 + the size in its RIFF header and not a byte
//               more, so the caller must make sure that many bytes are there.
//               As on Windows, the format chunk must come before the data
//               chunk; a data chunk that runs past the RIFF end is cut there.
// Not implemented: SND_LOOP, SND_ALIAS, SND_RESOURCE and every other flag
//               (reported as unsupported), stopping one named sound (SND_PURGE
//               with a sound), the module argument (ignored), formats that
//               need a codec beyond those above (they fail), the default
//               sound: it never plays, so SND_NODEFAULT changes nothing.
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"

UINT WINAPI waveOutGetNumDevs(void) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  int count = SDL_GetNumAudioDevices(0);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return count < 0 ? 1u : UINT(count);
}

namespace {

const DWORD kKnownFlags =
    SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_NOSTOP | SND_PURGE | SND_FILENAME;

uint32_t Read32(const Uint8* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The bytes of the RIFF image that may be read: 8 + its RIFF size, no more
// than `available`. 0 when the image does not start with "RIFF".
size_t ReadableLength(const Uint8* image, uint64_t available) {
  if (available < 8 || std::memcmp(image, "RIFF", 4) != 0) return 0;
  const uint64_t length = std::min<uint64_t>(available, 8 + uint64_t(Read32(image + 4)));
  // SDL's memory streams count in int.
  return length > uint64_t(INT_MAX) ? 0 : size_t(length);
}

// A sound decoded by SDL, with the sample format, channels and rate it reports.
struct DecodedWave {
  DecodedWave() = default;
  DecodedWave(const DecodedWave&) = delete;
  DecodedWave& operator=(const DecodedWave&) = delete;
  ~DecodedWave() { SDL_FreeWAV(samples); }
  SDL_AudioSpec audio{};
  Uint8* samples = nullptr;
  Uint32 size = 0;
};

// Decodes the WAVE image in image[0, length) through a stream that ends there.
bool Decode(const Uint8* image, size_t length, DecodedWave* wave) {
  SDL_RWops* stream = SDL_RWFromConstMem(image, int(length));
  if (stream == nullptr) return false;
  if (SDL_LoadWAV_RW(stream, 1, &wave->audio, &wave->samples, &wave->size) == nullptr) return false;
  const unsigned frame = wave->audio.channels * SDL_AUDIO_BITSIZE(wave->audio.format) / 8;
  return frame > 0 && wave->size >= frame;
}

bool ReadWholeFile(const char* name, std::vector<Uint8>* bytes) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The one sound output of the process.
struct Player {
  std::mutex calls;  // one PlaySoundA at a time opens, starts and stops
  SDL_AudioDeviceID device = 0;
  SDL_AudioSpec format{};
  // Shared with the callback, so touched only under SDL's lock of the device.
  std::vector<Uint8> sound;  // in the device's format
  size_t position = 0;       // the sound still plays while this is short of its end
  unsigned long plays = 0;   // tells a waiting call that its sound was replaced
};

// Never destroyed: SDL's audio thread may run the callback until the process
// ends.
Player& ThePlayer() {
  static Player* player = new Player;
  return *player;
}

// Runs on SDL's audio thread, which holds the device's lock.
void SDLCALL FillOutput(void* userdata, Uint8* output, int length) {
  Player* player = static_cast<Player*>(userdata);
  size_t count = std::min(size_t(length), player->sound.size() - player->position);
  std::copy_n(player->sound.data() + player->position, count, output);
  std::fill_n(output + count, size_t(length) - count, player->format.silence);
  player->position += count;
}

bool OpenDevice(Player& player) {
  if (player.device != 0) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec wanted{};
  wanted.freq = 44100;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = FillOutput;
  wanted.userdata = &player;
  player.device =
      SDL_OpenAudioDevice(nullptr, 0, &wanted, &player.format, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (player.device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  // The device runs from now on; with nothing to play it plays silence.
  SDL_PauseAudioDevice(player.device, 0);
  return true;
}

// SDL_ConvertAudio rather than an audio stream: in SDL 2.26 a stream that
// changes the rate loses the end of the sound.
bool Convert(const DecodedWave& wave, const SDL_AudioSpec& device, std::vector<Uint8>* out) {
  SDL_AudioCVT cvt;
  const unsigned frame = wave.audio.channels * SDL_AUDIO_BITSIZE(wave.audio.format) / 8;
  const uint64_t size = wave.size - wave.size % frame;
  if (SDL_BuildAudioCVT(&cvt, wave.audio.format, wave.audio.channels, wave.audio.freq,
                        device.format, device.channels, device.freq) < 0 ||
      size * uint64_t(cvt.len_mult) > uint64_t(INT_MAX)) {
    return false;
  }
  cvt.len = int(size);
  out->resize(size_t(cvt.len) * size_t(cvt.len_mult));
  std::memcpy(out->data(), wave.samples, size_t(size));
  cvt.buf = out->data();
  if (SDL_ConvertAudio(&cvt) != 0) return false;
  out->resize(size_t(cvt.len_cvt));
  return !out->empty();
}

// Puts `next` in place of the sound playing, which `next` then holds, so that
// its memory is released outside the lock. Gives the number of this play.
unsigned long Replace(Player& player, std::vector<Uint8>* next) {
  if (player.device == 0) return player.plays;
  SDL_LockAudioDevice(player.device);
  player.sound.swap(*next);
  player.position = 0;
  unsigned long number = ++player.plays;
  SDL_UnlockAudioDevice(player.device);
  return number;
}

bool StillPlaying(Player& player, unsigned long number) {
  if (player.device == 0) return false;
  SDL_LockAudioDevice(player.device);
  bool playing = player.plays == number && player.position < player.sound.size();
  SDL_UnlockAudioDevice(player.device);
  return playing;
}

}  // namespace

BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE, DWORD flags) {
  if ((flags & ~kKnownFlags) != 0) {
    PlatformUnsupported("PlaySoundA",
                        "a flag beyond SND_ASYNC, SND_NODEFAULT, SND_MEMORY, "
                        "SND_NOSTOP, SND_PURGE and SND_FILENAME");
  }
  Player& player = ThePlayer();
  if (sound == nullptr) {
    std::lock_guard<std::mutex> lock(player.calls);
    std::vector<Uint8> none;
    Replace(player, &none);
    return TRUE;
  }
  if ((flags & SND_PURGE) != 0) {
    PlatformUnsupported("PlaySoundA", "stopping one named sound (SND_PURGE with a sound)");
  }
  const bool inMemory = (flags & SND_MEMORY) != 0;
  if (inMemory == ((flags & SND_FILENAME) != 0)) {
    PlatformUnsupported("PlaySoundA", "a sound that is neither an image in memory nor a file");
  }

  std::vector<Uint8> file;
  const Uint8* image = reinterpret_cast<const Uint8*>(sound);
  // Windows is not told the size of an image in memory either: its RIFF header
  // gives it.
  uint64_t available = UINT64_MAX;
  if (!inMemory) {
    if (!ReadWholeFile(sound, &file)) return FALSE;
    image = file.data();
    available = file.size();
  }
  const size_t length = ReadableLength(image, available);
  DecodedWave wave;
  if (length == 0 || !Decode(image, length, &wave)) return FALSE;

  std::unique_lock<std::mutex> lock(player.calls);
  if ((flags & SND_NOSTOP) != 0 && StillPlaying(player, player.plays)) return FALSE;
  if (!OpenDevice(player)) return FALSE;
  std::vector<Uint8> samples;
  if (!Convert(wave, player.format, &samples)) return FALSE;
  const unsigned long number = Replace(player, &samples);
  lock.unlock();

  if ((flags & SND_ASYNC) == 0) {
    while (StillPlaying(player, number))
      SDL_Delay(10);
  }
  return TRUE;
}
