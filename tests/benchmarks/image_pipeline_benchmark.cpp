// Times the image pipeline on photograph-like pictures and prints each figure
// with its ratio to the target:
//   conversion    ConvertJpegToBmp, against libjpeg's bare decode of the same
//                 file into memory (target: within 1.3 times);
//   load + draw   LoadPackedDib, then FitPictureRect and DrawPackedDib into a
//                 1920x1080 memory device context (target: under a quarter
//                 of the bare decode);
//   conversion memory   the peak resident memory of one conversion above the
//                 process's baseline, against the decoded picture's size
//                 (target: within 1.5 times), measured in a child; the native
//                 build only (/proc under Wine shows Wine's own figures).
// Usage: image_pipeline_benchmark [repetitions]   (default 5; best run counts)
// Both builds: the Windows one under Wine gives the ratios of its own
// libjpeg.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "image/draw_packed_dib.h"
#include "image/fit_picture.h"
#include "image/jpeg_to_bmp.h"
#include "image/packed_dib.h"
#include "package/show_state.h"
#include "tests/benchmarks/best_time.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"

namespace {

// A figure of /proc/self/status in KiB ("VmRSS", "VmHWM"), or 0.
long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  return 0;
}

void Measure(HDC memory, int width, int height, int repetitions) {
  ScratchDir dir;
  const std::string jpeg = dir / "picture.jpg", bmp = dir / "picture.bmp";
  WritePhotoLikeJpeg(jpeg, width, height);
  const RECT client = {0, 0, 1920, 1080}, whole = {0, 0, width, height};
  // Each picture change writes a new temporary file, as each conversion here
  // does: the file goes in a run of its own, whose time does not count.
  const std::vector<double> ms =
      BestMilliseconds(repetitions, {[&] { DecodeJpeg(jpeg); }, [&] { std::remove(bmp.c_str()); },
                                     [&] { ConvertJpegToBmp(jpeg.c_str(), bmp.c_str()); },
                                     [&] {
                                       PackedDib dib = LoadPackedDib(bmp.c_str());
                                       RECT destination;
                                       FitPictureRect(client, whole, destination);
                                       DrawPackedDib(memory, destination, dib, whole);
                                       FreePackedDib(dib);
                                     }});
  std::printf("%dx%d picture (%.1f MB JPEG)\n", width, height,
              double(ReadFileBytes(jpeg).size()) / 1e6);
  std::printf("  libjpeg decode      %8.1f ms\n", ms[0]);
  std::printf("  conversion          %8.1f ms   %.2f x decode   (target <= 1.30)\n", ms[2],
              ms[2] / ms[0]);
  std::printf("  load + draw         %8.1f ms   %.2f x decode   (target < 0.25)\n", ms[3],
              ms[3] / ms[0]);
  if (!ExeSuffix().empty()) return;
  const long peak =
      std::atol(RunChild({BuildProgram("image_pipeline_benchmark"), "--conversion-peak", jpeg, bmp})
                    .out.c_str());
  std::printf("  conversion memory   %8.1f MB   %.2f x decoded picture (target <= 1.50)\n",
              peak / 1024.0, peak * 1024.0 / (3.0 * width * height));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--conversion-peak") {
    // In a fresh process, whose peak is its own alone: VmHWM belongs to this
    // program's memory map, where the rusage peak would count the parent's too.
    const long baseline = StatusKilobytes("VmRSS");
    ConvertJpegToBmp(argv[2], argv[3]);
    std::printf("%ld\n", StatusKilobytes("VmHWM") - baseline);
    return 0;
  }
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  showState.settings.Resize = 1;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP frame = CreateCompatibleBitmap(screen, 1920, 1080);
  HGDIOBJ previous = SelectObject(memory, frame);
  Measure(memory, 4000, 3000, repetitions);
  Measure(memory, 1920, 1080, repetitions);
  SelectObject(memory, previous);
  DeleteObject(frame);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return 0;
}
