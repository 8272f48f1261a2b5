// The player as its users see it, on an X display: a show of solid-colour
// pictures appended to the player, started as a screen saver, looked at
// through screenshots and driven with xdotool as a person would.
//
// The same cases run the native player and, when LUMIVANE_E2E_WINDOWS_BUILD
// names the Windows build's folder, its lumivane.scr under that build's Wine
// (through its wine-run script). The test needs the display to itself: it is
// registered to run alone.
#include <gtest/gtest.h>
// After gtest, whose headers use names that Xlib defines as macros.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Rgb {
  int r, g, b;
};

constexpr Rgb kRed = {255, 0, 0};
constexpr Rgb kBlue = {0, 0, 255};

// Where the player under test lives and how it is started.
struct PlayerBuild {
  bool wine = false;
  std::string player;    // the player without a show
  std::string launcher;  // wine-run, or empty
  std::string suffix;    // ".scr" or ""
};

// The Windows build's folder; empty for the native player.
std::string WindowsBuild() {
  const char* windows = std::getenv("LUMIVANE_E2E_WINDOWS_BUILD");
  return windows != nullptr ? windows : "";
}

PlayerBuild ThePlayerBuild() {
  PlayerBuild build;
  if (!WindowsBuild().empty()) {
    build.wine = true;
    build.player = WindowsBuild() + "/lumivane.scr";
    build.launcher = WindowsBuild() + "/wine-run";
    build.suffix = ".scr";
  } else {
    build.player = ProgramDir() + "../lumivane";
  }
  return build;
}

// RunChild takes a path: a tool of the system by name, found on PATH.
std::string Tool(const std::string& name) {
  std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin");
  std::string folder;
  while (std::getline(path, folder, ':')) {
    if (access((folder + "/" + name).c_str(), X_OK) == 0) return folder + "/" + name;
  }
  return name;
}

bool Near(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) <= 24 && std::abs(a.g - b.g) <= 24 && std::abs(a.b - b.b) <= 24;
}

std::string Describe(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// The whole screen, read back through ImageMagick's import.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::string pixels;  // RGB rows, top first

  Rgb At(int x, int y) const {
    size_t i = (size_t(y) * width + x) * 3;
    return {uint8_t(pixels[i]), uint8_t(pixels[i + 1]), uint8_t(pixels[i + 2])};
  }
};

Screenshot TakeScreenshot(const std::string& path) {
  Screenshot shot;
  ChildResult r = RunChild({Tool("import"), "-window", "root", "-depth", "8", "ppm:" + path});
  if (r.exitCode != 0) return shot;
  std::string data = ReadFileBytes(path);
  std::istringstream in(data);
  std::string magic;
  int maxValue = 0;
  in >> magic >> shot.width >> shot.height >> maxValue;
  in.get();
  if (magic != "P6" || maxValue != 255 || shot.width <= 0 || shot.height <= 0) return Screenshot{};
  size_t size = size_t(shot.width) * shot.height * 3;
  size_t start = size_t(in.tellg());
  if (data.size() < start + size) return Screenshot{};
  shot.pixels = data.substr(start, size);
  return shot;
}

struct Point {
  int x, y;
};

// Polls the screen until every point shows the colour; false after the
// timeout, with the last colours seen in *seen.
bool WaitForColour(const std::string& shotPath, const std::vector<Point>& points, Rgb colour,
                   int timeoutMs, std::string* seen) {
  auto start = Clock::now();
  auto end = start + std::chrono::milliseconds(timeoutMs);
  std::string history;
  do {
    Screenshot shot = TakeScreenshot(shotPath);
    if (!shot.pixels.empty()) {
      bool all = true;
      std::string now;
      for (Point p : points) {
        Rgb c = shot.At(p.x, p.y);
        now += Describe(c) + " ";
        all = all && Near(c, colour);
      }
      if (all) return true;
      // What the screen went through, for the failure's message.
      if (now != *seen) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        history += "\n  at " + std::to_string(ms.count()) + " ms: " + now;
        *seen = now;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  } while (Clock::now() < end);
  *seen += history;
  return false;
}

// A program started without waiting; killed if still running at the end.
class Running {
 public:
  Running(const std::vector<std::string>& args, const std::string& outPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Running() {
    if (pid_ > 0 && !done_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  // The exit code once the program ended within the time; -1000 if it still
  // runs, -2000 if a signal ended it.
  int WaitExit(int timeoutMs) {
    auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done_) {
      int status = 0;
      pid_t got = waitpid(pid_, &status, WNOHANG);
      if (got == pid_) {
        done_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2000;
        break;
      }
      if (Clock::now() >= end) return -1000;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return code_;
  }

  bool StillRunning() { return WaitExit(0) == -1000; }

 private:
  pid_t pid_ = -1;
  bool done_ = false;
  int code_ = 0;
};

void Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> command = {Tool("xdotool")};
  command.insert(command.end(), args.begin(), args.end());
  ChildResult r = RunChild(command);
  ASSERT_EQ(r.exitCode, 0) << r.err;
}

class SaverEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display";
    build_ = ThePlayerBuild();
    ASSERT_TRUE(fs::exists(build_.player)) << build_.player;
    for (const char* name : {"TMPDIR", "TMP", "TEMP", "XDG_RUNTIME_DIR"}) {
      const char* value = std::getenv(name);
      savedTmp_.push_back({name, value != nullptr ? value : ""});
    }
    fs::create_directories(scratch_ / "tmp");
    // The players' temporary files go where the test can see them.
    UseTempFolder(scratch_ / "tmp");
    // Without a runtime folder the sound server's client library makes one in
    // TMPDIR, which is no file of the player's.
    fs::create_directories(scratch_ / "run");
    fs::permissions(scratch_ / "run", fs::perms::owner_all);
    SetEnv("XDG_RUNTIME_DIR", scratch_ / "run");
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr);
    screen_ = {DisplayWidth(display_, DefaultScreen(display_)),
               DisplayHeight(display_, DefaultScreen(display_))};
    MakeShow();
    // Every case starts with the pointer in one known place.
    Xdotool({"mousemove", "500", "400"});
  }

  void TearDown() override {
    if (display_ != nullptr) XCloseDisplay(display_);
    for (const auto& [name, value] : savedTmp_) {
      if (value.empty()) {
        UnsetEnv(name);
      } else {
        SetEnv(name, value);
      }
    }
  }

  // Two solid pictures, red first, in a 4:3 shape that fits the screen whole.
  void MakeShow() {
    WriteSolidRgbJpeg(scratch_ / "red.jpg", std::string("\xff\x00\x00", 3));
    WriteSolidRgbJpeg(scratch_ / "blue.jpg", std::string("\x00\x00\xff", 3));
    showName_ = UniqueShowName("EndToEnd");
    saver_ = scratch_ / ("saver" + build_.suffix);
    ChildResult r = RunChild({BuildProgram("showpack"), "create", "-o", saver_, "--player",
                              build_.player, "--name", showName_, "--title", "End to end",
                              scratch_ / "red.jpg", scratch_ / "blue.jpg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }

  std::vector<std::string> Command(const std::vector<std::string>& args) const {
    std::vector<std::string> command;
    if (build_.wine) command.push_back(build_.launcher);
    command.push_back(saver_);
    command.insert(command.end(), args.begin(), args.end());
    return command;
  }

  std::unique_ptr<Running> Start(const std::vector<std::string>& args) {
    auto running =
        std::make_unique<Running>(Command(args), scratch_ / ("log" + std::to_string(runs_++)));
    EXPECT_TRUE(running->Started());
    return running;
  }

  std::string Log(int run) const { return ReadFileBytes(scratch_ / ("log" + std::to_string(run))); }

  // The corners and the middle of the screen.
  std::vector<Point> WholeScreen() const {
    return {{1, 1},
            {screen_.x - 2, 1},
            {1, screen_.y - 2},
            {screen_.x - 2, screen_.y - 2},
            {screen_.x / 2, screen_.y / 2}};
  }

  // Starts the saver full screen and waits until its first picture covers
  // the screen.
  std::unique_ptr<Running> StartFullScreen() {
    auto saver = Start({"/s"});
    std::string seen;
    if (!WaitForColour(scratch_ / "shot.ppm", WholeScreen(), kRed, 30000, &seen)) {
      ADD_FAILURE() << "screen shows " << seen << (saver->StillRunning() ? "" : "; the saver ended")
                    << "\n"
                    << Log(runs_ - 1) << RunChild({Tool("xwininfo"), "-root", "-tree"}).out;
    }
    return saver;
  }

  // Long enough for the player to have reacted to input it should ignore.
  static void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(1500)); }

  PlayerBuild build_;
  ScratchDir scratch_;
  std::vector<std::pair<std::string, std::string>> savedTmp_;
  Display* display_ = nullptr;
  Point screen_{};
  std::string showName_;
  std::string saver_;
  int runs_ = 0;
};

TEST_F(SaverEndToEndTest, ShowsTheFirstPictureFullScreenAndAKeyEndsIt) {
  auto saver = StartFullScreen();
  ASSERT_TRUE(saver->StillRunning());
  Xdotool({"key", "space"});
  EXPECT_EQ(saver->WaitExit(15000), 0) << Log(0);
}

TEST_F(SaverEndToEndTest, SmallMovesAddUpUntilTheyPassFourPixels) {
  auto saver = StartFullScreen();
  // 3 right and 1 down: 4 pixels in all, within the threshold.
  Xdotool({"mousemove", "503", "401"});
  Settle();
  ASSERT_TRUE(saver->StillRunning()) << Log(0);
  Xdotool({"mousemove", "504", "401"});
  EXPECT_EQ(saver->WaitExit(15000), 0) << Log(0);
}

TEST_F(SaverEndToEndTest, TheWheelDoesNotEndItAButtonDoes) {
  auto saver = StartFullScreen();
  Xdotool({"click", "4"});
  Xdotool({"click", "5"});
  Settle();
  ASSERT_TRUE(saver->StillRunning()) << Log(0);
  Xdotool({"click", "1"});
  EXPECT_EQ(saver->WaitExit(15000), 0) << Log(0);
}

// Natively, another X client takes the focus. Wine leaves the focus of its
// windows to a window manager, which Xvfb lacks, so there the other program
// is a Windows one whose window comes to the foreground.
TEST_F(SaverEndToEndTest, AnotherProgramTakingTheFocusEndsIt) {
  auto saver = StartFullScreen();
  if (build_.wine) {
    std::string stopFile = scratch_ / "stop-other";
    Running other({build_.launcher, WindowsBuild() + "/bin/preview_parent.exe", "Z:" + stopFile},
                  scratch_ / "other.txt");
    EXPECT_EQ(saver->WaitExit(30000), 0) << Log(0);
    WriteFileBytes(stopFile, "stop");
    EXPECT_EQ(other.WaitExit(15000), 0);
    return;
  }
  Window other =
      XCreateSimpleWindow(display_, DefaultRootWindow(display_), 10, 10, 50, 50, 0, 0, 0);
  XMapWindow(display_, other);
  XSync(display_, False);
  // Mapping takes a moment; focus can only go to a viewable window.
  for (int i = 0; i < 50; ++i) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, other, &attributes);
    if (attributes.map_state == IsViewable) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  XSetInputFocus(display_, other, RevertToParent, CurrentTime);
  XSync(display_, False);
  EXPECT_EQ(saver->WaitExit(15000), 0) << Log(0);
  XDestroyWindow(display_, other);
  XSync(display_, False);
}

TEST_F(SaverEndToEndTest, ASecondFullScreenStartLeavesAtOnceAndTheFirstGoesOn) {
  auto first = StartFullScreen();
  auto second = Start({"/s"});
  EXPECT_EQ(second->WaitExit(20000), 0) << Log(1);
  Settle();
  ASSERT_TRUE(first->StillRunning()) << Log(0);
  std::string seen;
  EXPECT_TRUE(WaitForColour(scratch_ / "shot.ppm", WholeScreen(), kRed, 5000, &seen)) << seen;
  Xdotool({"key", "Escape"});
  EXPECT_EQ(first->WaitExit(15000), 0) << Log(0);
}

// The preview's parent: an X window of the test's own natively; under Wine a
// window of a small Windows program, which prints its handle and the client
// area's place on the screen, and closes itself when a file appears.
struct PreviewParent {
  std::string handle;  // decimal, as the control panel passes it
  int x = 0, y = 0, width = 0, height = 0;
};

TEST_F(SaverEndToEndTest, APreviewDrawsInsideItsParentIgnoresInputAndEndsWithIt) {
  PreviewParent parent;
  Window xParent = 0;
  std::unique_ptr<Running> wineParent;
  std::string stopFile = scratch_ / "stop-parent";
  if (build_.wine) {
    std::string printed = scratch_ / "parent.txt";
    wineParent = std::make_unique<Running>(
        std::vector<std::string>{build_.launcher, WindowsBuild() + "/bin/preview_parent.exe",
                                 "Z:" + stopFile},
        printed);
    auto end = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < end) {
      std::istringstream in(ReadFileBytes(printed));
      if (in >> parent.handle >> parent.x >> parent.y >> parent.width >> parent.height) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_GT(parent.width, 0) << ReadFileBytes(printed);
  } else {
    parent = {"", 100, 120, 320, 240};
    XSetWindowAttributes attributes{};
    attributes.background_pixel = WhitePixel(display_, DefaultScreen(display_));
    attributes.override_redirect = True;
    xParent = XCreateWindow(display_, DefaultRootWindow(display_), parent.x, parent.y, parent.width,
                            parent.height, 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWOverrideRedirect, &attributes);
    XMapWindow(display_, xParent);
    XSync(display_, False);
    parent.handle = std::to_string(xParent);
  }

  auto preview = Start({"/p", parent.handle});
  std::vector<Point> inside = {{parent.x + 2, parent.y + 2},
                               {parent.x + parent.width - 3, parent.y + parent.height - 3},
                               {parent.x + parent.width / 2, parent.y + parent.height / 2}};
  std::string seen;
  ASSERT_TRUE(WaitForColour(scratch_ / "shot.ppm", inside, kRed, 30000, &seen))
      << "preview shows " << seen << "\n"
      << Log(0);
  Screenshot shot = TakeScreenshot(scratch_ / "shot.ppm");
  ASSERT_FALSE(shot.pixels.empty());
  EXPECT_FALSE(Near(shot.At(parent.x + parent.width + 20, parent.y + parent.height + 20), kRed))
      << "the preview drew outside its parent";

  Xdotool({"mousemove", std::to_string(parent.x + 50), std::to_string(parent.y + 50)});
  Xdotool({"click", "1"});
  Xdotool({"key", "space"});
  Xdotool({"mousemove", "900", "700"});
  Settle();
  ASSERT_TRUE(preview->StillRunning()) << Log(0);

  if (build_.wine) {
    WriteFileBytes(stopFile, "stop");
    EXPECT_EQ(wineParent->WaitExit(15000), 0);
  } else {
    XDestroyWindow(display_, xParent);
    XSync(display_, False);
  }
  EXPECT_EQ(preview->WaitExit(15000), 0) << Log(0);
}

// xscreensaver names its window with --window-id, or in the environment with
// --root, as xscreensaver 6 starts its hacks.
TEST_F(SaverEndToEndTest, RunsAsAnXscreensaverHackInsideTheGivenWindow) {
  if (build_.wine) GTEST_SKIP() << "xscreensaver runs the Linux build";
  XSetWindowAttributes attributes{};
  attributes.background_pixel = WhitePixel(display_, DefaultScreen(display_));
  attributes.override_redirect = True;
  Window window =
      XCreateWindow(display_, DefaultRootWindow(display_), 200, 150, 400, 300, 0, CopyFromParent,
                    InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &attributes);
  XMapWindow(display_, window);
  XSync(display_, False);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(window));
  std::vector<Point> inside = {{202, 152}, {597, 447}, {400, 300}};
  std::string seen;

  auto byOption = Start({"--window-id", hex});
  ASSERT_TRUE(WaitForColour(scratch_ / "shot.ppm", inside, kRed, 30000, &seen)) << seen << Log(0);
  Xdotool({"key", "space"});
  Settle();
  ASSERT_TRUE(byOption->StillRunning()) << Log(0);
  kill(byOption->Pid(), SIGTERM);
  EXPECT_EQ(byOption->WaitExit(15000), 0) << Log(0);

  // Cleared, so that the next run's picture is its own.
  XClearWindow(display_, window);
  XSync(display_, False);
  SetEnv("XSCREENSAVER_WINDOW", hex);
  auto byEnvironment = Start({"--root"});
  UnsetEnv("XSCREENSAVER_WINDOW");
  EXPECT_TRUE(WaitForColour(scratch_ / "shot.ppm", inside, kRed, 30000, &seen)) << seen << Log(1);
  kill(byEnvironment->Pid(), SIGINT);
  EXPECT_EQ(byEnvironment->WaitExit(15000), 0) << Log(1);
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

TEST_F(SaverEndToEndTest, TerminationEndsItCleanlyWithoutTemporaryFiles) {
  if (build_.wine) GTEST_SKIP() << "signals are the Linux build's";
  // A change every second, so that the signal comes between changes.
  SetShowSetting(showName_, "RedrawSpeed", 1);
  auto saver = StartFullScreen();
  std::string seen;
  ASSERT_TRUE(WaitForColour(scratch_ / "shot.ppm", WholeScreen(), kBlue, 15000, &seen)) << seen;
  kill(saver->Pid(), SIGTERM);
  EXPECT_EQ(saver->WaitExit(15000), 0) << Log(0);
  for (const auto& entry : fs::directory_iterator(scratch_ / "tmp")) {
    ADD_FAILURE() << "left behind: " << entry.path();
  }
}

// xscreensaver may hand over a window of a colour-mapped visual, in which the
// player cannot draw: it ends, as a preview whose window cannot be made does.
TEST_F(SaverEndToEndTest, AWindowOfAColourMappedVisualEndsItWithoutAPicture) {
  if (build_.wine) GTEST_SKIP() << "xscreensaver runs the Linux build";
  // A display of its own whose only visual is PseudoColor; Xvfb prints the
  // number it chose.
  Running server({Tool("Xvfb"), "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x8"},
                 scratch_ / "xvfb.txt");
  std::string number;
  for (auto end = Clock::now() + std::chrono::seconds(20);
       number.empty() && Clock::now() < end && server.StillRunning();) {
    std::istringstream in(ReadFileBytes(scratch_ / "xvfb.txt"));
    in >> number;
    if (number.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(number.empty()) << ReadFileBytes(scratch_ / "xvfb.txt");
  Display* colourMapped = XOpenDisplay((":" + number).c_str());
  ASSERT_NE(colourMapped, nullptr);
  ASSERT_EQ(DefaultVisual(colourMapped, DefaultScreen(colourMapped))->c_class, PseudoColor);
  Window window =
      XCreateSimpleWindow(colourMapped, DefaultRootWindow(colourMapped), 0, 0, 200, 150, 0, 0, 0);
  XMapWindow(colourMapped, window);
  XSync(colourMapped, False);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", static_cast<unsigned long>(window));

  std::string display = std::getenv("DISPLAY");
  SetEnv("DISPLAY", ":" + number);
  auto saver = Start({"-window-id", hex});
  SetEnv("DISPLAY", display);
  // The exit code of a saver without its window (-1).
  EXPECT_EQ(saver->WaitExit(15000), 255) << Log(0);
  EXPECT_EQ(Log(0), "");
  XCloseDisplay(colourMapped);
}

}  // namespace
