// The file and folder calls the readme is written with, on both builds: a
// new file or folder is made only where nothing has the name yet.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

HANDLE CreateNew(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// The readme's folder and file: made only under new names, the folder removed
// only when empty.
TEST(FileCallsTest, NewFilesAndFoldersOnlyUnderNewNames) {
  ScratchDir dir;
  const std::string folder = dir / "LVR00000001", path = folder + "/readme.txt";
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
  HANDLE file = CreateNew(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "first\r\n", 7, &written, nullptr) && written == 7);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(CreateNew(path), INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadFileBytes(path), "first\r\n");
  EXPECT_FALSE(CreateDirectoryA(path.c_str(), nullptr));
  EXPECT_EQ(CreateNew(folder), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateNew(dir / "missing/readme.txt"), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(RemoveDirectoryA(folder.c_str()));
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

}  // namespace
