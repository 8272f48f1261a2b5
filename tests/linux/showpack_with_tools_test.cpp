// showpack create with real programs around it: sounds in every format that
// sox writes and both players play, and progress lines on script(1)'s terminal.
#include <gtest/gtest.h>

#include <filesystem>
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

// A folder's pictures and its sounds; a line per picture only on a terminal,
// which script gives it (passing its output on, stderr included).
TEST(ShowpackWithToolsTest, TakesEverySoundThePlayersPlayAndShowsProgressOnATerminal) {
  ScratchDir dir;
  WritePhotoLikeJpeg(dir / "IMG_10.jpg", 1200, 900);
  std::filesystem::copy_file(ProgramDir() + "real-jpegs/rgb.jpg", dir / "IMG_9.jpg");
  std::filesystem::copy_file(ProgramDir() + "real-jpegs/portrait-416x208.jpg", dir / "IMG_11.jpg");
  for (const SoxFormat& format : SoxFormats())
    ASSERT_EQ(MakeSoxSine(dir / (std::string(format.name) + ".wav"), format, 0.3), "");
  // sox writes the extensible form for integer samples only: float rewritten in it.
  const std::string plain = ReadFileBytes(dir / "float32.wav");
  const std::string floatGuid =
      Le16(3) + std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
  WriteFileBytes(dir / "ext.wav",
                 RiffWave(Chunk("fmt ", Le16(0xFFFE) + plain.substr(22, 14) + Le16(22) + Le16(32) +
                                            Le32(4) + floatGuid) +
                          plain.substr(38)));
  const std::string command = "'" + BuildProgram("showpack") + "' create -o '" + dir / "show" +
                              "' --max-size 600x600 --sounds-from-folder '" + dir.path() + "'";
  ChildResult onTerminal = RunChild({"/usr/bin/script", "-qec", command, "/dev/null"});
  ASSERT_EQ(onTerminal.exitCode, 0) << onTerminal.out;
  for (const std::string& part : std::vector<std::string>{
           "[1/3] IMG_9.jpg  ", "[2/3] IMG_10.jpg  ", " \u2192 ",
           "shrunk from 1200x900 to 600x450 at quality 90", "[3/3] IMG_11.jpg  ",
           "turned upright (lossless)",
           "pictures: 3, sounds: " + std::to_string(SoxFormats().size() + 1) + ";"})
    EXPECT_TRUE(Contains(onTerminal.out, part)) << part << " missing from\n" << onTerminal.out;
  ChildResult piped = RunChild({"/bin/sh", "-c", command + " --force"});
  EXPECT_EQ(piped.exitCode, 0);
  EXPECT_FALSE(Contains(piped.out + piped.err, "[1/3]")) << piped.out << piped.err;
}

}  // namespace
