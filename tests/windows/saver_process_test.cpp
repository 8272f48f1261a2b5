// The player as a process of its own under Wine, with the test as the rest of
// the desktop: it posts keys to the full-screen saver, gives the preview a
// window to draw in, and, with Wine reporting Windows 98 to the player, checks
// the password gate and change against stand-ins for "PASSWORD.CPL" and
// "MPR.DLL" that log their calls.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"
#include "tools/showpack/package_writer.h"

namespace {

// Wine reports Windows 98 to programs of this name.
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\lumivane98.scr";
constexpr char kDllOverrides[] = "Software\\Wine\\AppDefaults\\lumivane98.scr\\DllOverrides";

using Lines = std::vector<std::string>;

std::string Decimal(HWND window) {
  return std::to_string(uintptr_t(window));
}

void SetValue(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

void SetPasswordSwitch(DWORD on) {
  SetValue("Control Panel\\Desktop", "ScreenSaveUsePassword", REG_DWORD, &on, sizeof on);
}

// Runs the message loop of the test's windows until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  for (DWORD start = GetTickCount(); !done(); Sleep(20)) {
    if (GetTickCount() - start > milliseconds) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
  }
  return true;
}

class SaverProcessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetValue(kAppDefaults, "Version", REG_SZ, "win98", 6);
    // Wine has an "MPR.DLL" of its own; the one beside the player is wanted.
    SetValue(kDllOverrides, "mpr", REG_SZ, "native", 7);
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
    JpegPicture picture;
    WriteJpeg(dir_ / "picture.jpg", picture, SolidRows(picture.width, "\x20\x80\x20"));
    uint32_t start = uint32_t(file.size());
    file += ReadFileBytes(dir_ / "picture.jpg");
    AppendRecord(table, ShowRecordType::Image, start, uint32_t(file.size()), "");
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    WriteFileBytes(saver_, file + table);
    WriteFileBytes(saver98_, file + table);
    CopyFileA((ProgramDir() + "standin_password.cpl").c_str(), (dir_ / "PASSWORD.CPL").c_str(),
              FALSE);
    CopyFileA((ProgramDir() + "standin_mpr.dll").c_str(), (dir_ / "MPR.DLL").c_str(), FALSE);
    SetEnv("LUMIVANE_STANDIN_LOG", dir_ / "standins.log");
    SetPasswordSwitch(0);
  }

  void TearDown() override { UnsetEnv("LUMIVANE_STANDIN_ANSWERS"); }

  static std::future<ChildResult> Start(const std::vector<std::string>& command) {
    return std::async(std::launch::async, RunChild, command);
  }

  static bool Ended(std::future<ChildResult>& child, DWORD milliseconds) {
    return PumpUntil(
        [&] { return child.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        milliseconds);
  }
  static bool EndsWell(std::future<ChildResult>& child, DWORD milliseconds) {
    return Ended(child, milliseconds) && child.get().exitCode == 0;
  }

  // The full-screen window of the player, not of this process.
  static HWND WaitForSaver() {
    HWND saver = nullptr;
    PumpUntil(
        [&] {
          saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
          DWORD process = 0;
          if (saver != nullptr) GetWindowThreadProcessId(saver, &process);
          return process != 0 && process != GetCurrentProcessId();
        },
        30000);
    return saver;
  }

  Lines LogLines() {
    Lines lines;
    std::istringstream in(ReadFileBytes(dir_ / "standins.log"));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }

  ScratchDir dir_;
  const std::string saver_ = dir_ / "lumivane.scr";
  const std::string saver98_ = dir_ / "lumivane98.scr";
};

TEST_F(SaverProcessTest, FullScreenRunsUntilAKeyAndASecondStartLeavesItAlone) {
  auto first = Start({saver_, "/s"});
  HWND saver = WaitForSaver();
  ASSERT_NE(saver, nullptr);
  RECT client;
  GetClientRect(saver, &client);
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(client.bottom, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(RunChild({saver_, "-S"}).exitCode, 0);
  EXPECT_TRUE(IsWindow(saver));
  EXPECT_FALSE(Ended(first, 300));
  PostMessageA(saver, WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(EndsWell(first, 30000));
}

TEST_F(SaverProcessTest, PreviewDrawsInAWindowOfAnotherProcessUntilItGoes) {
  HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP | WS_VISIBLE, 0, 0, 240, 180,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  auto child = Start({saver_, "/l" + Decimal(parent)});
  HWND preview = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (preview = GetWindow(parent, GW_CHILD)) != nullptr; }, 30000));
  char text[32] = {}, className[64] = {};
  GetWindowTextA(preview, text, sizeof text);
  GetClassNameA(preview, className, sizeof className);
  EXPECT_STREQ(text, "Preview");
  EXPECT_STREQ(className, "WindowsScreenSaverClass");
  RECT client;
  GetClientRect(preview, &client);
  EXPECT_EQ(client.right, 240);
  EXPECT_EQ(client.bottom, 180);
  PostMessageA(preview, WM_KEYDOWN, 'A', 0);
  PostMessageA(preview, WM_LBUTTONDOWN, 0, 0);
  EXPECT_FALSE(Ended(child, 1000)) << "a preview never closes on input";
  DestroyWindow(parent);
  EXPECT_TRUE(EndsWell(child, 30000));
}

// With the switch off on Windows 98, or on with the player outside the
// family (under its own name), a key ends the saver without asking.
TEST_F(SaverProcessTest, WithTheSwitchOffOrOutsideTheFamilyAKeyEndsTheSaverAtOnce) {
  for (bool win98 : {true, false}) {
    SetPasswordSwitch(win98 ? 0 : 1);
    auto child = Start({win98 ? saver98_ : saver_, "/s"});
    HWND saver = WaitForSaver();
    ASSERT_NE(saver, nullptr);
    PostMessageA(saver, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(EndsWell(child, 30000)) << win98;
    EXPECT_EQ(LogLines(), Lines()) << win98;
  }
}

TEST_F(SaverProcessTest, ARefusedPasswordKeepsTheSaverAndHoldsTheNextCloseOff) {
  SetPasswordSwitch(1);
  SetEnv("LUMIVANE_STANDIN_ANSWERS", "01");
  auto child = Start({saver98_, "/s"});
  HWND saver = WaitForSaver();
  ASSERT_NE(saver, nullptr);
  // The second close comes within 200 ms of the refusal: turned away unasked.
  PostMessageA(saver, WM_KEYDOWN, 'A', 0);
  PostMessageA(saver, WM_KEYDOWN, 'B', 0);
  EXPECT_FALSE(Ended(child, 1500));
  const std::string verify = "verify window=" + Decimal(saver) + " saverWindow=1 answer=";
  EXPECT_EQ(LogLines(), Lines({verify + "0"}));
  PostMessageA(saver, WM_KEYDOWN, 'C', 0);
  EXPECT_TRUE(EndsWell(child, 30000));
  EXPECT_EQ(LogLines(), Lines({verify + "0", verify + "1"}));
}

TEST_F(SaverProcessTest, ChangingThePasswordCallsTheProviderWithTheOwner) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(RunChild({saver98_, "/a", Decimal(owner)}).exitCode, 0);
  EXPECT_EQ(LogLines(), Lines({"change provider=SCRSAVE owner=" + Decimal(owner) + " 0 0"}));
  DestroyWindow(owner);
  // Without a window of that number the foreground window owns it.
  EXPECT_EQ(RunChild({saver98_, "-A", "99999999"}).exitCode, 0);
  EXPECT_EQ(LogLines().size(), 2u);
}

}  // namespace
