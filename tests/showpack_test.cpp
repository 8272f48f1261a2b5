// The showpack tool, run as a child process: packages it writes, what list,
// extract and check make of them, and the inputs it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

ChildResult Showpack(std::vector<std::string> args) {
  args.insert(args.begin(), BuildProgram("showpack"));
  return RunChild(args);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A greyscale JPEG of exactly size bytes (from about 300), padded with comments.
std::string Picture(size_t size, int variant) {
  ScratchDir dir;
  JpegPicture picture;
  picture.width = picture.height = 8;
  picture.components = 1;
  const JpegRowFill fill = SolidRows(8, std::string(1, char(variant * 37)));
  WriteJpeg(dir / "p.jpg", picture, fill);
  for (size_t missing = size - ReadFileBytes(dir / "p.jpg").size(); missing > 0;) {
    size_t segment = std::min<size_t>(missing, 65537);
    if (missing - segment > 0 && missing - segment < 4) segment -= 4;
    picture.markers.push_back({kJpegComMarker, std::string(segment - 4, char('a' + variant))});
    missing -= segment;
  }
  WriteJpeg(dir / "p.jpg", picture, fill);
  std::string bytes = ReadFileBytes(dir / "p.jpg");
  EXPECT_EQ(bytes.size(), size) << "no picture of this size";
  return bytes;
}

// A WAV file of exactly size bytes (at least 45): 8-bit mono PCM.
std::string Sound(size_t size, int variant) {
  std::string samples(size - 44, '\0');
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = char((i * 13 + size_t(variant)) & 0xFF);
  return PcmWave(1, 11025, 8, samples);
}

// Made by ImageMagick, Pillow and cjpeg (make_real_jpegs.sh): red over blue, 64 x 48.
std::string RealJpeg(const std::string& name) {
  return ProgramDir() + "real-jpegs/" + name;
}

// Creates dir/name from args and extracts it to dir/name-files.
ChildResult CreateAndExtract(const ScratchDir& dir, const std::string& name,
                             std::vector<std::string> args) {
  args.insert(args.begin(), {"create", "-o", dir / name});
  ChildResult created = Showpack(args);
  EXPECT_EQ(created.exitCode, 0) << created.err;
  ChildResult extracted = Showpack({"extract", dir / name, dir / (name + "-files")});
  EXPECT_EQ(extracted.exitCode, 0) << extracted.err;
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
  const std::vector<size_t> sizes = {0xE6B3, 100001, 99990, 100007, 100002,
                                     99985,  100003, 99996, 74977};
  const std::vector<uint32_t> starts = {0x22000, 0x306C0, 0x48D70, 0x61410, 0x79AC0,
                                        0x92170, 0xAA810, 0xC2EC0, 0xDB560};
  const std::vector<std::string> sounds = {Sound(526778, 5), Sound(45, 2)};
  const std::string readme = "Pictures of the coast.\nSounds of the sea.\n";
  const std::string info(127, 'i');  // the longest text that fits
  const std::string out = dir / "show.scr", target = dir / "show.scr-files/";
  std::string expected(0x22000, 'P');
  WriteFileBytes(dir / "player", expected);
  fs::permissions(dir / "player", fs::perms::owner_exec, fs::perm_options::add);
  WriteFileBytes(dir / "readme.txt", readme);
  std::vector<std::string> args = {"--player", dir / "player", "--name",   "Worked example",
                                   "--title",  "The Coast",    "--credit", "By us",
                                   "--info",   info,           "--readme", dir / "readme.txt"};
  std::string table;
  AppendRecord(table, kShowName, 0, 0, Text("Worked example"));
  AppendRecord(table, kShowTitle, 0, 0, Text("The Coast"));
  AppendRecord(table, kCreditLine, 0, 0, Text("By us"));
  AppendRecord(table, kInfoLine, 0, 0, Text(info));
  AppendRecord(table, kReadmeText, 0, 0, Text(readme));
  std::vector<std::string> pictures;
  for (size_t i = 0; i < sizes.size(); ++i) {
    pictures.push_back(Picture(sizes[i], int(i)));
    args.push_back(dir / ("p" + std::to_string(i) + ".jpg"));
    WriteFileBytes(args.back(), pictures.back());
    expected.resize(starts[i], '\0');
    expected += pictures.back();
    AppendRecord(table, kImage, starts[i], uint32_t(starts[i] + sizes[i]), "");
  }
  for (size_t i = 0; i < sounds.size(); ++i) {
    args.insert(args.end(), {"--sound", dir / ("s" + std::to_string(i) + ".wav")});
    WriteFileBytes(args.back(), sounds[i]);
    AppendRecord(table, kSound, 0, 0, sounds[i]);
  }
  AppendTerminator(table);
  ASSERT_EQ(expected.size(), 0xEDA41u);
  expected.resize(0xEDA50, '\0');
  expected += table;
  // The trailer ends the file on a 2048-byte boundary.
  expected.append((2048 - (expected.size() + 8) % 2048) % 2048, '\0');
  AppendTrailer(expected, 0xEDA50);

  CreateAndExtract(dir, "show.scr", args);
  const std::string package = ReadFileBytes(out);
  const auto differ =
      std::mismatch(package.begin(), package.end(), expected.begin(), expected.end());
  EXPECT_TRUE(package == expected) << "differs from byte " << (differ.first - package.begin());
  if (ExeSuffix().empty()) {
    EXPECT_NE(fs::status(out).permissions() & fs::perms::owner_exec, fs::perms::none);
  }

  ChildResult listed = Showpack({"list", out});
  EXPECT_EQ(listed.err, "");
  for (const std::string& line : std::vector<std::string>{
           "name: Worked example", "title: The Coast", "credit: By us", "info: " + info,
           "readme: " + std::to_string(readme.size()) + " bytes", "0x00022000-0x000306B3",
           "0x000DB560-0x000EDA41", "pictures: 9", "sounds: 2", "ShowName", "ReadmeText", "Image",
           "Sound"})
    EXPECT_TRUE(Contains(listed.out, line)) << line << " missing from\n" << listed.out;
  ChildResult checked = Showpack({"check", out});
  EXPECT_EQ(checked.exitCode, 0) << checked.out << checked.err;
  EXPECT_TRUE(Contains(checked.out, "pictures: 9, sounds: 2; everything plays")) << checked.out;

  for (size_t i = 0; i < pictures.size(); ++i)
    EXPECT_EQ(ReadFileBytes(target + "picture-00" + std::to_string(i + 1) + ".jpg"), pictures[i]);
  for (size_t i = 0; i < sounds.size(); ++i)
    EXPECT_EQ(ReadFileBytes(target + "sound-00" + std::to_string(i + 1) + ".wav"), sounds[i]);
  EXPECT_EQ(ReadFileBytes(target + "readme.txt"), readme);
  EXPECT_EQ(ReadFileBytes(target + "show.txt"),
            "name: Worked example\ntitle: The Coast\ncredit: By us\ninfo: " + info + "\n");
  // A second extraction would overwrite them.
  WriteFileBytes(target + "show.txt", "edited");
  EXPECT_EQ(Showpack({"extract", out, target}).exitCode, 2);
  EXPECT_EQ(ReadFileBytes(target + "show.txt"), "edited");
  EXPECT_EQ(Showpack({"extract", "--force", out, target}).exitCode, 0);
  EXPECT_NE(ReadFileBytes(target + "show.txt"), "edited");
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
  JpegPicture twoComponents;
  twoComponents.components = 2;
  WriteJpeg("two.jpg", twoComponents, SolidRows(16, std::string("\x10\x80", 2)));
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
      {{"--max-size", "320", "good.jpg"}, "--max-size"},
      {{"--max-size", "1920x1080x3", "good.jpg"}, "--max-size"},
      {std::vector<std::string>(1024, "good.jpg"), "1024 records"},
  };
  for (const auto& [refused, named] : refusals) {
    std::vector<std::string> args = {"create", "-o", "out.scr"};
    args.insert(args.end(), refused.begin(), refused.end());
    ChildResult result = Showpack(args);
    EXPECT_EQ(result.exitCode, 2) << named;
    EXPECT_EQ(result.err.rfind("showpack", 0), 0u) << result.err;
    EXPECT_TRUE(Contains(result.err, named)) << result.err;
    EXPECT_FALSE(fs::exists("out.scr")) << named;
  }

  std::vector<std::string> full = {"create", "-o",       "out.scr", "--name", "n", "--title",
                                   "t",      "--credit", "c",       "--info", "i"};
  full.insert(full.end(), 1019, "good.jpg");
  EXPECT_EQ(Showpack(full).exitCode, 0);
  EXPECT_TRUE(Contains(Showpack({"list", "out.scr"}).out, "1022 Image"));
  // An existing file is replaced only when forced.
  WriteFileBytes("out.scr", "older");
  EXPECT_EQ(Showpack({"create", "-o", "out.scr", "good.jpg"}).exitCode, 2);
  EXPECT_EQ(ReadFileBytes("out.scr"), "older");
  EXPECT_EQ(Showpack({"create", "-o", "out.scr", "--force", "good.jpg"}).exitCode, 0);
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

  for (const auto& [command, name, message] :
       {std::tuple<std::string, std::string, std::string>{"list", "flipped.scr", "(OPC)!"},
        {"check", "flipped.scr", "Corrupted scr file (OPC)!"},
        {"extract", "trailer.scr", "Corrupted scr file (pointer)!"}}) {
    std::vector<std::string> args = {command, dir / name, dir / "out"};
    if (command != "extract") args.pop_back();
    ChildResult result = Showpack(args);
    EXPECT_EQ(result.exitCode, 1) << command;
    EXPECT_TRUE(Contains(result.err, message)) << result.err;
  }
  EXPECT_FALSE(fs::exists(dir / "out"));
  EXPECT_EQ(Showpack({"check", dir / "missing.scr"}).exitCode, 2);

  ChildResult listed = Showpack({"list", show});
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_TRUE(Contains(listed.out, "type 9"));
  EXPECT_TRUE(Contains(listed.out, "pictures: 4"));
  EXPECT_TRUE(Contains(listed.err, "picture 3: its extent is empty")) << listed.err;
  EXPECT_TRUE(Contains(listed.err, "picture 4: its extent lies past the end")) << listed.err;
  EXPECT_EQ(Showpack({"extract", show, dir / "out"}).exitCode, 1);
  EXPECT_EQ(ReadFileBytes(dir / "out/picture-001.jpg"), Picture(400, 0));
  EXPECT_FALSE(fs::exists(dir / "out/picture-004.jpg"));
  ChildResult checked = Showpack({"check", show});
  EXPECT_EQ(checked.exitCode, 1);
  for (const char* line :
       {"picture 2 (0x000001A0-0x000001B2): skipped: the player cannot decode it",
        "picture 3 (0x00000028-0x00000028): skipped: its extent is empty",
        "picture 4 (0x00015F90-0x00016120): skipped: its extent lies past the end of the file",
        "sound 2 (150 bytes): skipped: ",
        "pictures: 4, sounds: 2; 3 pictures and 1 sounds would be skipped"})
    EXPECT_TRUE(Contains(checked.out, line)) << line << " missing from\n" << checked.out;
  EXPECT_FALSE(Contains(checked.out, "picture 1 "));
  EXPECT_FALSE(Contains(checked.out, "sound 1 "));
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
  ChildResult created = CreateAndExtract(
      dir, "show.scr",
      {"--sound", dir / "named.wav", "--sounds-from-folder", dir / "first.jpg", dir / "photos"});
  EXPECT_TRUE(Contains(created.out, "pictures: 4, sounds: 2")) << created.out;
  int i = 1;
  for (const char* from :
       {"first.jpg", "photos/IMG1.jpg", "photos/img2.jpeg", "photos/img10.JPG"}) {
    char name[40];
    std::snprintf(name, sizeof name, "show.scr-files/picture-%03d.jpg", i++);
    EXPECT_EQ(ReadFileBytes(dir / name), ReadFileBytes(dir / from)) << from;
  }
  EXPECT_EQ(ReadFileBytes(dir / "show.scr-files/sound-002.wav"), Sound(300, 1));
}

// A spot of a packed picture and its colour there.
struct Spot {
  int x, y, r, g, b;
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
  ChildResult created = CreateAndExtract(dir, "show.scr", args);
  EXPECT_TRUE(Contains(created.out, summary)) << created.out;
  long lines = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    const Packed& p = pictures[i];
    SCOPED_TRACE(p.source);
    lines += !p.said.empty();
    EXPECT_EQ(Contains(created.err, "showpack: " + p.source + ": " + p.said), !p.said.empty())
        << created.err;
    char name[64];
    std::snprintf(name, sizeof name, "show.scr-files/picture-%03u.jpg", unsigned(i + 1));
    const std::string packed = ReadFileBytes(dir / name);
    if (p.width == 0) {
      EXPECT_EQ(packed, ReadFileBytes(p.source));
      continue;
    }
    // libjpeg's decoding would end the test program on an empty file.
    ASSERT_FALSE(packed.empty());
    EXPECT_FALSE(Contains(packed, OrientationEntry(6)));
    EXPECT_TRUE(Contains(packed, p.kept));
    DecodedJpeg decoded = DecodeJpeg(dir / name);
    ASSERT_EQ(decoded.components, 3);
    ASSERT_EQ(decoded.width, p.width);
    ASSERT_EQ(decoded.height, p.height);
    for (const Spot& s : p.spots) {
      const char* rgb = decoded.pixels.data() + (size_t(s.y) * size_t(p.width) + size_t(s.x)) * 3;
      EXPECT_TRUE(std::abs(uint8_t(rgb[0]) - s.r) < 40 && std::abs(uint8_t(rgb[1]) - s.g) < 40 &&
                  std::abs(uint8_t(rgb[2]) - s.b) < 40)
          << "at " << s.x << "," << s.y;
    }
    EXPECT_EQ(RunChild({BuildProgram("jpeg_convert_probe"), dir / name, dir / "p.bmp"}).exitCode,
              0);
  }
  EXPECT_EQ(std::count(created.err.begin(), created.err.end(), '\n'), lines) << created.err;
}

// What the player decodes goes in byte for byte (cut in its data too); CMYK and
// YCCK become RGB; EXIF orientation 6 (or 8, Intel order) goes in upright,
// losslessly when whole blocks, with no orientation left to apply again.
TEST(ShowpackTest, CreatePacksPicturesAsThePlayerShowsThem) {
  ScratchDir dir;
  const std::string rgb = ReadFileBytes(RealJpeg("rgb.jpg"));
  WriteFileBytes(dir / "cut-in-data.jpg", rgb.substr(0, rgb.size() - 100));
  // Straight inks, with no Adobe (APP14) marker to say they are inverted:
  // red is no cyan, full magenta and yellow, no black.
  JpegPicture inks;
  inks.width = 64;
  inks.height = 48;
  inks.components = 4;
  WriteJpeg(dir / "marked.jpg", inks, SolidRows(64, std::string("\x00\xff\xff\x00", 4)));
  std::string marked = ReadFileBytes(dir / "marked.jpg");
  const size_t adobe = marked.find("\xFF\xEE", 2);
  ASSERT_NE(adobe, std::string::npos);
  marked.erase(adobe, 2 + (size_t(uint8_t(marked[adobe + 2])) << 8 | uint8_t(marked[adobe + 3])));
  WriteFileBytes(dir / "straight.jpg", marked);
  // Red on the left, blue on the right, orientation 8: a quarter turn anticlockwise.
  JpegPicture intel;
  intel.width = 64;
  intel.height = 48;
  const std::string intelUpright("\x12\x01\x03\0\x01\0\0\0\x01\0", 10);
  intel.markers.push_back({0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\x01\0", 16) +
                                     std::string("\x12\x01\x03\0\x01\0\0\0\x08\0\0\0", 12) +
                                     std::string(4, '\0')});
  WriteJpeg(dir / "intel.jpg", intel, [](int, unsigned char* samples) {
    for (int x = 0; x < 64; ++x, samples += 3) {
      samples[0] = x < 32 ? 255 : 0;
      samples[1] = 0;
      samples[2] = x < 32 ? 0 : 255;
    }
  });
  const std::string real = RealJpeg("");
  const std::vector<Spot> redOverBlue = {{10, 0, 255, 0, 0}, {50, 47, 0, 0, 255}};
  ExpectPacked(
      {},
      {{real + "rgb.jpg"},
       {real + "grey-progressive.jpg"},
       {real + "arithmetic.jpg"},
       {real + "odd-sampling.jpg"},
       {dir / "cut-in-data.jpg", "warning: Premature end of JPEG file"},
       {real + "ycck.jpg", "converted from YCCK", 64, 48, redOverBlue},
       {real + "cmyk.jpg", "converted from CMYK", 64, 48, redOverBlue},
       {dir / "straight.jpg", "converted from CMYK", 64, 48, {{50, 47, 255, 0, 0}}},
       {real + "portrait-400x200.jpg", "turned upright, re-encoded", 200, 400, Upright(200, 400)},
       // A lossless turn keeps the camera's EXIF, marked upright.
       {real + "portrait-416x208.jpg", "", 208, 416, Upright(208, 416), OrientationEntry(1)},
       {dir / "intel.jpg", "", 48, 64, {{24, 10, 0, 0, 255}, {24, 54, 255, 0, 0}}, intelUpright}},
      "3 turned upright");
}

// --max-size shrinks larger upright sizes keeping the shape, at --quality;
// smaller pictures and samplings TurboJPEG refuses go in as they are.
TEST(ShowpackTest, MaxSizeShrinksLargerPicturesToFit) {
  ScratchDir dir;
  JpegPicture large, small;
  large.width = 640;
  large.height = 480;
  WriteJpeg(dir / "large.jpg", large, PhotoLikeRows(640, 480, 3));
  small.width = 320;  // as wide as allowed
  small.height = 50;
  WriteJpeg(dir / "small.jpg", small, SolidRows(320, "\x20\x80\xE0"));
  // Shrinking encodes anew anyway: the turn goes unremarked.
  ExpectPacked({"--max-size", "320x320"},
               {{dir / "large.jpg", "", 320, 240},
                {dir / "small.jpg"},
                {RealJpeg("portrait-400x200.jpg"), "", 160, 320, Upright(160, 320)}},
               "2 shrunk");
  ExpectPacked({"--max-size", "32x32"},
               {{RealJpeg("odd-sampling.jpg"), "warning: packed as it is"}}, "pictures: 1");
  CreateAndExtract(dir, "high.scr", {"--max-size", "320x320", dir / "large.jpg"});
  CreateAndExtract(dir, "low.scr", {"--max-size", "320x320", "--quality", "20", dir / "large.jpg"});
  EXPECT_LT(ReadFileBytes(dir / "low.scr-files/picture-001.jpg").size(),
            ReadFileBytes(dir / "high.scr-files/picture-001.jpg").size() * 3 / 4);
}

// Help on standard output, exit 0; a wrong command line: usage on standard error, exit 2.
TEST(ShowpackTest, HelpAndUsage) {
  for (const char* line : {"--help", "create --help", "list -h", "extract --help", "check -h", "",
                           "pack", "create --colour red", "create p.jpg -o", "list",
                           "extract show.scr", "list --force show.scr", "check a.scr b.scr"}) {
    std::istringstream words(line);
    ChildResult result = Showpack({std::istream_iterator<std::string>(words), {}});
    const bool help = Contains(line, "-h");
    EXPECT_EQ(result.exitCode, help ? 0 : 2) << line;
    EXPECT_TRUE(Contains(help ? result.out : result.err, "usage")) << line;
  }
}

}  // namespace
