// The six settings in the registry. The key path and value names are written
// out here: misspelt in the code, they would otherwise round-trip unnoticed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"
#include "tests/support/show_settings.h"

namespace {

const char* const kNames[] = {"RedrawSpeed", "SoundSpeed", "Resize", "Shuffle", "Mute", "UseEff"};

std::vector<int32_t> Loaded() {
  LoadSettings();
  const UserSettings& s = showState.settings;
  return {s.RedrawSpeed, s.SoundSpeed, s.Resize, s.Shuffle, s.Mute, s.UseEff};
}

TEST(UserSettingsTest, EachValueIsStoredUnderItsName) {
  ScratchDir dir;
  SetEnv("XDG_CONFIG_HOME", dir / "config");
  const std::string show = UniqueShowName("SettingsTest");
  std::snprintf(showState.showName, sizeof showState.showName, "%s", show.c_str());
  showState.settings = UserSettings();
  // No key: the defaults stay.
  EXPECT_EQ(Loaded(), std::vector<int32_t>({15, 7, 1, 0, 0, 1}));
  HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Lumivane\\" + show);
  // A value longer than the setting is not read into it.
  SetValue(key, "SoundSpeed", REG_SZ, std::string("a long string value", 20));
  EXPECT_EQ(Loaded()[1], 7);
  // Each saved under its own name (loading by name: the dialog and loading tests).
  showState.settings = {9, 8, 7, 6, 5, 4};
  SaveSettings();
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(QueryValue(key, kNames[i]), "4:" + std::string({char(9 - i), '\0', '\0', '\0'}));
  RegCloseKey(key);
}

}  // namespace
