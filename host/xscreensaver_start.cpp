#include "host/xscreensaver_start.h"

#include <cstdint>

#include "host/command_line.h"

namespace {

constexpr char kAcceptedForms[] =
    "it takes --root or -root (the window in XSCREENSAVER_WINDOW, else the whole screen), "
    "--window-id ID or -window-id ID (decimal or 0x-hex), or /s, /p ID, /c";

bool IsRootOption(const std::string& arg) {
  return arg == "--root" || arg == "-root";
}

bool IsWindowIdOption(const std::string& arg) {
  return arg == "--window-id" || arg == "-window-id";
}

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

LinuxStart Refuse(const std::string& what) {
  return {"", what + "; " + kAcceptedForms};
}

LinuxStart PreviewInto(const std::string& id, const std::string& namedBy) {
  uint32_t window = WindowId(id);
  if (window == 0) return Refuse(namedBy + " \"" + id + "\" is not a window id");
  return {"/p " + std::to_string(window), ""};
}

LinuxStart XscreensaverStart(const std::vector<std::string>& args, const char* windowVariable) {
  const std::string* windowId = nullptr;
  for (size_t i = 0; i < args.size(); ++i) {
    if (IsRootOption(args[i])) continue;
    if (!IsWindowIdOption(args[i])) return Refuse("unknown argument \"" + args[i] + "\"");
    if (i + 1 == args.size()) return Refuse(args[i] + " without a window id");
    windowId = &args[++i];
  }
  if (windowId != nullptr) return PreviewInto(*windowId, "--window-id");
  if (windowVariable != nullptr) return PreviewInto(windowVariable, "XSCREENSAVER_WINDOW");
  return {"/s", ""};
}

}  // namespace

LinuxStart ChooseLinuxStart(const std::vector<std::string>& args, const char* windowVariable,
                            const char* screenSaverArgument) {
  for (const std::string& arg : args) {
    if (IsRootOption(arg) || IsWindowIdOption(arg)) return XscreensaverStart(args, windowVariable);
  }
  if (args.empty() && windowVariable != nullptr) return XscreensaverStart(args, windowVariable);
  ModeChoice choice = ChooseMode(screenSaverArgument);
  if (choice.mode == ModeInvalid) {
    return Refuse("unknown argument \"" + std::string(screenSaverArgument) + "\"");
  }
  if (choice.mode == ModePreview && choice.window == 0) {
    return Refuse("\"" + std::string(screenSaverArgument) + "\" names no window");
  }
  return {screenSaverArgument, ""};
}
