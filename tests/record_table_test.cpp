// The record table against well-formed and damaged packages.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "package/show_state.h"
#include "tests/support/child_process.h"
#include "tests/support/package_bytes.h"

using namespace package_bytes;

namespace {

// The bytes standing for the program before the table: offsets are not zero.
constexpr uint32_t kTableOffset = 100;

std::string Payload(size_t n) {
  std::string p;
  for (size_t i = 0; i < n; ++i)
    p.push_back(char((i * 7 + 3) & 0xFF));
  return p;
}

void Poke32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

class RecordTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (file_) std::fclose(file_);
    FreeRecordTable();
  }

  // Writes program + table + trailer and reads the table back, after freeing
  // what an earlier read left.
  int16_t Read(const std::string& table, uint32_t offset = kTableOffset) {
    if (file_) std::fclose(file_);
    FreeRecordTable();
    std::string bytes = std::string(kTableOffset, 'P') + table;
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
  EXPECT_EQ(uint8_t(RecordAt(0)->type), kShowName);
  EXPECT_EQ(RecordAt(0)->length, 5);
  EXPECT_STREQ(reinterpret_cast<const char*>(RecordAt(0)->payload), "Demo");
  EXPECT_EQ(uint8_t(RecordAt(1)->type), kImage);
  EXPECT_EQ(RecordAt(1)->start, 0x10u);
  EXPECT_EQ(RecordAt(1)->end, 0x2000u);
  EXPECT_EQ(RecordAt(1)->payload, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(RecordAt(2)->payload), 1000), Payload(1000));
  // The terminator is stored but never handed out.
  EXPECT_EQ(RecordAt(3), nullptr);
  EXPECT_EQ(RecordAt(-1), nullptr);
}

TEST_F(RecordTableTest, ChecksumIgnoresEveryTwoHundredFiftyFifthByte) {
  EXPECT_EQ(RecordChecksum(reinterpret_cast<const unsigned char*>("abc"), 3), 0x00A4);
  for (size_t position : {0, 1, 254, 255, 256, 510, 599}) {
    std::string table;
    AppendRecord(table, kReadmeText, 0, 0, Payload(600));
    AppendTerminator(table);
    table[kHeaderBytes + position] ^= 0x01;
    EXPECT_EQ(Read(table), position % 255 == 0 ? 1 : -1) << "byte " << position;
  }
}

TEST_F(RecordTableTest, DamagedAndOddTables) {
  const struct {
    const char* what;
    std::function<void(std::string&)> change;  // of one title record and the terminator
    int16_t expected;
    uint32_t offset = kTableOffset;
  } cases[] = {
      {"well formed", [](std::string&) {}, 1},
      {"reserved bytes and the terminator's tail are not read",
       [](std::string& t) {
         for (size_t i : {2, 3, 18, 19, 20, 21, 22, 23})
           t[i] = char(0xAB);
         for (size_t i = t.size() - kHeaderBytes + 2; i < t.size(); ++i)
           t[i] = char(0xEE);
       },
       1},
      {"an unknown type", [](std::string& t) { t[1] = 7; }, 1},
      {"an unknown type is verified like others",
       [](std::string& t) {
         t[1] = 7;
         t[kHeaderBytes + 3] ^= 0x40;
       },
       -1},
      {"only the terminator", [](std::string& t) { t.erase(0, t.size() - kHeaderBytes); }, 0},
      {"second marker missing", [](std::string& t) { t[t.size() - kHeaderBytes] = '+'; }, -1},
      {"no terminator: runs into the end",
       [](std::string& t) { t.resize(t.size() - kHeaderBytes); }, -1},
      {"payload longer than the file", [](std::string& t) { Poke32(t, 12, 400); }, -1},
      {"payload of 2 GiB", [](std::string& t) { Poke32(t, 12, 0x7FFFFFFFu); }, -1},
      {"offset past the end", [](std::string&) {}, -1, 1u << 20},
  };
  for (const auto& c : cases) {
    std::string table;
    AppendRecord(table, kShowTitle, 0, 0, Payload(300));
    AppendTerminator(table);
    c.change(table);
    EXPECT_EQ(Read(table, c.offset), c.expected) << c.what;
  }
}

TEST_F(RecordTableTest, NegativeLengthMeansNoPayload) {
  std::string table;
  AppendRecord(table, kImage, 1, 2, "");
  Poke32(table, 12, 0xFFFFFFF0u);
  AppendRecord(table, kImage, 3, 4, "");
  AppendTerminator(table);
  ASSERT_EQ(Read(table), 2);
  EXPECT_EQ(RecordAt(0)->payload, nullptr);
  EXPECT_EQ(RecordAt(1)->start, 3u);
}

TEST_F(RecordTableTest, HoldsAtMost1023RecordsAndNeverWritesPastTheTable) {
  std::string full;
  for (int i = 0; i < 1023; ++i)
    AppendRecord(full, kImage, i, i + 1, "");
  std::string table = full;
  AppendTerminator(table);
  ASSERT_EQ(Read(table), 1023);
  EXPECT_EQ(RecordAt(1022)->start, 1022u);

  // Whatever follows the table in memory stays untouched.
  showState.showName[0] = 'N';
  AppendRecord(full, kImage, 5000, 5001, "");
  AppendTerminator(full);
  EXPECT_EQ(Read(full), -1);
  EXPECT_EQ(showState.showName[0], 'N');
  showState.showName[0] = '\0';
}

}  // namespace
