// Pictures made fit for a screen at pack time, with libjpeg-turbo's TurboJPEG
// interface: turned upright as their EXIF orientation asks, and shrunk to a
// largest size. The player shows pictures as they are stored.
#pragma once

#include <string>

struct ReshapeRequest {
  int orientation = 1;  // the EXIF orientation, 1 to 8
  int maxWidth = 0;     // 0: no largest size
  int maxHeight = 0;
  int quality = 90;  // for pictures that must be encoded anew
};

struct Reshaped {
  bool changed = false;  // false: the picture goes in as it was
  bool turned = false;
  bool lossless = false;  // turned without encoding anew
  bool shrunk = false;
  std::string jpeg;  // changed: the new picture
  // changed: what was done, e.g. "turned upright (lossless)"; failed: why.
  std::string note;
  bool failed = false;
};

// Turns the JPEG picture upright losslessly when only turning is asked and
// its size allows it; otherwise, and whenever it must shrink, decodes,
// turns, shrinks with an area average and encodes anew at the quality.
// Copies the markers of a lossless turn, with the orientation set to 1; a
// picture encoded anew has none but its JFIF marker. Fails, with the reason,
// for pictures whose sampling TurboJPEG does not take and for those too large
// to hold whole in memory; the player can still show them as they are.
Reshaped ReshapePicture(const std::string& jpeg, const ReshapeRequest& request);
