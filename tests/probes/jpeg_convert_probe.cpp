// Runs ConvertJpegToBmp(argv[1], argv[2]) and exits with ten times its negated
// result (30 when the decoder gave up), or 2 when the arguments are wrong.
#include <cstdio>

#include "image/jpeg_to_bmp.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: jpeg_convert_probe input.jpg output.bmp\n");
    return 2;
  }
  return -10 * ConvertJpegToBmp(argv[1], argv[2]);
}
