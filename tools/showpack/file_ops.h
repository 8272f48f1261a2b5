// The file operations of showpack that differ between POSIX and Windows.
#pragma once

#include <cstdio>
#include <string>

// Creates the file at path, which must not exist yet, and opens it for binary
// writing. On POSIX its mode is 0644 less the umask, plus the execute bits of
// modeSource when one is named. Returns nullptr on failure, with *exists set
// when the failure was an existing file.
FILE* CreateNewFile(const std::string& path, const std::string& modeSource, bool* exists);

// Renames from to to, replacing a file at to.
bool RenameOver(const std::string& from, const std::string& to);

// Whether stream goes to a terminal, where progress is worth showing.
bool IsTerminal(FILE* stream);

// The arrow between a picture's sizes before and after packing.
extern const char* const kProgressArrow;
