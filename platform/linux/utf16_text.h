// UTF-16LE, the text of Unicode registry files, to and from UTF-8.
#pragma once

#include <string>

// Code units that are no character (a lone surrogate, a last odd byte) become
// U+FFFD, and *valid, when given, turns false.
std::string Utf16LeToUtf8(const std::string& bytes, bool* valid = nullptr);
// Bytes that are not UTF-8 become U+FFFD.
std::string Utf8ToUtf16Le(const std::string& text);
