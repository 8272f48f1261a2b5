// The pictures of a show, checked at create the way the player decodes them:
// libjpeg with its default decompression parameters, which give greyscale or
// RGB output and nothing else the player can show.
#pragma once

#include <string>

struct PictureCheck {
  enum class Outcome { Playable, Converted, Refused };
  Outcome outcome = Outcome::Refused;
  // Converted: the RGB JPEG to pack in place of the file.
  std::string convertedJpeg;
  // Converted: what was done; Refused: why, in libjpeg's words where it gives any.
  std::string note;
  // The first warning libjpeg gave while decoding, if any. The player still
  // shows such a picture: libjpeg completes it itself.
  std::string warning;
};

// Decodes the JPEG file's bytes once. A CMYK or YCCK picture, which the player
// cannot show, is converted to an RGB JPEG of the same size; a picture that
// does not decode is refused. Never leaves the process from inside libjpeg.
PictureCheck CheckPicture(const std::string& jpeg);
