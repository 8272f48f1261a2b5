// A top-level window shows its class's icon: its X window carries icon 100's
// pixels as _NET_WM_ICON, where window managers and task bars find it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/resource_ids.h"
#include "tests/support/child_process.h"

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The numbers after "=" in xprop's answer, printed as numbers rather than
// as a picture.
std::vector<unsigned long> Cardinals(const std::string& text) {
  std::vector<unsigned long> numbers;
  size_t equals = text.find('=');
  if (equals == std::string::npos) return numbers;
  std::istringstream in(text.substr(equals + 1));
  std::string item;
  while (std::getline(in, item, ','))
    numbers.push_back(std::strtoul(item.c_str(), nullptr, 10));
  return numbers;
}

TEST(WindowIconTest, TopLevelWindowShowsItsClassIcon) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0' ||
      std::system("command -v xprop >/dev/null && command -v xdotool >/dev/null") != 0) {
    GTEST_SKIP() << "needs an X display, xprop and xdotool";
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PlainProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  windowClass.lpszClassName = "WindowIconTest";
  ASSERT_NE(windowClass.hIcon, nullptr);
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  std::string title = "Window icon test " + std::to_string(getpid());
  HWND window = CreateWindowExA(0, "WindowIconTest", title.c_str(), WS_POPUP | WS_VISIBLE, 20, 20,
                                64, 48, nullptr, nullptr, instance, nullptr);
  ASSERT_NE(window, nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);

  ChildResult icon = RunChild({"/bin/sh", "-c",
                               "w=$(timeout 10 xdotool search --sync --name '^" + title +
                                   "$' | head -n 1) && xprop -id \"$w\" -notype -f _NET_WM_ICON "
                                   "32c ' = $0+' _NET_WM_ICON"});
  DestroyWindow(window);
  std::vector<unsigned long> numbers = Cardinals(icon.out);
  ASSERT_EQ(numbers.size(), 2u + 32 * 32) << icon.out.substr(0, 200) << icon.err;
  EXPECT_EQ(numbers[0], 32u);
  EXPECT_EQ(numbers[1], 32u);
  const unsigned long* pixels = numbers.data() + 2;  // 0xAARRGGBB, top row first
  // The corner is outside the frame: transparent. The frame's outer edge is
  // black, and the sun shines in pure yellow.
  EXPECT_EQ(pixels[0] >> 24, 0u);
  EXPECT_EQ(pixels[3 * 32 + 1], 0xFF000000u);
  bool sun = false;
  for (int i = 0; i < 32 * 32; ++i)
    sun = sun || pixels[i] == 0xFFFFFF00u;
  EXPECT_TRUE(sun);
}

}  // namespace
