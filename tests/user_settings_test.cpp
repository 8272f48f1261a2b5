// The six settings in the registry, in process.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

class UserSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    std::string name =
        "SettingsTest-" + std::to_string(now % 1000000007) + "-" + std::to_string(counter++);
    std::snprintf(showState.showName, sizeof showState.showName, "%s", name.c_str());
    showState.settings = UserSettings();
  }
  void TearDown() override {
    showState.showName[0] = '\0';
    showState.settings = UserSettings();
  }

  std::string KeyPath() const { return std::string("Software\\Lumivane\\") + showState.showName; }

  ScratchDir dir_;
};

TEST_F(UserSettingsTest, NoKeyKeepsTheDefaultsAndCreatesTheKey) {
  LoadSettings();
  const UserSettings& s = showState.settings;
  EXPECT_EQ(s.RedrawSpeed, 15);
  EXPECT_EQ(s.SoundSpeed, 7);
  EXPECT_EQ(s.Resize, 1);
  EXPECT_EQ(s.Shuffle, 0);
  EXPECT_EQ(s.Mute, 0);
  EXPECT_EQ(s.UseEff, 1);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, KeyPath().c_str(), &key), ERROR_SUCCESS);
  DWORD size = 4;
  BYTE data[4];
  EXPECT_EQ(RegQueryValueExA(key, "RedrawSpeed", nullptr, nullptr, data, &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

// The registry names as stored, written out here rather than taken from the
// code: a name misspelt there would otherwise round-trip unnoticed.
const char* const kNames[] = {"RedrawSpeed", "SoundSpeed", "Resize", "Shuffle", "Mute", "UseEff"};

TEST_F(UserSettingsTest, EachValueIsStoredAndReadUnderItsName) {
  const DWORD stored[] = {42, 3, 0, 1, 1, 0};
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath().c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (int i = 0; i < 6; ++i)
    RegSetValueExA(key, kNames[i], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored[i]), 4);
  LoadSettings();
  const UserSettings& s = showState.settings;
  EXPECT_EQ(s.RedrawSpeed, 42);
  EXPECT_EQ(s.SoundSpeed, 3);
  EXPECT_EQ(s.Resize, 0);
  EXPECT_EQ(s.Shuffle, 1);
  EXPECT_EQ(s.Mute, 1);
  EXPECT_EQ(s.UseEff, 0);

  // Saved over the values above, so a name of its own would leave them.
  showState.settings = {9, 8, 7, 6, 5, 4};
  SaveSettings();
  for (int i = 0; i < 6; ++i) {
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(
        RegQueryValueExA(key, kNames[i], nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
        ERROR_SUCCESS)
        << kNames[i];
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, DWORD(9 - i)) << kNames[i];
  }
  RegCloseKey(key);
}

// Natively the settings live in a regedit file: one as a user's machine
// would hold it is read as it stands.
TEST_F(UserSettingsTest, AStoredSettingsFileIsRead) {
  if (!ExeSuffix().empty()) GTEST_SKIP() << "the Windows registry is no file";
  std::filesystem::create_directories(dir_ / "config/lumivane");
  WriteFileBytes(dir_ / "config/lumivane/user.reg",
                 "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lumivane\\" +
                     std::string(showState.showName) +
                     "]\r\n\"RedrawSpeed\"=dword:0000002d\r\n\"SoundSpeed\"=dword:00000002\r\n"
                     "\"Resize\"=dword:00000000\r\n\"Shuffle\"=dword:00000001\r\n"
                     "\"Mute\"=dword:00000001\r\n\"UseEff\"=dword:00000000\r\n\r\n");
  LoadSettings();
  const UserSettings& s = showState.settings;
  EXPECT_EQ(s.RedrawSpeed, 45);
  EXPECT_EQ(s.SoundSpeed, 2);
  EXPECT_EQ(s.Resize, 0);
  EXPECT_EQ(s.Shuffle, 1);
  EXPECT_EQ(s.Mute, 1);
  EXPECT_EQ(s.UseEff, 0);
}

TEST_F(UserSettingsTest, ValuesLongerThanFourBytesAreLeftAlone) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath().c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char text[] = "a long string value";
  RegSetValueExA(key, "SoundSpeed", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(key);
  LoadSettings();
  EXPECT_EQ(showState.settings.SoundSpeed, 7);
}

}  // namespace
