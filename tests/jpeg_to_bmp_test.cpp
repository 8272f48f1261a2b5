// Converting JPEG files to BMP files: whole output files are compared with the
// layout a bottom-up BMP must have and with libjpeg's own decoding of the
// same JPEG, for pictures made here and for real ones from libjpeg-turbo,
// cjpeg, jpegtran and ImageMagick. What reaches standard error is watched
// in jpeg_convert_probe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>

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
  std::string Convert(const JpegPicture& picture, const JpegRowFill& fill) {
    WriteJpeg(jpegPath_, picture, fill);
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kBmpComplete);
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

// Widths whose rows need padding and widths whose rows need none, in colour
// and in grey.
TEST_F(JpegToBmpTest, ConvertsToTheBmpOfLibjpegsDecoding) {
  for (auto [width, height, components] :
       {std::tuple{5, 3, 1}, std::tuple{8, 2, 1}, std::tuple{5, 4, 3}, std::tuple{4, 3, 3}}) {
    SCOPED_TRACE(::testing::Message() << width << "x" << height << "x" << components);
    JpegPicture picture;
    picture.width = width;
    picture.height = height;
    picture.components = components;
    const std::string bmp = Convert(picture, PhotoLikeRows(width, height, components));
    EXPECT_EQ(bmp, ExpectedBmp(jpegPath_));
  }
}

TEST_F(JpegToBmpTest, OnlyDotsPerCentimetreBecomeADensity) {
  const struct {
    uint8_t unit;
    uint16_t x, y;
    uint32_t xPerMetre, yPerMetre;
  } cases[] = {
      {1, 72, 72, 0, 0}, {0, 1, 1, 0, 0}, {2, 28, 28, 2800, 2800}, {2, 28, 40, 2800, 4000}};
  for (const auto& c : cases) {
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

TEST_F(JpegToBmpTest, FilesThatCannotBeOpenedGiveTheirResults) {
  EXPECT_EQ(ConvertJpegToBmp((dir_ / "missing.jpg").c_str(), bmpPath_.c_str()), kJpegNotOpened);
  EXPECT_FALSE(std::filesystem::exists(bmpPath_));

  WriteJpeg(jpegPath_, JpegPicture(), SolidRows(16, "abc"));
  const std::string inMissingFolder =
      (std::filesystem::path(dir_ / "missing") / "picture.bmp").string();
  EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), inMissingFolder.c_str()), kBmpNotOpened);
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
  auto copyReal = [&](const char* name) {
    std::filesystem::copy_file(std::string(LUMIVANE_TEST_PICTURES) + name, jpegPath_,
                               std::filesystem::copy_options::overwrite_existing);
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
  copyReal("testorig12.jpg");
  expectRefused("Unsupported JPEG data precision 12");
  copyReal("cmyk.jpg");
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

// Real files: every process, sampling and coding that libjpeg decodes to
// greyscale or RGB converts completely.
TEST_F(JpegToBmpTest, RealPicturesConvert) {
  for (const char* name :
       {"testorig.jpg", "testimgari.jpg", "testimgint.jpg", "sampled444.jpg", "sampled422.jpg",
        "sampled420.jpg", "sampled411.jpg", "grey.jpg", "progressive.jpg", "arithmetic.jpg",
        "restarts.jpg", "stored-rgb.jpg", "transcoded-progressive.jpg", "transcoded-arithmetic.jpg",
        "transcoded-grey.jpg"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(LUMIVANE_TEST_PICTURES) + name;
    EXPECT_EQ(ConvertJpegToBmp(path.c_str(), bmpPath_.c_str()), kBmpComplete);
    std::string bmp = ReadFileBytes(bmpPath_);
    EXPECT_EQ(U32At(bmp, 18), 227u);
    EXPECT_EQ(U32At(bmp, 22), 149u);
    EXPECT_TRUE(bmp == ExpectedBmp(path)) << "the BMP file differs from libjpeg's decoding";
    EXPECT_TRUE(std::filesystem::remove(bmpPath_));
  }
}

// Cut off inside the picture data, a picture is completed by the decoder with
// a warning; cut off before the data starts, there is no picture to complete.
// Either way both files are closed (Windows could not delete them otherwise).
TEST_F(JpegToBmpTest, RealPicturesCutOffShort) {
  for (const char* name : {"testorig.jpg", "progressive.jpg", "arithmetic.jpg"}) {
    SCOPED_TRACE(name);
    std::string jpeg = ReadFileBytes(std::string(LUMIVANE_TEST_PICTURES) + name);
    size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    WriteFileBytes(jpegPath_, jpeg.substr(0, scan + (jpeg.size() - scan) / 2));
    ChildResult r = ConvertInChild();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("Premature end of JPEG file"));
    std::string bmp = ReadFileBytes(bmpPath_);
    EXPECT_EQ(bmp.size(), 54u + 228 * 3 * 149);
    EXPECT_TRUE(bmp == ExpectedBmp(jpegPath_)) << "the BMP file differs from libjpeg's decoding";

    WriteFileBytes(jpegPath_, jpeg.substr(0, scan));
    EXPECT_EQ(ConvertJpegToBmp(jpegPath_.c_str(), bmpPath_.c_str()), kJpegUndecodable);
    EXPECT_EQ(ReadFileBytes(bmpPath_), "");
    EXPECT_TRUE(std::filesystem::remove(jpegPath_));
    EXPECT_TRUE(std::filesystem::remove(bmpPath_));
  }
}

}  // namespace
