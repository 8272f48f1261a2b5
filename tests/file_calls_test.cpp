// The file and folder calls the readme is written with, on both builds: a
// new file or folder is made only where nothing has the name yet.
#include <gtest/gtest.h>

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

// Given a number, the name is only formed: three letters of the prefix and
// four upper-case hex digits.
TEST(FileCallsTest, TempFileNamesEndInTheNumberInHex) {
  ScratchDir dir;
  char name[MAX_PATH] = {};
  EXPECT_EQ(GetTempFileNameA(dir.path().c_str(), "LVRX", 0xBEEF, name), 0xBEEFu);
  EXPECT_EQ(std::string(name).substr(dir.path().size() + 1), "LVRBEEF.TMP");
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
