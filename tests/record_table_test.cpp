// The record table against well-formed and damaged packages.
#include <gtest/gtest.h>

#include <cstdio>

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

// A table of one record of type `type` with `payload`, and the terminator.
std::string OneRecord(const std::string& payload, uint8_t type = kShowTitle) {
  std::string table;
  AppendRecord(table, type, 0, 0, payload);
  AppendTerminator(table);
  return table;
}

std::string WithLength(std::string table, uint32_t length) {
  return table.replace(12, 4, LittleEndian(length, 4));
}

class RecordTableTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (file_) std::fclose(file_);
    FreeRecordTable();
  }

  // Writes program + table + trailer and reads the table back.
  int16_t Read(const std::string& table, uint32_t offset = kTableOffset) {
    TearDown();
    std::string bytes = std::string(kTableOffset, 'P') + table;
    AppendTrailer(bytes, offset);
    WriteFileBytes(dir_ / "package", bytes);
    file_ = std::fopen((dir_ / "package").c_str(), "rb");
    return ReadRecordTable(file_, offset);
  }

  ScratchDir dir_;
  FILE* file_ = nullptr;
};

// Texts and the records' fields as the player sees them: show_loading_test.
// The checksum of a damaged payload: the "unknown type, damaged" row below.
TEST_F(RecordTableTest, ReadsRecordsInOrderAndUnscramblesPayloads) {
  std::string table;
  AppendRecord(table, kImage, 0x10, 0x2000, "");
  AppendRecord(table, kSound, 0, 0, Payload(1000));
  AppendTerminator(table);
  ASSERT_EQ(Read(table), 2);
  EXPECT_EQ(RecordAt(0)->payload, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(RecordAt(1)->payload), 1000), Payload(1000));
  EXPECT_EQ(RecordAt(2), nullptr) << "the terminator, stored but never handed out";
}

TEST_F(RecordTableTest, OddAndDamagedTables) {
  const std::string good = OneRecord(Payload(300));
  std::string odd = good, unknownDamaged = OneRecord(Payload(20), 7), noMarker = good;
  // Reserved bytes and the terminator's tail are not read.
  for (size_t i : {2, 3, 18, 19, 20, 21, 22, 23})
    odd[i] = char(0xAB);
  odd.replace(odd.size() - kHeaderBytes + 2, kHeaderBytes - 2, kHeaderBytes - 2, char(0xEE));
  unknownDamaged[kHeaderBytes + 3] ^= 0x40;
  noMarker[noMarker.size() - kHeaderBytes] = '+';
  const struct {
    const char* what;
    std::string table;
    int16_t expected;
  } cases[] = {
      {"odd", odd, 1},
      {"unknown type", OneRecord(Payload(20), 7), 1},
      {"unknown type, damaged", unknownDamaged, -1},
      {"only the terminator", good.substr(good.size() - kHeaderBytes), 0},
      {"the terminator's marker missing", noMarker, -1},
      {"no terminator", good.substr(0, good.size() - kHeaderBytes), -1},
      {"payload longer than the file", WithLength(good, 400), -1},
      {"payload of 2 GiB", WithLength(good, 0x7FFFFFFFu), -1},
      // A negative length means no payload: the next header follows at once.
      {"negative length", WithLength(OneRecord("", kImage), 0xFFFFFFF0u), 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.table), c.expected) << c.what;
  EXPECT_EQ(Read(good, 1u << 20), -1) << "offset past the end";
}

TEST_F(RecordTableTest, HoldsAtMost1023RecordsAndNeverWritesPastTheTable) {
  std::string full;
  for (int i = 0; i < 1023; ++i)
    AppendRecord(full, kImage, i, i + 1, "");
  ASSERT_EQ(Read(full + OneRecord("").substr(kHeaderBytes)), 1023);
  EXPECT_EQ(RecordAt(1022)->start, 1022u);
  // Whatever follows the table in memory stays untouched.
  showState.showName[0] = 'N';
  AppendRecord(full, kImage, 5000, 5001, "");
  EXPECT_EQ(Read(full + OneRecord("").substr(kHeaderBytes)), -1);
  EXPECT_EQ(showState.showName[0], 'N');
}

}  // namespace
