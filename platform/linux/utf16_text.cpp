// UTF-16LE to and from UTF-8, for the Unicode form of the registry file.
//
// Implemented: every character, surrogate pairs included.
// Not implemented: byte-order marks (the caller strips and adds them) and
//   big-endian text.
#include "platform/linux/utf16_text.h"

#include <cstdint>

namespace {

const uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    *out += char(c);
  } else if (c < 0x800) {
    *out += char(0xC0 | c >> 6);
    *out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += char(0xE0 | c >> 12);
    *out += char(0x80 | (c >> 6 & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  } else {
    *out += char(0xF0 | c >> 18);
    *out += char(0x80 | (c >> 12 & 0x3F));
    *out += char(0x80 | (c >> 6 & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::string* out, uint32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    AppendUtf16(out, 0xD800 | c >> 10);
    AppendUtf16(out, 0xDC00 | (c & 0x3FF));
    return;
  }
  *out += char(c & 0xFF);
  *out += char(c >> 8);
}

// The character that starts at text[*pos], or kReplacement for a byte that
// starts none; *pos moves past what was read.
uint32_t NextUtf8(const std::string& text, size_t* pos) {
  unsigned char lead = static_cast<unsigned char>(text[*pos]);
  ++*pos;
  if (lead < 0x80) return lead;
  int length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || text.size() - *pos < size_t(length - 1)) return kReplacement;
  uint32_t c = lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(text[*pos + size_t(k) - 1]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    c = c << 6 | (next & 0x3F);
  }
  static const uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return kReplacement;
  *pos += size_t(length - 1);
  return c;
}

}  // namespace

std::string Utf16LeToUtf8(const std::string& bytes, bool* valid) {
  std::string out;
  bool allValid = bytes.size() % 2 == 0;
  size_t units = bytes.size() / 2;
  auto unit = [&bytes](size_t i) {
    return uint32_t(static_cast<unsigned char>(bytes[2 * i])) |
           uint32_t(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = kReplacement;
      allValid = false;
    }
    AppendUtf8(&out, c);
  }
  if (bytes.size() % 2 != 0) AppendUtf8(&out, kReplacement);
  if (valid != nullptr) *valid = allValid;
  return out;
}

std::string Utf8ToUtf16Le(const std::string& text) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size())
    AppendUtf16(&out, NextUtf8(text, &pos));
  return out;
}
