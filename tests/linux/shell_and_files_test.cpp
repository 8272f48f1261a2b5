// The Linux layer's shell and file calls, and the readme display built on
// them: programs start without waiting, the system directory is the user's
// own, copies are atomic, backslashes separate folders, links are not followed.
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
  const std::string file = dir_ / "page.txt";
  WriteFileBytes(file, "text");
  for (const std::string& target : {file, std::string("https://lumivane.example.org/")}) {
    fs::remove(dir_ / "log");
    HINSTANCE result =
        ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_GT(reinterpret_cast<uintptr_t>(result), 32u);
    EXPECT_EQ(WaitForFile(dir_ / "log"), target + "\n");
  }
  HINSTANCE result = ShellExecuteA(nullptr, "open", (dir_ / "missing.txt").c_str(), nullptr,
                                   nullptr, SW_SHOWNORMAL);
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
  char folder[MAX_PATH] = {}, small[8] = {};
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
  EXPECT_EQ(std::string(folder), dir_ / "data/lumivane/savers");
  EXPECT_EQ(length, std::string(folder).size());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), length + 1);

  UnsetEnv("XDG_DATA_HOME");
  const std::string home = std::getenv("HOME");
  SetEnv("HOME", dir_ / "home");
  GetSystemDirectoryA(folder, sizeof folder);
  SetEnv("HOME", home);
  EXPECT_EQ(std::string(folder), dir_ / "home/.local/share/lumivane/savers");
}

// A copy replaces its target whole or not at all, and leaves no half file.
TEST_F(InstalledFilesTest, CopyReplacesAtomicallyKeepsExecuteBitsAndReadsBackslashes) {
  const std::string source = dir_ / "show", target = dir_ / "show-copy.scr";
  WriteFileBytes(source, std::string(200000, 'x') + "end");
  chmod(source.c_str(), 0750);
  WriteFileBytes(target, "older");
  ASSERT_TRUE(CopyFileA(source.c_str(), (dir_.path() + "\\show-copy.scr").c_str(), FALSE));
  EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0111, 0110u);
  EXPECT_FALSE(CopyFileA(source.c_str(), target.c_str(), TRUE));
  EXPECT_TRUE(CopyFileA(source.c_str(), (dir_ / "new.scr").c_str(), TRUE));

  WriteFileBytes(target, "keep me");
  fs::create_directories(dir_ / "folder.scr");
  EXPECT_FALSE(CopyFileA((dir_ / "missing").c_str(), target.c_str(), FALSE));
  EXPECT_FALSE(CopyFileA(source.c_str(), (dir_ / "folder.scr").c_str(), FALSE));
  EXPECT_FALSE(CopyFileA(source.c_str(), (dir_ / "no/such/folder.scr").c_str(), FALSE));
  EXPECT_EQ(ReadFileBytes(target), "keep me");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 4);
}

// What another local user can plant in a shared temporary folder.
TEST(FileCallsTest, PlantedLinksAreNeverFollowed) {
  ScratchDir dir;
  WriteFileBytes(dir / "victim", "keep");
  fs::create_symlink(dir / "victim", dir / "link");
  fs::create_symlink(dir / "not-yet", dir / "dangling");
  fs::create_directories(dir / "elsewhere");
  fs::create_directory_symlink(dir / "elsewhere", dir / "folder-link");
  for (const char* name : {"link", "dangling"}) {
    EXPECT_EQ(CreateFileA((dir / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE)
        << name;
  }
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");
  EXPECT_FALSE(CreateDirectoryA((dir / "dangling").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA((dir / "folder-link").c_str(), nullptr));
  EXPECT_FALSE(fs::exists(dir / "not-yet"));
  EXPECT_FALSE(RemoveDirectoryA((dir / "folder-link").c_str()));
  EXPECT_TRUE(fs::is_symlink(dir / "folder-link"));
  EXPECT_TRUE(fs::is_directory(dir / "elsewhere"));
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
  void Show(const std::string& text) {
    showState.readmeText = text.c_str();
    showState.readmeLength = int32_t(text.size());
    ShowReadme();
  }
};

TEST_F(ReadmeTest, WrittenWithCrLfInAFolderOfItsOwnOpenedAndGoneAfterwards) {
  // A readme.txt already in the temporary folder is someone else's.
  WriteFileBytes(dir_ / "tmp/readme.txt", "an older readme");
  Show("Line one\nLine two\r\nLast line\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "tmp/readme.txt"), "an older readme");
  const std::string opened = ReadFileBytes(dir_ / "log");
  EXPECT_THAT(opened, ::testing::MatchesRegex(dir_ / "tmp/LVR[0-9A-F]{8}/readme.txt\n"));
  EXPECT_EQ(ReadFileBytes(dir_ / "log.copy"), "Line one\r\nLine two\r\nLast line\r\n");
  EXPECT_FALSE(fs::exists(fs::path(opened).parent_path()));

  // Longer than the writer's buffer, line ends at its edges.
  std::string text, expected;
  for (int i = 0; i < 3000; ++i) {
    text += i % 2 ? "\n" : "ab\n";
    expected += i % 2 ? "\r\n" : "ab\r\n";
  }
  Show(text);
  EXPECT_EQ(ReadFileBytes(dir_ / "log.copy"), expected);

  // None: no file and no viewer.
  fs::remove(dir_ / "log");
  showState.readmeText = "ignored";
  showState.readmeLength = 0;
  ShowReadme();
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "tmp"), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists(dir_ / "log"));
}

}  // namespace
