// Loading BMP files into packed bitmaps, and the file and cursor calls that
// the loader makes. Runs natively against the Linux layer and under Wine
// against the real API, so it asserts only what Windows does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/packed_dib.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

std::string Le(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i)
    out += char(value >> (8 * i) & 0xFF);
  return out;
}

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
    std::string body = Le(headerSize, 4) + Le(uint32_t(width), 4) + Le(uint32_t(height), 4) +
                       Le(planes, 2) + Le(bitCount, 2) + Le(compression, 4) + Le(imageSize, 4) +
                       Le(2835, 4) + Le(2835, 4) + Le(colorsUsed, 4) + Le(0, 4) + headerTail +
                       table + gap;
    return type + Le(uint32_t(14 + body.size() + pixels.size()), 4) + Le(0, 4) +
           Le(offset < 0 ? uint32_t(14 + body.size()) : uint32_t(offset), 4) + body + pixels;
  }
};

// A paletted bitmap whose file holds `entries` colours.
Bmp Paletted(uint16_t bitCount, uint32_t colorsUsed, uint32_t entries) {
  Bmp bmp;
  bmp.width = 5;
  bmp.height = 3;
  bmp.bitCount = bitCount;
  bmp.colorsUsed = colorsUsed;
  bmp.table = Pattern(entries * 4, 100);
  bmp.pixels = Pattern(RowBytes(bmp.width, bitCount) * 3, 7);
  return bmp;
}

// A 24-bit bitmap whose pixels fill its rows exactly.
Bmp Wide(int32_t width, int32_t height) {
  Bmp bmp;
  bmp.width = width;
  bmp.height = height;
  bmp.pixels = Pattern(size_t(RowBytes(width, 24)) * size_t(std::abs(height)), 3);
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
  Bmp padded = Wide(4, 8191);  // three whole reads of 32767, the rows and some padding
  padded.imageSize = 3 * 32767;
  padded.pixels = Pattern(padded.imageSize, 5);
  const struct {
    const char* what;
    Bmp bmp;
    uint32_t colors;
  } cases[] = {
      {"true colour", Bmp(), 0},
      {"8 bits, all 256 used", Paletted(8, 256, 256), 256},
      // The table's size comes from colours used, or else the bit count.
      {"1 bit", Paletted(1, 0, 2), 2},
      {"4 bits", Paletted(4, 0, 16), 16},
      {"8 bits", Paletted(8, 0, 256), 256},
      {"8 bits, 16 used", Paletted(8, 16, 16), 16},
      {"4 bits, 3 used", Paletted(4, 3, 3), 3},
      {"24 bits, 2 used", Paletted(24, 2, 2), 2},
      {"16 bits", Paletted(16, 0, 0), 0},
      {"32 bits", Paletted(32, 0, 0), 0},
      {"2 planes", With(Bmp(), [](Bmp& b) { b.planes = 2; }), 0},
      {"pixel offset 0: behind the table", With(Paletted(4, 0, 16), [](Bmp& b) { b.offset = 0; }),
       16},
      {"gap before the pixels", With(Paletted(8, 2, 2), [](Bmp& b) { b.gap = "0123456789"; }), 2},
      {"larger header",
       With(Bmp(), [](Bmp& b) { b.headerSize = 108, b.headerTail = Pattern(68, 9); }), 0},
      {"60000 bytes of pixels: two reads", Wide(200, 100), 0},
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
    EXPECT_EQ(PackedDibColorCount(header), c.colors);
    EXPECT_EQ(PackedDibColorTableBytes(header), tableBytes);
    EXPECT_EQ(std::string(bytes + 40, bmp.headerSize - 40), std::string(bmp.headerSize - 40, '\0'));
    EXPECT_EQ(std::string(bytes + bmp.headerSize, tableBytes), bmp.table.substr(0, tableBytes));
    const unsigned char* pixels = PackedDibPixels(header);
    EXPECT_EQ(reinterpret_cast<const char*>(pixels), bytes + size - bmp.pixels.size());
    EXPECT_EQ(std::string(bytes + size - bmp.pixels.size(), bmp.pixels.size()), bmp.pixels);
    GlobalUnlock(dib);
  }
}

TEST_F(PackedDibTest, RefusesDamagedFiles) {
  const std::string good = Bmp().Bytes();
  const std::string large = Wide(200, 100).Bytes();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"file header cut", good.substr(0, 10)},
      {"not BM", With(Bmp(), [](Bmp& b) { b.type = "BA"; }).Bytes()},
      {"core header", With(Bmp(), [](Bmp& b) { b.headerSize = 12; }).Bytes()},
      {"header size below 40", With(Bmp(), [](Bmp& b) { b.headerSize = 16; }).Bytes()},
      {"header size beyond the largest", With(Bmp(), [](Bmp& b) { b.headerSize = 200; }).Bytes()},
      {"information header cut", good.substr(0, 14 + 20)},
      {"pixels one byte short", good.substr(0, good.size() - 1)},
      {"last of several reads one byte short", large.substr(0, large.size() - 1)},
      {"image size below the rows", With(Bmp(), [](Bmp& b) { b.imageSize = 23; }).Bytes()},
      {"zero width", With(Bmp(), [](Bmp& b) { b.width = 0; }).Bytes()},
      {"negative width", With(Bmp(), [](Bmp& b) { b.width = -3; }).Bytes()},
      {"zero height", With(Bmp(), [](Bmp& b) { b.height = 0; }).Bytes()},
      // Rows stored top first: fitting and drawing take the height as it is.
      {"negative height", Wide(3, -2).Bytes()},
      {"no planes", With(Bmp(), [](Bmp& b) { b.planes = 0; }).Bytes()},
      {"2 bits per pixel", With(Bmp(), [](Bmp& b) { b.bitCount = 2; }).Bytes()},
      {"0 bits per pixel", With(Bmp(), [](Bmp& b) { b.bitCount = 0; }).Bytes()},
      {"rows beyond 32 bits",
       With(Bmp(), [](Bmp& b) { b.width = b.height = 65536, b.bitCount = 32; }).Bytes()},
      {"largest width and height",
       With(Bmp(), [](Bmp& b) { b.width = b.height = INT32_MAX, b.bitCount = 32; }).Bytes()},
      {"block beyond 32 bits",
       With(Paletted(8, 256, 256), [](Bmp& b) { b.imageSize = 0xFFFFFC00u; }).Bytes()},
      {"257 colours", Paletted(8, 257, 257).Bytes()},
      {"17 colours at 4 bits", Paletted(4, 17, 17).Bytes()},
      {"257 colours at 24 bits", Paletted(24, 257, 257).Bytes()},
      {"run-length encoded", With(Paletted(8, 0, 256), [](Bmp& b) { b.compression = 1; }).Bytes()},
      {"bit fields",
       With(Paletted(32, 0, 0), [](Bmp& b) { b.compression = 3, b.gap = std::string(12, '\xFF'); })
           .Bytes()},
      {"pixel offset beyond 2 GB", With(Bmp(), [](Bmp& b) { b.offset = 0x80000000u; }).Bytes()},
      {"pixel offset past the end", With(Bmp(), [](Bmp& b) { b.offset = 1000; }).Bytes()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadBytes(c.bytes), nullptr);
  }
  EXPECT_EQ(Load(dir_ / "absent.bmp"), nullptr);
}

// The old file calls as the loader uses them.
TEST(OldFileTest, ReadsAndSeeksLikeWindows) {
  ScratchDir dir;
  WriteFileBytes(dir / "data.bin", "0123456789");
  OFSTRUCT info;
  HFILE file = OpenFile((dir / "data.bin").c_str(), &info, OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(info.nErrCode, 0);
  char buffer[16] = {};
  EXPECT_EQ(_lread(file, buffer, 4), 4u);
  EXPECT_EQ(_llseek(file, 7, FILE_BEGIN), 7);
  EXPECT_EQ(_lread(file, buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(_llseek(file, -3, FILE_BEGIN), HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 10);
  EXPECT_EQ(_llseek(file, 100, FILE_BEGIN), 100);
  EXPECT_EQ(_lread(file, buffer, 1), 0u);
  EXPECT_EQ(_lclose(file), 0);

  for (auto [path, error] :
       {std::pair{dir / "absent.bin", ERROR_FILE_NOT_FOUND},
        std::pair{(std::filesystem::path(dir.path()) / "absent" / "data.bin").string(),
                  ERROR_FILE_NOT_FOUND},
        std::pair{dir.path(), ERROR_ACCESS_DENIED}}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(OpenFile(path.c_str(), &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, WORD(error));
  }
}

TEST(CursorTest, SharedCursorsAndTheCurrentOne) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(arrow, nullptr);
  EXPECT_NE(arrow, wait);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(wait), arrow);
  EXPECT_EQ(SetCursor(nullptr), wait);
  EXPECT_EQ(GetCursor(), nullptr);
}

}  // namespace
