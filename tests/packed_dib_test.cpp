// Loading BMP files into packed bitmaps, and the file and cursor calls that
// the loader makes. Runs natively against the Linux layer and under Wine
// against the real API, so it asserts only what Windows does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/packed_dib.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

void Put16(std::string& out, uint16_t value) {
  out += char(value & 0xFF);
  out += char(value >> 8);
}

void Put32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out += char((value >> shift) & 0xFF);
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
    std::string body;
    Put32(body, headerSize);
    Put32(body, uint32_t(width));
    Put32(body, uint32_t(height));
    Put16(body, planes);
    Put16(body, bitCount);
    Put32(body, compression);
    Put32(body, imageSize);
    Put32(body, 2835);
    Put32(body, 2835);
    Put32(body, colorsUsed);
    Put32(body, 0);
    body += headerTail + table + gap;
    std::string file = type;
    Put32(file, uint32_t(14 + body.size() + pixels.size()));
    Put32(file, 0);  // both reserved words
    Put32(file, offset < 0 ? uint32_t(14 + body.size()) : uint32_t(offset));
    return file + body + pixels;
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

class Locked {
 public:
  explicit Locked(PackedDib dib)
      : dib_(dib), header_(static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib))) {}
  ~Locked() {
    if (header_ != nullptr) GlobalUnlock(dib_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  const BITMAPINFOHEADER* header() const { return header_; }
  std::string Bytes(size_t from, size_t count) const {
    return std::string(reinterpret_cast<const char*>(header_) + from, count);
  }

 private:
  PackedDib dib_;
  const BITMAPINFOHEADER* header_;
};

class PackedDibTest : public ::testing::Test {
 protected:
  ~PackedDibTest() override {
    for (PackedDib dib : loaded_)
      EXPECT_EQ(FreePackedDib(dib), 0);
  }

  // Loads the file while no cursor shows; whatever happens, the loader must
  // leave the arrow.
  PackedDib Load(const std::string& bytes) {
    std::string path = dir_ / ("picture" + std::to_string(loaded_.size()) + ".bmp");
    WriteFileBytes(path, bytes);
    return LoadPath(path);
  }

  PackedDib LoadPath(const std::string& path) {
    SetCursor(nullptr);
    PackedDib dib = LoadPackedDib(path.c_str());
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    loaded_.push_back(dib);
    return dib;
  }

  // Loads the file and checks the block against it: the header's fields, the
  // colour table of `colors` entries and the pixels, each in its place.
  void ExpectLoads(const Bmp& bmp, uint32_t colors, const std::string& pixels) {
    PackedDib dib = Load(bmp.Bytes());
    ASSERT_NE(dib, nullptr);
    size_t tableBytes = colors * 4;
    // Windows may round a block up, by a few bytes at most.
    size_t size = bmp.headerSize + tableBytes + pixels.size();
    EXPECT_GE(GlobalSize(dib), size);
    EXPECT_LT(GlobalSize(dib), size + 32);
    Locked block(dib);
    const BITMAPINFOHEADER* header = block.header();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(PackedDibWidth(header), bmp.width);
    EXPECT_EQ(PackedDibHeight(header), bmp.height);
    EXPECT_EQ(header->biClrUsed, colors);
    EXPECT_EQ(header->biSizeImage, pixels.size());
    EXPECT_EQ(PackedDibColorCount(header), colors);
    EXPECT_EQ(PackedDibColorTableBytes(header), tableBytes);
    EXPECT_EQ(block.Bytes(bmp.headerSize, tableBytes), bmp.table.substr(0, tableBytes));
    const unsigned char* pixelsAt = PackedDibPixels(header);
    ASSERT_EQ(pixelsAt, reinterpret_cast<const unsigned char*>(header) + size - pixels.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(pixelsAt), pixels.size()), pixels);
  }

  ScratchDir dir_;
  std::vector<PackedDib> loaded_;
};

TEST_F(PackedDibTest, TrueColourGetsItsImageSizeAndNoTable) {
  Bmp bmp;
  ASSERT_EQ(bmp.pixels.size(), 24u);
  ExpectLoads(bmp, 0, bmp.pixels);
}

TEST_F(PackedDibTest, GreyscaleKeepsItsFullTable) {
  Bmp grey = Paletted(8, 256, 256);
  for (int i = 0; i < 256; ++i)
    grey.table.replace(size_t(i) * 4, 4, std::string(3, char(i)) + '\0');
  ASSERT_EQ(grey.Bytes().substr(10, 4), std::string("\x36\x04\0\0", 4));
  ExpectLoads(grey, 256, grey.pixels);
  Locked block(loaded_.back());
  EXPECT_EQ(PackedDibPixels(block.header()),
            reinterpret_cast<const unsigned char*>(block.header()) + 1064);
}

TEST_F(PackedDibTest, TableSizeComesFromColoursUsedOrBitCount) {
  const struct {
    uint16_t bitCount;
    uint32_t colorsUsed, entries;
  } cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {8, 16, 16}, {4, 3, 3}, {24, 2, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.bitCount << " bits, colours used " << c.colorsUsed);
    Bmp bmp = Paletted(c.bitCount, c.colorsUsed, c.entries);
    ExpectLoads(bmp, c.entries, bmp.pixels);
  }
  // 16 and 32 bits need no table.
  for (uint16_t bitCount : {uint16_t(16), uint16_t(32)}) {
    SCOPED_TRACE(::testing::Message() << bitCount << " bits");
    Bmp bmp = Paletted(bitCount, 0, 0);
    ExpectLoads(bmp, 0, bmp.pixels);
  }
}

TEST_F(PackedDibTest, PixelOffsetPlacesThePixels) {
  Bmp behindTable = Paletted(4, 0, 16);
  behindTable.offset = 0;
  ExpectLoads(behindTable, 16, behindTable.pixels);

  Bmp afterGap = Paletted(8, 2, 2);
  afterGap.gap = std::string(10, '\xEE');
  ExpectLoads(afterGap, 2, afterGap.pixels);
}

TEST_F(PackedDibTest, LargerHeaderKeepsItsPlaceWithoutItsUnreadPart) {
  Bmp bmp;
  bmp.headerSize = 108;
  bmp.headerTail = Pattern(68, 9);
  ExpectLoads(bmp, 0, bmp.pixels);
  Locked block(loaded_.back());
  EXPECT_EQ(block.Bytes(40, 68), std::string(68, '\0'));
}

TEST_F(PackedDibTest, ReadsEveryPieceOfLargePixelData) {
  Bmp rows = Wide(200, 100);  // 60000 bytes: two pieces
  ExpectLoads(rows, 0, rows.pixels);

  Bmp padded = Wide(4, 8191);  // three whole pieces of 32767, the rows and some padding
  padded.imageSize = 3 * 32767;
  padded.pixels = Pattern(padded.imageSize, 5);
  ExpectLoads(padded, 0, padded.pixels);
}

// Never written by the converter, but drawn by GDI: 16 bits per pixel with no
// table, and any number of planes but 0.
TEST_F(PackedDibTest, SixteenBitsAndExtraPlanesLoad) {
  Bmp sixteen;
  sixteen.bitCount = 16;
  sixteen.pixels = Pattern(RowBytes(3, 16) * 2, 5);
  ExpectLoads(sixteen, 0, sixteen.pixels);
  Bmp planes;
  planes.planes = 2;
  ExpectLoads(planes, 0, planes.pixels);
}

TEST_F(PackedDibTest, RefusesDamagedFiles) {
  auto with = [](auto change) {
    Bmp bmp;
    change(bmp);
    return bmp.Bytes();
  };
  const std::string good = Bmp().Bytes();
  const std::string large = Wide(200, 100).Bytes();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"file header cut", good.substr(0, 10)},
      {"not BM", with([](Bmp& b) { b.type = "BA"; })},
      {"core header", with([](Bmp& b) { b.headerSize = 12; })},
      {"header size below 40", with([](Bmp& b) { b.headerSize = 16; })},
      {"header size beyond the largest", with([](Bmp& b) { b.headerSize = 200; })},
      {"information header cut", good.substr(0, 14 + 20)},
      {"pixels one byte short", good.substr(0, good.size() - 1)},
      {"last of several pieces one byte short", large.substr(0, large.size() - 1)},
      {"image size below the rows", with([](Bmp& b) { b.imageSize = 23; })},
      {"zero width", with([](Bmp& b) { b.width = 0; })},
      {"negative width", with([](Bmp& b) { b.width = -3; })},
      {"zero height", with([](Bmp& b) { b.height = 0; })},
      // Rows stored top first: fitting and drawing take the height as it is.
      {"negative height", with([](Bmp& b) { b = Wide(3, -2); })},
      {"no planes", with([](Bmp& b) { b.planes = 0; })},
      {"2 bits per pixel", with([](Bmp& b) { b.bitCount = 2; })},
      {"0 bits per pixel", with([](Bmp& b) { b.bitCount = 0; })},
      {"rows beyond 32 bits", with([](Bmp& b) {
         b.width = 65536;
         b.height = 65536;
         b.bitCount = 32;
       })},
      {"largest width and height", with([](Bmp& b) {
         b.width = INT32_MAX;
         b.height = INT32_MAX;
         b.bitCount = 32;
       })},
      {"block beyond 32 bits", with([](Bmp& b) {
         b = Paletted(8, 256, 256);
         b.imageSize = 0xFFFFFC00u;
       })},
      {"257 colours", with([](Bmp& b) { b = Paletted(8, 257, 257); })},
      {"17 colours at 4 bits", with([](Bmp& b) { b = Paletted(4, 17, 17); })},
      {"257 colours at 24 bits", with([](Bmp& b) { b = Paletted(24, 257, 257); })},
      {"run-length encoded", with([](Bmp& b) {
         b = Paletted(8, 0, 256);
         b.compression = 1;
       })},
      {"bit fields", with([](Bmp& b) {
         b = Paletted(32, 0, 0);
         b.compression = 3;
         b.gap = std::string(12, '\xFF');
       })},
      {"pixel offset beyond 2 GB", with([](Bmp& b) { b.offset = 0x80000000u; })},
      {"pixel offset past the end", with([](Bmp& b) { b.offset = 1000; })},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Load(c.bytes), nullptr);
  }
  EXPECT_EQ(LoadPath(dir_ / "absent.bmp"), nullptr);
}

TEST(OldFileTest, ReadsAndSeeksLikeWindows) {
  ScratchDir dir;
  WriteFileBytes(dir / "data.bin", "0123456789");
  OFSTRUCT info;
  std::memset(&info, 0xAA, sizeof info);
  HFILE file = OpenFile((dir / "data.bin").c_str(), &info, OF_READ);
  ASSERT_NE(file, HFILE_ERROR);
  EXPECT_EQ(info.cBytes, sizeof(OFSTRUCT));
  EXPECT_EQ(info.nErrCode, 0);
  std::string path = info.szPathName;
  EXPECT_EQ(std::filesystem::path(path).filename(), "data.bin");

  char buffer[16] = {};
  EXPECT_EQ(_lread(file, buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 4);
  EXPECT_EQ(_llseek(file, -3, FILE_END), 7);
  EXPECT_EQ(_lread(file, buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(_lread(file, buffer, sizeof buffer), 0u);
  EXPECT_EQ(_llseek(file, 2, FILE_BEGIN), 2);
  EXPECT_EQ(_llseek(file, -3, FILE_CURRENT), HFILE_ERROR);
  EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 2);
  EXPECT_EQ(_llseek(file, 100, FILE_BEGIN), 100);
  EXPECT_EQ(_lread(file, buffer, 1), 0u);
  EXPECT_EQ(_lclose(file), 0);
}

TEST(OldFileTest, SaysWhyAFileDoesNotOpen) {
  ScratchDir dir;
  namespace fs = std::filesystem;
  const struct {
    std::string path;
    WORD error;
  } cases[] = {
      {dir / "absent.bin", WORD(ERROR_FILE_NOT_FOUND)},
      {(fs::path(dir.path()) / "absent" / "data.bin").string(), WORD(ERROR_FILE_NOT_FOUND)},
      {dir.path(), WORD(ERROR_ACCESS_DENIED)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    OFSTRUCT info;
    EXPECT_EQ(OpenFile(c.path.c_str(), &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.cBytes, sizeof(OFSTRUCT));
    EXPECT_EQ(info.nErrCode, c.error);
  }
}

TEST(CursorTest, SharedCursorsAndTheCurrentOne) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(wait, nullptr);
  EXPECT_NE(arrow, wait);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait);

  SetCursor(arrow);
  EXPECT_EQ(SetCursor(wait), arrow);
  EXPECT_EQ(GetCursor(), wait);
  EXPECT_EQ(SetCursor(nullptr), wait);
  EXPECT_EQ(GetCursor(), nullptr);
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_EQ(GetCursor(), arrow);
}

}  // namespace
