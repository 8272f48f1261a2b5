// The host's process-wide record: what the modes, the saver window and the
// password gate share.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The private message whose answer decides whether the saver may close.
constexpr UINT CheckPasswordMessage = 0x8000;

// lastCheckTick before the first verification.
constexpr DWORD kNoCheckYet = 0xFFFFFFFF;

// Entries of system components, looked up at run time and never linked.
typedef BOOL(WINAPI* VerifyScreenSavePwdEntry)(HWND window);
typedef DWORD(WINAPI* PwdChangePasswordEntry)(LPCSTR provider, HWND owner, DWORD reserved1,
                                              DWORD reserved2);
typedef HANDLE(WINAPI* ImmAssociateContextEntry)(HWND window, HANDLE context);

struct HostState {
  HINSTANCE instance;
  bool isWin9x;  // the Windows 95 family: passwords and the running notification
  HWND saverWindow;
  bool isPreview;
  bool closeApproved;
  bool verifying;
  HMODULE verifierLibrary;
  VerifyScreenSavePwdEntry verifyEntry;
  DWORD lastCheckTick;  // when the last verification ended; kNoCheckYet before
  HMODULE imeLibrary;
  ImmAssociateContextEntry imeAssociate;
  HANDLE savedImeContext;
  POINT savedCursor;  // where mouse movement is measured from
};

// Defined with SaverMain, which stores the module instance first.
extern HostState hostState;
