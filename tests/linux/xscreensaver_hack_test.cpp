// A show installed from a download folder plays under Debian's real
// xscreensaver daemon, run as an unprivileged user (it starts no hack as root),
// and ends with it. Needs an X display that nothing else uses meanwhile.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/display_boxes.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"

namespace fs = std::filesystem;

namespace {

// Polls every 200 ms until done() holds or seconds have passed.
template <typename Condition>
bool WaitUntil(int seconds, Condition done) {
  for (int i = 0; i < seconds * 5; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(200)))
    if (done()) return true;
  return done();
}

// The processes whose command line holds text (no pattern characters but dots).
std::vector<pid_t> ProcessesRunning(const std::string& text) {
  std::istringstream pids(RunChild({"/usr/bin/pgrep", "-f", "--", text}).out);
  return {std::istream_iterator<pid_t>(pids), {}};
}

TEST(XscreensaverHackTest, TheInstalledShowPlaysUnderTheDaemonAndEndsWithIt) {
  const char* display = std::getenv("DISPLAY");
  const passwd* user = getpwnam("lumivane-saver");
  if (geteuid() != 0 || user == nullptr || !fs::exists("/usr/bin/xscreensaver") ||
      !fs::exists("/usr/bin/import") || display == nullptr || !DisplayForBoxes())
    GTEST_SKIP() << "needs root, the user lumivane-saver (scripts/setup), xscreensaver, "
                    "ImageMagick and an X display";
  ScratchDir dir;
  // The user's own programs with the test's folders and nothing else of this
  // process's environment but the sanitizer build's settings.
  std::istringstream words(
      "/usr/sbin/runuser -u lumivane-saver -- /usr/bin/env -i SDL_AUDIODRIVER=dummy "
      "PATH=/usr/bin:/bin");
  std::vector<std::string> asUser{std::istream_iterator<std::string>(words), {}};
  asUser.push_back(std::string("DISPLAY=") + display);
  for (const char* folder :
       {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
    fs::create_directories(dir / folder);
    asUser.push_back(folder + ("=" + dir / folder));
  }
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "NO_AT_BRIDGE"})
    if (const char* value = std::getenv(name)) asUser.push_back(std::string(name) + "=" + value);
  const auto AsUser = [&](std::vector<std::string> args) {
    args.insert(args.begin(), asUser.begin(), asUser.end());
    return RunChild(args);
  };
  fs::create_directories(dir / "downloads");
  WriteSolidRgbJpeg(dir / "red.jpg", std::string("\xff\x00\x00", 3));
  const std::string show = UniqueShowName("Hack");
  ChildResult made = RunChild({BuildProgram("showpack"), "create", "-o", dir / "downloads/Show.exe",
                               "--player", ProgramDir() + "../lumivane", "--name", show, "--title",
                               "Hack test", dir / "red.jpg"});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
    lchown(entry.path().c_str(), user->pw_uid, user->pw_gid);
  chown(dir.path().c_str(), user->pw_uid, user->pw_gid);
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);

  ChildResult install;
  {
    DisplayBoxAnswerer person({"Hack test install", "Lumivane"}, "yes");
    install = AsUser({dir / "downloads/Show.exe"});
  }
  ASSERT_EQ(install.exitCode, 0) << install.err;
  const std::string saver = dir / ("XDG_DATA_HOME/lumivane/savers/" + show + ".scr");

  // The daemon in the background of a shell, which gives its process id.
  std::string start = "exec 0</dev/null >'" + dir / "daemon.log" + "' 2>&1; exec";
  for (const std::string& arg : asUser)
    start += " '" + arg + "'";
  ChildResult started =
      RunChild({"/bin/sh", "-c", "(" + start + " xscreensaver -no-splash -verbose) & echo $!"});
  const pid_t daemon = pid_t(std::atol(started.out.c_str()));
  ASSERT_GT(daemon, 0) << started.err;
  const auto log = [&] { return ReadFileBytes(dir / "daemon.log"); };
  // Whatever happens, nothing of the test outlives it.
  struct AtEnd {
    std::function<void()> run;
    ~AtEnd() { run(); }
  } atEnd{[&] {
    AsUser({"xscreensaver-command", "-exit"});
    for (pid_t left : ProcessesRunning(dir.path()))
      kill(left, SIGKILL);
  }};
  ASSERT_TRUE(WaitUntil(30, [&] {
    return AsUser({"xscreensaver-command", "-time"}).exitCode == 0;
  })) << log();
  ASSERT_EQ(AsUser({"xscreensaver-command", "-activate"}).exitCode, 0);

  // The whole screen pure red, as far as JPEG allows: the least red, the
  // most green and blue seen.
  std::string seen;
  const auto red = [&] {
    seen = RunChild({"/usr/bin/import", "-window", "root", "-format",
                     "%[fx:int(255*minima.r)] %[fx:int(255*maxima.g)] %[fx:int(255*maxima.b)]",
                     "info:"})
               .out;
    int r = 0, g = 255, b = 255;
    return std::sscanf(seen.c_str(), "%d %d %d", &r, &g, &b) == 3 && r > 230 && g < 24 && b < 24;
  };
  EXPECT_TRUE(WaitUntil(30, red)) << "the screen shows " << seen << "\n" << log();
  EXPECT_EQ(ProcessesRunning(saver).size(), 1u) << log();

  EXPECT_EQ(AsUser({"xscreensaver-command", "-exit"}).exitCode, 0);
  EXPECT_TRUE(WaitUntil(15, [&] { return ProcessesRunning(saver).empty(); })) << log();
  // runuser waits for the daemon; a zombie's or a gone process's command line is empty.
  const std::string runuser = "/proc/" + std::to_string(daemon) + "/cmdline";
  EXPECT_TRUE(WaitUntil(15, [&] { return ReadFileBytes(runuser).empty(); })) << log();
}

}  // namespace
