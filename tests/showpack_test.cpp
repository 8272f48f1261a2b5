// The showpack tool, run as a child process: packages it writes, what list and
// extract make of them, and the inputs it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
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

// A real JPEG picture of exactly size bytes (at least about 300): a small
// greyscale picture, made up to the size with comment markers.
std::string Picture(size_t size, int variant) {
  ScratchDir dir;
  JpegPicture picture;
  picture.width = 8;
  picture.height = 8;
  picture.components = 1;
  const JpegRowFill fill = SolidRows(8, std::string(1, char(variant * 37)));
  WriteJpeg(dir / "p.jpg", picture, fill);
  size_t missing = size - ReadFileBytes(dir / "p.jpg").size();
  while (missing > 0) {
    // A marker takes 4 bytes besides its data, and at most 65533 of data.
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

uint32_t ReadU32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | uint8_t(bytes[at + size_t(i)]);
  return value;
}

// Index of the first differing byte, or npos; large files make poor failure messages.
size_t FirstDifference(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return i;
  }
  return a.size() == b.size() ? std::string::npos : n;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Runs children in dir, for command lines too long with absolute paths under Windows.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& dir) : saved_(fs::current_path()) {
    fs::current_path(dir);
  }
  ~WorkingDirectory() { fs::current_path(saved_); }

 private:
  fs::path saved_;
};

// Pictures made at build time by ImageMagick, Pillow and cjpeg
// (support/make_real_jpegs.sh), all from one 64 x 48 gradient, red at the top
// and blue at the bottom.
std::string RealJpeg(const std::string& name) {
  return ProgramDir() + "real-jpegs/" + name;
}

// The bytes without their Adobe (APP14) marker, which libjpeg writes into
// every CMYK picture.
std::string WithoutAdobeMarker(const std::string& jpeg) {
  size_t at = jpeg.find("\xFF\xEE", 2);
  if (at == std::string::npos || at + 4 > jpeg.size()) return jpeg;
  size_t length = size_t(uint8_t(jpeg[at + 2])) << 8 | uint8_t(jpeg[at + 3]);
  return jpeg.substr(0, at) + jpeg.substr(at + 2 + length);
}

// The one picture that a show made of it holds, as extract gives it back.
std::string PackedPicture(const ScratchDir& dir, const ChildResult& created,
                          const std::string& out) {
  EXPECT_EQ(created.exitCode, 0) << created.err;
  const std::string target = dir / (out + "-files");
  ChildResult extracted = Showpack({"extract", dir / out, target});
  EXPECT_EQ(extracted.exitCode, 0) << extracted.err;
  return ReadFileBytes(target + "/picture-001.jpg");
}

// A show with every kind of record, packed with and without a player.
TEST(ShowpackTest, CreateListExtractGiveTheShowBack) {
  ScratchDir dir;
  std::vector<std::string> pictures = {Picture(5000, 1), Picture(400, 2), Picture(70001, 3)};
  std::vector<std::string> sounds = {Sound(4000, 1), Sound(45, 2)};
  const std::string readme = "Pictures of the coast.\nSounds of the sea.\n";
  const std::string info(127, 'i');  // the longest text that fits
  std::vector<std::string> pictureArgs;
  for (size_t i = 0; i < pictures.size(); ++i) {
    pictureArgs.push_back(dir / ("p" + std::to_string(i) + ".jpg"));
    WriteFileBytes(pictureArgs.back(), pictures[i]);
  }
  for (size_t i = 0; i < sounds.size(); ++i) {
    WriteFileBytes(dir / ("s" + std::to_string(i) + ".wav"), sounds[i]);
  }
  WriteFileBytes(dir / "readme.txt", readme);
  const std::string player = Picture(3001, 9);  // any bytes; an odd size tests the alignment
  WriteFileBytes(dir / "player", player);
  fs::permissions(dir / "player", fs::perms::owner_exec | fs::perms::group_exec,
                  fs::perm_options::add);

  for (bool withPlayer : {false, true}) {
    SCOPED_TRACE(withPlayer ? "with a player" : "without a player");
    const std::string out = dir / (withPlayer ? "show.scr" : "show.pkg");
    std::vector<std::string> args = {"create",           "-o",          out,
                                     "--name",           "Coast",       "--title",
                                     "The Coast",        "--credit",    "By us",
                                     "--info",           info,          "--readme",
                                     dir / "readme.txt", "--sound",     dir / "s0.wav",
                                     "--sound",          dir / "s1.wav"};
    if (withPlayer) args.insert(args.end(), {"--player", dir / "player"});
    args.insert(args.end(), pictureArgs.begin(), pictureArgs.end());
    ChildResult created = Showpack(args);
    ASSERT_EQ(created.exitCode, 0) << created.err;
    const std::string package = ReadFileBytes(out);
    EXPECT_EQ(package.size() % 2048, 0u);
    const std::string& first = withPlayer ? player : pictures[0];
    EXPECT_EQ(package.compare(0, first.size(), first), 0);
    if (ExeSuffix().empty()) {
      bool executable = (fs::status(out).permissions() & fs::perms::owner_exec) != fs::perms::none;
      EXPECT_EQ(executable, withPlayer);
    }

    ChildResult listed = Showpack({"list", out});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.err, "");
    for (const char* line : {"name: Coast", "title: The Coast", "credit: By us", "pictures: 3",
                             "sounds: 2", "ShowName", "ReadmeText", "Image", "Sound"}) {
      EXPECT_TRUE(Contains(listed.out, line)) << line << " missing from\n" << listed.out;
    }
    EXPECT_TRUE(Contains(listed.out, "info: " + info));
    EXPECT_TRUE(Contains(listed.out, "readme: " + std::to_string(readme.size()) + " bytes"));

    const std::string target = dir / (withPlayer ? "from-scr" : "from-pkg");
    ChildResult extracted = Showpack({"extract", out, target});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
    for (size_t i = 0; i < pictures.size(); ++i) {
      EXPECT_EQ(ReadFileBytes(target + "/picture-00" + std::to_string(i + 1) + ".jpg"),
                pictures[i]);
    }
    for (size_t i = 0; i < sounds.size(); ++i) {
      EXPECT_EQ(ReadFileBytes(target + "/sound-00" + std::to_string(i + 1) + ".wav"), sounds[i]);
    }
    EXPECT_EQ(ReadFileBytes(target + "/readme.txt"), readme);
    EXPECT_EQ(ReadFileBytes(target + "/show.txt"),
              "name: Coast\ntitle: The Coast\ncredit: By us\ninfo: " + info + "\n");

    // A second extraction would overwrite them.
    WriteFileBytes(target + "/show.txt", "edited");
    ChildResult again = Showpack({"extract", out, target});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_TRUE(Contains(again.err, "exists")) << again.err;
    EXPECT_EQ(ReadFileBytes(target + "/show.txt"), "edited");
    ChildResult forced = Showpack({"extract", "--force", out, target});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(ReadFileBytes(target + "/readme.txt"), readme);
  }
}

// Nine pictures and a sound after a 0x22000-byte player, laid out to the byte.
TEST(ShowpackTest, LaysOutTheWorkedExampleExactly) {
  ScratchDir dir;
  const std::vector<size_t> sizes = {0xE6B3, 100001, 99990, 100007, 100002,
                                     99985,  100003, 99996, 74977};
  const std::vector<uint32_t> starts = {0x22000, 0x306C0, 0x48D70, 0x61410, 0x79AC0,
                                        0x92170, 0xAA810, 0xC2EC0, 0xDB560};
  const std::string player(0x22000, 'P');
  const std::string sound = Sound(526778, 5);
  WriteFileBytes(dir / "player.scr", player);
  WriteFileBytes(dir / "sea.wav", sound);
  std::vector<std::string> args = {"create",           "-o",     dir / "show.scr", "--player",
                                   dir / "player.scr", "--name", "Worked example", "--sound",
                                   dir / "sea.wav"};

  std::string expected = player;
  std::string table;
  AppendRecord(table, kShowName, 0, 0, std::string("Worked example") + '\0');
  for (size_t i = 0; i < sizes.size(); ++i) {
    std::string picture = Picture(sizes[i], int(i));
    args.push_back(dir / ("p" + std::to_string(i) + ".jpg"));
    WriteFileBytes(args.back(), picture);
    expected.resize(starts[i], '\0');
    expected += picture;
    AppendRecord(table, kImage, starts[i], uint32_t(starts[i] + sizes[i]), "");
  }
  ASSERT_EQ(starts[0] + sizes[0], 0x306B3u);
  ASSERT_EQ(expected.size(), 0xEDA41u);
  AppendRecord(table, kSound, 0, 0, sound);
  AppendTerminator(table);
  expected.resize(0xEDA50, '\0');
  expected += table;
  expected.append(703, '\0');
  AppendTrailer(expected, 0xEDA50);
  ASSERT_EQ(expected.size(), 1501184u);

  ChildResult created = Showpack(args);
  ASSERT_EQ(created.exitCode, 0) << created.err;
  const std::string package = ReadFileBytes(dir / "show.scr");
  EXPECT_EQ(package.size(), 0x16E800u);
  EXPECT_EQ(FirstDifference(package, expected), std::string::npos);
  ASSERT_GE(package.size(), 8u);
  EXPECT_EQ(ReadU32(package, package.size() - 8), 0xEDA50u);
  EXPECT_EQ(ReadU32(package, package.size() - 4), 0xEDA50u);

  ChildResult listed = Showpack({"list", dir / "show.scr"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_TRUE(Contains(listed.out, "name: Worked example"));
  EXPECT_TRUE(Contains(listed.out, "0x00022000-0x000306B3"));
  EXPECT_TRUE(Contains(listed.out, "0x000DB560-0x000EDA41"));
  EXPECT_TRUE(Contains(listed.out, "pictures: 9"));
  EXPECT_TRUE(Contains(listed.out, "sounds: 1"));
}

// Each refused input: exit code 2, a message naming the culprit (with
// libjpeg's reason for a picture), no output and no temporary file left behind.
TEST(ShowpackTest, CreateRefusesWhatThePlayerCouldNotShow) {
  ScratchDir dir;
  const std::string good = dir / "good.jpg", out = dir / "out.scr";
  WriteFileBytes(good, Picture(3000, 0));
  WriteFileBytes(dir / "gif.jpg", "GIF89a");
  WriteFileBytes(dir / "notes.jpg", "Pictures of the coast.\n");
  WriteFileBytes(dir / "empty.jpg", "");
  JpegPicture twoComponents;
  twoComponents.components = 2;
  WriteJpeg(dir / "two.jpg", twoComponents, SolidRows(16, std::string("\x10\x80", 2)));
  WriteFileBytes(dir / "cut-in-header.jpg", ReadFileBytes(RealJpeg("rgb.jpg")).substr(0, 100));
  WriteFileBytes(dir / "avi.wav", std::string("RIFF\x08\0\0\0AVI LIST", 16));
  // A download cut off: the header says 8,000,000 bytes, 1,000 came.
  WriteFileBytes(dir / "cut.wav", Sound(8000000, 0).substr(0, 1000));
  const std::string format = Chunk("fmt ", FormatBody(1, 1, 11025, 8));
  WriteFileBytes(dir / "nodata.wav", RiffWave(format + Chunk("LIST", "INFO")));
  WriteFileBytes(dir / "mp3.wav", RiffWave(Chunk("fmt ", FormatBody(0x55, 1, 11025, 16)) +
                                           Chunk("data", std::string(100, 'x'))));
  // A player this big pushes the file's end to exactly 2^31.
  WriteFileBytes(dir / "huge", "");
  fs::resize_file(dir / "huge", (uint64_t(1) << 31) - 4096);

  struct Refusal {
    std::vector<std::string> args;
    std::string named;
  };
  const std::vector<Refusal> refusals = {
      {{}, "no pictures"},
      {{dir / "gif.jpg"}, "gif.jpg: cannot be decoded: Not a JPEG file: starts with 0x47 0x49"},
      {{dir / "notes.jpg"}, "notes.jpg: cannot be decoded: Not a JPEG file: starts with 0x50 0x69"},
      {{good, dir / "empty.jpg"}, "empty.jpg: cannot be decoded: Empty input file"},
      {{dir / "cut-in-header.jpg", good},
       "cut-in-header.jpg: cannot be decoded: JPEG datastream contains no image"},
      {{dir / "two.jpg"},
       "two.jpg: cannot be decoded: a picture of 2 colour components, which the player cannot "
       "show"},
      {{good, RealJpeg("testorig12.jpg")},
       "testorig12.jpg: cannot be decoded: Unsupported JPEG data precision 12"},
      {{"--sound", dir / "avi.wav", good}, "avi.wav"},
      {{"--sound", dir / "cut.wav", good}, "cut.wav: cut short"},
      {{"--sound", dir / "nodata.wav", good}, "nodata.wav: no \"data\" chunk"},
      {{"--sound", dir / "mp3.wav", good}, "mp3.wav: an unknown sound format (tag 0x0055)"},
      {{"--title", std::string(128, 't'), good}, "--title"},
      {{good, dir / "missing.jpg"}, "missing.jpg"},
      {{"--readme", dir / "missing.txt", good}, "missing.txt"},
      {{"--player", dir / "huge", good}, "2147483648"},
  };
  for (const Refusal& refusal : refusals) {
    std::vector<std::string> args = {"create", "-o", out};
    args.insert(args.end(), refusal.args.begin(), refusal.args.end());
    SCOPED_TRACE(refusal.named);
    ChildResult result = Showpack(args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.rfind("showpack", 0), 0u) << result.err;
    EXPECT_TRUE(Contains(result.err, refusal.named)) << result.err;
    EXPECT_FALSE(fs::exists(out));
  }

  WriteFileBytes(out, "older");
  ChildResult kept = Showpack({"create", "-o", out, good});
  EXPECT_EQ(kept.exitCode, 2);
  EXPECT_TRUE(Contains(kept.err, out)) << kept.err;
  EXPECT_EQ(ReadFileBytes(out), "older");
  ChildResult replaced = Showpack({"create", "-o", out, "--force", good});
  EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
  EXPECT_EQ(ReadFileBytes(out).size(), 4096u);

  for (const auto& entry : fs::directory_iterator(dir.path())) {
    EXPECT_FALSE(Contains(entry.path().filename().string(), "showpack")) << entry.path();
  }
}

// CMYK and YCCK pictures, which the player cannot show, are packed as RGB
// JPEGs that the player's converter takes, with their colours.
TEST(ShowpackTest, CreateConvertsCmykAndYcckPicturesToRgb) {
  ScratchDir dir;
  // Straight inks, with no Adobe marker to say they are inverted: red is
  // no cyan, full magenta and yellow, no black.
  JpegPicture straight;
  straight.width = 64;
  straight.height = 48;
  straight.components = 4;
  WriteJpeg(dir / "marked.jpg", straight, SolidRows(64, std::string("\x00\xff\xff\x00", 4)));
  WriteFileBytes(dir / "straight.jpg", WithoutAdobeMarker(ReadFileBytes(dir / "marked.jpg")));

  struct Case {
    std::string path;
    std::string done;
    bool gradient;  // red to blue, else solid red
  };
  for (const Case& c : {Case{RealJpeg("ycck.jpg"), "converted from YCCK", true},
                        Case{RealJpeg("cmyk.jpg"), "converted from CMYK", true},
                        Case{dir / "straight.jpg", "converted from CMYK", false}}) {
    SCOPED_TRACE(c.path);
    const std::string out = fs::path(c.path).stem().string() + ".scr";
    ChildResult created = Showpack({"create", "-o", dir / out, c.path});
    EXPECT_TRUE(Contains(created.err, c.path + ": " + c.done)) << created.err;
    EXPECT_EQ(std::count(created.err.begin(), created.err.end(), '\n'), 1) << created.err;
    const std::string packed = PackedPicture(dir, created, out);
    // libjpeg's decoding below would end the test program on an empty file.
    ASSERT_FALSE(packed.empty());
    WriteFileBytes(dir / "packed.jpg", packed);

    DecodedJpeg decoded = DecodeJpeg(dir / "packed.jpg");
    ASSERT_EQ(decoded.components, 3);
    ASSERT_EQ(decoded.width, 64);
    ASSERT_EQ(decoded.height, 48);
    auto near = [&](int x, int y, int r, int g, int b) {
      const char* p = decoded.pixels.data() + (size_t(y) * 64 + size_t(x)) * 3;
      return std::abs(uint8_t(p[0]) - r) < 24 && std::abs(uint8_t(p[1]) - g) < 24 &&
             std::abs(uint8_t(p[2]) - b) < 24;
    };
    EXPECT_TRUE(near(10, 0, 255, 0, 0));
    EXPECT_TRUE(near(50, 47, c.gradient ? 0 : 255, 0, c.gradient ? 255 : 0));

    ChildResult played =
        RunChild({BuildProgram("jpeg_convert_probe"), dir / "packed.jpg", dir / "packed.bmp"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
  }
}

// Pictures the player decodes as they are go in byte for byte; one cut off in
// its picture data too, with libjpeg's warning, since the player completes it.
TEST(ShowpackTest, CreatePacksPlayablePicturesUnchanged) {
  ScratchDir dir;
  const std::string rgb = ReadFileBytes(RealJpeg("rgb.jpg"));
  ASSERT_GT(rgb.size(), 700u);
  WriteFileBytes(dir / "cut-in-data.jpg", rgb.substr(0, rgb.size() - 100));
  for (const std::string& path :
       {RealJpeg("rgb.jpg"), RealJpeg("grey-progressive.jpg"), RealJpeg("arithmetic.jpg"),
        RealJpeg("odd-sampling.jpg"), dir / "cut-in-data.jpg"}) {
    SCOPED_TRACE(path);
    const std::string out = fs::path(path).stem().string() + ".scr";
    ChildResult created = Showpack({"create", "-o", dir / out, path});
    EXPECT_EQ(PackedPicture(dir, created, out), ReadFileBytes(path));
    if (Contains(path, "cut-in-data")) {
      EXPECT_EQ(created.err.rfind("showpack: " + path + ": warning: Premature end of JPEG file", 0),
                0u)
          << created.err;
      EXPECT_EQ(std::count(created.err.begin(), created.err.end(), '\n'), 1) << created.err;
    } else {
      EXPECT_EQ(created.err, "");
    }
  }
}

// 1023 records are the most a table holds; the player reads them all.
TEST(ShowpackTest, CreateTakesAtMost1023Records) {
  ScratchDir dir;
  WriteFileBytes(dir / "p.jpg", Picture(400, 0));
  WorkingDirectory inDir(dir.path());

  std::vector<std::string> full = {"create", "-o",       "full.scr", "--name", "n", "--title",
                                   "t",      "--credit", "c",        "--info", "i"};
  full.insert(full.end(), 1019, "p.jpg");
  ChildResult created = Showpack(full);
  ASSERT_EQ(created.exitCode, 0) << created.err;
  ChildResult listed = Showpack({"list", "full.scr"});
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_TRUE(Contains(listed.out, "1022 Image")) << listed.out.substr(0, 400);
  EXPECT_TRUE(Contains(listed.out, "pictures: 1019"));

  std::vector<std::string> tooMany = {"create", "-o", "over.scr"};
  tooMany.insert(tooMany.end(), 1024, "p.jpg");
  ChildResult refused = Showpack(tooMany);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(Contains(refused.err, "1024 records")) << refused.err;
  EXPECT_FALSE(fs::exists("over.scr"));
}

// A damaged package gets the player's own message and exit code 1.
TEST(ShowpackTest, CorruptPackagesGetThePlayersMessage) {
  ScratchDir dir;
  WriteFileBytes(dir / "p.jpg", Picture(400, 0));
  ASSERT_EQ(
      Showpack({"create", "-o", dir / "show.scr", "--name", "Damaged", dir / "p.jpg"}).exitCode, 0);
  const std::string package = ReadFileBytes(dir / "show.scr");
  const uint32_t table = ReadU32(package, package.size() - 4);

  std::string flipped = package;
  // The name's second payload byte: the checksum weighs the first by zero.
  flipped[table + kHeaderBytes + 1] ^= 0x01;
  WriteFileBytes(dir / "flipped.scr", flipped);
  std::string badTrailer = package;
  badTrailer[badTrailer.size() - 1] ^= 0x40;
  WriteFileBytes(dir / "trailer.scr", badTrailer);

  for (const auto& [file, message] :
       {std::pair<std::string, std::string>{"flipped.scr", "Corrupted scr file (OPC)!"},
        {"trailer.scr", "Corrupted scr file (pointer)!"}}) {
    SCOPED_TRACE(file);
    ChildResult listed = Showpack({"list", dir / file});
    EXPECT_EQ(listed.exitCode, 1);
    EXPECT_TRUE(Contains(listed.err, message)) << listed.err;
    ChildResult extracted = Showpack({"extract", dir / file, dir / "out"});
    EXPECT_EQ(extracted.exitCode, 1);
    EXPECT_TRUE(Contains(extracted.err, message)) << extracted.err;
    EXPECT_FALSE(fs::exists(dir / "out"));
  }
  EXPECT_EQ(Showpack({"list", dir / "missing.scr"}).exitCode, 2);
}

// A table the tool would never write: pictures whose extents are empty or run
// past the file's end, and a record of a type the player skips.
TEST(ShowpackTest, ReportsPicturesThatAreNotInTheFile) {
  ScratchDir dir;
  const std::string picture = Picture(400, 0);
  std::string file = picture;
  const uint32_t table = uint32_t(file.size());
  AppendRecord(file, kImage, 0, 400, "");
  AppendRecord(file, kImage, 40, 40, "");
  AppendRecord(file, kImage, 0, 100000, "");
  AppendRecord(file, 9, 0, 0, "later");
  AppendTerminator(file);
  AppendTrailer(file, table);
  WriteFileBytes(dir / "odd.scr", file);

  ChildResult listed = Showpack({"list", dir / "odd.scr"});
  EXPECT_EQ(listed.exitCode, 0);
  EXPECT_TRUE(Contains(listed.out, "type 9"));
  EXPECT_TRUE(Contains(listed.out, "pictures: 3"));
  EXPECT_TRUE(Contains(listed.err, "picture 2: its extent is empty")) << listed.err;
  EXPECT_TRUE(Contains(listed.err, "picture 3: its extent lies past the end")) << listed.err;

  ChildResult extracted = Showpack({"extract", dir / "odd.scr", dir / "out"});
  EXPECT_EQ(extracted.exitCode, 1);
  EXPECT_TRUE(Contains(extracted.err, "picture 3")) << extracted.err;
  EXPECT_EQ(ReadFileBytes(dir / "out/picture-001.jpg"), picture);
  EXPECT_FALSE(fs::exists(dir / "out/picture-003.jpg"));
  EXPECT_TRUE(fs::exists(dir / "out/show.txt"));
}

// A folder as a camera leaves it: pictures with extensions in any case, in
// natural name order; other files, hidden files and subfolders left alone.
TEST(ShowpackTest, FolderOperandTakesItsPicturesInNaturalOrder) {
  ScratchDir dir;
  fs::create_directories(dir / "photos/sub");
  const std::vector<std::pair<std::string, std::string>> pictures = {
      {"IMG1.jpg", Picture(500, 1)},
      {"img2.jpeg", Picture(600, 2)},
      {"img10.JPG", Picture(700, 3)}};
  // Written in another order than the one expected back.
  for (size_t i : {2, 0, 1})
    WriteFileBytes(dir / ("photos/" + pictures[i].first), pictures[i].second);
  WriteFileBytes(dir / "photos/notes.txt", "not a picture");
  WriteFileBytes(dir / "photos/._IMG1.jpg", "macOS resource fork");
  WriteFileBytes(dir / "photos/sub/img0.jpg", Picture(800, 4));
  const std::string sound = Sound(300, 1);
  WriteFileBytes(dir / "photos/Sea.WAV", sound);

  ChildResult created = Showpack({"create", "-o", dir / "show.scr", dir / "photos"});
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_TRUE(Contains(created.out, "pictures: 3, sounds: 0")) << created.out;
  ChildResult extracted = Showpack({"extract", dir / "show.scr", dir / "out"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  for (size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(ReadFileBytes(dir / ("out/picture-00" + std::to_string(i + 1) + ".jpg")),
              pictures[i].second)
        << pictures[i].first;
  }

  // A folder mixed with files; its sounds after the named one.
  WriteFileBytes(dir / "first.jpg", Picture(900, 5));
  WriteFileBytes(dir / "named.wav", Sound(200, 2));
  ChildResult withSounds =
      Showpack({"create", "-o", dir / "sounds.scr", "--sound", dir / "named.wav",
                "--sounds-from-folder", dir / "first.jpg", dir / "photos"});
  ASSERT_EQ(withSounds.exitCode, 0) << withSounds.err;
  EXPECT_TRUE(Contains(withSounds.out, "pictures: 4, sounds: 2")) << withSounds.out;
  ASSERT_EQ(Showpack({"extract", dir / "sounds.scr", dir / "out2"}).exitCode, 0);
  EXPECT_EQ(ReadFileBytes(dir / "out2/picture-001.jpg"), Picture(900, 5));
  EXPECT_EQ(ReadFileBytes(dir / "out2/sound-002.wav"), sound);

  fs::create_directories(dir / "empty");
  WriteFileBytes(dir / "empty/Sea.wav", sound);
  ChildResult empty = Showpack({"create", "-o", dir / "empty.scr", dir / "empty"});
  EXPECT_EQ(empty.exitCode, 2);
  EXPECT_TRUE(Contains(empty.err, "no JPEG pictures")) << empty.err;
  ChildResult noFolder =
      Showpack({"create", "-o", dir / "x.scr", "--sounds-from-folder", dir / "first.jpg"});
  EXPECT_EQ(noFolder.exitCode, 2);
  EXPECT_TRUE(Contains(noFolder.err, "needs a folder")) << noFolder.err;
  EXPECT_FALSE(fs::exists(dir / "empty.scr"));
}

// The pixels of a packed picture, decoded by libjpeg.
DecodedJpeg DecodePacked(const ScratchDir& dir, const std::string& packed) {
  WriteFileBytes(dir / "packed.jpg", packed);
  return DecodeJpeg(dir / "packed.jpg");
}

// Whether the pixel at (x, y) is near the colour r, g, b.
bool PixelNear(const DecodedJpeg& picture, int x, int y, int r, int g, int b) {
  const char* p = picture.pixels.data() + (size_t(y) * size_t(picture.width) + size_t(x)) * 3;
  return std::abs(uint8_t(p[0]) - r) < 40 && std::abs(uint8_t(p[1]) - g) < 40 &&
         std::abs(uint8_t(p[2]) - b) < 40;
}

// An EXIF orientation entry as Pillow writes it, big-endian: tag 0x0112,
// one SHORT, and its value.
std::string OrientationEntry(int value) {
  return std::string("\x01\x12\x00\x03\x00\x00\x00\x01\x00", 9) + char(value);
}

// A phone's portrait, stored as a landscape with orientation 6, plays
// upright: turned losslessly when its size is whole blocks, else encoded anew
// with all its pixels; no orientation 6 is left for a viewer to turn again.
TEST(ShowpackTest, PortraitPhotoIsPackedUpright) {
  ScratchDir dir;
  struct Case {
    std::string name;
    int width, height;  // upright
    bool lossless;
  };
  for (const Case& c : {Case{"portrait-400x200.jpg", 200, 400, false},
                        Case{"portrait-416x208.jpg", 208, 416, true}}) {
    SCOPED_TRACE(c.name);
    const std::string original = ReadFileBytes(RealJpeg(c.name));
    ASSERT_TRUE(Contains(original, OrientationEntry(6)));
    const std::string out = fs::path(c.name).stem().string() + ".scr";
    ChildResult created = Showpack({"create", "-o", dir / out, RealJpeg(c.name)});
    EXPECT_TRUE(Contains(created.out, "1 turned upright")) << created.out;
    if (c.lossless) {
      EXPECT_EQ(created.err, "");
    } else {
      EXPECT_TRUE(Contains(created.err, "turned upright, re-encoded at quality 90")) << created.err;
    }
    const std::string packed = PackedPicture(dir, created, out);
    ASSERT_FALSE(packed.empty());
    EXPECT_FALSE(Contains(packed, OrientationEntry(6)));
    // A lossless turn keeps the camera's EXIF, marked upright.
    EXPECT_EQ(Contains(packed, OrientationEntry(1)), c.lossless);

    DecodedJpeg upright = DecodePacked(dir, packed);
    ASSERT_EQ(upright.components, 3);
    ASSERT_EQ(upright.width, c.width);
    ASSERT_EQ(upright.height, c.height);
    // Stored green top left, red top right, blue below: a quarter turn
    // clockwise puts green top right, red bottom right, blue on the left.
    const int w = c.width, h = c.height;
    EXPECT_TRUE(PixelNear(upright, w * 3 / 4, h / 4, 0, 255, 0));
    EXPECT_TRUE(PixelNear(upright, w * 3 / 4, h * 3 / 4, 255, 0, 0));
    EXPECT_TRUE(PixelNear(upright, w / 4, h / 4, 0, 0, 255));
    EXPECT_TRUE(PixelNear(upright, w / 4, h * 3 / 4, 0, 0, 255));
    ChildResult played =
        RunChild({BuildProgram("jpeg_convert_probe"), dir / "packed.jpg", dir / "packed.bmp"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
  }
}

// Intel byte order, as many cameras write it, and orientation 8: a quarter
// turn anticlockwise.
TEST(ShowpackTest, LittleEndianExifIsTurnedToo) {
  ScratchDir dir;
  JpegPicture picture;
  picture.width = 64;
  picture.height = 48;
  const std::string tiff = std::string("II*\0\x08\0\0\0\x01\0", 10) +
                           std::string("\x12\x01\x03\0\x01\0\0\0\x08\0\0\0", 12) +
                           std::string(4, '\0');
  picture.markers.push_back({0xE1, std::string("Exif\0\0", 6) + tiff});
  // Red on the left, blue on the right.
  WriteJpeg(dir / "left-red.jpg", picture, [](int, unsigned char* samples) {
    for (int x = 0; x < 64; ++x, samples += 3) {
      samples[0] = x < 32 ? 255 : 0;
      samples[1] = 0;
      samples[2] = x < 32 ? 0 : 255;
    }
  });
  ChildResult created = Showpack({"create", "-o", dir / "show.scr", dir / "left-red.jpg"});
  const std::string packed = PackedPicture(dir, created, "show.scr");
  EXPECT_EQ(created.err, "");
  EXPECT_TRUE(Contains(packed, std::string("\x12\x01\x03\0\x01\0\0\0\x01\0", 10)));
  DecodedJpeg upright = DecodePacked(dir, packed);
  ASSERT_EQ(upright.width, 48);
  ASSERT_EQ(upright.height, 64);
  EXPECT_TRUE(PixelNear(upright, 24, 10, 0, 0, 255));
  EXPECT_TRUE(PixelNear(upright, 24, 54, 255, 0, 0));
}

// --max-size shrinks what is larger, upright size against upright size,
// keeping the shape, and leaves smaller pictures as they are.
TEST(ShowpackTest, MaxSizeShrinksLargerPicturesToFit) {
  ScratchDir dir;
  JpegPicture large;
  large.width = 640;
  large.height = 480;
  WriteJpeg(dir / "large.jpg", large, PhotoLikeRows(640, 480, 3));
  JpegPicture small;
  small.width = 100;
  small.height = 50;
  WriteJpeg(dir / "small.jpg", small, SolidRows(100, "\x20\x80\xE0"));

  ChildResult created =
      Showpack({"create", "-o", dir / "show.scr", "--max-size", "320x320", dir / "large.jpg",
                dir / "small.jpg", RealJpeg("portrait-400x200.jpg")});
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_TRUE(Contains(created.out, "2 shrunk")) << created.out;
  // Shrinking encodes anew anyway: the turn goes unremarked.
  EXPECT_EQ(created.err, "");
  ASSERT_EQ(Showpack({"extract", dir / "show.scr", dir / "out"}).exitCode, 0);
  DecodedJpeg shrunk = DecodeJpeg(dir / "out/picture-001.jpg");
  EXPECT_EQ(shrunk.width, 320);
  EXPECT_EQ(shrunk.height, 240);
  EXPECT_EQ(ReadFileBytes(dir / "out/picture-002.jpg"), ReadFileBytes(dir / "small.jpg"));
  DecodedJpeg portrait = DecodeJpeg(dir / "out/picture-003.jpg");
  ASSERT_EQ(portrait.width, 160);
  ASSERT_EQ(portrait.height, 320);
  EXPECT_TRUE(PixelNear(portrait, 120, 80, 0, 255, 0));
  EXPECT_TRUE(PixelNear(portrait, 120, 240, 255, 0, 0));
  EXPECT_TRUE(PixelNear(portrait, 40, 160, 0, 0, 255));

  // The quality of pictures encoded anew is the user's.
  ASSERT_EQ(Showpack({"create", "-o", dir / "low.scr", "--max-size", "320x320", "--quality", "20",
                      dir / "large.jpg"})
                .exitCode,
            0);
  ASSERT_EQ(Showpack({"extract", dir / "low.scr", dir / "low"}).exitCode, 0);
  EXPECT_LT(ReadFileBytes(dir / "low/picture-001.jpg").size(),
            ReadFileBytes(dir / "out/picture-001.jpg").size() * 3 / 4);

  // A sampling that TurboJPEG does not take: shown by the player as it is.
  ChildResult odd = Showpack(
      {"create", "-o", dir / "odd.scr", "--max-size", "32x32", RealJpeg("odd-sampling.jpg")});
  EXPECT_TRUE(Contains(odd.err, "odd-sampling.jpg: warning: packed as it is")) << odd.err;
  EXPECT_EQ(PackedPicture(dir, odd, "odd.scr"), ReadFileBytes(RealJpeg("odd-sampling.jpg")));

  for (const char* size : {"320", "0x10", "10x", "x10", "1920x1080x3", "big"}) {
    ChildResult refused =
        Showpack({"create", "-o", dir / "bad.scr", "--max-size", size, dir / "large.jpg"});
    EXPECT_EQ(refused.exitCode, 2) << size;
    EXPECT_TRUE(Contains(refused.err, "--max-size")) << refused.err;
  }
}

// check plays every picture through the player's converter and loader and
// every sound through its checks, and lists what the player would skip.
TEST(ShowpackTest, CheckListsWhatThePlayerWouldSkip) {
  ScratchDir dir;
  const std::string good = Picture(400, 0);
  std::string file = good;
  file.resize(416, '\0');
  file += "GIF89a, not a JPEG";
  const uint32_t table = uint32_t(file.size());
  AppendRecord(file, kImage, 0, 400, "");
  AppendRecord(file, kImage, 416, 434, "");
  AppendRecord(file, kImage, 0, 400, "");
  AppendRecord(file, kImage, 90000, 90400, "");
  AppendRecord(file, kSound, 0, 0, Sound(200, 1));
  AppendRecord(file, kSound, 0, 0, Sound(200, 1).substr(0, 150));
  AppendTerminator(file);
  AppendTrailer(file, table);
  WriteFileBytes(dir / "broken.scr", file);

  ChildResult checked = Showpack({"check", dir / "broken.scr"});
  EXPECT_EQ(checked.exitCode, 1);
  EXPECT_TRUE(Contains(checked.out,
                       "picture 2 (0x000001A0-0x000001B2): skipped: the player "
                       "cannot decode it"))
      << checked.out;
  EXPECT_TRUE(Contains(checked.out,
                       "picture 4 (0x00015F90-0x00016120): skipped: its extent lies "
                       "past the end of the file"))
      << checked.out;
  EXPECT_FALSE(Contains(checked.out, "picture 1 "));
  EXPECT_FALSE(Contains(checked.out, "picture 3 "));
  EXPECT_TRUE(Contains(checked.out, "sound 2 (150 bytes): skipped: ")) << checked.out;
  EXPECT_FALSE(Contains(checked.out, "sound 1 "));
  EXPECT_TRUE(Contains(checked.out,
                       "pictures: 4, sounds: 2; 2 pictures and 1 sounds would be "
                       "skipped"))
      << checked.out;

  WriteFileBytes(dir / "p.jpg", good);
  WriteFileBytes(dir / "s.wav", Sound(200, 1));
  ASSERT_EQ(Showpack({"create", "-o", dir / "good.scr", "--sound", dir / "s.wav", dir / "p.jpg"})
                .exitCode,
            0);
  ChildResult plays = Showpack({"check", dir / "good.scr"});
  EXPECT_EQ(plays.exitCode, 0) << plays.out << plays.err;
  EXPECT_TRUE(Contains(plays.out, "pictures: 1, sounds: 1; everything plays")) << plays.out;

  std::string flipped = ReadFileBytes(dir / "good.scr");
  flipped[flipped.size() - 1] ^= 0x40;
  WriteFileBytes(dir / "flipped.scr", flipped);
  ChildResult corrupt = Showpack({"check", dir / "flipped.scr"});
  EXPECT_EQ(corrupt.exitCode, 1);
  EXPECT_TRUE(Contains(corrupt.err, "Corrupted scr file (pointer)!")) << corrupt.err;
  EXPECT_EQ(Showpack({"check", dir / "missing.scr"}).exitCode, 2);
}

TEST(ShowpackTest, HelpAndUsage) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--help"},
                                             {"-h"},
                                             {"create", "--help"},
                                             {"list", "-h"},
                                             {"extract", "--help"},
                                             {"check", "--help"}}) {
    ChildResult result = Showpack(args);
    EXPECT_EQ(result.exitCode, 0) << args.back();
    EXPECT_TRUE(Contains(result.out, "usage")) << result.out;
  }
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"pack"},
                                             {"create", "--colour", "red"},
                                             {"create", "p.jpg", "-o"},
                                             {"list"},
                                             {"extract", "show.scr"},
                                             {"list", "--force", "show.scr"},
                                             {"check"},
                                             {"check", "a.scr", "b.scr"}}) {
    ChildResult result = Showpack(args);
    EXPECT_EQ(result.exitCode, 2) << (args.empty() ? "" : args.back());
    EXPECT_TRUE(Contains(result.err, "usage")) << result.err;
  }
}

}  // namespace
