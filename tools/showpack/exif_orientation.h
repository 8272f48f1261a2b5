// The EXIF orientation tag of a JPEG file: how a camera says its picture must
// be turned to stand upright. The player ignores it, so showpack turns the
// picture itself and then sets the tag to 1, lest a viewer turn it again.
#pragma once

#include <cstddef>
#include <string>

struct ExifOrientation {
  // 1 (upright) to 8, as TIFF numbers them; 1 when there is no valid tag.
  int value = 1;
  // Offset in the file of the tag's 16-bit value, or npos when there is none.
  size_t valueAt = std::string::npos;
  bool bigEndian = false;
};

// Looks in the markers before the first scan for an APP1 "Exif" marker and in
// its first image directory for the orientation tag. Any damage in the way
// reads as no tag; nothing is read outside jpeg.
ExifOrientation FindExifOrientation(const std::string& jpeg);

// Sets the tag, where there is one, to 1.
void MarkUpright(std::string& jpeg);
