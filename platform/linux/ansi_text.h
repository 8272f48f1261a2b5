// Texts of the ANSI calls (Windows code page 1252) against the UTF-8 of SDL,
// GTK and X window names.
#pragma once

#include <string>

std::string AnsiToUtf8(const std::string& text);
// Characters that code page 1252 lacks become '?'.
std::string Utf8ToAnsi(const std::string& text);
