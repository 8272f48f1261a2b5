// A settings file that the registry layer cannot parse: the settings dialog
// opens with the defaults, Cancel is quiet, and OK tells the user in a
// message box that names the file, which keeps every byte it had.
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

TEST(SettingsNotSavedTest, OpeningAndCancelAreQuietAndOkTellsTheUserAndKeepsTheFile) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') GTEST_SKIP() << "needs an X display";
  const char broken[] =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n"
      "\"RedrawSpeed\"=dword:0000001e\r\n"
      "\"Name\"=\"no end\r\n";
  ScratchDir dir;
  SetEnv("XDG_CONFIG_HOME", dir / "config");
  std::filesystem::create_directories(dir / "config/lumivane");
  const std::string store = dir / "config/lumivane/user.reg";
  WriteFileBytes(store, broken);
  // The dialog stays on the display; message boxes answer at once and leave
  // their line on standard error.
  SetEnv("SDL_VIDEODRIVER", "dummy");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  SetEnv("NO_AT_BRIDGE", "1");

  std::string t;
  AppendRecord(t, ShowRecordType::ShowName, 0, 0, std::string("Demo", 5));
  AppendTerminator(t);
  std::string probe = ReadFileBytes(BuildProgram("settings_dialog_probe"));
  AppendTrailer(t, uint32_t(probe.size()));
  const std::string program = dir / "dialog.scr";
  WriteFileBytes(program, probe + t);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add);

  SetEnv("LV_DIALOG_STEPS", "command:2007");
  ChildResult r = RunChild({program});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("redraw=15\n"));
  EXPECT_THAT(r.out, HasSubstr("result=0\n"));
  // The file's fault is noted on standard error, with no message box.
  EXPECT_THAT(r.err, HasSubstr(store + ":5: cannot be parsed: "));
  EXPECT_THAT(r.err, Not(HasSubstr("Error:")));
  EXPECT_EQ(ReadFileBytes(store), broken);

  SetEnv("LV_DIALOG_STEPS", "select:1008:4 command:2006");
  r = RunChild({program});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("result=1\n"));
  EXPECT_THAT(r.err, HasSubstr("Error: The settings could not be saved: " + store +
                               ":5: cannot be parsed: "));
  EXPECT_EQ(ReadFileBytes(store), broken);
}

}  // namespace
