// The platform seam. Product code reaches the Win32 API (ANSI forms) through
// this header only. On Windows it is the real API; elsewhere it is the Linux
// layer under platform/linux/, which implements the subset the player uses.
//
// Adding a Win32 call: declare it in linux/win32_api.h under the file that
// defines it (scripts/check-win32-api checks), with any new type or constant
// in linux/win32_types.h; define it in the file of its area, whose opening
// comment lists it; a call on any window handle goes to window_calls.cpp and
// asks the handle's kind (linux/window_table.h). Write a test that runs on
// both builds, in tests/.
//
// File map of the Linux layer (each file opens with what it implements and
// what it leaves out):
//   linux/win32_types.h     types, handles and constants
//   linux/win32_api.h       declarations of every emulated call
//   linux/unsupported.cpp   the loud failure for arguments the layer rejects
//   linux/handle_table.h    handles with generations, for blocks, windows and GDI objects
//   linux/window_table.cpp  the one table of window handles, each with its kind's operations
//   linux/window_calls.cpp  calls on any window handle, handed to the handle's kind
//   linux/process.cpp       module handle and file name, command line, version, exit
//   linux/libraries.cpp     LoadLibraryA, GetProcAddress, FreeLibrary over dlopen
//   linux/system_parameters.cpp SystemParametersInfoA (the saver-running state)
//   linux/message_box.cpp   MessageBoxA over SDL2
//   linux/message_beep.cpp  MessageBeep as the terminal's bell
//   linux/registry.cpp      Reg* calls over a regedit file, written on closing a key
//   linux/regedit_file.cpp  reading and writing that file (REGEDIT4 and version 5)
//   linux/sound.cpp         waveOutGetNumDevs and PlaySoundA over SDL2 audio
//   linux/global_memory.cpp movable global memory blocks
//   linux/old_files.cpp     OpenFile, _lread, _llseek, _lclose
//   linux/cursor.cpp        the wait and arrow cursors, showing and hiding the cursor
//   linux/windows.cpp       window classes, our windows over SDL2
//   linux/foreign_windows.cpp other programs' X windows as window handles
//   linux/message_queue.cpp posting, peeking, getting and dispatching messages;
//                           SDL's input events as messages
//   linux/input.cpp         the pointer's position, the screen's size
//   linux/key_codes.cpp     SDL keys as virtual-key codes, scan codes and characters
//   linux/x11_display.cpp   other programs' windows on the X display, children inside them
//   linux/close_signals.cpp SIGTERM and SIGINT as WM_CLOSE
//   linux/ansi_text.cpp     the ANSI code page 1252 to and from UTF-8, from UTF-16
//   linux/utf16_text.cpp    UTF-16LE to and from UTF-8
//   linux/timers.cpp        window timers, Sleep and the tick count
//   linux/windowing.h       what those files and gdi.cpp tell each other
//   linux/temp_files.cpp    temporary file names and deleting files
//   linux/file_handles.cpp  CreateFileA for a new file, WriteFile, CloseHandle
//   linux/folders.cpp       making and removing folders
//   linux/gdi.cpp           device contexts, bitmaps, brushes, fills and copies
//   linux/gdi_dib.cpp       drawing DIBs: SetDIBitsToDevice, StretchDIBits
//   linux/gdi_target.h      the pixels a DC draws on, shared by those two
//   linux/dialog_template.cpp reading a dialog template (DIALOGEX), without GTK
//   linux/dialog_box.cpp    dialog boxes from templates over GTK 3, the modal loop
//   linux/dialog_controls.cpp the dialogs' controls: GTK widgets and control messages
//   linux/dialog_items.h    what the two tell each other
//   linux/resources.cpp     the program's embedded resources and LoadIconA
//   linux/shell.cpp         ShellExecuteA over xdg-open, WinExec, the saver installer
//   linux/installed_files.cpp the system directory and CopyFileA
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// mmsystem.h needs the types of windows.h.
#include <mmsystem.h>
// ShellExecuteA, which the lean windows.h leaves out.
#include <shellapi.h>
#else
#include "platform/linux/win32_api.h"
#endif
