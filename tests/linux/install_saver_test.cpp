// Making a show the user's xscreensaver hack: the edit of ~/.xscreensaver,
// the file replaced on disk (links kept), and lumivane-install-saver, which
// does it from a terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/linux/xscreensaver_install.h"
#include "platform/linux/xscreensaver_prefs.h"
#include "tests/support/child_process.h"

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

TEST(XscreensaverPrefsTest, AddsOneEntryAndSelectsItKeepingEveryOtherLine) {
  EXPECT_THAT(ProgramEntries(" \\\n a -root \\n\\\n- GL: b \\n\\\n c \\n\\n"),
              ElementsAre("a -root", "- GL: b", "c"));
  EXPECT_EQ(ProgramEntry(kSaver), "\"Demo (Lumivane)\"  " + kSaver + " --root");
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
  EXPECT_THAT(programs, HasSubstr("--root\t\t\t    \\n"));

  // An entry the user disabled, or that an older install wrote, is still ours.
  std::string edited = kPrefs;
  edited.replace(edited.find("maze -root"), 10, "- " + kSaver + " -root");
  SaverSelection updated = SelectSaverProgram(edited, kSaver);
  EXPECT_FALSE(updated.added);
  EXPECT_EQ(updated.index, 0);
  EXPECT_THAT(updated.prefs, Not(HasSubstr(kSaver + " -root")));
}

// However sh quoting wrote the path, the entry is found again: once an entry
// for a path with a quote was written, installing it again changes nothing.
TEST(XscreensaverPrefsTest, AnyShellQuotingOfThePathIsRecognised) {
  const std::string odd = "/home/o'neil/my shows/Demo \"2\" $x.scr";
  for (const std::string& written : {
           std::string("'/home/o'\\''neil/my shows/Demo \"2\" $x.scr'"),
           std::string("\"/home/o'neil/my shows/Demo \\\"2\\\" \\$x.scr\""),
           std::string("/home/o\\'neil/my\\ shows/Demo\\ \\\"2\\\"\\ \\$x.scr"),
           std::string("/home/o\"'\"neil/my' 'shows/Demo' \"'2'\" $x.scr'"),
       }) {
    SaverSelection s = SelectSaverProgram(
        "programs: \\\n  maze -root \\n\\\n  GL: \"Old name\" " + written + " -root \\n\n", odd);
    EXPECT_FALSE(s.added) << written;
    EXPECT_EQ(s.index, 1) << written;
  }
  EXPECT_EQ(ProgramEntry("/odd place/it's.scr"),
            "\"it's (Lumivane)\"  '/odd place/it'\\''s.scr' --root");
  SaverSelection first = SelectSaverProgram("", odd);
  SaverSelection again = SelectSaverProgram(first.prefs, odd);
  EXPECT_FALSE(again.added);
  EXPECT_EQ(again.prefs, first.prefs);
  // A plain path is not taken for one that only starts like it.
  EXPECT_TRUE(SelectSaverProgram(first.prefs, "/home/o'neil/my").added);
}

TEST(XscreensaverPrefsTest, AMissingOrEmptyFileGetsTheThreeSettings) {
  SaverSelection s = SelectSaverProgram("", kSaver);
  EXPECT_EQ(s.index, 0);
  EXPECT_EQ(s.prefs, "mode:\t\tone\nselected:\t0\nprograms:\t\t\t\t\t\t\t      \\\n\t\t\t\t" +
                         ProgramEntry(kSaver) + "\t\t\t    \\n\n");
  // A file without programs, whose last line lacks its newline.
  EXPECT_EQ(SelectSaverProgram("lock: False", kSaver).prefs.substr(0, 12), "lock: False\n");
}

class HackInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "dotfiles");
    SetEnv("HOME", dir_ / "home");
    UnsetEnv("DISPLAY");  // no box to answer
    WriteFileBytes(saver_, "a show");
    fs::permissions(saver_, fs::perms::owner_all);
  }
  // Temporary files included.
  static long FilesIn(const std::string& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
  }
  ScratchDir dir_;
  const std::string saver_ = dir_ / "Demo.scr", prefs_ = dir_ / "home/.xscreensaver";
};

// Dotfile managers keep ~/.xscreensaver as a link into their own folder.
TEST_F(HackInstallTest, ALinkedFileIsUpdatedWhereItLivesAndTheLinkStays) {
  WriteFileBytes(dir_ / "dotfiles/xscreensaver", kPrefs);
  chmod((dir_ / "dotfiles/xscreensaver").c_str(), 0640);
  fs::create_symlink("../dotfiles/xscreensaver", prefs_);
  HackInstall install = InstallXscreensaverHack(saver_);
  ASSERT_TRUE(install.done) << install.message;
  EXPECT_THAT(install.message, HasSubstr("entry 4 added to " + prefs_));
  EXPECT_EQ(fs::read_symlink(prefs_), "../dotfiles/xscreensaver");
  std::string prefs = ReadFileBytes(dir_ / "dotfiles/xscreensaver");
  EXPECT_THAT(prefs, HasSubstr(saver_ + " --root"));
  EXPECT_THAT(prefs, HasSubstr("selected:\t4\n"));
  struct stat info;
  ASSERT_EQ(stat((dir_ / "dotfiles/xscreensaver").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(dir_ / "dotfiles"), 1);
  EXPECT_EQ(FilesIn(dir_ / "home"), 1);

  // A link to a link, and one whose file is not there yet.
  fs::remove(prefs_);
  fs::create_symlink(dir_ / "home/.link2", prefs_);
  fs::create_symlink(dir_ / "dotfiles/new", dir_ / "home/.link2");
  install = InstallXscreensaverHack(saver_);
  ASSERT_TRUE(install.done) << install.message;
  EXPECT_THAT(ReadFileBytes(dir_ / "dotfiles/new"), HasSubstr("selected:\t0\n"));
  EXPECT_TRUE(fs::is_symlink(prefs_));
  EXPECT_TRUE(fs::is_symlink(dir_ / "home/.link2"));
}

TEST_F(HackInstallTest, WhatCannotBeWrittenIsToldWithTheFileAndLeftAlone) {
  fs::create_symlink(dir_ / "home/.loop", prefs_);
  fs::create_symlink(prefs_, dir_ / "home/.loop");
  HackInstall install = InstallXscreensaverHack(saver_);
  EXPECT_FALSE(install.done);
  EXPECT_THAT(install.message, HasSubstr(prefs_ + " is a loop of links"));
  fs::remove(prefs_);
  // A link into a folder that is not there: the write fails and says where.
  fs::create_symlink(dir_ / "gone/xscreensaver", prefs_);
  install = InstallXscreensaverHack(saver_);
  EXPECT_FALSE(install.done);
  EXPECT_THAT(install.message,
              HasSubstr("cannot write " + prefs_ + " (" + dir_ / "gone/xscreensaver" + "): "));
  EXPECT_TRUE(fs::is_symlink(prefs_));
}

// The program: a file made, then updated; what it cannot install leaves none.
TEST_F(HackInstallTest, TheProgramInstallsFromATerminal) {
  const std::string program = ProgramDir() + "../lumivane-install-saver";
  ChildResult missing = RunChild({program, dir_ / "missing.scr"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("Cannot make " + dir_ / "missing.scr" +
                                     " your screen saver: No such file or directory."));
  EXPECT_EQ(RunChild({program}).exitCode, 2);
  EXPECT_FALSE(fs::exists(prefs_));

  ChildResult r = RunChild({program, saver_});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("entry 0 added"));
  EXPECT_THAT(ReadFileBytes(prefs_), HasSubstr(saver_ + " --root"));
  r = RunChild({program, saver_});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("entry 0 updated"));
  EXPECT_EQ(FilesIn(dir_ / "home"), 1);
}

}  // namespace
