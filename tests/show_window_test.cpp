// The show window's messages, from creation to destruction: copies of
// show_window_probe with a show appended print what each message did; natively
// SDL's disk audio driver shows what it played.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"
#include "tests/support/wave_image.h"
#include "tools/showpack/package_writer.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

// The probe's lines that start with `kind`.
std::vector<std::string> Lines(const ChildResult& r, const std::string& kind) {
  std::vector<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(kind + " ", 0) == 0) lines.push_back(line.substr(kind.size() + 1));
  }
  return lines;
}

class ShowWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // The show's temporary files go to a folder of the test's own.
    tempDir_ = new ScratchDir;
    UseTempFolder(tempDir_->path());
  }

  static void TearDownTestSuite() { delete tempDir_; }

  void SetUp() override { SetEnv("XDG_CONFIG_HOME", dir_ / "config"); }

  // Runs the probe with a show of red, green and blue, the sounds and the
  // readme, and these settings, until its picture ticks or time limit in ms;
  // checks that the show was freed at the end.
  ChildResult Play(const std::vector<std::pair<const char*, DWORD>>& settings, const char* ticks,
                   const char* limit,
                   const std::vector<std::string>& sounds = {PcmWave(1, 8000, 8,
                                                                     std::string(800, '\x80'))},
                   const std::string& readme = "") {
    const std::string show = UniqueShowName("WindowTest");
    for (const auto& [name, value] : settings)
      SetShowSetting(show, name, value);
    std::string file = ReadFileBytes(BuildProgram("show_window_probe"));
    std::string table;
    AppendRecord(table, ShowRecordType::ShowName, 0, 0, show + std::string(1, '\0'));
    for (const char* rgb : {"\xFF\x00\x00", "\x00\xFF\x00", "\x00\x00\xFF"}) {
      WriteSolidRgbJpeg(dir_ / "picture.jpg", std::string(rgb, 3));
      uint32_t start = uint32_t(file.size());
      file += ReadFileBytes(dir_ / "picture.jpg");
      AppendRecord(table, ShowRecordType::Image, start, uint32_t(file.size()), "");
    }
    for (const std::string& sound : sounds)
      AppendRecord(table, ShowRecordType::Sound, 0, 0, sound);
    if (!readme.empty())
      AppendRecord(table, ShowRecordType::ReadmeText, 0, 0, readme + std::string(1, '\0'));
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    std::string path = dir_ / "show.scr";
    WriteFileBytes(path, file + table);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    ChildResult r = RunChild({path, ticks, limit});
    r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_THAT(Lines(r, "destroyed"), ElementsAre("records=0 file=closed")) << r.out;
    for (const auto& entry : std::filesystem::directory_iterator(tempDir_->path()))
      EXPECT_THAT(entry.path().filename().string(), Not(StartsWith("LV"))) << "left behind";
    return r;
  }

  static inline ScratchDir* tempDir_ = nullptr;
  ScratchDir dir_;
};

TEST_F(ShowWindowTest, FirstPaintShowsAPictureAndTheTimerKeepsChangingThem) {
  ChildResult r = Play({{"RedrawSpeed", 1}, {"UseEff", 0}, {"Mute", 1}}, "2", "10000");
  // A muted show never starts its sound timer.
  EXPECT_THAT(Lines(r, "created"), ElementsAre(HasSubstr("picture=257 sound=0")));
  // The first paint brings the first picture; the second changes nothing.
  EXPECT_THAT(Lines(r, "paint"), ElementsAre("last=0 pixel=ff0000", "last=0 pixel=ff0000"));
  // Each change restarts the timer, so that the changes go on.
  EXPECT_THAT(Lines(r, "tick"), ElementsAre("last=1 timer=257", "last=2 timer=257"));
  // The timer counts whole seconds: two ticks take two.
  const std::vector<std::string> end = Lines(r, "end");
  EXPECT_TRUE(end.size() == 1 && std::stoul(end[0].substr(3)) >= 1900u) << r.out;
}

// RedrawSpeed seconds × 1000 lie beyond SetTimer's longest period (about 24.9
// days): the show starts all the same. Its sounds are a download cut off after
// 1,000 bytes of a WAV file whose header says 12,000, in the format of SDL's
// disk audio output (44100 frames a second of 16-bit stereo), so that memory
// played beyond it would reach the output as it is, and a whole one.
TEST_F(ShowWindowTest, ALongIntervalStartsTheShowAndACutOffSoundIsSkipped) {
  const std::string format = Chunk("fmt ", FormatBody(1, 2, 44100, 16));
  std::string cut = "RIFF" + Le32(12000 - 8) + "WAVE" + format;
  cut += "data" + Le32(uint32_t(12000 - cut.size() - 8));
  cut += Level16((1000 - cut.size()) / 2, 0x2345);
  const std::string whole = RiffWave(format + Chunk("data", Level16(8820, 6000)));
  // The next record, whose payload the heap is likely to hold right after the sound's.
  std::string marker;
  while (marker.size() < 4000)
    marker += "MARKER-TEXT-OF-THE-NEXT-RECORD--";
  SetEnv("SDL_AUDIODRIVER", "disk");
  SetEnv("SDL_DISKAUDIOFILE", dir_ / "sound.raw");
  // Three sound ticks, no picture tick: the probe ends on its time limit.
  ChildResult r = Play({{"RedrawSpeed", DWORD(-1)}, {"SoundSpeed", 1}, {"UseEff", 0}}, "1", "3500",
                       {whole, cut}, marker);
  SetEnv("SDL_AUDIODRIVER", "dummy");
  EXPECT_THAT(Lines(r, "created"), ElementsAre(HasSubstr("picture=257")));
  EXPECT_THAT(Lines(r, "paint"), ElementsAre("last=0 pixel=ff0000", "last=0 pixel=ff0000"));
  EXPECT_THAT(Lines(r, "tick"), ElementsAre());
  if (!ExeSuffix().empty()) return;  // SDL's disk audio output is the native build's
  EXPECT_THAT(Lines(r, "sound"), IsSupersetOf({"last=0", "last=1"}));
  const std::string sound = ReadFileBytes(dir_ / "sound.raw");
  EXPECT_NE(sound.find(Level16(2 * 4410, 6000)), std::string::npos);
  EXPECT_EQ(sound.find(Level16(2, 0x2345)), std::string::npos);
  EXPECT_EQ(sound.find("MARKER"), std::string::npos);
}

}  // namespace
