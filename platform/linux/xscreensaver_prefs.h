// Editing xscreensaver's preferences file (~/.xscreensaver) so that one
// program becomes the user's screen saver. The file is X resource syntax:
// "key: value" lines, a value continued over lines that end in a backslash;
// the "programs" value lists one command per "\n"-separated entry.
#pragma once

#include <string>
#include <vector>

struct SaverSelection {
  std::string prefs;   // the whole new file
  int index = 0;       // the program's entry in the list, from 0
  bool added = false;  // a new entry, rather than an updated one
};

// The entries of a "programs" value, with or without its continuation
// backslashes, each trimmed of surrounding blanks.
std::vector<std::string> ProgramEntries(const std::string& text);

// The entry that runs programPath: a pretty name from the file name and the
// path, quoted for sh when it needs it, with --root so the program draws into
// xscreensaver's window.
std::string ProgramEntry(const std::string& programPath);

// The file with the program's entry added, or the entry already running
// programPath replaced (however sh quoting wrote its path), and "mode: one" and "selected:"
// pointing at it. Every other line of prefs is kept as it was; prefs may be empty (no file yet).
SaverSelection SelectSaverProgram(const std::string& prefs, const std::string& programPath);
