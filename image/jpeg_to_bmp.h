// Decoding a JPEG file into an uncompressed bottom-up BMP file: 24 bits per
// pixel for colour pictures, 8 bits with a grey colour map for greyscale.
#pragma once

#include <cstdint>

// The converter's results.
constexpr int32_t kBmpComplete = 0;
constexpr int32_t kJpegNotOpened = -1;
constexpr int32_t kBmpNotOpened = -2;
// The decoder gave up on the picture (not a JPEG, cut off before its first
// scan, CMYK or YCCK colour, 12-bit samples, a write error): its message went
// to standard error and the BMP file may be incomplete, usually empty.
constexpr int32_t kJpegUndecodable = -3;

// One of the results above. Both files are closed when it returns.
int32_t ConvertJpegToBmp(const char* jpegPath, const char* bmpPath);
