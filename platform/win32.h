// The platform seam. Product code reaches the Win32 API (ANSI forms) through
// this header only. On Windows it is the real API; elsewhere it is the Linux
// layer under platform/linux/, which implements the subset the player uses.
//
// File map of the Linux layer (each file opens with what it implements and
// what it leaves out):
//   linux/win32_types.h     types, handles and constants
//   linux/win32_api.h       declarations of every emulated call
//   linux/unsupported.cpp   the loud failure for arguments the layer rejects
//   linux/handle_table.h    handles with generations, for blocks, windows and GDI objects
//   linux/process.cpp       module handle and file name, process exit
//   linux/message_box.cpp   MessageBoxA and MessageBeep over SDL2
//   linux/registry.cpp      Reg* calls over a REGEDIT4 text file
//   linux/regedit_file.cpp  reading and writing that file
//   linux/sound.cpp         waveOutGetNumDevs and PlaySoundA over SDL2 audio
//   linux/global_memory.cpp movable global memory blocks
//   linux/old_files.cpp     OpenFile, _lread, _llseek, _lclose
//   linux/cursor.cpp        the wait and arrow cursors
//   linux/windows.cpp       window classes, windows over SDL2, sent messages
//   linux/message_queue.cpp posting, peeking, getting and dispatching messages
//   linux/timers.cpp        window timers, Sleep and the tick count
//   linux/windowing.h       what those files and gdi.cpp tell each other
//   linux/temp_files.cpp    temporary file names and deleting files
//   linux/gdi.cpp           device contexts, bitmaps, brushes, fills and copies
//   linux/gdi_dib.cpp       drawing DIBs: SetDIBitsToDevice, StretchDIBits
//   linux/gdi_target.h      the pixels a DC draws on, shared by those two
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
#else
#include "platform/linux/win32_api.h"
#endif
