// Drawing a packed bitmap into a device context.
#pragma once

#include "image/packed_dib.h"
#include "platform/win32.h"

// Draws the source rectangle of the picture (in picture pixels) into the
// destination rectangle: an unscaled copy when the sizes agree, stretched
// otherwise. Returns the GDI call's result, 0 when there is no bitmap.
int DrawPackedDib(HDC dc, const RECT& destination, PackedDib dib, const RECT& source);
