// What a show window plays: copies of show_window_probe with a show appended,
// each writing its sound output through SDL's disk audio driver to a file of
// its own at 44100 frames a second of 16-bit stereo.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"
#include "tests/support/wave_image.h"
#include "tools/showpack/package_writer.h"

namespace {

const uint32_t kRate = 44100;

// Frames whose two channels both hold value.
size_t CountFrames(const std::string& output, int16_t value) {
  size_t count = 0;
  auto sample = [&](size_t i) { return int16_t(uint8_t(output[i]) | uint8_t(output[i + 1]) << 8); };
  for (size_t at = 0; at + 4 <= output.size(); at += 4)
    count += sample(at) == value && sample(at + 2) == value;
  return count;
}

// A download cut off after 1,000 bytes of a WAV file whose header gives its
// whole size. Its format is the sound output's own, so that memory played
// beyond it would reach the output byte for byte.
std::string CutOffWave(uint32_t wholeSize) {
  const std::string format = Chunk("fmt ", FormatBody(1, 2, kRate, 16));
  std::string head = "RIFF" + Le32(wholeSize - 8) + "WAVE" + format;
  head += "data" + Le32(uint32_t(wholeSize - head.size() - 8));
  return head + Samples16(Constant16((1000 - head.size()) / 2, 0x2345));
}

TEST(ShowSoundOutputTest, ACutOffSoundIsSkippedAndNothingBeyondItIsPlayed) {
  ScratchDir dir;
  UseTempFolder(dir / "tmp");
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    SetEnv(name, dir / name);
  SetEnv("SDL_VIDEODRIVER", "dummy");
  SetEnv("SDL_AUDIODRIVER", "disk");
  std::filesystem::create_directories(dir / "tmp");
  const std::string show = "SoundOutput";
  for (auto setting : {std::make_pair("RedrawSpeed", 60), {"SoundSpeed", 1}, {"UseEff", 0}})
    SetShowSetting(show, setting.first, DWORD(setting.second));
  JpegPicture jpeg;
  WriteJpeg(dir / "picture.jpg", jpeg, SolidRows(jpeg.width, "\x80\x80\x80"));
  // Two sounds alternate, so that the whole one shows the output works.
  const std::string whole = RiffWave(Chunk("fmt ", FormatBody(1, 2, kRate, 16)) +
                                     Chunk("data", Samples16(Constant16(2 * kRate / 10, 6000))));
  // The record after the cut-off sound, whose payload the heap is likely to
  // hold right after the sound's.
  std::string marker;
  while (marker.size() < 4000)
    marker += "MARKER-TEXT-OF-THE-NEXT-RECORD--";

  // Played from its header, the cut-off sound would run into the records that follow.
  const std::string output = dir / "sound.raw";
  SetEnv("SDL_DISKAUDIOFILE", output);
  std::string file = ReadFileBytes(BuildProgram("show_window_probe"));
  const uint32_t pictureStart = uint32_t(file.size());
  file += ReadFileBytes(dir / "picture.jpg");
  std::string table;
  AppendRecord(table, ShowRecordType::ShowName, 0, 0, show + std::string(1, '\0'));
  AppendRecord(table, ShowRecordType::Image, pictureStart, uint32_t(file.size()), "");
  AppendRecord(table, ShowRecordType::Sound, 0, 0, whole);
  AppendRecord(table, ShowRecordType::Sound, 0, 0, CutOffWave(12000));
  AppendRecord(table, ShowRecordType::ReadmeText, 0, 0, marker + std::string(1, '\0'));
  AppendTerminator(table);
  AppendTrailer(table, uint32_t(file.size()));
  const std::string path = dir / "show.scr";
  WriteFileBytes(path, file + table);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);

  // Three sound ticks, no picture tick: the probe ends on its time limit.
  ChildResult r = RunChild({path, "1", "3500"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  for (const char* chosen : {"sound last=0\n", "sound last=1\n"})
    EXPECT_NE(r.out.find(chosen), std::string::npos) << chosen << r.out;
  const std::string sound = ReadFileBytes(output);
  EXPECT_GE(CountFrames(sound, 6000), size_t(kRate / 10));
  EXPECT_EQ(CountFrames(sound, 0x2345), 0u);
  EXPECT_EQ(sound.find("MARKER"), std::string::npos);
  EXPECT_EQ(sound.find("-TEXT-OF"), std::string::npos);
}

}  // namespace
