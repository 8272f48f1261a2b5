#include "tests/support/show_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "tests/support/child_process.h"

std::string UniqueShowName(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  auto now = std::chrono::system_clock::now().time_since_epoch().count();
  return prefix + "-" + std::to_string(now % 1000000007) + "-" + std::to_string(counter++);
}

void SetShowSetting(const std::string& show, const char* name, DWORD value) {
  HKEY key = nullptr;
  std::string path = "Software\\Lumivane\\" + show;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::string StoredShowSetting(const std::string& show, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, ("Software\\Lumivane\\" + show).c_str(), &key) !=
      ERROR_SUCCESS) {
    return "absent";
  }
  int32_t value = 0;
  DWORD size = sizeof value;
  LONG result =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::to_string(value) : "absent";
}

void UseTempFolder(const std::string& path) {
  SetEnv("TMP", path);
  SetEnv("TEMP", path);
  SetEnv("TMPDIR", path);
}
