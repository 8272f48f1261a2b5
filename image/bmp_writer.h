// The output side of the JPEG-to-BMP conversion: the decoder puts each row
// straight at its place in a block that holds the picture as the BMP file
// does (bottom row first, blue, green, red, padded rows), and the finish step
// writes that block at the end, because BMP stores the last row first.
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

// Lives in the decompressor's JPOOL_IMAGE pool, so it goes with the picture;
// its whole image does not (ReleaseBmpWriter).
struct BmpWriter {
  BmpWriterStep start;
  BmpRowStorer storeRows;
  BmpWriterStep finish;
  FILE* output;
  // Where jpeg_read_scanlines puts the next rows: their places in the whole
  // image.
  JSAMPARRAY buffer;
  JDIMENSION bufferHeight;
  // The pixel rows of the file, rowWidth bytes apart.
  JSAMPLE* wholeImage;
  JDIMENSION dataWidth;  // bytes of pixels in a row
  JDIMENSION rowWidth;   // the same rounded up to a multiple of 4
  JDIMENSION padBytes;
  JDIMENSION currentRow;  // the next row of the picture to come, top first
};

// Chooses the row storer for the output colour space and allocates the whole
// picture's storage; to be called between jpeg_read_header and
// jpeg_start_decompress. Any colour space but greyscale and RGB is fatal. RGB
// pictures are decoded as blue, green, red (libjpeg-turbo's JCS_EXT_BGR): the
// same samples in the file's order, with no pass of our own to reorder them.
BmpWriter* CreateBmpWriter(j_decompress_ptr cinfo);
// Frees the whole image, also after a fatal error; nothing for NULL.
void ReleaseBmpWriter(BmpWriter* writer);

// The rows just decoded are in place, in the file's form for colour and grey
// pictures alike: zero their pad bytes and point the buffer at the places of
// the rows to come.
void StorePlacedRows(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION rowsSupplied);

// Writes the headers and the whole image in one piece. A write error is fatal
// (JERR_FILE_WRITE).
void FinishBmpFile(j_decompress_ptr cinfo, BmpWriter* writer);
// The 14-byte file header, the 40-byte information header and, for 8-bit
// pictures, the grey colour map.
void WriteBmpHeaders(j_decompress_ptr cinfo, BmpWriter* writer);
