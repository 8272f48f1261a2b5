// The installer stand-in: the edit of ~/.xscreensaver that makes a show the
// user's xscreensaver hack, and the program that makes it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/child_process.h"
#include "tools/install_saver/xscreensaver_prefs.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

const char kPrefs[] =
    "# XScreenSaver Preferences File\n"
    "timeout:\t0:10:00\n"
    "mode:\t\trandom\n"
    "selected:\t3\n"
    "textLiteral:\tXScreenSaver\n"
    "programs:\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze -root\t\t\t    \\n\\\n"
    "-\tGL: \t\t\t\tsuperquadrics -root\t\t\t    \\n\\\n"
    "  \"Qix (solid)\" \tqix -root -solid\t\t    \\n\\\n"
    "\t\t\t\txflame -root\t\t\t    \\n\n"
    "\n"
    "pointerHysteresis: 10\n";

const std::string kSaver = "/home/user/.local/share/lumivane/savers/Demo.scr";

TEST(XscreensaverPrefsTest, EntriesAreTheNewlineSeparatedCommands) {
  EXPECT_THAT(ProgramEntries(" \\\n a -root \\n\\\n- GL: b \\n\\\n c \\n\\n"),
              ElementsAre("a -root", "- GL: b", "c"));
  EXPECT_EQ(ProgramEntry(kSaver), "\"Demo (Lumivane)\"  " + kSaver + " -root");
  EXPECT_EQ(ProgramEntry("/odd place/it's.scr"),
            "\"it's (Lumivane)\"  '/odd place/it'\\''s.scr' -root");
}

TEST(XscreensaverPrefsTest, AddsOneEntryAndSelectsItKeepingEveryOtherLine) {
  SaverSelection s = SelectSaverProgram(kPrefs, kSaver);
  EXPECT_TRUE(s.added);
  EXPECT_EQ(s.index, 4);
  EXPECT_THAT(s.prefs, HasSubstr("# XScreenSaver Preferences File\ntimeout:\t0:10:00\n"
                                 "mode:\t\tone\nselected:\t4\ntextLiteral:\tXScreenSaver\n"));
  EXPECT_THAT(s.prefs, HasSubstr("\n\npointerHysteresis: 10\n"));
  std::string programs = s.prefs.substr(s.prefs.find("programs:"));
  programs = programs.substr(0, programs.find("\n\n"));
  EXPECT_THAT(
      ProgramEntries(programs.substr(9)),
      ElementsAre("maze -root", "-\tGL: \t\t\t\tsuperquadrics -root",
                  "\"Qix (solid)\" \tqix -root -solid", "xflame -root", ProgramEntry(kSaver)));
  // Continued lines end in a backslash; the last entry's line does not.
  EXPECT_THAT(programs, HasSubstr("xflame -root\t\t\t    \\n\\\n"));
  EXPECT_THAT(programs, HasSubstr("-root\t\t\t    \\n"));
}

TEST(XscreensaverPrefsTest, InstallingAgainUpdatesTheSameEntry) {
  SaverSelection first = SelectSaverProgram(kPrefs, kSaver);
  SaverSelection again = SelectSaverProgram(first.prefs, kSaver);
  EXPECT_FALSE(again.added);
  EXPECT_EQ(again.index, 4);
  EXPECT_EQ(again.prefs, first.prefs);

  // An entry the user disabled or quoted differently is still ours.
  std::string edited = kPrefs;
  edited.replace(edited.find("maze -root"), 10, "- '" + kSaver + "' -root");
  SaverSelection updated = SelectSaverProgram(edited, kSaver);
  EXPECT_FALSE(updated.added);
  EXPECT_EQ(updated.index, 0);
  EXPECT_THAT(updated.prefs, Not(HasSubstr("'" + kSaver)));
}

TEST(XscreensaverPrefsTest, AMissingOrEmptyFileGetsTheThreeSettings) {
  SaverSelection s = SelectSaverProgram("", kSaver);
  EXPECT_EQ(s.index, 0);
  EXPECT_EQ(s.prefs, "mode:\t\tone\nselected:\t0\nprograms:\t\t\t\t\t\t\t      \\\n\t\t\t\t" +
                         ProgramEntry(kSaver) + "\t\t\t    \\n\n");
  // A file without programs, whose last line lacks its newline.
  s = SelectSaverProgram("lock: False", kSaver);
  EXPECT_EQ(s.prefs.substr(0, 12), "lock: False\n");
  EXPECT_EQ(s.index, 0);
}

class InstallSaverProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "home");
    SetEnv("HOME", dir_ / "home");
    UnsetEnv("DISPLAY");  // no box to answer
    WriteFileBytes(dir_ / "Demo.scr", "a show");
    fs::permissions(dir_ / "Demo.scr", fs::perms::owner_all);
  }
  ChildResult Install(const std::string& path) {
    return RunChild({ProgramDir() + "../lumivane-install-saver", path});
  }
  ScratchDir dir_;
};

TEST_F(InstallSaverProgramTest, CreatesTheFileThenUpdatesIt) {
  ChildResult r = Install(dir_ / "Demo.scr");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("entry 0 added"));
  std::string prefs = ReadFileBytes(dir_ / "home/.xscreensaver");
  EXPECT_THAT(prefs, HasSubstr(dir_ / "Demo.scr -root"));

  WriteFileBytes(dir_ / "home/.xscreensaver", kPrefs);
  fs::permissions(dir_ / "home/.xscreensaver", fs::perms::owner_read | fs::perms::owner_write);
  r = Install(dir_ / "Demo.scr");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("entry 4 added"));
  r = Install(dir_ / "Demo.scr");
  EXPECT_THAT(r.out, HasSubstr("entry 4 updated"));
  EXPECT_EQ(fs::status(dir_ / "home/.xscreensaver").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_ / "home")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);  // no temporary file left behind
}

TEST_F(InstallSaverProgramTest, RefusesWhatItCannotInstall) {
  EXPECT_EQ(Install(dir_ / "missing.scr").exitCode, 1);
  EXPECT_EQ(RunChild({ProgramDir() + "../lumivane-install-saver"}).exitCode, 2);
  EXPECT_FALSE(fs::exists(dir_ / "home/.xscreensaver"));
}

}  // namespace
