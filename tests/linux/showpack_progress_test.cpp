// showpack create's progress lines, which it writes only to a terminal: run
// under script(1), which gives it one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ShowpackProgressTest, ALinePerPictureOnATerminalOnly) {
  ScratchDir dir;
  JpegPicture large;
  large.width = 1200;
  large.height = 900;
  WriteJpeg(dir / "IMG_10.jpg", large, PhotoLikeRows(1200, 900, 3));
  JpegPicture small;
  WriteJpeg(dir / "IMG_9.jpg", small, SolidRows(small.width, "\x40\x40\x40"));
  WriteFileBytes(dir / "IMG_11.jpg",
                 ReadFileBytes(ProgramDir() + "real-jpegs/portrait-416x208.jpg"));
  const std::string command = "'" + BuildProgram("showpack") + "' create -o '" + dir / "show" +
                              "' --max-size 600x600 '" + dir.path() + "'";

  ChildResult onTerminal = RunChild({"/usr/bin/script", "-qec", command, "/dev/null"});
  ASSERT_EQ(onTerminal.exitCode, 0) << onTerminal.out;
  // script passes the terminal's output on, stderr included, with CR LF.
  for (const char* part : {"[1/3] IMG_9.jpg  ", "[2/3] IMG_10.jpg  ", " \u2192 ",
                           "shrunk from 1200x900 to 600x450 at quality 90", "[3/3] IMG_11.jpg  ",
                           "turned upright (lossless)", "pictures: 3, sounds: 0;"})
    EXPECT_TRUE(Contains(onTerminal.out, part)) << part << " missing from\n" << onTerminal.out;

  ChildResult piped = RunChild({"/bin/sh", "-c", command + " --force"});
  ASSERT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  EXPECT_TRUE(Contains(piped.out, "1 turned upright, 1 shrunk")) << piped.out;
}

}  // namespace
