// Wave output and sounds.
//
// Implemented:
//   waveOutGetNumDevs  the number of SDL2 audio output devices; 0 when SDL's
//                      audio cannot be started. A driver that cannot list its
//                      devices but starts has its one default device.
//   PlaySoundA  PCM WAVE sounds of 8 or 16 bits, mono or stereo, at 8000 to
//               48000 samples a second, from a RIFF image in memory
//               (SND_MEMORY) or a file (SND_FILENAME), on SDL2's default audio
//               output, which opens on the first play and then stays open.
//               SND_ASYNC returns at once; without it the call waits for the
//               sound's end. A new sound stops the one playing, unless
//               SND_NOSTOP is given: then the call fails while one plays. A
//               NULL sound (the SND_PURGE form) stops whatever plays.
//               The sound is converted into the layer's own buffer before the
//               call returns, so the caller may free its image at once.
//               An image that is not such a sound, or is malformed, fails with
//               FALSE and plays nothing; so does a missing audio device. Only
//               the length in the RIFF header is read, with the chunks inside
//               it; a data chunk that runs past that end is cut there.
// Not implemented: SND_LOOP, SND_ALIAS, SND_RESOURCE and every other flag
//               (reported as unsupported), stopping one named sound (SND_PURGE
//               with a sound), the module argument (ignored), compressed or
//               extensible formats (they fail), the default sound: it never
//               plays, so SND_NODEFAULT changes nothing.
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

// The PCM samples of a WAVE image, pointing into the image.
struct WaveSound {
  SDL_AudioFormat format = 0;
  Uint8 channels = 0;
  int rate = 0;
  const Uint8* samples = nullptr;
  uint64_t size = 0;
};

uint16_t Read16(const Uint8* p) {
  return uint16_t(p[0] | p[1] << 8);
}
uint32_t Read32(const Uint8* p) {
  return Read16(p) | uint32_t(Read16(p + 2)) << 16;
}

bool ParseFormat(const Uint8* fmt, uint32_t size, WaveSound* sound) {
  if (size < 16) return false;
  uint16_t tag = Read16(fmt), channels = Read16(fmt + 2);
  uint32_t rate = Read32(fmt + 4);
  uint16_t blockAlign = Read16(fmt + 12), bits = Read16(fmt + 14);
  const uint16_t kPcm = 1;
  if (tag != kPcm || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) || rate < 8000 ||
      rate > 48000 || blockAlign != channels * bits / 8) {
    return false;
  }
  sound->format = bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  sound->channels = Uint8(channels);
  sound->rate = int(rate);
  return true;
}

// Reads the chunks of a RIFF WAVE image in any order, never past the end its
// header gives nor past `available` bytes.
bool ParseWave(const Uint8* image, uint64_t available, WaveSound* sound) {
  if (available < 8 || std::memcmp(image, "RIFF", 4) != 0) return false;
  const uint64_t end = std::min<uint64_t>(available, 8 + uint64_t(Read32(image + 4)));
  if (end < 12 || std::memcmp(image + 8, "WAVE", 4) != 0) return false;
  bool haveFormat = false, haveData = false;
  for (uint64_t at = 12; at + 8 <= end;) {
    const Uint8* header = image + at;
    const uint32_t size = Read32(header + 4);
    const uint64_t body = at + 8, present = std::min<uint64_t>(size, end - body);
    if (std::memcmp(header, "fmt ", 4) == 0) {
      if (present < size || !ParseFormat(image + body, size, sound)) return false;
      haveFormat = true;
    } else if (std::memcmp(header, "data", 4) == 0 && !haveData) {
      sound->samples = image + body;
      sound->size = present;
      haveData = true;
    }
    // Chunks start on even offsets: an odd-sized one is followed by a pad byte.
    at = body + size + (size & 1);
  }
  if (!haveFormat || !haveData) return false;
  const unsigned frame = sound->channels * SDL_AUDIO_BITSIZE(sound->format) / 8;
  sound->size -= sound->size % frame;
  return sound->size > 0;
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
bool Convert(const WaveSound& wave, const SDL_AudioSpec& device, std::vector<Uint8>* out) {
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, wave.format, wave.channels, wave.rate, device.format, device.channels,
                        device.freq) < 0 ||
      wave.size * uint64_t(cvt.len_mult) > uint64_t(INT_MAX)) {
    return false;
  }
  cvt.len = int(wave.size);
  out->resize(size_t(cvt.len) * size_t(cvt.len_mult));
  std::memcpy(out->data(), wave.samples, size_t(wave.size));
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
  WaveSound wave;
  if (!ParseWave(image, available, &wave)) return FALSE;

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
