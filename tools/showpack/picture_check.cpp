#include "tools/showpack/picture_check.h"

#include <csetjmp>
#include <cstdio>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

constexpr int kConvertedQuality = 90;

// libjpeg's error manager, with a way back out of libjpeg instead of its exit.
struct ErrorSink {
  jpeg_error_mgr manager;  // first, so that libjpeg's pointer to it is one to the sink
  std::jmp_buf leave;
  char reason[JMSG_LENGTH_MAX];
  char warning[JMSG_LENGTH_MAX];
};

ErrorSink& SinkOf(j_common_ptr info) {
  return *reinterpret_cast<ErrorSink*>(info->err);
}

[[noreturn]] void LeaveWithReason(j_common_ptr info) {
  info->err->format_message(info, SinkOf(info).reason);
  std::longjmp(SinkOf(info).leave, 1);
}

// Keeps the first warning only, as the player's standard policy shows only
// the first; trace messages (level 0 and up) are not warnings.
void KeepFirstWarning(j_common_ptr info, int level) {
  if (level >= 0) return;
  if (info->err->num_warnings++ == 0) info->err->format_message(info, SinkOf(info).warning);
}

// A compressor's destination that appends to a string.
struct StringDestination {
  jpeg_destination_mgr manager;  // first, for the same reason as in ErrorSink
  std::string* bytes;
  JOCTET buffer[16 * 1024];
};

StringDestination& DestinationOf(j_compress_ptr info) {
  return *reinterpret_cast<StringDestination*>(info->dest);
}

void StartDestination(j_compress_ptr info) {
  StringDestination& destination = DestinationOf(info);
  destination.manager.next_output_byte = destination.buffer;
  destination.manager.free_in_buffer = sizeof destination.buffer;
}

boolean FlushDestination(j_compress_ptr info) {
  StringDestination& destination = DestinationOf(info);
  destination.bytes->append(reinterpret_cast<const char*>(destination.buffer),
                            sizeof destination.buffer);
  StartDestination(info);
  return TRUE;
}

void FinishDestination(j_compress_ptr info) {
  StringDestination& destination = DestinationOf(info);
  destination.bytes->append(reinterpret_cast<const char*>(destination.buffer),
                            sizeof destination.buffer - destination.manager.free_in_buffer);
}

// Everything one check hands to libjpeg. It lives outside the function that
// calls setjmp, so that nothing that function owns changes between the setjmp
// and a jump back.
struct Codec {
  jpeg_decompress_struct decoder;
  jpeg_compress_struct encoder;
  ErrorSink errors;
  StringDestination destination;
};

// CMYK samples to RGB. Photoshop, and with it every writer that puts an Adobe
// marker in, stores the inks inverted (255 is no ink); otherwise 0 is no ink.
void CmykRowToRgb(const JSAMPLE* cmyk, JSAMPLE* rgb, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
    unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int i = 0; i < 3; ++i) {
      unsigned c = inverted ? cmyk[i] : 255u - cmyk[i];
      rgb[i] = JSAMPLE((c * k + 127) / 255);
    }
  }
}

PictureCheck::Outcome DecodeAll(Codec& codec) {
  jpeg_decompress_struct& decoder = codec.decoder;
  jpeg_start_decompress(&decoder);
  JSAMPARRAY row =
      decoder.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                decoder.output_width * JDIMENSION(decoder.output_components), 1);
  while (decoder.output_scanline < decoder.output_height) {
    // The memory source never suspends; a stall must not turn into a hang.
    if (jpeg_read_scanlines(&decoder, row, 1) != 1) return PictureCheck::Outcome::Refused;
  }
  jpeg_finish_decompress(&decoder);
  return PictureCheck::Outcome::Playable;
}

// Decodes the CMYK output row by row into an RGB compressor writing to the
// destination's string.
PictureCheck::Outcome ConvertCmyk(Codec& codec) {
  jpeg_decompress_struct& decoder = codec.decoder;
  jpeg_compress_struct& encoder = codec.encoder;
  jpeg_start_decompress(&decoder);

  jpeg_create_compress(&encoder);
  codec.destination.manager.init_destination = StartDestination;
  codec.destination.manager.empty_output_buffer = FlushDestination;
  codec.destination.manager.term_destination = FinishDestination;
  encoder.dest = &codec.destination.manager;
  encoder.image_width = decoder.output_width;
  encoder.image_height = decoder.output_height;
  encoder.input_components = 3;
  encoder.in_color_space = JCS_RGB;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, kConvertedQuality, TRUE);
  if (decoder.saw_JFIF_marker) {
    encoder.density_unit = decoder.density_unit;
    encoder.X_density = decoder.X_density;
    encoder.Y_density = decoder.Y_density;
  }
  jpeg_start_compress(&encoder, TRUE);

  JSAMPARRAY cmyk = decoder.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                              decoder.output_width * 4, 1);
  JSAMPARRAY rgb = decoder.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&decoder), JPOOL_IMAGE,
                                             decoder.output_width * 3, 1);
  while (decoder.output_scanline < decoder.output_height) {
    if (jpeg_read_scanlines(&decoder, cmyk, 1) != 1) return PictureCheck::Outcome::Refused;
    CmykRowToRgb(cmyk[0], rgb[0], decoder.output_width, decoder.saw_Adobe_marker);
    jpeg_write_scanlines(&encoder, rgb, 1);
  }
  jpeg_finish_compress(&encoder);
  jpeg_finish_decompress(&decoder);
  return PictureCheck::Outcome::Converted;
}

// Every libjpeg failure comes back here through LeaveWithReason, with the
// reason in codec.errors.reason. The caller destroys both libjpeg objects.
PictureCheck::Outcome Decode(Codec& codec, const std::string& jpeg) {
  if (setjmp(codec.errors.leave) != 0) return PictureCheck::Outcome::Refused;
  jpeg_create_decompress(&codec.decoder);
  jpeg_mem_src(&codec.decoder, reinterpret_cast<const unsigned char*>(jpeg.data()),
               static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&codec.decoder, TRUE);
  switch (codec.decoder.out_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
      return DecodeAll(codec);
    case JCS_CMYK:
      return ConvertCmyk(codec);
    default:
      std::snprintf(codec.errors.reason, sizeof codec.errors.reason,
                    "a picture of %d colour components, which the player cannot show",
                    codec.decoder.num_components);
      return PictureCheck::Outcome::Refused;
  }
}

}  // namespace

PictureCheck CheckPicture(const std::string& jpeg) {
  PictureCheck check;
  Codec codec{};
  codec.decoder.err = jpeg_std_error(&codec.errors.manager);
  codec.errors.manager.error_exit = LeaveWithReason;
  codec.errors.manager.emit_message = KeepFirstWarning;
  codec.encoder.err = &codec.errors.manager;
  codec.destination.bytes = &check.convertedJpeg;
  std::snprintf(codec.errors.reason, sizeof codec.errors.reason, "%s",
                "the decoder stopped before the last row");

  check.outcome = Decode(codec, jpeg);
  const bool fromYcck = codec.decoder.jpeg_color_space == JCS_YCCK;
  const bool inverted = codec.decoder.saw_Adobe_marker != 0;
  jpeg_destroy_compress(&codec.encoder);
  jpeg_destroy_decompress(&codec.decoder);

  check.warning = codec.errors.warning;
  switch (check.outcome) {
    case PictureCheck::Outcome::Playable:
      break;
    case PictureCheck::Outcome::Converted:
      check.note = std::string("converted from ") + (fromYcck ? "YCCK" : "CMYK") +
                   (inverted ? " (Adobe, inverted inks)" : "") +
                   " to an RGB JPEG, which the player can show";
      break;
    case PictureCheck::Outcome::Refused:
      check.convertedJpeg.clear();
      check.note = codec.errors.reason;
      break;
  }
  return check;
}
