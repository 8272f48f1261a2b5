// JPEG files for tests and benchmarks, compressed by libjpeg from pixels that
// the caller computes row by row, and decoded back by libjpeg alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Marker codes for JpegPicture::markers.
constexpr int kJpegComMarker = 0xFE;
constexpr int kJpegApp12Marker = 0xEC;

struct JpegMarker {
  int code;
  std::string data;  // without the length, which libjpeg adds
};

struct JpegPicture {
  int width = 16;
  int height = 16;
  int components = 3;  // 1 greyscale, 2 of no colour space, 3 RGB, 4 CMYK
  int quality = 90;
  // Colour pictures only: keeps the samples as RGB, marked by an Adobe marker
  // instead of JFIF, so that solid colours at quality 100 decode exactly;
  // otherwise they go through YCbCr.
  bool storeAsRgb = false;
  // JFIF density; unit 0 gives only the ratio of width to height, 1 dots per
  // inch, 2 dots per centimetre. CMYK pictures and those stored as RGB have no
  // JFIF marker, so no density.
  uint8_t densityUnit = 1;
  uint16_t xDensity = 72;
  uint16_t yDensity = 72;
  // Written in this order after the JFIF marker, before the frame.
  std::vector<JpegMarker> markers;
};

// Fills row y, top row 0, with width * components samples.
using JpegRowFill = std::function<void(int y, unsigned char* samples)>;

// Throws std::runtime_error when the file cannot be written.
void WriteJpeg(const std::string& path, const JpegPicture& picture, const JpegRowFill& fill);

// Every pixel the same: color holds one sample per component.
JpegRowFill SolidRows(int width, const std::string& color);
// A 64 x 48 picture of one colour (red, green, blue), stored as RGB at the
// best quality, so that a screen shows that colour exactly.
void WriteSolidRgbJpeg(const std::string& path, const std::string& rgb);
// Sky, hills and grain, in grey (1 component) or RGB (3): compresses about as
// well as a photograph, and costs little to compute even at 4000x3000.
JpegRowFill PhotoLikeRows(int width, int height, int components);
// Such a picture in RGB, at quality 90.
void WritePhotoLikeJpeg(const std::string& path, int width, int height);

struct DecodedJpeg {
  int width = 0;
  int height = 0;
  int components = 0;
  std::string pixels;  // rows top first, no padding
};

// libjpeg's default decoding of the whole picture into memory; an empty
// picture when the file cannot be opened.
DecodedJpeg DecodeJpeg(const std::string& path);
