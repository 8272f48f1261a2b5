#include "package/user_settings.h"

#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"

namespace {

struct SettingValue {
  const char* name;
  int32_t UserSettings::*field;
};

// Registry names, in the order they are read and written.
constexpr SettingValue kSettingValues[] = {
    {"RedrawSpeed", &UserSettings::RedrawSpeed},
    {"SoundSpeed", &UserSettings::SoundSpeed},
    {"Resize", &UserSettings::Resize},
    {"Shuffle", &UserSettings::Shuffle},
    {"Mute", &UserSettings::Mute},
    {"UseEff", &UserSettings::UseEff},
};

HKEY OpenSettingsKey() {
  char settingsKeyPath[MAX_PATH];
  std::snprintf(settingsKeyPath, sizeof settingsKeyPath, "Software\\Lumivane\\%s",
                showState.showName);
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, settingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

}  // namespace

void LoadSettings() {
  HKEY key = OpenSettingsKey();
  if (key == nullptr) return;
  for (const SettingValue& value : kSettingValues) {
    DWORD size = sizeof(int32_t);
    RegQueryValueExA(key, value.name, nullptr, nullptr,
                     reinterpret_cast<BYTE*>(&(showState.settings.*value.field)), &size);
  }
  RegCloseKey(key);
}

void SaveSettings() {
  HKEY key = OpenSettingsKey();
  if (key == nullptr) return;
  for (const SettingValue& value : kSettingValues) {
    RegSetValueExA(key, value.name, 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&(showState.settings.*value.field)),
                   sizeof(int32_t));
  }
  RegCloseKey(key);
}
