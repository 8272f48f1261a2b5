#include "tools/showpack/sound_check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "package/wave_fit.h"

namespace {

// Format tags (mmreg.h).
constexpr uint16_t kPcm = 0x0001;
constexpr uint16_t kMsAdpcm = 0x0002;
constexpr uint16_t kIeeeFloat = 0x0003;
constexpr uint16_t kALaw = 0x0006;
constexpr uint16_t kMuLaw = 0x0007;
constexpr uint16_t kImaAdpcm = 0x0011;
constexpr uint16_t kExtensible = 0xFFFE;

// An extensible format's subformat GUID is its tag followed by these bytes.
constexpr unsigned char kSubformatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kExtensibleSize = 40;  // WAVEFORMATEXTENSIBLE
constexpr uint32_t kImaAdpcmSize = 20;    // with samples per block
constexpr uint32_t kMsAdpcmSize = 50;     // with the 7 standard coefficient pairs
constexpr int kMsAdpcmCoefficients = 7;

uint16_t Read16(const unsigned char* p) {
  return uint16_t(p[0] | p[1] << 8);
}
uint32_t Read32(const unsigned char* p) {
  return Read16(p) | uint32_t(Read16(p + 2)) << 16;
}

std::string Hex16(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

// The fields of a "fmt " chunk that decide whether it plays.
struct SoundFormat {
  uint16_t tag, channels;
  uint32_t rate;
  uint16_t blockAlign, bits;
};

// What is wrong with a format of one of the tags the players decode; empty
// when nothing is. `format` points at the chunk's body of `size` bytes.
std::string CodingFault(const SoundFormat& f, const unsigned char* format, uint32_t size) {
  const std::string what = "format " + Hex16(f.tag) + " with " + std::to_string(f.bits) +
                           " bits per sample and " + std::to_string(f.blockAlign) +
                           "-byte blocks: ";
  switch (f.tag) {
    case kPcm:
      if (f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32)
        return "PCM of " + std::to_string(f.bits) + " bits; the players take 8, 16, 24 or 32";
      if (f.blockAlign != f.channels * f.bits / 8) return what + "blocks do not fit the samples";
      return "";
    case kIeeeFloat:
      if (f.bits != 32)
        return "floating point of " + std::to_string(f.bits) + " bits; the players take 32";
      if (f.blockAlign != f.channels * 4) return what + "blocks do not fit the samples";
      return "";
    case kALaw:
    case kMuLaw:
      if (f.bits != 8 || f.blockAlign != f.channels) return what + "not 8-bit A-law or mu-law";
      return "";
    case kImaAdpcm:
      if (f.bits != 4 || size < kImaAdpcmSize || f.blockAlign <= 4 * f.channels ||
          Read16(format + 18) == 0) {
        return what + "not the 4-bit IMA ADPCM that the players decode";
      }
      return "";
    case kMsAdpcm:
      if (f.bits != 4 || size < kMsAdpcmSize || f.blockAlign < 7 * f.channels ||
          Read16(format + 18) == 0 || Read16(format + 20) < kMsAdpcmCoefficients ||
          size < 22 + 4 * uint32_t(Read16(format + 20))) {
        return what + "not the MS ADPCM with its coefficients that the players decode";
      }
      return "";
  }
  return "an unknown sound format (tag " + Hex16(f.tag) +
         "); the players play PCM, IEEE float, IMA ADPCM, MS ADPCM, mu-law and A-law";
}

std::string FormatFault(const unsigned char* format, uint32_t size) {
  SoundFormat f = {Read16(format), Read16(format + 2), Read32(format + 4), Read16(format + 12),
                   Read16(format + 14)};
  // Plain formats describe mono and stereo only; more channels need the
  // extensible form.
  uint16_t maxChannels = 2;
  if (f.tag == kExtensible) {
    if (size < kExtensibleSize || Read16(format + 16) < kExtensibleSize - 18)
      return "an extensible format chunk too short for its subformat";
    if (std::memcmp(format + 26, kSubformatTail, sizeof kSubformatTail) != 0)
      return "an extensible format whose subformat is no format tag";
    f.tag = Read16(format + 24);
    maxChannels = 8;
  }
  if (f.channels < 1 || f.channels > maxChannels)
    return std::to_string(f.channels) + " channels; the players take 1 to " +
           std::to_string(maxChannels);
  if (f.rate == 0) return "a rate of 0 samples a second";
  return CodingFault(f, format, size);
}

}  // namespace

std::string SoundFault(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  WaveChunks chunks;
  WaveFault fault = FindWaveChunks(data, uint32_t(bytes.size()), &chunks);
  if (fault != WaveFault::None) return WaveFaultText(fault);
  std::string formatFault = FormatFault(data + chunks.formatAt, chunks.formatSize);
  if (!formatFault.empty()) return formatFault;
  if (chunks.dataSize == 0) return "no sound: the \"data\" chunk is empty";
  return "";
}
