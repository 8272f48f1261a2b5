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

const int kRate = 44100;
const DWORD kPlayAsync = SND_ASYNC | SND_MEMORY | SND_NODEFAULT;

// The disk driver, chosen before anything starts SDL's audio, and its output.
const ScratchDir diskDir;
const std::string diskFile = [] {
  SetEnv("SDL_AUDIODRIVER", "disk");
  SetEnv("SDL_DISKAUDIOFILE", diskDir / "output.raw");
  return diskDir / "output.raw";
}();

struct Frame {
  int16_t left, right;
};

uint64_t OutputSize() {
  std::error_code error;
  uint64_t size = std::filesystem::file_size(diskFile, error);
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
  std::ifstream in(diskFile, std::ios::binary);
  in.seekg(std::streamoff(start));
  in.read(reinterpret_cast<char*>(frames.data()), std::streamsize(frames.size() * sizeof(Frame)));
  return frames;
}

// Conversion may move a sample by a step.
bool Near(int value, int wanted) {
  return std::abs(value - wanted) <= 2;
}

size_t FirstSound(const std::vector<Frame>& frames) {
  size_t i = 0;
  while (i < frames.size() && frames[i].left == 0 && frames[i].right == 0)
    ++i;
  return i;
}

std::string Mono16(size_t count, int16_t value) {
  return PcmWave(1, kRate, 16, Level16(count, value));
}

// The samples come out as they are, each channel in its own, past chunks of
// other kinds.
TEST(PlaySoundTest, PlaysSamplesAsTheyAreInTheirChannels) {
  std::vector<Frame> sent;
  for (int i = 0; i < kRate / 4; ++i)
    sent.push_back({int16_t(1000 + i * 37 % 20000), int16_t(-1000 - i * 37 % 20000)});
  const std::string samples(reinterpret_cast<const char*>(sent.data()), sent.size() * 4);
  const std::string chunks = Chunk("LIST", "INFOx") + Chunk("fmt ", FormatBody(1, 2, kRate, 16)) +
                             Chunk("fact", "abc") + Chunk("data", samples);
  const uint64_t start = OutputSize();
  ASSERT_TRUE(PlaySoundA(HeapImage(RiffWave(chunks)).get(), nullptr, kPlayAsync));
  const std::vector<Frame> frames = Since(start, 0.6);
  const size_t first = FirstSound(frames), end = first + sent.size();
  ASSERT_LE(end, frames.size());
  for (size_t i = 0; i < sent.size(); ++i) {
    ASSERT_TRUE(Near(frames[first + i].left, sent[i].left) &&
                Near(frames[first + i].right, sent[i].right))
        << "frame " << i;
  }
  EXPECT_EQ(FirstSound({frames.begin() + long(end), frames.end()}), frames.size() - end);
}

// SND_NOSTOP fails only while a sound plays, which the show relies on not to
// cut one off; a new sound stops the playing one, and a purge the last. Each
// image is freed as soon as its call returns.
TEST(PlaySoundTest, EachCallStopsOrKeepsThePlayingSoundAsWindowsDoes) {
  const uint64_t start = OutputSize();
  ASSERT_TRUE(PlaySoundA(HeapImage(Mono16(kRate, 6000)).get(), nullptr, kPlayAsync | SND_NOSTOP));
  EXPECT_FALSE(PlaySoundA(HeapImage(Mono16(kRate, 0)).get(), nullptr, kPlayAsync | SND_NOSTOP));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(PlaySoundA(HeapImage(Mono16(kRate, -6000)).get(), nullptr, kPlayAsync));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  PlaySoundA(nullptr, nullptr, SND_ASYNC | SND_PURGE | SND_FILENAME);
  size_t firsts = 0, seconds = 0, firstsAfterASecond = 0;
  for (const Frame& f : Since(start, 1.2)) {
    firsts += Near(f.left, 6000);
    seconds += Near(f.left, -6000);
    firstsAfterASecond += seconds > 0 && Near(f.left, 6000);
  }
  EXPECT_TRUE(firsts > 0 && firsts < size_t(kRate / 2)) << firsts;
  EXPECT_TRUE(seconds > 0 && seconds < size_t(kRate / 2)) << seconds;
  EXPECT_EQ(firstsAfterASecond, 0u);
  EXPECT_TRUE(PlaySoundA(Mono16(100, 3000).data(), nullptr, kPlayAsync | SND_NOSTOP));
}

// The format of the shows' own sounds, 8-bit PCM at 11025 frames a second,
// and one that needs a decoder, as sox writes them: a 440 Hz sine comes out
// about as long, as loud and as high as it was made.
TEST(PlaySoundTest, PlaysTheShowsFormatAndACompressedOne) {
  ScratchDir dir;
  const SoxFormat formats[] = {{"pcm8-11025", {"-r", "11025", "-e", "unsigned-integer", "-b", "8"}},
                               {"ms-adpcm", {"-e", "ms-adpcm"}}};
  for (const SoxFormat& format : formats) {
    SCOPED_TRACE(format.name);
    const std::string path = dir / (std::string(format.name) + ".wav");
    ASSERT_EQ(MakeSoxSine(path, format, 0.3), "");
    const uint64_t start = OutputSize();
    ASSERT_TRUE(PlaySoundA(HeapImage(ReadFileBytes(path)).get(), nullptr, kPlayAsync));
    // Half-periods: moves from well above zero to well below it, or back.
    size_t first = SIZE_MAX, last = 0, halfPeriods = 0, i = 0;
    int peak = 0, side = 0, oneSided = 0;
    for (const Frame& f : Since(start, 0.7)) {
      oneSided += f.right != f.left;  // mono is heard in both channels
      peak = std::max(peak, std::abs(int(f.left)));
      if (++i, std::abs(f.left) < 2000) continue;
      first = std::min(first, i);
      last = i;
      halfPeriods += side != 0 && (f.left > 0 ? 1 : -1) != side;
      side = f.left > 0 ? 1 : -1;
    }
    ASSERT_LT(first, last) << "nothing was heard";
    EXPECT_NEAR(double(last - first), 0.3 * kRate, 0.03 * kRate);
    EXPECT_GT(peak, 8000);
    EXPECT_EQ(oneSided, 0);
    EXPECT_NEAR(double(halfPeriods), 2 * 440 * 0.3, 5);
  }
}

TEST(PlaySoundTest, MalformedImagesFailAndPlayNothing) {
  // Samples of their own level, told apart from the marker's if they play.
  const std::string data = Chunk("data", Level16(2000, 1234));
  auto withFormat = [&](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    return RiffWave(Chunk("fmt ", FormatBody(tag, channels, rate, bits)) + data);
  };
  std::string badBlock = withFormat(1, 1, kRate, 16);
  badBlock[20 + 12] = 7;  // the block size
  // Only what passes the show's own check (WaveFitsRecord) reaches the call.
  const std::string images[] = {
      RiffWave(Chunk("fmt ", FormatBody(1, 1, kRate, 16)) + Chunk("data", "")),
      badBlock,
      withFormat(2, 1, kRate, 4),        // MS ADPCM without its coefficients
      withFormat(0xFFFE, 1, kRate, 16),  // extensible without its extension
      withFormat(0x55, 1, kRate, 16),    // MPEG layer 3: no codec
      withFormat(1, 0, kRate, 16),
      withFormat(1, 1, 0, 16)};
  const uint64_t start = OutputSize();
  for (const std::string& image : images)
    EXPECT_FALSE(PlaySoundA(HeapImage(image).get(), nullptr, kPlayAsync)) << &image - images;
  // A sound after them keeps the output going: all before it must be silence.
  ASSERT_TRUE(PlaySoundA(Mono16(kRate / 10, 3000).data(), nullptr, kPlayAsync));
  for (const Frame& f : Since(start, 0.3))
    ASSERT_TRUE((f.left == 0 && f.right == 0) || Near(f.left, 3000)) << f.left;
}

}  // namespace
