#include "tests/support/show_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"

std::string UniqueShowName(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  auto now = std::chrono::system_clock::now().time_since_epoch().count();
  return prefix + "-" + std::to_string(now % 1000000007) + "-" + std::to_string(counter++);
}

void SetShowSetting(const std::string& show, const char* name, DWORD value) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Lumivane\\" + show);
  ASSERT_EQ(SetDwordValue(key, name, value), ERROR_SUCCESS);
  RegCloseKey(key);
}

std::string StoredShowSetting(const std::string& show, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, ("Software\\Lumivane\\" + show).c_str(), &key) !=
      ERROR_SUCCESS)
    return "absent";
  int32_t value = 0;
  DWORD size = sizeof value;
  LONG result =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? std::to_string(value) : "absent";
}

void UseTempFolder(const std::string& path) {
  for (const char* name : {"TMP", "TEMP", "TMPDIR"})
    SetEnv(name, path);
}
