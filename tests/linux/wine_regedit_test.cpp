// The settings file of the Linux registry against Wine's own regedit and reg,
// in a Wine prefix of the test's own: a version 5 file that regedit exports is
// read and written back in its form, byte for byte as regedit would write the
// same change; what the player writes, in either form, imports into Wine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "package/show_state.h"
#include "package/user_settings.h"
#include "platform/linux/regedit_file.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace fs = std::filesystem;

namespace {

const char kWine[] = "/usr/bin/wine";
const char kWineServer[] = "/usr/bin/wineserver";
const char kShow[] = "Demo";
const char kWineKey[] = "HKEY_CURRENT_USER\\Software\\Lumivane\\Demo";

class WineRegeditTest : public ::testing::Test {
 protected:
  // Making a Wine prefix takes a while, so the tests share one.
  static void SetUpTestSuite() {
    if (access(kWine, X_OK) != 0) return;
    wineDir_ = std::make_unique<ScratchDir>();
    for (const char* folder : {"home", "data", "cache", "tmp", "wine-config"})
      fs::create_directories(*wineDir_ / folder);
    SetEnv("WINEPREFIX", *wineDir_ / "prefix");
    SetEnv("WINEDEBUG", "-all");
    // No offer to install Mono or Gecko into the new prefix.
    SetEnv("WINEDLLOVERRIDES", "mscoree,mshtml=");
    SetEnv("HOME", *wineDir_ / "home");
    SetEnv("XDG_DATA_HOME", *wineDir_ / "data");
    SetEnv("XDG_CACHE_HOME", *wineDir_ / "cache");
    SetEnv("TMPDIR", *wineDir_ / "tmp");
    SetEnv("LC_ALL", "C.UTF-8");
    // regedit and reg need no display, and get none to open windows on.
    UnsetEnv("DISPLAY");
  }

  static void TearDownTestSuite() {
    if (wineDir_ == nullptr) return;
    RunChild({kWineServer, "-k"});
    wineDir_.reset();
  }

  void SetUp() override {
    if (wineDir_ == nullptr) GTEST_SKIP() << "needs " << kWine;
    SetEnv("XDG_CONFIG_HOME", config_.path());
    SetEnv("SDL_VIDEODRIVER", "dummy");
    std::snprintf(showState.showName, sizeof showState.showName, "%s", kShow);
    showState.settings = UserSettings();
  }

  static ChildResult Wine(std::vector<std::string> args) {
    args.insert(args.begin(), kWine);
    ChildResult r = RunChild(args);
    EXPECT_EQ(r.exitCode, 0) << args[1] << ": " << r.err;
    return r;
  }

  // Wine's regedit export of the show's key.
  std::string Export(const std::string& name) {
    std::string path = config_ / name;
    Wine({"regedit", "/E", path, kWineKey});
    return ReadFileBytes(path);
  }

  void Import(const std::string& path) { Wine({"regedit", "/S", path}); }

  std::string Store() const { return config_ / "lumivane/user.reg"; }

  static std::unique_ptr<ScratchDir> wineDir_;
  ScratchDir config_;
};

std::unique_ptr<ScratchDir> WineRegeditTest::wineDir_;

// The value's type and the bytes the ANSI calls see, from a parsed file.
std::string ValueIn(const RegeditFile& file, const std::string& name) {
  for (const RegeditSection& section : file.sections) {
    for (const RegeditEntry& entry : section.entries) {
      if (entry.isValue && entry.name == name) return std::to_string(entry.type) + ":" + entry.data;
    }
  }
  return "missing";
}

TEST_F(WineRegeditTest, Version5ExportIsReadAndWrittenBackInItsForm) {
  std::string import = config_ / "import.reg";
  WriteFileBytes(import,
                 "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Lumivane\\Demo]\r\n"
                 "\"RedrawSpeed\"=dword:00000021\r\n\"SoundSpeed\"=dword:00000009\r\n"
                 "\"Resize\"=dword:00000000\r\n\"Shuffle\"=dword:00000001\r\n"
                 "\"Mute\"=dword:00000000\r\n\"UseEff\"=dword:00000000\r\n\r\n");
  Import(import);
  Wine({"reg", "add", kWineKey, "/v", "Title", "/t", "REG_SZ", "/d", "Caf\xc3\xa9 \xe2\x82\xac",
        "/f"});
  std::string exported = Export("export.reg");
  ASSERT_EQ(exported.compare(0, 2, "\xff\xfe"), 0) << "not UTF-16LE with a byte-order mark";

  fs::create_directories(config_ / "lumivane");
  WriteFileBytes(Store(), exported);
  LoadSettings();
  const UserSettings& s = showState.settings;
  EXPECT_EQ(
      std::vector<int32_t>({s.RedrawSpeed, s.SoundSpeed, s.Resize, s.Shuffle, s.Mute, s.UseEff}),
      std::vector<int32_t>({33, 9, 0, 1, 0, 0}));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Lumivane\\Demo", &key), ERROR_SUCCESS);
  char title[32] = {};
  DWORD size = sizeof title;
  ASSERT_EQ(RegQueryValueExA(key, "Title", nullptr, nullptr, reinterpret_cast<BYTE*>(title), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(title, "Caf\xe9 \x80");
  RegCloseKey(key);

  // Saving a change leaves the file as regedit exports the same change.
  showState.settings.Mute = 1;
  SaveSettings();
  Wine({"reg", "add", kWineKey, "/v", "Mute", "/t", "REG_DWORD", "/d", "1", "/f"});
  EXPECT_EQ(ReadFileBytes(Store()), Export("export-after.reg"));

  // Values and keys the file did not hold go in as Wine reads them.
  key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Lumivane\\Demo", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string text("Cr\xe8me \x80\0", 8), path("%TEMP%\\\xe9\0", 9);
  const std::string list("one\0\xfc\0\0", 7);
  ASSERT_EQ(RegSetValueExA(key, "Cr\xe8me", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                           DWORD(text.size())),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "Path", 0, REG_EXPAND_SZ,
                           reinterpret_cast<const BYTE*>(path.data()), DWORD(path.size())),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list.data()),
                           DWORD(list.size())),
            ERROR_SUCCESS);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  ASSERT_EQ(ReadFileBytes(Store()).compare(0, 2, "\xff\xfe"), 0);
  Import(Store());
  RegeditFile file;
  RegeditError error;
  ASSERT_TRUE(ParseRegedit(Export("export-new.reg"), &file, &error))
      << error.line << ": " << error.reason;
  EXPECT_EQ(file.form, RegeditForm::Version5Utf16);
  EXPECT_EQ(ValueIn(file, "Cr\xe8me"), "1:" + text);
  EXPECT_EQ(ValueIn(file, "Path"), "2:" + path);
  EXPECT_EQ(ValueIn(file, "List"), "7:" + list);
  EXPECT_EQ(ValueIn(file, "Mute"), "4:" + std::string("\x01\0\0\0", 4));
}

TEST_F(WineRegeditTest, Regedit4FileOfThePlayerImportsIntoWine) {
  std::snprintf(showState.showName, sizeof showState.showName, "%s", "Four");
  LoadSettings();
  showState.settings = {42, 5, 0, 1, 1, 0};
  SaveSettings();
  std::string text = ReadFileBytes(Store());
  ASSERT_EQ(text.compare(0, 10, "REGEDIT4\r\n"), 0) << text;
  Import(Store());
  ChildResult r = Wine({"reg", "query", "HKEY_CURRENT_USER\\Software\\Lumivane\\Four"});
  for (const char* line : {"RedrawSpeed    REG_DWORD    0x2a", "SoundSpeed    REG_DWORD    0x5",
                           "Resize    REG_DWORD    0x0", "Shuffle    REG_DWORD    0x1",
                           "Mute    REG_DWORD    0x1", "UseEff    REG_DWORD    0x0"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << " in\n" << r.out;
  }
}

}  // namespace
