// Runs ConvertJpegToBmp(argv[1], argv[2]) and exits with ten times its negated
// result (30 when the decoder gave up), or 2 when the arguments are wrong.
#include "image/jpeg_to_bmp.h"

int main(int argc, char** argv) {
  return argc == 3 ? -10 * ConvertJpegToBmp(argv[1], argv[2]) : 2;
}
