// Encoding of show package pieces, for the show packer (the player only reads
// packages). Byte buffers are std::string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/show_record.h"

// Appends one record: its 24-byte header, then the payload scrambled with the
// package mask. The checksum is taken over the plain payload.
void AppendRecord(std::string& out, ShowRecordType type, uint32_t start, uint32_t end,
                  const std::string& payload);
void AppendTerminator(std::string& out);
void AppendTrailer(std::string& out, uint32_t tableOffset);

// Records a table holds before its terminator.
constexpr int kMaxShowRecords = kRecordTableCapacity - 1;
// The player keeps offsets in 32-bit signed integers, the file's length included.
constexpr uint64_t kPackageOffsetLimit = uint64_t(1) << 31;

// The four show texts; each one given gets a record, even when empty.
struct ShowTexts {
  std::optional<std::string> name;
  std::optional<std::string> title;
  std::optional<std::string> credit;
  std::optional<std::string> info;
};

// Everything that decides where the parts of a package go.
struct PackagePlan {
  uint64_t prefixSize = 0;  // the player's bytes before the package
  ShowTexts texts;
  std::optional<uint64_t> readmeSize;
  std::vector<uint64_t> pictureSizes;
  std::vector<uint64_t> soundSizes;
};

// Absolute offsets in the finished file. 64 bits wide, so that a plan that
// overflows the format can be measured and refused.
struct PackageLayout {
  std::vector<uint64_t> pictureStarts;
  std::vector<uint64_t> pictureEnds;  // one past each picture's last byte
  uint64_t tableOffset = 0;
  uint64_t tableEnd = 0;  // one past the terminator
  uint64_t trailerOffset = 0;
  uint64_t fileSize = 0;
};

// Where a picture starts after one that ends at previousEnd: on the next
// 16-byte boundary.
uint64_t NextPictureStart(uint64_t previousEnd);
// Records before the terminator.
size_t RecordCount(const PackagePlan& plan);
PackageLayout LayOutPackage(const PackagePlan& plan);
// Everything from the record table on: the records in package order, the
// zero fill and the trailer. The readme and sounds must have the plan's sizes.
std::string EncodePackageTail(const ShowTexts& texts, const std::optional<std::string>& readme,
                              const std::vector<std::string>& sounds, const PackageLayout& layout);
