// The process-wide show state: what the package appended to the program's own
// file says, and the user's settings. Filled once by LoadShow.
#pragma once

#include <cstdint>
#include <cstdio>

#include "package/show_record.h"
#include "package/user_settings.h"

struct ShowState {
  ShowRecord records[kRecordTableCapacity];
  int16_t recordCount;
  char showName[kShowTextSize];
  char showTitle[kShowTextSize];
  char creditLine[kShowTextSize];
  char infoLine[kShowTextSize];
  const char* readmeText;  // the ReadmeText payload itself, not a copy
  int32_t readmeLength;    // bytes before its NUL; 0 or less: no readme
  const ShowRecord* images[kRecordTableCapacity];
  int32_t imageCount;
  const ShowRecord* sounds[kRecordTableCapacity];
  int32_t soundCount;
  int32_t soundAvailable;
  UserSettings settings;
};

extern ShowState showState;

// Reads the show from the program's own file into showState and returns that
// file, open for reading. Does not return when the package is missing or
// corrupt, nor when the program's name ends in "exe" (it offers installation).
FILE* LoadShow();

// Opens the file at path and reads its package into showState: trailer, record
// table, texts, pictures and sounds. Returns nullptr and sets *message to the
// text the player shows when the file cannot be opened or its package is
// corrupt. Expects a cleared record table.
FILE* ReadShowPackage(const char* path, const char** message);

// The simple beep, a message box captioned "Error", then exit code 0.
[[noreturn]] void FatalError(const char* message);
