// What the Linux PlaySoundA plays, read back from SDL's disk audio driver.
// The layer's device runs from the first play to the end of the process, at
// the format it asks for, which the disk driver keeps: 44100 frames a second
// of 16-bit stereo. Silence is written while nothing plays, so a case records
// the file from its current end on.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32.h"
#include "tests/support/child_process.h"
#include "tests/support/sox_sounds.h"
#include "tests/support/wave_image.h"

namespace {

namespace fs = std::filesystem;

const int kRate = 44100;
const DWORD kPlayAsync = SND_ASYNC | SND_MEMORY | SND_NODEFAULT;
const DWORD kPurge = SND_ASYNC | SND_PURGE | SND_FILENAME;

// Chooses the disk driver before anything starts SDL's audio.
struct DiskAudio {
  DiskAudio() {
    SetEnv("SDL_AUDIODRIVER", "disk");
    SetEnv("SDL_DISKAUDIOFILE", file);
  }
  ScratchDir dir;
  std::string file = dir / "output.raw";
};
const DiskAudio disk;

struct Frame {
  int16_t left, right;
};

uint64_t OutputSize() {
  std::error_code error;
  uint64_t size = fs::file_size(disk.file, error);
  return error ? 0 : size - size % sizeof(Frame);
}

// The output from its construction on.
class Recording {
 public:
  Recording() : start_(OutputSize()) {}

  // Waits until `seconds` of output follow the start, and gives all there is.
  std::vector<Frame> After(double seconds) const {
    const uint64_t wanted = start_ + uint64_t(seconds * kRate) * sizeof(Frame);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (OutputSize() < wanted && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const uint64_t end = OutputSize();
    EXPECT_GE(end, wanted) << "the disk driver stopped writing";
    std::vector<Frame> frames(size_t(end - start_) / sizeof(Frame));
    std::ifstream in(disk.file, std::ios::binary);
    in.seekg(std::streamoff(start_));
    in.read(reinterpret_cast<char*>(frames.data()), std::streamsize(frames.size() * sizeof(Frame)));
    return frames;
  }

 private:
  uint64_t start_;
};

bool Near(int value, int wanted, int tolerance) {
  return std::abs(value - wanted) <= tolerance;
}

// Frames whose two channels both hold about `value`; format conversion may
// move a sample by one step.
size_t CountNear(const std::vector<Frame>& frames, int value) {
  size_t count = 0;
  for (const Frame& f : frames)
    count += Near(f.left, value, 2) && Near(f.right, value, 2);
  return count;
}

size_t FirstSound(const std::vector<Frame>& frames) {
  size_t i = 0;
  while (i < frames.size() && frames[i].left == 0 && frames[i].right == 0)
    ++i;
  return i;
}

bool AllSilent(const std::vector<Frame>& frames) {
  return FirstSound(frames) == frames.size();
}

std::string Mono16(const std::vector<int16_t>& values) {
  return PcmWave(1, kRate, 16, Samples16(values));
}

class PlaySoundTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge)); }
};

TEST_F(PlaySoundTest, Plays16BitMonoSamplesInBothChannels) {
  std::vector<int16_t> values;
  for (int i = 0; i < kRate / 4; ++i)
    values.push_back(int16_t(1000 + i * 37 % 20000));
  auto image = HeapImage(Mono16(values));
  Recording recording;
  ASSERT_TRUE(PlaySoundA(image.get(), nullptr, kPlayAsync));
  const std::vector<Frame> frames = recording.After(0.6);

  const size_t start = FirstSound(frames);
  ASSERT_LE(start + values.size(), frames.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const Frame& f = frames[start + i];
    ASSERT_TRUE(Near(f.left, values[i], 2) && Near(f.right, values[i], 2))
        << "frame " << i << ": " << f.left << "," << f.right << " for " << values[i];
  }
  EXPECT_TRUE(AllSilent({frames.begin() + long(start + values.size()), frames.end()}));
}

TEST_F(PlaySoundTest, Plays8BitStereoAtAnotherRate) {
  // Left well above the midpoint of unsigned samples, right at it: silent.
  std::string samples;
  for (int i = 0; i < 22050 / 5; ++i)
    samples += std::string{char(228), char(128)};
  auto image = HeapImage(PcmWave(2, 22050, 8, samples));
  Recording recording;
  ASSERT_TRUE(PlaySoundA(image.get(), nullptr, kPlayAsync));
  const std::vector<Frame> frames = recording.After(0.6);

  size_t loudLeft = 0, loudRight = 0;
  for (const Frame& f : frames) {
    loudLeft += Near(f.left, 25600, 1500);
    loudRight += std::abs(f.right) > 500;
  }
  EXPECT_NEAR(double(loudLeft), kRate / 5, kRate / 50);
  EXPECT_EQ(loudRight, 0u);
}

TEST_F(PlaySoundTest, NoStopLeavesThePlayingSoundAlone) {
  const std::string first = Mono16(Constant16(kRate / 2, 6000));
  const std::string second = Mono16(Constant16(kRate / 5, -6000));
  Recording recording;
  ASSERT_TRUE(PlaySoundA(first.data(), nullptr, kPlayAsync));
  EXPECT_FALSE(PlaySoundA(second.data(), nullptr, kPlayAsync | SND_NOSTOP));
  std::vector<Frame> frames = recording.After(0.9);
  EXPECT_EQ(CountNear(frames, 6000), size_t(kRate / 2));
  EXPECT_EQ(CountNear(frames, -6000), 0u);

  // The first sound has ended, so nothing plays any more.
  EXPECT_TRUE(PlaySoundA(second.data(), nullptr, kPlayAsync | SND_NOSTOP));
  frames = recording.After(1.4);
  EXPECT_EQ(CountNear(frames, -6000), size_t(kRate / 5));
}

TEST_F(PlaySoundTest, ANewSoundStopsTheOldOne) {
  auto first = HeapImage(Mono16(Constant16(kRate, 6000)));
  const std::string second = Mono16(Constant16(kRate / 5, -6000));
  Recording recording;
  ASSERT_TRUE(PlaySoundA(first.get(), nullptr, kPlayAsync));
  recording.After(0.1);
  ASSERT_TRUE(PlaySoundA(second.data(), nullptr, kPlayAsync));
  first.reset();
  const std::vector<Frame> frames = recording.After(0.8);

  EXPECT_GT(CountNear(frames, 6000), 0u);
  EXPECT_LT(CountNear(frames, 6000), size_t(kRate / 2));
  EXPECT_EQ(CountNear(frames, -6000), size_t(kRate / 5));
  size_t lastFirst = 0, firstSecond = frames.size();
  for (size_t i = 0; i < frames.size(); ++i) {
    if (Near(frames[i].left, 6000, 2)) lastFirst = i;
    if (Near(frames[i].left, -6000, 2) && firstSecond == frames.size()) firstSecond = i;
  }
  EXPECT_LT(lastFirst, firstSecond);
}

TEST_F(PlaySoundTest, PurgeStopsTheSoundAndReleasesTheImage) {
  auto image = HeapImage(Mono16(Constant16(kRate, 6000)));
  Recording recording;
  ASSERT_TRUE(PlaySoundA(image.get(), nullptr, kPlayAsync));
  recording.After(0.1);
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
  image.reset();
  const std::vector<Frame> frames = recording.After(1.0);

  EXPECT_GT(CountNear(frames, 6000), 0u);
  EXPECT_LT(CountNear(frames, 6000), size_t(kRate / 2));
  EXPECT_TRUE(AllSilent({frames.end() - kRate / 4, frames.end()}));
  const std::string next = Mono16(Constant16(kRate / 10, 3000));
  EXPECT_TRUE(PlaySoundA(next.data(), nullptr, kPlayAsync | SND_NOSTOP));
}

TEST_F(PlaySoundTest, SynchronousPlayReturnsAfterTheSound) {
  const std::string sound = Mono16(Constant16(kRate * 3 / 10, 6000));
  Recording recording;
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(PlaySoundA(sound.data(), nullptr, SND_SYNC | SND_MEMORY | SND_NODEFAULT));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
  EXPECT_TRUE(PlaySoundA(sound.data(), nullptr, kPlayAsync | SND_NOSTOP));
}

TEST_F(PlaySoundTest, SkipsOtherChunksAndCutsAShortDataChunk) {
  const std::string samples = Samples16(Constant16(kRate / 10, 3000));
  const std::string format = Chunk("fmt ", FormatBody(1, 1, kRate, 16));
  // Odd-sized chunks before the format and between it and the samples.
  auto other = HeapImage(
      RiffWave(Chunk("LIST", "INFOx") + format + Chunk("fact", "abc") + Chunk("data", samples)));
  // The data chunk announces twice the samples that the image holds.
  auto cut = HeapImage(RiffWave(format + ChunkAnnouncing("data", 2 * samples.size(), samples)));

  for (const char* image : {other.get(), cut.get()}) {
    Recording recording;
    ASSERT_TRUE(PlaySoundA(image, nullptr, kPlayAsync));
    EXPECT_EQ(CountNear(recording.After(0.4), 3000), size_t(kRate / 10));
  }
}

// Each format that Windows plays out of the box, as sox writes it: a sine that
// comes out for about as long as it was made, at about its level and with its
// 440 Hz intact.
TEST_F(PlaySoundTest, PlaysEveryFormatThatWindowsPlays) {
  ScratchDir dir;
  for (const SoxFormat& format : SoxFormats()) {
    SCOPED_TRACE(format.name);
    const std::string path = dir / (std::string(format.name) + ".wav");
    ASSERT_EQ(MakeSoxSine(path, format, 0.3), "");
    auto image = HeapImage(ReadFileBytes(path));
    Recording recording;
    ASSERT_TRUE(PlaySoundA(image.get(), nullptr, kPlayAsync));
    const std::vector<Frame> frames = recording.After(0.7);

    // Half-periods: moves from well above zero to well below it, or back.
    size_t first = frames.size(), last = 0, halfPeriods = 0;
    int peak = 0, side = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
      const int left = frames[i].left;
      peak = std::max(peak, std::abs(left));
      if (std::abs(left) < 2000) continue;
      first = std::min(first, i);
      last = i;
      const int now = left > 0 ? 1 : -1;
      if (side != 0 && now != side) ++halfPeriods;
      side = now;
    }
    ASSERT_LT(first, last) << "nothing was heard";
    EXPECT_NEAR(double(last - first), 0.3 * kRate, 0.03 * kRate);
    EXPECT_GT(peak, 8000);
    EXPECT_NEAR(double(halfPeriods), 2 * 440 * 0.3, 5);
  }
}

TEST_F(PlaySoundTest, PlaysAFileByName) {
  ScratchDir dir;
  WriteFileBytes(dir / "beep.wav", Mono16(Constant16(kRate / 10, 3000)));
  Recording recording;
  ASSERT_TRUE(
      PlaySoundA((dir / "beep.wav").c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT));
  EXPECT_EQ(CountNear(recording.After(0.4), 3000), size_t(kRate / 10));
  EXPECT_FALSE(
      PlaySoundA((dir / "missing.wav").c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT));
}

TEST_F(PlaySoundTest, MalformedImagesFailAndPlayNothing) {
  const std::string samples = Samples16(Constant16(2000, 3000));
  const std::string data = Chunk("data", samples);
  const std::string format = Chunk("fmt ", FormatBody(1, 1, kRate, 16));
  auto withFormat = [&](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    return RiffWave(Chunk("fmt ", FormatBody(tag, channels, rate, bits)) + data);
  };
  std::string badBlock = format;
  badBlock[8 + 12] = 7;  // the block size
  const std::string good = RiffWave(format + data);
  const std::string images[] = {
      "RIFX" + good.substr(4),
      "RIFF" + Le32(4 + uint32_t(format.size() + data.size())) + "AVI " + format + data,
      "RIFF" + Le32(2) + "WA",                                        // header cut short
      "RIFF" + Le32(4 + 8 + 10) + "WAVE" + format.substr(0, 8 + 10),  // fmt chunk cut short
      RiffWave(Chunk("fmt ", FormatBody(1, 1, kRate, 16).substr(0, 14)) + data),
      RiffWave(data),
      RiffWave(format),
      RiffWave(format + Chunk("data", "")),
      RiffWave(format + "da"),
      // The RIFF size ends the image before its data chunk.
      "RIFF" + Le32(4 + uint32_t(format.size())) + "WAVE" + format + data,
      RiffWave(badBlock + data),
      // As on Windows, the samples must follow their format.
      RiffWave(data + format),
      withFormat(2, 1, kRate, 4),        // MS ADPCM without its coefficients
      withFormat(0xFFFE, 1, kRate, 16),  // extensible without its extension
      withFormat(0x55, 1, kRate, 16),    // MPEG layer 3: no codec
      withFormat(1, 0, kRate, 16),
      withFormat(1, 1, 0, 16),
  };
  Recording recording;
  int index = 0;
  for (const std::string& image : images) {
    auto copy = HeapImage(image);
    EXPECT_FALSE(PlaySoundA(copy.get(), nullptr, kPlayAsync)) << "image " << index;
    ++index;
  }
  // A sound after them keeps the output going: all before it must be silence.
  ASSERT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
  const std::string marker = Mono16(Constant16(kRate / 10, 3000));
  ASSERT_TRUE(PlaySoundA(marker.data(), nullptr, kPlayAsync));
  const std::vector<Frame> frames = recording.After(0.3);
  for (const Frame& f : frames) {
    ASSERT_TRUE((f.left == 0 && f.right == 0) || Near(f.left, 3000, 2)) << f.left;
  }
}

TEST(PlaySoundDeathTest, UnsupportedFlagsFailLoudly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string sound = Mono16(Constant16(100, 3000));
  EXPECT_DEATH(PlaySoundA(sound.data(), nullptr, kPlayAsync | SND_LOOP), "PlaySoundA");
  EXPECT_DEATH(PlaySoundA(sound.data(), nullptr, kPurge), "PlaySoundA");
  EXPECT_DEATH(PlaySoundA("SystemAsterisk", nullptr, SND_ASYNC), "PlaySoundA");
}

}  // namespace
