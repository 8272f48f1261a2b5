#include "image/jpeg_to_bmp.h"

#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

#include "image/bmp_writer.h"

namespace {

// The converter's own fatal errors are numbered from 1000 and carry no text:
// libjpeg reports each as "Bogus message code N". One entry per code, so that
// the library never reads past the table.
constexpr int kFirstAddonMessage = 1000;
constexpr int kLastAddonMessage = 1043;
const char* const kAddonMessages[kLastAddonMessage - kFirstAddonMessage + 1] = {};

constexpr size_t kOutputBufferBytes = size_t(1) << 20;

int ReadMarkerByte(j_decompress_ptr cinfo) {
  jpeg_source_mgr* src = cinfo->src;
  if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo)) {
    ERREXIT(cinfo, JERR_CANT_SUSPEND);
  }
  src->bytes_in_buffer -= 1;
  return *src->next_input_byte++;
}

// Comments and APP12 texts mean nothing to a slide show: skip their bytes.
boolean DiscardMarkerText(j_decompress_ptr cinfo) {
  long length = long(ReadMarkerByte(cinfo)) << 8;
  length += ReadMarkerByte(cinfo);
  length -= 2;  // the length counts its own two bytes
  if (length > 0) (*cinfo->src->skip_input_data)(cinfo, length);
  return TRUE;
}

}  // namespace

int32_t ConvertJpegToBmp(const char* jpegPath, const char* bmpPath) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jerr.first_addon_message = kFirstAddonMessage;
  jerr.last_addon_message = kLastAddonMessage;
  jerr.addon_message_table = kAddonMessages;
  jpeg_set_marker_processor(&cinfo, JPEG_COM, DiscardMarkerText);
  jpeg_set_marker_processor(&cinfo, JPEG_APP0 + 12, DiscardMarkerText);

  FILE* input = fopen(jpegPath, "rb");
  if (input == nullptr) {
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  fseek(input, 0, SEEK_SET);
  FILE* output = fopen(bmpPath, "wb");
  if (output == nullptr) {
    jpeg_destroy_decompress(&cinfo);
    fclose(input);
    return -2;
  }
  // Whole rows of a large picture would otherwise go out in a few thousand
  // small writes; the file's bytes are the same either way.
  setvbuf(output, nullptr, _IOFBF, kOutputBufferBytes);
  jpeg_stdio_src(&cinfo, input);
  jpeg_read_header(&cinfo, TRUE);

  BmpWriter* writer = CreateBmpWriter(&cinfo);
  writer->output = output;
  jpeg_start_decompress(&cinfo);
  (*writer->start)(&cinfo, writer);
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION rows = jpeg_read_scanlines(&cinfo, writer->buffer, writer->bufferHeight);
    (*writer->storeRows)(&cinfo, writer, rows);
  }
  (*writer->finish)(&cinfo, writer);

  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  fclose(input);
  fclose(output);
  return 0;
}
