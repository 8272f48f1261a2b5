// The output side of the JPEG-to-BMP conversion: decoded rows are kept in a
// libjpeg virtual array and written out as a bottom-up BMP file at the end,
// because BMP stores the last row of the picture first.
#pragma once

#include <cstdio>

#include <jpeglib.h>

// The fatal error raised for a picture that decodes to neither greyscale nor
// RGB. It has no text, so libjpeg reports it as "Bogus message code 1005".
constexpr int kUnsupportedColorSpace = 1005;
// The fatal error raised for a picture whose BMP file would be larger than its
// 32-bit size field can say (a few hundred bytes of JPEG can claim 65500 x
// 65500 pixels): "Bogus message code 1006".
constexpr int kPictureTooLarge = 1006;

struct BmpWriter;
typedef void (*BmpWriterStep)(j_decompress_ptr cinfo, BmpWriter* writer);
typedef void (*BmpRowStorer)(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION rowsSupplied);

// Lives in the decompressor's JPOOL_IMAGE pool, so it goes with the picture.
struct BmpWriter {
  BmpWriterStep start;
  BmpRowStorer storeRows;
  BmpWriterStep finish;
  FILE* output;
  // Where jpeg_read_scanlines puts each row before it is stored.
  JSAMPARRAY buffer;
  JDIMENSION bufferHeight;
  jvirt_sarray_ptr wholeImage;
  JDIMENSION dataWidth;  // bytes of pixels in a row
  JDIMENSION rowWidth;   // the same rounded up to a multiple of 4
  JDIMENSION padBytes;
  JDIMENSION currentRow;
};

// Chooses the row storer for the output colour space and requests the whole
// picture's storage; to be called between jpeg_read_header and
// jpeg_start_decompress. Any colour space but greyscale and RGB is fatal.
BmpWriter* CreateBmpWriter(j_decompress_ptr cinfo);

// Store the row in the buffer as the next row of the picture: RGB samples as
// blue, green, red; grey samples unchanged.
void StoreRgbRow(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION rowsSupplied);
void StoreGrayRow(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION rowsSupplied);

// Writes the headers and every stored row, bottom row first. A write error is
// fatal (JERR_FILE_WRITE).
void FinishBmpFile(j_decompress_ptr cinfo, BmpWriter* writer);
// The 14-byte file header, the 40-byte information header and, for 8-bit
// pictures, the grey colour map.
void WriteBmpHeaders(j_decompress_ptr cinfo, BmpWriter* writer);
