// What the window, message, timer and GDI files of the Linux layer tell each
// other, grouped by the file that implements it. Not part of the emulated API.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/linux/gdi_target.h"
#include "platform/linux/win32_api.h"

// windows.cpp
bool VideoStarted();
// A window of ours that still exists.
bool WindowExists(HWND window);
// True when window is ancestor or one of its descendants: how a window filter
// of GetMessageA and PeekMessageA selects messages.
bool WindowWithin(HWND window, HWND ancestor);
bool WindowHasOwnDC(HWND window);
// The pixels a window DC draws on: pixels, width (the row length) and clip.
bool WindowDrawingArea(HWND window, GdiTarget* target);
// Called before drawing into a window: marks it as changed and brings earlier
// drawing to the screen when a frame's time has passed since the last time.
void WindowDrawn(HWND window);
// Brings every changed window's pixels to the screen.
void PresentWindows();
// The first visible window within filter (any with NULL) that waits for
// WM_PAINT, or NULL.
HWND WindowNeedingPaint(HWND filter);
HWND WindowOfSdlWindow(Uint32 sdlWindowId);
// The screen lost what a top-level window showed: it and its children are
// repainted.
void WindowExposed(HWND window);

// message_queue.cpp
void RemovePostedMessages(HWND window);
bool MessageInRange(UINT message, UINT filterMin, UINT filterMax);

// timers.cpp
int64_t MonotonicMilliseconds();
// The WM_TIMER of the first due timer of a window within filter; removing it
// restarts the timer's period from now.
bool TakeTimerMessage(HWND filter, bool remove, MSG* msg);
// Until the next timer of a window within filter is due (0 when one is), or
// -1 with none.
int64_t MillisecondsToNextTimer(HWND filter);
void KillWindowTimers(HWND window);

// gdi.cpp
void GdiWindowDestroyed(HWND window);

// dialogs.cpp: dialog boxes and their controls are windows too, drawn with
// GTK. windows.cpp and message_queue.cpp hand every call on their handles
// (sending, posting and dispatching messages, WM_SETTEXT and WM_GETTEXT
// included; IsWindow, GetParent, EnableWindow, IsWindowEnabled) over to it.
bool DialogWindowExists(HWND window);
LRESULT DialogSendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND DialogWindowParent(HWND window);
BOOL DialogEnableWindow(HWND window, BOOL enable);
BOOL DialogIsWindowEnabled(HWND window);
