// The registry calls the player makes. Runs natively against the Linux layer
// and under Wine against the real registry, so it asserts only what Windows does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"

namespace {

const std::string kFifteen = "4:" + std::string("\x0f\0\0\0", 4);

// Natively an empty registry; under Wine, where the prefix outlives runs, a
// key of the scratch folder's unique name. Names ignore case and a trailing
// backslash; a key outlives its handles.
TEST(RegistryTest, KeysAreCreatedOnceSharedByHandlesAndOutliveThem) {
  ScratchDir config;
  SetEnv("XDG_CONFIG_HOME", config.path());
  const std::string base = "Software\\Lumivane\\RegistryTest-" +
                           std::filesystem::path(config.path()).filename().string() + "\\";
  DWORD created = 0, opened = 0;
  HKEY first = CreateKey(HKEY_CURRENT_USER, base + "Shared\\", &created);
  HKEY second = CreateKey(HKEY_CURRENT_USER, base + "SHARED", &opened);
  EXPECT_EQ(created, DWORD(REG_CREATED_NEW_KEY));
  EXPECT_EQ(opened, DWORD(REG_OPENED_EXISTING_KEY));
  HKEY third = nullptr, missing = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (base + "shared\\").c_str(), &third), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (base + "Missing").c_str(), &missing),
            ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetDwordValue(second, "redrawspeed", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDwordValue(first, "REDRAWSPEED", 15), ERROR_SUCCESS);
  EXPECT_EQ(QueryValue(third, "RedrawSpeed"), kFifteen);
  for (HKEY key : {first, second, third})
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  HKEY again = CreateKey(HKEY_CURRENT_USER, base + "Shared");
  EXPECT_EQ(QueryValue(again, "RedrawSpeed"), kFifteen);
  // A failed query leaves the setting's buffer as it was.
  char buffer[4] = {'a', 'b', 'c', 'd'};
  DWORD size = 2;
  EXPECT_EQ(RegQueryValueExA(again, "RedrawSpeed", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  RegCloseKey(again);
}

}  // namespace
