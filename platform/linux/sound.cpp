// Wave output.
//
// Implemented:
//   waveOutGetNumDevs  the number of SDL2 audio output devices; 0 when SDL's
//                      audio cannot be started. A driver that cannot list its
//                      devices but starts has its one default device.
// Not implemented yet: playing sounds.
#include <SDL.h>

#include "platform/linux/win32_api.h"

UINT WINAPI waveOutGetNumDevs(void) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
  int count = SDL_GetNumAudioDevices(0);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return count < 0 ? 1u : UINT(count);
}
