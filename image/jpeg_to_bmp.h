// Decoding a JPEG file into an uncompressed bottom-up BMP file: 24 bits per
// pixel for colour pictures, 8 bits with a grey colour map for greyscale.
#pragma once

#include <cstdint>

// 0: the BMP file is complete; -1: the input cannot be opened; -2: the output
// cannot be opened. A JPEG the decoder cannot handle ends the process with
// exit status 1 after its message on standard error.
int32_t ConvertJpegToBmp(const char* jpegPath, const char* bmpPath);
