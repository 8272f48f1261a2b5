// What the window, message, timer and GDI files of the Linux layer tell each
// other, grouped by the file that implements it. Not part of the emulated API.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/linux/gdi_target.h"
#include "platform/linux/win32_api.h"

// windows.cpp
bool StartVideo();
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
// Our window shown by an X window (a top-level SDL window, or a child inside
// another program's window), or NULL.
HWND WindowOfXWindow(unsigned long xWindow);
// The X server destroyed the window that held one of our children.
void ForeignParentDestroyed(HWND window);
// Top-level windows, which hear of the application's activation.
std::vector<HWND> TopLevelWindows();
// Windows without a parent among ours: top-level ones and children of other
// programs' windows.
std::vector<HWND> RootWindows();
// Where mouse input at (x, y) in a top-level window goes: the innermost
// visible child there, or the parent of a disabled child; NULL when the
// top-level window is disabled. client receives the point in its client area.
HWND MouseTarget(HWND topLevel, int x, int y, POINT* client);
// Keyboard input goes to an enabled window only.
bool WindowEnabled(HWND window);
bool WindowHasDoubleClicks(HWND window);
// The screen position of a window's client area.
POINT WindowScreenOrigin(HWND window);

// message_queue.cpp
// Posted and input messages of the window go.
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

// cursor.cpp: the cursor shows while the ShowCursor counter is at least 0
// and SetCursor last set a cursor rather than none.
void ApplyCursorVisibility();

// input.cpp: the pointer position that the layer saw last, for drivers that
// cannot tell it.
void PointerSeenAt(int x, int y);

// key_codes.cpp
// The virtual-key code of an SDL key, with the numeric keypad read as Num
// Lock says.
UINT VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers);
// The keyboard's set-1 scan code of a key, with 0x100 for the extended keys
// (those sent with an 0xE0 prefix); 0 when unknown.
UINT ScanCodeOf(SDL_Scancode scancode);
// The character that a virtual key gives on a US keyboard, or 0.
char CharacterOfVirtualKey(UINT key, bool shift, bool control, bool capsLock);

// x11_display.cpp: the X display shared with other programs, over a
// connection of the layer's own. Every call is harmless without one.
bool X11Available();
// Names our top-level window's class on its X window, for FindWindowA in
// other programs; returns the X window, or 0.
unsigned long X11AnnounceWindow(SDL_Window* window, const char* className);
bool X11WindowExists(HWND window);
bool X11ClientSize(HWND window, LONG* width, LONG* height);
// Raises the window and gives it the keyboard focus.
bool X11Activate(HWND window);
// A top-level window of another program announced with this class and
// title (NULL matches any), or NULL.
HWND X11FindWindow(LPCSTR className, LPCSTR title);
// The active top-level X window, or NULL.
HWND X11ActiveWindow();
bool X11PointerPosition(POINT* point);
bool X11WarpPointer(int x, int y);
// A child inside another program's window; 0 when it cannot be made.
unsigned long X11CreateChild(HWND parent, const RECT& rect, bool visible);
// Shows area of the child's pixels, rows of width pixels.
void X11PresentChild(unsigned long child, const uint32_t* pixels, int width, const RECT& area);
void X11DestroyChild(unsigned long child);
bool X11HasChildren();
// Handles what the X server said about our children: exposure and the
// destruction of their parents.
void X11ReadEvents();
int X11ConnectionFd();

// close_signals.cpp: SIGTERM and SIGINT close the root windows.
// Called with the number of root windows whenever it changes.
void SetRootWindowCount(int count);
// True once for every signal that arrived since the last call.
bool TakeCloseSignal();
// Readable when a signal arrived; -1 before the first window.
int CloseSignalFd();
// Ends the process as the signal's default action would.
[[noreturn]] void EndAsSignalled();

// resources.cpp: the program's resources, embedded from resources/lumivane.rc.
// A resource's bytes by numeric type (RT_DIALOG is 5) and by name as
// resource calls take it; false when there is none.
bool FindResourceBytes(WORD type, LPCSTR name, const BYTE** data, size_t* size);
// An icon of LoadIconA: its size and pixels (0xAARRGGBB, top row first,
// alpha 0 where the mask is transparent); false for no such icon.
bool IconPixels(HICON icon, int* width, int* height, const uint32_t** pixels);
// Shows a window class's icon on a top-level window; nothing for NULL.
void SetSdlWindowIcon(SDL_Window* window, HICON icon);
