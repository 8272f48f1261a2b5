#include "package/wave_fit.h"

#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr uint32_t kRiffHeaderSize = 12;  // "RIFF", its size, "WAVE"
constexpr uint32_t kChunkHeaderSize = 8;
constexpr uint32_t kMinFormatSize = 16;  // the fields every format has

}  // namespace

WaveFault FindWaveChunks(const uint8_t* data, uint32_t length, WaveChunks* chunks) {
  if (data == nullptr || length < kRiffHeaderSize || std::memcmp(data, "RIFF", 4) != 0 ||
      std::memcmp(data + 8, "WAVE", 4) != 0) {
    return WaveFault::NotRiffWave;
  }
  // 64 bits: a RIFF size near 4 GiB must not wrap around.
  const uint64_t end = uint64_t(kChunkHeaderSize) + ReadU32(data + 4);
  if (end < kRiffHeaderSize) return WaveFault::NotRiffWave;
  if (end > length) return WaveFault::RiffPastEnd;

  WaveChunks found = {uint32_t(end), 0, 0, 0, 0};
  bool haveFormat = false, haveData = false;
  // Fewer bytes than a chunk header at the end are left alone: no player
  // looks for a chunk there once it has found both of its own.
  for (uint64_t at = kRiffHeaderSize; at + kChunkHeaderSize <= end;) {
    const uint8_t* header = data + at;
    const uint32_t size = ReadU32(header + 4);
    const uint64_t body = at + kChunkHeaderSize;
    if (body + size > end) return WaveFault::ChunkPastRiffEnd;
    if (!haveFormat && std::memcmp(header, "fmt ", 4) == 0) {
      if (size < kMinFormatSize) return WaveFault::FormatTooShort;
      found.formatAt = uint32_t(body);
      found.formatSize = size;
      haveFormat = true;
    } else if (haveFormat && !haveData && std::memcmp(header, "data", 4) == 0) {
      // Windows looks for the samples only after the format.
      found.dataAt = uint32_t(body);
      found.dataSize = size;
      haveData = true;
    }
    // Chunks start on even offsets: an odd-sized one is followed by a pad
    // byte, which the last chunk may lack.
    at = body + size + (size & 1);
  }
  if (!haveFormat) return WaveFault::NoFormatChunk;
  if (!haveData) return WaveFault::NoDataChunk;
  if (chunks != nullptr) *chunks = found;
  return WaveFault::None;
}

bool WaveFitsRecord(const uint8_t* data, uint32_t length) {
  return FindWaveChunks(data, length, nullptr) == WaveFault::None;
}

const char* WaveFaultText(WaveFault fault) {
  switch (fault) {
    case WaveFault::None:
      return "a whole WAVE file";
    case WaveFault::NotRiffWave:
      return "not a WAV file (no RIFF WAVE header)";
    case WaveFault::RiffPastEnd:
      return "cut short: its RIFF header claims more bytes than the file holds";
    case WaveFault::ChunkPastRiffEnd:
      return "a chunk runs past the end its RIFF header gives";
    case WaveFault::NoFormatChunk:
      return "no \"fmt \" chunk";
    case WaveFault::FormatTooShort:
      return "a \"fmt \" chunk too short for a sound format";
    case WaveFault::NoDataChunk:
      return "no \"data\" chunk after the \"fmt \" chunk";
  }
  return "malformed";
}
