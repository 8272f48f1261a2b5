// The check that keeps a show's sounds from sending PlaySoundA past their
// records (what PlaySoundA plays, the Linux layer's own test checks).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/wave_fit.h"
#include "tests/support/wave_image.h"

namespace {

const std::string kFormat = Chunk("fmt ", FormatBody(1, 1, 22050, 16));
const std::string kSamples = Level16(500, 1000);
const std::string kImage = RiffWave(kFormat + Chunk("data", kSamples));

WaveFault FaultOf(const std::string& image, WaveChunks* chunks = nullptr) {
  return FindWaveChunks(reinterpret_cast<const uint8_t*>(HeapImage(image).get()),
                        uint32_t(image.size()), chunks);
}

TEST(WaveFitsRecordTest, FindsTheFormatAndTheSamplesAfterIt) {
  const std::string list = Chunk("LIST", "INFOx");
  const std::string image = RiffWave(list + kFormat + Chunk("data", kSamples));
  WaveChunks chunks = {};
  ASSERT_EQ(FaultOf(image, &chunks), WaveFault::None);
  EXPECT_EQ(std::vector<size_t>(
                {chunks.end, chunks.formatAt, chunks.formatSize, chunks.dataAt, chunks.dataSize}),
            std::vector<size_t>({image.size(), 20 + list.size(), 16,
                                 20 + list.size() + kFormat.size(), kSamples.size()}));
  EXPECT_TRUE(
      WaveFitsRecord(reinterpret_cast<const uint8_t*>(image.data()), uint32_t(image.size())));
}

TEST(WaveFitsRecordTest, EachFaultIsFound) {
  const std::string data = Chunk("data", kSamples);
  // A last chunk of odd size whose pad byte is missing.
  const std::string odd = RiffWave(kFormat + Chunk("data", kSamples + "x"));
  // A download cut off after 1,000 bytes of a file whose header says 8,000,000.
  const std::string cut = "RIFF" + Le32(8000000 - 8) + "WAVE" + kFormat + "data" + Le32(7999956);
  const struct {
    std::string image;
    WaveFault fault;
  } cases[] = {
      // Bytes after the RIFF end are the record's business, not the sound's.
      {kImage + "trailing", WaveFault::None},
      {odd.substr(0, 4) + Le32(uint32_t(odd.size() - 9)) + odd.substr(8, odd.size() - 9),
       WaveFault::None},
      {kImage.substr(0, kImage.size() - 1), WaveFault::RiffPastEnd},
      {kImage.substr(0, 11), WaveFault::NotRiffWave},
      {"RIFX" + kImage.substr(4), WaveFault::NotRiffWave},
      {kImage.substr(0, 8) + "AVI " + kImage.substr(12), WaveFault::NotRiffWave},
      {cut + std::string(1000 - cut.size(), '\x40'), WaveFault::RiffPastEnd},
      // Sizes near 4 GiB must not wrap around to something small.
      {"RIFF" + Le32(0xFFFFFFFF) + "WAVE" + kFormat + data, WaveFault::RiffPastEnd},
      {"RIFF" + Le32(uint32_t(4 + kFormat.size() + data.size() - 2)) + "WAVE" + kFormat + data,
       WaveFault::ChunkPastRiffEnd},
      {RiffWave(kFormat + Chunk("data", kSamples, 0xFFFFFFF0)), WaveFault::ChunkPastRiffEnd},
      {RiffWave(data), WaveFault::NoFormatChunk},
      {RiffWave(Chunk("fmt ", FormatBody(1, 1, 22050, 16).substr(0, 14)) + data),
       WaveFault::FormatTooShort},
      {RiffWave(kFormat), WaveFault::NoDataChunk},
      // Windows looks for the samples after the format only.
      {RiffWave(data + kFormat), WaveFault::NoDataChunk},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FaultOf(c.image), c.fault) << &c - cases;
}

}  // namespace
