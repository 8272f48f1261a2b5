// Where the parts of a WAVE sound image lie, and whether the image fits the
// bytes that hold it. A Sound record's payload goes to PlaySoundA, which is
// given no length: it reads as far as the image's RIFF header says and looks
// for the format chunk and then for the data chunk after it. A payload that
// passes WaveFitsRecord keeps every one of those reads inside the record.
#pragma once

#include <cstdint>

// What the structure of an image lacks, or None.
enum class WaveFault {
  None,
  NotRiffWave,       // fewer than 12 bytes, or no "RIFF" size "WAVE" header
  RiffPastEnd,       // 8 + the RIFF size is more than the bytes given
  ChunkPastRiffEnd,  // a chunk's size runs past the end the RIFF size gives
  NoFormatChunk,     // no "fmt " chunk
  FormatTooShort,    // a "fmt " chunk of fewer than 16 bytes
  NoDataChunk,       // no "data" chunk after the "fmt " chunk
};

// Offsets from the image's first byte.
struct WaveChunks {
  uint32_t end;  // 8 + the RIFF size
  uint32_t formatAt, formatSize;
  uint32_t dataAt, dataSize;
};

// Walks the chunks of the image in data[0, length): every chunk must lie
// inside the RIFF size, and that inside length. Fills *chunks when it finds
// no fault.
WaveFault FindWaveChunks(const uint8_t* data, uint32_t length, WaveChunks* chunks);

// Whether the image is whole within its length, so that it may be played.
bool WaveFitsRecord(const uint8_t* data, uint32_t length);

// A line that says what the fault is, e.g. for a refusal.
const char* WaveFaultText(WaveFault fault);
