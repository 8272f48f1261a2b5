// The file behind the Linux registry layer: its exact text in each form, what
// it keeps of other programs' entries, what it refuses to read, a failed
// write, and where it lives (the settings dialog test shows a refused file).
#include "platform/linux/regedit_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"

namespace fs = std::filesystem;

namespace {

const char kDemoKey[] = "Software\\Lumivane\\Demo";

class RegeditFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("XDG_CONFIG_HOME", config_.path());
    // Message boxes of the layer answer at once, on standard error only.
    SetEnv("SDL_VIDEODRIVER", "dummy");
  }
  std::string Store() const { return config_ / "lumivane/user.reg"; }
  void WriteStore(const std::string& text) const {
    fs::create_directories(config_ / "lumivane");
    WriteFileBytes(Store(), text);
  }
  ScratchDir config_;
};

const char kForeign[] =
    "REGEDIT4\r\n"
    "; a comment before the first key\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Other \\\"quoted\\\"\"\r\n"
    "; a comment of the user's\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\SOFTWARE\\lumivane\\Demo\\]\r\n"
    "@=\"default text\"\r\n"
    "\"Mute\"=dword:00000000\r\n"
    "\"List\"=hex(7):61,00,62,00,\\\r\n"
    "  63,00,00,00\r\n"
    "\"Future\"=DWORD:0000ABCD\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other Vendor\\App]\r\n"
    "\"Setting\"=hex(2):25,54,45,4d,50,25,00\r\n"
    "\r\n";

// Settings written among other programs' entries, in a file with CR LF or LF
// line ends: written with CR LF once the key is closed, changing only the
// values set.
TEST_F(RegeditFileTest, WritesSettingsAndKeepsForeignEntries) {
  std::string expected = kForeign, lf = kForeign;
  expected.replace(expected.find("\"Mute\"=dword:00000000"), 21, "\"Mute\"=dword:00000001");
  expected.insert(expected.find("0000ABCD\r\n") + 10, "\"RedrawSpeed\"=dword:0000000f\r\n");
  for (size_t pos; (pos = lf.find("\r\n")) != std::string::npos;)
    lf.erase(pos, 1);
  // An empty name between separators would make a section no reader takes.
  EXPECT_EQ(CreateKey(HKEY_CURRENT_USER, "Software\\\\Lumivane"), nullptr);
  for (const std::string& text : {std::string(kForeign), lf}) {
    WriteStore(text);
    HKEY key = CreateKey(HKEY_CURRENT_USER, kDemoKey);
    EXPECT_EQ(QueryValue(key, "List"), "7:" + std::string("a\0b\0c\0\0", 8));
    EXPECT_EQ(QueryValue(key, "Future"), "4:" + std::string("\xcd\xab\0\0", 4));
    ASSERT_EQ(SetDwordValue(key, "mute", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDwordValue(key, "RedrawSpeed", 15), ERROR_SUCCESS);
    EXPECT_EQ(ReadFileBytes(Store()), text);  // other processes see nothing yet
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadFileBytes(Store()), expected);
  }
}

// A write that fails, here on the file size limit, leaves no temporary file.
TEST_F(RegeditFileTest, FailedWriteLeavesTheFileAsItWas) {
  WriteStore(kForeign);
  HKEY key = CreateKey(HKEY_CURRENT_USER, kDemoKey);
  ASSERT_EQ(SetValue(key, "Big", REG_BINARY, std::string(100000, 'Z')), ERROR_SUCCESS);
  rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small = {4096, limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RegCloseKey(key), ERROR_WRITE_FAULT);
  const std::string err = ::testing::internal::GetCapturedStderr();
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(err.find("Error: The settings could not be saved: " + Store() +
                     ": cannot be written: File too large"),
            0u)
      << err;
  EXPECT_EQ(ReadFileBytes(Store()), kForeign);
  EXPECT_EQ(std::distance(fs::directory_iterator(config_ / "lumivane"), fs::directory_iterator()),
            2);  // user.reg and its lock
}

TEST_F(RegeditFileTest, WithoutAnAbsoluteXdgConfigHomeTheHomeConfigFolderServes) {
  ScratchDir home;
  SetEnv("HOME", home.path());
  for (const char* config : {"", "relative/config", static_cast<const char*>(nullptr)}) {
    config ? SetEnv("XDG_CONFIG_HOME", config) : UnsetEnv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegeditStorePath(), home / ".config/lumivane/user.reg");
  }
}

TEST(ParseRegeditTest, RejectsWhatItCannotKeepWithTheLine) {
  const std::pair<const char*, int> cases[] = {
      {"Windows Registry Editor Version 4.00\r\n", 1},
      {"\xff\xfeR\0E\0G\0E\0D\0I\0T\0004\0\r\0\n\0", 1},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"Nul\"=\"a\\0b\"\n", 4},
      {"REGEDIT4\n\n\"Early\"=dword:00000001\n", 3},
      {"REGEDIT4\n\n[-HKEY_CURRENT_USER\\Software\\Gone]\n", 3},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"D\"=dword:123456789\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"H\"=hex(7):61,00,\\\n", 4},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A\n", 3},
  };
  for (const auto& [text, line] : cases) {
    RegeditFile file;
    RegeditError error;
    EXPECT_FALSE(ParseRegedit(text, &file, &error)) << text;
    EXPECT_EQ(error.line, line) << text;
    EXPECT_FALSE(error.reason.empty()) << text;
  }
}

}  // namespace
