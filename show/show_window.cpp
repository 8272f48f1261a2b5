#include "show/show_window.h"

#include <cstdio>
#include <ctime>

#include "package/show_state.h"
#include "package/wave_fit.h"
#include "show/show_cycle.h"
#include "show/show_random.h"

UINT_PTR pictureTimerValue = 0;
UINT_PTR soundTimerValue = 0;
bool FirstPaintDone = false;
int32_t LastSoundIndex = -1;

namespace {

UINT Milliseconds(int32_t seconds) {
  return UINT(seconds) * 1000u;
}

void StartShow(HWND window) {
  ResetShowRandom(uint32_t(std::time(nullptr)));
  packageFile = LoadShow();
  pictureTimerValue =
      SetTimer(window, PictureTimer, Milliseconds(showState.settings.RedrawSpeed), nullptr);
  if (showState.settings.Mute == 0 && showState.soundAvailable != 0) {
    soundTimerValue =
        SetTimer(window, SoundTimer, Milliseconds(showState.settings.SoundSpeed), nullptr);
  }
}

// The timer stops while the picture changes, so that a slow change never
// queues the next one; it restarts only if it was running.
void PictureTick(HWND window) {
  BOOL running = KillTimer(window, pictureTimerValue);
  ShowNextPicture(window);
  if (running) {
    pictureTimerValue =
        SetTimer(window, PictureTimer, Milliseconds(showState.settings.RedrawSpeed), nullptr);
  }
}

void SoundTick() {
  int32_t n = showState.soundCount;
  int32_t k = 0;
  if (n > 1) {
    do {
      k = ShowRandom() % n;
    } while (k == LastSoundIndex);
  }
  LastSoundIndex = k;
  // PlaySoundA reads as far as the sound's own header says; a sound cut off
  // short of that would be played from the memory after its record.
  const ShowRecord& sound = *showState.sounds[k];
  if (sound.length <= 0 || !WaveFitsRecord(sound.payload, uint32_t(sound.length))) return;
  PlaySoundA(reinterpret_cast<LPCSTR>(sound.payload), nullptr, SND_ASYNC | SND_MEMORY | SND_NOSTOP);
}

void EndShow(HWND window) {
  if (pictureTimerValue != 0) KillTimer(window, pictureTimerValue);
  if (soundTimerValue != 0) KillTimer(window, soundTimerValue);
  // The sound plays from its payload: it stops before the records go.
  if (showState.soundAvailable != 0)
    PlaySoundA(nullptr, nullptr, SND_ASYNC | SND_PURGE | SND_FILENAME);
  FreeRecordTable();
  if (packageFile != nullptr) {
    std::fclose(packageFile);
    packageFile = nullptr;
  }
}

}  // namespace

LRESULT CALLBACK ShowWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      StartShow(window);
      break;
    case WM_PAINT:
      if (!FirstPaintDone) {
        FirstPaintDone = true;
        PictureTick(window);
      }
      break;
    case WM_TIMER:
      if (wParam == PictureTimer)
        PictureTick(window);
      else if (wParam == SoundTimer && showState.soundAvailable != 0)
        SoundTick();
      break;
    case WM_DESTROY:
      EndShow(window);
      break;
    default:
      break;
  }
  return SaverInputProc(window, message, wParam, lParam);
}
