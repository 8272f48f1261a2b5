// PlaySoundA as both builds see it. Under Wine there may be no audio device,
// and Wine reports an asynchronous play as started before it reads the image,
// so these cases assert only what holds with and without a device; the Linux
// layer's own test checks what is played.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

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

TEST(PlaySoundTest, PurgeWithNothingPlayingSucceeds) {
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
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

TEST(PlaySoundTest, PurgeLetsTheCallerFreeTheImageAtOnce) {
  auto image = HeapImage(Tone(1.0));
  PlaySoundA(image.get(), nullptr, kPlayAsync);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, kPurge));
  image.reset();
  // A sound still reading the image would now read freed memory.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
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

}  // namespace
