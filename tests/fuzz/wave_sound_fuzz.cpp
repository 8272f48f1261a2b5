// A sound payload played from memory, as the show window plays one: only an
// image whose RIFF size lies within the payload reaches PlaySoundA, which
// has no other way to know where the image ends.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzScratchDir();
  // Sounds are converted and queued as for a real device, and never heard.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8 || std::memcmp(data, "RIFF", 4) != 0) return 0;
  uint32_t riffSize = uint32_t(data[4]) | uint32_t(data[5]) << 8 | uint32_t(data[6]) << 16 |
                      uint32_t(data[7]) << 24;
  if (uint64_t(riffSize) + 8 > size) return 0;
  PlaySoundA(reinterpret_cast<LPCSTR>(data), nullptr, SND_ASYNC | SND_MEMORY);
  PlaySoundA(nullptr, nullptr, SND_ASYNC | SND_PURGE | SND_FILENAME);
  return 0;
}
