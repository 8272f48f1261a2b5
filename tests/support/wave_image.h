// RIFF WAVE images for the sound tests, well formed or broken on purpose.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

inline std::string Le16(uint16_t value) {
  return {char(value & 0xFF), char(value >> 8)};
}

inline std::string Le32(uint32_t value) {
  return Le16(uint16_t(value & 0xFFFF)) + Le16(uint16_t(value >> 16));
}

// A chunk announcing the size of its body, or `announced` bytes whatever the
// body holds; odd-sized bodies get their pad byte.
inline std::string Chunk(const std::string& id, const std::string& body, int64_t announced = -1) {
  return id + Le32(announced < 0 ? uint32_t(body.size()) : uint32_t(announced)) + body +
         (body.size() % 2 != 0 ? std::string(1, '\0') : std::string());
}

// The body of a "fmt " chunk with the block size and byte rate that fit.
inline std::string FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t block = uint16_t(channels * bits / 8);
  return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * block) + Le16(block) + Le16(bits);
}

// "RIFF", the size of what follows, "WAVE" and the chunks.
inline std::string RiffWave(const std::string& chunks) {
  return "RIFF" + Le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
}

inline std::string PcmWave(uint16_t channels, uint32_t rate, uint16_t bits,
                           const std::string& samples) {
  return RiffWave(Chunk("fmt ", FormatBody(1, channels, rate, bits)) + Chunk("data", samples));
}

// `count` 16-bit samples, all of one value.
inline std::string Level16(size_t count, int16_t value) {
  std::string bytes;
  while (bytes.size() < 2 * count)
    bytes += Le16(uint16_t(value));
  return bytes;
}

// A heap copy of exactly the image's bytes, so that a sanitizer sees any read
// past its end.
inline std::unique_ptr<char[]> HeapImage(const std::string& image) {
  std::unique_ptr<char[]> copy(new char[image.size()]);
  std::memcpy(copy.get(), image.data(), image.size());
  return copy;
}
