// Converting JPEG files to BMP files: whole output files are compared with the
// BMP of libjpeg's own decoding, for pictures made here and real ones.
// What reaches standard error is watched in jpeg_convert_probe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>

#include "image/jpeg_to_bmp.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/wave_image.h"

using ::testing::HasSubstr;

namespace {

// The BMP file that libjpeg's own decoding of the JPEG file gives: file and
// information headers, for greyscale a map of 256 greys (blue, green, red, 0),
// then the rows last first, in blue, green, red order, zero-padded to 4 bytes.
std::string ExpectedBmp(const std::string& jpegPath) {
  DecodedJpeg picture = DecodeJpeg(jpegPath);
  const bool grey = picture.components == 1;
  const size_t pixelBytes = size_t(picture.width) * size_t(picture.components);
  const uint32_t rowBytes = uint32_t(pixelBytes + 3) / 4 * 4;
  const uint32_t headerBytes = grey ? 1078 : 54;
  const uint32_t height = uint32_t(picture.height);
  std::string bmp = "BM" + Le32(headerBytes + rowBytes * height) + Le32(0) + Le32(headerBytes) +
                    Le32(40) + Le32(uint32_t(picture.width)) + Le32(height) + Le16(1) +
                    Le16(grey ? 8 : 24) + Le32(0) + Le32(0) + Le32(0) + Le32(0) +
                    Le32(grey ? 256 : 0) + Le32(0);
  for (int i = 0; grey && i < 256; ++i)
    bmp += std::string(3, char(i)) + '\0';
  for (int y = picture.height - 1; y >= 0; --y) {
    std::string row = picture.pixels.substr(pixelBytes * size_t(y), pixelBytes);
    for (size_t x = 0; !grey && x < pixelBytes; x += 3)
      std::swap(row[x], row[x + 2]);
    row.resize(rowBytes, '\0');
    bmp += row;
  }
  return bmp;
}

class JpegToBmpTest : public ::testing::Test {
 protected:
  // Converts in jpeg_convert_probe, whose standard error is kept with Windows'
  // CR LF line ends made LF.
  ChildResult ConvertInChild() {
    ChildResult r = RunChild({BuildProgram("jpeg_convert_probe"), jpegPath_, bmpPath_});
    r.err.erase(std::remove(r.err.begin(), r.err.end(), '\r'), r.err.end());
    return r;
  }

  ScratchDir dir_;
  const std::string jpegPath_ = dir_ / "picture.jpg";
  const std::string bmpPath_ = dir_ / "picture.bmp";
};

// Widths whose rows need padding and widths whose rows need none, in colour
// and in grey; only dots per centimetre become a density (per metre).
TEST_F(JpegToBmpTest, ConvertsToTheBmpOfLibjpegsDecoding) {
  const struct {
    int width, height, components;
    uint8_t unit;
    uint16_t x, y;
    uint32_t xPerMetre, yPerMetre;
  } cases[] = {{5, 3, 1, 1, 72, 72, 0, 0},
               {8, 2, 1, 0, 1, 1, 0, 0},
               {5, 4, 3, 2, 28, 28, 2800, 2800},
               {4, 3, 3, 2, 28, 40, 2800, 4000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    JpegPicture p;
    std::tie(p.width, p.height, p.components, p.densityUnit, p.xDensity, p.yDensity) =
        std::tie(c.width, c.height, c.components, c.unit, c.x, c.y);
    WriteJpeg(jpegPath_, p, PhotoLikeRows(c.width, c.height, c.components));
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kBmpComplete);
    EXPECT_EQ(ReadFileBytes(bmpPath_),
              ExpectedBmp(jpegPath_).replace(38, 8, Le32(c.xPerMetre) + Le32(c.yPerMetre)));
  }
}

TEST_F(JpegToBmpTest, CommentAndApp12MarkersAreSkipped) {
  JpegPicture picture;
  picture.width = 23, picture.height = 17;
  // The comment ends where the APP12 marker's length straddles the first
  // 4096 bytes that libjpeg reads from the file. The APP12 data looks like
  // markers, and the empty comment has nothing to skip.
  picture.markers = {{kJpegComMarker, std::string(4069, 'c')},
                     {kJpegApp12Marker, "Ducky\xFF\xD9\xFF\xD8" + std::string(300, '\xFF')},
                     {kJpegComMarker, ""}};
  WriteJpeg(jpegPath_, picture, PhotoLikeRows(23, 17, 3));
  ASSERT_EQ(ReadFileBytes(jpegPath_).substr(4093, 2), "\xFF\xEC");
  // In a child: skipping a byte too many or too few makes libjpeg warn, or give up.
  ChildResult r = ConvertInChild();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(ReadFileBytes(bmpPath_) == ExpectedBmp(jpegPath_))
      << "differs from libjpeg's decoding";
}

// Whatever the result, the files are closed after (Windows could not delete
// them otherwise).
TEST_F(JpegToBmpTest, FilesThatCannotBeOpenedOrDecodedGiveTheirResults) {
  EXPECT_EQ(ConvertJpegToBmp((dir_ / "missing.jpg").c_str(), bmpPath_.c_str()), kJpegNotOpened);
  EXPECT_FALSE(std::filesystem::exists(bmpPath_));
  WriteFileBytes(jpegPath_, "GIF89a, not a JPEG");
  const std::string bmpInMissingFolder = dir_ / "missing/picture.bmp";
  EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpInMissingFolder.c_str()), kBmpNotOpened);
  EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kJpegUndecodable);
  EXPECT_TRUE(std::filesystem::remove(jpegPath_));
  EXPECT_TRUE(std::filesystem::remove(bmpPath_));
}

// The decoder's message goes to standard error, the conversion gives up with
// -3 (the probe's 30) and the BMP file stays empty.
TEST_F(JpegToBmpTest, UndecodablePicturesGiveUpLeavingAnEmptyBmp) {
  WriteJpeg(jpegPath_, JpegPicture(), PhotoLikeRows(16, 16, 3));
  const std::string made = ReadFileBytes(jpegPath_);
  // A few hundred bytes that claim 65500 x 65500 pixels: their BMP file would
  // pass the 4 GiB its size field can hold, so nothing is decoded.
  std::string huge = made;
  huge.replace(huge.find("\xFF\xC0") + 5, 4, "\xFF\xDC\xFF\xDC");
  // A second frame header after the picture's data: the decoder gives up only
  // after every row has gone to the file, which must then be emptied again.
  std::string twoFrames = made;
  const size_t sof = twoFrames.find("\xFF\xC0");
  const size_t sofBytes = 2 + (uint8_t(twoFrames[sof + 2]) << 8 | uint8_t(twoFrames[sof + 3]));
  twoFrames.insert(twoFrames.size() - 2, twoFrames.substr(sof, sofBytes));
  const std::string original = ReadFileBytes(LUMIVANE_TEST_PICTURES "testorig.jpg");
  const std::pair<std::string, std::string> cases[] = {
      {original.substr(0, original.find("\xFF\xDA")),
       "Invalid JPEG file structure: missing SOS marker"},
      {ReadFileBytes(LUMIVANE_TEST_PICTURES "cmyk.jpg"), "Bogus message code 1005"},
      {ReadFileBytes(LUMIVANE_TEST_PICTURES "testorig12.jpg"),
       "Unsupported JPEG data precision 12"},
      {huge, "Bogus message code 1006"},
      {twoFrames, "Invalid JPEG file structure: two SOF markers"}};
  for (const auto& [jpeg, message] : cases) {
    SCOPED_TRACE(&jpeg - &cases[0].first);
    WriteFileBytes(jpegPath_, jpeg);
    ChildResult r = ConvertInChild();
    EXPECT_EQ(r.exitCode, 30);
    EXPECT_THAT(r.err, HasSubstr(message + "\n"));
    EXPECT_EQ(ReadFileBytes(bmpPath_), "");
    EXPECT_TRUE(std::filesystem::remove(bmpPath_));
  }
}

// Real files: every process, sampling and coding that libjpeg decodes to
// greyscale or RGB converts completely, and the output file is closed after.
// Cut off inside the picture data, a picture is completed by the decoder with
// a warning.
TEST_F(JpegToBmpTest, RealPicturesConvert) {
  for (const std::string name :
       {"testorig.jpg", "progressive.jpg", "arithmetic.jpg", "testimgari.jpg", "testimgint.jpg",
        "sampled444.jpg", "sampled422.jpg", "sampled420.jpg", "sampled411.jpg", "grey.jpg",
        "restarts.jpg", "stored-rgb.jpg", "transcoded-progressive.jpg", "transcoded-arithmetic.jpg",
        "transcoded-grey.jpg"}) {
    SCOPED_TRACE(name);
    const std::string path = LUMIVANE_TEST_PICTURES + name;
    EXPECT_EQ(ConvertJpegToBmp(path.c_str(), bmpPath_.c_str()), kBmpComplete);
    EXPECT_TRUE(ReadFileBytes(bmpPath_) == ExpectedBmp(path)) << "differs from libjpeg's decoding";
    EXPECT_TRUE(std::filesystem::remove(bmpPath_));
  }
  const std::string jpeg = ReadFileBytes(LUMIVANE_TEST_PICTURES "progressive.jpg");
  const size_t scan = jpeg.find("\xFF\xDA");
  WriteFileBytes(jpegPath_, jpeg.substr(0, scan + (jpeg.size() - scan) / 2));
  ChildResult r = ConvertInChild();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Premature end of JPEG file"));
  EXPECT_TRUE(ReadFileBytes(bmpPath_) == ExpectedBmp(jpegPath_))
      << "differs from libjpeg's decoding";
}

}  // namespace
