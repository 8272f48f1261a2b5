// The Linux layer's shell and file calls, and the readme display built on
// them: the system directory is the user's own, copies are atomic,
// backslashes separate folders, links are not followed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "package/show_state.h"
#include "platform/win32.h"
#include "setup/readme.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace {

const std::string kPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
const std::string kTemp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 100 && !fs::exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let the writer finish
  return fs::exists(path) ? ReadFileBytes(path) : "";
}

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("PATH", dir_ / "bin:" + kPath);
    SetEnv("LV_LOG", dir_ / "log");
    SetEnv("XDG_DATA_HOME", dir_ / "data");
    SetEnv("TMPDIR", dir_ / "tmp");
    fs::create_directories(dir_ / "tmp");
    // A stand-in that records its arguments, one per line, and for a file a copy of it.
    fs::create_directories(dir_ / "bin");
    WriteFileBytes(dir_ / "bin/xdg-open",
                   "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$LV_LOG\"; "
                   "[ -f \"$1\" ] && cp \"$1\" \"$LV_LOG.copy\"\n");
    fs::permissions(dir_ / "bin/xdg-open", fs::perms::owner_all);
  }
  void TearDown() override { SetEnv("TMPDIR", kTemp); }
  ScratchDir dir_;
};

// Line ends become CR LF, also at the edges of the writer's buffer; a CR LF
// stays one. The folder made for the file goes with it.
TEST_F(ShellTest, TheReadmeIsWrittenWithCrLfAndOpenedWithXdgOpenAsAddressesAre) {
  std::string text = "Line one\nLine two\r\n", expected = "Line one\r\nLine two\r\n";
  for (int i = 0; i < 3000; ++i) {
    text += i % 2 ? "\n" : "ab\n";
    expected += i % 2 ? "\r\n" : "ab\r\n";
  }
  showState.readmeText = text.c_str();
  showState.readmeLength = int32_t(text.size());
  ShowReadme();
  EXPECT_EQ(ReadFileBytes(dir_ / "log.copy"), expected);
  EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));

  fs::remove(dir_ / "log");
  showState.readmeLength = 0;
  ShowReadme();
  EXPECT_FALSE(fs::exists(dir_ / "log"));
  // The product page's address goes to the same opener.
  const std::string address = "https://lumivane.example.org/";
  EXPECT_GT(
      uintptr_t(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
      32u);
  EXPECT_EQ(WaitForFile(dir_ / "log"), address + "\n");
}

TEST_F(ShellTest, SystemDirectoryIsTheUsersOwnAndIsCreated) {
  char folder[MAX_PATH] = {}, small[8] = {};
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
  EXPECT_EQ(std::string(folder), dir_ / "data/lumivane/savers");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), length + 1);
  UnsetEnv("XDG_DATA_HOME");
  SetEnv("HOME", dir_ / "home");
  GetSystemDirectoryA(folder, sizeof folder);
  EXPECT_EQ(std::string(folder), dir_ / "home/.local/share/lumivane/savers");
}

// A copy replaces its target whole or not at all, and leaves no half file.
TEST_F(ShellTest, CopyReplacesAtomicallyKeepsExecuteBitsAndReadsBackslashes) {
  const std::string source = dir_ / "show", target = dir_ / "tmp/show-copy.scr";
  WriteFileBytes(source, std::string(200000, 'x') + "end");
  fs::permissions(source, fs::perms(0750));
  WriteFileBytes(target, "older");
  ASSERT_TRUE(CopyFileA(source.c_str(), (dir_.path() + "/tmp\\show-copy.scr").c_str(), FALSE));
  EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms(0111), fs::perms(0110));

  WriteFileBytes(target, "keep me");
  EXPECT_FALSE(CopyFileA((dir_ / "missing").c_str(), target.c_str(), FALSE));
  EXPECT_FALSE(CopyFileA(source.c_str(), (dir_ / "no/such/folder.scr").c_str(), FALSE));
  EXPECT_EQ(ReadFileBytes(target), "keep me");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "tmp"), fs::directory_iterator()), 1);
}

// The readme's folder and file are made only under new names: never over a
// file or folder, nor through what another local user can plant in a shared
// temporary folder.
TEST(FileCallsTest, NewFilesAndFoldersOnlyUnderNewNames) {
  ScratchDir dir;
  WriteFileBytes(dir / "victim", "keep");
  fs::create_directories(dir / "folder");
  fs::create_symlink(dir / "victim", dir / "link");
  fs::create_symlink(dir / "not-yet", dir / "dangling");
  for (const char* name : {"victim", "folder", "link", "dangling", "missing/file"}) {
    EXPECT_EQ(CreateFileA((dir / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE)
        << name;
    EXPECT_FALSE(CreateDirectoryA((dir / name).c_str(), nullptr)) << name;
  }
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");
  EXPECT_FALSE(fs::exists(dir / "not-yet"));
}

}  // namespace
