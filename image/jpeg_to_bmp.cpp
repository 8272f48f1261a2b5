#include "image/jpeg_to_bmp.h"

#include <csetjmp>
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

// libjpeg's standard error manager, except that a fatal error returns to the
// converter instead of ending the process: a show may hold any file.
struct ConverterErrors {
  jpeg_error_mgr standard;
  std::jmp_buf giveUp;
};

[[noreturn]] void GiveUpOnPicture(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  std::longjmp(reinterpret_cast<ConverterErrors*>(cinfo->err)->giveUp, 1);
}

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
  // Everything the recovery below reads is either set before setjmp or
  // volatile, so it survives the longjmp.
  jpeg_decompress_struct cinfo = {};
  ConverterErrors errors;
  FILE* volatile input = nullptr;
  FILE* volatile output = nullptr;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = GiveUpOnPicture;
  if (setjmp(errors.giveUp) != 0) {
    jpeg_destroy_decompress(&cinfo);
    if (input != nullptr) fclose(input);
    // Rows already written are no picture: the file is left empty.
    if (output != nullptr) {
      fclose(output);
      if (FILE* emptied = fopen(bmpPath, "wb")) fclose(emptied);
    }
    return kJpegUndecodable;
  }
  jpeg_create_decompress(&cinfo);
  errors.standard.first_addon_message = kFirstAddonMessage;
  errors.standard.last_addon_message = kLastAddonMessage;
  errors.standard.addon_message_table = kAddonMessages;
  jpeg_set_marker_processor(&cinfo, JPEG_COM, DiscardMarkerText);
  jpeg_set_marker_processor(&cinfo, JPEG_APP0 + 12, DiscardMarkerText);

  input = fopen(jpegPath, "rb");
  if (input == nullptr) {
    jpeg_destroy_decompress(&cinfo);
    return kJpegNotOpened;
  }
  fseek(input, 0, SEEK_SET);
  output = fopen(bmpPath, "wb");
  if (output == nullptr) {
    jpeg_destroy_decompress(&cinfo);
    fclose(input);
    return kBmpNotOpened;
  }
  // The writer writes whole bands of rows; a stream buffer would only split them.
  setvbuf(output, nullptr, _IONBF, 0);
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
  return kBmpComplete;
}
