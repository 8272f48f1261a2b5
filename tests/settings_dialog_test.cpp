// The settings dialog: copies of settings_dialog_probe with a show appended
// report what it shows and press its buttons; the stored settings are read back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

using ::testing::HasSubstr;

using namespace package_bytes;

namespace {

std::string Line(const ChildResult& r, const std::string& name) {
  size_t at = r.out.find(name + "=");
  if (at == std::string::npos) return "<missing>";
  size_t end = r.out.find('\n', at);
  return r.out.substr(at + name.size() + 1, end - at - name.size() - 1);
}

std::string AllStored(const std::string& show) {
  std::string all;
  for (const char* name : {"RedrawSpeed", "SoundSpeed", "Resize", "Shuffle", "Mute", "UseEff"})
    all += (all.empty() ? "" : ",") + StoredShowSetting(show, name);
  return all;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // GTK's accessibility bridge leaks strings; no assistive technology runs here.
    SetEnv("NO_AT_BRIDGE", "1");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    show_ = UniqueShowName("DialogTest");
  }

  // Opens the dialog of a show with a sound unless told.
  ChildResult Run(const std::string& steps, bool withSound = true) {
    std::string probe = ReadFileBytes(BuildProgram("settings_dialog_probe"));
    std::string t;
    AppendRecord(t, kShowName, 0, 0, Text(show_));
    AppendRecord(t, kShowTitle, 0, 0, Text("Dialog \xE9t\xE9"));
    AppendRecord(t, kCreditLine, 0, 0, Text("Credit line"));
    AppendRecord(t, kInfoLine, 0, 0, Text("Info line"));
    if (withSound) AppendRecord(t, kSound, 0, 0, std::string(64, 's'));
    AppendTerminator(t);
    AppendTrailer(t, uint32_t(probe.size()));
    std::string path = dir_ / "dialog.scr";
    WriteFileBytes(path, probe + t);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    SetEnv("LV_DIALOG_STEPS", steps);
    ChildResult r = RunChild({path});
    r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r;
  }

  void Store(const std::vector<std::pair<const char*, DWORD>>& settings) {
    for (const auto& [name, value] : settings)
      SetShowSetting(show_, name, value);
  }

  ScratchDir dir_;
  std::string show_;
};

TEST_F(SettingsDialogTest, ShowsTextsAndCorrectedIntervalsAndKeepsWhatItCannotShow) {
  Store({{"RedrawSpeed", 0}, {"SoundSpeed", DWORD(-5)}});
  ChildResult r = Run("command:1 command:2 command:2007");
  // The show's texts in the ANSI code page, and the template's.
  EXPECT_EQ(Line(r, "texts"),
            "Dialog \xE9t\xE9|Dialog \xE9t\xE9|Credit line|Info line|\xA9|"
            "Resize images to fit to screen");
  EXPECT_EQ(Line(r, "redraw"), "15");
  // Sound controls are only filled with a wave output device.
  EXPECT_TRUE(Line(r, "soundAvailable") != "1" || Line(r, "sound") == "15") << r.out;
  EXPECT_THAT(r.out, HasSubstr("command 1 -> 0\ncommand 2 -> 0\ncommand 2007 -> 1\n"));
  EXPECT_EQ(Line(r, "result"), "0");
  EXPECT_EQ(AllStored(show_), "0,-5,absent,absent,absent,absent");

  // Without sounds the sound controls are disabled and keep their values.
  // Deselecting an entry by hand keeps the value the dialog opened with; the
  // disabled mute box keeps its flag.
  Store({{"RedrawSpeed", 20}, {"SoundSpeed", 9}, {"Mute", 1}});
  r = Run("select:1008:-1 command:2006", false);
  EXPECT_EQ(Line(r, "soundEnabled"), "0 muteEnabled=0");
  EXPECT_EQ(AllStored(show_), "20,9,1,0,1,1");
}

TEST_F(SettingsDialogTest, OkWritesBackWhatIsShownAndCorrected) {
  Store({{"RedrawSpeed", 59}, {"SoundSpeed", 0}, {"Shuffle", 1}, {"UseEff", 0}});
  ChildResult r = Run("command:2006");
  if (Line(r, "soundAvailable") != "1") GTEST_SKIP() << "no wave output device";
  EXPECT_EQ(Line(r, "redraw"), "59");  // the last entry of the list
  EXPECT_EQ(Line(r, "soundEnabled"), "1 muteEnabled=1");
  EXPECT_EQ(Line(r, "result"), "1");
  EXPECT_EQ(AllStored(show_), "59,15,1,1,0,0");

  Run("select:1008:4 select:1016:29 check:1005:0 check:1017:0 check:1018:1 check:1009:1 "
      "command:2006");
  EXPECT_EQ(AllStored(show_), "5,30,0,0,1,1");

  // A stored 60 has no entry and is kept.
  Store({{"RedrawSpeed", 60}, {"SoundSpeed", 60}});
  r = Run("command:2006");
  EXPECT_EQ(Line(r, "redraw"), "");
  EXPECT_EQ(AllStored(show_), "60,60,0,0,1,1");
}

}  // namespace
