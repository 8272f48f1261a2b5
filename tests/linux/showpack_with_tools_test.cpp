// showpack create with real programs around it: sounds in every format that
// sox writes and both players play, and progress lines on script(1)'s terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/sox_sounds.h"
#include "tests/support/wave_image.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ShowpackWithToolsTest, TakesEverySoundFormatThatThePlayersPlay) {
  ScratchDir dir;
  JpegPicture picture;
  WriteJpeg(dir / "p.jpg", picture, SolidRows(picture.width, std::string(3, '\x40')));
  std::vector<std::string> args = {BuildProgram("showpack"), "create", "-o", dir / "show.scr"};
  for (const SoxFormat& format : SoxFormats()) {
    args.insert(args.end(), {"--sound", dir / (std::string(format.name) + ".wav")});
    ASSERT_EQ(MakeSoxSine(args.back(), format, 0.3), "") << format.name;
  }
  // sox writes the extensible form for integer samples only: float rewritten in it.
  const std::string plain = ReadFileBytes(dir / "float32.wav");
  ASSERT_EQ(plain.substr(12, 8), std::string("fmt \x12\0\0\0", 8));
  const std::string floatGuid =
      Le16(3) + std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
  WriteFileBytes(dir / "ext.wav",
                 RiffWave(Chunk("fmt ", Le16(0xFFFE) + plain.substr(22, 14) + Le16(22) + Le16(32) +
                                            Le32(4) + floatGuid) +
                          plain.substr(38)));
  args.insert(args.end(), {"--sound", dir / "ext.wav", dir / "p.jpg"});
  ChildResult created = RunChild(args);
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_TRUE(Contains(created.out, "sounds: " + std::to_string(SoxFormats().size() + 1)))
      << created.out;
}

// Only on a terminal: script passes its output on, stderr included.
TEST(ShowpackWithToolsTest, ALinePerPictureOnATerminalOnly) {
  ScratchDir dir;
  JpegPicture large, small;
  large.width = 1200;
  large.height = 900;
  WriteJpeg(dir / "IMG_10.jpg", large, PhotoLikeRows(1200, 900, 3));
  WriteJpeg(dir / "IMG_9.jpg", small, SolidRows(small.width, "\x40\x40\x40"));
  WriteFileBytes(dir / "IMG_11.jpg",
                 ReadFileBytes(ProgramDir() + "real-jpegs/portrait-416x208.jpg"));
  const std::string command = "'" + BuildProgram("showpack") + "' create -o '" + dir / "show" +
                              "' --max-size 600x600 '" + dir.path() + "'";
  ChildResult onTerminal = RunChild({"/usr/bin/script", "-qec", command, "/dev/null"});
  ASSERT_EQ(onTerminal.exitCode, 0) << onTerminal.out;
  for (const char* part : {"[1/3] IMG_9.jpg  ", "[2/3] IMG_10.jpg  ", " \u2192 ",
                           "shrunk from 1200x900 to 600x450 at quality 90", "[3/3] IMG_11.jpg  ",
                           "turned upright (lossless)", "pictures: 3, sounds: 0;"})
    EXPECT_TRUE(Contains(onTerminal.out, part)) << part << " missing from\n" << onTerminal.out;
  ChildResult piped = RunChild({"/bin/sh", "-c", command + " --force"});
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_FALSE(Contains(piped.out + piped.err, "[1/3]")) << piped.out << piped.err;
}

}  // namespace
