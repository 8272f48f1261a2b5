// Times the image pipeline on photograph-like pictures and prints each figure
// with its ratio to the target:
//   conversion          ConvertJpegToBmp, against libjpeg's bare decode of the
//                       same file into memory (target: within 1.3 times);
//   load + draw         LoadPackedDib, then FitPictureRect and DrawPackedDib
//                       into a 1920x1080 memory device context (target: under
//                       a quarter of the bare decode);
//   conversion memory   the peak resident memory of one conversion above the
//                       process's baseline, against the decoded picture's size
//                       (target: within 1.5 times), measured in a child; the
//                       native build only (/proc under Wine shows Wine's own
//                       figures).
// Usage: image_pipeline_benchmark [repetitions]   (default 5; best run counts)
// Both builds: the Windows one under Wine gives the ratios of its own
// libjpeg.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "image/draw_packed_dib.h"
#include "image/fit_picture.h"
#include "image/jpeg_to_bmp.h"
#include "image/packed_dib.h"
#include "package/show_state.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"

namespace {

double BestSeconds(
    int repetitions, const std::function<void()>& run,
    const std::function<void()>& prepare = [] {}) {
  double best = 1e30;
  for (int i = 0; i < repetitions; ++i) {
    prepare();
    auto start = std::chrono::steady_clock::now();
    run();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

// A figure of /proc/self/status in KiB ("VmRSS", "VmHWM"), or -1 where there
// is none.
long StatusKilobytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  char line[256];
  long value = -1;
  const std::string format = std::string(field) + ": %ld";
  while (status && std::fgets(line, sizeof line, status)) {
    if (std::sscanf(line, format.c_str(), &value) == 1) break;
  }
  if (status) std::fclose(status);
  return value;
}

// Converts once and prints the peak resident memory above the baseline, in
// KiB. Runs in a fresh process, whose peak is its own alone.
int PrintConversionPeak(const char* jpeg, const char* bmp) {
  long baseline = StatusKilobytes("VmRSS");
  ConvertJpegToBmp(jpeg, bmp);
  // VmHWM belongs to this program's own memory map; the rusage peak would also
  // count the parent's, from before exec.
  std::printf("%ld\n", StatusKilobytes("VmHWM") - baseline);
  return 0;
}

// -1 where the system does not tell.
long ConversionPeakKilobytes(const std::string& jpeg, const std::string& bmp) {
  if (!ExeSuffix().empty() || StatusKilobytes("VmRSS") < 0) return -1;
  ChildResult r =
      RunChild({BuildProgram("image_pipeline_benchmark"), "--conversion-peak", jpeg, bmp});
  return r.exitCode == 0 && !r.out.empty() ? std::atol(r.out.c_str()) : -1;
}

void Measure(const ScratchDir& dir, int width, int height, int repetitions) {
  const std::string jpeg = dir / "picture.jpg", bmp = dir / "picture.bmp";
  JpegPicture picture;
  picture.width = width;
  picture.height = height;
  picture.quality = 90;
  WriteJpeg(jpeg, picture, PhotoLikeRows(width, height, 3));

  // The decode and the conversion take turns, so that both see the same load
  // on a shared machine. Each picture change writes a new temporary file, as
  // here.
  double decode = 1e30, convert = 1e30;
  for (int k = 0; k < repetitions; ++k) {
    decode = std::min(decode, BestSeconds(1, [&] { DecodeJpeg(jpeg); }));
    convert = std::min(convert, BestSeconds(
                                    1, [&] { ConvertJpegToBmp(jpeg.c_str(), bmp.c_str()); },
                                    [&] { std::remove(bmp.c_str()); }));
  }
  double load = BestSeconds(repetitions, [&] { FreePackedDib(LoadPackedDib(bmp.c_str())); });

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP frame = CreateCompatibleBitmap(screen, 1920, 1080);
  HGDIOBJ previous = SelectObject(memory, frame);
  PackedDib dib = LoadPackedDib(bmp.c_str());
  const RECT client = {0, 0, 1920, 1080}, whole = {0, 0, width, height};
  double draw = BestSeconds(repetitions, [&] {
    RECT destination;
    FitPictureRect(client, whole, destination);
    DrawPackedDib(memory, destination, dib, whole);
  });
  FreePackedDib(dib);
  SelectObject(memory, previous);
  DeleteObject(frame);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  long peak = ConversionPeakKilobytes(jpeg, bmp);
  double decodedKilobytes = double(width) * height * 3 / 1024;

  std::printf("%dx%d picture (%.1f MB JPEG)\n", width, height,
              double(ReadFileBytes(jpeg).size()) / 1e6);
  std::printf("  libjpeg decode      %8.1f ms\n", decode * 1e3);
  std::printf("  conversion          %8.1f ms   %.2f x decode   (target <= 1.30)\n", convert * 1e3,
              convert / decode);
  std::printf("  load                %8.1f ms\n", load * 1e3);
  std::printf("  fit + draw          %8.1f ms\n", draw * 1e3);
  std::printf("  load + draw         %8.1f ms   %.2f x decode   (target < 0.25)\n",
              (load + draw) * 1e3, (load + draw) / decode);
  if (peak >= 0) {
    std::printf("  conversion memory   %8.1f MB   %.2f x decoded picture (target <= 1.50)\n",
                peak / 1024.0, peak / decodedKilobytes);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--conversion-peak") {
    return PrintConversionPeak(argv[2], argv[3]);
  }
  int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  showState.settings.Resize = 1;
  ScratchDir dir;
  Measure(dir, 4000, 3000, repetitions);
  Measure(dir, 1920, 1080, repetitions);
  return 0;
}
