#include <cstdlib>
#include <cstring>

#include "package/show_record.h"
#include "package/show_state.h"

namespace {

uint32_t ReadU32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadU16(const unsigned char* p) {
  return uint16_t(p[0] | p[1] << 8);
}

long FileLength(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  return std::ftell(file);
}

// Reads, unscrambles and verifies one payload. A length that runs past the
// end of the file is refused before anything is allocated.
bool ReadPayload(FILE* file, long fileLength, ShowRecord& record) {
  long position = std::ftell(file);
  if (position < 0 || record.length > fileLength - position) return false;
  auto* bytes = static_cast<unsigned char*>(std::malloc(size_t(record.length) + 1));
  if (bytes == nullptr) return false;
  record.payload = bytes;
  if (std::fread(bytes, 1, size_t(record.length), file) != size_t(record.length)) return false;
  for (int32_t i = 0; i < record.length; ++i)
    bytes[i] ^= kPayloadMask;
  bytes[record.length] = 0;
  return RecordChecksum(bytes, record.length) == record.checksum;
}

}  // namespace

void ClearRecordTable() {
  std::memset(showState.records, 0, sizeof showState.records);
  showState.recordCount = 0;
}

int16_t ReadRecordTable(FILE* packageFile, uint32_t tableOffset) {
  showState.recordCount = 0;
  long fileLength = FileLength(packageFile);
  if (fileLength < 0 || std::fseek(packageFile, long(tableOffset), SEEK_SET) != 0) return -1;
  for (;;) {
    unsigned char header[kRecordHeaderSize] = {};
    size_t got = std::fread(header, 1, sizeof header, packageFile);
    if (header[kHeaderMarker] != kRecordMarker) return -1;
    // Only the terminator's type byte counts; the rest of it may even be cut off.
    if (got >= 2 && header[kHeaderType] == uint8_t(ShowRecordType::End)) {
      showState.records[showState.recordCount].type = ShowRecordType::End;
      return showState.recordCount;
    }
    if (got != sizeof header) return -1;
    // The last entry is the terminator's; a record that would need it is one too many.
    if (showState.recordCount == kRecordTableCapacity - 1) return -1;

    ShowRecord& record = showState.records[showState.recordCount];
    record.type = ShowRecordType(header[kHeaderType]);
    record.start = ReadU32(header + kHeaderStart);
    record.end = ReadU32(header + kHeaderEnd);
    record.length = int32_t(ReadU32(header + kHeaderLength));
    record.checksum = ReadU16(header + kHeaderChecksum);
    record.payload = nullptr;
    // Counted before the payload is checked, so that a failed table still
    // owns (and FreeRecordTable releases) every payload it allocated.
    ++showState.recordCount;
    if (record.length > 0 && !ReadPayload(packageFile, fileLength, record)) return -1;
  }
}

const ShowRecord* RecordAt(int16_t index) {
  if (index < 0 || index >= showState.recordCount) return nullptr;
  return &showState.records[index];
}

uint16_t RecordChecksum(const unsigned char* bytes, int32_t count) {
  uint16_t c = 0;
  for (int32_t i = 0; i < count; ++i)
    c ^= uint16_t((i % 255) * bytes[i]);
  return c;
}

void FreeRecordTable() {
  for (int16_t i = 0; i < showState.recordCount; ++i) {
    ShowRecord& record = showState.records[i];
    if (record.length != 0 && record.payload != nullptr) {
      std::free(record.payload);
      record.payload = nullptr;
      record.length = 0;
    }
  }
  ClearRecordTable();
}
