// A sound payload checked and played from memory, as the show window plays
// one: only an image that fits its payload reaches PlaySoundA, which has no
// other way to know where the image ends.
#include <cstdint>
#include <cstdlib>

#include "package/wave_fit.h"
#include "platform/win32.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzScratchDir();
  // Sounds are converted and queued as for a real device, and never heard.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX || !WaveFitsRecord(data, uint32_t(size))) return 0;
  PlaySoundA(reinterpret_cast<LPCSTR>(data), nullptr, SND_ASYNC | SND_MEMORY);
  PlaySoundA(nullptr, nullptr, SND_ASYNC | SND_PURGE | SND_FILENAME);
  return 0;
}
