// The six settings in the registry, in process.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
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

TEST_F(UserSettingsTest, SavedValuesComeBackAsDwords) {
  showState.settings = {42, 3, 0, 1, 1, 0};
  SaveSettings();
  showState.settings = UserSettings();
  LoadSettings();
  const UserSettings& s = showState.settings;
  EXPECT_EQ(s.RedrawSpeed, 42);
  EXPECT_EQ(s.SoundSpeed, 3);
  EXPECT_EQ(s.Resize, 0);
  EXPECT_EQ(s.Shuffle, 1);
  EXPECT_EQ(s.Mute, 1);
  EXPECT_EQ(s.UseEff, 0);

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, KeyPath().c_str(), &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "UseEff", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(size, 4u);
  RegCloseKey(key);
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
