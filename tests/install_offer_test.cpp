// The install offer of copies of show_probe with a show appended. On Windows
// a command_logger named rundll32.exe beside the show records the installer's
// command; on Linux boxes are answered on the display, xdg-open is a stand-in.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"
#if !defined(_WIN32)
#include "tests/support/display_boxes.h"
#endif

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using namespace package_bytes;
namespace fs = std::filesystem;

namespace {

const bool kWindows = !ExeSuffix().empty();
const std::string kPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
const std::string kTemp = fs::temp_directory_path().string();

std::string SystemDirectory() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, sizeof folder);
  return folder;
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files.insert(entry.path().string());
  return files;
}

class InstallOfferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"show", "HOME", "tmp", "bin"})
      fs::create_directories(dir_ / folder);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
      SetEnv(name, dir_ / name);
    SetEnv("SDL_AUDIODRIVER", "dummy");
    SetEnv("LV_COMMAND_LOG", dir_ / "commands.log");
    UseTempFolder(dir_ / "tmp");
#if defined(_WIN32)
    fs::copy_file(BuildProgram("command_logger"), In("show", "rundll32.exe"));
#else
    WriteFileBytes(dir_ / "bin/xdg-open",
                   "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$LV_VIEWER_LOG\"\n");
    fs::permissions(dir_ / "bin/xdg-open", fs::perms::owner_all);
    SetEnv("PATH", dir_ / "bin:" + kPath);
    SetEnv("LV_VIEWER_LOG", dir_ / "viewer.log");
    UnsetEnv("SDL_VIDEODRIVER");
    if (!DisplayForBoxes()) GTEST_SKIP() << "needs an X display to answer the question on";
#endif
    // Where the player copies the show (on Linux its backslash is "/").
    target_ = SystemDirectory() + (kWindows ? "\\" : "/") + show_ + ".scr";
  }

  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(target_, ignored);
    UseTempFolder(kTemp);  // for the next test's scratch folder
  }

  std::string Package() {
    std::string t;
    AppendRecord(t, kShowName, 0, 0, Text(show_));
    AppendRecord(t, kShowTitle, 0, 0, Text("Install title"));
    if (!readme_.empty()) AppendRecord(t, kReadmeText, 0, 0, Text(readme_));
    AppendTerminator(t);
    AppendTrailer(t, uint32_t(probe_.size()));
    return probe_ + t;
  }

  // Runs the show as `name` in its folder, offered under `names` if any, and
  // answers its boxes "yes" or "no" (on Linux by closing them).
  ChildResult Run(const std::string& name, const std::string& answer,
                  std::vector<std::string> names = {}) {
    const std::string path = In("show", name);
    WriteFileBytes(path, Package());
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    SetEnv("LV_BOX_ANSWER", answer);
    names.insert(names.begin(), path);
#if defined(_WIN32)
    ChildResult r = RunChild(names);
#else
    // After a Yes the player says whether the show is now the screen saver.
    DisplayBoxAnswerer person({"Install title install", "Lumivane"},
                              answer == "yes" ? "yes" : "close");
    ChildResult r = RunChild(names);
    person.Stop();
#endif
    r.err.erase(std::remove(r.err.begin(), r.err.end(), '\r'), r.err.end());
    return r;
  }

  // The installer's record, waited for up to `tenths` tenths of a second.
  std::string InstallerLog(int tenths) {
    const std::string record = kWindows ? dir_ / "commands.log" : In("HOME", ".xscreensaver");
    for (int i = 0; i < tenths && !fs::exists(record); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return fs::exists(record) ? ReadFileBytes(record) : "";
  }

  std::string In(const std::string& folder, const std::string& name) const {
    return (fs::path(dir_.path()) / folder / name).string();
  }

  ScratchDir dir_;
  std::string show_ = UniqueShowName("InstallTest"), target_, readme_;
  const std::string probe_ = ReadFileBytes(BuildProgram("show_probe"));
};

// No leaves an older copy and starts nothing; Yes copies over it and starts the
// installer. Only the last three letters of the name count. On Linux the
// player makes the entry itself and the readme goes to the user's viewer.
TEST_F(InstallOfferTest, YesCopiesTheShowAndStartsTheInstallerNoDoesNothing) {
  WriteFileBytes(target_, "an older copy");
  ChildResult r = Run("Show.EXE", "no");
  EXPECT_EQ(ReadFileBytes(target_), "an older copy");
  EXPECT_EQ(InstallerLog(5), "");
  if (!kWindows) readme_ = "Read me first.\nSecond line.\n";
  r = Run("showexe", "yes");
  EXPECT_THAT(r.err, HasSubstr("Install title install: Do you want to install Install title as "
                               "your default screen saver?\n"));
  EXPECT_EQ(ReadFileBytes(target_), Package());
  std::string log = InstallerLog(100);
  if (kWindows) {
    EXPECT_EQ(log, "rundll32.exe desk.cpl,InstallScreenSaver " + target_ + "\n");
    return;
  }
  EXPECT_THAT(r.err,
              HasSubstr("Lumivane: " + target_ + " is now your screen saver: entry 0 added"));
  EXPECT_THAT(log, HasSubstr(target_ + " --root"));
  // The readme in a folder of its own (its text and its removal, the shell
  // and file test checks).
  EXPECT_THAT(ReadFileBytes(dir_ / "viewer.log"),
              ContainsRegex("^" + dir_.path() + "/tmp/LVR[0-9A-F]{8}/readme.txt\n$"));
}

// Names with a separator, a drive, a control character or "..", devices, and
// a folder in the way: offered in one start, each a copy error.
TEST_F(InstallOfferTest, NamesThatCannotBeCopiedToAreACopyError) {
  const std::string sub = SystemDirectory() + "/sub";
  fs::create_directories(target_);
  fs::create_directories(sub);
  const std::set<std::string> before = FilesIn(SystemDirectory());
  // One name for each rule: under Wine each box costs two seconds.
  const std::vector<std::string> names = {
      show_, "sub/escaped", "sub\\escaped", "C:escaped", "esc\001aped", "..", "NUL", "com1 .txt"};
  ChildResult r = Run("Show.exe", "yes", names);
  size_t errors = 0;
  for (size_t at = 0; (at = r.err.find("Install title install: Copy error!\n", at) + 1) != 0;)
    ++errors;
  EXPECT_EQ(errors, names.size()) << r.err;
  EXPECT_EQ(FilesIn(SystemDirectory()), before);
  EXPECT_TRUE(fs::is_empty(sub));
  fs::remove(sub);
  EXPECT_EQ(InstallerLog(5), "");
}

}  // namespace
