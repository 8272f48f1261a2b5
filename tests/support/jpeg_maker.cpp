#include "tests/support/jpeg_maker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include <jpeglib.h>

namespace {

J_COLOR_SPACE ColorSpaceFor(int components) {
  switch (components) {
    case 1:
      return JCS_GRAYSCALE;
    case 2:
      return JCS_UNKNOWN;
    case 3:
      return JCS_RGB;
    case 4:
      return JCS_CMYK;
  }
  throw std::invalid_argument("a JPEG picture has 1 to 4 components");
}

unsigned char Clamp(int value) {
  return static_cast<unsigned char>(std::clamp(value, 0, 255));
}

}  // namespace

void WriteJpeg(const std::string& path, const JpegPicture& picture, const JpegRowFill& fill) {
  J_COLOR_SPACE colorSpace = ColorSpaceFor(picture.components);
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
  cinfo.in_color_space = colorSpace;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, picture.quality, TRUE);
  if (picture.storeAsRgb) jpeg_set_colorspace(&cinfo, JCS_RGB);
  if (picture.storeAsYcck) jpeg_set_colorspace(&cinfo, JCS_YCCK);
  cinfo.density_unit = picture.densityUnit;
  cinfo.X_density = picture.xDensity;
  cinfo.Y_density = picture.yDensity;
  jpeg_start_compress(&cinfo, TRUE);
  for (const JpegMarker& marker : picture.markers) {
    jpeg_write_marker(&cinfo, marker.code, reinterpret_cast<const JOCTET*>(marker.data.data()),
                      unsigned(marker.data.size()));
  }
  std::vector<JSAMPLE> row(size_t(picture.width) * size_t(picture.components));
  JSAMPROW rows[1] = {row.data()};
  while (cinfo.next_scanline < cinfo.image_height) {
    fill(int(cinfo.next_scanline), row.data());
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  bool failed = ferror(file) != 0;
  if (fclose(file) != 0 || failed) throw std::runtime_error("cannot write " + path);
}

void WriteJpeg(const std::string& path, const JpegPicture& picture, const std::string& pixels) {
  const size_t rowBytes = size_t(picture.width) * size_t(picture.components);
  if (pixels.size() != rowBytes * size_t(picture.height)) {
    throw std::invalid_argument("pixels do not match the picture's size");
  }
  WriteJpeg(path, picture, [&](int y, unsigned char* samples) {
    std::copy_n(pixels.data() + rowBytes * size_t(y), rowBytes, samples);
  });
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
    for (int x = 0; x < width; ++x) {
      std::copy(color.begin(), color.end(), samples + size_t(x) * color.size());
    }
  };
}

JpegRowFill PhotoLikeRows(int width, int height, int components) {
  // The skyline is computed once per column; each pixel then costs a few
  // integer operations.
  auto skyline = std::make_shared<std::vector<int>>(size_t(width));
  for (int x = 0; x < width; ++x) {
    double t = double(x) / width;
    (*skyline)[size_t(x)] =
        int(height * (0.55 + 0.12 * std::sin(t * 7.0) + 0.05 * std::sin(t * 23.0 + 1.0)));
  }
  return [width, height, components, skyline](int y, unsigned char* samples) {
    for (int x = 0; x < width; ++x) {
      // Grain from a cheap integer hash of the position.
      uint32_t h = uint32_t(x) * 0x9E3779B1u ^ uint32_t(y) * 0x85EBCA77u;
      h ^= h >> 15;
      h *= 0x2C1B3C6Du;
      int grain = int(h >> 28) - 8;
      int r, g, b;
      int horizon = (*skyline)[size_t(x)];
      if (y < horizon) {
        int depth = 255 * y / std::max(horizon, 1);
        r = 90 + depth / 3;
        g = 140 + depth / 4;
        b = 230 - depth / 8;
      } else {
        int depth = 255 * (y - horizon) / std::max(height - horizon, 1);
        int stripe = ((x / 37 + y / 23) & 1) * 18;
        r = 60 + depth / 4 + stripe;
        g = 110 - depth / 5 + stripe;
        b = 40 + depth / 10;
      }
      r += grain;
      g += grain;
      b += grain;
      unsigned char* pixel = samples + size_t(x) * size_t(components);
      if (components == 1) {
        pixel[0] = Clamp((r * 77 + g * 150 + b * 29) >> 8);
      } else if (components == 3) {
        pixel[0] = Clamp(r);
        pixel[1] = Clamp(g);
        pixel[2] = Clamp(b);
      } else {
        int k = 255 - std::max({r, g, b});
        pixel[0] = Clamp(255 - r - k);
        pixel[1] = Clamp(255 - g - k);
        pixel[2] = Clamp(255 - b - k);
        pixel[3] = Clamp(k);
      }
    }
  };
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
