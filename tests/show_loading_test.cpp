// Loading a show: packages read in process, and copies of show_probe with a
// package appended run for what happens around the read (settings, sound,
// the fatal box, names ending in "exe"). Under Wine a process costs seconds,
// so only those few run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "package/show_state.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

using ::testing::HasSubstr;
using ::testing::Not;

using namespace package_bytes;

namespace {

const std::string kProgram(64, 'P');

// The package of `records` (terminator included) with the trailer.
std::string Package(std::string records, uint32_t offset = 64) {
  AppendTrailer(records, offset);
  return records;
}

std::string ProbeLine(const ChildResult& r, const std::string& name) {
  size_t at = r.out.find(name + "=");
  if (at == std::string::npos) return "<missing>";
  return r.out.substr(at + name.size() + 1, r.out.find('\n', at) - at - name.size() - 1);
}

class ShowLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
      SetEnv(name, dir_ / name);
    std::filesystem::create_directories(dir_ / "tmp");
    SetEnv("SDL_VIDEODRIVER", "dummy");
    SetEnv("SDL_AUDIODRIVER", "dummy");
    originalTemp_ = std::filesystem::temp_directory_path().string();
    UseTempFolder(dir_ / "tmp");
  }

  void TearDown() override {
    FreeRecordTable();
    UseTempFolder(originalTemp_);
  }

  // Reads the file of `bytes` in process: the message, "" once it loaded.
  std::string Read(const std::string& bytes, const std::string& name = "package") {
    FreeRecordTable();
    showState = ShowState{};
    if (!bytes.empty()) WriteFileBytes(dir_ / name, bytes);
    const char* message = nullptr;
    FILE* file = ReadShowPackage((dir_ / name).c_str(), &message);
    if (file == nullptr) return message;
    std::fclose(file);
    return "";
  }

  // Runs a copy of the probe named `name` with the package of `records`.
  ChildResult RunShow(const std::string& name, const std::string& records) {
    const std::string probe = ReadFileBytes(BuildProgram("show_probe"));
    std::string path = dir_ / name;
    WriteFileBytes(path, probe + Package(records, uint32_t(probe.size())));
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    ChildResult r = RunChild({path});
    // Windows writes text streams with CR LF.
    for (std::string* text : {&r.out, &r.err})
      text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
    return r;
  }

  ScratchDir dir_;
  std::string originalTemp_;
};

TEST_F(ShowLoadingTest, ReadsTextsCutToTheirFieldsPicturesAndSounds) {
  std::string t;
  AppendRecord(t, kShowName, 0, 0, std::string(200, 'n'));
  AppendRecord(t, kShowTitle, 0, 0, Text("First title"));
  AppendRecord(t, kImage, 0x100, 0x200, "");
  AppendRecord(t, kShowTitle, 0, 0, Text("Second title"));
  AppendRecord(t, kCreditLine, 0, 0, Text("short") + "tail after the NUL");
  AppendRecord(t, kSound, 0, 0, std::string(40, 'w'));
  AppendRecord(t, kImage, 0x300, 0x400, "");
  AppendRecord(t, 9, 0, 0, "ignored");
  AppendRecord(t, kInfoLine, 0, 0, "no terminating NUL");
  AppendRecord(t, kReadmeText, 0, 0, "Read me\r\nplease");
  AppendTerminator(t);
  ASSERT_EQ(Read(kProgram + Package(t)), "");
  EXPECT_EQ(std::string(showState.showName), std::string(127, 'n'));
  EXPECT_STREQ(showState.showTitle, "Second title");
  EXPECT_STREQ(showState.creditLine, "short");
  EXPECT_STREQ(showState.infoLine, "no terminating NUL");
  EXPECT_STREQ(showState.readmeText, "Read me\r\nplease");
  EXPECT_EQ(showState.readmeLength, 15);
  ASSERT_EQ(showState.imageCount, 2);
  EXPECT_EQ(showState.images[0]->start, 0x100u);
  EXPECT_EQ(showState.images[1]->end, 0x400u);
  ASSERT_EQ(showState.soundCount, 1);
  EXPECT_EQ(showState.sounds[0]->length, 40);
}

TEST_F(ShowLoadingTest, CorruptPackagesHaveTheirMessages) {
  std::string valid, terminatorOnly, badChecksum;
  AppendRecord(valid, kImage, 1, 2, "");
  AppendTerminator(valid);
  AppendTerminator(terminatorOnly);
  AppendRecord(badChecksum, kShowName, 0, 0, Text("Name"));
  AppendTerminator(badChecksum);
  badChecksum[kHeaderBytes + 1] ^= 0x10;
  std::string differing = kProgram + Package(valid);
  differing.back() = 1;
  const char* const kOpc = "Corrupted scr file (OPC)!";
  const struct {
    const char* what;
    std::string file;
    const char* message;
  } cases[] = {
      {"trailer copies differ", differing, "Corrupted scr file (pointer)!"},
      {"no records", kProgram + Package(terminatorOnly), kOpc},
      {"offset beside the marker", kProgram + Package(valid, 65), kOpc},
      {"bad checksum", kProgram + Package(badChecksum), kOpc},
      {"offset past the end", kProgram + Package(valid, 0x7FFFFFF0u), kOpc},
      {"offset past 2^31", kProgram + Package(valid, 0x80000040u), kOpc},
      {"file shorter than a trailer", "abc", kOpc},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.file), c.message) << c.what;
  EXPECT_EQ(Read("", "absent"), "Cannot open file!");
}

TEST_F(ShowLoadingTest, TheProgramLoadsItsOwnShowAndItsSettings) {
  const std::string show = UniqueShowName("LoadTest");
  SetShowSetting(show, "RedrawSpeed", 1000);
  std::string t, silent;
  AppendRecord(t, kShowName, 0, 0, Text(show));
  silent = t;
  AppendRecord(t, kSound, 0, 0, std::string(10, 's'));
  AppendTerminator(t);
  AppendTerminator(silent);
  ChildResult r = RunShow("show.scr", t);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ProbeLine(r, "showName"), show);
  EXPECT_EQ(ProbeLine(r, "settings"), "1000,7,1,0,0,1");
  if (!ExeSuffix().empty()) {
    // Wine's sound output is whatever the machine has.
    EXPECT_EQ(ProbeLine(r, "soundAvailable"),
              std::stoi(ProbeLine(r, "outputDevices")) > 0 ? "1" : "0");
    return;
  }
  // SDL's dummy driver is one output; a show without sounds needs none, and a
  // driver that cannot start is none.
  EXPECT_EQ(ProbeLine(r, "soundAvailable"), "1");
  EXPECT_EQ(ProbeLine(RunShow("silent.scr", silent), "soundAvailable"), "0");
  SetEnv("SDL_AUDIODRIVER", "no-such-driver");
  EXPECT_EQ(ProbeLine(RunShow("show.scr", t), "soundAvailable"), "0");
}

TEST_F(ShowLoadingTest, ACorruptPackageEndsInTheErrorBoxBeforeTheNameCounts) {
  std::string t;
  AppendTerminator(t);
  ChildResult r = RunShow("broken.exe", t);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr("Error: Corrupted scr file (OPC)!\n"));
  EXPECT_THAT(r.err, Not(HasSubstr("install")));
  EXPECT_THAT(r.out, Not(HasSubstr("showName=")));
}

TEST_F(ShowLoadingTest, ProgramsNamedExeOfferInstallationAndEnd) {
  std::string t;
  AppendRecord(t, kShowName, 0, 0, Text(UniqueShowName("LoadTest")));
  AppendTerminator(t);
  ChildResult r = RunShow("SHOW.EXE", t);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr("Do you want to install"));
  EXPECT_THAT(r.out, Not(HasSubstr("showName=")));
}

}  // namespace
