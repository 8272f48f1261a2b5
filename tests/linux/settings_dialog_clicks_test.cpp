// The player's settings mode on the X display, used as a person uses it: the
// dialog of a show appended to the real player opens with "/c", xdotool types
// and clicks in it, a screenshot shows it drawn, and the stored settings are
// read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

namespace fs = std::filesystem;

using namespace package_bytes;

namespace {

// Finds the dialog by its caption ($LV_TITLE) within ten seconds, takes a
// screenshot into $LV_SHOT, and takes each step of $LV_STEPS: a key by
// xdotool's name, or a click at "x,y" in dialog units, scaled by the window's
// size against the template's 256 by 199 units.
const char kPerson[] = R"sh(
w=$(timeout 10 xdotool search --sync --onlyvisible --name "^$LV_TITLE\$" | head -n 1)
[ -n "$w" ] || exit 1
eval "$(xdotool getwindowgeometry --shell "$w")"
sleep 0.5
import -window "$w" "$LV_SHOT" || exit 1
for p in $LV_STEPS; do
  case $p in
    *,*) xdotool mousemove --window "$w" $((${p%,*} * WIDTH / 256)) $((${p#*,} * HEIGHT / 199)) \
           click 1 || exit 1 ;;
    *) xdotool windowfocus --sync "$w" key "$p" || exit 1 ;;
  esac
  sleep 0.3
done)sh";

// Centres of the Shuffle box and the OK, Cancel and ReadMe buttons, in dialog units.
const char kShuffleBox[] = "142,46 ", kOkButton[] = "231,150 ", kCancelButton[] = "231,168 ",
           kReadmeButton[] = "231,186 ";

class SettingsDialogClicksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' ||
        std::system("command -v xdotool import >/dev/null"))
      GTEST_SKIP() << "needs an X display, xdotool and ImageMagick";
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

  // Runs "/c" while a person takes the steps; the dialog gets thirty seconds
  // before it is ended, so a missed click fails instead of hanging.
  ChildResult Use(const std::string& steps) {
    SetEnv("LV_TITLE", show_ + " title");
    SetEnv("LV_STEPS", steps);
    SetEnv("LV_SHOT", dir_ / "dialog.png");
    ChildResult person;
    std::thread clicker([&person] { person = RunChild({"/bin/sh", "-c", kPerson}); });
    ChildResult r = RunChild({"/usr/bin/timeout", "30", program_, "/c"});
    clicker.join();
    EXPECT_EQ(person.exitCode, 0) << person.err;
    return r;
  }

  ScratchDir dir_;
  std::string show_, program_, oldPath_;
};

// The first list has the focus: Down chooses its next entry. Enter away from
// a push button and Escape ask for IDOK and IDCANCEL, which the template has
// no controls for, so the dialog stays open for the clicks.
TEST_F(SettingsDialogClicksTest, KeysAndClicksStoreTheSettingsAndTheDialogIsDrawn) {
  ChildResult r = Use(std::string("Down Return Escape ") + kShuffleBox + kOkButton);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(StoredShowSetting(show_, "Shuffle") + " " + StoredShowSetting(show_, "RedrawSpeed") +
                " " + StoredShowSetting(show_, "SoundSpeed") + " " +
                StoredShowSetting(show_, "UseEff"),
            "1 16 7 1");
  // Text and frames in many shades, and the cog's pure blue hub from icon 102.
  std::string shot = dir_ / "dialog.png";
  ChildResult colours = RunChild({"/bin/sh", "-c", "identify -format %k '" + shot + "'"});
  EXPECT_GE(std::atoi(colours.out.c_str()), 16) << colours.out << colours.err;
  ChildResult blue =
      RunChild({"/bin/sh", "-c", "convert '" + shot + "' txt:- | grep -ci '#0000FF'"});
  EXPECT_GT(std::atoi(blue.out.c_str()), 0);
}

TEST_F(SettingsDialogClicksTest, ReadmeOpensTheTextAndCancelStoresNothing) {
  ChildResult r = Use(std::string(kShuffleBox) + kReadmeButton + kCancelButton);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(StoredShowSetting(show_, "Shuffle"), "absent");
  // The readme has a folder of its own, gone with it afterwards.
  EXPECT_THAT(ReadFileBytes(dir_ / "opened"),
              ::testing::MatchesRegex(dir_ / "tmp/LVR[0-9A-F]{8}/readme.txt\n"));
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
}

// Without a display the dialog cannot be made: DialogBoxParamA answers -1.
// GTK opens its display once per process, so a process of its own tries.
TEST(DialogWithoutDisplayDeathTest, DialogBoxParamAFails) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        UnsetEnv("DISPLAY");
        UnsetEnv("WAYLAND_DISPLAY");
        DLGPROC ignoring = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
        std::exit(int(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                      nullptr, ignoring, 0)) +
                  1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
