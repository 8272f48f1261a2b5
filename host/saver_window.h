// The saver window: its class, its creation in each mode, its message loop
// and its class procedure.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr const char* kSaverClassName = "WindowsScreenSaverClass";
// A second full-screen start looks for this title.
constexpr const char* kFullScreenTitle = "Screen Saver";
constexpr const char* kPreviewTitle = "Preview";
// The exit code when the class or the window cannot be created, so that no
// quit message ever comes.
constexpr int32_t kNoSaverWindowExitCode = -1;

// Runs the saver full screen (parent NULL) or as a preview inside parent until
// its window is destroyed; returns the quit message's exit code.
int32_t RunSaverWindow(HWND parent);

// The two halves of RunSaverWindow before its message loop. Registers
// "WindowsScreenSaverClass"; 0 when that fails.
ATOM RegisterSaverClass();
// Creates the window for the mode (a preview inside parent, full screen
// without), setting isPreview and saverWindow; NULL when that fails.
HWND CreateSaverWindow(HWND parent);

// The class procedure: the host's rules first, then the show's procedure.
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
