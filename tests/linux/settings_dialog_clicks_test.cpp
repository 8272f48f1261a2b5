// The player's settings mode on the X display, used as a person uses it: the
// dialog of a show appended to the real player opens with "/c", xdotool types
// and clicks in it, a screenshot shows it drawn, and the stored settings are
// read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

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
w=$(timeout 10 xdotool search --sync --onlyvisible --name "^$LV_TITLE\$" | head -n 1) &&
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

// The first list has the focus: Down chooses its next entry. Enter away from
// a push button and Escape ask for IDOK and IDCANCEL, which the template has
// no controls for, so the dialog stays open for the clicks: the Shuffle box,
// ReadMe and OK (their centres in dialog units). Cancel storing nothing is
// settings_dialog_test's.
TEST(SettingsDialogClicksTest, KeysAndClicksStoreTheSettingsOpenTheReadmeAndTheDialogIsDrawn) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0' || std::system("command -v xdotool import >/dev/null"))
    GTEST_SKIP() << "needs an X display, xdotool and ImageMagick";
  ScratchDir dir;
  UnsetEnv("SDL_VIDEODRIVER");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  // GTK's accessibility bridge keeps strings from its start-up that the
  // leak checker reports; no assistive technology runs here.
  SetEnv("NO_AT_BRIDGE", "1");
  SetEnv("XDG_CONFIG_HOME", dir / "config");
  fs::create_directories(dir / "bin");
  fs::create_directories(dir / "tmp");
  SetEnv("TMPDIR", dir / "tmp");
  SetEnv("PATH", dir / "bin" + ":" + std::getenv("PATH"));
  WriteFileBytes(dir / "bin/xdg-open",
                 "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$0.log\"; cat \"$1\" >> \"$0.log\"\n");
  fs::permissions(dir / "bin/xdg-open", fs::perms::owner_all);
  const std::string show = UniqueShowName("ClickTest"), program = dir / "Show.scr";
  std::string player = ReadFileBytes(ProgramDir() + "../lumivane"), records;
  AppendRecord(records, kShowName, 0, 0, Text(show));
  AppendRecord(records, kShowTitle, 0, 0, Text(show + " title"));
  AppendRecord(records, kReadmeText, 0, 0, Text("Read me\n"));
  AppendTerminator(records);
  AppendTrailer(records, uint32_t(player.size()));
  WriteFileBytes(program, player + records);
  fs::permissions(program, fs::perms::owner_all);

  // The dialog gets thirty seconds before it is ended, so a missed click fails instead of hanging.
  SetEnv("LV_TITLE", show + " title");
  SetEnv("LV_STEPS", "Down Return Escape 142,46 231,186 231,150");
  SetEnv("LV_SHOT", dir / "dialog.png");
  ChildResult person;
  std::thread clicker([&person] { person = RunChild({"/bin/sh", "-c", kPerson}); });
  ChildResult r = RunChild({"/usr/bin/timeout", "30", program, "/c"});
  clicker.join();
  EXPECT_EQ(person.exitCode, 0) << person.err;
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(StoredShowSetting(show, "Shuffle") + " " + StoredShowSetting(show, "RedrawSpeed"),
            "1 16");
  // The readme, with Windows line ends, has a folder of its own, gone with it afterwards.
  EXPECT_THAT(ReadFileBytes(dir / "bin/xdg-open.log"),
              ::testing::MatchesRegex(dir / "tmp/LVR[0-9A-F]{8}/readme.txt\nRead me\r\n"));
  EXPECT_TRUE(fs::is_empty(dir / "tmp"));
  // Text and frames in many shades, and the cog's pure blue hub from icon 102.
  std::string shot = dir / "dialog.png";
  ChildResult colours = RunChild({"/bin/sh", "-c",
                                  "identify -format '%k ' '" + shot + "' && convert '" + shot +
                                      "' txt:- | grep -ci '#0000FF'"});
  int shades = 0, blue = 0;
  EXPECT_EQ(std::sscanf(colours.out.c_str(), "%d %d", &shades, &blue), 2) << colours.err;
  EXPECT_TRUE(shades >= 16 && blue > 0) << colours.out;
}

}  // namespace
