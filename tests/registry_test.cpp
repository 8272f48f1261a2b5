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
const std::string kNotFound = "error " + std::to_string(ERROR_FILE_NOT_FOUND);

class RegistryTest : public ::testing::Test {
 protected:
  // Natively each test gets an empty registry; under Wine, where the prefix
  // outlives runs, a key of the folder's unique name.
  void SetUp() override {
    SetEnv("XDG_CONFIG_HOME", config_.path());
    base_ = "Software\\Lumivane\\RegistryTest-" +
            std::filesystem::path(config_.path()).filename().string() + "\\";
  }
  HKEY Create(const std::string& name, DWORD expected = 0) {
    DWORD disposition = 0;
    HKEY key = CreateKey(HKEY_CURRENT_USER, base_ + name, &disposition);
    EXPECT_NE(key, nullptr) << name;
    EXPECT_TRUE(expected == 0 || disposition == expected) << name;
    return key;
  }
  LONG Open(const std::string& name, HKEY* key) const {
    return RegOpenKeyA(HKEY_CURRENT_USER, (base_ + name).c_str(), key);
  }

  ScratchDir config_;
  std::string base_;
};

TEST_F(RegistryTest, KeysAreCreatedOnceSharedByHandlesAndOutliveThem) {
  HKEY first = Create("Shared", REG_CREATED_NEW_KEY);
  HKEY second = Create("Shared", REG_OPENED_EXISTING_KEY);
  EXPECT_NE(first, HKEY_CURRENT_USER);
  HKEY opened = nullptr;
  ASSERT_EQ(Open("Shared", &opened), ERROR_SUCCESS);
  EXPECT_EQ(SetDwordValue(first, "RedrawSpeed", 15), ERROR_SUCCESS);
  EXPECT_EQ(QueryValue(opened, "RedrawSpeed"), kFifteen);
  for (HKEY key : {first, second, opened})
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  HKEY again = Create("Shared");
  EXPECT_EQ(QueryValue(again, "RedrawSpeed"), kFifteen);
  RegCloseKey(again);

  HKEY missing = nullptr;
  EXPECT_EQ(Open("Missing", &missing), ERROR_FILE_NOT_FOUND);
  HKEY base = Create("");
  EXPECT_EQ(RegOpenKeyA(base, "Missing", &missing), ERROR_FILE_NOT_FOUND);
  RegCloseKey(base);
}

TEST_F(RegistryTest, KeysBelowAHandleAndAboveACreatedKey) {
  HKEY inner = Create("Outer\\Inner");
  HKEY outer = nullptr;
  ASSERT_EQ(Open("Outer", &outer), ERROR_SUCCESS);
  DWORD disposition = 0;
  HKEY again = CreateKey(outer, "Inner", &disposition);
  EXPECT_EQ(disposition, DWORD(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(SetDwordValue(again, "Depth", 15), ERROR_SUCCESS);
  EXPECT_EQ(QueryValue(inner, "Depth"), kFifteen);
  EXPECT_EQ(QueryValue(outer, "Depth"), kNotFound);
  for (HKEY key : {again, outer, inner})
    RegCloseKey(key);
}

TEST_F(RegistryTest, EachTypeRoundTripsWithItsSize) {
  const struct {
    const char* name;
    DWORD type;
    std::string data;
  } values[] = {
      {"Dword", REG_DWORD, std::string("\xef\xcd\xab\x89", 4)},
      {"Name", REG_SZ, std::string("Demo show\0", 10)},
      {nullptr, REG_SZ, std::string("unnamed\0", 8)},
      {"Blob", REG_BINARY, std::string("\0\x01\xff\x80\0", 5)},
      {"List", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
  };
  HKEY key = Create("Types");
  for (const auto& v : values) {
    ASSERT_EQ(SetValue(key, v.name, v.type, v.data), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, v.name, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, v.data.size());
    // The default value answers to the empty name too.
    EXPECT_EQ(QueryValue(key, v.name ? v.name : ""), std::to_string(v.type) + ":" + v.data);
  }
  // Setting again replaces type and data.
  ASSERT_EQ(SetValue(key, "Dword", REG_SZ, std::string("text\0", 5)), ERROR_SUCCESS);
  EXPECT_EQ(QueryValue(key, "Dword"), "1:" + std::string("text\0", 5));
  RegCloseKey(key);
}

TEST_F(RegistryTest, FailedQueriesLeaveTheBufferAlone) {
  HKEY key = Create("Small");
  ASSERT_EQ(SetValue(key, "Name", REG_SZ, std::string("hello world\0", 12)), ERROR_SUCCESS);
  ASSERT_EQ(SetDwordValue(key, "Speed", 5), ERROR_SUCCESS);
  const struct {
    const char* name;
    DWORD size;
    LONG status;
    DWORD needed;
  } cases[] = {{"Name", 4, ERROR_MORE_DATA, 12},
               {"Speed", 2, ERROR_MORE_DATA, 4},
               {"Shuffle", 4, ERROR_FILE_NOT_FOUND, 0}};
  for (const auto& c : cases) {
    char buffer[4] = {'a', 'b', 'c', 'd'};
    DWORD size = c.size;
    EXPECT_EQ(
        RegQueryValueExA(key, c.name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        c.status)
        << c.name;
    EXPECT_TRUE(c.needed == 0 || size == c.needed) << c.name << " " << size;
    EXPECT_EQ(std::string(buffer, 4), "abcd") << c.name;
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndATrailingBackslash) {
  HKEY key = Create("Slash\\", REG_CREATED_NEW_KEY);
  HKEY upper = Create("SLASH", REG_OPENED_EXISTING_KEY);
  HKEY lower = nullptr;
  ASSERT_EQ(Open("slash\\", &lower), ERROR_SUCCESS);
  ASSERT_EQ(SetDwordValue(upper, "redrawspeed", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDwordValue(key, "REDRAWSPEED", 15), ERROR_SUCCESS);
  EXPECT_EQ(QueryValue(lower, "RedrawSpeed"), kFifteen);
  for (HKEY k : {key, upper, lower})
    RegCloseKey(k);
}

}  // namespace
