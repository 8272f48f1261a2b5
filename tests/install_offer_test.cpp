// The install offer: copies of install_probe with a show appended run under a
// name ending in "exe", the question is answered, and the test looks at what
// landed in the system directory and what the installer was given.
//
// On Windows the installer is the system's rundll32.exe; a copy of
// command_logger named rundll32.exe beside the show, where Windows looks
// first, records its command line instead. On Linux the player itself
// selects the show in ~/.xscreensaver, wherever the show was run from; the
// boxes appear on the X display, where this test answers them as a person
// would, and a stand-in xdg-open records the readme it is given.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"
#if !defined(_WIN32)
#include <sys/stat.h>

#include "tests/support/display_boxes.h"
#endif

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

using namespace package_bytes;

namespace {

std::string SystemDirectory() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, sizeof folder);
  return folder;
}

// Waits up to ten seconds for a file that a program started without waiting
// writes; empty when it never comes.
std::string WaitForFile(const std::string& path, const std::string& needle) {
  for (int i = 0; i < 100; ++i) {
    std::string bytes = fs::exists(path) ? ReadFileBytes(path) : "";
    if (!bytes.empty() && bytes.find(needle) != std::string::npos) return bytes;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return fs::exists(path) ? ReadFileBytes(path) : "";
}

// The entries of `folder`.
std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files.insert(entry.path().string());
  return files;
}

#if !defined(_WIN32)
// Every file under `folder`, its subfolders included.
std::set<std::string> FilesUnder(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    files.insert(entry.path().string());
  return files;
}
#endif

class InstallOfferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "show");
    fs::create_directories(dir_ / "home");
    fs::create_directories(dir_ / "tmp");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    SetEnv("XDG_DATA_HOME", dir_ / "data");
    SetEnv("HOME", dir_ / "home");
    originalTemp_ = fs::temp_directory_path().string();
    UseTempFolder(dir_ / "tmp");
    SetEnv("LV_COMMAND_LOG", dir_ / "commands.log");
    show_ = UniqueShowName("InstallTest");
#if defined(_WIN32)
    fs::copy_file(BuildProgram("command_logger"), In("show", "rundll32.exe"));
#else
    // The text viewer: records the file it is given, its folder's mode and a
    // copy of it.
    fs::create_directories(dir_ / "bin");
    WriteFileBytes(dir_ / "bin/xdg-open",
                   "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$LV_VIEWER_LOG\"\n"
                   "stat -c %a \"$(dirname \"$1\")\" >> \"$LV_VIEWER_LOG\"\n"
                   "cp \"$1\" \"$LV_VIEWER_LOG.copy\"\n");
    fs::permissions(dir_ / "bin/xdg-open", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "/usr/bin:/bin";
    SetEnv("PATH", dir_ / "bin" + ":" + oldPath_);
    SetEnv("LV_VIEWER_LOG", dir_ / "viewer.log");
    // The boxes go to the X display, where the test answers them.
    UnsetEnv("SDL_VIDEODRIVER");
#endif
    target_ = Target(show_);
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(target_, ignored);
    UseTempFolder(originalTemp_);
#if !defined(_WIN32)
    SetEnv("PATH", oldPath_);
#endif
  }

  // Where the player copies a show of this name.
  static std::string Target(const std::string& name) {
#if defined(_WIN32)
    return SystemDirectory() + "\\" + name + ".scr";
#else
    // The player names it with a backslash, which the layer reads as "/".
    return SystemDirectory() + "/" + name + ".scr";
#endif
  }

  std::string Package() {
    std::string t;
    AppendRecord(t, kShowName, 0, 0, Text(show_));
    AppendRecord(t, kShowTitle, 0, 0, Text("Install title"));
    if (!readme_.empty()) AppendRecord(t, kReadmeText, 0, 0, Text(readme_));
    AppendRecord(t, kImage, 1, 2, "");
    AppendTerminator(t);
    AppendTrailer(t, uint32_t(probe_.size()));
    return probe_ + t;
  }

  // Runs the show as `name` in its folder; its boxes are answered `answer`,
  // "yes" or "no". On Linux "no" closes the box, which answers No; "nobody"
  // leaves them to the layer, for runs without a display.
  ChildResult Run(const std::string& name, const std::string& answer) {
    showPath_ = In("show", name);
    WriteFileBytes(showPath_, Package());
    fs::permissions(showPath_, fs::perms::owner_all, fs::perm_options::add);
    SetEnv("LV_BOX_ANSWER", answer);
#if defined(_WIN32)
    ChildResult r = RunChild({showPath_});
#else
    ChildResult r;
    if (answer == "nobody") {
      r = RunChild({showPath_});
    } else {
      // After a Yes the player says whether the show is now the screen saver.
      DisplayBoxAnswerer person({"Install title install", "Lumivane"},
                                answer == "yes" ? "yes" : "close");
      r = RunChild({showPath_});
      person.Stop();
    }
#endif
    for (std::string* text : {&r.out, &r.err})
      text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return r;
  }

  // Where the installer leaves its mark: the stand-in for rundll32.exe logs
  // its command, xscreensaver's installer edits the preferences.
  std::string InstallerRecord() const {
    return ExeSuffix().empty() ? In("home", ".xscreensaver") : dir_ / "commands.log";
  }

  // What the installer was given, once it has run.
  std::string InstallerLog() {
    return WaitForFile(InstallerRecord(), ExeSuffix().empty() ? target_ + " --root" : "\n");
  }

  // Gives a wrongly started installer time to leave its mark.
  void ExpectNoInstallerStarted() {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(fs::exists(InstallerRecord()));
  }

  std::string In(const std::string& folder, const std::string& name) const {
    return (fs::path(dir_.path()) / folder / name).string();
  }

  ScratchDir dir_;
  std::string show_, target_, showPath_, readme_, oldPath_, originalTemp_;
  const std::string probe_ = ReadFileBytes(BuildProgram("install_probe"));
};

// Cases that answer the question: on Linux they need an X display for it.
class AnsweredInstallOfferTest : public InstallOfferTest {
 protected:
  void SetUp() override {
    InstallOfferTest::SetUp();
#if !defined(_WIN32)
    if (!DisplayForBoxes()) GTEST_SKIP() << "needs an X display to answer the question on";
#endif
  }
};

TEST_F(AnsweredInstallOfferTest, YesCopiesTheShowOverAnOlderCopyAndStartsTheInstaller) {
  WriteFileBytes(target_, "an older copy");
  const std::string prefs =
      "timeout:\t0:05:00\nmode:\t\trandom\nprograms:\t\\\n\tmaze -root \\n\\\n"
      "\tqix -root \\n\n\nlock:\tFalse\n";
  WriteFileBytes(In("home", ".xscreensaver"), prefs);
  ChildResult r = Run("Show.EXE", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("not offered")));
  EXPECT_THAT(r.err, HasSubstr("Install title install: Do you want to install Install title as "
                               "your default screen saver?\n"));
  EXPECT_THAT(r.err, Not(HasSubstr("Copy error!")));
  EXPECT_EQ(ReadFileBytes(target_), Package());

#if !defined(_WIN32)
  EXPECT_THAT(r.err, HasSubstr("Install title install: answered Yes\n"));
#endif

  std::string log = InstallerLog();
#if defined(_WIN32)
  EXPECT_EQ(log, "rundll32.exe desk.cpl,InstallScreenSaver " + target_ + "\n");
#else
  EXPECT_EQ(target_, In("data/lumivane/savers", show_ + ".scr"));
  EXPECT_NE(fs::status(target_).permissions() & fs::perms::owner_exec, fs::perms::none);
  EXPECT_THAT(log, HasSubstr(" " + target_ + " --root"));
  EXPECT_THAT(log, HasSubstr("timeout:\t0:05:00\nmode:\t\tone\n"));
  EXPECT_THAT(log, HasSubstr("maze -root"));
  EXPECT_THAT(log, HasSubstr("qix -root"));
  EXPECT_THAT(log, HasSubstr("\n\nlock:\tFalse\nselected:\t2\n"));
#endif
}

TEST_F(AnsweredInstallOfferTest, OnlyTheLastThreeLettersOfTheNameCount) {
  ChildResult r = Run("showexe", "yes");
  EXPECT_THAT(r.out, Not(HasSubstr("not offered")));
  EXPECT_TRUE(fs::exists(target_));

  fs::remove(target_);
  r = Run("show.scr", "yes");
  EXPECT_THAT(r.out, HasSubstr("not offered"));
  EXPECT_FALSE(fs::exists(target_));
}

TEST_F(AnsweredInstallOfferTest, NoEndsWithNothingCopiedOrStarted) {
  ChildResult r = Run("Show.exe", "no");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Install title install: Do you want to install"));
#if !defined(_WIN32)
  // Closed with the window's close button: Escape's answer in a box with
  // Cancel, and No where Escape does nothing.
  EXPECT_THAT(r.err, HasSubstr("Install title install: answered No (closed without a button)\n"));
#endif
  EXPECT_FALSE(fs::exists(target_));
  ExpectNoInstallerStarted();
}

TEST_F(AnsweredInstallOfferTest, AFailedCopyReportsCopyErrorAndStartsNoInstaller) {
  // A folder in the way of the copy.
  fs::create_directories(target_);
  ChildResult r = Run("Show.exe", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Install title install: Copy error!\n"));
  EXPECT_TRUE(fs::is_directory(target_));
  ExpectNoInstallerStarted();
}

TEST_F(AnsweredInstallOfferTest, ShowNamesThatLeadOutOfTheSystemDirectoryAreACopyError) {
  const std::string saverFolder = SystemDirectory();
  const std::set<std::string> before = FilesIn(saverFolder);
  const std::vector<std::string> names = {
      "../../../escaped", "..\\..\\escaped", "sub/escaped", "sub\\escaped", "C:escaped",
      "esc\001aped",      "escaped\n",       "..",          "NUL",          "com1 .txt"};
  for (const std::string& name : names) {
    show_ = name;
    ChildResult r = Run("Show.exe", "yes");
    EXPECT_EQ(r.exitCode, 0) << name;
    EXPECT_THAT(r.err, HasSubstr("Install title install: Copy error!\n")) << name;
    // Where the copy would have gone; device names are left out, as
    // Windows finds those everywhere.
    std::error_code ignored;
    if (name.find("escaped") != std::string::npos) {
      EXPECT_FALSE(fs::exists(fs::path(Target(name)).lexically_normal(), ignored)) << name;
    }
  }
  EXPECT_EQ(FilesIn(saverFolder), before);
#if !defined(_WIN32)
  for (const std::string& file : FilesUnder(dir_.path()))
    EXPECT_THAT(file, Not(HasSubstr("escaped")));
#endif
  ExpectNoInstallerStarted();
}

#if !defined(_WIN32)
TEST_F(InstallOfferTest, WithNobodyToAskNothingIsInstalled) {
  readme_ = "The readme.\n";
  const char* display = std::getenv("DISPLAY");
  const std::string savedDisplay = display != nullptr ? display : "";
  for (const char* driver : {"dummy", "offscreen", ""}) {
    if (*driver != '\0') {
      SetEnv("SDL_VIDEODRIVER", driver);
    } else {
      UnsetEnv("SDL_VIDEODRIVER");
      UnsetEnv("DISPLAY");
      UnsetEnv("WAYLAND_DISPLAY");
    }
    ChildResult r = Run("Show.exe", "nobody");
    EXPECT_EQ(r.exitCode, 0) << driver << r.err;
    EXPECT_THAT(r.err, HasSubstr("Install title install: Do you want to install")) << driver;
    EXPECT_THAT(r.err, HasSubstr("Install title install: answered No (no display)\n")) << driver;
  }
  UnsetEnv("SDL_VIDEODRIVER");
  if (!savedDisplay.empty()) SetEnv("DISPLAY", savedDisplay);
  EXPECT_FALSE(fs::exists(target_));
  EXPECT_TRUE(fs::is_empty(SystemDirectory()));
  EXPECT_FALSE(fs::exists(dir_ / "viewer.log"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(fs::exists(In("home", ".xscreensaver")));
}

TEST_F(AnsweredInstallOfferTest, TheReadmeGoesToAFolderOfItsOwnAndNeverThroughAPlantedLink) {
  readme_ = "Read me first.\nSecond line.\n";
  const std::string victim = dir_ / "victim.txt", link = dir_ / "tmp/readme.txt";
  WriteFileBytes(victim, "another user's file");
  fs::create_symlink(victim, link);
  ChildResult r = Run("Show.exe", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;

  EXPECT_EQ(ReadFileBytes(victim), "another user's file");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), victim);
  // The viewer got a readme.txt of its own, in a folder only the user can
  // enter; both are gone once the player has waited its second.
  std::string viewer = ReadFileBytes(dir_ / "viewer.log");
  EXPECT_THAT(viewer, ContainsRegex("^" + dir_.path() + "/tmp/LVR[0-9A-F]{8}/readme.txt\n700\n$"));
  EXPECT_EQ(ReadFileBytes(dir_ / "viewer.log.copy"), "Read me first.\r\nSecond line.\r\n");
  EXPECT_EQ(FilesIn(dir_ / "tmp"), std::set<std::string>{link});
  // The installation goes on after the readme.
  EXPECT_EQ(ReadFileBytes(target_), Package());
}

// A show run from a download folder, as its users do, with the boxes answered
// on the display: the entry is made by the player itself, and nothing that
// lies beside the show runs, neither an installer stand-in nor a viewer for
// the readme, not even with the folder on PATH and as the current folder.
TEST_F(AnsweredInstallOfferTest, FromADownloadFolderTheEntryIsMadeAndNothingBesideItRuns) {
  readme_ = "Read me first.\n";
  const std::string marker = In("", "planted-ran");
  for (const char* name : {"lumivane-install-saver", "xdg-open", "rundll32.exe"}) {
    WriteFileBytes(In("show", name),
                   "#!/bin/sh\necho " + std::string(name) + " >> '" + marker + "'\n");
    fs::permissions(In("show", name), fs::perms::owner_all);
  }
  // The viewer the user has, which only notes the file it was given.
  fs::create_directories(In("", "bin"));
  WriteFileBytes(In("bin", "xdg-open"), "#!/bin/sh\necho \"$1\" >> '" + In("", "viewer") + "'\n");
  fs::permissions(In("bin", "xdg-open"), fs::perms::owner_all);
  const char* path = std::getenv("PATH");
  const std::string oldPath = path != nullptr ? path : "/usr/bin:/bin";
  const std::string here = fs::current_path().string();
  fs::current_path(In("show", ""));
  SetEnv("PATH", ".:" + In("show", "") + ":" + In("", "bin") + ":" + oldPath);
  ChildResult r = Run("Show.exe", "yes");
  fs::current_path(here);
  SetEnv("PATH", oldPath);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err,
              HasSubstr("Lumivane: " + target_ + " is now your screen saver: entry 0 added"));
  EXPECT_THAT(ReadFileBytes(In("home", ".xscreensaver")), HasSubstr(target_ + " --root"));
  EXPECT_THAT(ReadFileBytes(In("", "viewer")), HasSubstr("readme.txt"));
  EXPECT_FALSE(fs::exists(marker)) << ReadFileBytes(marker);
}

// The saver folder's path holds a quote, which the entry must quote for sh:
// installing again finds the same entry.
TEST_F(AnsweredInstallOfferTest, APathWithAQuoteInstalledTwiceGivesOneEntry) {
  SetEnv("XDG_DATA_HOME", dir_ / "it's data");
  target_ = Target(show_);
  ChildResult r = Run("Show.exe", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("entry 0 added"));
  r = Run("Show.exe", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("entry 0 updated"));
  std::string prefs = ReadFileBytes(In("home", ".xscreensaver"));
  EXPECT_EQ(prefs.find("(Lumivane)"), prefs.rfind("(Lumivane)")) << prefs;
}

TEST_F(AnsweredInstallOfferTest, AnEntryThatCannotBeMadeIsToldWithTheFile) {
  fs::create_directories(In("home", ".xscreensaver"));
  ChildResult r = Run("Show.exe", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err,
              HasSubstr("Lumivane: Cannot make " + target_ + " your screen saver: cannot read " +
                        In("home", ".xscreensaver") + ": Is a directory.\n"));
  EXPECT_TRUE(fs::is_directory(In("home", ".xscreensaver")));
}
#endif

}  // namespace
