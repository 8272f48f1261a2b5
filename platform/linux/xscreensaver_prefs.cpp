// Editing ~/.xscreensaver's text so that one program becomes the screen saver.
//
// Implemented: "key: value" items with their continuation lines, kept byte
//   for byte unless they are "programs", "mode" or "selected" (also in their
//   "xscreensaver.mode" and "*mode" forms); program entries with their
//   disabled mark, visual and pretty name; the first word of a command read
//   as sh reads it (single and double quotes, backslashes).
// Not implemented: sh expansions ($VAR, ~) in an entry's program, which is
//   compared as written; "\\" and octal escapes of X resource values, which
//   the paths written here never hold.
#include "platform/linux/xscreensaver_prefs.h"

#include <cctype>
#include <cstring>

namespace {

// One "key: value" item of the file with its continuation lines, as written.
struct PrefsItem {
  std::string raw;  // its lines, each ending in a newline
  std::string key;  // empty for comments and blank lines
};

bool EndsInContinuation(const std::string& line) {
  size_t backslashes = 0;
  for (size_t i = line.size(); i > 0 && line[i - 1] == '\\'; --i)
    ++backslashes;
  return backslashes % 2 == 1;
}

std::string Trim(const std::string& s) {
  size_t begin = s.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  size_t end = s.find_last_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

std::string KeyOf(const std::string& line) {
  std::string text = Trim(line);
  if (text.empty() || text[0] == '!' || text[0] == '#') return "";
  size_t colon = text.find(':');
  if (colon == std::string::npos) return "";
  std::string key = Trim(text.substr(0, colon));
  // "xscreensaver.mode:" or "*mode:" in resource-file form names the same
  // preference.
  size_t dot = key.find_last_of(".*");
  if (dot != std::string::npos) key = key.substr(dot + 1);
  return key;
}

std::vector<PrefsItem> SplitItems(const std::string& prefs) {
  std::vector<PrefsItem> items;
  size_t at = 0;
  while (at < prefs.size()) {
    PrefsItem item;
    bool first = true;
    while (at < prefs.size()) {
      size_t end = prefs.find('\n', at);
      std::string line = prefs.substr(at, end == std::string::npos ? std::string::npos : end - at);
      at = end == std::string::npos ? prefs.size() : end + 1;
      if (first) item.key = KeyOf(line);
      first = false;
      item.raw += line + "\n";
      if (!EndsInContinuation(line)) break;
    }
    items.push_back(item);
  }
  return items;
}

// The value of an item: after the key's colon, continuation backslashes and
// newlines removed.
std::string ValueOf(const PrefsItem& item) {
  std::string joined;
  size_t at = 0;
  while (at < item.raw.size()) {
    size_t end = item.raw.find('\n', at);
    std::string line = item.raw.substr(at, end - at);
    at = end + 1;
    if (EndsInContinuation(line)) line.pop_back();
    joined += line;
  }
  return joined.substr(joined.find(':') + 1);
}

bool NeedsQuoting(const std::string& path) {
  for (char c : path) {
    if (!std::isalnum(static_cast<unsigned char>(c)) &&
        std::string("/._+-,=").find(c) == std::string::npos)
      return true;
  }
  return path.empty();
}

std::string ShellQuoted(const std::string& path) {
  if (!NeedsQuoting(path)) return path;
  std::string quoted = "'";
  for (char c : path) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

// The first word of a command as sh reads it: '...' takes everything
// literally, "..." all but \$ \` \" \\, and a backslash outside quotes
// the next byte, so each way of quoting a path gives the path back.
std::string FirstShellWord(const std::string& command) {
  std::string word;
  char quote = 0;
  for (size_t i = 0; i < command.size(); ++i) {
    char c = command[i];
    bool more = i + 1 < command.size();
    if (quote == '\'') {
      if (c == '\'')
        quote = 0;
      else
        word += c;
    } else if (quote == '"') {
      if (c == '"')
        quote = 0;
      else if (c == '\\' && more && std::strchr("$`\"\\", command[i + 1]) != nullptr)
        word += command[++i];
      else
        word += c;
    } else if (c == '\\' && more) {
      word += command[++i];
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ' ' || c == '\t') {
      break;
    } else {
      word += c;
    }
  }
  return word;
}

// The program of an entry: the first word of its command, after the
// disabled mark, a visual ("GL:") and a pretty name in double quotes.
std::string CommandProgram(std::string entry) {
  entry = Trim(entry);
  if (!entry.empty() && entry[0] == '-') entry = Trim(entry.substr(1));
  size_t word = entry.find_first_of(" \t");
  if (word != std::string::npos && word > 0 && entry[word - 1] == ':' && entry[0] != '"' &&
      entry[0] != '\'') {
    entry = Trim(entry.substr(word));
  }
  if (!entry.empty() && entry[0] == '"') {
    size_t close = entry.find('"', 1);
    entry = close == std::string::npos ? "" : Trim(entry.substr(close + 1));
  }
  return FirstShellWord(entry);
}

std::string ProgramsItem(const std::vector<std::string>& entries) {
  std::string raw = "programs:\t\t\t\t\t\t\t      \\\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    raw += "\t\t\t\t" + entries[i] + "\t\t\t    \\n";
    raw += i + 1 < entries.size() ? "\\\n" : "\n";
  }
  return raw;
}

}  // namespace

std::vector<std::string> ProgramEntries(const std::string& text) {
  // Continuations may still be in the text: they join lines and are no part
  // of the value.
  std::string value;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    else
      value += text[i];
  }
  std::vector<std::string> entries;
  size_t at = 0;
  while (at <= value.size()) {
    size_t end = value.find("\\n", at);
    std::string entry =
        Trim(value.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (!entry.empty()) entries.push_back(entry);
    if (end == std::string::npos) break;
    at = end + 2;
  }
  return entries;
}

std::string ProgramEntry(const std::string& programPath) {
  size_t slash = programPath.rfind('/');
  std::string name = programPath.substr(slash == std::string::npos ? 0 : slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
  std::string pretty;
  for (char c : name)
    if (c != '"') pretty += c;
  return "\"" + pretty + " (Lumivane)\"  " + ShellQuoted(programPath) + " --root";
}

SaverSelection SelectSaverProgram(const std::string& prefs, const std::string& programPath) {
  std::vector<PrefsItem> items = SplitItems(prefs);
  SaverSelection result;
  const std::string entry = ProgramEntry(programPath);

  size_t programsAt = items.size();
  std::vector<std::string> entries;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].key == "programs") {
      programsAt = i;
      entries = ProgramEntries(ValueOf(items[i]));
      break;
    }
  }
  result.index = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (CommandProgram(entries[i]) == programPath) {
      entries[i] = entry;
      result.index = int(i);
      break;
    }
  }
  if (result.index < 0) {
    entries.push_back(entry);
    result.index = int(entries.size() - 1);
    result.added = true;
  }

  PrefsItem programs{ProgramsItem(entries), "programs"};
  PrefsItem mode{"mode:\t\tone\n", "mode"};
  PrefsItem selected{"selected:\t" + std::to_string(result.index) + "\n", "selected"};
  const bool hadPrograms = programsAt < items.size();
  if (hadPrograms) items[programsAt] = programs;
  bool modeSet = false, selectedSet = false;
  for (PrefsItem& item : items) {
    if (item.key == "mode" && !modeSet) {
      item = mode;
      modeSet = true;
    } else if (item.key == "selected" && !selectedSet) {
      item = selected;
      selectedSet = true;
    }
  }
  // SplitItems ended every line, the last one included, with a newline, so
  // these go on lines of their own; a last line that asks for a continuation
  // gets an empty one, or it would take the first of them into its value.
  bool appending = !modeSet || !selectedSet || !hadPrograms;
  if (appending && !items.empty()) {
    std::string& last = items.back().raw;
    if (EndsInContinuation(last.substr(0, last.size() - 1))) last += "\n";
  }
  if (!modeSet) items.push_back(mode);
  if (!selectedSet) items.push_back(selected);
  if (!hadPrograms) items.push_back(programs);
  for (const PrefsItem& item : items)
    result.prefs += item.raw;
  return result;
}
