// The show's share of the saver window's messages: creation, the first
// paint, the picture and sound timers, and destruction.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr UINT_PTR PictureTimer = 257;
constexpr UINT_PTR SoundTimer = 258;

// What SetTimer returned for each timer; 0 while it is not running.
extern UINT_PTR pictureTimerValue;
extern UINT_PTR soundTimerValue;
// Set by the first WM_PAINT, which brings on the first picture at once.
extern bool FirstPaintDone;
// Index into showState.sounds of the sound played last; -1 at start.
extern int32_t LastSoundIndex;

// Handles the show's messages, then passes every message on to the host's
// input procedure and returns its result.
LRESULT CALLBACK ShowWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The host's input procedure, which receives every message once the show's
// procedure is done with it; what it does not handle goes to DefWindowProcA.
// The host defines it (host/saver_input.cpp), or a test that runs the show
// without the host; it is declared here so that the show does not reach up
// into the host.
LRESULT CALLBACK SaverInputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
