#include "image/bmp_writer.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include <jerror.h>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kColorMapBytes = 256 * 4;
// Rows gathered before they are written: the decoder often gives only one or
// two at a time, and each write has its cost.
constexpr JDIMENSION kBandRows = 16;

void PutLittle16(unsigned char* at, uint32_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void PutLittle32(unsigned char* at, uint32_t value) {
  PutLittle16(at, value);
  PutLittle16(at + 2, value >> 16);
}

// The headers, and the grey colour map where there is one.
uint32_t HeaderBytes(j_decompress_ptr cinfo) {
  return kFileHeaderBytes + kInfoHeaderBytes +
         (cinfo->out_color_space == JCS_GRAYSCALE ? kColorMapBytes : 0);
}

// Pixels per metre; only dots per centimetre (unit 2) converts.
uint32_t PixelsPerMetre(j_decompress_ptr cinfo, UINT16 density) {
  return cinfo->density_unit == 2 ? uint32_t(density) * 100 : 0;
}

// The band fills from its last slot upwards, so that the rows it holds lie in
// the file's order at its end, however many the decoder gives at a time.
void AimBuffer(j_decompress_ptr cinfo, BmpWriter* writer) {
  JDIMENSION rows =
      std::min(kBandRows - writer->bandRows, cinfo->output_height - writer->currentRow);
  for (JDIMENSION i = 0; i < rows; ++i) {
    writer->buffer[i] =
        writer->band + size_t(kBandRows - 1 - writer->bandRows - i) * writer->rowWidth;
  }
  writer->bufferHeight = std::max<JDIMENSION>(rows, 1);
}

// Writes the band's rows at their place: the rows above currentRow, counted
// from the top, are the file's rows from height - currentRow on.
void WriteBand(j_decompress_ptr cinfo, BmpWriter* writer) {
  const uint64_t firstFileRow = uint64_t(cinfo->output_height) - writer->currentRow;
  const uint64_t offset = HeaderBytes(cinfo) + firstFileRow * writer->rowWidth;
  const size_t bytes = size_t(writer->bandRows) * writer->rowWidth;
  const JSAMPLE* rows = writer->band + size_t(kBandRows - writer->bandRows) * writer->rowWidth;
  // A stream position is a long, which on some systems stops at 2 GB.
  if (offset > uint64_t(LONG_MAX) || fseek(writer->output, long(offset), SEEK_SET) != 0 ||
      fwrite(rows, 1, bytes, writer->output) != bytes) {
    ERREXIT(cinfo, JERR_FILE_WRITE);
  }
  writer->bandRows = 0;
}

}  // namespace

BmpWriter* CreateBmpWriter(j_decompress_ptr cinfo) {
  j_common_ptr common = reinterpret_cast<j_common_ptr>(cinfo);
  BmpWriter* writer =
      static_cast<BmpWriter*>((*cinfo->mem->alloc_small)(common, JPOOL_IMAGE, sizeof(BmpWriter)));
  writer->start = StartBmpFile;
  writer->finish = FinishBmpFile;
  writer->storeRows = StorePlacedRows;
  if (cinfo->out_color_space == JCS_RGB) {
    cinfo->out_color_space = JCS_EXT_BGR;
  } else if (cinfo->out_color_space != JCS_GRAYSCALE) {
    ERREXIT(cinfo, kUnsupportedColorSpace);
  }
  writer->output = nullptr;
  jpeg_calc_output_dimensions(cinfo);
  writer->dataWidth = cinfo->output_width * JDIMENSION(cinfo->output_components);
  writer->rowWidth = (writer->dataWidth + 3) & ~JDIMENSION(3);
  writer->padBytes = writer->rowWidth - writer->dataWidth;
  const uint64_t pixelBytes = uint64_t(writer->rowWidth) * cinfo->output_height;
  if (HeaderBytes(cinfo) + pixelBytes > UINT32_MAX) ERREXIT(cinfo, kPictureTooLarge);
  writer->currentRow = 0;
  writer->bandRows = 0;
  writer->buffer = static_cast<JSAMPARRAY>(
      (*cinfo->mem->alloc_small)(common, JPOOL_IMAGE, kBandRows * sizeof(JSAMPROW)));
  writer->band = static_cast<JSAMPLE*>(
      (*cinfo->mem->alloc_large)(common, JPOOL_IMAGE, size_t(kBandRows) * writer->rowWidth));
  AimBuffer(cinfo, writer);
  return writer;
}

void StartBmpFile(j_decompress_ptr cinfo, BmpWriter* writer) {
  WriteBmpHeaders(cinfo, writer);
}

void StorePlacedRows(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION rowsSupplied) {
  if (writer->padBytes != 0) {
    for (JDIMENSION i = 0; i < rowsSupplied; ++i)
      std::memset(writer->buffer[i] + writer->dataWidth, 0, writer->padBytes);
  }
  writer->currentRow += rowsSupplied;
  writer->bandRows += rowsSupplied;
  if (writer->bandRows == kBandRows || writer->currentRow == cinfo->output_height)
    WriteBand(cinfo, writer);
  if (writer->currentRow < cinfo->output_height) AimBuffer(cinfo, writer);
}

void FinishBmpFile(j_decompress_ptr cinfo, BmpWriter* writer) {
  fflush(writer->output);
  if (ferror(writer->output)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void WriteBmpHeaders(j_decompress_ptr cinfo, BmpWriter* writer) {
  const bool gray = cinfo->out_color_space == JCS_GRAYSCALE;
  const uint32_t headerBytes = HeaderBytes(cinfo);

  unsigned char fileHeader[kFileHeaderBytes] = {'B', 'M'};
  PutLittle32(fileHeader + 2, headerBytes + writer->rowWidth * cinfo->output_height);
  PutLittle32(fileHeader + 10, headerBytes);

  unsigned char infoHeader[kInfoHeaderBytes] = {};
  PutLittle32(infoHeader + 0, kInfoHeaderBytes);
  PutLittle32(infoHeader + 4, cinfo->output_width);
  PutLittle32(infoHeader + 8, cinfo->output_height);
  PutLittle16(infoHeader + 12, 1);
  PutLittle16(infoHeader + 14, gray ? 8 : 24);
  PutLittle32(infoHeader + 24, PixelsPerMetre(cinfo, cinfo->X_density));
  PutLittle32(infoHeader + 28, PixelsPerMetre(cinfo, cinfo->Y_density));
  PutLittle32(infoHeader + 32, gray ? 256 : 0);

  if (fwrite(fileHeader, 1, kFileHeaderBytes, writer->output) != kFileHeaderBytes ||
      fwrite(infoHeader, 1, kInfoHeaderBytes, writer->output) != kInfoHeaderBytes) {
    ERREXIT(cinfo, JERR_FILE_WRITE);
  }
  if (gray) {
    unsigned char colorMap[kColorMapBytes];
    for (uint32_t i = 0; i < 256; ++i) {
      unsigned char* entry = colorMap + 4 * i;
      entry[0] = entry[1] = entry[2] = static_cast<unsigned char>(i);
      entry[3] = 0;
    }
    // A short write here shows in the stream's error flag at the end.
    fwrite(colorMap, 1, kColorMapBytes, writer->output);
  }
}
