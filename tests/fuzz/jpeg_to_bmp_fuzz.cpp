// The JPEG decoder turning a show's picture into the intermediate BMP file,
// and the bitmap loader reading that file back.
#include <cstdint>

#include "image/jpeg_to_bmp.h"
#include "image/packed_dib.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string jpeg = WriteScratchFile("picture.jpg", data, size);
  std::string bmp = FuzzScratchDir() + "picture.bmp";
  if (ConvertJpegToBmp(jpeg.c_str(), bmp.c_str()) == 0) FreePackedDib(LoadPackedDib(bmp.c_str()));
  return 0;
}
