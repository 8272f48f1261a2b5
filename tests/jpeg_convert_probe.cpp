// Runs ConvertJpegToBmp(argv[1], argv[2]). Exit status: 0 when the BMP file is
// complete, 10 when the input cannot be opened (-1), 20 when the output cannot
// be opened (-2), 30 when the decoder gave up (-3), 2 when the arguments are
// wrong.
#include <cstdio>

#include "image/jpeg_to_bmp.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: jpeg_convert_probe input.jpg output.bmp\n");
    return 2;
  }
  return -10 * ConvertJpegToBmp(argv[1], argv[2]);
}
