// Loading a show: packages read in process, and copies of show_probe with a
// package appended for what happens around the read (few: under Wine each
// process costs seconds).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "package/show_state.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"
#include "tests/support/show_settings.h"

using ::testing::HasSubstr;
using ::testing::Not;
using namespace package_bytes;

namespace {

const std::string kProgram(64, 'P');
const bool kWine = !ExeSuffix().empty();

// The package of `records`, terminator included, with its trailer.
std::string Package(std::string records, uint32_t offset = 64) {
  AppendTrailer(records, offset);
  return records;
}

class ShowLoadingTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeRecordTable(); }

  // Reads the file of `bytes` in process: the message, "" once it loaded.
  std::string Read(const std::string& bytes) {
    FreeRecordTable();
    showState = ShowState{};
    if (!bytes.empty()) WriteFileBytes(dir_ / "package", bytes);
    const char* message = nullptr;
    FILE* file = ReadShowPackage((dir_ / (bytes.empty() ? "absent" : "package")).c_str(), &message);
    return file == nullptr ? message : (std::fclose(file), "");
  }

  // Runs a copy of the probe named `name` with the package of `records`.
  ChildResult RunShow(const std::string& name, const std::string& records) {
    const std::string probe = ReadFileBytes(BuildProgram("show_probe")), path = dir_ / name;
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
};

TEST_F(ShowLoadingTest, ReadsTextsCutToTheirFieldsPicturesAndSounds) {
  std::string t;
  AppendRecord(t, kShowName, 0, 0, std::string(200, 'n'));
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
  std::string valid, empty;
  AppendRecord(valid, kImage, 1, 2, "");
  AppendTerminator(valid);
  AppendTerminator(empty);
  std::string differing = kProgram + Package(valid);
  differing.back() = 1;
  EXPECT_EQ(Read(differing), "Corrupted scr file (pointer)!");
  EXPECT_EQ(Read(""), "Cannot open file!");
  // No records, a table that does not read, an offset past 2^31, no trailer.
  for (std::string bytes : {kProgram + Package(empty), kProgram + Package(valid, 65),
                            kProgram + Package(valid, 0x80000040u), std::string("abc")})
    EXPECT_EQ(Read(bytes), "Corrupted scr file (OPC)!") << bytes.size();
}

// The probe's own package; its settings; sound, which natively SDL's dummy
// driver gives and a driver that cannot start does not; a corrupt package's
// box, before the name ending in "exe" counts (install_offer_test offers).
TEST_F(ShowLoadingTest, TheProgramLoadsItsOwnShow) {
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    SetEnv(name, dir_ / name);
  SetEnv("SDL_VIDEODRIVER", "dummy");
  SetEnv("SDL_AUDIODRIVER", "dummy");
  const std::string temp = std::filesystem::temp_directory_path().string();
  std::filesystem::create_directories(dir_ / "tmp");
  UseTempFolder(dir_ / "tmp");
  const std::string show = UniqueShowName("LoadTest");
  SetShowSetting(show, "RedrawSpeed", 1000);
  std::string silent, t, corrupt;
  AppendRecord(silent, kShowName, 0, 0, Text(show));
  AppendRecord(t = silent, kSound, 0, 0, std::string(10, 's'));
  for (std::string* records : {&silent, &t, &corrupt})
    AppendTerminator(*records);
  ChildResult r = RunShow("show.scr", t);
  // Wine's sound output is whatever the machine has.
  EXPECT_THAT(r.out, HasSubstr("showName=" + show + "\nsoundAvailable=" + (kWine ? "" : "1\n")));
  EXPECT_THAT(r.out, HasSubstr("settings=1000,7,1,0,0,1\n"));
  EXPECT_THAT(RunShow("silent.scr", silent).out, HasSubstr("soundAvailable=0\n"));
  r = RunShow("broken.exe", corrupt);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.err, HasSubstr("Error: Corrupted scr file (OPC)!\n"));
  EXPECT_THAT(r.err + r.out, Not(HasSubstr("install")));
  if (!kWine) {
    SetEnv("SDL_AUDIODRIVER", "no-such-driver");
    EXPECT_THAT(RunShow("show.scr", t).out, HasSubstr("soundAvailable=0\n"));
  }
  UseTempFolder(temp);
}

}  // namespace
