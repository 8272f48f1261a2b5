// What the Linux PlaySoundA plays, read back from SDL's disk audio driver at
// the device's format: 44100 frames a second of 16-bit stereo. Silence is
// written while nothing plays, so a case records from the file's current end.
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

// Waits until `seconds` of output follow `start`, a size the output had, and
// gives all there is from there.
std::vector<Frame> Since(uint64_t start, double seconds) {
  const uint64_t wanted = start + uint64_t(seconds * kRate) * sizeof(Frame);
  for (int i = 0; i < 2000 && OutputSize() < wanted; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_GE(OutputSize(), wanted) << "the disk driver stopped writing";
  std::vector<Frame> frames(size_t(OutputSize() - start) / sizeof(Frame));
  std::ifstream in(disk.file, std::ios::binary);
  in.seekg(std::streamoff(start));
  in.read(reinterpret_cast<char*>(frames.data()), std::streamsize(frames.size() * sizeof(Frame)));
  return frames;
}

// Conversion may move a sample by a step.
bool Near(int value, int wanted) {
  return std::abs(value - wanted) <= 2;
}

size_t CountNear(const std::vector<Frame>& frames, int value) {
  return size_t(std::count_if(frames.begin(), frames.end(), [value](const Frame& f) {
    return Near(f.left, value) && Near(f.right, value);
  }));
}

size_t FirstSound(const std::vector<Frame>& frames) {
  size_t i = 0;
  while (i < frames.size() && frames[i].left == 0 && frames[i].right == 0)
    ++i;
  return i;
}

std::string Mono16(const std::vector<int16_t>& values) {
  return PcmWave(1, kRate, 16, Samples16(values));
}

class PlaySoundTest : public ::testing::Test {
 protected:
  void TearDown() override { PlaySoundA(nullptr, nullptr, kPurge); }
};

// The samples come out as they are, mono in both channels and stereo each in
// its own, past chunks of other kinds and up to the end of a data chunk that
// announces more than there is.
TEST_F(PlaySoundTest, PlaysSamplesAsTheyAreInTheirChannels) {
  std::vector<int16_t> values, stereo;
  for (int i = 0; i < kRate / 4; ++i) {
    values.push_back(int16_t(1000 + i * 37 % 20000));
    stereo.insert(stereo.end(), {values.back(), int16_t(-values.back())});
  }
  const std::string samples = Samples16(values);
  const std::string format = Chunk("fmt ", FormatBody(1, 1, kRate, 16));
  const std::string images[] = {
      RiffWave(Chunk("LIST", "INFOx") + format + Chunk("fact", "abc") + Chunk("data", samples)),
      RiffWave(format + ChunkAnnouncing("data", 2 * samples.size(), samples)),
      PcmWave(2, kRate, 16, Samples16(stereo))};
  for (const std::string& image : images) {
    const int right = &image == &images[2] ? -1 : 1;
    auto heap = HeapImage(image);
    const uint64_t start = OutputSize();
    ASSERT_TRUE(PlaySoundA(heap.get(), nullptr, kPlayAsync));
    const std::vector<Frame> frames = Since(start, 0.6);
    const size_t first = FirstSound(frames), end = first + values.size();
    ASSERT_LE(end, frames.size());
    for (size_t i = 0; i < values.size(); ++i) {
      ASSERT_TRUE(Near(frames[first + i].left, values[i]) &&
                  Near(frames[first + i].right, right * values[i]))
          << "image " << &image - images << ", frame " << i;
    }
    EXPECT_EQ(FirstSound({frames.begin() + long(end), frames.end()}), frames.size() - end);
  }
}

// SND_NOSTOP fails only while a sound plays; a new sound stops the playing
// one, and a purge the last. Each image is freed as soon as the call after it
// returns.
TEST_F(PlaySoundTest, EachCallStopsOrKeepsThePlayingSoundAsWindowsDoes) {
  const int kFirst = kRate * 3 / 10;
  auto first = HeapImage(Mono16(Constant16(kFirst, 6000)));
  auto second = HeapImage(Mono16(Constant16(kRate, -6000)));
  const uint64_t start = OutputSize();
  ASSERT_TRUE(PlaySoundA(first.get(), nullptr, kPlayAsync | SND_NOSTOP));
  EXPECT_FALSE(PlaySoundA(second.get(), nullptr, kPlayAsync | SND_NOSTOP));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(PlaySoundA(second.get(), nullptr, kPlayAsync));
  first.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  PlaySoundA(nullptr, nullptr, kPurge);
  second.reset();
  const std::vector<Frame> frames = Since(start, 1.5);

  size_t lastFirst = 0, firstSecond = frames.size();
  for (size_t i = 0; i < frames.size(); ++i) {
    if (Near(frames[i].left, 6000)) lastFirst = i;
    if (Near(frames[i].left, -6000)) firstSecond = std::min(firstSecond, i);
  }
  EXPECT_LT(lastFirst, firstSecond);
  EXPECT_GT(CountNear(frames, 6000), 0u);
  EXPECT_LT(CountNear(frames, 6000), size_t(kFirst));
  EXPECT_GT(CountNear(frames, -6000), 0u);
  EXPECT_LT(CountNear(frames, -6000), size_t(kRate / 2));
  EXPECT_EQ(FirstSound({frames.end() - kRate / 4, frames.end()}), size_t(kRate / 4));
  const std::string last = Mono16(Constant16(100, 3000));
  EXPECT_TRUE(PlaySoundA(last.data(), nullptr, kPlayAsync | SND_NOSTOP));
}

// Each format that Windows plays out of the box, as sox writes it: a 440 Hz
// sine comes out about as long, as loud and as high as it was made.
TEST_F(PlaySoundTest, PlaysEveryFormatThatWindowsPlays) {
  ScratchDir dir;
  for (const SoxFormat& format : SoxFormats()) {
    SCOPED_TRACE(format.name);
    const std::string path = dir / (std::string(format.name) + ".wav");
    ASSERT_EQ(MakeSoxSine(path, format, 0.3), "");
    auto image = HeapImage(ReadFileBytes(path));
    const uint64_t start = OutputSize();
    ASSERT_TRUE(PlaySoundA(image.get(), nullptr, kPlayAsync));
    const std::vector<Frame> frames = Since(start, 0.7);

    // Half-periods: moves from well above zero to well below it, or back.
    size_t first = frames.size(), last = 0, halfPeriods = 0;
    int peak = 0, side = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
      const int left = frames[i].left;
      peak = std::max(peak, std::abs(left));
      if (std::abs(left) < 2000) continue;
      first = std::min(first, i);
      last = i;
      halfPeriods += side != 0 && (left > 0 ? 1 : -1) != side;
      side = left > 0 ? 1 : -1;
    }
    ASSERT_LT(first, last) << "nothing was heard";
    EXPECT_NEAR(double(last - first), 0.3 * kRate, 0.03 * kRate);
    EXPECT_GT(peak, 8000);
    EXPECT_NEAR(double(halfPeriods), 2 * 440 * 0.3, 5);
  }
}

TEST_F(PlaySoundTest, MalformedImagesFailAndPlayNothing) {
  // Samples of their own level, told apart from the marker's if they play.
  const std::string data = Chunk("data", Samples16(Constant16(2000, 1234)));
  const std::string format = Chunk("fmt ", FormatBody(1, 1, kRate, 16));
  auto withFormat = [&](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    return RiffWave(Chunk("fmt ", FormatBody(tag, channels, rate, bits)) + data);
  };
  std::string badBlock = format;
  badBlock[8 + 12] = 7;  // the block size
  // Only what passes the show's own check (WaveFitsRecord) reaches the call.
  const std::string images[] = {
      RiffWave(format + Chunk("data", "")), RiffWave(badBlock + data),
      withFormat(2, 1, kRate, 4),        // MS ADPCM without its coefficients
      withFormat(0xFFFE, 1, kRate, 16),  // extensible without its extension
      withFormat(0x55, 1, kRate, 16),    // MPEG layer 3: no codec
      withFormat(1, 0, kRate, 16),          withFormat(1, 1, 0, 16),
  };
  const uint64_t start = OutputSize();
  for (const std::string& image : images)
    EXPECT_FALSE(PlaySoundA(HeapImage(image).get(), nullptr, kPlayAsync)) << &image - images;
  // A sound after them keeps the output going: all before it must be silence.
  const std::string marker = Mono16(Constant16(kRate / 10, 3000));
  ASSERT_TRUE(PlaySoundA(marker.data(), nullptr, kPlayAsync));
  for (const Frame& f : Since(start, 0.3))
    ASSERT_TRUE((f.left == 0 && f.right == 0) || Near(f.left, 3000)) << f.left;
}

}  // namespace
