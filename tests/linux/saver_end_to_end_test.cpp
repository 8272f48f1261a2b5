// The player as its users see it on an X display, read back from the screen
// and driven with xdotool; with LUMIVANE_E2E_WINDOWS_BUILD naming the Windows
// build's folder, its lumivane.scr runs under that build's Wine.
#include <gtest/gtest.h>
// After gtest, whose headers use names that Xlib defines as macros.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kWindowsBuild = std::getenv("LUMIVANE_E2E_WINDOWS_BUILD");
const bool kWine = kWindowsBuild != nullptr;

void Pause(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A program started without waiting, its output in a file; killed at the end.
struct Running {
  Running(std::vector<std::string> args, const std::string& out) : out(out) {
    args.insert(args.begin(), {"/bin/sh", "-c", "exec \"$@\" >\"$0\" 2>&1", out});
    std::vector<char*> argv;
    for (std::string& arg : args)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0) << args[4];
  }
  ~Running() {
    if (WaitExit(0) == -1000) kill(pid, SIGKILL);
    WaitExit(15000);
  }
  // The exit code; -1000 while it runs, -2000 if a signal ended it.
  int WaitExit(int ms) {
    for (int status; code == -1000 && pid > 0 && ms >= 0; Pause(ms > 0 ? 50 : 0), ms -= 50)
      if (waitpid(pid, &status, WNOHANG) == pid)
        code = WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
    return code;
  }
  std::string Output() const { return ReadFileBytes(out); }

  std::string out;
  pid_t pid = -1;
  int code = -1000;
};

using Point = std::pair<int, int>;

class SaverEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
    player_ = kWine ? std::string(kWindowsBuild) + "/lumivane.scr" : ProgramDir() + "../lumivane";
    // A runtime folder of the test's own for the sound server's client.
    fs::create_directories(scratch_ / "run");
    fs::permissions(scratch_ / "run", fs::perms::owner_all);
    SetEnv("XDG_RUNTIME_DIR", scratch_ / "run");
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    const int w = DisplayWidth(display_, 0), h = DisplayHeight(display_, 0);
    wholeScreen_ = {{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}, {w / 2, h / 2}};

    WriteSolidRgbJpeg(scratch_ / "red.jpg", std::string("\xff\x00\x00", 3));
    show_ = UniqueShowName("EndToEnd");
    saver_ = scratch_ / (kWine ? "saver.scr" : "saver");
    ChildResult r = RunChild({BuildProgram("showpack"), "create", "-o", saver_, "--player", player_,
                              "--name", show_, "--title", "End to end", scratch_ / "red.jpg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }

  void TearDown() override {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  std::unique_ptr<Running> Start(const std::vector<std::string>& args) {
    std::vector<std::string> command = {saver_};
    if (kWine) command.insert(command.begin(), std::string(kWindowsBuild) + "/wine-run");
    command.insert(command.end(), args.begin(), args.end());
    return std::make_unique<Running>(command, scratch_ / ("log" + std::to_string(runs_++)));
  }

  // Until every point shows the picture's red, give or take JPEG's error.
  ::testing::AssertionResult WaitForRed(const std::vector<Point>& points, int seconds = 30) {
    for (auto end = Clock::now() + std::chrono::seconds(seconds);; Pause(100)) {
      std::ostringstream seen;
      for (auto [x, y] : points) {
        XImage* image =
            XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return ::testing::AssertionFailure() << "cannot read the screen";
        unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        if (pixel < 0xE70000 || (pixel >> 8 & 255) > 24 || (pixel & 255) > 24)
          seen << std::hex << pixel << " ";
      }
      if (seen.str().empty()) return ::testing::AssertionSuccess();
      if (Clock::now() >= end)
        return ::testing::AssertionFailure() << "the screen shows " << seen.str();
    }
  }

  ScratchDir scratch_;
  std::string player_, show_, saver_;
  Display* display_ = nullptr;
  std::vector<Point> wholeScreen_;
  int runs_ = 0;
};

// Which input ends it, the saver window's own test checks; that it arrives,
// the display test.
TEST_F(SaverEndToEndTest, ASecondStartLeavesAtOnceAndAKeyEndsTheFirst) {
  auto first = Start({"/s"});
  ASSERT_TRUE(WaitForRed(wholeScreen_)) << first->Output();
  auto second = Start({"/s"});
  EXPECT_EQ(second->WaitExit(20000), 0) << second->Output();
  ASSERT_EQ(RunChild({"/usr/bin/xdotool", "key", "Escape"}).exitCode, 0);
  EXPECT_EQ(first->WaitExit(15000), 0) << first->Output();
}

// Under Wine the saver process test gives the preview its window; that a
// preview ignores input, the saver window test checks.
TEST_F(SaverEndToEndTest, APreviewDrawsInsideItsParentAndEndsWithIt) {
  if (kWine) GTEST_SKIP() << "Wine draws into another process's window only with its help";
  Window parent = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 100, 120, 320, 240, 0,
                                      0, WhitePixel(display_, 0));
  XMapWindow(display_, parent);
  XSync(display_, False);
  auto preview = Start({"/p", std::to_string(parent)});
  ASSERT_TRUE(WaitForRed({{102, 122}, {417, 357}})) << preview->Output();
  EXPECT_FALSE(WaitForRed({{440, 380}}, 0)) << "drawn outside";
  XDestroyWindow(display_, parent);
  XSync(display_, False);
  EXPECT_EQ(preview->WaitExit(15000), 0) << preview->Output();
}

}  // namespace
