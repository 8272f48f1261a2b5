// The player under Debian's own xscreensaver daemon, as a user gets it: a
// show run as Show.exe from a download folder is answered Yes on the display;
// with the entry it made, the real daemon (as an unprivileged user: it starts
// no display program as root) shows the show's picture when activated and ends
// the player when told to exit. Needs root, the user that scripts/setup makes,
// xscreensaver, ImageMagick and an X display that nothing else uses meanwhile.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Whether the whole screen shows pure red, as far as JPEG allows; the least
// red and the most green and blue seen.
bool ScreenIsRed(std::string* seen) {
  *seen =
      RunChild({"/usr/bin/import", "-window", "root", "-format",
                "%[fx:int(255*minima.r)] %[fx:int(255*maxima.g)] %[fx:int(255*maxima.b)]", "info:"})
          .out;
  int r = 0, g = 255, b = 255;
  return std::sscanf(seen->c_str(), "%d %d %d", &r, &g, &b) == 3 && r > 230 && g < 24 && b < 24;
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
    for (const char* folder :
         {"downloads", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"})
      fs::create_directories(dir_ / folder);
    WriteSolidRgbJpeg(dir_ / "red.jpg", std::string("\xff\x00\x00", 3));
    show_ = UniqueShowName("Hack");
    ChildResult made = RunChild(
        {BuildProgram("showpack"), "create", "-o", dir_ / "downloads/Show.exe", "--player",
         ProgramDir() + "../lumivane", "--name", show_, "--title", kTitle, dir_ / "red.jpg"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
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

  // The command as the user, with the test's own folders and nothing else
  // of this process's environment.
  std::vector<std::string> UserCommand(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {
        "/usr/sbin/runuser", "-u", kUser, "--", "/usr/bin/env", "-i", "SDL_AUDIODRIVER=dummy",
        "PATH=/usr/bin:/bin"};
    command.push_back("DISPLAY=" + display_);
    for (const char* folder :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"})
      command.push_back(folder + ("=" + dir_ / folder));
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
  const std::string saver = dir_ / ("XDG_DATA_HOME/lumivane/savers/" + show_ + ".scr");
  ASSERT_THAT(ReadFileBytes(dir_ / "HOME/.xscreensaver"), HasSubstr(saver + " --root"))
      << install.err;

  StartDaemon();
  ASSERT_GT(daemon_, 0);
  ASSERT_TRUE(WaitUntil(30000, [this] {
    return AsUser({"xscreensaver-command", "-time"}).exitCode == 0;
  })) << DaemonLog();
  ChildResult activate = AsUser({"xscreensaver-command", "-activate"});
  ASSERT_EQ(activate.exitCode, 0) << activate.err;

  std::string seen;
  EXPECT_TRUE(WaitUntil(30000, [&] { return ScreenIsRed(&seen); }))
      << "the screen shows " << seen << "\n"
      << DaemonLog();
  EXPECT_EQ(ProcessesRunning(saver).size(), 1u) << DaemonLog();

  ChildResult exit = AsUser({"xscreensaver-command", "-exit"});
  EXPECT_EQ(exit.exitCode, 0) << exit.err;
  EXPECT_TRUE(WaitUntil(15000, [&] { return ProcessesRunning(saver).empty(); })) << DaemonLog();
  EXPECT_TRUE(WaitUntil(15000, [this] { return waitpid(daemon_, nullptr, WNOHANG) == daemon_; }));
  daemon_ = -1;
  // The player's converted pictures are gone with it.
  for (const auto& entry : fs::directory_iterator(dir_ / "TMPDIR")) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.rfind("LVJ", 0) != 0 && name.rfind("LVB", 0) != 0) << name;
  }
}

}  // namespace
