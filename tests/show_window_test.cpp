// The show window's messages, from creation to destruction: copies of
// show_window_probe with a show appended print what each message did.
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
using ::testing::Not;
using ::testing::StartsWith;

namespace {

const std::string kSilence = PcmWave(1, 8000, 8, std::string(800, '\x80'));

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

  // Runs the probe with a show of red, green and blue and the sounds appended,
  // and these settings; checks that the show was freed at the end.
  ChildResult Play(const std::vector<std::pair<const char*, DWORD>>& settings,
                   const std::vector<std::string>& sounds, const std::vector<std::string>& args) {
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
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    std::string path = dir_ / "show.scr";
    WriteFileBytes(path, file + table);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    std::vector<std::string> command = {path};
    command.insert(command.end(), args.begin(), args.end());
    ChildResult r = RunChild(command);
    // Windows writes text streams with CR LF.
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
  ChildResult r =
      Play({{"RedrawSpeed", 1}, {"UseEff", 0}, {"Mute", 1}}, {kSilence}, {"2", "10000"});
  // A muted show never starts its sound timer.
  EXPECT_THAT(Lines(r, "created"), ElementsAre(HasSubstr("picture=257 sound=0")));
  // The first paint brings the first picture; the second changes nothing.
  EXPECT_THAT(Lines(r, "paint"), ElementsAre("last=0 pixel=ff0000", "last=0 pixel=ff0000"));
  // Each change restarts the timer, so that the changes go on.
  EXPECT_THAT(Lines(r, "tick"), ElementsAre("last=1 timer=257", "last=2 timer=257"));
  // The timer counts whole seconds: two ticks take two.
  const std::vector<std::string> end = Lines(r, "end");
  ASSERT_EQ(end.size(), 1u);
  EXPECT_GE(std::stoul(end[0].substr(end[0].find("ms=") + 3)), 1900u) << end[0];
  EXPECT_THAT(Lines(r, "sound"), ElementsAre());
}

// A sound cut off in a download, its header claiming 8,000,000 bytes of the
// record's 1,000, is skipped, and the choosing goes on.
TEST_F(ShowWindowTest, SoundsPlayInTurnAndOneCutOffShortOfItsHeaderIsSkipped) {
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no sound output";
  const std::string cut = "RIFF" + Le32(8000000 - 8) + "WAVE" +
                          Chunk("fmt ", FormatBody(1, 1, 8000, 8)) +
                          ChunkAnnouncing("data", 8000000 - 44, std::string(956, '\x80'));
  ChildResult r = Play({{"RedrawSpeed", 60}, {"SoundSpeed", 1}, {"UseEff", 0}},
                       {kSilence, cut, kSilence}, {"1", "3500"});
  EXPECT_THAT(Lines(r, "created"), ElementsAre("picture=257 sound=258 available=1"));
  std::vector<std::string> sounds = Lines(r, "sound");
  ASSERT_GE(sounds.size(), 2u);
  for (size_t i = 1; i < sounds.size(); ++i)
    EXPECT_NE(sounds[i], sounds[i - 1]);
}

// Seconds × 1000 lies beyond SetTimer's longest period (about 24.9 days).
TEST_F(ShowWindowTest, IntervalsBeyondTheLongestTimerStillStartTheShow) {
  ChildResult r = Play({{"RedrawSpeed", DWORD(-1)}, {"SoundSpeed", DWORD(-1)}, {"UseEff", 0}},
                       {kSilence}, {"1", "1000"});
  EXPECT_THAT(Lines(r, "created"), ElementsAre(HasSubstr("picture=257")));
  EXPECT_THAT(Lines(r, "paint"), ElementsAre("last=0 pixel=ff0000", "last=0 pixel=ff0000"));
  EXPECT_THAT(Lines(r, "tick"), ElementsAre());
}

}  // namespace
