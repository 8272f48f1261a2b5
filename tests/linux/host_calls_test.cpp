// What the Linux layer gives the host beyond the window calls, and how the
// Linux command line, xscreensaver's included, becomes the argument or a refusal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/xscreensaver_start.h"
#include "image/packed_dib.h"
#include "platform/win32.h"
#include "tests/support/child_process.h"

namespace {

// A bitmap that arrives through a pipe holds the loader in its reads, so the
// cursor can be looked at while the load goes on.
TEST(HostCallsTest, TheWaitCursorShowsWhileABitmapLoads) {
  // One blue pixel; pixel offset 0, as a pipe cannot seek.
  std::string bmp = std::string("BM") + std::string("\x3A\0\0\0", 4) + std::string(8, '\0') +
                    std::string("\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0", 16) +
                    std::string(24, '\0') + std::string("\xFF\0\0\0", 4);
  ScratchDir dir;
  const std::string pipe = dir / "picture.bmp";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  HCURSOR during = nullptr;
  std::thread writer([&] {
    int fd = open(pipe.c_str(), O_WRONLY);  // waits for the loader to open it
    EXPECT_EQ(write(fd, bmp.data(), 2), 2);
    for (int i = 0; i < 200 && GetCursor() != wait; ++i)
      usleep(10000);
    during = GetCursor();
    EXPECT_EQ(write(fd, bmp.data() + 2, bmp.size() - 2), ssize_t(bmp.size() - 2));
    close(fd);
  });
  SetCursor(nullptr);
  PackedDib dib = LoadPackedDib(pipe.c_str());
  writer.join();
  EXPECT_EQ(during, wait);
  EXPECT_NE(dib, nullptr);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  FreePackedDib(dib);
}

// The argument SaverMain gets, or the start's refusal.
std::string Start(const std::vector<std::string>& args, const char* variable = nullptr) {
  std::string line;
  for (const std::string& arg : args)
    line += (line.empty() ? "" : " ") + arg;
  LinuxStart start = ChooseLinuxStart(args, variable, line.c_str());
  return start.refusal.empty() ? start.argument : "refused: " + start.refusal;
}

// Arguments, XSCREENSAVER_WINDOW (none when empty), and the argument SaverMain
// gets, or the refusal, which goes on with the forms the start takes.
TEST(LinuxStartTest, XscreensaverOptionsBecomeAPreviewOrTheWholeScreenOthersStayOrAreRefused) {
  const std::string forms =
      "; it takes --root or -root (the window in XSCREENSAVER_WINDOW, else the whole screen), "
      "--window-id ID or -window-id ID (decimal or 0x-hex), or /s, /p ID, /c";
  const char* cases[][3] = {
      {"--root", "0x2e00003", "/p 48234499"},
      {"--root", "", "/s"},
      {"", "77", "/p 77"},
      {"--window-id 4194311", "", "/p 4194311"},
      {"-window-id 0X40000A -root", "12", "/p 4194314"},
      {"/s", "77", "/s"},
      {"-S", "", "-S"},
      {"", "", ""},
      {"--help", "", "refused: unknown argument \"--help\""},
      {"/p", "", "refused: \"/p\" names no window"},
      {"--window-id", "", "refused: --window-id without a window id"},
      {"--root", "none", "refused: XSCREENSAVER_WINDOW \"none\" is not a window id"},
      {"--window-id 0x", "", "refused: --window-id \"0x\" is not a window id"},
      {"--window-id -5", "", "refused: --window-id \"-5\" is not a window id"},
      {"--window-id 0", "", "refused: --window-id \"0\" is not a window id"},
      {"--window-id 0x1FFFFFFFF", "", "refused: --window-id \"0x1FFFFFFFF\" is not a window id"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c[0]);
    std::vector<std::string> args{std::istream_iterator<std::string>(in), {}};
    std::string expected = c[2];
    if (expected.rfind("refused: ", 0) == 0) expected += forms;
    EXPECT_EQ(Start(args, *c[1] != '\0' ? c[1] : nullptr), expected) << c[0] << " " << c[1];
  }
  EXPECT_EQ(Start({"--window-id", ""}), "refused: --window-id \"\" is not a window id" + forms);
}

}  // namespace
