// Reading the command line: where the argument starts, and window handles
// written in decimal.
#pragma once

#include <cstdint>

// The argument of a raw command line: past the program name (quoted or not)
// and the blanks and control bytes after it.
const char* LocateArgument(const char* commandLine);

// The decimal digits at the start of text, wrapping modulo 2^32; 0 for none.
// No sign, no hexadecimal form, no blanks skipped.
uint32_t ParseWindowHandle(const char* text);
