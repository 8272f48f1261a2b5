// What the Linux layer gives the host beyond the window calls: the version,
// characters of the command line, libraries loaded at run time, the
// saver-running state; and how a start by xscreensaver becomes a preview.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/xscreensaver_start.h"
#include "platform/win32.h"

namespace {

TEST(HostCallsTest, TheVersionIsOfTheNtFamilyForTheOneRecordSize) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = 148;
  ASSERT_TRUE(GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_GE(version.dwMajorVersion, 5u);
  EXPECT_STREQ(version.szCSDVersion, "");
  for (DWORD size : {0u, 147u, 149u}) {
    version.dwOSVersionInfoSize = size;
    EXPECT_FALSE(GetVersionExA(&version)) << size;
  }
}

TEST(HostCallsTest, CharNextStepsOneByteAndStopsAtTheEnd) {
  const char text[] = "a\xC3\xA9";
  EXPECT_EQ(CharNextA(text), text + 1);
  EXPECT_EQ(CharNextA(text + 1), text + 2);
  EXPECT_EQ(CharNextA(text + 3), text + 3);
}

TEST(HostCallsTest, WindowsComponentsAreNotFoundButSharedObjectsLoad) {
  for (const char* name : {"PASSWORD.CPL", "MPR.DLL", "IMM32.DLL"})
    EXPECT_EQ(LoadLibraryA(name), nullptr) << name;
  EXPECT_EQ(GetModuleHandleA("IMM32.DLL"), nullptr);
  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);

  HMODULE libc = LoadLibraryA("libc.so.6");
  ASSERT_NE(libc, nullptr);
  auto length = reinterpret_cast<size_t (*)(const char*)>(
      reinterpret_cast<void*>(GetProcAddress(libc, "strlen")));
  ASSERT_NE(length, nullptr);
  EXPECT_EQ(length("four"), 4u);
  EXPECT_EQ(GetProcAddress(libc, "VerifyScreenSavePwd"), nullptr);
  EXPECT_TRUE(FreeLibrary(libc));
}

TEST(HostCallsTest, TheSaverRunningStateIsKeptAndItsPreviousValueGiven) {
  UINT previous = 7;
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 1, &previous, 0));
  EXPECT_EQ(previous, 0u);
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, &previous, 0));
  EXPECT_EQ(previous, 1u);
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, 0, nullptr, 0));
}

TEST(XScreensaverArgumentTest, TheWindowIdBecomesAPreview) {
  using Args = std::vector<std::string>;
  EXPECT_EQ(XScreensaverArgument({"-window-id", "4194311"}, nullptr), "/p 4194311");
  EXPECT_EQ(XScreensaverArgument({"-root", "-window-id", "0x400007"}, nullptr), "/p 4194311");
  EXPECT_EQ(XScreensaverArgument({"-window-id", "0X40000A"}, "12"), "/p 4194314");
  EXPECT_EQ(XScreensaverArgument(Args{}, "0x2e00003"), "/p 48234499");
  EXPECT_EQ(XScreensaverArgument({"-root"}, "77"), "/p 77");
  // Ids that are no window: refused later as handle 0.
  for (const char* bad : {"", "0x", "12z", "-5", "0x1FFFFFFFF", "99999999999", " 12"})
    EXPECT_EQ(XScreensaverArgument({"-window-id", bad}, nullptr), "/p 0") << bad;
  EXPECT_EQ(XScreensaverArgument({"-window-id"}, nullptr), "/p 0");
  // The player's own arguments win over the variable.
  EXPECT_EQ(XScreensaverArgument({"/s"}, "77"), "");
  EXPECT_EQ(XScreensaverArgument({"-root", "/s"}, "77"), "");
  EXPECT_EQ(XScreensaverArgument(Args{}, nullptr), "");
  EXPECT_EQ(XScreensaverArgument({"-root"}, nullptr), "");
}

}  // namespace
