// One picture change of the running show.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/win32.h"

// Index into showState.images of the picture shown last; -1 at start.
extern int32_t LastPictureIndex;

// The program's own file, open for reading while the show runs: the pictures
// are copied out of it one at a time. Null before the show window is created
// and after it is destroyed.
extern FILE* packageFile;

// Chooses the next picture, decodes it through temporary files, composes the
// frame off screen and brings it onto the window.
void ShowNextPicture(HWND window);
