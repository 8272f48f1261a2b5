// The output side of the JPEG-to-BMP conversion. BMP stores the last row
// first, so rows are written straight to their final place in the file: the
// decoder puts them, in the file's form (blue, green, red, padded), into a
// band of a few rows, bottom row first, and each full band goes out in one
// write. The picture is never held whole.
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

// Lives in the decompressor's JPOOL_IMAGE pool, with its band, so both go
// with the picture.
struct BmpWriter {
  BmpWriterStep start;
  BmpRowStorer storeRows;
  BmpWriterStep finish;
  FILE* output;
  // Where jpeg_read_scanlines puts the next rows: the band's slots from its
  // last one upwards, so that the rows lie in the file's order.
  JSAMPARRAY buffer;
  JDIMENSION bufferHeight;
  // The rows on their way to the file, rowWidth bytes apart; the last
  // bandRows of its slots are filled.
  JSAMPLE* band;
  JDIMENSION bandRows;
  JDIMENSION dataWidth;  // bytes of pixels in a row
  JDIMENSION rowWidth;   // the same rounded up to a multiple of 4
  JDIMENSION padBytes;
  JDIMENSION currentRow;  // the next row of the picture to come, top first
};

// Chooses the row storer for the output colour space and allocates the band;
// to be called between jpeg_read_header and jpeg_start_decompress. Any colour
// space but greyscale and RGB is fatal. RGB pictures are decoded as blue,
// green, red (libjpeg-turbo's JCS_EXT_BGR): the same samples in the file's
// order, with no pass of our own to reorder them.
BmpWriter* CreateBmpWriter(j_decompress_ptr cinfo);
// Writes the headers, so that the rows can follow at their places.
void StartBmpFile(j_decompress_ptr cinfo, BmpWriter* writer);

// The rows just decoded lie in the band in the file's form, for colour and
// grey pictures alike: zero their pad bytes, and write the band at its place
// in the file when it is full or the picture complete. A write error is fatal
// (JERR_FILE_WRITE).
void StorePlacedRows(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION rowsSupplied);

// Flushes the file; an error on the stream is fatal (JERR_FILE_WRITE).
void FinishBmpFile(j_decompress_ptr cinfo, BmpWriter* writer);
// The 14-byte file header, the 40-byte information header and, for 8-bit
// pictures, the grey colour map.
void WriteBmpHeaders(j_decompress_ptr cinfo, BmpWriter* writer);
