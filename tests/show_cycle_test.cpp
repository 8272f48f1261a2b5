// One picture change at a time, in process: a package of solid-colour
// pictures read into showState, a window of known size, and the window's
// pixels, cursor count and temporary folder looked at after each change.
// Natively the window lives in SDL's dummy video driver, under Wine on Xvfb.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "package/show_state.h"
#include "platform/win32.h"
#include "show/show_cycle.h"
#include "show/show_random.h"
#include "tests/support/beep_counter.h"
#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/show_settings.h"
#include "tools/showpack/package_writer.h"

namespace {

struct Picture {
  int width;
  int height;
  COLORREF colour;
};

// A picture record in the package: its own bytes, or explicit offsets.
struct PictureEntry {
  std::string bytes;
  bool explicitOffsets = false;
  uint32_t start = 0;
  uint32_t end = 0;
};

constexpr COLORREF kRed = RGB(220, 30, 40);
constexpr COLORREF kGreen = RGB(20, 200, 60);
constexpr COLORREF kBlue = RGB(30, 50, 210);
constexpr COLORREF kBlack = RGB(0, 0, 0);

class ShowCycleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnv("SDL_VIDEODRIVER", "dummy");
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ShowCycleTest";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    // The show's temporary files go to a folder of the test's own, which
    // stays for the whole run: later scratch folders are made in it.
    tempDir_ = new ScratchDir;
    UseTempFolder(tempDir_->path());
  }

  static void TearDownTestSuite() {
    delete tempDir_;
    tempDir_ = nullptr;
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

  std::string Jpeg(const Picture& picture) {
    JpegPicture jpeg;
    jpeg.width = picture.width;
    jpeg.height = picture.height;
    jpeg.quality = 100;
    jpeg.storeAsRgb = true;
    std::string colour = {char(GetRValue(picture.colour)), char(GetGValue(picture.colour)),
                          char(GetBValue(picture.colour))};
    std::string path = dir_ / "picture.jpg";
    WriteJpeg(path, jpeg, SolidRows(picture.width, colour));
    return ReadFileBytes(path);
  }

  // Writes a package of the given pictures after some bytes that stand for
  // the program, reads it into showState and opens it as the show's file.
  void LoadPackage(const std::vector<PictureEntry>& entries) {
    std::string file(300, 'P');
    std::string table;
    for (const PictureEntry& entry : entries) {
      uint32_t start = uint32_t(file.size());
      file += entry.bytes;
      AppendRecord(table, ShowRecordType::Image, entry.explicitOffsets ? entry.start : start,
                   entry.explicitOffsets ? entry.end : uint32_t(file.size()), "");
    }
    AppendTerminator(table);
    AppendTrailer(table, uint32_t(file.size()));
    std::string path = dir_ / "show.scr";
    WriteFileBytes(path, file + table);

    ClearRecordTable();
    showState.imageCount = 0;
    showState.soundCount = 0;
    const char* message = nullptr;
    packageFile = ReadShowPackage(path.c_str(), &message);
    ASSERT_NE(packageFile, nullptr) << message;
  }

  void LoadPictures(const std::vector<Picture>& pictures) {
    std::vector<PictureEntry> entries;
    for (const Picture& picture : pictures)
      entries.push_back({Jpeg(picture)});
    LoadPackage(entries);
  }

  // Windows stay for the whole run, one for each size: under Wine without a
  // window manager, destroying a visible window takes two seconds. Each test
  // starts on black, so that no picture of an earlier test counts.
  void OpenWindow(int width, int height) {
    static std::map<std::pair<int, int>, HWND> windows;
    HWND& window = windows[{width, height}];
    if (window == nullptr) {
      window = CreateWindowExA(0, "ShowCycleTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    window_ = window;
    ASSERT_NE(window_, nullptr);
    RECT client = {};
    GetClientRect(window_, &client);
    ASSERT_EQ(client.right, width);
    ASSERT_EQ(client.bottom, height);
    HDC dc = GetDC(window_);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(window_, dc);
  }

  COLORREF Pixel(int x, int y) {
    HDC dc = GetDC(window_);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window_, dc);
    return colour;
  }

  // The show's temporary files still in the temporary folder.
  std::vector<std::string> LeftoverTempFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tempDir_->path())) {
      std::string name = entry.path().filename().string();
      if (name.rfind("LVB", 0) == 0 || name.rfind("LVJ", 0) == 0) names.push_back(name);
    }
    return names;
  }

  // Shows the next picture and checks that no temporary file stays behind.
  void Cycle() {
    ShowNextPicture(window_);
    EXPECT_EQ(LeftoverTempFiles(), std::vector<std::string>());
  }

  static inline ScratchDir* tempDir_ = nullptr;
  ScratchDir dir_;
  HWND window_ = nullptr;
};

::testing::AssertionResult SameColour(COLORREF expected, COLORREF actual) {
  auto within = [](int a, int b) { return std::abs(a - b) <= 3; };
  if (within(GetRValue(expected), GetRValue(actual)) &&
      within(GetGValue(expected), GetGValue(actual)) &&
      within(GetBValue(expected), GetBValue(actual)))
    return ::testing::AssertionSuccess();
  char text[80];
  std::snprintf(text, sizeof text, "expected %06lx, found %06lx", (unsigned long)expected,
                (unsigned long)actual);
  return ::testing::AssertionFailure() << text;
}

TEST_F(ShowCycleTest, PicturesComeInTableOrderAndFillTheWindow) {
  LoadPictures({{32, 24, kRed}, {32, 24, kGreen}, {32, 24, kBlue}});
  OpenWindow(160, 120);
  const int order[] = {0, 1, 2, 0, 1};
  const COLORREF colours[] = {kRed, kGreen, kBlue};
  for (int expected : order) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, expected);
    // Scaled to the full 160x120: every corner is the picture.
    EXPECT_TRUE(SameColour(colours[expected], Pixel(80, 60)));
    EXPECT_TRUE(SameColour(colours[expected], Pixel(0, 0)));
    EXPECT_TRUE(SameColour(colours[expected], Pixel(159, 119)));
  }
}

TEST_F(ShowCycleTest, UnscaledPictureIsCentredOnBlack) {
  showState.settings.Resize = 0;
  LoadPictures({{20, 10, kBlue}, {100, 60, kGreen}});
  OpenWindow(100, 60);
  Cycle();
  Cycle();
  EXPECT_TRUE(SameColour(kGreen, Pixel(0, 0)));
  // The small picture over the full-size one: the rest becomes black again.
  Cycle();
  EXPECT_TRUE(SameColour(kBlue, Pixel(40, 25)));
  EXPECT_TRUE(SameColour(kBlue, Pixel(59, 34)));
  EXPECT_TRUE(SameColour(kBlack, Pixel(39, 25)));
  EXPECT_TRUE(SameColour(kBlack, Pixel(60, 34)));
  EXPECT_TRUE(SameColour(kBlack, Pixel(40, 24)));
  EXPECT_TRUE(SameColour(kBlack, Pixel(59, 35)));
  EXPECT_TRUE(SameColour(kBlack, Pixel(0, 0)));
}

TEST_F(ShowCycleTest, ShuffleNeverRepeatsAPicture) {
  showState.settings.Shuffle = 1;
  LoadPictures({{8, 8, kRed}, {8, 8, kGreen}});
  OpenWindow(40, 30);
  ResetShowRandom(12345);
  Cycle();
  int32_t previous = LastPictureIndex;
  for (int i = 0; i < 6; ++i) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, 1 - previous);
    EXPECT_TRUE(SameColour(LastPictureIndex == 0 ? kRed : kGreen, Pixel(20, 15)));
    previous = LastPictureIndex;
  }
}

TEST_F(ShowCycleTest, ShuffleWithOnePictureDrawsNoRandomNumber) {
  showState.settings.Shuffle = 1;
  LoadPictures({{8, 8, kRed}});
  OpenWindow(40, 30);
  ResetShowRandom(777);
  int32_t first = ShowRandom();
  ResetShowRandom(777);
  for (int i = 0; i < 3; ++i) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, 0);
  }
  EXPECT_EQ(ShowRandom(), first);
  EXPECT_TRUE(SameColour(kRed, Pixel(20, 15)));
}

TEST_F(ShowCycleTest, PicturesThatCannotBeLoadedKeepThePreviousOne) {
  std::string red = Jpeg({16, 16, kRed}), green = Jpeg({16, 16, kGreen});
  std::vector<PictureEntry> entries = {{red}};
  entries.push_back({"", true, 400, 400});                  // no bytes
  entries.push_back({"", true, 500, 400});                  // ends before it starts
  entries.push_back({"", true, 0x7FFFF000u, 0x7FFFFF00u});  // past the file's end
  entries.push_back({"", true, 0x90000000u, 0x90000100u});  // beyond a signed offset
  entries.push_back({green});
  LoadPackage(entries);
  OpenWindow(40, 30);
  Cycle();
  EXPECT_TRUE(SameColour(kRed, Pixel(20, 15)));
  for (int expected = 1; expected <= 4; ++expected) {
    Cycle();
    EXPECT_EQ(LastPictureIndex, expected);
    EXPECT_TRUE(SameColour(kRed, Pixel(20, 15))) << "picture " << expected;
  }
  Cycle();
  EXPECT_EQ(LastPictureIndex, 5);
  EXPECT_TRUE(SameColour(kGreen, Pixel(20, 15)));
}

TEST_F(ShowCycleTest, PictureEndingPastThePackageCopiesOnlyWhatExists) {
  // The last picture claims nearly 2 GiB; the package ends long before.
  std::string blue = Jpeg({16, 16, kBlue});
  LoadPackage({{blue, true, 300, 0x7FFFFFF0u}});
  OpenWindow(40, 30);
  Cycle();
  EXPECT_EQ(LastPictureIndex, 0);
  EXPECT_TRUE(SameColour(kBlue, Pixel(20, 15)));
}

TEST_F(ShowCycleTest, WithoutPicturesTheWindowStaysAsItIs) {
  LoadPictures({{8, 8, kGreen}});
  OpenWindow(40, 30);
  Cycle();
  ASSERT_TRUE(SameColour(kGreen, Pixel(20, 15)));
  showState.imageCount = 0;
  Cycle();
  Cycle();
  EXPECT_EQ(LastPictureIndex, 0);
  EXPECT_TRUE(SameColour(kGreen, Pixel(20, 15)));
}

TEST_F(ShowCycleTest, TransitionsEndOnTheWholePicture) {
  showState.settings.UseEff = 1;
  LoadPictures({{24, 16, kRed}, {24, 16, kBlue}});
  OpenWindow(48, 32);
  ResetShowRandom(1);
  // Enough changes for several different effects.
  for (int i = 0; i < 6; ++i) {
    Cycle();
    COLORREF colour = i % 2 ? kBlue : kRed;
    for (POINT p : {POINT{0, 0}, POINT{47, 0}, POINT{24, 16}, POINT{0, 31}, POINT{47, 31}})
      EXPECT_TRUE(SameColour(colour, Pixel(p.x, p.y)))
          << "change " << i << " at " << p.x << "," << p.y;
  }
}

std::string RealPicture(const std::string& name) {
  return ReadFileBytes(std::string(LUMIVANE_TEST_PICTURES) + name);
}

// Pictures the decoder gives up on, between good ones: each good one shows,
// the others leave it, the temporary files go and the show goes on.
TEST_F(ShowCycleTest, UndecodablePicturesAreSkipped) {
  showState.settings.Resize = 0;
  JpegPicture ycck;
  ycck.width = ycck.height = 64;
  ycck.components = 4;
  ycck.storeAsYcck = true;
  WriteJpeg(dir_ / "ycck.jpg", ycck, PhotoLikeRows(64, 64, 4));
  const std::string photo = RealPicture("testorig.jpg");
  LoadPackage({{Jpeg({227, 149, kRed})},
               {RealPicture("cmyk.jpg")},
               {photo},
               {RealPicture("testorig12.jpg")},
               {Jpeg({227, 149, kGreen})},
               {ReadFileBytes(dir_ / "ycck.jpg")},
               {photo.substr(0, photo.find("\xFF\xDA"))},
               {"GIF89a"},
               {Jpeg({227, 149, kBlue})}});
  OpenWindow(227, 149);
  WriteFileBytes(dir_ / "photo.jpg", photo);
  DecodedJpeg decoded = DecodeJpeg(dir_ / "photo.jpg");
  ASSERT_EQ(decoded.width, 227);
  auto photoPixel = [&](int x, int y) {
    const char* p = decoded.pixels.data() + 3 * (size_t(y) * 227 + size_t(x));
    return RGB(uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2]));
  };
  auto expectPhoto = [&]() {
    for (POINT p : {POINT{0, 0}, POINT{113, 74}, POINT{226, 148}, POINT{50, 120}})
      EXPECT_TRUE(SameColour(photoPixel(p.x, p.y), Pixel(p.x, p.y))) << p.x << "," << p.y;
  };

  const COLORREF kPhoto = CLR_INVALID;
  const COLORREF shown[] = {kRed, kRed, kPhoto, kPhoto, kGreen, kGreen, kGreen, kGreen, kBlue};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE("picture " + std::to_string(i));
    Cycle();
    EXPECT_EQ(LastPictureIndex, i);
    if (shown[i] == kPhoto) {
      expectPhoto();
    } else {
      EXPECT_TRUE(SameColour(shown[i], Pixel(113, 74)));
      EXPECT_TRUE(SameColour(shown[i], Pixel(226, 148)));
    }
  }
}

// Without a temporary folder there is nowhere to put the picture's files: one
// beep for the change, and the picture stays.
TEST_F(ShowCycleTest, NoTemporaryNameBeepsAndKeepsThePicture) {
  LoadPictures({{8, 8, kRed}, {8, 8, kGreen}, {8, 8, kBlue}});
  OpenWindow(40, 30);
  Cycle();
  BeepCount before = CountedBeeps();
  UseTempFolder(tempDir_->path() + "/missing");
  ShowNextPicture(window_);
  BeepCount after = CountedBeeps();
  UseTempFolder(tempDir_->path());
  EXPECT_EQ(after.beeps, before.beeps + 1);
  EXPECT_EQ(after.lastType, UINT(MB_ICONASTERISK));
  EXPECT_EQ(LastPictureIndex, 1);
  EXPECT_TRUE(SameColour(kRed, Pixel(20, 15)));
  Cycle();
  EXPECT_EQ(CountedBeeps().beeps, after.beeps);
  EXPECT_TRUE(SameColour(kBlue, Pixel(20, 15)));
}

// A window without a client area in one direction: its frame is GDI's 1x1
// default bitmap, which must take the drawing, with and without effects.
TEST_F(ShowCycleTest, WindowsWithoutAClientAreaDrawNothing) {
  LoadPictures({{16, 12, kRed}, {16, 12, kGreen}});
  for (int32_t resize : {1, 0}) {
    for (int32_t effects : {0, 1}) {
      SCOPED_TRACE("Resize " + std::to_string(resize) + ", UseEff " + std::to_string(effects));
      showState.settings.Resize = resize;
      showState.settings.UseEff = effects;
      OpenWindow(0, 30);
      Cycle();
      OpenWindow(40, 0);
      Cycle();
    }
  }
  // The show goes on in a window that has one.
  OpenWindow(40, 30);
  Cycle();
  EXPECT_TRUE(SameColour(LastPictureIndex == 0 ? kRed : kGreen, Pixel(20, 15)));
}

// The thread's cursor display count, left as it was.
int CursorCount() {
  int count = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  return count;
}

TEST_F(ShowCycleTest, OnlyWindowsWiderThan600HideTheCursorEachTime) {
  LoadPictures({{8, 8, kRed}});
  OpenWindow(600, 40);
  int before = CursorCount();
  Cycle();
  Cycle();
  EXPECT_EQ(CursorCount(), before);
  OpenWindow(601, 40);
  Cycle();
  Cycle();
  EXPECT_EQ(CursorCount(), before - 2);
  ShowCursor(TRUE);
  ShowCursor(TRUE);
}

}  // namespace
