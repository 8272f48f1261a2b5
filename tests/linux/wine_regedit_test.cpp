// The settings file of the Linux registry against Wine's own regedit and reg,
// in a Wine prefix of the test's own: what the player writes, in either form,
// imports into Wine, and a version 5 file that regedit exports is read and
// written back byte for byte as regedit would write the same change.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "package/show_state.h"
#include "package/user_settings.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/registry_values.h"

namespace {

const char kWine[] = "/usr/bin/wine";
const char kWineKey[] = "HKEY_CURRENT_USER\\Software\\Lumivane\\Demo";

ChildResult Wine(std::vector<std::string> args) {
  args.insert(args.begin(), kWine);
  ChildResult r = RunChild(args);
  EXPECT_EQ(r.exitCode, 0) << args[1] << ": " << r.err;
  return r;
}

TEST(WineRegeditTest, RegeditAndThePlayerReadEachOthersFiles) {
  if (!std::filesystem::exists(kWine)) GTEST_SKIP() << "needs " << kWine;
  ScratchDir dir;
  for (const char* name :
       {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
    std::filesystem::create_directories(dir / name);
    SetEnv(name, dir / name);
  }
  SetEnv("WINEPREFIX", dir / "prefix");
  struct StopsWine {
    ~StopsWine() { RunChild({"/usr/bin/wineserver", "-k"}); }
  } stopsWine;
  SetEnv("WINEDEBUG", "-all");
  SetEnv("WINEDLLOVERRIDES", "mscoree,mshtml=");  // no offer to install Mono or Gecko
  SetEnv("LC_ALL", "C.UTF-8");
  UnsetEnv("DISPLAY");  // regedit and reg need none
  SetEnv("SDL_VIDEODRIVER", "dummy");
  const std::string store = dir / "XDG_CONFIG_HOME/lumivane/user.reg";
  auto exportDemo = [&dir] {
    Wine({"regedit", "/E", dir / "export.reg", kWineKey});
    return ReadFileBytes(dir / "export.reg");
  };

  std::snprintf(showState.showName, sizeof showState.showName, "%s", "Demo");
  showState.settings = {42, 5, 0, 1, 1, 0};
  SaveSettings();
  ASSERT_EQ(ReadFileBytes(store).compare(0, 10, "REGEDIT4\r\n"), 0);
  Wine({"regedit", "/S", store});
  Wine({"reg", "add", kWineKey, "/v", "Title", "/t", "REG_SZ", "/d",
        "Caf\xc3\xa9 \xe2\x82\xac \xe6\x97\xa5", "/f"});
  const std::string exported = exportDemo();
  ASSERT_EQ(exported.compare(0, 2, "\xff\xfe"), 0) << "not UTF-16LE with a byte-order mark";
  // Read back from regedit's export, the values prove its import too.
  WriteFileBytes(store, exported);
  showState.settings = UserSettings();
  LoadSettings();
  const UserSettings& s = showState.settings;
  EXPECT_EQ(
      std::vector<int32_t>({s.RedrawSpeed, s.SoundSpeed, s.Resize, s.Shuffle, s.Mute, s.UseEff}),
      std::vector<int32_t>({42, 5, 0, 1, 1, 0}));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Lumivane\\Demo", &key), ERROR_SUCCESS);
  // What code page 1252 lacks becomes '?'.
  EXPECT_EQ(QueryValue(key, "Title"), "1:" + std::string("Caf\xe9 \x80 ?\0", 9));
  RegCloseKey(key);

  // Saving a change leaves the file as regedit exports the same change.
  showState.settings.Mute = 0;
  SaveSettings();
  Wine({"reg", "add", kWineKey, "/v", "Mute", "/t", "REG_DWORD", "/d", "0", "/f"});
  EXPECT_EQ(ReadFileBytes(store), exportDemo());
}

}  // namespace
