// The player's settings mode on the X display, used as a person uses it: the
// dialog of a show appended to the real player opens with "/c", xdotool
// clicks its controls, and the stored settings are read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

using ::testing::HasSubstr;

namespace fs = std::filesystem;

using namespace package_bytes;

namespace {

// Finds the dialog by its caption ($LV_TITLE) within ten seconds and clicks
// each point of $LV_POINTS, given in dialog units ("x,y x,y ..."), scaled by
// the window's size against the template's 256 by 199 units.
const char kClickPoints[] = R"sh(
w=$(timeout 10 xdotool search --sync --onlyvisible --name "^$LV_TITLE\$" | head -n 1)
[ -n "$w" ] || exit 1
eval "$(xdotool getwindowgeometry --shell "$w")"
sleep 0.5
for p in $LV_POINTS;
do
  xdotool mousemove --window "$w" $((${p%,*} * WIDTH / 256)) $((${p#*,} * HEIGHT / 199)) click 1 ||
    exit 1
  sleep 0.3
done)sh";

// Centres of the Shuffle box and the OK, Cancel and ReadMe buttons, in dialog units.
const char kShuffleBox[] = "142,46 ", kOkButton[] = "231,150 ", kCancelButton[] = "231,168 ",
           kReadmeButton[] = "231,186 ";

class SettingsDialogClicksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' || access("/usr/bin/xdotool", X_OK) != 0)
      GTEST_SKIP() << "needs an X display and xdotool";
    UnsetEnv("SDL_VIDEODRIVER");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // GTK's accessibility bridge keeps strings from its start-up that the
    // leak checker reports; no assistive technology runs here.
    SetEnv("NO_AT_BRIDGE", "1");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    fs::create_directories(dir_ / "bin");
    fs::create_directories(dir_ / "tmp");
    SetEnv("TMPDIR", dir_ / "tmp");
    oldPath_ = std::getenv("PATH");
    SetEnv("PATH", dir_ / "bin" + ":" + oldPath_);
    WriteFileBytes(dir_ / "bin/xdg-open",
                   "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"" + (dir_ / "opened") + "\"\n");
    fs::permissions(dir_ / "bin/xdg-open", fs::perms::owner_all);

    show_ = UniqueShowName("ClickTest");
    std::string player = ReadFileBytes(ProgramDir() + "../lumivane");
    std::string records;
    AppendRecord(records, kShowName, 0, 0, Text(show_));
    AppendRecord(records, kShowTitle, 0, 0, Text(show_ + " title"));
    AppendRecord(records, kReadmeText, 0, 0, Text("Read me\n"));
    AppendTerminator(records);
    AppendTrailer(records, uint32_t(player.size()));
    program_ = dir_ / "Show.scr";
    WriteFileBytes(program_, player + records);
    fs::permissions(program_, fs::perms::owner_all);
  }
  void TearDown() override {
    if (!oldPath_.empty()) SetEnv("PATH", oldPath_);
    UnsetEnv("TMPDIR");
  }

  // Runs "/c" while a person clicks the points; the dialog gets thirty
  // seconds before it is ended, so a missed click fails instead of hanging.
  ChildResult Click(const std::string& points) {
    SetEnv("LV_TITLE", show_ + " title");
    SetEnv("LV_POINTS", points);
    ChildResult person;
    std::thread clicker([&person] { person = RunChild({"/bin/sh", "-c", kClickPoints}); });
    ChildResult r = RunChild({"/usr/bin/timeout", "30", program_, "/c"});
    clicker.join();
    EXPECT_EQ(person.exitCode, 0) << person.err;
    return r;
  }

  ScratchDir dir_;
  std::string show_, program_, oldPath_;
};

TEST_F(SettingsDialogClicksTest, ClicksOnABoxAndOkStoreTheSettings) {
  ChildResult r = Click(std::string(kShuffleBox) + kOkButton);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(StoredShowSetting(show_, "Shuffle") + StoredShowSetting(show_, "RedrawSpeed") +
                StoredShowSetting(show_, "SoundSpeed") + StoredShowSetting(show_, "UseEff"),
            "11571");
}

TEST_F(SettingsDialogClicksTest, ReadmeOpensTheTextAndCancelStoresNothing) {
  ChildResult r = Click(std::string(kShuffleBox) + kReadmeButton + kCancelButton);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(StoredShowSetting(show_, "Shuffle"), "absent");
  // The readme has a folder of its own, gone with it afterwards.
  EXPECT_THAT(ReadFileBytes(dir_ / "opened"),
              ::testing::MatchesRegex(dir_ / "tmp/LVR[0-9A-F]{8}/readme.txt\n"));
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

}  // namespace
