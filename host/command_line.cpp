#include "host/command_line.h"

#include "platform/win32.h"

namespace {

// Bytes 0x80 and above belong to names: they count as above 0x20.
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

// The spaces after a mode letter, then the handle.
uint32_t HandleAfterLetter(const char* p) {
  while (*p == ' ')
    ++p;
  return ParseWindowHandle(p);
}

}  // namespace

const char* LocateArgument(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    // An unterminated quote takes the whole line.
    p = CharNextA(p);
    while (*p != '\0' && *p != '"')
      p = CharNextA(p);
    if (*p == '"') p = CharNextA(p);
  } else {
    while (!IsBlank(*p))
      p = CharNextA(p);
  }
  while (*p != '\0' && IsBlank(*p))
    p = CharNextA(p);
  return p;
}

uint32_t ParseWindowHandle(const char* text) {
  uint32_t value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
    value = value * 10u + uint32_t(*p - '0');
  return value;
}

ModeChoice ChooseMode(const char* argument) {
  for (const char* p = argument;; ++p) {
    switch (*p) {
      case '\0':
        return {ModeConfigure, false, 0};
      case ' ':
      case '-':
      case '/':
        break;
      case 'C':
      case 'c':
        return {ModeConfigure, true, 0};
      case 'S':
      case 's':
        return {ModeRun, false, 0};
      case 'P':
      case 'p':
      case 'L':
      case 'l':
        return {ModePreview, false, HandleAfterLetter(p + 1)};
      case 'A':
      case 'a':
        return {ModeChangePassword, false, HandleAfterLetter(p + 1)};
      default:
        return {ModeInvalid, false, 0};
    }
  }
}
