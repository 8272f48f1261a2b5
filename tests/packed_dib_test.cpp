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

// A BMP file as the loader meets it: the file header, a 40-byte information
// header, the rest of a larger header, the colour table, a gap, then the
// pixels. The pixel offset points at the pixels unless `offset` is set.
struct Bmp {
  std::string type = "BM";
  uint32_t headerSize = 40;
  int32_t width = 3, height = 2;
  uint16_t planes = 1, bitCount = 24;
  uint32_t compression = BI_RGB, imageSize = 0, colorsUsed = 0;
  std::string headerTail, table, gap;
  std::string pixels = Pattern(24, 1);
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
  bmp.width = width, bmp.height = height, bmp.bitCount = bitCount, bmp.colorsUsed = colorsUsed;
  bmp.table = Pattern(entries * 4, 100);
  const size_t rowBytes = (size_t(width) * bitCount + 31) / 32 * 4;
  bmp.pixels = Pattern(rowBytes * size_t(std::abs(height)), 7);
  return bmp;
}

// bmp with one field changed.
template <typename Field, typename Value>
Bmp With(Field Bmp::*field, Value value, Bmp bmp = Bmp()) {
  bmp.*field = Field(value);
  return bmp;
}

class PackedDibTest : public ::testing::Test {
 protected:
  ~PackedDibTest() override {
    for (PackedDib dib : loaded_)
      FreePackedDib(dib);
  }

  PackedDib Load(const std::string& bytes) {
    const std::string path = dir_ / ("picture" + std::to_string(loaded_.size()) + ".bmp");
    WriteFileBytes(path, bytes);
    loaded_.push_back(LoadPackedDib(path.c_str()));
    return loaded_.back();
  }

  ScratchDir dir_;
  std::vector<PackedDib> loaded_;
};

// The block holds the header's first 40 bytes with colours used and image
// size filled in, the rest of a larger header zeroed, the colour table of
// `colors` entries and the pixels, each in its place.
TEST_F(PackedDibTest, LoadsHeaderTableAndPixelsIntoOneBlock) {
  // Three whole reads of 32767: the rows and some padding.
  Bmp padded = With(&Bmp::imageSize, 3 * 32767, Made(24, 4, 8191));
  padded.pixels = Pattern(padded.imageSize, 5);
  const struct {
    const char* what;
    Bmp bmp;
    uint32_t colors;
  } cases[] = {
      {"true colour", Bmp(), 0},
      // The table's size comes from colours used, or else the bit count.
      {"1 bit", Made(1, 5, 3, 0, 2), 2},
      {"4 bits, 3 used", Made(4, 5, 3, 3, 3), 3},
      {"24 bits, 2 used", Made(24, 5, 3, 2, 2), 2},
      {"16 bits", Made(16, 5, 3, 0, 0), 0},
      {"pixel offset 0: behind the table", With(&Bmp::offset, 0, Made(4, 5, 3, 0, 16)), 16},
      {"gap before the pixels", With(&Bmp::gap, "0123456789", Made(8, 5, 3, 2, 2)), 2},
      {"larger header", With(&Bmp::headerTail, Pattern(68, 9), With(&Bmp::headerSize, 108)), 0},
      {"image size beyond the rows", padded, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Bmp& bmp = c.bmp;
    PackedDib dib = Load(bmp.Bytes());
    ASSERT_NE(dib, nullptr);
    const size_t tableBytes = c.colors * 4;
    const size_t size = bmp.headerSize + tableBytes + bmp.pixels.size();
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    const char* bytes = reinterpret_cast<const char*>(header);
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
  const std::string large = Made(24, 200, 100).Bytes();  // 60000 bytes of pixels: two reads
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"file header cut", good.substr(0, 10)},
      {"not BM", With(&Bmp::type, "BA").Bytes()},
      {"core header", With(&Bmp::headerSize, 12).Bytes()},
      {"header size beyond the largest", With(&Bmp::headerSize, 200).Bytes()},
      {"information header cut", good.substr(0, 14 + 20)},
      {"pixels one byte short", good.substr(0, good.size() - 1)},
      {"last of several reads one byte short", large.substr(0, large.size() - 1)},
      {"image size below the rows", With(&Bmp::imageSize, 23).Bytes()},
      {"zero width", With(&Bmp::width, 0).Bytes()},
      {"zero height", With(&Bmp::height, 0).Bytes()},
      // Rows stored top first: fitting and drawing take the height as it is.
      {"negative height", Made(24, 3, -2).Bytes()},
      {"no planes", With(&Bmp::planes, 0).Bytes()},
      {"2 bits per pixel", With(&Bmp::bitCount, 2).Bytes()},
      {"largest width and height",
       With(&Bmp::width, INT32_MAX, With(&Bmp::height, INT32_MAX, Made(32, 1, 1))).Bytes()},
      {"block beyond 32 bits", With(&Bmp::imageSize, 0xFFFFFC00u, Made(8, 5, 3, 256, 256)).Bytes()},
      {"17 colours at 4 bits", Made(4, 5, 3, 17, 17).Bytes()},
      {"257 colours at 24 bits", Made(24, 5, 3, 257, 257).Bytes()},
      {"run-length encoded", With(&Bmp::compression, 1, Made(8, 5, 3, 0, 256)).Bytes()},
      {"bit fields", With(&Bmp::compression, 3, Made(32, 5, 3)).Bytes()},
      {"pixel offset beyond 2 GB", With(&Bmp::offset, 0x80000000u).Bytes()},
      {"pixel offset past the end", With(&Bmp::offset, 1000).Bytes()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Load(c.bytes), nullptr) << c.what;
  EXPECT_EQ(LoadPackedDib((dir_ / "absent.bmp").c_str()), nullptr);
}

}  // namespace
