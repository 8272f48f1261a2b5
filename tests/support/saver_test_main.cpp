// The main of test programs that create the saver window in their own
// process. The window loads the show appended to the program's own file, as
// the player does; so the program runs its cases in a copy of itself with a
// small show of two pictures appended, and passes on what the copy said and
// whether it passed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/saver_test_main.h"
#include "tests/support/show_settings.h"
#include "tools/showpack/package_writer.h"

namespace {

constexpr const char* kCopyVariable = "LUMIVANE_TEST_RUNS_WITH_SHOW";
constexpr const char* kProgramDirVariable = "LUMIVANE_TEST_PROGRAM_DIR";

int RunCopyWithShow(int argc, char** argv) {
  char ownPath[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, ownPath, sizeof ownPath);
  ScratchDir dir;
  // Natively the registry lives in a file of the test's own.
  SetEnv("XDG_CONFIG_HOME", dir / "config");
  const std::string show = UniqueShowName("SaverTest");
  // Pictures change at once, and no sound plays.
  SetShowSetting(show, "UseEff", 0);
  SetShowSetting(show, "Mute", 1);

  std::string file = ReadFileBytes(ownPath);
  std::string table;
  AppendRecord(table, ShowRecordType::ShowName, 0, 0, show + std::string(1, '\0'));
  for (const char* rgb : {"\xFF\x00\x00", "\x00\x00\xFF"}) {
    WriteSolidRgbJpeg(dir / "picture.jpg", std::string(rgb, 3));
    uint32_t start = uint32_t(file.size());
    file += ReadFileBytes(dir / "picture.jpg");
    AppendRecord(table, ShowRecordType::Image, start, uint32_t(file.size()), "");
  }
  AppendTerminator(table);
  AppendTrailer(table, uint32_t(file.size()));
  // A program whose name ends in "exe" offers to install itself instead.
  const std::string stem = std::filesystem::path(ownPath).stem().string();
  std::string copy = dir / (stem + (ExeSuffix().empty() ? "" : ".scr"));
  WriteFileBytes(copy, file + table);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add);

  // The report goes where this program's own would.
  const char* output = std::getenv("GTEST_OUTPUT");
  const std::string report = output != nullptr ? output : "";
  if (report.rfind("xml:", 0) == 0 && (report.back() == '/' || report.back() == '\\'))
    SetEnv("GTEST_OUTPUT", report + stem + ".xml");
  SetEnv(kProgramDirVariable, ProgramDir());
  SetEnv(kCopyVariable, "1");
  std::vector<std::string> command(argv, argv + argc);
  command[0] = copy;
  ChildResult r = RunChild(command);
  std::fputs(r.out.c_str(), stdout);
  std::fprintf(stderr, "%s%s", r.err.c_str(), r.exitCode == -1 ? "cannot run the copy\n" : "");
  return r.exitCode == 0 ? 0 : 1;
}

}  // namespace

std::string TestProgramDir() {
  const char* dir = std::getenv(kProgramDirVariable);
  return dir != nullptr ? dir : ProgramDir();
}

int main(int argc, char** argv) {
  const char* inCopy = std::getenv(kCopyVariable);
  if (inCopy == nullptr || *inCopy == '\0') return RunCopyWithShow(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
