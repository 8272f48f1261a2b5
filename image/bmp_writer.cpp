#include "image/bmp_writer.h"

#include <cstdint>

#include <jerror.h>

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kColorMapBytes = 256 * 4;

// Nothing is written before the finish step, so that a picture the decoder
// gives up on leaves an empty file behind.
void StartBmpFile(j_decompress_ptr, BmpWriter*) {}

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

// The next row of the whole image, with the row in the buffer still to be put
// into it.
JSAMPROW NextStoredRow(j_decompress_ptr cinfo, BmpWriter* writer) {
  JSAMPARRAY rows = (*cinfo->mem->access_virt_sarray)(
      reinterpret_cast<j_common_ptr>(cinfo), writer->wholeImage, writer->currentRow, 1, TRUE);
  writer->currentRow += 1;
  return rows[0];
}

}  // namespace

BmpWriter* CreateBmpWriter(j_decompress_ptr cinfo) {
  j_common_ptr common = reinterpret_cast<j_common_ptr>(cinfo);
  BmpWriter* writer =
      static_cast<BmpWriter*>((*cinfo->mem->alloc_small)(common, JPOOL_IMAGE, sizeof(BmpWriter)));
  writer->start = StartBmpFile;
  writer->finish = FinishBmpFile;
  if (cinfo->out_color_space == JCS_GRAYSCALE) {
    writer->storeRows = StoreGrayRow;
  } else if (cinfo->out_color_space == JCS_RGB) {
    writer->storeRows = StoreRgbRow;
  } else {
    ERREXIT(cinfo, kUnsupportedColorSpace);
  }
  writer->output = nullptr;
  jpeg_calc_output_dimensions(cinfo);
  writer->dataWidth = cinfo->output_width * JDIMENSION(cinfo->output_components);
  writer->rowWidth = (writer->dataWidth + 3) & ~JDIMENSION(3);
  writer->padBytes = writer->rowWidth - writer->dataWidth;
  if (HeaderBytes(cinfo) + uint64_t(writer->rowWidth) * cinfo->output_height > UINT32_MAX)
    ERREXIT(cinfo, kPictureTooLarge);
  writer->currentRow = 0;
  writer->wholeImage = (*cinfo->mem->request_virt_sarray)(
      common, JPOOL_IMAGE, FALSE, writer->rowWidth, cinfo->output_height, 1);
  writer->bufferHeight = 1;
  writer->buffer = (*cinfo->mem->alloc_sarray)(common, JPOOL_IMAGE, writer->rowWidth, 1);
  return writer;
}

// The buffer holds one row, so every call brings exactly one.
void StoreRgbRow(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION) {
  // The rows never overlap; saying so lets the compiler keep the loop tight.
  JSAMPLE* __restrict out = NextStoredRow(cinfo, writer);
  const JSAMPLE* __restrict in = writer->buffer[0];
  for (JDIMENSION x = 0; x < cinfo->output_width; ++x, in += 3, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
  for (JDIMENSION i = 0; i < writer->padBytes; ++i)
    *out++ = 0;
}

void StoreGrayRow(j_decompress_ptr cinfo, BmpWriter* writer, JDIMENSION) {
  JSAMPROW out = NextStoredRow(cinfo, writer);
  JSAMPROW in = writer->buffer[0];
  for (JDIMENSION x = 0; x < cinfo->output_width; ++x)
    *out++ = *in++;
  for (JDIMENSION i = 0; i < writer->padBytes; ++i)
    *out++ = 0;
}

void FinishBmpFile(j_decompress_ptr cinfo, BmpWriter* writer) {
  WriteBmpHeaders(cinfo, writer);
  for (JDIMENSION row = cinfo->output_height; row-- > 0;) {
    JSAMPARRAY rows = (*cinfo->mem->access_virt_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                        writer->wholeImage, row, 1, FALSE);
    fwrite(rows[0], 1, writer->rowWidth, writer->output);
  }
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
