// A decoded picture as a Windows device-independent bitmap in one movable
// global memory block: the 40-byte information header, the colour table, then
// the pixel rows, bottom row first, each padded to a multiple of 4 bytes.
// Its bytes are reached only between GlobalLock and GlobalUnlock.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The block's handle; nullptr means no bitmap. Whoever holds it frees it.
typedef HGLOBAL PackedDib;

// Loads a BMP file. Returns the block unlocked, or nullptr when the file cannot
// be used. The cursor is the arrow afterwards in every case.
PackedDib LoadPackedDib(const char* fileName);
// Reads the BMP file open at its start into a new block.
PackedDib ReadPackedDib(HFILE file);
// Reads count bytes in pieces of at most 0x7FFF; false at the first short piece.
bool ReadChunked(HFILE file, void* destination, uint32_t count);
// Releases the block; always 0.
uint16_t FreePackedDib(PackedDib dib);

// Accessors on the address GlobalLock gave for the block.
int32_t PackedDibWidth(const BITMAPINFOHEADER* header);
int32_t PackedDibHeight(const BITMAPINFOHEADER* header);
uint16_t PackedDibColorCount(const BITMAPINFOHEADER* header);
uint16_t PackedDibColorTableBytes(const BITMAPINFOHEADER* header);
const unsigned char* PackedDibPixels(const BITMAPINFOHEADER* header);
