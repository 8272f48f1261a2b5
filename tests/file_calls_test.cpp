// The file and folder calls the readme is written with, on both builds: a
// new file or folder is made only where nothing has the name yet.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"

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

// Each call makes a new empty file: the prefix's first three letters, the
// number it returns in four hex digits (lower-case under Wine) and ".TMP".
TEST(FileCallsTest, TempFileNamesAreNewFilesNamedByTheirNumber) {
  ScratchDir dir;
  char first[MAX_PATH] = {}, second[MAX_PATH] = {}, expected[16];
  UINT number = GetTempFileNameA(dir.path().c_str(), "LVRX", 0, first);
  ASSERT_NE(GetTempFileNameA(dir.path().c_str(), "LVRX", 0, second), 0u);
  EXPECT_STRNE(first, second);
  std::snprintf(expected, sizeof expected, "LVR%04X.TMP", number);
  std::string name = std::string(first).substr(dir.path().size() + 1);
  for (char& c : name)
    c = char(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(name, expected);
  EXPECT_EQ(ReadFileBytes(first), "");
}

}  // namespace
