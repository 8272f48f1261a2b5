#include "host/xscreensaver_start.h"

#include <cstdint>

namespace {

// Decimal or 0x-hexadecimal, as xscreensaver writes window ids; 0 for
// anything else, or a value beyond 32 bits.
uint32_t WindowId(const std::string& text) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  size_t start = hex ? 2 : 0;
  if (text.size() == start) return 0;
  uint64_t value = 0;
  for (size_t i = start; i < text.size(); ++i) {
    char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + uint64_t(digit);
    if (value > UINT32_MAX) return 0;
  }
  return uint32_t(value);
}

std::string PreviewInto(const std::string& id) {
  return "/p " + std::to_string(WindowId(id));
}

}  // namespace

std::string XScreensaverArgument(const std::vector<std::string>& args, const char* windowVariable) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-window-id") return PreviewInto(i + 1 < args.size() ? args[i + 1] : "");
  }
  bool noOwnArgument = args.empty() || (args.size() == 1 && args[0] == "-root");
  if (noOwnArgument && windowVariable != nullptr) return PreviewInto(windowVariable);
  return "";
}
