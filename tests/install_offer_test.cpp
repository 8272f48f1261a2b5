// The install offer: copies of install_probe with a show appended run under a
// name ending in "exe", the question is answered, and the test looks at what
// landed in the system directory and what the installer was given.
//
// On Windows the installer is the system's rundll32.exe; a copy of
// command_logger named rundll32.exe beside the show, where Windows looks
// first, records its command line instead. On Linux the player itself
// selects the show in ~/.xscreensaver, wherever the show was run from.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#if !defined(_WIN32)
#include "tests/support/display_boxes.h"
#endif
#include "tests/support/show_settings.h"
#include "tools/showpack/package_writer.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

std::string Text(const std::string& s) {
  return s + std::string(1, '\0');
}

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

#if !defined(_WIN32)
// Finds the question box by its caption and clicks No, the second of the two
// buttons that SDL centres at the bottom of the box; gives up after ten
// seconds.
const char kClickNo[] = R"(
for i in $(seq 100); do
  line=$(xwininfo -root -tree | grep '"Install title install"' | head -n 1)
  if [ -n "$line" ]; then
    set -- $line
    size=$(echo "$line" | grep -o '[0-9]*x[0-9]*+' | head -n 1)
    w=${size%%x*}; h=${size#*x}; h=${h%+}
    xdotool mousemove --window "$1" $((w / 2 + 44)) $((h - 28)) click 1 && exit 0
    # Never leave the box waiting: Return answers it with its default.
    xdotool key --window "$1" Return
    exit 1
  fi
  sleep 0.1
done
exit 1)";
#endif

class InstallOfferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "show");
    fs::create_directories(dir_ / "home");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    SetEnv("XDG_DATA_HOME", dir_ / "data");
    SetEnv("HOME", dir_ / "home");
    SetEnv("LV_COMMAND_LOG", dir_ / "commands.log");
    show_ = UniqueShowName("InstallTest");
#if defined(_WIN32)
    target_ = SystemDirectory() + "\\" + show_ + ".scr";
    fs::copy_file(BuildProgram("command_logger"), In("show", "rundll32.exe"));
#else
    // The player names it with a backslash, which the layer reads as "/".
    target_ = SystemDirectory() + "/" + show_ + ".scr";
    // Boxes answer with their default button (Yes) unless a test shows them.
    SetEnv("SDL_VIDEODRIVER", "dummy");
#endif
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(target_, ignored);
  }

  std::string Package() {
    std::string t;
    AppendRecord(t, ShowRecordType::ShowName, 0, 0, Text(show_));
    AppendRecord(t, ShowRecordType::ShowTitle, 0, 0, Text("Install title"));
    if (!readme_.empty()) AppendRecord(t, ShowRecordType::ReadmeText, 0, 0, readme_);
    AppendRecord(t, ShowRecordType::Image, 1, 2, "");
    AppendTerminator(t);
    AppendTrailer(t, uint32_t(probe_.size()));
    return probe_ + t;
  }

  // Runs the show as `name` in its folder; the box answers `answer`.
  ChildResult Run(const std::string& name, const std::string& answer) {
    Write(name);
    return RunWritten(answer);
  }

  // Writing the show apart from running it lets a test start other programs
  // in between, which must not inherit the file while it is open for writing.
  void Write(const std::string& name) {
    showPath_ = In("show", name);
    WriteFileBytes(showPath_, Package());
    fs::permissions(showPath_, fs::perms::owner_all, fs::perm_options::add);
  }

  ChildResult RunWritten(const std::string& answer) {
    SetEnv("LV_BOX_ANSWER", answer);
    ChildResult r = RunChild({showPath_});
    for (std::string* text : {&r.out, &r.err})
      text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return r;
  }

  // What the installer was given, once it has run.
  std::string InstallerLog() {
#if defined(_WIN32)
    return WaitForFile(dir_ / "commands.log", "\n");
#else
    return WaitForFile(In("home", ".xscreensaver"), target_ + " --root");
#endif
  }

#if !defined(_WIN32)
  // Runs the show as `name` with its boxes on the display, each answered with
  // its default button (Yes to the question) as a person would.
  ChildResult RunAnsweringOnDisplay(const std::string& name) {
    UnsetEnv("SDL_VIDEODRIVER");
    BoxAnswerer person({"Install title install", "Lumivane"});
    return Run(name, "yes");
  }
#endif

  std::string In(const std::string& folder, const std::string& name) const {
    return (fs::path(dir_.path()) / folder / name).string();
  }

  ScratchDir dir_;
  std::string show_, target_, showPath_, readme_;
  const std::string probe_ = ReadFileBytes(BuildProgram("install_probe"));
};

TEST_F(InstallOfferTest, YesCopiesTheShowOverAnOlderCopyAndStartsTheInstaller) {
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

TEST_F(InstallOfferTest, OnlyTheLastThreeLettersOfTheNameCount) {
  ChildResult r = Run("showexe", "yes");
  EXPECT_THAT(r.out, Not(HasSubstr("not offered")));
  EXPECT_TRUE(fs::exists(target_));

  fs::remove(target_);
  r = Run("show.scr", "yes");
  EXPECT_THAT(r.out, HasSubstr("not offered"));
  EXPECT_FALSE(fs::exists(target_));
}

TEST_F(InstallOfferTest, NoEndsWithNothingCopiedOrStarted) {
#if defined(_WIN32)
  ChildResult r = Run("Show.exe", "no");
#else
  // The layer's box on the X display, where a click on its No button answers.
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0' || !fs::exists("/usr/bin/xdotool") ||
      !fs::exists("/usr/bin/xwininfo")) {
    GTEST_SKIP() << "needs an X display, xdotool and xwininfo";
  }
  UnsetEnv("SDL_VIDEODRIVER");
  Write("Show.exe");
  ChildResult person;
  std::thread clicker([&person] { person = RunChild({"/bin/sh", "-c", kClickNo}); });
  ChildResult r = RunWritten("no");
  clicker.join();
  EXPECT_EQ(person.exitCode, 0) << person.err;
#endif
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Install title install: Do you want to install"));
  EXPECT_FALSE(fs::exists(target_));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(fs::exists(dir_ / "commands.log"));
}

TEST_F(InstallOfferTest, AFailedCopyReportsCopyErrorAndStartsNoInstaller) {
  // A folder in the way of the copy.
  fs::create_directories(target_);
  ChildResult r = Run("Show.exe", "yes");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("Install title install: Copy error!\n"));
  EXPECT_TRUE(fs::is_directory(target_));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(fs::exists(dir_ / "commands.log"));
  EXPECT_FALSE(fs::exists(In("home", ".xscreensaver")));
}

#if !defined(_WIN32)
// A show run from a download folder, as its users do, with the boxes answered
// on the display: the entry is made by the player itself, and nothing that
// lies beside the show runs, neither an installer stand-in nor a viewer for
// the readme, not even with the folder on PATH and as the current folder.
TEST_F(InstallOfferTest, FromADownloadFolderTheEntryIsMadeAndNothingBesideItRuns) {
  if (!CanAnswerBoxes()) GTEST_SKIP() << "needs an X display, xdotool and xwininfo";
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
  ChildResult r = RunAnsweringOnDisplay("Show.exe");
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
TEST_F(InstallOfferTest, APathWithAQuoteInstalledTwiceGivesOneEntry) {
  if (!CanAnswerBoxes()) GTEST_SKIP() << "needs an X display, xdotool and xwininfo";
  SetEnv("XDG_DATA_HOME", dir_ / "it's data");
  target_ = SystemDirectory() + "/" + show_ + ".scr";
  ChildResult r = RunAnsweringOnDisplay("Show.exe");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("entry 0 added"));
  r = RunAnsweringOnDisplay("Show.exe");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("entry 0 updated"));
  std::string prefs = ReadFileBytes(In("home", ".xscreensaver"));
  EXPECT_EQ(prefs.find("(Lumivane)"), prefs.rfind("(Lumivane)")) << prefs;
}

TEST_F(InstallOfferTest, AnEntryThatCannotBeMadeIsToldWithTheFile) {
  if (!CanAnswerBoxes()) GTEST_SKIP() << "needs an X display, xdotool and xwininfo";
  fs::create_directories(In("home", ".xscreensaver"));
  ChildResult r = RunAnsweringOnDisplay("Show.exe");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_THAT(r.err,
              HasSubstr("Lumivane: Cannot make " + target_ + " your screen saver: cannot read " +
                        In("home", ".xscreensaver") + ": Is a directory.\n"));
  EXPECT_TRUE(fs::is_directory(In("home", ".xscreensaver")));
}
#endif

}  // namespace
