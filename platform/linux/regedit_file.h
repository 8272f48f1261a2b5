// The regedit file that holds HKEY_CURRENT_USER for the Linux layer: its
// model, its parser and writer, and the store on disk
// ($XDG_CONFIG_HOME/lumivane/user.reg).
// The format's rules and limits are set out at the top of regedit_file.cpp.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/win32_types.h"

// How a file is written: REGEDIT4 holds ANSI text; the "Windows Registry
// Editor Version 5.00" forms hold Unicode, and their string values in hex
// form (hex(1), hex(2), hex(7)) are UTF-16LE.
enum class RegeditForm {
  Regedit4,
  Version5Utf16,    // UTF-16LE with a byte-order mark, as regedit exports
  Version5Utf8,     // UTF-8 without a byte-order mark
  Version5Utf8Bom,  // UTF-8 with one
};

// A value entry, or a comment line. name and data are what the ANSI calls
// see, whatever the form; lines are in the file's text (UTF-8 in the
// Unicode forms).
struct RegeditEntry {
  bool isValue = false;
  std::string name;  // "" for the default value (@)
  DWORD type = REG_NONE;
  std::string data;                // the bytes RegQueryValueExA gives
  std::vector<std::string> lines;  // the entry's text, without line endings
};

struct RegeditSection {
  std::string key;     // the full key name in ANSI, without trailing backslashes
  std::string header;  // the "[...]" line as written
  std::vector<RegeditEntry> entries;
};

struct RegeditFile {
  RegeditForm form = RegeditForm::Regedit4;
  std::vector<std::string> preamble;  // comment lines before the first section
  std::vector<RegeditSection> sections;
};

struct RegeditError {
  int line = 0;  // 1-based
  std::string reason;
};

// False, with the line and the reason, when the file's bytes are not a file
// that this reader understands. No bytes make an empty REGEDIT4 file.
bool ParseRegedit(const std::string& bytes, RegeditFile* file, RegeditError* error);
// The file's bytes in its form, lines ending in CR LF.
std::string FormatRegedit(const RegeditFile& file);

// A new section for the key, with no values, in the file's form.
RegeditSection MakeRegeditSection(const std::string& key, RegeditForm form);
// A value entry as the program sets it: REG_SZ up to the data's first NUL as
// a quoted string (as hex(1) when the text holds a line break), a 4-byte
// REG_DWORD as dword:, REG_BINARY as hex:, anything else as hex(N):. False
// when the name holds a line break, which the format cannot carry.
bool MakeRegeditValue(const std::string& name, DWORD type, const std::string& data,
                      RegeditForm form, RegeditEntry* entry);

// The file that holds HKEY_CURRENT_USER; empty when there is no home folder.
std::string RegeditStorePath();
// The store as it is now. A missing file reads as empty; so does one that
// cannot be read or parsed, with a warning on standard error (once per
// process).
RegeditFile ReadRegeditStore();
// Reads the store under a lock shared with other processes, lets change edit
// it, and when change returns true replaces the file atomically, in the form
// it had. Returns ERROR_SUCCESS or the error that left the file as it was,
// and then, in problem when one is given, the file's path and what went
// wrong; a file that cannot be parsed is never written
// (ERROR_REGISTRY_CORRUPT).
LONG UpdateRegeditStore(const std::function<bool(RegeditFile*)>& change,
                        std::string* problem = nullptr);
