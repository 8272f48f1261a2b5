// Loading the show appended to the program's own file: copies of show_probe
// with packages appended run as child processes and print what they loaded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

using ::testing::HasSubstr;
using ::testing::Not;

using namespace package_bytes;

namespace {

std::string ProbeLine(const ChildResult& r, const std::string& name) {
  size_t at = r.out.find(name + "=");
  if (at == std::string::npos) return "<missing>";
  size_t end = r.out.find('\n', at);
  return r.out.substr(at + name.size() + 1, end - at - name.size() - 1);
}

class ShowLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Natively: no display, no sound card, and a settings file, home and
    // folders of the test's own, should an install offer ever go ahead.
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    SetEnv("XDG_CONFIG_HOME", dir_ / "config");
    SetEnv("XDG_DATA_HOME", dir_ / "data");
    SetEnv("HOME", dir_ / "home");
    std::filesystem::create_directories(dir_ / "tmp");
    originalTemp_ = std::filesystem::temp_directory_path().string();
    UseTempFolder(dir_ / "tmp");
  }

  void TearDown() override { UseTempFolder(originalTemp_); }

  // Runs a copy of the probe named `name`, with `tail` appended to it. The
  // package's table starts right after the probe's own bytes.
  ChildResult RunWith(const std::string& name, const std::string& tail) {
    std::string path = dir_ / name;
    WriteFileBytes(path, probe_ + tail);
    MakeExecutable(path);
    ChildResult r = RunChild({path});
    // Windows writes text streams with CR LF.
    for (std::string* text : {&r.out, &r.err}) {
      text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    }
    return r;
  }

  // A package whose table, terminator included, is `records`.
  ChildResult RunShow(const std::string& name, std::string records) {
    AppendTrailer(records, TableOffset());
    return RunWith(name, records);
  }

  uint32_t TableOffset() const { return uint32_t(probe_.size()); }

  static void MakeExecutable(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
  }

  ScratchDir dir_;
  std::string originalTemp_;
  const std::string probe_ = ReadFileBytes(BuildProgram("show_probe"));
};

TEST_F(ShowLoadingTest, LoadsTextsPicturesAndSoundsWithDefaultSettings) {
  const std::string show = UniqueShowName("LoadTest");
  std::string t;
  AppendRecord(t, kShowName, 0, 0, Text(show));
  AppendRecord(t, kShowTitle, 0, 0, Text("First title"));
  AppendRecord(t, kImage, 0x100, 0x200, "");
  AppendRecord(t, kShowTitle, 0, 0, Text("Second title"));
  AppendRecord(t, kCreditLine, 0, 0, Text("Credit"));
  AppendRecord(t, kSound, 0, 0, std::string(40, 'w'));
  AppendRecord(t, kImage, 0x300, 0x400, "");
  AppendRecord(t, 9, 0, 0, "ignored");
  AppendRecord(t, kInfoLine, 0, 0, Text("Info"));
  AppendRecord(t, kReadmeText, 0, 0, Text("Read me\r\nplease"));
  AppendRecord(t, kImage, 0x50, 0x60, "");
  AppendTerminator(t);
  ChildResult r = RunShow("show.scr", t);

  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ProbeLine(r, "showName"), show);
  EXPECT_EQ(ProbeLine(r, "showTitle"), "Second title");
  EXPECT_EQ(ProbeLine(r, "creditLine"), "Credit");
  EXPECT_EQ(ProbeLine(r, "infoLine"), "Info");
  EXPECT_EQ(ProbeLine(r, "readmeLength"), "15");
  EXPECT_EQ(ProbeLine(r, "images"), "100-200,300-400,50-60");
  EXPECT_EQ(ProbeLine(r, "sounds"), "40");
  EXPECT_EQ(ProbeLine(r, "settings"), "15,7,1,0,0,1");
  int devices = std::stoi(ProbeLine(r, "outputDevices"));
  EXPECT_EQ(ProbeLine(r, "soundAvailable"), devices > 0 ? "1" : "0");

  // The settings key now exists, empty.
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, ("Software\\Lumivane\\" + show).c_str(), &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(ShowLoadingTest, StoredSettingsReplaceDefaultsOneByOneWithoutRangeChecks) {
  const std::string show = UniqueShowName("LoadTest");
  SetShowSetting(show, "Mute", 1);
  SetShowSetting(show, "RedrawSpeed", 1000);
  SetShowSetting(show, "UseEff", 0);
  std::string t;
  AppendRecord(t, kShowName, 0, 0, Text(show));
  AppendRecord(t, kImage, 1, 2, "");
  AppendTerminator(t);
  ChildResult r = RunShow("show.scr", t);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ProbeLine(r, "settings"), "1000,7,1,0,1,0");

  SetShowSetting(show, "RedrawSpeed", 0);
  r = RunShow("show.scr", t);
  EXPECT_EQ(ProbeLine(r, "settings"), "0,7,1,0,1,0");
}

TEST_F(ShowLoadingTest, TextsAreCutToTheirFieldsAndToTheirPayloads) {
  std::string t;
  AppendRecord(t, kShowName, 0, 0, UniqueShowName("LoadTest") + std::string(200, 'n'));
  AppendRecord(t, kInfoLine, 0, 0, "no terminating NUL");
  AppendRecord(t, kCreditLine, 0, 0, Text("short") + "tail after the NUL");
  AppendRecord(t, kReadmeText, 0, 0, "readme without NUL");
  AppendTerminator(t);
  ChildResult r = RunShow("show.scr", t);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ProbeLine(r, "showName").size(), 127u);
  EXPECT_EQ(ProbeLine(r, "infoLine"), "no terminating NUL");
  EXPECT_EQ(ProbeLine(r, "creditLine"), "short");
  EXPECT_EQ(ProbeLine(r, "readmeLength"), "18");
  EXPECT_EQ(ProbeLine(r, "readmeText"), "readme without NUL");
  EXPECT_EQ(ProbeLine(r, "images"), "");
  EXPECT_EQ(ProbeLine(r, "soundAvailable"), "0");
}

// Each corrupt package: the beep, "Error" box with the message, exit code 0,
// and the show never reaches the program.
void ExpectFatal(const ChildResult& r, const std::string& message) {
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr("Error: " + message + "\n"));
  EXPECT_THAT(r.out, Not(HasSubstr("showName=")));
}

TEST_F(ShowLoadingTest, CorruptPackagesEndWithTheirMessages) {
  std::string valid;
  AppendRecord(valid, kImage, 1, 2, "");
  AppendTerminator(valid);

  std::string differing = valid;
  AppendTrailer(differing, TableOffset());
  differing[differing.size() - 1] = 1;
  ExpectFatal(RunWith("pointer.scr", differing), "Corrupted scr file (pointer)!");

  std::string terminatorOnly;
  AppendTerminator(terminatorOnly);
  ExpectFatal(RunShow("empty.scr", terminatorOnly), "Corrupted scr file (OPC)!");

  // Equal copies that point at a byte other than the marker.
  std::string offTarget = valid;
  AppendTrailer(offTarget, TableOffset() + 1);
  ExpectFatal(RunWith("marker.scr", offTarget), "Corrupted scr file (OPC)!");

  std::string badChecksum;
  AppendRecord(badChecksum, kShowName, 0, 0, Text("Name"));
  AppendTerminator(badChecksum);
  badChecksum[kHeaderBytes + 1] ^= 0x10;
  ExpectFatal(RunShow("checksum.scr", badChecksum), "Corrupted scr file (OPC)!");

  std::string pastTheEnd = valid;
  AppendTrailer(pastTheEnd, 0x7FFFFFF0u);
  ExpectFatal(RunWith("far.scr", pastTheEnd), "Corrupted scr file (OPC)!");

  // A program with no package at all: its last eight bytes, whatever the
  // linker left there, are read as a trailer.
  const std::string last = probe_.substr(probe_.size() - 8);
  ExpectFatal(RunWith("bare.scr", ""), last.compare(0, 4, last, 4, 4) != 0
                                           ? "Corrupted scr file (pointer)!"
                                           : "Corrupted scr file (OPC)!");
}

TEST_F(ShowLoadingTest, ProgramsNamedExeOfferInstallationAndEnd) {
  std::string t;
  AppendRecord(t, kShowName, 0, 0, Text(UniqueShowName("LoadTest")));
  AppendRecord(t, kImage, 1, 2, "");
  AppendTerminator(t);
  std::vector<std::string> names = {"SHOW.EXE", "show.exe", "Show.eXe"};
  // Windows runs a file without an extension only as name.exe.
  if (ExeSuffix().empty()) names.push_back("showexe");
  for (const std::string& name : names) {
    ChildResult r = RunShow(name, t);
    EXPECT_EQ(r.exitCode, 0) << name;
    EXPECT_THAT(r.out, Not(HasSubstr("showName="))) << name;
  }
  EXPECT_THAT(RunShow("show.scr", t).out, HasSubstr("showName="));

  // The package is read before the name is looked at.
  std::string corrupt;
  AppendTerminator(corrupt);
  ExpectFatal(RunShow("broken.exe", corrupt), "Corrupted scr file (OPC)!");
}

TEST_F(ShowLoadingTest, SoundsNeedAnOutputDevice) {
  std::string t;
  AppendRecord(t, kShowName, 0, 0, Text(UniqueShowName("LoadTest")));
  AppendRecord(t, kSound, 0, 0, std::string(10, 's'));
  AppendTerminator(t);
  ChildResult r = RunShow("sound.scr", t);
  if (!ExeSuffix().empty()) {
    // Wine's sound output is whatever the machine has.
    EXPECT_EQ(ProbeLine(r, "soundAvailable"),
              std::stoi(ProbeLine(r, "outputDevices")) > 0 ? "1" : "0");
    return;
  }
  // Natively SDL's dummy driver is one output; a driver that cannot start is none.
  EXPECT_EQ(ProbeLine(r, "soundAvailable"), "1");
  SetEnv("SDL_AUDIODRIVER", "no-such-driver");
  EXPECT_EQ(ProbeLine(RunShow("sound.scr", t), "soundAvailable"), "0");
}

}  // namespace
