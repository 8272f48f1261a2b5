#include "host/saver_modes.h"

#include "host/command_line.h"

namespace {

uint32_t HandleAfterLetter(const char* p) {
  while (*p == ' ')
    ++p;
  return ParseWindowHandle(p);
}

}  // namespace

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
