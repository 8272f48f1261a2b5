// The player as a process of its own under Wine as Windows 98: the password
// gate and change against stand-ins for "PASSWORD.CPL" and "MPR.DLL" that log
// their calls.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/registry_values.h"
#include "tests/support/show_settings.h"
#include "tools/showpack/package_writer.h"

namespace {

// Wine reports Windows 98 to programs of this name.
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\lumivane98.scr";
constexpr char kDllOverrides[] = "Software\\Wine\\AppDefaults\\lumivane98.scr\\DllOverrides";

void Store(const char* path, const char* name, DWORD type, const std::string& data) {
  HKEY key = CreateKey(HKEY_CURRENT_USER, path);
  ASSERT_EQ(SetValue(key, name, type, data), ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetPasswordSwitch(DWORD on) {
  Store("Control Panel\\Desktop", "ScreenSaveUsePassword", REG_DWORD,
        std::string(reinterpret_cast<const char*>(&on), 4));
}

std::string Decimal(HWND window) {
  return std::to_string(uintptr_t(window));
}

class SaverProcessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Store(kAppDefaults, "Version", REG_SZ, std::string("win98", 6));
    // Wine has an "MPR.DLL" of its own; the one beside the player is wanted.
    Store(kDllOverrides, "mpr", REG_SZ, std::string("native", 7));
  }
  static void TearDownTestSuite() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kDllOverrides);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    SetPasswordSwitch(0);
  }

  void SetUp() override {
    std::string file = ReadFileBytes(ProgramDir() + "..\\lumivane.scr");
    ASSERT_FALSE(file.empty());
    const std::string show = UniqueShowName("ProcessTest");
    SetShowSetting(show, "UseEff", 0);
    SetShowSetting(show, "Mute", 1);
    std::string table;
    AppendRecord(table, ShowRecordType::ShowName, 0, 0, show + std::string(1, '\0'));
    WriteSolidRgbJpeg(dir_ / "picture.jpg", "\x20\x80\x20");
    uint32_t start = uint32_t(file.size());
    file += ReadFileBytes(dir_ / "picture.jpg");
    AppendRecord(table, ShowRecordType::Image, start, uint32_t(file.size()), "");
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    WriteFileBytes(saver_, file + table);
    CopyFileA((ProgramDir() + "standin_password.cpl").c_str(), (dir_ / "PASSWORD.CPL").c_str(),
              FALSE);
    CopyFileA((ProgramDir() + "standin_mpr.dll").c_str(), (dir_ / "MPR.DLL").c_str(), FALSE);
    SetEnv("LUMIVANE_STANDIN_LOG", dir_ / "standins.log");
  }

  std::string Log() { return ReadFileBytes(dir_ / "standins.log"); }

  ScratchDir dir_;
  const std::string saver_ = dir_ / "lumivane98.scr";
};

TEST_F(SaverProcessTest, ARefusedPasswordKeepsTheSaverAndHoldsTheNextCloseOff) {
  SetPasswordSwitch(1);
  SetEnv("LUMIVANE_STANDIN_ANSWERS", "01");
  auto child = std::async(std::launch::async, RunChild, std::vector<std::string>{saver_, "/s"});
  HWND saver = nullptr;
  for (int i = 0; i < 1500 && !(saver = FindWindowA("WindowsScreenSaverClass", nullptr)); ++i)
    Sleep(20);
  ASSERT_NE(saver, nullptr);
  // The second close comes within 200 ms of the refusal: turned away unasked.
  PostMessageA(saver, WM_KEYDOWN, 'A', 0);
  PostMessageA(saver, WM_KEYDOWN, 'B', 0);
  EXPECT_EQ(child.wait_for(std::chrono::milliseconds(1500)), std::future_status::timeout);
  const std::string verify = "verify window=" + Decimal(saver) + " saverWindow=1 answer=";
  EXPECT_EQ(Log(), verify + "0\n");
  PostMessageA(saver, WM_KEYDOWN, 'C', 0);
  ASSERT_EQ(child.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  EXPECT_EQ(child.get().exitCode, 0);
  EXPECT_EQ(Log(), verify + "0\n" + verify + "1\n");
  UnsetEnv("LUMIVANE_STANDIN_ANSWERS");
}

TEST_F(SaverProcessTest, ChangingThePasswordCallsTheProviderWithTheOwner) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  const std::string decimal = Decimal(owner);
  EXPECT_EQ(RunChild({saver_, "/a", decimal}).exitCode, 0);
  EXPECT_EQ(Log(), "change provider=SCRSAVE owner=" + decimal + " 0 0\n");
  DestroyWindow(owner);
}

}  // namespace
