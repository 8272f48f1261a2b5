// The showpack tool, run as a child process: packages it writes, what list,
// extract and check make of them, and the inputs it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/jpeg_maker.h"
#include "tests/support/package_bytes.h"
#include "tests/support/wave_image.h"

namespace fs = std::filesystem;

using namespace package_bytes;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Runs showpack and expects its exit code, and each of parts in what it wrote.
ChildResult ExpectShowpack(std::vector<std::string> args, int exitCode,
                           const std::vector<std::string>& parts = {}) {
  args.insert(args.begin(), BuildProgram("showpack"));
  ChildResult result = RunChild(args);
  EXPECT_EQ(result.exitCode, exitCode) << result.err;
  for (const std::string& part : parts)
    EXPECT_TRUE(Contains(result.out + result.err, part)) << part << " missing from\n"
                                                         << result.out << result.err;
  return result;
}

// A greyscale JPEG of exactly size bytes (from about 300): comments follow its
// JFIF marker.
std::string Picture(size_t size, int variant) {
  ScratchDir dir;
  JpegPicture picture;
  picture.width = picture.height = 8;
  picture.components = 1;
  WriteJpeg(dir / "p.jpg", picture, SolidRows(8, std::string(1, char(variant * 37))));
  std::string bytes = ReadFileBytes(dir / "p.jpg"), comments;
  for (size_t missing = size - bytes.size(); missing > 0;) {
    size_t segment = std::min<size_t>(missing, 65537);
    if (missing - segment > 0 && missing - segment < 4) segment -= 4;
    comments += "\xFF\xFE" + std::string{char((segment - 2) >> 8), char(segment - 2)} +
                std::string(segment - 4, char('a' + variant));
    missing -= segment;
  }
  return bytes.insert(20, comments);
}

// A WAV file of exactly size bytes (at least 45): 8-bit mono PCM.
std::string Sound(size_t size, int variant) {
  return PcmWave(1, 11025, 8, std::string(size - 44, char(variant)));
}

// Made by ImageMagick, Pillow and cjpeg (make_real_jpegs.sh).
std::string RealJpeg(const std::string& name) {
  return ProgramDir() + "real-jpegs/" + name;
}

// Creates dir/name from args, saying summary, and extracts it to dir/name-files.
ChildResult CreateAndExtract(const ScratchDir& dir, const std::string& name,
                             std::vector<std::string> args, const std::string& summary = "") {
  args.insert(args.begin(), {"create", "-o", dir / name});
  ChildResult created = ExpectShowpack(args, 0, {summary});
  ExpectShowpack({"extract", dir / name, dir / (name + "-files")}, 0);
  return created;
}

// An EXIF orientation entry as Pillow writes it (big-endian).
std::string OrientationEntry(int value) {
  return std::string("\x01\x12\x00\x03\x00\x00\x00\x01\x00", 9) + char(value);
}

// Nine pictures, every text and two sounds (one the smallest possible) after a
// 0x22000-byte player, laid out to the byte; what list, check and extract make of it.
TEST(ShowpackTest, LaysOutAShowToTheByteAndGivesItBack) {
  ScratchDir dir;
  const size_t sizes[] = {0xE6B3, 100001, 99990, 100007, 100002, 99985, 100003, 99996, 74977};
  const uint32_t starts[] = {0x22000, 0x306C0, 0x48D70, 0x61410, 0x79AC0,
                             0x92170, 0xAA810, 0xC2EC0, 0xDB560};
  const char* options[] = {"--name", "--title", "--credit", "--info"};
  // The info is the longest text that fits.
  const std::string texts[] = {"Worked example", "The Coast", "By us", std::string(127, 'i')};
  const std::string out = dir / "show.scr", target = dir / "show.scr-files/", in = dir / "in/";
  // The files go in under the names that extract gives them back.
  fs::create_directories(in);
  WriteFileBytes(in + "readme.txt", "Pictures of the coast.\nSounds of the sea.\n");
  WriteFileBytes(in + "show.txt",
                 "name: Worked example\ntitle: The Coast\ncredit: By us\ninfo: " + texts[3] + "\n");
  std::string expected(0x22000, 'P'), table;
  WriteFileBytes(dir / "player", expected);
  fs::permissions(dir / "player", fs::perms::owner_exec, fs::perm_options::add);
  std::vector<std::string> args = {"--player", dir / "player", "--readme", in + "readme.txt"};
  for (uint8_t type = kShowName; type <= kInfoLine; ++type) {
    args.insert(args.end(), {options[type - 1], texts[type - 1]});
    AppendRecord(table, type, 0, 0, Text(texts[type - 1]));
  }
  AppendRecord(table, kReadmeText, 0, 0, Text(ReadFileBytes(in + "readme.txt")));
  for (size_t i = 0; i < 9; ++i) {
    args.push_back(in + "picture-00" + std::to_string(i + 1) + ".jpg");
    WriteFileBytes(args.back(), Picture(sizes[i], int(i)));
    expected.resize(starts[i], '\0');
    expected += ReadFileBytes(args.back());
    AppendRecord(table, kImage, starts[i], uint32_t(starts[i] + sizes[i]), "");
  }
  for (int i : {1, 2}) {  // the second as small as a sound can be
    args.insert(args.end(), {"--sound", in + "sound-00" + std::to_string(i) + ".wav"});
    WriteFileBytes(args.back(), Sound(i == 1 ? 526778 : 45, i));
    AppendRecord(table, kSound, 0, 0, ReadFileBytes(args.back()));
  }
  AppendTerminator(table);
  expected.resize(0xEDA50, '\0');
  expected += table;
  // The trailer ends the file on a 2048-byte boundary.
  expected.append((2048 - (expected.size() + 8) % 2048) % 2048, '\0');
  AppendTrailer(expected, 0xEDA50);

  CreateAndExtract(dir, "show.scr", args);
  const std::string package = ReadFileBytes(out);
  EXPECT_TRUE(package == expected)
      << "differs from byte "
      << std::mismatch(package.begin(), package.end(), expected.begin()).first - package.begin();
  EXPECT_TRUE(!ExeSuffix().empty() ||
              (fs::status(out).permissions() & fs::perms::owner_exec) != fs::perms::none);
  for (const auto& entry : fs::directory_iterator(in))
    EXPECT_EQ(ReadFileBytes(target + entry.path().filename().string()),
              ReadFileBytes(entry.path().string()))
        << entry.path();
  ExpectShowpack(
      {"list", out}, 0,
      {"name: Worked example", "title: The Coast", "info: " + texts[3], "readme: 42 bytes",
       "0x000DB560-0x000EDA41", "pictures: 9", "sounds: 2", "ReadmeText", "Sound"});
  ExpectShowpack({"check", out}, 0, {"pictures: 9, sounds: 2; everything plays"});
  // A second extraction would overwrite them.
  WriteFileBytes(target + "show.txt", "edited");
  ExpectShowpack({"extract", out, target}, 2);
  EXPECT_EQ(ReadFileBytes(target + "show.txt"), "edited");
  ExpectShowpack({"extract", "--force", out, target}, 0);
  EXPECT_EQ(ReadFileBytes(target + "show.txt"), ReadFileBytes(in + "show.txt"));
}

// Refused: exit code 2, a message naming the culprit (libjpeg's reason for a
// picture), no output or temporary file. A table holds at most 1023 records.
TEST(ShowpackTest, CreateRefusesWhatThePlayerCouldNotShow) {
  ScratchDir dir;
  // Relative names keep 1024 of them within Windows' command line.
  const fs::path saved = fs::current_path();
  fs::current_path(dir.path());
  WriteFileBytes("good.jpg", Picture(3000, 0));
  WriteFileBytes("gif.jpg", "GIF89a");
  JpegPicture two;
  two.components = 2;
  WriteJpeg("two.jpg", two, SolidRows(16, std::string("\x10\x80", 2)));
  WriteFileBytes("cut-in-header.jpg", ReadFileBytes(RealJpeg("rgb.jpg")).substr(0, 100));
  WriteFileBytes("avi.wav", std::string("RIFF\x08\0\0\0AVI LIST", 16));
  WriteFileBytes("cut.wav", Sound(1000, 0).substr(0, 999));
  WriteFileBytes("nodata.wav",
                 RiffWave(Chunk("fmt ", FormatBody(1, 1, 11025, 8)) + Chunk("LIST", "INFO")));
  WriteFileBytes("mp3.wav", RiffWave(Chunk("fmt ", FormatBody(0x55, 1, 11025, 16)) +
                                     Chunk("data", std::string(100, 'x'))));
  // A player this big pushes the file's end to exactly 2^31.
  WriteFileBytes("huge", "");
  fs::resize_file("huge", (uint64_t(1) << 31) - 4096);
  fs::create_directories("sounds-only");
  WriteFileBytes("sounds-only/Sea.wav", Sound(300, 1));

  const std::string cannot = ": cannot be decoded: ";
  const std::pair<std::vector<std::string>, std::string> refusals[] = {
      {{}, "no pictures"},
      {{"gif.jpg"}, "gif.jpg" + cannot + "Not a JPEG file: starts with 0x47 0x49"},
      {{"cut-in-header.jpg"}, "cut-in-header.jpg" + cannot + "JPEG datastream contains no image"},
      {{"two.jpg"}, "two.jpg" + cannot + "a picture of 2 colour components, which the player"},
      {{"--sound", "avi.wav", "good.jpg"}, "avi.wav"},
      {{"--sound", "cut.wav", "good.jpg"}, "cut.wav: cut short"},
      {{"--sound", "nodata.wav", "good.jpg"}, "nodata.wav: no \"data\" chunk"},
      {{"--sound", "mp3.wav", "good.jpg"}, "mp3.wav: an unknown sound format (tag 0x0055)"},
      {{"--title", std::string(128, 't'), "good.jpg"}, "--title"},
      {{"good.jpg", "missing.jpg"}, "missing.jpg"},
      {{"--readme", "missing.txt", "good.jpg"}, "missing.txt"},
      {{"--player", "huge", "good.jpg"}, "2147483648"},
      {{"sounds-only"}, "no JPEG pictures"},
      {{"--sounds-from-folder", "good.jpg"}, "needs a folder"},
      {{"--max-size", "0x10", "good.jpg"}, "--max-size"},
      {std::vector<std::string>(1024, "good.jpg"), "1024 records"},
  };
  for (const auto& [refused, named] : refusals) {
    std::vector<std::string> args = {"create", "-o", "out.scr"};
    args.insert(args.end(), refused.begin(), refused.end());
    EXPECT_EQ(ExpectShowpack(args, 2, {named}).err.rfind("showpack", 0), 0u);
    EXPECT_FALSE(fs::exists("out.scr")) << named;
  }

  std::vector<std::string> full = {"create", "-o",       "out.scr", "--name", "n", "--title",
                                   "t",      "--credit", "c",       "--info", "i"};
  full.insert(full.end(), 1019, "good.jpg");
  ExpectShowpack(full, 0);
  ExpectShowpack({"list", "out.scr"}, 0, {"1022 Image"});
  // An existing file is replaced only when forced.
  WriteFileBytes("out.scr", "older");
  ExpectShowpack({"create", "-o", "out.scr", "good.jpg"}, 2);
  EXPECT_EQ(ReadFileBytes("out.scr"), "older");
  ExpectShowpack({"create", "-o", "out.scr", "--force", "good.jpg"}, 0);
  EXPECT_EQ(ReadFileBytes("out.scr").size(), 4096u);
  for (const auto& entry : fs::directory_iterator("."))
    EXPECT_FALSE(Contains(entry.path().filename().string(), "showpack")) << entry.path();
  fs::current_path(saved);
}

// A table the tool never writes: pictures that decode, do not, are empty or
// run past the end, an unknown type, a sound cut short. Damaged, the player's
// own message and exit code 1; as it is, what the player would skip.
TEST(ShowpackTest, ReportsWhatThePlayerWouldRefuseOrSkip) {
  ScratchDir dir;
  std::string file = Picture(400, 0);
  file.resize(0x1A0, '\0');
  file += "GIF89a, not a JPEG";
  AppendRecord(file, kShowName, 0, 0, Text("Damaged"));
  for (const auto& [start, end] :
       {std::pair<uint32_t, uint32_t>{0, 400}, {0x1A0, 0x1B2}, {40, 40}, {90000, 90400}})
    AppendRecord(file, kImage, start, end, "");
  AppendRecord(file, 9, 0, 0, "later");
  AppendRecord(file, kSound, 0, 0, Sound(200, 1));
  AppendRecord(file, kSound, 0, 0, Sound(200, 1).substr(0, 150));
  AppendTerminator(file);
  AppendTrailer(file, 0x1B2);
  const std::string show = dir / "odd.scr";
  WriteFileBytes(show, file);
  // The name's second payload byte: the checksum weighs the first by zero.
  std::string flipped = file;
  flipped[0x1B2 + kHeaderBytes + 1] ^= 0x01;
  WriteFileBytes(dir / "flipped.scr", flipped);
  file.back() ^= 0x40;
  WriteFileBytes(dir / "trailer.scr", file);

  ExpectShowpack({"check", dir / "flipped.scr"}, 1, {"Corrupted scr file (OPC)!"});
  ExpectShowpack({"extract", dir / "trailer.scr", dir / "out"}, 1,
                 {"Corrupted scr file (pointer)!"});
  EXPECT_FALSE(fs::exists(dir / "out"));
  ExpectShowpack({"check", dir / "missing.scr"}, 2);
  ExpectShowpack({"list", show}, 0,
                 {"type 9", "pictures: 4", "picture 3: its extent is empty",
                  "picture 4: its extent lies past the end"});
  ExpectShowpack({"extract", show, dir / "out"}, 1);
  EXPECT_EQ(ReadFileBytes(dir / "out/picture-001.jpg"), Picture(400, 0));
  EXPECT_FALSE(fs::exists(dir / "out/picture-004.jpg"));
  ExpectShowpack(
      {"check", show}, 1,
      {"picture 2 (0x000001A0-0x000001B2): skipped: the player cannot decode it",
       "picture 3 (0x00000028-0x00000028): skipped: its extent is empty",
       "picture 4 (0x00015F90-0x00016120): skipped: its extent lies past the end of the file",
       "sound 2 (150 bytes): skipped: ",
       "pictures: 4, sounds: 2; 3 pictures and 1 sounds would be skipped"});
}

// A camera's folder: extensions in any case, natural order; other and hidden
// files and subfolders left alone; its sounds after the named one.
TEST(ShowpackTest, FolderOperandTakesItsPicturesInNaturalOrder) {
  ScratchDir dir;
  fs::create_directories(dir / "photos/sub");
  // Written in another order than the one expected back.
  const char* names[] = {"img10.JPG", "IMG1.jpg", "img2.jpeg"};
  for (int i : {0, 1, 2})
    WriteFileBytes(dir / ("photos/" + std::string(names[i])), Picture(500 + 100 * i, i));
  WriteFileBytes(dir / "photos/notes.txt", "not a picture");
  WriteFileBytes(dir / "photos/._IMG1.jpg", "macOS resource fork");
  WriteFileBytes(dir / "photos/sub/img0.jpg", Picture(800, 4));
  WriteFileBytes(dir / "photos/Sea.WAV", Sound(300, 1));
  WriteFileBytes(dir / "first.jpg", Picture(900, 5));
  WriteFileBytes(dir / "named.wav", Sound(200, 2));
  CreateAndExtract(
      dir, "show.scr",
      {"--sound", dir / "named.wav", "--sounds-from-folder", dir / "first.jpg", dir / "photos"},
      "pictures: 4, sounds: 2");
  int i = 1;
  for (const char* from : {"first.jpg", "photos/IMG1.jpg", "photos/img2.jpeg", "photos/img10.JPG"})
    EXPECT_EQ(ReadFileBytes(dir / ("show.scr-files/picture-00" + std::to_string(i++) + ".jpg")),
              ReadFileBytes(dir / from))
        << from;
  EXPECT_EQ(ReadFileBytes(dir / "show.scr-files/sound-002.wav"), Sound(300, 1));
}

struct Spot {
  int x, y, rgb[3];
};

// What one picture becomes in a show.
struct Packed {
  std::string source;
  std::string said = {};      // the start of showpack's line about it; empty: none
  int width = 0, height = 0;  // 0: packed byte for byte
  std::vector<Spot> spots = {};
  std::string kept = {};  // bytes the packed picture still holds
};

// A portrait stored green top left, red top right and blue below, turned a
// quarter clockwise: green top right, red bottom right, blue on the left.
std::vector<Spot> Upright(int w, int h) {
  return {{w * 3 / 4, h / 4, 0, 255, 0},
          {w * 3 / 4, h * 3 / 4, 255, 0, 0},
          {w / 4, h / 4, 0, 0, 255},
          {w / 4, h * 3 / 4, 0, 0, 255}};
}

// Packs the pictures and checks each as extracted, decoded by libjpeg and the player's converter.
void ExpectPacked(std::vector<std::string> args, const std::vector<Packed>& pictures,
                  const std::string& summary) {
  ScratchDir dir;
  for (const Packed& p : pictures)
    args.push_back(p.source);
  ChildResult created = CreateAndExtract(dir, "show.scr", args, summary);
  long lines = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    const Packed& p = pictures[i];
    SCOPED_TRACE(p.source);
    lines += !p.said.empty();
    EXPECT_EQ(Contains(created.err, "showpack: " + p.source + ": " + p.said), !p.said.empty())
        << created.err;
    const std::string name = dir / ("show.scr-files/picture-00" + std::to_string(i + 1) + ".jpg");
    const std::string packed = ReadFileBytes(name);
    if (p.width == 0) {
      EXPECT_EQ(packed, ReadFileBytes(p.source));
      continue;
    }
    // libjpeg's decoding would end the test program on an empty file.
    ASSERT_FALSE(packed.empty());
    EXPECT_FALSE(Contains(packed, OrientationEntry(6)));
    EXPECT_TRUE(Contains(packed, p.kept));
    DecodedJpeg decoded = DecodeJpeg(name);
    ASSERT_EQ(std::vector<int>({decoded.components, decoded.width, decoded.height}),
              std::vector<int>({3, p.width, p.height}));
    for (const Spot& s : p.spots)
      for (size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(uint8_t(decoded.pixels[(size_t(s.y * p.width + s.x)) * 3 + c]), s.rgb[c], 40)
            << "at " << s.x << "," << s.y;
    EXPECT_EQ(RunChild({BuildProgram("jpeg_convert_probe"), name, dir / "p.bmp"}).exitCode, 0);
  }
  EXPECT_EQ(std::count(created.err.begin(), created.err.end(), '\n'), lines) << created.err;
}

// What the player decodes goes in byte for byte (cut in its data too); CMYK and
// YCCK become RGB; EXIF orientation 6 (or 8, Intel order) goes in upright,
// losslessly when whole blocks, with no orientation left to apply again.
TEST(ShowpackTest, CreatePacksPicturesAsThePlayerShowsThem) {
  ScratchDir dir;
  const std::string rgb = ReadFileBytes(RealJpeg("rgb.jpg")), real = RealJpeg("");
  WriteFileBytes(dir / "cut-in-data.jpg", rgb.substr(0, rgb.size() - 100));
  const std::vector<Spot> redOverBlue = {{10, 0, 255, 0, 0}, {50, 47, 0, 0, 255}};
  const std::vector<Spot> blueOverRed = {{24, 10, 0, 0, 255}, {24, 54, 255, 0, 0}};
  const std::string intelUpright("\x12\x01\x03\0\x01\0\0\0\x01\0", 10);
  ExpectPacked(
      {},
      {{real + "grey-progressive.jpg"},
       {real + "arithmetic.jpg"},
       {dir / "cut-in-data.jpg", "warning: Premature end of JPEG file"},
       {real + "ycck.jpg", "converted from YCCK", 64, 48, redOverBlue},
       {real + "cmyk.jpg", "converted from CMYK", 64, 48, redOverBlue},
       {real + "straight-cmyk.jpg", "converted from CMYK", 64, 48, {{50, 47, 255, 0, 0}}},
       {real + "portrait-400x200.jpg", "turned upright, re-encoded", 200, 400, Upright(200, 400)},
       // A lossless turn keeps the camera's EXIF, marked upright.
       {real + "portrait-416x208.jpg", "", 208, 416, Upright(208, 416), OrientationEntry(1)},
       {real + "intel-orientation-8.jpg", "", 48, 64, blueOverRed, intelUpright}},
      "3 turned upright");
  // --max-size shrinks larger upright sizes keeping the shape, at --quality;
  // pictures as large as allowed, and samplings TurboJPEG refuses, go in as they are.
  WritePhotoLikeJpeg(dir / "large.jpg", 640, 480);
  // Shrinking encodes anew anyway: the turn goes unremarked.
  ExpectPacked({"--max-size", "64x48"},
               {{dir / "large.jpg", "", 64, 48},
                {RealJpeg("rgb.jpg")},
                {RealJpeg("portrait-400x200.jpg"), "", 24, 48, Upright(24, 48)},
                {RealJpeg("odd-sampling.jpg"), "warning: packed as it is"}},
               "2 shrunk");
  for (const char* quality : {"90", "20"})
    CreateAndExtract(dir, quality,
                     {"--max-size", "320x320", "--quality", quality, dir / "large.jpg"});
  EXPECT_LT(ReadFileBytes(dir / "20-files/picture-001.jpg").size(),
            ReadFileBytes(dir / "90-files/picture-001.jpg").size() * 3 / 4);
}

// Help on standard output, exit 0; a wrong command line: usage on standard error, exit 2.
TEST(ShowpackTest, HelpAndUsage) {
  for (const char* line :
       {"--help", "create --help", "check -h", "", "pack", "create --colour red", "create p.jpg -o",
        "list", "extract show.scr", "list --force show.scr", "check a.scr b.scr"}) {
    std::istringstream words(line);
    const bool help = Contains(line, "-h");
    ChildResult result =
        ExpectShowpack({std::istream_iterator<std::string>(words), {}}, help ? 0 : 2);
    EXPECT_TRUE(Contains(help ? result.out : result.err, "usage")) << line;
  }
}

}  // namespace
