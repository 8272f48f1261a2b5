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

TEST(XscreensaverPrefsTest, EntriesAreTheNewlineSeparatedCommands) {
  EXPECT_THAT(ProgramEntries(" \\\n a -root \\n\\\n- GL: b \\n\\\n c \\n\\n"),
              ElementsAre("a -root", "- GL: b", "c"));
  EXPECT_EQ(ProgramEntry(kSaver), "\"Demo (Lumivane)\"  " + kSaver + " --root");
  EXPECT_EQ(ProgramEntry("/odd place/it's.scr"),
            "\"it's (Lumivane)\"  '/odd place/it'\\''s.scr' --root");
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
  EXPECT_THAT(programs, HasSubstr("--root\t\t\t    \\n"));
}

TEST(XscreensaverPrefsTest, InstallingAgainUpdatesTheSameEntry) {
  SaverSelection first = SelectSaverProgram(kPrefs, kSaver);
  SaverSelection again = SelectSaverProgram(first.prefs, kSaver);
  EXPECT_FALSE(again.added);
  EXPECT_EQ(again.index, 4);
  EXPECT_EQ(again.prefs, first.prefs);

  // An entry the user disabled, or that an older install wrote, is still ours.
  std::string edited = kPrefs;
  edited.replace(edited.find("maze -root"), 10, "- " + kSaver + " -root");
  SaverSelection updated = SelectSaverProgram(edited, kSaver);
  EXPECT_FALSE(updated.added);
  EXPECT_EQ(updated.index, 0);
  EXPECT_THAT(updated.prefs, Not(HasSubstr(kSaver + " -root")));
}

// However sh quoting wrote the path, the entry is found again: once an entry
// for a path with a quote was written, installing it again never adds one.
TEST(XscreensaverPrefsTest, AnyShellQuotingOfThePathIsRecognised) {
  const std::string odd = "/home/o'neil/my shows/Demo \"2\" $x.scr";
  for (const std::string& written : {
           std::string("'/home/o'\\''neil/my shows/Demo \"2\" $x.scr'"),
           std::string("\"/home/o'neil/my shows/Demo \\\"2\\\" \\$x.scr\""),
           std::string("/home/o\\'neil/my\\ shows/Demo\\ \\\"2\\\"\\ \\$x.scr"),
           std::string("/home/o\"'\"neil/my' 'shows/Demo' \"'2'\" $x.scr'"),
       }) {
    std::string prefs = std::string("programs: \\\n  maze -root \\n\\\n") + "  GL: \"Old name\" " +
                        written + " -root \\n\\\n  qix -root \\n\n";
    SaverSelection s = SelectSaverProgram(prefs, odd);
    EXPECT_FALSE(s.added) << written;
    EXPECT_EQ(s.index, 1) << written;
  }
  SaverSelection first = SelectSaverProgram("", odd);
  SaverSelection again = SelectSaverProgram(first.prefs, odd);
  EXPECT_FALSE(again.added);
  EXPECT_EQ(again.prefs, first.prefs);
  EXPECT_EQ(again.prefs.find("(Lumivane)"), again.prefs.rfind("(Lumivane)"));
  // A plain path is not taken for one that only starts like it.
  SaverSelection other = SelectSaverProgram(first.prefs, "/home/o'neil/my");
  EXPECT_TRUE(other.added);
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

class HackInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "dotfiles");
    SetEnv("HOME", dir_ / "home");
    WriteFileBytes(saver_, "a show");
    fs::permissions(saver_, fs::perms::owner_all);
  }
  std::string Prefs() const { return dir_ / "home/.xscreensaver"; }
  // The files in a folder, temporary ones included.
  int FilesIn(const std::string& folder) const {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      (void)entry;
      ++files;
    }
    return files;
  }
  ScratchDir dir_;
  const std::string saver_ = dir_ / "Demo.scr";
};

// Dotfile managers keep ~/.xscreensaver as a link into their own folder.
TEST_F(HackInstallTest, ALinkedFileIsUpdatedWhereItLivesAndTheLinkStays) {
  WriteFileBytes(dir_ / "dotfiles/xscreensaver", kPrefs);
  chmod((dir_ / "dotfiles/xscreensaver").c_str(), 0640);
  fs::create_symlink("../dotfiles/xscreensaver", Prefs());
  HackInstall install = InstallXscreensaverHack(saver_);
  ASSERT_TRUE(install.done) << install.message;
  EXPECT_THAT(install.message, HasSubstr("entry 4 added to " + Prefs()));
  ASSERT_TRUE(fs::is_symlink(Prefs()));
  EXPECT_EQ(fs::read_symlink(Prefs()), "../dotfiles/xscreensaver");
  std::string prefs = ReadFileBytes(dir_ / "dotfiles/xscreensaver");
  EXPECT_THAT(prefs, HasSubstr(saver_ + " --root"));
  EXPECT_THAT(prefs, HasSubstr("selected:\t4\n"));
  struct stat info;
  ASSERT_EQ(stat((dir_ / "dotfiles/xscreensaver").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(dir_ / "dotfiles"), 1);
  EXPECT_EQ(FilesIn(dir_ / "home"), 1);

  // A link to a link, and one whose file is not there yet.
  fs::remove(Prefs());
  fs::create_symlink(dir_ / "home/.link2", Prefs());
  fs::create_symlink(dir_ / "dotfiles/new", dir_ / "home/.link2");
  install = InstallXscreensaverHack(saver_);
  ASSERT_TRUE(install.done) << install.message;
  EXPECT_THAT(ReadFileBytes(dir_ / "dotfiles/new"), HasSubstr("selected:\t0\n"));
  EXPECT_TRUE(fs::is_symlink(Prefs()));
  EXPECT_TRUE(fs::is_symlink(dir_ / "home/.link2"));
}

TEST_F(HackInstallTest, WhatCannotBeWrittenIsToldWithTheFileAndLeftAlone) {
  fs::create_directories(Prefs());
  HackInstall install = InstallXscreensaverHack(saver_);
  EXPECT_FALSE(install.done);
  EXPECT_EQ(install.message, "Cannot make " + saver_ + " your screen saver: cannot read " +
                                 Prefs() + ": Is a directory.");
  EXPECT_TRUE(fs::is_directory(Prefs()));
  EXPECT_EQ(FilesIn(dir_ / "home"), 1);
  fs::remove(Prefs());

  fs::create_symlink(dir_ / "home/.loop", Prefs());
  fs::create_symlink(Prefs(), dir_ / "home/.loop");
  install = InstallXscreensaverHack(saver_);
  EXPECT_FALSE(install.done);
  EXPECT_THAT(install.message, HasSubstr(Prefs() + " is a loop of links"));
  fs::remove(Prefs());

  // A link into a folder that is not there: the write fails and says where.
  fs::create_symlink(dir_ / "gone/xscreensaver", Prefs());
  install = InstallXscreensaverHack(saver_);
  EXPECT_FALSE(install.done);
  EXPECT_THAT(install.message,
              HasSubstr("cannot write " + Prefs() + " (" + dir_ / "gone/xscreensaver" + "): "));
  EXPECT_TRUE(fs::is_symlink(Prefs()));

  install = InstallXscreensaverHack(dir_ / "missing.scr");
  EXPECT_FALSE(install.done);
  EXPECT_EQ(install.message, "Cannot make " + dir_ / "missing.scr" +
                                 " your screen saver: No such file or directory.");
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
  EXPECT_THAT(prefs, HasSubstr(dir_ / "Demo.scr --root"));

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
