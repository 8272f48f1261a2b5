// Loading BMP files into packed bitmaps. Runs natively and under Wine, so it
// asserts only what Windows does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/packed_dib.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/wave_image.h"

namespace {

// Bytes that differ from their neighbours, so that a misplaced read shows.
std::string Pattern(size_t size, unsigned start) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i)
    bytes[i] = char((start + i * 7) % 251);
  return bytes;
}

uint32_t RowBytes(int32_t width, uint16_t bitCount) {
  return (uint32_t(width) * bitCount + 31) / 32 * 4;
}

// A BMP file as the loader meets it: the file header, a 40-byte information
// header, the rest of a larger header, the colour table, a gap, then the
// pixels. The pixel offset points at the pixels unless `offset` is set.
struct Bmp {
  std::string type = "BM";
  uint32_t headerSize = 40;
  int32_t width = 3;
  int32_t height = 2;
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = BI_RGB;
  uint32_t imageSize = 0;
  uint32_t colorsUsed = 0;
  std::string headerTail, table, gap;
  std::string pixels = Pattern(RowBytes(3, 24) * 2, 1);
  int64_t offset = -1;

  std::string Bytes() const {
    std::string body = Le32(headerSize) + Le32(uint32_t(width)) + Le32(uint32_t(height)) +
                       Le16(planes) + Le16(bitCount) + Le32(compression) + Le32(imageSize) +
                       Le32(2835) + Le32(2835) + Le32(colorsUsed) + Le32(0) + headerTail + table +
                       gap;
    return type + Le32(uint32_t(14 + body.size() + pixels.size())) + Le32(0) +
           Le32(offset < 0 ? uint32_t(14 + body.size()) : uint32_t(offset)) + body + pixels;
  }
};

// A bitmap of patterned pixels whose file holds `entries` colours.
Bmp Made(uint16_t bitCount, int32_t width, int32_t height, uint32_t colorsUsed = 0,
         uint32_t entries = 0) {
  Bmp bmp;
  bmp.width = width;
  bmp.height = height;
  bmp.bitCount = bitCount;
  bmp.colorsUsed = colorsUsed;
  bmp.table = Pattern(entries * 4, 100);
  bmp.pixels = Pattern(size_t(RowBytes(width, bitCount)) * size_t(std::abs(height)), 7);
  return bmp;
}

template <typename Change>
Bmp With(Bmp bmp, Change change) {
  change(bmp);
  return bmp;
}

class PackedDibTest : public ::testing::Test {
 protected:
  ~PackedDibTest() override {
    for (PackedDib dib : loaded_)
      EXPECT_EQ(FreePackedDib(dib), 0);
  }

  // Loads the file while no cursor shows; whatever happens, the loader must
  // leave the arrow.
  PackedDib Load(const std::string& path) {
    SetCursor(nullptr);
    PackedDib dib = LoadPackedDib(path.c_str());
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    loaded_.push_back(dib);
    return dib;
  }
  PackedDib LoadBytes(const std::string& bytes) {
    std::string path = dir_ / ("picture" + std::to_string(loaded_.size()) + ".bmp");
    WriteFileBytes(path, bytes);
    return Load(path);
  }

  ScratchDir dir_;
  std::vector<PackedDib> loaded_;
};

// The block holds the header's first 40 bytes with colours used and image
// size filled in, the rest of a larger header zeroed, the colour table of
// `colors` entries and the pixels, each in its place.
TEST_F(PackedDibTest, LoadsHeaderTableAndPixelsIntoOneBlock) {
  Bmp padded = Made(24, 4, 8191);  // three whole reads of 32767, the rows and some padding
  padded.imageSize = 3 * 32767;
  padded.pixels = Pattern(padded.imageSize, 5);
  const struct {
    const char* what;
    Bmp bmp;
    uint32_t colors;
  } cases[] = {
      {"true colour", Bmp(), 0},
      // The table's size comes from colours used, or else the bit count.
      {"1 bit", Made(1, 5, 3, 0, 2), 2},
      {"8 bits", Made(8, 5, 3, 0, 256), 256},
      {"4 bits, 3 used", Made(4, 5, 3, 3, 3), 3},
      {"24 bits, 2 used", Made(24, 5, 3, 2, 2), 2},
      {"16 bits", Made(16, 5, 3, 0, 0), 0},
      {"2 planes", With(Bmp(), [](Bmp& b) { b.planes = 2; }), 0},
      {"pixel offset 0: behind the table", With(Made(4, 5, 3, 0, 16), [](Bmp& b) { b.offset = 0; }),
       16},
      {"gap before the pixels", With(Made(8, 5, 3, 2, 2), [](Bmp& b) { b.gap = "0123456789"; }), 2},
      {"larger header",
       With(Bmp(), [](Bmp& b) { b.headerSize = 108, b.headerTail = Pattern(68, 9); }), 0},
      {"60000 bytes of pixels: two reads", Made(24, 200, 100), 0},
      {"image size beyond the rows", padded, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bmp& bmp = c.bmp;
    PackedDib dib = LoadBytes(bmp.Bytes());
    ASSERT_NE(dib, nullptr);
    const size_t tableBytes = c.colors * 4;
    const size_t size = bmp.headerSize + tableBytes + bmp.pixels.size();
    // Windows may round a block up, by a few bytes at most.
    EXPECT_GE(GlobalSize(dib), size);
    EXPECT_LT(GlobalSize(dib), size + 32);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    ASSERT_NE(header, nullptr);
    const char* bytes = reinterpret_cast<const char*>(header);
    EXPECT_EQ(PackedDibWidth(header), bmp.width);
    EXPECT_EQ(PackedDibHeight(header), bmp.height);
    EXPECT_EQ(header->biClrUsed, c.colors);
    EXPECT_EQ(header->biSizeImage, bmp.pixels.size());
    EXPECT_EQ(std::string(bytes + 40, bmp.headerSize - 40), std::string(bmp.headerSize - 40, '\0'));
    EXPECT_EQ(std::string(bytes + bmp.headerSize, tableBytes), bmp.table.substr(0, tableBytes));
    const char* pixels = bytes + size - bmp.pixels.size();
    EXPECT_EQ(reinterpret_cast<const char*>(PackedDibPixels(header)), pixels);
    EXPECT_EQ(std::string(pixels, bmp.pixels.size()), bmp.pixels);
    GlobalUnlock(dib);
  }
}

TEST_F(PackedDibTest, RefusesDamagedFiles) {
  const std::string good = Bmp().Bytes();
  const std::string large = Made(24, 200, 100).Bytes();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"file header cut", good.substr(0, 10)},
      {"not BM", With(Bmp(), [](Bmp& b) { b.type = "BA"; }).Bytes()},
      {"core header", With(Bmp(), [](Bmp& b) { b.headerSize = 12; }).Bytes()},
      {"header size beyond the largest", With(Bmp(), [](Bmp& b) { b.headerSize = 200; }).Bytes()},
      {"information header cut", good.substr(0, 14 + 20)},
      {"pixels one byte short", good.substr(0, good.size() - 1)},
      {"last of several reads one byte short", large.substr(0, large.size() - 1)},
      {"image size below the rows", With(Bmp(), [](Bmp& b) { b.imageSize = 23; }).Bytes()},
      {"zero width", With(Bmp(), [](Bmp& b) { b.width = 0; }).Bytes()},
      {"negative width", With(Bmp(), [](Bmp& b) { b.width = -3; }).Bytes()},
      {"zero height", With(Bmp(), [](Bmp& b) { b.height = 0; }).Bytes()},
      // Rows stored top first: fitting and drawing take the height as it is.
      {"negative height", Made(24, 3, -2).Bytes()},
      {"no planes", With(Bmp(), [](Bmp& b) { b.planes = 0; }).Bytes()},
      {"2 bits per pixel", With(Bmp(), [](Bmp& b) { b.bitCount = 2; }).Bytes()},
      {"largest width and height",
       With(Bmp(), [](Bmp& b) { b.width = b.height = INT32_MAX, b.bitCount = 32; }).Bytes()},
      {"block beyond 32 bits",
       With(Made(8, 5, 3, 256, 256), [](Bmp& b) { b.imageSize = 0xFFFFFC00u; }).Bytes()},
      {"17 colours at 4 bits", Made(4, 5, 3, 17, 17).Bytes()},
      {"257 colours at 24 bits", Made(24, 5, 3, 257, 257).Bytes()},
      {"run-length encoded",
       With(Made(8, 5, 3, 0, 256), [](Bmp& b) { b.compression = 1; }).Bytes()},
      {"bit fields", With(Made(32, 5, 3, 0, 0),
                          [](Bmp& b) { b.compression = 3, b.gap = std::string(12, '\xFF'); })
                         .Bytes()},
      {"pixel offset beyond 2 GB", With(Bmp(), [](Bmp& b) { b.offset = 0x80000000u; }).Bytes()},
      {"pixel offset past the end", With(Bmp(), [](Bmp& b) { b.offset = 1000; }).Bytes()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadBytes(c.bytes), nullptr);
  }
  EXPECT_EQ(Load(dir_ / "absent.bmp"), nullptr);
  EXPECT_EQ(Load(dir_.path()), nullptr);
}

}  // namespace
