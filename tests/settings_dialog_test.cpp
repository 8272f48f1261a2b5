// The settings dialog: copies of settings_dialog_probe with a show appended
// open the dialog, report what it shows, press its buttons, and the stored
// settings are read back through the registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

using ::testing::HasSubstr;
using ::testing::Not;

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

struct ShowTextsForTest {
  std::string title = "Dialog title";
  std::string credit = "Credit line";
  std::string info = "Info line";
  bool withSound = true;
};

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // GTK's accessibility bridge keeps strings from its start-up that the
    // leak checker reports; no assistive technology runs here.
    SetEnv("NO_AT_BRIDGE", "1");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    show_ = UniqueShowName("DialogTest");
  }

  ChildResult Run(const std::string& steps, const ShowTextsForTest& texts = {}) {
    std::string t;
    AppendRecord(t, kShowName, 0, 0, Text(show_));
    AppendRecord(t, kShowTitle, 0, 0, Text(texts.title));
    AppendRecord(t, kCreditLine, 0, 0, Text(texts.credit));
    AppendRecord(t, kInfoLine, 0, 0, Text(texts.info));
    if (texts.withSound) AppendRecord(t, kSound, 0, 0, std::string(64, 's'));
    AppendTerminator(t);
    AppendTrailer(t, uint32_t(probe_.size()));
    std::string path = dir_ / "dialog.scr";
    WriteFileBytes(path, probe_ + t);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    SetEnv("LV_DIALOG_STEPS", steps);
    ChildResult r = RunChild({path});
    for (std::string* text : {&r.out, &r.err})
      text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return r;
  }

  // Sound controls are only filled with a wave output device; without one
  // the cases that need them have nothing to check.
  bool SoundAvailable(const ChildResult& r) { return Line(r, "soundAvailable") == "1"; }

  ScratchDir dir_;
  std::string show_;
  const std::string probe_ = ReadFileBytes(BuildProgram("settings_dialog_probe"));
};

TEST_F(SettingsDialogTest, IntervalsOutOfRangeShowAs15AndCancelStoresNothing) {
  SetShowSetting(show_, "RedrawSpeed", DWORD(0));
  SetShowSetting(show_, "SoundSpeed", DWORD(-5));
  ChildResult r = Run("command:2007");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Line(r, "init"), "1");
  EXPECT_EQ(Line(r, "redraw"), "15");
  if (SoundAvailable(r)) {
    EXPECT_EQ(Line(r, "sound"), "15");
  }
  EXPECT_THAT(r.out, HasSubstr("command 2007 -> 1\n"));
  EXPECT_EQ(Line(r, "result"), "0");
  EXPECT_EQ(StoredShowSetting(show_, "RedrawSpeed"), "0");
  EXPECT_EQ(StoredShowSetting(show_, "SoundSpeed"), "-5");
  EXPECT_EQ(StoredShowSetting(show_, "Resize"), "absent");

  SetShowSetting(show_, "RedrawSpeed", 61);
  r = Run("command:2007");
  EXPECT_EQ(Line(r, "redraw"), "15");
}

TEST_F(SettingsDialogTest, OkWritesBackWhatIsShownAndCorrected) {
  SetShowSetting(show_, "RedrawSpeed", 59);
  SetShowSetting(show_, "SoundSpeed", 0);
  SetShowSetting(show_, "Shuffle", 1);
  SetShowSetting(show_, "UseEff", 0);
  ChildResult r = Run("command:2006");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  if (!SoundAvailable(r)) GTEST_SKIP() << "no wave output device";
  EXPECT_EQ(Line(r, "redraw"), "59");  // the last entry of the list
  EXPECT_EQ(Line(r, "sound"), "15");
  EXPECT_EQ(Line(r, "soundEnabled"), "1 muteEnabled=1");
  EXPECT_EQ(Line(r, "boxes"), "1,1,0,0");
  EXPECT_THAT(r.out, HasSubstr("command 2006 -> 1\n"));
  EXPECT_EQ(Line(r, "result"), "1");
  EXPECT_EQ(AllStored(show_), "59,15,1,1,0,0");
}

TEST_F(SettingsDialogTest, OkStoresTheChoicesMade) {
  ChildResult r =
      Run("select:1008:4 select:1016:29 check:1005:0 check:1017:1 check:1018:1 "
          "check:1009:0 command:2006");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  if (!SoundAvailable(r)) GTEST_SKIP() << "no wave output device";
  EXPECT_EQ(Line(r, "redraw"), "15");
  EXPECT_EQ(Line(r, "sound"), "7");
  EXPECT_EQ(Line(r, "boxes"), "1,0,0,1");
  EXPECT_EQ(Line(r, "result"), "1");
  EXPECT_EQ(AllStored(show_), "5,30,0,1,1,0");
  EXPECT_EQ(Line(r, "settings"), "5,30,0,1,1,0");
}

TEST_F(SettingsDialogTest, AStored60HasNoEntryAndIsKeptOnOk) {
  SetShowSetting(show_, "RedrawSpeed", 60);
  SetShowSetting(show_, "SoundSpeed", 60);
  ChildResult r = Run("command:2006");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Line(r, "redraw"), "");
  EXPECT_EQ(Line(r, "result"), "1");
  EXPECT_EQ(StoredShowSetting(show_, "RedrawSpeed"), "60");
  EXPECT_EQ(StoredShowSetting(show_, "SoundSpeed"), "60");

  // Deselecting an entry by hand keeps the value the dialog opened with.
  SetShowSetting(show_, "RedrawSpeed", 20);
  r = Run("select:1008:-1 command:2006");
  EXPECT_EQ(StoredShowSetting(show_, "RedrawSpeed"), "20");
}

TEST_F(SettingsDialogTest, WithoutSoundsTheSoundControlsAreDisabledAndKeepTheirValues) {
  SetShowSetting(show_, "SoundSpeed", 9);
  SetShowSetting(show_, "Mute", 1);
  ShowTextsForTest texts;
  texts.withSound = false;
  ChildResult r = Run("command:2006", texts);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Line(r, "soundAvailable"), "0");
  EXPECT_EQ(Line(r, "sound"), "");
  EXPECT_EQ(Line(r, "soundEnabled"), "0 muteEnabled=0");
  EXPECT_EQ(Line(r, "boxes"), "1,0,1,1");  // the disabled mute box still shows the flag
  EXPECT_EQ(Line(r, "result"), "1");
  EXPECT_EQ(AllStored(show_), "15,9,1,0,1,1");
}

TEST_F(SettingsDialogTest, OtherCommandsAreIgnoredAndLeaveTheDialogOpen) {
  ChildResult r = Run("command:1 command:2 command:1013 command:4242 command:2007");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int id : {1, 2, 1013, 4242})
    EXPECT_THAT(r.out, HasSubstr("command " + std::to_string(id) + " -> 0\n"));
  EXPECT_THAT(r.out, HasSubstr("command 2007 -> 1\n"));
  EXPECT_EQ(Line(r, "result"), "0");
  EXPECT_EQ(StoredShowSetting(show_, "RedrawSpeed"), "absent");
}

TEST_F(SettingsDialogTest, ShowsTheShowsTexts) {
  ChildResult r = Run("command:2007");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Line(r, "caption"), "Dialog title");
  EXPECT_EQ(Line(r, "titleLine"), "Dialog title");
  EXPECT_EQ(Line(r, "creditLine"), "Credit line");
  EXPECT_EQ(Line(r, "infoLine"), "Info line");

  ShowTextsForTest texts;
  texts.title = "";
  r = Run("command:2007", texts);
  EXPECT_EQ(Line(r, "caption"), "");
  EXPECT_THAT(r.out, Not(HasSubstr("caption=Lumivane")));
}

}  // namespace
