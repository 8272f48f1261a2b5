// Texts of the ANSI calls (Windows code page 1252) against the UTF-8 of SDL,
// GTK and X window names, and the UTF-16 of resources.
#pragma once

#include <string>

std::string AnsiToUtf8(const std::string& text);
// Characters that code page 1252 lacks become '?'.
std::string Utf8ToAnsi(const std::string& text);
// UTF-16LE bytes, as Windows resources hold texts; characters that code page
// 1252 lacks, and code units that are no character, become '?'.
std::string Utf16LeToAnsi(const std::string& bytes);
