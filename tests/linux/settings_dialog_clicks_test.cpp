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

// Finds the dialog by its caption ($LV_TITLE) and clicks each point of
// $LV_POINTS, given in dialog units ("x,y x,y ..."), scaled by the window's
// size against the template's 256 by 199 units. Gives up after ten seconds.
const char kClickPoints[] = R"(
for i in $(seq 100); do
  line=$(xwininfo -root -tree | grep "\"$LV_TITLE\":" | head -n 1)
  if [ -n "$line" ]; then
    set -- $line
    size=$(echo "$line" | grep -o '[0-9]*x[0-9]*+' | head -n 1)
    w=${size%%x*}; h=${size#*x}; h=${h%+}
    sleep 0.5
    for p in $LV_POINTS; do
      xdotool mousemove --window "$1" $((${p%,*} * w / 256)) $((${p#*,} * h / 199)) click 1 ||
        exit 1
      sleep 0.3
    done
    exit 0
  fi
  sleep 0.1
done
exit 1)";

// Centres of controls, in dialog units.
const char kShuffleBox[] = "142,46";
const char kOkButton[] = "231,150";
const char kCancelButton[] = "231,168";
const char kReadmeButton[] = "231,186";

class SettingsDialogClicksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' || access("/usr/bin/xdotool", X_OK) != 0 ||
        access("/usr/bin/xwininfo", X_OK) != 0) {
      GTEST_SKIP() << "needs an X display, xdotool and xwininfo";
    }
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
    std::string t;
    AppendRecord(t, kShowName, 0, 0, Text(show_));
    AppendRecord(t, kShowTitle, 0, 0, Text(show_ + " title"));
    AppendRecord(t, kReadmeText, 0, 0, Text("Read me\n"));
    AppendTerminator(t);
    AppendTrailer(t, uint32_t(player.size()));
    program_ = dir_ / "Show.scr";
    WriteFileBytes(program_, player + t);
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
  ChildResult r = Click(std::string(kShuffleBox) + " " + kOkButton);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(StoredShowSetting(show_, "Shuffle"), "1");
  EXPECT_EQ(StoredShowSetting(show_, "RedrawSpeed"), "15");
  EXPECT_EQ(StoredShowSetting(show_, "SoundSpeed"), "7");
  EXPECT_EQ(StoredShowSetting(show_, "UseEff"), "1");
}

TEST_F(SettingsDialogClicksTest, ReadmeOpensTheTextAndCancelStoresNothing) {
  ChildResult r = Click(std::string(kShuffleBox) + " " + kReadmeButton + " " + kCancelButton);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(StoredShowSetting(show_, "Shuffle"), "absent");
  // The readme has a folder of its own, gone with it afterwards.
  EXPECT_THAT(ReadFileBytes(dir_ / "opened"),
              ::testing::MatchesRegex(dir_ / "tmp/LVR[0-9A-F]{8}/readme.txt\n"));
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

}  // namespace
