// The player under Debian's own xscreensaver daemon, as a user gets it: a
// show run as Show.exe from a download folder is answered Yes on the display,
// and with the entry it made, the real daemon (run as an unprivileged user,
// since it starts no display program as root) puts the show's picture on the
// screen when activated and ends the player when told to exit.
//
// Needs root (to start the daemon as that user), the user that scripts/setup
// creates, xscreensaver, and an X display that nothing else uses meanwhile.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
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
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/display_boxes.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"

extern char** environ;

using ::testing::HasSubstr;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kUser[] = "lumivane-saver";
constexpr char kTitle[] = "Hack test";

// Polls until done() holds or the time is up; the last answer.
template <typename Condition>
bool WaitUntil(int timeoutMs, Condition done) {
  auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return true;
}

// The processes whose command line holds text.
std::vector<pid_t> ProcessesRunning(const std::string& text) {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string line = ReadFileBytes(entry.path().string() + "/cmdline");
    if (line.find(text) != std::string::npos) found.push_back(pid_t(std::stol(name)));
  }
  return found;
}

// Whether every point of the screen shows pure red, as far as JPEG allows.
bool ScreenIsRed(const std::string& shotPath, std::string* seen) {
  ChildResult r =
      RunChild({"/usr/bin/import", "-window", "root", "-depth", "8", "ppm:" + shotPath});
  if (r.exitCode != 0) return false;
  std::string data = ReadFileBytes(shotPath);
  std::istringstream in(data);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  size_t start = size_t(in.tellg());
  if (magic != "P6" || maxValue != 255 || width < 4 || height < 4 ||
      data.size() < start + size_t(width) * height * 3) {
    return false;
  }
  const int points[][2] = {
      {1, 1}, {width - 2, 1}, {1, height - 2}, {width - 2, height - 2}, {width / 2, height / 2}};
  bool red = true;
  seen->clear();
  for (const auto& p : points) {
    size_t i = start + (size_t(p[1]) * width + p[0]) * 3;
    int r8 = uint8_t(data[i]), g8 = uint8_t(data[i + 1]), b8 = uint8_t(data[i + 2]);
    *seen += "(" + std::to_string(r8) + "," + std::to_string(g8) + "," + std::to_string(b8) + ") ";
    red = red && r8 > 230 && g8 < 24 && b8 < 24;
  }
  return red;
}

class XscreensaverHackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    const passwd* user = getpwnam(kUser);
    if (geteuid() != 0 || user == nullptr || !fs::exists("/usr/bin/xscreensaver") ||
        !fs::exists("/usr/bin/import") || display == nullptr || !DisplayForBoxes()) {
      GTEST_SKIP() << "needs root, the user " << kUser
                   << " (scripts/setup), xscreensaver, ImageMagick and an X display";
    }
    uid_ = user->pw_uid;
    gid_ = user->pw_gid;
    display_ = display;
    for (const char* folder : {"downloads", "home", "config", "data", "tmp"})
      fs::create_directories(dir_ / folder);
    MakeShow();
    // Everything the user's programs touch is the user's own.
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path()))
      lchown(entry.path().c_str(), uid_, gid_);
    chown(dir_.path().c_str(), uid_, gid_);
    fs::permissions(dir_.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  }

  void TearDown() override {
    if (daemon_ > 0) {
      AsUser({"xscreensaver-command", "-exit"});
      if (!WaitUntil(15000, [this] { return waitpid(daemon_, nullptr, WNOHANG) == daemon_; })) {
        kill(daemon_, SIGKILL);
        waitpid(daemon_, nullptr, 0);
      }
    }
    for (pid_t left : ProcessesRunning(dir_.path()))
      kill(left, SIGKILL);
  }

  void MakeShow() {
    WriteSolidRgbJpeg(dir_ / "red.jpg", std::string("\xff\x00\x00", 3));
    show_ = UniqueShowName("Hack");
    ChildResult r = RunChild({BuildProgram("showpack"), "create", "-o", dir_ / "downloads/Show.exe",
                              "--player", ProgramDir() + "../lumivane", "--name", show_, "--title",
                              kTitle, dir_ / "red.jpg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }

  // The command as the user, with the test's own folders and nothing else
  // of this process's environment.
  std::vector<std::string> UserCommand(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {"/usr/sbin/runuser",
                                        "-u",
                                        kUser,
                                        "--",
                                        "/usr/bin/env",
                                        "-i",
                                        "DISPLAY=" + display_,
                                        "HOME=" + dir_ / "home",
                                        "XDG_CONFIG_HOME=" + dir_ / "config",
                                        "XDG_DATA_HOME=" + dir_ / "data",
                                        "TMPDIR=" + dir_ / "tmp",
                                        "SDL_AUDIODRIVER=dummy",
                                        "PATH=/usr/bin:/bin"};
    // The sanitizer build's settings: its leak suppressions, and GTK without
    // the accessibility bridge, whose strings live as long as the process.
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "NO_AT_BRIDGE"}) {
      if (const char* value = std::getenv(name)) command.push_back(std::string(name) + "=" + value);
    }
    command.insert(command.end(), args.begin(), args.end());
    return command;
  }

  ChildResult AsUser(const std::vector<std::string>& args) const {
    return RunChild(UserCommand(args));
  }

  // Starts the daemon without waiting, its output in a file.
  void StartDaemon() {
    std::vector<std::string> args = UserCommand({"xscreensaver", "-no-splash", "-verbose"});
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (dir_ / "daemon.log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&daemon_, argv[0], &actions, nullptr, argv.data(), environ) != 0) daemon_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }

  std::string DaemonLog() const { return ReadFileBytes(dir_ / "daemon.log"); }

  std::vector<std::string> TemporaryFilesLeft() const {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir_ / "tmp")) {
      std::string name = entry.path().filename().string();
      if (name.rfind("LVJ", 0) == 0 || name.rfind("LVB", 0) == 0) left.push_back(name);
    }
    return left;
  }

  ScratchDir dir_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  std::string display_;
  std::string show_;
  pid_t daemon_ = -1;
};

TEST_F(XscreensaverHackTest, TheInstalledShowPlaysUnderTheDaemonAndEndsWithIt) {
  ChildResult install;
  {
    DisplayBoxAnswerer person({std::string(kTitle) + " install", "Lumivane"}, "yes");
    install = AsUser({dir_ / "downloads/Show.exe"});
  }
  ASSERT_EQ(install.exitCode, 0) << install.err;
  const std::string saver = dir_ / ("data/lumivane/savers/" + show_ + ".scr");
  ASSERT_THAT(ReadFileBytes(dir_ / "home/.xscreensaver"), HasSubstr(saver + " --root"))
      << install.err;

  StartDaemon();
  ASSERT_GT(daemon_, 0);
  ASSERT_TRUE(WaitUntil(30000, [this] {
    return AsUser({"xscreensaver-command", "-time"}).exitCode == 0;
  })) << DaemonLog();
  ChildResult activate = AsUser({"xscreensaver-command", "-activate"});
  ASSERT_EQ(activate.exitCode, 0) << activate.err;

  std::string seen;
  EXPECT_TRUE(WaitUntil(30000, [&] { return ScreenIsRed(dir_ / "shot.ppm", &seen); }))
      << "the screen shows " << seen << "\n"
      << DaemonLog();
  EXPECT_EQ(ProcessesRunning(saver).size(), 1u) << DaemonLog();

  ChildResult exit = AsUser({"xscreensaver-command", "-exit"});
  EXPECT_EQ(exit.exitCode, 0) << exit.err;
  EXPECT_TRUE(WaitUntil(15000, [&] { return ProcessesRunning(saver).empty(); })) << DaemonLog();
  EXPECT_TRUE(WaitUntil(15000, [this] { return waitpid(daemon_, nullptr, WNOHANG) == daemon_; }));
  daemon_ = -1;
  EXPECT_TRUE(TemporaryFilesLeft().empty());
}

}  // namespace
