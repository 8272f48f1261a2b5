// PlaySoundA as both builds see it, and the check that keeps a show's sounds
// from sending it past their records. Under Wine there may be no audio device,
// and Wine reports an asynchronous play as started before it reads the image,
// so these cases assert only what holds with and without a device; the Linux
// layer's own test checks what is played.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "package/wave_fit.h"
#include "platform/win32.h"
#include "tests/support/wave_image.h"

namespace {

const DWORD kPurge = SND_ASYNC | SND_PURGE | SND_FILENAME;
const DWORD kPlayAsync = SND_ASYNC | SND_MEMORY | SND_NODEFAULT;

std::string Tone(double seconds) {
  std::vector<int16_t> values;
  for (size_t i = 0; i < size_t(seconds * 22050); ++i)
    values.push_back(int16_t(i % 50 * 200));
  return PcmWave(1, 22050, 16, Samples16(values));
}

bool HaveAudioDevice() {
  return waveOutGetNumDevs() > 0;
}

// Only images that fail on their first twelve bytes: Wine looks for a missing
// chunk past the end of the RIFF image, and would read beyond the buffer.
TEST(PlaySoundTest, ImagesOtherThanRiffWaveFailWhenPlayedSynchronously) {
  const std::string body =
      Chunk("fmt ", FormatBody(1, 1, 22050, 16)) + Chunk("data", Samples16(Constant16(2000, 1000)));
  const std::string images[] = {
      "RIFX" + Le32(4 + uint32_t(body.size())) + "WAVE" + body,
      "RIFF" + Le32(4 + uint32_t(body.size())) + "AVI " + body,
  };
  for (const std::string& image : images) {
    auto copy = HeapImage(image);
    EXPECT_FALSE(PlaySoundA(copy.get(), nullptr, SND_SYNC | SND_MEMORY | SND_NODEFAULT));
  }
}

TEST(PlaySoundTest, NoStopFailsWhileASoundPlays) {
  if (!HaveAudioDevice()) GTEST_SKIP() << "no audio output device";
  const std::string first = Tone(2.0), second = Tone(0.2);
  ASSERT_TRUE(PlaySoundA(first.data(), nullptr, kPlayAsync));
  EXPECT_FALSE(PlaySoundA(second.data(), nullptr, kPlayAsync | SND_NOSTOP));
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
  EXPECT_TRUE(PlaySoundA(second.data(), nullptr, kPlayAsync | SND_NOSTOP));
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
}

TEST(PlaySoundTest, SynchronousPlayReturnsAfterTheSound) {
  if (!HaveAudioDevice()) GTEST_SKIP() << "no audio output device";
  const std::string sound = Tone(0.3);
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(PlaySoundA(sound.data(), nullptr, SND_SYNC | SND_MEMORY | SND_NODEFAULT));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

bool Fits(const std::string& image, size_t length) {
  auto copy = HeapImage(image.substr(0, length));
  return WaveFitsRecord(reinterpret_cast<const uint8_t*>(copy.get()), uint32_t(length));
}

WaveFault FaultOf(const std::string& image) {
  auto copy = HeapImage(image);
  return FindWaveChunks(reinterpret_cast<const uint8_t*>(copy.get()), uint32_t(image.size()),
                        nullptr);
}

const std::string kFormat = Chunk("fmt ", FormatBody(1, 1, 22050, 16));
const std::string kSamples = Samples16(Constant16(500, 1000));

TEST(WaveFitsRecordTest, AWholeImageFitsAndOneByteLessDoesNot) {
  const std::string image = Tone(0.1);
  EXPECT_TRUE(Fits(image, image.size()));
  EXPECT_FALSE(Fits(image, image.size() - 1));
  // Bytes after the RIFF end are the record's business, not the sound's.
  EXPECT_TRUE(Fits(image + "trailing", image.size() + 8));
  // A last chunk of odd size may lack its pad byte.
  const std::string odd = RiffWave(kFormat + Chunk("data", kSamples + "x"));
  EXPECT_TRUE(Fits(odd, odd.size()));
  EXPECT_TRUE(
      Fits(odd.substr(0, 4) + Le32(uint32_t(odd.size() - 9)) + odd.substr(8), odd.size() - 1));
}

TEST(WaveFitsRecordTest, TinyRecordsNeverFit) {
  const std::string image = Tone(0.1);
  EXPECT_FALSE(WaveFitsRecord(nullptr, 0));
  for (size_t length = 0; length < 12; ++length)
    EXPECT_FALSE(Fits(image, length)) << length << " bytes";
}

// A download cut off after 1,000 bytes of a file whose header says 8,000,000.
TEST(WaveFitsRecordTest, ARiffSizePastTheRecordDoesNotFit) {
  const std::string header = "RIFF" + Le32(8000000 - 8) + "WAVE" + kFormat + "data" + Le32(7999956);
  std::string cut = header + std::string(1000 - header.size(), '\x40');
  EXPECT_EQ(FaultOf(cut), WaveFault::RiffPastEnd);
  EXPECT_FALSE(Fits(cut, cut.size()));
  // Sizes near 4 GiB must not wrap around to something small.
  EXPECT_EQ(FaultOf("RIFF" + Le32(0xFFFFFFFF) + "WAVE" + kFormat + Chunk("data", kSamples)),
            WaveFault::RiffPastEnd);
  EXPECT_EQ(FaultOf("RIFF" + Le32(0xFFFFFFFC) + "WAVE" + kFormat + Chunk("data", kSamples)),
            WaveFault::RiffPastEnd);
}

TEST(WaveFitsRecordTest, ChunksPastTheRiffEndDoNotFit) {
  // The RIFF size stops short of the data chunk's announced end, while the
  // record holds it all.
  const std::string body = kFormat + Chunk("data", kSamples);
  const std::string shortRiff = "RIFF" + Le32(uint32_t(4 + body.size() - 2)) + "WAVE" + body;
  EXPECT_EQ(FaultOf(shortRiff), WaveFault::ChunkPastRiffEnd);
  EXPECT_EQ(FaultOf(RiffWave(kFormat + ChunkAnnouncing("data", 0xFFFFFFF0, kSamples))),
            WaveFault::ChunkPastRiffEnd);
  EXPECT_EQ(FaultOf(RiffWave(ChunkAnnouncing("fmt ", 0xFFFFFFFF, FormatBody(1, 1, 22050, 16)) +
                             Chunk("data", kSamples))),
            WaveFault::ChunkPastRiffEnd);
  EXPECT_EQ(FaultOf(RiffWave(kFormat + Chunk("data", kSamples) + ChunkAnnouncing("LIST", 9, "x"))),
            WaveFault::ChunkPastRiffEnd);
}

TEST(WaveFitsRecordTest, FindsTheFormatAndTheSamplesAfterIt) {
  const std::string list = Chunk("LIST", "INFOx");
  const std::string image = RiffWave(list + kFormat + Chunk("data", kSamples));
  auto copy = HeapImage(image);
  WaveChunks chunks = {};
  ASSERT_EQ(
      FindWaveChunks(reinterpret_cast<const uint8_t*>(copy.get()), uint32_t(image.size()), &chunks),
      WaveFault::None);
  EXPECT_EQ(chunks.end, image.size());
  EXPECT_EQ(chunks.formatAt, 12 + list.size() + 8);
  EXPECT_EQ(chunks.formatSize, 16u);
  EXPECT_EQ(chunks.dataAt, 12 + list.size() + kFormat.size() + 8);
  EXPECT_EQ(chunks.dataSize, kSamples.size());

  EXPECT_EQ(FaultOf("RIFX" + image.substr(4)), WaveFault::NotRiffWave);
  EXPECT_EQ(FaultOf(image.substr(0, 8) + "AVI " + image.substr(12)), WaveFault::NotRiffWave);
  EXPECT_EQ(FaultOf("RIFF" + Le32(3) + "WAVE"), WaveFault::NotRiffWave);
  EXPECT_EQ(FaultOf(RiffWave(Chunk("data", kSamples))), WaveFault::NoFormatChunk);
  EXPECT_EQ(FaultOf(RiffWave(Chunk("fmt ", FormatBody(1, 1, 22050, 16).substr(0, 14)) +
                             Chunk("data", kSamples))),
            WaveFault::FormatTooShort);
  EXPECT_EQ(FaultOf(RiffWave(kFormat)), WaveFault::NoDataChunk);
  // Windows looks for the samples after the format only.
  EXPECT_EQ(FaultOf(RiffWave(Chunk("data", kSamples) + kFormat)), WaveFault::NoDataChunk);
}

}  // namespace
