// Reading the command line: where the argument starts, the mode it chooses,
// and window handles written in decimal.
#pragma once

#include <cstdint>

// The argument of a raw command line: past the program name (quoted or not)
// and the blanks and control bytes after it.
const char* LocateArgument(const char* commandLine);

// The decimal digits at the start of text, wrapping modulo 2^32; 0 for none.
// No sign, no hexadecimal form, no blanks skipped.
uint32_t ParseWindowHandle(const char* text);

enum SaverMode {
  ModeConfigure,       // the settings dialog
  ModeRun,             // the saver full screen
  ModePreview,         // the saver inside a window of the control panel
  ModeChangePassword,  // the password change
  ModeInvalid,         // anything else: exit code -1
};

struct ModeChoice {
  SaverMode mode;
  // ModeConfigure: the letter C was given, so the foreground window owns the
  // dialog; without a letter it has no owner.
  bool foregroundOwner;
  // ModePreview and ModeChangePassword: the decimal handle after the letter.
  uint32_t window;
};

// Reads the argument up to its mode letter: any run of spaces, hyphens and
// slashes, then one letter; for P, L and A the spaces and the number after it.
ModeChoice ChooseMode(const char* argument);
