#include "tests/support/jpeg_maker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

void WriteJpeg(const std::string& path, const JpegPicture& picture, const JpegRowFill& fill) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot create " + path);
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = JDIMENSION(picture.width);
  cinfo.image_height = JDIMENSION(picture.height);
  cinfo.input_components = picture.components;
  const J_COLOR_SPACE spaces[] = {JCS_GRAYSCALE, JCS_UNKNOWN, JCS_RGB, JCS_CMYK};
  cinfo.in_color_space = spaces[picture.components - 1];
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, picture.quality, TRUE);
  if (picture.storeAsRgb) jpeg_set_colorspace(&cinfo, JCS_RGB);
  cinfo.density_unit = picture.densityUnit;
  cinfo.X_density = picture.xDensity;
  cinfo.Y_density = picture.yDensity;
  jpeg_start_compress(&cinfo, TRUE);
  for (const JpegMarker& marker : picture.markers)
    jpeg_write_marker(&cinfo, marker.code, reinterpret_cast<const JOCTET*>(marker.data.data()),
                      unsigned(marker.data.size()));
  std::vector<JSAMPLE> row(size_t(picture.width) * size_t(picture.components));
  for (JSAMPROW rows[1] = {row.data()}; cinfo.next_scanline < cinfo.image_height;) {
    fill(int(cinfo.next_scanline), row.data());
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  const bool failed = ferror(file) != 0;
  if (fclose(file) != 0 || failed) throw std::runtime_error("cannot write " + path);
}

void WriteSolidRgbJpeg(const std::string& path, const std::string& rgb) {
  JpegPicture picture;
  picture.width = 64;
  picture.height = 48;
  picture.quality = 100;
  picture.storeAsRgb = true;
  WriteJpeg(path, picture, SolidRows(picture.width, rgb));
}

JpegRowFill SolidRows(int width, const std::string& color) {
  return [width, color](int, unsigned char* samples) {
    for (int x = 0; x < width; ++x)
      std::copy(color.begin(), color.end(), samples + size_t(x) * color.size());
  };
}

JpegRowFill PhotoLikeRows(int width, int height, int components) {
  // The skyline is computed once per column; each pixel then costs a few
  // integer operations.
  std::vector<int> skyline;
  for (double x = 0; x < width; ++x)
    skyline.push_back(int(height * (0.55 + 0.12 * std::sin(x / width * 7.0) +
                                    0.05 * std::sin(x / width * 23.0 + 1.0))));
  return [height, components, skyline](int y, unsigned char* samples) {
    for (size_t x = 0; x < skyline.size(); ++x) {
      // Grain from a cheap integer hash of the position.
      uint32_t h = uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u;
      const int grain = int(((h ^ h >> 15) * 0x2C1B3C6Du) >> 28) - 8, horizon = skyline[x];
      const bool sky = y < horizon;
      const int depth = sky ? 255 * y / std::max(horizon, 1)
                            : 255 * (y - horizon) / std::max(height - horizon, 1);
      const int stripe = sky ? 0 : int((x / 37 + size_t(y) / 23) & 1) * 18;
      const int rgb[3] = {(sky ? 90 + depth / 3 : 60 + depth / 4) + stripe + grain,
                          (sky ? 140 + depth / 4 : 110 - depth / 5) + stripe + grain,
                          (sky ? 230 - depth / 8 : 40 + depth / 10) + grain};
      if (components == 1)
        samples[x] = JSAMPLE(std::clamp((rgb[0] * 77 + rgb[1] * 150 + rgb[2] * 29) >> 8, 0, 255));
      for (int c = 0; c < 3 && components == 3; ++c)
        samples[x * 3 + size_t(c)] = JSAMPLE(std::clamp(rgb[c], 0, 255));
    }
  };
}

void WritePhotoLikeJpeg(const std::string& path, int width, int height) {
  JpegPicture picture;
  picture.width = width;
  picture.height = height;
  WriteJpeg(path, picture, PhotoLikeRows(width, height, 3));
}

DecodedJpeg DecodeJpeg(const std::string& path) {
  DecodedJpeg picture;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return picture;
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  picture.width = int(cinfo.output_width);
  picture.height = int(cinfo.output_height);
  picture.components = cinfo.output_components;
  const size_t rowBytes = size_t(picture.width) * size_t(picture.components);
  picture.pixels.resize(rowBytes * size_t(picture.height));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&picture.pixels[rowBytes * cinfo.output_scanline]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  fclose(file);
  return picture;
}
