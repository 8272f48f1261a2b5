#include "tools/showpack/exif_orientation.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShortType = 3;
constexpr size_t kIfdEntrySize = 12;
constexpr char kExifHeader[] = "Exif\0";  // with the array's own NUL, 6 bytes

// A bounded view of the TIFF structure inside the marker.
struct Tiff {
  const unsigned char* data;
  size_t size;
  bool bigEndian;

  bool Has(size_t at, size_t count) const { return at <= size && count <= size - at; }
  uint16_t U16(size_t at) const {
    return bigEndian ? uint16_t(data[at] << 8 | data[at + 1])
                     : uint16_t(data[at] | data[at + 1] << 8);
  }
  uint32_t U32(size_t at) const {
    uint32_t high = U16(bigEndian ? at : at + 2), low = U16(bigEndian ? at + 2 : at);
    return high << 16 | low;
  }
};

// The orientation in a TIFF block that starts at offset base of the file.
ExifOrientation FromTiff(const Tiff& tiff, size_t base) {
  ExifOrientation found;
  if (!tiff.Has(0, 8) || tiff.U16(2) != 42) return found;
  size_t ifd = tiff.U32(4);
  if (!tiff.Has(ifd, 2)) return found;
  size_t count = tiff.U16(ifd);
  for (size_t i = 0; i < count; ++i) {
    size_t entry = ifd + 2 + i * kIfdEntrySize;
    if (!tiff.Has(entry, kIfdEntrySize)) break;
    if (tiff.U16(entry) != kOrientationTag) continue;
    if (tiff.U16(entry + 2) != kShortType || tiff.U32(entry + 4) != 1) break;
    int value = tiff.U16(entry + 8);
    found.valueAt = base + entry + 8;
    found.bigEndian = tiff.bigEndian;
    if (value >= 1 && value <= 8) found.value = value;
    break;
  }
  return found;
}

}  // namespace

ExifOrientation FindExifOrientation(const std::string& jpeg) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(jpeg.data());
  const size_t size = jpeg.size();
  if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return ExifOrientation();
  size_t at = 2;
  while (at + 4 <= size) {
    if (bytes[at] != 0xFF) break;
    unsigned char marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    // Start of scan or end of image: no marker after it is the file's.
    if (marker == 0xDA || marker == 0xD9) break;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    size_t length = size_t(bytes[at + 2]) << 8 | bytes[at + 3];
    if (length < 2 || at + 2 + length > size) break;
    const size_t body = at + 4, bodySize = length - 2;
    if (marker == 0xE1 && bodySize > sizeof kExifHeader &&
        std::memcmp(bytes + body, kExifHeader, sizeof kExifHeader) == 0) {
      const size_t tiffAt = body + sizeof kExifHeader;
      Tiff tiff = {bytes + tiffAt, bodySize - sizeof kExifHeader, false};
      if (tiff.Has(0, 2) && tiff.data[0] == 'M' && tiff.data[1] == 'M') {
        tiff.bigEndian = true;
      } else if (!(tiff.Has(0, 2) && tiff.data[0] == 'I' && tiff.data[1] == 'I')) {
        return ExifOrientation();
      }
      return FromTiff(tiff, tiffAt);
    }
    at += 2 + length;
  }
  return ExifOrientation();
}

void MarkUpright(std::string& jpeg) {
  ExifOrientation orientation = FindExifOrientation(jpeg);
  if (orientation.valueAt == std::string::npos) return;
  jpeg[orientation.valueAt] = char(orientation.bigEndian ? 0 : 1);
  jpeg[orientation.valueAt + 1] = char(orientation.bigEndian ? 1 : 0);
}
