// The player as a process of its own, under Wine, with the test as the rest
// of the desktop: it closes the full-screen saver by posting keys to it,
// gives the preview a window of its own to draw in, and, with Wine reporting
// Windows 98 to the player, checks the password gate and the password change
// against stand-ins for "PASSWORD.CPL" and "MPR.DLL" that log their calls.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"
#include "tools/showpack/package_writer.h"

namespace {

// Wine reports Windows 98 to programs of this name.
constexpr char kWin98Name[] = "lumivane98.scr";
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\lumivane98.scr";
constexpr char kDllOverrides[] = "Software\\Wine\\AppDefaults\\lumivane98.scr\\DllOverrides";

std::string Decimal(HWND window) {
  return std::to_string(uintptr_t(window));
}

void SetStringValue(HKEY root, const char* path, const char* name, const char* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                 DWORD(strlen(value) + 1));
  RegCloseKey(key);
}

void SetPasswordSwitch(DWORD on) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on),
                 sizeof on);
  RegCloseKey(key);
}

// Runs the message loop of the test's windows until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    Sleep(20);
  }
  return true;
}

HWND FindSaverOfOtherProcess() {
  HWND window = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
  DWORD process = 0;
  if (window != nullptr) GetWindowThreadProcessId(window, &process);
  return process != 0 && process != GetCurrentProcessId() ? window : nullptr;
}

class SaverProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string file = ReadFileBytes(ProgramDir() + "..\\lumivane.scr");
    ASSERT_FALSE(file.empty());
    show_ = UniqueShowName("ProcessTest");
    SetShowSetting(show_, "UseEff", 0);
    SetShowSetting(show_, "Mute", 1);
    std::string table;
    AppendRecord(table, ShowRecordType::ShowName, 0, 0, show_ + std::string(1, '\0'));
    JpegPicture picture;
    std::string jpeg = dir_ / "picture.jpg";
    WriteJpeg(jpeg, picture, SolidRows(picture.width, "\x20\x80\x20"));
    uint32_t start = uint32_t(file.size());
    file += ReadFileBytes(jpeg);
    AppendRecord(table, ShowRecordType::Image, start, uint32_t(file.size()), "");
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    saver_ = dir_ / "lumivane.scr";
    WriteFileBytes(saver_, file + table);
    saver98_ = dir_ / kWin98Name;
    WriteFileBytes(saver98_, file + table);
  }

  std::future<ChildResult> Start(const std::vector<std::string>& command) {
    return std::async(std::launch::async, RunChild, command);
  }

  static bool Ended(std::future<ChildResult>& child, DWORD milliseconds) {
    return PumpUntil(
        [&] { return child.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        milliseconds);
  }

  ScratchDir dir_;
  std::string show_;
  std::string saver_;
  std::string saver98_;
};

TEST_F(SaverProcessTest, FullScreenRunsUntilAKeyAndASecondStartLeavesItAlone) {
  auto first = Start({saver_, "/s"});
  HWND saver = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (saver = FindSaverOfOtherProcess()) != nullptr; }, 30000));
  RECT client;
  GetClientRect(saver, &client);
  EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(client.bottom, GetSystemMetrics(SM_CYSCREEN));

  ChildResult second = RunChild({saver_, "-S"});
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_TRUE(IsWindow(saver));
  EXPECT_FALSE(Ended(first, 300));

  PostMessageA(saver, WM_KEYDOWN, 'A', 0);
  ASSERT_TRUE(Ended(first, 30000));
  EXPECT_EQ(first.get().exitCode, 0);
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(SaverProcessTest, PreviewDrawsInAWindowOfAnotherProcessUntilItGoes) {
  WNDCLASSA parentClass = {};
  parentClass.lpfnWndProc = ParentProc;
  parentClass.hInstance = GetModuleHandleA(nullptr);
  parentClass.lpszClassName = "LumivaneProcessTestParent";
  RegisterClassA(&parentClass);
  HWND parent = CreateWindowExA(0, "LumivaneProcessTestParent", "parent", WS_POPUP | WS_VISIBLE, 0,
                                0, 240, 180, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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
  ASSERT_TRUE(Ended(child, 30000));
  EXPECT_EQ(child.get().exitCode, 0);
}

// The Windows 98 player with the stand-in components beside it.
class PasswordTest : public SaverProcessTest {
 protected:
  static void SetUpTestSuite() {
    SetStringValue(HKEY_CURRENT_USER, kAppDefaults, "Version", "win98");
    // Wine has an "MPR.DLL" of its own; the one beside the player is wanted.
    SetStringValue(HKEY_CURRENT_USER, kDllOverrides, "mpr", "native");
  }
  static void TearDownTestSuite() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kDllOverrides);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    SetPasswordSwitch(0);
  }

  void SetUp() override {
    SaverProcessTest::SetUp();
    CopyFileA((ProgramDir() + "standin_password.cpl").c_str(), (dir_ / "PASSWORD.CPL").c_str(),
              FALSE);
    CopyFileA((ProgramDir() + "standin_mpr.dll").c_str(), (dir_ / "MPR.DLL").c_str(), FALSE);
    log_ = dir_ / "standins.log";
    SetEnv("LUMIVANE_STANDIN_LOG", log_);
  }

  void TearDown() override {
    UnsetEnv("LUMIVANE_STANDIN_LOG");
    UnsetEnv("LUMIVANE_STANDIN_ANSWERS");
  }

  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileBytes(log_));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }

  HWND WaitForSaver() {
    HWND saver = nullptr;
    PumpUntil([&] { return (saver = FindSaverOfOtherProcess()) != nullptr; }, 30000);
    return saver;
  }

  std::string log_;
};

// With the switch off, or on a system outside the Windows 95 family (the
// player under its own name), a key ends the saver without asking.
TEST_F(PasswordTest, WithTheSwitchOffOrOutsideTheFamilyAKeyEndsTheSaverAtOnce) {
  for (const auto& [saver98, on] : {std::pair<bool, DWORD>{true, 0}, {false, 1}}) {
    SetPasswordSwitch(on);
    auto child = Start({saver98 ? saver98_ : saver_, "/s"});
    HWND saver = WaitForSaver();
    ASSERT_NE(saver, nullptr);
    PostMessageA(saver, WM_KEYDOWN, 'A', 0);
    ASSERT_TRUE(Ended(child, 30000)) << saver98;
    EXPECT_EQ(child.get().exitCode, 0);
    EXPECT_TRUE(LogLines().empty()) << saver98;
  }
  SetPasswordSwitch(0);
}

TEST_F(PasswordTest, ARefusedPasswordKeepsTheSaverAndHoldsTheNextCloseOff) {
  SetPasswordSwitch(1);
  SetEnv("LUMIVANE_STANDIN_ANSWERS", "01");
  auto child = Start({saver98_, "/s"});
  HWND saver = WaitForSaver();
  ASSERT_NE(saver, nullptr);
  // Two presses at once: the second close comes within 200 ms of the
  // refusal and is turned away without asking.
  PostMessageA(saver, WM_KEYDOWN, 'A', 0);
  PostMessageA(saver, WM_KEYDOWN, 'B', 0);
  EXPECT_FALSE(Ended(child, 1500));
  const std::string window = "window=" + Decimal(saver) + " saverWindow=1";
  EXPECT_EQ(LogLines(), std::vector<std::string>({"verify " + window + " answer=0"}));
  // Later a press asks again, and the right password ends the saver.
  PostMessageA(saver, WM_KEYDOWN, 'C', 0);
  ASSERT_TRUE(Ended(child, 30000));
  EXPECT_EQ(child.get().exitCode, 0);
  EXPECT_EQ(LogLines(), std::vector<std::string>(
                            {"verify " + window + " answer=0", "verify " + window + " answer=1"}));
}

TEST_F(PasswordTest, ChangingThePasswordCallsTheProviderWithTheOwner) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  auto child = Start({saver98_, "/a", Decimal(owner)});
  ASSERT_TRUE(Ended(child, 30000));
  EXPECT_EQ(child.get().exitCode, 0);
  EXPECT_EQ(LogLines(),
            std::vector<std::string>({"change provider=SCRSAVE owner=" + Decimal(owner) + " 0 0"}));
  DestroyWindow(owner);

  // Without a window of that number: the foreground window owns it.
  ChildResult r = RunChild({saver98_, "-A", "99999999"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(LogLines().size(), 2u);
}

}  // namespace
