// showpack create with sounds as sox writes them: every format that both
// players play goes into the show, and the same files cut short do not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/sox_sounds.h"
#include "tests/support/wave_image.h"

namespace {

ChildResult Showpack(std::vector<std::string> args) {
  args.insert(args.begin(), BuildProgram("showpack"));
  return RunChild(args);
}

// The float file that sox writes, with its format rewritten in the extensible
// form, which sox uses for integer samples only.
std::string ExtensibleFloat(const std::string& plain) {
  // sox's plain format chunk: 18 bytes, ending in an extension size of 0.
  EXPECT_EQ(plain.substr(12, 8), std::string("fmt \x12\0\0\0", 8));
  const std::string fields = plain.substr(22, 14);  // channels to bits per sample
  const std::string floatGuid =
      Le16(3) + std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
  const std::string body = Le16(0xFFFE) + fields + Le16(22) + Le16(32) + Le32(4) + floatGuid;
  return RiffWave(Chunk("fmt ", body) + plain.substr(38));
}

TEST(ShowpackSoundsTest, TakesEveryFormatThatThePlayersPlayAndRefusesThemCutShort) {
  ScratchDir dir;
  JpegPicture picture;
  WriteJpeg(dir / "p.jpg", picture, SolidRows(picture.width, std::string(3, '\x40')));
  std::vector<std::string> sounds;
  for (const SoxFormat& format : SoxFormats()) {
    sounds.push_back(dir / (std::string(format.name) + ".wav"));
    ASSERT_EQ(MakeSoxSine(sounds.back(), format, 0.3), "") << format.name;
  }
  sounds.push_back(dir / "float32-extensible.wav");
  WriteFileBytes(sounds.back(), ExtensibleFloat(ReadFileBytes(dir / "float32.wav")));

  std::vector<std::string> args = {"create", "-o", dir / "show.scr"};
  for (const std::string& sound : sounds)
    args.insert(args.end(), {"--sound", sound});
  args.push_back(dir / "p.jpg");
  ChildResult created = Showpack(args);
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_NE(created.out.find("sounds: " + std::to_string(sounds.size())), std::string::npos)
      << created.out;

  for (const std::string& sound : sounds) {
    SCOPED_TRACE(sound);
    const std::string cut = dir / "cut.wav";
    const std::string bytes = ReadFileBytes(sound);
    WriteFileBytes(cut, bytes.substr(0, bytes.size() - 1));
    ChildResult refused =
        Showpack({"create", "-o", dir / "cut.scr", "--sound", cut, dir / "p.jpg"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("cut.wav: cut short"), std::string::npos) << refused.err;
  }
}

}  // namespace
