// The Linux layer's shell and installed-file calls, and the readme display
// built on them: programs are started without waiting, the system directory
// is the user's own, copies are atomic, and backslashes separate folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "package/show_state.h"
#include "platform/win32.h"
#include "setup/readme.h"
#include "tests/support/child_process.h"

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 100 && !fs::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the writer finish
  return fs::exists(path) ? ReadFileBytes(path) : "";
}

void WriteScript(const std::string& path, const std::string& body) {
  WriteFileBytes(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "bin");
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    SetEnv("PATH", dir_ / "bin" + ":" + oldPath_);
    SetEnv("LV_LOG", dir_ / "log");
    // Stand-ins that record their arguments, one per line, and for a file
    // a copy of it.
    WriteScript(
        dir_ / "bin/xdg-open",
        "printf '%s\\n' \"$@\" >> \"$LV_LOG\"; [ -f \"$1\" ] && cp \"$1\" \"$LV_LOG.copy\"\n");
    WriteScript(dir_ / "bin/args", "printf '[%s]\\n' \"$@\" > \"$LV_LOG\"\n");
  }
  void TearDown() override { SetEnv("PATH", oldPath_); }

  ScratchDir dir_;
  std::string oldPath_;
};

TEST_F(ShellTest, ShellExecuteOpensFilesAndAddressesWithXdgOpen) {
  std::string file = dir_ / "page.txt";
  WriteFileBytes(file, "text");
  HINSTANCE result = ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_GT(reinterpret_cast<uintptr_t>(result), 32u);
  EXPECT_EQ(WaitForFile(dir_ / "log"), file + "\n");

  fs::remove(dir_ / "log");
  result = ShellExecuteA(nullptr, "open", "https://lumivane.example.org/", nullptr, nullptr,
                         SW_SHOWNORMAL);
  EXPECT_GT(reinterpret_cast<uintptr_t>(result), 32u);
  EXPECT_EQ(WaitForFile(dir_ / "log"), "https://lumivane.example.org/\n");

  result = ShellExecuteA(nullptr, "open", (dir_ / "missing.txt").c_str(), nullptr, nullptr,
                         SW_SHOWNORMAL);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(result), uintptr_t(ERROR_FILE_NOT_FOUND));

  // Without xdg-open there is no association.
  fs::remove(dir_ / "bin/xdg-open");
  SetEnv("PATH", dir_ / "bin");
  result = ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_LE(reinterpret_cast<uintptr_t>(result), 32u);
}

TEST_F(ShellTest, WinExecSplitsAsWindowsDoesAndDoesNotWait) {
  EXPECT_GT(WinExec("args plain \"two words\" a\\\\b \"q\\\"uote\" \"\"", SW_SHOW), 31u);
  EXPECT_EQ(WaitForFile(dir_ / "log"), "[plain]\n[two words]\n[a\\\\b]\n[q\"uote]\n[]\n");
  EXPECT_EQ(WinExec("no-such-program-here", SW_SHOW), UINT(ERROR_FILE_NOT_FOUND));
}

// A folder a show was downloaded to, with programs of the same names as the
// ones the layer starts planted in it: the current folder, on PATH as "." and
// as its own path, and the running program's folder are never searched.
TEST_F(ShellTest, ProgramsAreNeverTakenFromTheCurrentOrTheProgramsFolder) {
  fs::create_directories(dir_ / "downloads");
  const std::string marker = dir_ / "planted-ran";
  for (const char* name : {"xdg-open", "args"})
    WriteScript(dir_ / ("downloads/" + std::string(name)), "echo ran > '" + marker + "'\n");
  std::string file = dir_ / "page.txt";
  WriteFileBytes(file, "text");
  std::string here = fs::current_path().string();
  fs::current_path(dir_ / "downloads");
  SetEnv("PATH", ".::downloads:" + dir_ / "bin");
  ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(WaitForFile(dir_ / "log"), file + "\n");
  fs::remove(dir_ / "log");
  EXPECT_GT(WinExec("args one", SW_SHOW), 31u);
  EXPECT_EQ(WaitForFile(dir_ / "log"), "[one]\n");
  fs::current_path(here);

  // This test program's own folder, put first on PATH.
  std::string own = ProgramDir();
  WriteScript(own + "xdg-open", "echo ran > '" + marker + "'\n");
  SetEnv("PATH", own + ":" + dir_ / "bin");
  fs::remove(dir_ / "log");
  ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(WaitForFile(dir_ / "log"), file + "\n");
  fs::remove(own + "xdg-open");
  EXPECT_FALSE(fs::exists(marker));
}

// The control panel's installer is done in the call, whatever stands beside
// the program or on PATH, and a box tells the user how it went.
TEST_F(ShellTest, TheScreenSaverInstallerMakesTheEntryAndSaysSo) {
  fs::create_directories(dir_ / "home");
  fs::create_directories(dir_ / "a b");
  SetEnv("HOME", dir_ / "home");
  SetEnv("SDL_VIDEODRIVER", "dummy");
  WriteScript(dir_ / "bin/rundll32.exe", "echo ran > \"$LV_LOG\"\n");
  WriteScript(dir_ / "a b/Demo.scr", "");
  std::string windowsPath = dir_.path() + "/a b\\Demo.scr";
  ::testing::internal::CaptureStderr();
  UINT result =
      WinExec(("rundll32.exe desk.cpl,InstallScreenSaver " + windowsPath).c_str(), SW_SHOW);
  std::string box = ::testing::internal::GetCapturedStderr();
  EXPECT_GT(result, 31u);
  EXPECT_EQ(box, "Lumivane: " + dir_ / "a b/Demo.scr" +
                     " is now your screen saver: entry 0 added to " + dir_ / "home/.xscreensaver" +
                     " (a new file) and selected.\nLumivane: answered OK (no display)\n");
  EXPECT_THAT(ReadFileBytes(dir_ / "home/.xscreensaver"),
              HasSubstr("'" + dir_ / "a b/Demo.scr" + "' --root"));

  fs::remove(dir_ / "home/.xscreensaver");
  fs::create_directories(dir_ / "home/.xscreensaver");
  ::testing::internal::CaptureStderr();
  WinExec(("rundll32.exe desk.cpl,InstallScreenSaver " + windowsPath).c_str(), SW_SHOW);
  box = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(box, "Lumivane: Cannot make " + dir_ / "a b/Demo.scr" +
                     " your screen saver: cannot read " + dir_ / "home/.xscreensaver" +
                     ": Is a directory.\nLumivane: answered OK (no display)\n");
  UnsetEnv("SDL_VIDEODRIVER");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(fs::exists(dir_ / "log"));
}

TEST(ShellDeathTest, OtherVerbsAndEntriesFailLoudly) {
  EXPECT_DEATH(ShellExecuteA(nullptr, "print", "/etc/hostname", nullptr, nullptr, SW_SHOWNORMAL),
               "ShellExecuteA");
  EXPECT_DEATH(WinExec("rundll32.exe shell32.dll,Control_RunDLL", SW_SHOW), "WinExec");
}

class InstalledFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { SetEnv("XDG_DATA_HOME", dir_ / "data"); }
  void TearDown() override { UnsetEnv("XDG_DATA_HOME"); }
  ScratchDir dir_;
};

TEST_F(InstalledFilesTest, SystemDirectoryIsTheUsersOwnAndIsCreated) {
  char folder[MAX_PATH] = {};
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
  EXPECT_EQ(std::string(folder), dir_ / "data/lumivane/savers");
  EXPECT_EQ(length, std::string(folder).size());
  EXPECT_TRUE(fs::is_directory(folder));

  char small[8] = {};
  EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), length + 1);

  UnsetEnv("XDG_DATA_HOME");
  std::string home = std::getenv("HOME");
  SetEnv("HOME", dir_ / "home");
  GetSystemDirectoryA(folder, sizeof folder);
  SetEnv("HOME", home);
  EXPECT_EQ(std::string(folder), dir_ / "home/.local/share/lumivane/savers");
}

TEST_F(InstalledFilesTest, CopyReplacesAtomicallyKeepsExecuteBitsAndReadsBackslashes) {
  std::string source = dir_ / "show", target = dir_ / "show-copy.scr";
  WriteFileBytes(source, std::string(200000, 'x') + "end");
  chmod(source.c_str(), 0750);
  WriteFileBytes(target, "older");
  std::string windowsTarget = dir_.path() + "\\show-copy.scr";
  ASSERT_TRUE(CopyFileA(source.c_str(), windowsTarget.c_str(), FALSE));
  EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0111, 0110u);

  EXPECT_FALSE(CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_TRUE(CopyFileA(source.c_str(), (dir_ / "new.scr").c_str(), TRUE));
}

TEST_F(InstalledFilesTest, AFailedCopyLeavesTheTargetAsItWasAndNoHalfFile) {
  std::string target = dir_ / "target.scr";
  WriteFileBytes(target, "keep me");
  EXPECT_FALSE(CopyFileA((dir_ / "missing").c_str(), target.c_str(), FALSE));
  fs::create_directories(dir_ / "folder.scr");
  WriteFileBytes(dir_ / "source", "bytes");
  EXPECT_FALSE(CopyFileA((dir_ / "source").c_str(), (dir_ / "folder.scr").c_str(), FALSE));
  EXPECT_FALSE(CopyFileA((dir_ / "source").c_str(), (dir_ / "no/such/folder.scr").c_str(), FALSE));
  EXPECT_EQ(ReadFileBytes(target), "keep me");
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 3);  // target.scr, folder.scr, source
}

class ReadmeTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    fs::create_directories(dir_ / "tmp");
    SetEnv("TMPDIR", dir_ / "tmp");
  }
  void TearDown() override {
    UnsetEnv("TMPDIR");
    showState.readmeText = nullptr;
    showState.readmeLength = 0;
    ShellTest::TearDown();
  }
};

TEST_F(ReadmeTest, WrittenWithCrLfInAFolderOfItsOwnOpenedAndGoneAfterwards) {
  const char text[] = "Line one\nLine two\r\nLast line\n";
  showState.readmeText = text;
  showState.readmeLength = int32_t(sizeof text - 1);
  // A readme.txt already in the temporary folder is someone else's.
  std::string older = dir_ / "tmp/readme.txt";
  WriteFileBytes(older, "an older readme");
  ShowReadme();
  EXPECT_EQ(ReadFileBytes(older), "an older readme");
  std::string opened = ReadFileBytes(dir_ / "log");
  EXPECT_THAT(opened, ::testing::MatchesRegex(dir_ / "tmp/LVR[0-9A-F]{8}/readme.txt\n"));
  EXPECT_EQ(ReadFileBytes(dir_ / "log.copy"), "Line one\r\nLine two\r\nLast line\r\n");
  EXPECT_FALSE(fs::exists(opened.substr(0, opened.size() - 1)));
  EXPECT_FALSE(fs::exists(fs::path(opened).parent_path()));

  // A readme longer than the writer's buffer, line ends at its edges.
  std::string longText;
  for (int i = 0; i < 3000; ++i)
    longText += i % 2 ? "\n" : "ab\n";
  std::string expected;
  for (char c : longText)
    expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  showState.readmeText = longText.c_str();
  showState.readmeLength = int32_t(longText.size());
  ShowReadme();
  EXPECT_EQ(ReadFileBytes(dir_ / "log.copy"), expected);
}

TEST_F(ReadmeTest, NoReadmeMeansNoFileNoViewerAndNoPause) {
  showState.readmeText = "ignored";
  showState.readmeLength = 0;
  auto start = std::chrono::steady_clock::now();
  ShowReadme();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_FALSE(fs::exists(dir_ / "tmp/readme.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "log"));
}

}  // namespace
