// A settings file that the registry layer cannot parse: the settings dialog
// opens with the defaults and no complaint, and pressing OK tells the user in
// a message box that names the file, which keeps every byte it had.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/child_process.h"
#include "tools/showpack/package_writer.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const char kBroken[] =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n"
    "\"RedrawSpeed\"=dword:0000001e\r\n"
    "\"Name\"=\"no end\r\n";

class SettingsNotSavedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
    SetEnv("SDL_AUDIODRIVER", "dummy");
    // The dialog stays on the display; message boxes answer at once and
    // leave their line on standard error.
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("NO_AT_BRIDGE", "1");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    std::filesystem::create_directories(dir_ / "config/lumivane");
    WriteFileBytes(Store(), kBroken);

    std::string t;
    AppendRecord(t, ShowRecordType::ShowName, 0, 0, std::string("Demo", 5));
    AppendTerminator(t);
    std::string probe = ReadFileBytes(BuildProgram("settings_dialog_probe"));
    AppendTrailer(t, uint32_t(probe.size()));
    WriteFileBytes(Program(), probe + t);
    std::filesystem::permissions(Program(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
  }

  std::string Store() const { return dir_ / "config/lumivane/user.reg"; }
  std::string Program() const { return dir_ / "dialog.scr"; }

  ChildResult Run(const std::string& steps) {
    SetEnv("LV_DIALOG_STEPS", steps);
    return RunChild({Program()});
  }

  ScratchDir dir_;
};

TEST_F(SettingsNotSavedTest, OkTellsTheUserAndTheFileIsKept) {
  ChildResult r = Run("select:1008:4 command:2006");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("redraw=15\n"));
  EXPECT_THAT(r.out, HasSubstr("result=1\n"));
  EXPECT_THAT(r.err, HasSubstr("Error: The settings could not be saved: " + Store() +
                               ":5: cannot be parsed: "));
  EXPECT_EQ(ReadFileBytes(Store()), kBroken);
}

TEST_F(SettingsNotSavedTest, OpeningAndCancelAreQuiet) {
  ChildResult r = Run("command:2007");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("result=0\n"));
  // The file's fault is noted on standard error once, with no message box.
  EXPECT_THAT(r.err, HasSubstr(Store() + ":5: cannot be parsed: "));
  EXPECT_THAT(r.err, Not(HasSubstr("Error:")));
  EXPECT_EQ(ReadFileBytes(Store()), kBroken);
}

}  // namespace
