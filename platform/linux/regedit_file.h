// The REGEDIT4 text file that holds HKEY_CURRENT_USER for the Linux layer:
// its model, its parser and writer, and the store on disk
// ($XDG_CONFIG_HOME/lumivane/user.reg).
// The format's rules and limits are set out at the top of regedit_file.cpp.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/win32_types.h"

// A value entry, or a comment line.
struct RegeditEntry {
  bool isValue = false;
  std::string name;  // "" for the default value (@)
  DWORD type = REG_NONE;
  std::string data;                // the bytes RegQueryValueExA gives
  std::vector<std::string> lines;  // the entry's text, without line endings
};

struct RegeditSection {
  std::string key;     // the full key name, without trailing backslashes
  std::string header;  // the "[...]" line as written
  std::vector<RegeditEntry> entries;
};

struct RegeditFile {
  std::vector<std::string> preamble;  // comment lines before the first section
  std::vector<RegeditSection> sections;
};

struct RegeditError {
  int line = 0;  // 1-based
  std::string reason;
};

// False, with the line and the reason, when the text is not a file that this
// reader understands. Empty text is an empty file.
bool ParseRegedit(const std::string& text, RegeditFile* file, RegeditError* error);
std::string FormatRegedit(const RegeditFile& file);

// A new section for the key, with no values.
RegeditSection MakeRegeditSection(const std::string& key);
// A value entry as the program sets it: REG_SZ up to the data's first NUL as
// a quoted string (as hex(1) when the text holds a line break), a 4-byte
// REG_DWORD as dword:, REG_BINARY as hex:, anything else as hex(N):. False
// when the name holds a line break, which the format cannot carry.
bool MakeRegeditValue(const std::string& name, DWORD type, const std::string& data,
                      RegeditEntry* entry);

// The file that holds HKEY_CURRENT_USER; empty when there is no home folder.
std::string RegeditStorePath();
// The store as it is now. A missing file reads as empty; so does one that
// cannot be read or parsed, with a warning on standard error (once per
// process).
RegeditFile ReadRegeditStore();
// Reads the store under a lock shared with other processes, lets change edit
// it, and when change returns true replaces the file atomically. Returns
// ERROR_SUCCESS or the error that left the file as it was; a file that cannot
// be parsed is never written (ERROR_REGISTRY_CORRUPT).
LONG UpdateRegeditStore(const std::function<bool(RegeditFile*)>& change);
