// Making a show the user's xscreensaver hack: the edit of ~/.xscreensaver,
// the file replaced on disk (links kept), and lumivane-install-saver, which
// does it from a terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(XscreensaverPrefsTest, AddsOrFindsItsEntryAndSelectsItKeepingEveryOtherLine) {
  EXPECT_EQ(ProgramEntry(kSaver), "\"Demo (Lumivane)\"  " + kSaver + " --root");
  // Whether it was added and its number, the install's message below says.
  SaverSelection s = SelectSaverProgram(kPrefs, kSaver);
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
  EXPECT_EQ(updated.index, 0);
  EXPECT_THAT(updated.prefs, Not(HasSubstr(kSaver + " -root")));

  // No file yet, and one without programs whose last line lacks its newline.
  EXPECT_EQ(SelectSaverProgram("", kSaver).prefs,
            "mode:\t\tone\nselected:\t0\nprograms:\t\t\t\t\t\t\t      \\\n\t\t\t\t" +
                ProgramEntry(kSaver) + "\t\t\t    \\n\n");
  EXPECT_EQ(SelectSaverProgram("lock: False", kSaver).prefs.substr(0, 12), "lock: False\n");

  // A path with quotes and spaces is written quoted for sh and found again:
  // installing it twice changes nothing; a path that only starts like it is another.
  const std::string odd = "/home/o'neil/my shows/Demo \"2\" $x.scr";
  EXPECT_EQ(ProgramEntry("/odd place/it's.scr"),
            "\"it's (Lumivane)\"  '/odd place/it'\\''s.scr' --root");
  SaverSelection first = SelectSaverProgram("", odd);
  EXPECT_EQ(SelectSaverProgram(first.prefs, odd).prefs, first.prefs);
  EXPECT_TRUE(SelectSaverProgram(first.prefs, "/home/o'neil/my").added);
}

// Dotfile managers keep ~/.xscreensaver as a link into their own folder: the
// file is updated where it lives, mode kept, no temporary file left, and the
// links stay. What cannot be written is told with the file and left alone.
TEST(HackInstallTest, UpdatesALinkedFileWhereItLivesOrSaysWhyNot) {
  ScratchDir dir;
  fs::create_directories(dir / "home");
  fs::create_directories(dir / "dotfiles");
  SetEnv("HOME", dir / "home");
  UnsetEnv("DISPLAY");  // no box to answer
  const std::string saver = dir / "Demo.scr", prefs = dir / "home/.xscreensaver";
  WriteFileBytes(saver, "a show");
  fs::permissions(saver, fs::perms::owner_all);
  WriteFileBytes(dir / "dotfiles/xscreensaver", kPrefs);
  fs::permissions(dir / "dotfiles/xscreensaver", fs::perms(0640));
  fs::create_symlink("../dotfiles/xscreensaver", prefs);
  HackInstall install = InstallXscreensaverHack(saver);
  EXPECT_THAT(install.message, HasSubstr("entry 4 added to " + prefs));
  EXPECT_EQ(fs::read_symlink(prefs), "../dotfiles/xscreensaver");
  EXPECT_THAT(ReadFileBytes(dir / "dotfiles/xscreensaver"), HasSubstr(saver + " --root"));
  EXPECT_EQ(fs::status(dir / "dotfiles/xscreensaver").permissions(), fs::perms(0640));
  for (const char* folder : {"dotfiles", "home"})
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / folder), fs::directory_iterator()), 1);

  fs::remove(prefs);
  fs::create_symlink(dir / "home/.link2", prefs);
  fs::create_symlink(prefs, dir / "home/.link2");
  install = InstallXscreensaverHack(saver);
  EXPECT_THAT(install.message, HasSubstr(prefs + " is a loop of links"));
  // A link into a folder that is not there: the write fails and says where.
  fs::remove(prefs);
  fs::create_symlink(dir / "gone/xscreensaver", prefs);
  install = InstallXscreensaverHack(saver);
  EXPECT_THAT(install.message,
              HasSubstr("cannot write " + prefs + " (" + dir / "gone/xscreensaver" + "): "));
  EXPECT_TRUE(fs::is_symlink(prefs));

  // The program: what it cannot install leaves no file; a file made, then updated.
  fs::remove(prefs);
  const std::string program = ProgramDir() + "../lumivane-install-saver";
  ChildResult missing = RunChild({program, dir / "missing.scr"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_THAT(missing.err, HasSubstr("Cannot make " + dir / "missing.scr" +
                                     " your screen saver: No such file or directory."));
  EXPECT_EQ(RunChild({program}).exitCode, 2);
  EXPECT_FALSE(fs::exists(prefs));
  for (const char* said : {"entry 0 added", "entry 0 updated"}) {
    EXPECT_THAT(RunChild({program, saver}).out, HasSubstr(said));
  }
  EXPECT_THAT(ReadFileBytes(prefs), HasSubstr(saver + " --root"));
}

}  // namespace
