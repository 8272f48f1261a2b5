// The registry calls the player makes. Runs natively against the Linux layer
// and under Wine against the real registry, so it asserts only what Windows does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"

namespace {

// Natively an empty registry; under Wine, where the prefix outlives runs, a
// key of the scratch folder's unique name. Names ignore case and a trailing
// backslash; a key outlives its handles.
TEST(RegistryTest, KeysAreSharedByHandlesAndOutliveThem) {
  ScratchDir config;
  SetEnv("XDG_CONFIG_HOME", config.path());
  const std::string base = "Software\\Lumivane\\RegistryTest-" +
                           std::filesystem::path(config.path()).filename().string() + "\\";
  HKEY first = CreateKey(HKEY_CURRENT_USER, base + "Shared\\"), missing = nullptr;
  HKEY second = CreateKey(HKEY_CURRENT_USER, base + "SHARED");
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, (base + "Missing").c_str(), &missing),
            ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(SetDwordValue(second, "redrawspeed", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDwordValue(first, "REDRAWSPEED", 15), ERROR_SUCCESS);
  for (HKEY key : {first, second})
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  HKEY again = CreateKey(HKEY_CURRENT_USER, base + "shared");
  EXPECT_EQ(QueryValue(again, "RedrawSpeed"), "4:" + std::string("\x0f\0\0\0", 4));
  RegCloseKey(again);
}

}  // namespace
