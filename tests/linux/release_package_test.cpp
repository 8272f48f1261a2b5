// What `cpack -G DEB` gives a user (the install rules that `cmake --install`
// runs, programs stripped): the files, the package's fields and dependencies,
// and the unpacked programs run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

namespace fs = std::filesystem;

namespace {

TEST(ReleasePackageTest, WhatTheDebianPackageGivesAUser) {
  ScratchDir scratch;
  // Nothing that the tools or the programs keep may reach a real home.
  for (const char* folder :
       {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
    fs::create_directories(scratch / folder);
    SetEnv(folder, scratch / folder);
  }
  ChildResult package =
      RunChild({LUMIVANE_CPACK, "-G", "DEB", "--config",
                std::string(LUMIVANE_BUILD_DIR) + "/CPackConfig.cmake", "-B", scratch / "package"});
  ASSERT_EQ(package.exitCode, 0) << package.out << package.err;
  std::string deb;
  for (const auto& entry : fs::directory_iterator(scratch / "package"))
    if (entry.path().extension() == ".deb") deb = entry.path().string();
  ASSERT_NE(deb, "") << package.out;
  const std::string fields = RunChild({"/usr/bin/dpkg-deb", "--field", deb}).out;
  ASSERT_EQ(RunChild({"/usr/bin/dpkg-deb", "-x", deb, scratch / "root"}).exitCode, 0);
  const std::string usr = scratch / "root/usr/";

  // Each program with its manual page, which reads without a warning from groff.
  for (const char* program : {"lumivane", "lumivane-demo", "showpack", "lumivane-install-saver"}) {
    const fs::path file = usr + "bin/" + program;
    EXPECT_TRUE(fs::is_regular_file(file) &&
                (fs::status(file).permissions() & fs::perms::others_exec) != fs::perms::none)
        << program;
    ChildResult page =
        RunChild({"/usr/bin/man", "--warnings", "-l", usr + "share/man/man1/" + program + ".1.gz"});
    EXPECT_TRUE(page.exitCode == 0 && page.err.empty() &&
                page.out.find("SYNOPSIS") != std::string::npos)
        << program << ": " << page.err;
  }
  EXPECT_TRUE(fs::exists(usr + "share/doc/lumivane/README.md"));
  EXPECT_FALSE(fs::exists(usr + "share/lumivane"));
  // Found by the started program's name: the demo's, as the bare player plays nothing.
  const std::string config = usr + "share/xscreensaver/config/";
  EXPECT_EQ(std::distance(fs::directory_iterator(config), fs::directory_iterator()), 1);
  const std::string xml = ReadFileBytes(config + "lumivane-demo.xml");
  EXPECT_EQ(xml, ReadFileBytes(LUMIVANE_SOURCE_DIR "/resources/lumivane-demo.xml"));
  EXPECT_THAT(xml, AllOf(HasSubstr("<screensaver name=\"lumivane-demo\""),
                         HasSubstr("<command arg=\"--root\"/>")));
  // The packaged programs are stripped: the demo's show must survive that.
  EXPECT_THAT(RunChild({usr + "bin/showpack", "list", usr + "bin/lumivane-demo"}).out,
              HasSubstr("\npictures: 12\nsounds: 2\n"));

  EXPECT_THAT(fields, AllOf(HasSubstr("Package: lumivane\n"), HasSubstr("Section: graphics\n"),
                            HasSubstr("Description: picture slide-show screen saver\n "),
                            Not(HasSubstr("Homepage:"))));
  EXPECT_THAT(fields, MatchesRegex("(.|\n)*Maintainer: [^\n]+ <[^\n]+@[^\n]+>\n(.|\n)*"));
  // The libraries' package names, from dpkg-shlibdeps.
  for (const char* library :
       {"libsdl2-2.0-0", "libgtk-3-0", "libx11-6", "libjpeg62-turbo \\(>= [^)]+\\)"})
    EXPECT_THAT(fields, MatchesRegex(std::string("(.|\n)*\nDepends: [^\n]*") + library +
                                     "[^\n]*\n(.|\n)*"));

  // showpack's manual page, written by hand, names every command and option
  // that its help prints.
  const std::string help = RunChild({usr + "bin/showpack", "--help"}).out;
  const std::string page =
      RunChild({"/usr/bin/man", "-l", usr + "share/man/man1/showpack.1.gz"}).out;
  const std::regex word("showpack [a-z]+|--[a-z][a-z-]*");
  int names = 0;
  for (auto it = std::sregex_iterator(help.begin(), help.end(), word); it != std::sregex_iterator();
       ++it, ++names)
    EXPECT_THAT(page, HasSubstr(it->str()));
  EXPECT_GT(names, 10);

  // The demo as xscreensaver starts it (a shell, the session's PATH, no window
  // given): still playing after two seconds, where a stripped-off show ends at once.
  ChildResult play =
      RunChild({"/usr/bin/env", "-u", "XSCREENSAVER_WINDOW", "SDL_VIDEODRIVER=offscreen",
                "SDL_AUDIODRIVER=dummy", "PATH=" + usr + "bin:/usr/bin:/bin", "/usr/bin/timeout",
                "2", "/bin/sh", "-c", "exec lumivane-demo --root"});
  EXPECT_EQ(play.exitCode, 124) << play.err;
  EXPECT_THAT(play.err, AllOf(Not(HasSubstr("Error")), Not(HasSubstr("Corrupted"))));
}

}  // namespace
