// Converting JPEG files to BMP files: whole output files are compared with the
// layout a bottom-up BMP must have and with libjpeg's own decoding of the
// same JPEG, for pictures made here and for real ones from libjpeg-turbo,
// cjpeg, jpegtran and ImageMagick. What reaches standard error is watched
// in jpeg_convert_probe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include <jpeglib.h>

#include "image/jpeg_to_bmp.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"

using ::testing::HasSubstr;

namespace {

std::string Le16(uint32_t v) {
  return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}
std::string Le32(uint32_t v) {
  return Le16(v & 0xFFFF) + Le16(v >> 16);
}

uint32_t U32At(const std::string& bytes, size_t offset) {
  uint32_t v = 0;
  for (size_t i = 4; i-- > 0;)
    v = (v << 8) | uint8_t(bytes.at(offset + i));
  return v;
}

// Entries blue, green, red, 0 with the three equal to the index.
std::string GreyColourMap() {
  std::string map;
  for (int i = 0; i < 256; ++i)
    map += std::string(3, char(i)) + '\0';
  return map;
}

// The pixel rows a BMP file holds for the picture: last row first, samples of
// a pixel in blue, green, red order, each row zero-padded to rowBytes.
std::string BmpRows(const DecodedJpeg& picture, size_t rowBytes) {
  const size_t pixelBytes = size_t(picture.width) * size_t(picture.components);
  std::string rows;
  for (int y = picture.height - 1; y >= 0; --y) {
    std::string row = picture.pixels.substr(pixelBytes * size_t(y), pixelBytes);
    if (picture.components == 3) {
      for (size_t x = 0; x < pixelBytes; x += 3)
        std::swap(row[x], row[x + 2]);
    }
    row.resize(rowBytes, '\0');
    rows += row;
  }
  return rows;
}

// Vertical and horizontal ramps, so that every row and every pixel differ.
JpegRowFill Ramps(int width, int height, int components) {
  return [=](int y, unsigned char* samples) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c) {
        samples[x * components + c] =
            static_cast<unsigned char>((255 * y / height + 37 * x + 80 * c) & 0xFF);
      }
    }
  };
}

class JpegToBmpTest : public ::testing::Test {
 protected:
  // Writes the picture, converts it and gives the BMP file's bytes.
  std::string Convert(const JpegPicture& picture, const JpegRowFill& fill) {
    WriteJpeg(jpegPath_, picture, fill);
    return ConvertWritten();
  }

  std::string ConvertWritten() {
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), 0);
    return ReadFileBytes(bmpPath_);
  }

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

TEST_F(JpegToBmpTest, GreyscaleGivesEightBitRowsAfterAGreyColourMap) {
  JpegPicture picture;
  picture.width = 5;
  picture.height = 3;
  picture.components = 1;
  std::string bmp = Convert(picture, Ramps(5, 3, 1));

  // File header: type, file size, reserved, offset of the pixels. Information
  // header: its size, width, height, planes, bits per pixel, compression,
  // image size, densities, colours used, colours important.
  const std::string header = "BM" + Le32(1078 + 8 * 3) + Le32(0) + Le32(1078) + Le32(40) + Le32(5) +
                             Le32(3) + Le16(1) + Le16(8) + Le32(0) + Le32(0) + Le32(0) + Le32(0) +
                             Le32(256) + Le32(0);
  EXPECT_EQ(bmp, header + GreyColourMap() + BmpRows(DecodeJpeg(jpegPath_), 8));
}

TEST_F(JpegToBmpTest, ColourGivesBlueGreenRedRowsPaddedToFourBytes) {
  JpegPicture picture;
  picture.width = 5;
  picture.height = 4;
  std::string bmp = Convert(picture, Ramps(5, 4, 3));

  // As for greyscale, with 24 bits per pixel and neither colour map nor
  // colours used.
  const std::string header = "BM" + Le32(54 + 16 * 4) + Le32(0) + Le32(54) + Le32(40) + Le32(5) +
                             Le32(4) + Le16(1) + Le16(24) + Le32(0) + Le32(0) + Le32(0) + Le32(0) +
                             Le32(0) + Le32(0);
  DecodedJpeg decoded = DecodeJpeg(jpegPath_);
  EXPECT_EQ(bmp, header + BmpRows(decoded, 16));

  // The file's first row is the picture's last.
  const char* lastRow = decoded.pixels.data() + 3 * 5 * 3;
  EXPECT_EQ(bmp.substr(54, 3), std::string({lastRow[2], lastRow[1], lastRow[0]}));
}

TEST_F(JpegToBmpTest, RowsAlreadyAMultipleOfFourBytesHaveNoPad) {
  JpegPicture colour;
  colour.width = 4;
  colour.height = 3;
  std::string bmp = Convert(colour, Ramps(4, 3, 3));
  ASSERT_EQ(bmp.size(), 54u + 12 * 3);
  EXPECT_EQ(U32At(bmp, 2), bmp.size());
  EXPECT_EQ(bmp.substr(54), BmpRows(DecodeJpeg(jpegPath_), 12));

  JpegPicture grey;
  grey.width = 8;
  grey.height = 2;
  grey.components = 1;
  bmp = Convert(grey, Ramps(8, 2, 1));
  ASSERT_EQ(bmp.size(), 1078u + 8 * 2);
  EXPECT_EQ(U32At(bmp, 2), bmp.size());
  EXPECT_EQ(bmp.substr(1078), BmpRows(DecodeJpeg(jpegPath_), 8));
}

TEST_F(JpegToBmpTest, PureRedIsStoredBlueGreenRed) {
  JpegPicture picture;
  picture.quality = 100;
  picture.storeAsRgb = true;
  std::string bmp = Convert(picture, SolidRows(16, std::string("\xFF\0\0", 3)));
  ASSERT_EQ(bmp.size(), 54u + 48 * 16);
  for (size_t at = 54; at < bmp.size(); at += 3) {
    ASSERT_EQ(bmp.substr(at, 3), std::string("\x00\x00\xFF", 3)) << "at " << at;
  }
}

TEST_F(JpegToBmpTest, OnlyDotsPerCentimetreBecomeADensity) {
  struct Case {
    uint8_t unit;
    uint16_t x, y;
    uint32_t xPerMetre, yPerMetre;
  };
  for (const Case& c : {Case{1, 72, 72, 0, 0}, Case{0, 1, 1, 0, 0}, Case{2, 28, 28, 2800, 2800},
                        Case{2, 28, 40, 2800, 4000}}) {
    JpegPicture picture;
    picture.width = picture.height = 8;
    picture.components = 1;
    picture.densityUnit = c.unit;
    picture.xDensity = c.x;
    picture.yDensity = c.y;
    std::string bmp = Convert(picture, SolidRows(8, "\x80"));
    EXPECT_EQ(U32At(bmp, 38), c.xPerMetre) << int(c.unit) << " " << c.x;
    EXPECT_EQ(U32At(bmp, 42), c.yPerMetre) << int(c.unit) << " " << c.y;
  }
}

TEST_F(JpegToBmpTest, CommentAndApp12MarkersChangeNothing) {
  JpegPicture picture;
  picture.width = 23;
  picture.height = 17;
  const JpegRowFill fill = PhotoLikeRows(23, 17, 3);
  std::string plain = Convert(picture, fill);

  // The comment ends where the APP12 marker's length straddles the first
  // 4096 bytes that libjpeg reads from the file. The APP12 data looks like
  // markers, and the empty comment has nothing to skip.
  picture.markers = {{kJpegComMarker, std::string(4069, 'c')},
                     {kJpegApp12Marker, "Ducky\xFF\xD9\xFF\xD8" + std::string(300, '\xFF')},
                     {kJpegComMarker, ""}};
  WriteJpeg(jpegPath_, picture, fill);
  ASSERT_EQ(ReadFileBytes(jpegPath_).substr(4093, 2), "\xFF\xEC");
  // In a child: skipping a byte too many or too few makes libjpeg warn, or give up.
  ChildResult r = ConvertInChild();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFileBytes(bmpPath_), plain);
}

TEST_F(JpegToBmpTest, PictureCutOffInItsDataConvertsToTheFullSize) {
  JpegPicture picture;
  picture.width = 64;
  picture.height = 48;
  WriteJpeg(jpegPath_, picture, PhotoLikeRows(64, 48, 3));
  std::string jpeg = ReadFileBytes(jpegPath_);
  size_t scan = jpeg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  WriteFileBytes(jpegPath_, jpeg.substr(0, scan + (jpeg.size() - scan) / 2));

  ChildResult r = ConvertInChild();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Premature end of JPEG file"));
  std::string bmp = ReadFileBytes(bmpPath_);
  ASSERT_EQ(bmp.size(), 54u + 64 * 3 * 48);
  EXPECT_EQ(U32At(bmp, 18), 64u);
  EXPECT_EQ(U32At(bmp, 22), 48u);
  EXPECT_EQ(bmp.substr(54), BmpRows(DecodeJpeg(jpegPath_), 64 * 3));
}

TEST_F(JpegToBmpTest, FilesThatCannotBeOpenedGiveTheirResults) {
  EXPECT_EQ(ConvertJpegToBmp((dir_ / "missing.jpg").c_str(), bmpPath_.c_str()), -1);
  EXPECT_FALSE(std::filesystem::exists(bmpPath_));

  WriteJpeg(jpegPath_, JpegPicture(), SolidRows(16, "abc"));
  const std::string inMissingFolder =
      (std::filesystem::path(dir_ / "missing") / "picture.bmp").string();
  EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), inMissingFolder.c_str()), -2);
}

// The decoder's message goes to standard error, the conversion gives up with
// -3 (the probe's 30) and the BMP file stays empty.
TEST_F(JpegToBmpTest, UndecodablePicturesGiveUpLeavingAnEmptyBmp) {
  auto expectRefused = [&](const std::string& message) {
    ChildResult r = ConvertInChild();
    EXPECT_EQ(r.exitCode, 30) << message;
    EXPECT_THAT(r.err, HasSubstr(message + "\n"));
    EXPECT_TRUE(std::filesystem::exists(bmpPath_)) << message;
    EXPECT_EQ(ReadFileBytes(bmpPath_), "") << message;
    std::filesystem::remove(bmpPath_);
  };

  WriteFileBytes(jpegPath_, "");
  expectRefused("Empty input file");

  WriteFileBytes(jpegPath_, "GIF89a, not a JPEG");
  expectRefused("Not a JPEG file: starts with 0x47 0x49");

  JpegPicture cmyk;
  cmyk.components = 4;
  WriteJpeg(jpegPath_, cmyk, PhotoLikeRows(16, 16, 4));
  expectRefused("Bogus message code 1005");

  cmyk.storeAsYcck = true;
  WriteJpeg(jpegPath_, cmyk, PhotoLikeRows(16, 16, 4));
  expectRefused("Bogus message code 1005");

  std::filesystem::copy_file(LUMIVANE_TEST_PICTURES "testorig12.jpg", jpegPath_,
                             std::filesystem::copy_options::overwrite_existing);
  expectRefused("Unsupported JPEG data precision 12");

  std::filesystem::copy_file(LUMIVANE_TEST_PICTURES "cmyk.jpg", jpegPath_,
                             std::filesystem::copy_options::overwrite_existing);
  expectRefused("Bogus message code 1005");

  // A few hundred bytes that claim 65500 x 65500 pixels: their BMP file would
  // pass the 4 GiB its size field can hold, so nothing is decoded.
  WriteJpeg(jpegPath_, JpegPicture{}, PhotoLikeRows(16, 16, 3));
  std::string huge = ReadFileBytes(jpegPath_);
  const size_t frame = huge.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  huge.replace(frame + 5, 4, "\xFF\xDC\xFF\xDC");
  WriteFileBytes(jpegPath_, huge);
  expectRefused("Bogus message code 1006");
}

// The BMP file that libjpeg's own decoding of the JPEG file gives.
std::string ExpectedBmp(const std::string& jpegPath) {
  DecodedJpeg picture = DecodeJpeg(jpegPath);
  const bool grey = picture.components == 1;
  const uint32_t rowBytes = (uint32_t(picture.width) * uint32_t(picture.components) + 3) / 4 * 4;
  const uint32_t headerBytes = grey ? 1078 : 54;
  const uint32_t height = uint32_t(picture.height);
  return "BM" + Le32(headerBytes + rowBytes * height) + Le32(0) + Le32(headerBytes) + Le32(40) +
         Le32(uint32_t(picture.width)) + Le32(height) + Le16(1) + Le16(grey ? 8 : 24) + Le32(0) +
         Le32(0) + Le32(0) + Le32(0) + Le32(grey ? 256 : 0) + Le32(0) +
         (grey ? GreyColourMap() : "") + BmpRows(picture, rowBytes);
}

// Real files: every process, sampling and coding that libjpeg decodes to
// greyscale or RGB converts completely; CMYK and 12-bit samples give up.
// Either way the call returns, with both files closed (Windows could not
// delete them otherwise).
TEST_F(JpegToBmpTest, RealPicturesConvertOrGiveUp) {
  const char* const converted[] = {"testorig.jpg",
                                   "testimgari.jpg",
                                   "testimgint.jpg",
                                   "sampled444.jpg",
                                   "sampled422.jpg",
                                   "sampled420.jpg",
                                   "sampled411.jpg",
                                   "grey.jpg",
                                   "progressive.jpg",
                                   "arithmetic.jpg",
                                   "restarts.jpg",
                                   "stored-rgb.jpg",
                                   "transcoded-progressive.jpg",
                                   "transcoded-arithmetic.jpg",
                                   "transcoded-grey.jpg"};
  for (const char* name : converted) {
    SCOPED_TRACE(name);
    const std::string path = std::string(LUMIVANE_TEST_PICTURES) + name;
    EXPECT_EQ(ConvertJpegToBmp(path.c_str(), bmpPath_.c_str()), kBmpComplete);
    std::string bmp = ReadFileBytes(bmpPath_);
    EXPECT_EQ(U32At(bmp, 18), 227u);
    EXPECT_EQ(U32At(bmp, 22), 149u);
    EXPECT_TRUE(bmp == ExpectedBmp(path)) << "the BMP file differs from libjpeg's decoding";
    EXPECT_TRUE(std::filesystem::remove(bmpPath_));
  }
  for (const char* name : {"cmyk.jpg", "testorig12.jpg"}) {
    SCOPED_TRACE(name);
    std::filesystem::copy_file(std::string(LUMIVANE_TEST_PICTURES) + name, jpegPath_,
                               std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kJpegUndecodable);
    EXPECT_EQ(ReadFileBytes(bmpPath_), "");
    EXPECT_TRUE(std::filesystem::remove(bmpPath_));
    EXPECT_TRUE(std::filesystem::remove(jpegPath_));
  }
}

// Cut off inside the picture data, a picture is completed by the decoder;
// cut off before the data starts, there is no picture to complete.
TEST_F(JpegToBmpTest, RealPicturesCutOffShort) {
  for (const char* name : {"testorig.jpg", "progressive.jpg", "arithmetic.jpg"}) {
    SCOPED_TRACE(name);
    std::string jpeg = ReadFileBytes(std::string(LUMIVANE_TEST_PICTURES) + name);
    size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    WriteFileBytes(jpegPath_, jpeg.substr(0, scan + (jpeg.size() - scan) / 2));
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kBmpComplete);
    std::string bmp = ReadFileBytes(bmpPath_);
    EXPECT_EQ(bmp.size(), 54u + 228 * 3 * 149);
    EXPECT_TRUE(bmp == ExpectedBmp(jpegPath_)) << "the BMP file differs from libjpeg's decoding";

    WriteFileBytes(jpegPath_, jpeg.substr(0, scan));
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kJpegUndecodable);
    EXPECT_EQ(ReadFileBytes(bmpPath_), "");
    EXPECT_TRUE(std::filesystem::remove(jpegPath_));
  }
}

}  // namespace
