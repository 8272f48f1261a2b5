// The show package appended to the player's executable, and the record table
// that holds its record headers and payloads in memory.
//
// File layout (little-endian, offsets absolute from the file's first byte):
//   executable image | pictures (plain JPEG files) | record table | fill | trailer
// The trailer is the file's last 8 bytes: the table offset, twice. Each record
// is a 24-byte header followed by `length` payload bytes, every byte XORed with
// kPayloadMask; a record of type End closes the table.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr uint8_t kRecordMarker = 0x2A;  // '*'
constexpr uint8_t kPayloadMask = 0x5C;
constexpr int kRecordHeaderSize = 24;
constexpr int kTrailerSize = 8;
// Entries in memory, the terminator included: at most 1023 records before it.
constexpr int kRecordTableCapacity = 1024;
// Text records (ShowName to InfoLine) fill fields of this many bytes, NUL included.
constexpr int kShowTextSize = 128;

enum class ShowRecordType : uint8_t {
  End = 0,
  ShowName = 1,
  ShowTitle = 2,
  CreditLine = 3,
  InfoLine = 4,
  ReadmeText = 6,
  Image = 64,
  Sound = 65,
};

// Header byte offsets.
constexpr int kHeaderMarker = 0;
constexpr int kHeaderType = 1;
constexpr int kHeaderStart = 4;
constexpr int kHeaderEnd = 8;
constexpr int kHeaderLength = 12;
constexpr int kHeaderChecksum = 16;

struct ShowRecord {
  ShowRecordType type;
  uint32_t start;  // Image: offset of the picture's first byte
  uint32_t end;    // Image: offset one past its last byte
  int32_t length;  // payload bytes; zero or negative: no payload
  uint16_t checksum;
  // The unscrambled payload, owned by the table; present exactly when length > 0.
  // One zero byte follows its last byte, so text payloads always end in memory.
  unsigned char* payload;
};

void ClearRecordTable();
// Reads the table at tableOffset into the cleared record table. Returns the
// number of records before the terminator, or -1 when the table is corrupt.
int16_t ReadRecordTable(FILE* packageFile, uint32_t tableOffset);
const ShowRecord* RecordAt(int16_t index);
uint16_t RecordChecksum(const unsigned char* bytes, int32_t count);
void FreeRecordTable();
