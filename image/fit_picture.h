// Placing a picture in the client area by the Resize setting.
#pragma once

#include "platform/win32.h"

// Writes the destination rectangle, relative to the client area's top-left
// corner. Only the widths and heights of client and picture count.
void FitPictureRect(const RECT& client, const RECT& picture, RECT& destination);
