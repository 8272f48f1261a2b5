// The file and folder calls the readme is written with, on both builds: a
// new file or folder is made only where nothing has the name yet.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

HANDLE CreateNew(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

TEST(FileCallsTest, CreateNewWritesANewFileAndNeverAnExistingOne) {
  ScratchDir dir;
  const std::string path = dir / "readme.txt";
  HANDLE file = CreateNew(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "first\r\n", 7, &written, nullptr));
  EXPECT_EQ(written, 7u);
  EXPECT_TRUE(WriteFile(file, "second", 6, &written, nullptr));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(ReadFileBytes(path), "first\r\nsecond");

  EXPECT_EQ(CreateNew(path), INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadFileBytes(path), "first\r\nsecond");
  fs::create_directories(dir / "folder");
  EXPECT_EQ(CreateNew(dir / "folder"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateNew(dir / "missing" + "/readme.txt"), INVALID_HANDLE_VALUE);
}

TEST(FileCallsTest, FoldersAreMadeOnlyUnderNewNamesAndRemovedOnlyWhenEmpty) {
  ScratchDir dir;
  const std::string folder = dir / "LVR00000001";
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
  WriteFileBytes(dir / "file", "");
  EXPECT_FALSE(CreateDirectoryA((dir / "file").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA((dir / "missing" + "/folder").c_str(), nullptr));

  WriteFileBytes(folder + "/readme.txt", "text");
  EXPECT_FALSE(RemoveDirectoryA(folder.c_str()));
  EXPECT_TRUE(DeleteFileA((folder + "/readme.txt").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(RemoveDirectoryA(folder.c_str()));
}

#if !defined(_WIN32)
// What another local user can plant in a shared temporary folder.
TEST(FileCallsTest, PlantedLinksAreNeverFollowed) {
  ScratchDir dir;
  WriteFileBytes(dir / "victim", "keep");
  fs::create_symlink(dir / "victim", dir / "link");
  fs::create_symlink(dir / "not-yet", dir / "dangling");
  fs::create_directories(dir / "elsewhere");
  fs::create_directory_symlink(dir / "elsewhere", dir / "folder-link");

  EXPECT_EQ(CreateNew(dir / "link"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateNew(dir / "dangling"), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs::exists(dir / "not-yet"));
  EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");

  EXPECT_FALSE(CreateDirectoryA((dir / "dangling").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA((dir / "folder-link").c_str(), nullptr));
  EXPECT_FALSE(fs::exists(dir / "not-yet"));
  EXPECT_FALSE(RemoveDirectoryA((dir / "folder-link").c_str()));
  EXPECT_TRUE(fs::is_symlink(dir / "folder-link"));
  EXPECT_TRUE(fs::is_directory(dir / "elsewhere"));
}

TEST(FileCallsTest, NewFoldersAreTheUsersAlone) {
  ScratchDir dir;
  const std::string folder = dir / "private";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  struct stat info;
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}
#endif

}  // namespace
