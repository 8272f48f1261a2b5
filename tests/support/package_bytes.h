// Show package pieces written byte by byte from the format's description,
// sharing nothing with the player's reader or the show packer: a constant
// that drifts on either side makes the tests that use these fail.
//
// Record header (24 bytes, little-endian): 0x2A marker, type, 2 reserved,
// start, end, signed length, 16-bit checksum of the plain payload, 2 reserved,
// 4-byte payload slot. The payload follows, every byte XORed with 0x5C. The
// checksum XORs (i mod 255) * byte over the payload. The trailer is the table
// offset twice.
#pragma once

#include <cstdint>
#include <string>

namespace package_bytes {

// Record types as stored.
enum : uint8_t { kShowName = 1, kShowTitle = 2, kCreditLine = 3, kInfoLine = 4, kReadmeText = 6 };
enum : uint8_t { kImage = 64, kSound = 65 };

constexpr size_t kHeaderBytes = 24;

// A text payload: the characters and their ending NUL.
inline std::string Text(const std::string& s) {
  return s + std::string(1, '\0');
}

inline std::string LittleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i)
    out.push_back(char((value >> (8 * i)) & 0xFF));
  return out;
}

inline void AppendRecord(std::string& out, uint8_t type, uint32_t start, uint32_t end,
                         const std::string& payload) {
  uint16_t checksum = 0;
  for (size_t i = 0; i < payload.size(); ++i)
    checksum ^= uint16_t((i % 255) * uint8_t(payload[i]));
  out += std::string("*") + char(type) + std::string(2, '\0') + LittleEndian(start, 4) +
         LittleEndian(end, 4) + LittleEndian(uint32_t(payload.size()), 4) +
         LittleEndian(checksum, 2) + std::string(6, '\0');
  for (char c : payload)
    out.push_back(char(uint8_t(c) ^ 0x5C));
}

inline void AppendTerminator(std::string& out) {
  out += "*" + std::string(kHeaderBytes - 1, '\0');
}

inline void AppendTrailer(std::string& out, uint32_t tableOffset) {
  out += LittleEndian(tableOffset, 4) + LittleEndian(tableOffset, 4);
}

}  // namespace package_bytes
