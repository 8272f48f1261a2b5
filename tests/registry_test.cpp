// The registry calls the player makes, through platform/win32.h. Runs natively
// against the Linux layer and under Wine against the real registry, so it
// asserts only what Windows does.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  // The Linux layer keeps HKEY_CURRENT_USER under XDG_CONFIG_HOME, so each
  // test gets an empty one. Windows ignores the variable; there the folder's
  // unique name keeps this test's keys apart from those that earlier runs left
  // in the Wine prefix.
  void SetUp() override {
    SetEnv("XDG_CONFIG_HOME", config_.path());
    base_ = "Software\\Lumivane\\RegistryTest-" +
            std::filesystem::path(config_.path()).filename().string();
  }

  std::string Path(const std::string& name) const { return base_ + "\\" + name; }

  static HKEY Create(const std::string& subKey, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, disposition),
              ERROR_SUCCESS)
        << subKey;
    EXPECT_NE(key, nullptr);
    return key;
  }

  static LONG SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
  }

  static LONG SetString(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD(text.size() + 1));
  }

  // The value as a dword, or `fallback` when the query fails.
  static DWORD GetDword(HKEY key, const char* name, DWORD fallback) {
    DWORD value = fallback, size = sizeof value;
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    return value;
  }

  ScratchDir config_;
  std::string base_;
};

TEST_F(RegistryTest, CreateReportsNewKeyThenExistingKey) {
  DWORD disposition = 0;
  HKEY first = Create(Path("Fresh"), &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  HKEY second = Create(Path("Fresh"), &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_NE(first, HKEY_CURRENT_USER);
  EXPECT_EQ(RegCloseKey(first), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(second), ERROR_SUCCESS);
}

TEST_F(RegistryTest, DispositionMayBeNull) {
  HKEY key = Create(Path("NoDisposition"));
  HKEY opened = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Path("NoDisposition").c_str(), &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
  RegCloseKey(key);
}

TEST_F(RegistryTest, CreatedKeyOpensAndSharesValues) {
  HKEY created = Create(Path("Shared"));
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Path("Shared").c_str(), &opened), ERROR_SUCCESS);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(SetDword(created, "RedrawSpeed", 15), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(opened, "RedrawSpeed", 0), 15u);
  RegCloseKey(opened);
  RegCloseKey(created);

  // The value outlives every handle.
  HKEY again = Create(Path("Shared"));
  EXPECT_EQ(GetDword(again, "RedrawSpeed", 0), 15u);
  RegCloseKey(again);
}

TEST_F(RegistryTest, MissingKeyIsNotFound) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Path("Missing").c_str(), &key), ERROR_FILE_NOT_FOUND);
  HKEY base = Create(base_);
  EXPECT_EQ(RegOpenKeyA(base, "Missing", &key), ERROR_FILE_NOT_FOUND);
  RegCloseKey(base);
}

TEST_F(RegistryTest, KeysBelowAHandleAndAboveACreatedKey) {
  HKEY inner = Create(Path("Outer\\Inner"));
  HKEY outer = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Path("Outer").c_str(), &outer), ERROR_SUCCESS);
  HKEY again = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(outer, "Inner", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &again, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(SetDword(again, "Depth", 2), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(inner, "Depth", 0), 2u);
  // A value belongs to its own key only.
  EXPECT_EQ(GetDword(outer, "Depth", 7), 7u);
  RegCloseKey(again);
  RegCloseKey(outer);
  RegCloseKey(inner);
}

TEST_F(RegistryTest, DwordRoundTrip) {
  HKEY key = Create(Path("Dword"));
  ASSERT_EQ(SetDword(key, "RedrawSpeed", 0x89abcdefu), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value, type = REG_NONE;
  ASSERT_EQ(
      RegQueryValueExA(key, "RedrawSpeed", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 0x89abcdefu);
  RegCloseKey(key);
}

TEST_F(RegistryTest, StringRoundTripCountsTheNul) {
  HKEY key = Create(Path("String"));
  ASSERT_EQ(SetString(key, "Name", "Demo show"), ERROR_SUCCESS);
  DWORD size = 0, type = REG_NONE;
  ASSERT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(size, 10u);
  char text[64];
  std::memset(text, 'x', sizeof text);
  size = sizeof text;
  ASSERT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 10u);
  EXPECT_STREQ(text, "Demo show");
  RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValueHasNoName) {
  HKEY key = Create(Path("Default"));
  ASSERT_EQ(SetString(key, nullptr, "unnamed"), ERROR_SUCCESS);
  char text[16] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "unnamed");
  RegCloseKey(key);
}

TEST_F(RegistryTest, BinaryAndMultiStringRoundTrip) {
  HKEY key = Create(Path("Bytes"));
  const BYTE blob[] = {0x00, 0x01, 0xff, 0x80, 0x00};
  ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
  const char list[] = "one\0two\0";  // and the array's own NUL ends the list
  ASSERT_EQ(RegSetValueExA(key, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list),
                           sizeof list),
            ERROR_SUCCESS);

  BYTE read[16] = {};
  DWORD size = sizeof read, type = REG_NONE;
  ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  ASSERT_EQ(size, sizeof blob);
  EXPECT_EQ(std::memcmp(read, blob, sizeof blob), 0);

  size = sizeof read;
  ASSERT_EQ(RegQueryValueExA(key, "List", nullptr, &type, read, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
  ASSERT_EQ(size, sizeof list);
  EXPECT_EQ(std::memcmp(read, list, sizeof list), 0);
  RegCloseKey(key);
}

TEST_F(RegistryTest, SettingAValueAgainReplacesItsTypeAndData) {
  HKEY key = Create(Path("Replace"));
  ASSERT_EQ(SetDword(key, "Mode", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key, "Mode", "text"), ERROR_SUCCESS);
  char text[16] = {};
  DWORD size = sizeof text, type = REG_NONE;
  ASSERT_EQ(RegQueryValueExA(key, "Mode", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_STREQ(text, "text");
  RegCloseKey(key);
}

TEST_F(RegistryTest, MissingValueLeavesTheDestinationUntouched) {
  HKEY key = Create(Path("NoValue"));
  DWORD value = 0x12345678, size = sizeof value;
  EXPECT_EQ(
      RegQueryValueExA(key, "Shuffle", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
      ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, 0x12345678u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TooSmallBufferGivesTheNeededSize) {
  HKEY key = Create(Path("Small"));
  ASSERT_EQ(SetString(key, "Name", "hello world"), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "Speed", 5), ERROR_SUCCESS);

  char text[4] = {'a', 'b', 'c', 'd'};
  DWORD size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(std::memcmp(text, "abcd", 4), 0);

  WORD half = 0x5a5a;
  size = sizeof half;
  EXPECT_EQ(RegQueryValueExA(key, "Speed", nullptr, nullptr, reinterpret_cast<BYTE*>(&half), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(half, 0x5a5a);
  RegCloseKey(key);
}

TEST_F(RegistryTest, KeyNamesIgnoreCase) {
  HKEY key = Create(Path("MixedCase"));
  DWORD disposition = 0;
  HKEY upper = Create(Path("MIXEDCASE"), &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  HKEY lower = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Path("mixedcase").c_str(), &lower), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(upper, "Mute", 1), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(lower, "Mute", 0), 1u);
  EXPECT_EQ(GetDword(key, "Mute", 0), 1u);
  RegCloseKey(lower);
  RegCloseKey(upper);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ValueNamesIgnoreCase) {
  HKEY key = Create(Path("ValueCase"));
  ASSERT_EQ(SetDword(key, "RedrawSpeed", 3), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(key, "REDRAWSPEED", 0), 3u);
  // Setting under another spelling changes the same value.
  ASSERT_EQ(SetDword(key, "redrawspeed", 4), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(key, "RedrawSpeed", 0), 4u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TrailingBackslashNamesTheSameKey) {
  DWORD disposition = 0;
  HKEY slashed = Create(Path("Slash\\"), &disposition);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  HKEY plain = Create(Path("Slash"), &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  HKEY opened = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Path("Slash\\").c_str(), &opened), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(slashed, "Resize", 1), ERROR_SUCCESS);
  EXPECT_EQ(GetDword(plain, "Resize", 0), 1u);
  EXPECT_EQ(GetDword(opened, "Resize", 0), 1u);
  RegCloseKey(opened);
  RegCloseKey(plain);
  RegCloseKey(slashed);
}

}  // namespace
