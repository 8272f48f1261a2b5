// The record table against well-formed and damaged packages.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "package/show_state.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"

using namespace package_bytes;

namespace {

// Some bytes standing for the program before the table, so that offsets are
// not trivially zero.
const std::string kPrefix(100, 'P');
constexpr uint32_t kTableOffset = 100;

std::string Payload(size_t n) {
  std::string p;
  for (size_t i = 0; i < n; ++i)
    p.push_back(char((i * 7 + 3) & 0xFF));
  return p;
}

class RecordTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearRecordTable(); }
  void TearDown() override {
    if (file_) std::fclose(file_);
    FreeRecordTable();
  }

  // Writes prefix + table + trailer and reads the table back, after freeing
  // what an earlier read left.
  int16_t Read(const std::string& table, uint32_t offset = kTableOffset) {
    if (file_) std::fclose(file_);
    FreeRecordTable();
    std::string bytes = kPrefix + table;
    AppendTrailer(bytes, offset);
    WriteFileBytes(dir_ / "package", bytes);
    file_ = std::fopen((dir_ / "package").c_str(), "rb");
    return ReadRecordTable(file_, offset);
  }

  ScratchDir dir_;
  FILE* file_ = nullptr;
};

TEST_F(RecordTableTest, ReadsRecordsInOrderAndUnscramblesPayloads) {
  std::string table;
  AppendRecord(table, kShowName, 0, 0, std::string("Demo", 5));
  AppendRecord(table, kImage, 0x10, 0x2000, "");
  AppendRecord(table, kSound, 0, 0, Payload(1000));
  AppendTerminator(table);
  ASSERT_EQ(Read(table), 3);

  const ShowRecord* name = RecordAt(0);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(uint8_t(name->type), kShowName);
  EXPECT_EQ(name->length, 5);
  EXPECT_STREQ(reinterpret_cast<const char*>(name->payload), "Demo");
  const ShowRecord* image = RecordAt(1);
  EXPECT_EQ(uint8_t(image->type), kImage);
  EXPECT_EQ(image->start, 0x10u);
  EXPECT_EQ(image->end, 0x2000u);
  EXPECT_EQ(image->payload, nullptr);
  const ShowRecord* sound = RecordAt(2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sound->payload), 1000), Payload(1000));
  // The terminator is stored but never handed out.
  EXPECT_EQ(RecordAt(3), nullptr);
  EXPECT_EQ(RecordAt(-1), nullptr);
}

TEST_F(RecordTableTest, ChecksumIgnoresEveryTwoHundredFiftyFifthByte) {
  EXPECT_EQ(RecordChecksum(reinterpret_cast<const unsigned char*>("abc"), 3), 0x00A4);
  const std::string plain = Payload(600);
  const size_t payloadStart = kHeaderBytes;
  // A changed byte counts unless its position is a multiple of 255.
  for (size_t position : {0, 1, 254, 255, 256, 510, 599}) {
    std::string table;
    AppendRecord(table, kReadmeText, 0, 0, plain);
    AppendTerminator(table);
    table[payloadStart + position] ^= 0x01;
    EXPECT_EQ(Read(table), position % 255 == 0 ? 1 : -1) << "byte " << position;
  }
}

TEST_F(RecordTableTest, MissingMarkerAnywhereFailsTheTable) {
  std::string table;
  AppendRecord(table, kShowName, 0, 0, std::string("A", 2));
  const size_t second = table.size();
  AppendRecord(table, kImage, 1, 2, "");
  AppendTerminator(table);
  table[second] = '+';
  EXPECT_EQ(Read(table), -1);
}

TEST_F(RecordTableTest, NegativeLengthMeansNoPayload) {
  std::string table;
  AppendRecord(table, kImage, 1, 2, "");
  table[12] = char(0xF0);  // length 0xFFFFFFF0
  table[13] = table[14] = table[15] = char(0xFF);
  AppendRecord(table, kImage, 3, 4, "");
  AppendTerminator(table);
  ASSERT_EQ(Read(table), 2);
  EXPECT_EQ(RecordAt(0)->payload, nullptr);
  EXPECT_EQ(RecordAt(1)->start, 3u);
}

TEST_F(RecordTableTest, ReservedBytesAndTheTerminatorsTailAreNotRead) {
  std::string table;
  AppendRecord(table, kShowTitle, 0, 0, std::string("T", 2));
  for (int i : {2, 3, 18, 19, 20, 21, 22, 23})
    table[i] = char(0xAB);
  std::string terminator;
  AppendTerminator(terminator);
  for (size_t i = 2; i < terminator.size(); ++i)
    terminator[i] = char(0xEE);
  ASSERT_EQ(Read(table + terminator), 1);
  EXPECT_EQ(uint8_t(RecordAt(0)->type), kShowTitle);
}

TEST_F(RecordTableTest, UnknownTypesAreVerifiedLikeOthers) {
  std::string table;
  AppendRecord(table, 7, 0, 0, Payload(20));
  AppendTerminator(table);
  EXPECT_EQ(Read(table), 1);
  table[kHeaderBytes + 3] ^= 0x40;
  EXPECT_EQ(Read(table), -1);
}

TEST_F(RecordTableTest, OnlyTheTerminatorYieldsNoRecords) {
  std::string table;
  AppendTerminator(table);
  EXPECT_EQ(Read(table), 0);
}

TEST_F(RecordTableTest, TableRunningIntoTheEndOfTheFileFails) {
  std::string table;
  AppendRecord(table, kSound, 0, 0, Payload(300));
  // No terminator: the next header read runs into the trailer and the end.
  EXPECT_EQ(Read(table), -1);
}

TEST_F(RecordTableTest, PayloadLongerThanTheFileFailsBeforeAllocating) {
  for (uint32_t length : {400u, 0x7FFFFFFFu}) {
    std::string table;
    AppendRecord(table, kSound, 0, 0, Payload(300));
    for (int i = 0; i < 4; ++i)
      table[12 + i] = char((length >> (8 * i)) & 0xFF);
    AppendTerminator(table);
    EXPECT_EQ(Read(table), -1) << length;
  }
}

TEST_F(RecordTableTest, OffsetPastTheEndFailsOnTheMarker) {
  std::string table;
  AppendTerminator(table);
  EXPECT_EQ(Read(table, 1u << 20), -1);
}

TEST_F(RecordTableTest, HoldsAtMost1023RecordsAndNeverWritesPastTheTable) {
  std::string full;
  for (int i = 0; i < 1023; ++i)
    AppendRecord(full, kImage, i, i + 1, "");
  std::string table = full;
  AppendTerminator(table);
  ASSERT_EQ(Read(table), 1023);
  EXPECT_EQ(RecordAt(1022)->start, 1022u);

  showState.showName[0] = 'N';
  AppendRecord(full, kImage, 5000, 5001, "");
  AppendTerminator(full);
  EXPECT_EQ(Read(full), -1);
  // Whatever follows the table in memory is untouched.
  EXPECT_EQ(showState.showName[0], 'N');
  showState.showName[0] = '\0';
}

}  // namespace
