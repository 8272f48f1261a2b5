// Picture changes in process: solid-colour pictures, a window of known size,
// and its pixels, the cursor count and the temporary folder after each change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "package/show_state.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_random.h"
#include "tests/support/beep_counter.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"
#include "tests/support/window_class.h"
#include "tools/showpack/package_writer.h"

namespace {

// A picture's bytes, and the start and end its record gives instead, if any.
struct Entry {
  std::string bytes;
  uint32_t start = 0, end = 0;
};

constexpr COLORREF kRed = RGB(220, 30, 40), kGreen = RGB(20, 200, 60), kBlue = RGB(30, 50, 210);

class ShowCycleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");
    ASSERT_NE(RegisterTestClass("ShowCycleTest"), 0);
    // The show's temporary files go to a folder of the test's own.
    tempDir_ = new ScratchDir;
    UseTempFolder(tempDir_->path());
  }

  void SetUp() override {
    showState.settings = UserSettings();
    showState.settings.UseEff = 0;
    LastPictureIndex = -1;
  }

  void TearDown() override {
    if (packageFile != nullptr) std::fclose(packageFile);
    packageFile = nullptr;
    FreeRecordTable();
  }

  std::string Jpeg(int width, int height, COLORREF c) {
    WriteJpeg(dir_ / "picture.jpg", JpegPicture{width, height, 3, 100, true, 0, 0, 0, {}},
              SolidRows(width, {char(GetRValue(c)), char(GetGValue(c)), char(GetBValue(c))}));
    return ReadFileBytes(dir_ / "picture.jpg");
  }

  // Writes the pictures' package after stand-in program bytes and loads it.
  void Load(const std::vector<Entry>& entries) {
    TearDown();
    std::string file(300, 'P'), table;
    for (const Entry& entry : entries) {
      uint32_t start = uint32_t(file.size());
      file += entry.bytes;
      AppendRecord(table, ShowRecordType::Image, entry.start ? entry.start : start,
                   entry.end ? entry.end : uint32_t(file.size()), "");
    }
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    WriteFileBytes(dir_ / "show.scr", file + table);
    showState.imageCount = showState.soundCount = 0;
    const char* message = nullptr;
    packageFile = ReadShowPackage((dir_ / "show.scr").c_str(), &message);
    ASSERT_NE(packageFile, nullptr) << message;
  }

  void LoadSolid(int width, int height, const std::vector<COLORREF>& colours) {
    std::vector<Entry> entries;
    for (COLORREF colour : colours)
      entries.push_back({Jpeg(width, height, colour)});
    Load(entries);
  }

  // One window for each size for the whole run (under Wine without a window
  // manager, destroying a visible one takes two seconds), made black again.
  void OpenWindow(int width, int height) {
    static std::map<std::pair<int, int>, HWND> windows;
    HWND& window = windows[{width, height}];
    if (window == nullptr)
      window = CreateWindowExA(0, "ShowCycleTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, nullptr, nullptr);
    window_ = window;
    RECT client = {0, 0, width, height};
    HDC dc = GetDC(window_);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window_, dc);
  }

  // Whether the window's pixels at the points have the colour, give or take
  // the decoder's.
  bool Shows(COLORREF expected, std::initializer_list<POINT> points) {
    HDC dc = GetDC(window_);
    bool all = true;
    for (POINT p : points) {
      const COLORREF actual = GetPixel(dc, p.x, p.y);
      for (int shift : {0, 8, 16})
        all = all && std::abs(int(expected >> shift & 0xFF) - int(actual >> shift & 0xFF)) <= 3;
    }
    ReleaseDC(window_, dc);
    return all;
  }

  // Shows the next picture and checks that no temporary file stays behind.
  void Cycle() {
    ShowNextPicture(window_);
    for (const auto& entry : std::filesystem::directory_iterator(tempDir_->path()))
      EXPECT_NE(entry.path().filename().string().rfind("LV", 0), 0u) << entry.path();
  }

  static inline ScratchDir* tempDir_ = nullptr;
  ScratchDir dir_;
  HWND window_ = nullptr;
};

TEST_F(ShowCycleTest, PicturesComeInTableOrderAndFillTheWindow) {
  LoadSolid(32, 24, {kRed, kGreen, kBlue, kRed});
  showState.imageCount = 3;  // the order wraps before the fourth
  OpenWindow(160, 120);
  const COLORREF colours[] = {kRed, kGreen, kBlue};
  for (int expected : {0, 1, 2, 0, 1}) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, expected);
    EXPECT_TRUE(Shows(colours[expected], {{80, 60}, {0, 0}, {159, 119}})) << expected;
  }
}

// The small picture over the full-size one: the rest becomes black again.
TEST_F(ShowCycleTest, UnscaledPictureIsCentredOnBlack) {
  showState.settings.Resize = 0;
  Load({{Jpeg(100, 60, kGreen)}, {Jpeg(20, 10, kBlue)}});
  OpenWindow(100, 60);
  Cycle();
  EXPECT_TRUE(Shows(kGreen, {{0, 0}}));
  Cycle();
  EXPECT_TRUE(Shows(kBlue, {{40, 25}, {59, 34}}));
  EXPECT_TRUE(Shows(RGB(0, 0, 0), {{39, 25}, {60, 34}, {40, 24}, {59, 35}, {0, 0}}));
}

// Two pictures alternate; a lone one comes every time without a draw, which
// could never give another.
TEST_F(ShowCycleTest, ShuffleNeverRepeatsAPictureAndNeedsTwo) {
  showState.settings.Shuffle = 1;
  LoadSolid(8, 8, {kRed, kGreen});
  OpenWindow(40, 30);
  ResetShowRandom(12345);
  Cycle();
  for (int i = 0, previous = LastPictureIndex; i < 6; ++i, previous = LastPictureIndex) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, 1 - previous);
    EXPECT_TRUE(Shows(LastPictureIndex == 0 ? kRed : kGreen, {{20, 15}}));
  }
  LoadSolid(8, 8, {kBlue});
  Cycle();
  Cycle();
  EXPECT_EQ(LastPictureIndex, 0);
  EXPECT_TRUE(Shows(kBlue, {{20, 15}}));
}

// Pictures that cannot be shown keep the one before: unreadable records, ones
// the decoder gives up on at the start or scan, and any while there is no
// temporary folder (a beep). One ending past the package shows what there is.
TEST_F(ShowCycleTest, PicturesThatCannotBeShownKeepThePreviousOne) {
  const std::string photo = ReadFileBytes(LUMIVANE_TEST_PICTURES + std::string("testorig.jpg"));
  Load({{Jpeg(16, 16, kRed)},
        {"", 400, 400},                  // no bytes
        {"", 500, 400},                  // ends before it starts
        {"", 0x7FFFF000u, 0x7FFFFF00u},  // past the file's end
        {"", 0x90000000u, 0x90000100u},  // beyond a signed offset
        {"GIF89a"},
        {photo.substr(0, photo.find("\xFF\xDA"))},
        {Jpeg(16, 16, kGreen), 0, 0x7FFFFFF0u},
        {Jpeg(16, 16, kBlue)}});
  OpenWindow(40, 30);
  const int beeps = CountedBeeps();
  for (int expected = 0; expected <= 7; ++expected) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, expected);
    EXPECT_TRUE(Shows(expected < 7 ? kRed : kGreen, {{20, 15}})) << expected;
  }
  EXPECT_EQ(CountedBeeps(), beeps);
  UseTempFolder(tempDir_->path() + "/missing");
  ShowNextPicture(window_);
  UseTempFolder(tempDir_->path());
  EXPECT_EQ(CountedBeeps(), beeps + 1);
  EXPECT_EQ(LastPictureIndex, 8);
  Cycle();
  showState.imageCount = 0;
  Cycle();
  EXPECT_EQ(LastPictureIndex, 0);
  EXPECT_TRUE(Shows(kRed, {{20, 15}}));
}

// A window without a client area in one direction draws into GDI's 1x1
// default bitmap, with and without effects. Only windows wider than 600 hide
// the cursor, each time.
TEST_F(ShowCycleTest, WindowSizes) {
  LoadSolid(16, 12, {kRed, kGreen});
  for (int32_t effects : {1, 0}) {
    showState.settings.UseEff = effects;
    for (auto [width, height] : {std::pair{0, 30}, {40, 0}}) {
      OpenWindow(width, height);
      Cycle();
    }
  }
  const int before = ShowCursor(FALSE) + 1;
  for (int width : {600, 601}) {
    OpenWindow(width, 40);
    Cycle();
    Cycle();
  }
  EXPECT_TRUE(Shows(LastPictureIndex == 0 ? kRed : kGreen, {{300, 20}}));
  // Hidden once to read the count, then twice by the wide window.
  EXPECT_EQ(ShowCursor(TRUE), before - 2);
  ShowCursor(TRUE);
  ShowCursor(TRUE);
}

}  // namespace
