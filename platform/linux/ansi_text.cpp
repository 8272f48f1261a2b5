// Code page 1252, the ANSI code page of western Windows systems, to and from
// UTF-8, and from UTF-16LE (through UTF-8, utf16_text.cpp).
//
// Implemented: the whole code page; its five unassigned bytes (0x81, 0x8D,
//   0x8F, 0x90, 0x9D) pass as the control characters of the same number, as
//   Windows' own conversion does.
// Not implemented: other code pages, and UTF-8 characters beyond the code
//   page, which become '?'.
#include "platform/linux/ansi_text.h"

#include <cstdint>

#include "platform/linux/utf16_text.h"

namespace {

// Unicode of the bytes 0x80 to 0x9F; the rest of the page is Latin-1.
const uint16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t CodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string* out, uint32_t c) {
  if (c < 0x80) {
    *out += char(c);
  } else if (c < 0x800) {
    *out += char(0xC0 | c >> 6);
    *out += char(0x80 | (c & 0x3F));
  } else {
    *out += char(0xE0 | c >> 12);
    *out += char(0x80 | (c >> 6 & 0x3F));
    *out += char(0x80 | (c & 0x3F));
  }
}

char AnsiOf(uint32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c < 0x100)) return char(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return char(0x80 + i);
  }
  return '?';
}

}  // namespace

std::string AnsiToUtf8(const std::string& text) {
  std::string out;
  for (char c : text)
    AppendUtf8(&out, CodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToAnsi(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size()) {
      out += '?';
      ++i;
      continue;
    }
    uint32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k)
      c = c << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += AnsiOf(c);
    i += length;
  }
  return out;
}

std::string Utf16LeToAnsi(const std::string& bytes) {
  return Utf8ToAnsi(Utf16LeToUtf8(bytes));
}
