// What a user gets from `cmake --install` and from the Debian package that
// `cpack -G DEB` makes: the files where they belong, the package's fields and
// dependencies, and the programs run from the unpacked package. The install
// and the package are made once, into a scratch folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

const char* const kPrograms[] = {"lumivane", "lumivane-demo", "showpack", "lumivane-install-saver"};
const char* const kManPages[] = {"lumivane.1", "lumivane-demo.1", "showpack.1",
                                 "lumivane-install-saver.1"};

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & S_IXOTH);
}

class ReleasePackageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = std::make_unique<ScratchDir>();
    // Nothing that the tools or the programs keep may reach a real home.
    for (const char* folder : {"home", "config", "data", "cache", "tmp"})
      fs::create_directories(*scratch_ / folder);
    SetEnv("HOME", *scratch_ / "home");
    SetEnv("XDG_CONFIG_HOME", *scratch_ / "config");
    SetEnv("XDG_DATA_HOME", *scratch_ / "data");
    SetEnv("XDG_CACHE_HOME", *scratch_ / "cache");
    SetEnv("TMPDIR", *scratch_ / "tmp");

    install_ = RunChild(
        {LUMIVANE_CMAKE, "--install", LUMIVANE_BUILD_DIR, "--prefix", *scratch_ / "prefix"});
    package_ = RunChild({LUMIVANE_CPACK, "-G", "DEB", "--config",
                         std::string(LUMIVANE_BUILD_DIR) + "/CPackConfig.cmake", "-B",
                         *scratch_ / "package"});
    for (const auto& entry : fs::directory_iterator(*scratch_ / "package"))
      if (entry.path().extension() == ".deb") deb_ = entry.path().string();
    if (!deb_.empty()) {
      fields_ = RunChild({"/usr/bin/dpkg-deb", "--field", deb_}).out;
      RunChild({"/usr/bin/dpkg-deb", "-x", deb_, *scratch_ / "root"});
    }
  }

  static void TearDownTestSuite() { scratch_.reset(); }

  void SetUp() override {
    ASSERT_EQ(install_.exitCode, 0) << install_.out << install_.err;
    ASSERT_EQ(package_.exitCode, 0) << package_.out << package_.err;
    ASSERT_FALSE(deb_.empty()) << package_.out;
  }

  static std::string Installed(const std::string& path) { return *scratch_ / ("prefix/" + path); }
  static std::string Unpacked(const std::string& path) { return *scratch_ / ("root/usr/" + path); }

  static std::unique_ptr<ScratchDir> scratch_;
  static ChildResult install_;
  static ChildResult package_;
  static std::string deb_;
  static std::string fields_;
};

std::unique_ptr<ScratchDir> ReleasePackageTest::scratch_;
ChildResult ReleasePackageTest::install_;
ChildResult ReleasePackageTest::package_;
std::string ReleasePackageTest::deb_;
std::string ReleasePackageTest::fields_;

TEST_F(ReleasePackageTest, InstallPutsEveryFileWhereItBelongs) {
  for (const char* program : kPrograms)
    EXPECT_TRUE(IsExecutableFile(Installed(std::string("bin/") + program))) << program;
  for (const char* page : kManPages) {
    std::string path = Installed(std::string("share/man/man1/") + page + ".gz");
    ChildResult test = RunChild({"/bin/gzip", "-t", path});
    EXPECT_EQ(test.exitCode, 0) << path << ": " << test.err;
  }
  EXPECT_TRUE(fs::exists(Installed("share/doc/lumivane/README.md")));

  // xscreensaver finds a description by the file name of the program it
  // starts: the demo show's, since the bare player plays nothing.
  std::vector<std::string> descriptions;
  for (const auto& entry : fs::directory_iterator(Installed("share/xscreensaver/config")))
    descriptions.push_back(entry.path().filename().string());
  EXPECT_THAT(descriptions, ElementsAre("lumivane-demo.xml"));
  std::string xml = ReadFileBytes(Installed("share/xscreensaver/config/lumivane-demo.xml"));
  EXPECT_EQ(xml, ReadFileBytes(LUMIVANE_SOURCE_DIR "/resources/lumivane-demo.xml"));
  EXPECT_THAT(xml, AllOf(HasSubstr("<screensaver name=\"lumivane-demo\""),
                         HasSubstr("<command arg=\"--root\"/>")));
  EXPECT_FALSE(fs::exists(Installed("share/lumivane")));
}

TEST_F(ReleasePackageTest, InstalledDemoShowIsWhole) {
  ChildResult list = RunChild({Installed("bin/showpack"), "list", Installed("bin/lumivane-demo")});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_THAT(list.out, HasSubstr("\npictures: 12\n"));
  EXPECT_THAT(list.out, HasSubstr("\nsounds: 2\n"));
}

TEST_F(ReleasePackageTest, PackageSaysWhatItIsAndDependsOnItsLibraries) {
  EXPECT_THAT(fields_, HasSubstr("Package: lumivane\n"));
  EXPECT_THAT(fields_, HasSubstr("Section: graphics\n"));
  EXPECT_THAT(fields_, MatchesRegex("(.|\n)*Maintainer: [^\n]+ <[^\n]+@[^\n]+>\n(.|\n)*"));
  EXPECT_THAT(fields_, HasSubstr("Description: picture slide-show screen saver\n "));
  EXPECT_THAT(fields_, Not(HasSubstr("Homepage:")));
  // The libraries' package names, from dpkg-shlibdeps.
  std::string lines = "\n" + fields_;
  size_t at = lines.find("\nDepends: ");
  ASSERT_NE(at, std::string::npos) << fields_;
  std::string depends = lines.substr(at + 1, lines.find('\n', at + 1) - at - 1);
  for (const char* library : {"libsdl2-2.0-0", "libgtk-3-0", "libjpeg62-turbo", "libx11-6"})
    EXPECT_THAT(depends, HasSubstr(library));
  EXPECT_THAT(depends, MatchesRegex(".*libjpeg62-turbo \\(>= [^)]+\\).*"));
}

TEST_F(ReleasePackageTest, PackageHoldsTheInstalledFilesUnderUsr) {
  for (const char* program : kPrograms)
    EXPECT_TRUE(IsExecutableFile(Unpacked(std::string("bin/") + program))) << program;
  EXPECT_TRUE(fs::exists(Unpacked("share/xscreensaver/config/lumivane-demo.xml")));
  for (const char* page : kManPages) {
    std::string path = Unpacked(std::string("share/man/man1/") + page + ".gz");
    // man reads the page without a warning from groff.
    ChildResult page_text = RunChild({"/usr/bin/man", "--warnings", "-l", path});
    EXPECT_EQ(page_text.exitCode, 0) << path;
    EXPECT_EQ(page_text.err, "") << path;
    EXPECT_THAT(page_text.out, HasSubstr("SYNOPSIS")) << path;
  }
}

TEST_F(ReleasePackageTest, ShowpackManualPageNamesEveryCommandAndOption) {
  // The manual page is written by hand, so it is checked against the help
  // that the program itself prints.
  ChildResult help = RunChild({Unpacked("bin/showpack"), "--help"});
  ASSERT_EQ(help.exitCode, 0);
  ChildResult page = RunChild({"/usr/bin/man", "-l", Unpacked("share/man/man1/showpack.1.gz")});
  ASSERT_EQ(page.exitCode, 0) << page.err;
  std::regex word("showpack [a-z]+|--[a-z][a-z-]*");
  std::set<std::string> names;
  for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), word);
       it != std::sregex_iterator(); ++it)
    names.insert(it->str());
  EXPECT_GT(names.size(), 10u);
  for (const std::string& name : names)
    EXPECT_THAT(page.out, HasSubstr(name));
}

TEST_F(ReleasePackageTest, PackagedProgramsRun) {
  ChildResult help = RunChild({Unpacked("bin/showpack"), "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.out, HasSubstr("showpack create"));

  ChildResult list = RunChild({Unpacked("bin/showpack"), "list", Unpacked("bin/lumivane-demo")});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_THAT(list.out, HasSubstr("\npictures: 12\n"));

  ChildResult usage = RunChild({Unpacked("bin/lumivane"), "/p"});
  EXPECT_EQ(usage.exitCode, 255);
  EXPECT_THAT(usage.err, StartsWith("lumivane: \"/p\" names no window"));

  ChildResult installer = RunChild({Unpacked("bin/lumivane-install-saver")});
  EXPECT_EQ(installer.exitCode, 2);
  EXPECT_THAT(installer.err, StartsWith("usage: lumivane-install-saver PATH"));
}

TEST_F(ReleasePackageTest, PackagedPlayerMakesAndPlaysANewShow) {
  // The packaged player is stripped: a show appended to it must still load.
  std::string picture = *scratch_ / "picture.jpg";
  JpegPicture shape;
  shape.width = 64;
  shape.height = 48;
  WriteJpeg(picture, shape, PhotoLikeRows(shape.width, shape.height, shape.components));
  std::string show = *scratch_ / "Show";
  ChildResult create = RunChild({Unpacked("bin/showpack"), "create", "-o", show, "--player",
                                 Unpacked("bin/lumivane"), "--name", "Show", picture});
  ASSERT_EQ(create.exitCode, 0) << create.err;
  EXPECT_TRUE(IsExecutableFile(show));

  // Full screen on SDL's offscreen driver: still playing when stopped after
  // two seconds, where a show it cannot read would have ended at once.
  SetEnv("SDL_VIDEODRIVER", "offscreen");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  for (const std::string& program : {show, Unpacked("bin/lumivane-demo")}) {
    ChildResult play = RunChild({"/usr/bin/timeout", "2", program, "/s"});
    EXPECT_EQ(play.exitCode, 124) << program << ": " << play.err;
    EXPECT_THAT(play.err, Not(HasSubstr("Error"))) << program;
  }
  UnsetEnv("SDL_VIDEODRIVER");
  UnsetEnv("SDL_AUDIODRIVER");
}

TEST_F(ReleasePackageTest, InstalledDemoPlaysAsXscreensaverStartsIt) {
  // xscreensaver runs its programs' command lines through a shell, with the
  // PATH of the session: "lumivane-demo --root", here without a window of
  // its own to draw into, plays full screen on SDL's offscreen driver until
  // it is stopped.
  SetEnv("SDL_VIDEODRIVER", "offscreen");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  UnsetEnv("XSCREENSAVER_WINDOW");
  const std::string path = Installed("bin") + ":/usr/bin:/bin";
  ChildResult play = RunChild({"/usr/bin/env", "PATH=" + path, "/usr/bin/timeout", "2", "/bin/sh",
                               "-c", "exec lumivane-demo --root"});
  EXPECT_EQ(play.exitCode, 124) << play.err;
  EXPECT_THAT(play.err, Not(HasSubstr("Error")));
  EXPECT_THAT(play.err, Not(HasSubstr("Corrupted")));
  UnsetEnv("SDL_VIDEODRIVER");
  UnsetEnv("SDL_AUDIODRIVER");
}

}  // namespace
