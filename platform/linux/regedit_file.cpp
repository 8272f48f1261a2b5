// Reading and writing the regedit file that holds HKEY_CURRENT_USER.
//
// Implemented:
//   format   what regedit imports on Windows: the first line REGEDIT4 or
//            "Windows Registry Editor Version 5.00", then sections [KEY]
//            holding value entries "name"= or @= followed by a quoted string
//            (escapes \\ and \"; in version 5 also \r, \n and \0, which
//            Wine's regedit writes), dword: with up to 8 hex digits, hex:bytes
//            or hex(N):bytes, the byte list continued over lines with a
//            trailing backslash; comment lines start with ';'. CRLF and LF are
//            read; CRLF is written. Every entry keeps its text as read, so
//            entries nobody changed are written back as they were; blank lines
//            are not kept (one follows each section).
//   text     REGEDIT4 is ANSI (code page 1252 in this layer) and passes as
//            it is. Version 5 is UTF-16LE with a byte-order mark, as regedit
//            exports it, or UTF-8 with or without one; a file is written back
//            in the form it was read in, and a new file is REGEDIT4. In
//            version 5 key names, value names, quoted strings and the bytes
//            of hex(1), hex(2) and hex(7) values (UTF-16LE there) are turned
//            into ANSI for the calls and back when written.
//   location $XDG_CONFIG_HOME/lumivane/user.reg, or $HOME/.config/... when
//            XDG_CONFIG_HOME is unset, empty or relative.
//   updates  serialised between processes by flock on user.reg.lock; the new
//            text goes to a temporary file in the same folder, which is synced
//            and renamed over user.reg, so readers never see half a file.
// Not implemented: deletion entries ([-KEY], "name"=-), other escapes,
//   UTF-16 that is not well formed, big-endian UTF-16, and REGEDIT4 in a
//   Unicode encoding. A file holding any of them counts as unparseable: it
//   reads as empty and is never written over.
#include "platform/linux/regedit_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/ansi_text.h"
#include "platform/linux/utf16_text.h"

namespace {

const char kCrLf[] = "\r\n";
const char kRegedit4[] = "REGEDIT4";
const char kVersion5[] = "Windows Registry Editor Version 5.00";
const char kUtf16Mark[] = "\xFF\xFE";
const char kUtf8Mark[] = "\xEF\xBB\xBF";

bool IsUnicode(RegeditForm form) {
  return form != RegeditForm::Regedit4;
}

// Names and strings of the file's text as the ANSI calls see them, and back.
std::string ToAnsi(const std::string& text, RegeditForm form) {
  return IsUnicode(form) ? Utf8ToAnsi(text) : text;
}

std::string FromAnsi(const std::string& text, RegeditForm form) {
  return IsUnicode(form) ? AnsiToUtf8(text) : text;
}

// The types whose bytes the ANSI calls see as ANSI text.
bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

size_t SkipBlanks(const std::string& s, size_t pos) {
  while (pos < s.size() && IsBlank(s[pos]))
    ++pos;
  return pos;
}

std::string TrimRight(const std::string& s) {
  size_t end = s.size();
  while (end > 0 && IsBlank(s[end - 1]))
    --end;
  return s.substr(0, end);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(const std::string& s, size_t pos, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (s.size() - pos < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = s[pos + i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// 1 to 8 hex digits, the whole of text.
bool ParseHexNumber(const std::string& text, DWORD* value) {
  if (text.empty() || text.size() > 8) return false;
  DWORD result = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    result = (result << 4) | DWORD(digit);
  }
  *value = result;
  return true;
}

// The character that the escape \c stands for; false when the form has no
// such escape.
bool Unescape(char c, RegeditForm form, char* out) {
  const char* from = IsUnicode(form) ? "\\\"rn0" : "\\\"";
  const char to[] = {'\\', '"', '\r', '\n', '\0'};
  const char* at = std::strchr(from, c);
  if (c == '\0' || at == nullptr) return false;
  *out = to[at - from];
  return true;
}

// A quoted string starting at s[*pos]; *pos ends after the closing quote.
bool ParseQuoted(const std::string& s, size_t* pos, RegeditForm form, std::string* text) {
  if (*pos >= s.size() || s[*pos] != '"') return false;
  text->clear();
  for (size_t i = *pos + 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      *pos = i + 1;
      return true;
    }
    if (c == '\\') {
      if (i + 1 >= s.size()) return false;
      if (!Unescape(s[++i], form, &c)) return false;
    }
    text->push_back(c);
  }
  return false;
}

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

bool HasLineBreak(const std::string& s) {
  return s.find_first_of("\r\n") != std::string::npos;
}

// Comma-separated two-digit hex bytes; an empty list is no bytes.
bool ParseHexBytes(const std::string& list, std::string* bytes) {
  bytes->clear();
  size_t pos = SkipBlanks(list, 0);
  if (pos == list.size()) return true;
  for (;;) {
    pos = SkipBlanks(list, pos);
    if (list.size() - pos < 2) return false;
    int high = HexDigit(list[pos]), low = HexDigit(list[pos + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(char(high << 4 | low));
    pos = SkipBlanks(list, pos + 2);
    if (pos == list.size()) return true;
    if (list[pos] != ',') return false;
    ++pos;
  }
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The value entry that starts at lines[*index]; *index ends at its last line.
bool ParseValueEntry(const std::vector<std::string>& lines, size_t* index, RegeditForm form,
                     RegeditEntry* entry, const char** reason) {
  const size_t first = *index;
  const std::string& line = lines[first];
  size_t pos = SkipBlanks(line, 0);
  entry->isValue = true;
  if (line[pos] == '@') {
    entry->name.clear();
    ++pos;
  } else if (!ParseQuoted(line, &pos, form, &entry->name)) {
    *reason = "a value name is not a complete quoted string";
    return false;
  }
  entry->name = ToAnsi(entry->name, form);
  pos = SkipBlanks(line, pos);
  if (pos == line.size() || line[pos] != '=') {
    *reason = "a value name is not followed by '='";
    return false;
  }
  pos = SkipBlanks(line, pos + 1);

  if (pos < line.size() && line[pos] == '"') {
    std::string text;
    if (!ParseQuoted(line, &pos, form, &text) || SkipBlanks(line, pos) != line.size()) {
      *reason = "a string value is not one complete quoted string";
      return false;
    }
    entry->type = REG_SZ;
    entry->data = ToAnsi(text, form) + '\0';
  } else if (StartsWithNoCase(line, pos, "dword:")) {
    DWORD value = 0;
    if (!ParseHexNumber(TrimRight(line.substr(pos + 6)), &value)) {
      *reason = "a dword value is not 1 to 8 hex digits";
      return false;
    }
    entry->type = REG_DWORD;
    entry->data.clear();
    for (int i = 0; i < 4; ++i)
      entry->data.push_back(char(value >> (8 * i) & 0xff));
  } else if (StartsWithNoCase(line, pos, "hex")) {
    pos += 3;
    entry->type = REG_BINARY;
    if (pos < line.size() && line[pos] == '(') {
      size_t close = line.find(')', pos);
      if (close == std::string::npos ||
          !ParseHexNumber(line.substr(pos + 1, close - pos - 1), &entry->type)) {
        *reason = "a hex(N) type is not 1 to 8 hex digits";
        return false;
      }
      pos = close + 1;
    }
    if (pos == line.size() || line[pos] != ':') {
      *reason = "a hex value lacks ':'";
      return false;
    }
    std::string list = TrimRight(line.substr(pos + 1));
    while (!list.empty() && list.back() == '\\') {
      list.pop_back();
      if (++*index == lines.size()) {
        --*index;
        *reason = "the file ends inside a continued hex value";
        return false;
      }
      list += TrimRight(lines[*index]);
    }
    if (!ParseHexBytes(list, &entry->data)) {
      *index = first;
      *reason = "a hex value is not a list of two-digit hex bytes";
      return false;
    }
    if (IsUnicode(form) && IsStringType(entry->type)) {
      entry->data = Utf8ToAnsi(Utf16LeToUtf8(entry->data));
    }
  } else if (pos < line.size() && line[pos] == '-') {
    *reason = "a deletion entry, which a stored registry cannot hold";
    return false;
  } else {
    *reason = "a value of an unknown kind";
    return false;
  }
  entry->lines.assign(lines.begin() + long(first), lines.begin() + long(*index) + 1);
  return true;
}

std::atomic<bool> warned{false};

// where is the file's path, with ":line" when a line is to blame.
void WarnOnce(const std::string& where, const std::string& reason) {
  if (warned.exchange(true)) return;
  std::fprintf(stderr,
               "lumivane: %s: %s; the file is left as it is, read as empty and not written\n",
               where.c_str(), reason.c_str());
  std::fflush(stderr);
}

LONG ErrorFromErrno(int error, LONG otherwise) {
  return error == EACCES || error == EPERM || error == EROFS ? ERROR_ACCESS_DENIED : otherwise;
}

// The whole file; false with errno set when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  text->clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int error = errno;
      close(fd);
      errno = error;
      return n == 0;
    }
    text->append(buffer, size_t(n));
  }
}

// Fills file from the store: ERROR_SUCCESS when it was read or is missing,
// else the reason it cannot be written over (after warning once), with the
// path and what is wrong in problem.
LONG LoadStore(const std::string& path, RegeditFile* file, std::string* problem) {
  *file = RegeditFile();
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    if (errno == ENOENT) return ERROR_SUCCESS;
    int error = errno;
    *problem = path + ": cannot be read: " + std::strerror(error);
    WarnOnce(path, std::string("cannot be read: ") + std::strerror(error));
    return ErrorFromErrno(error, ERROR_READ_FAULT);
  }
  RegeditError parseError;
  if (!ParseRegedit(text, file, &parseError)) {
    *file = RegeditFile();
    std::string where = path + ":" + std::to_string(parseError.line);
    *problem = where + ": cannot be parsed: " + parseError.reason;
    WarnOnce(where, "cannot be parsed: " + parseError.reason);
    return ERROR_REGISTRY_CORRUPT;
  }
  return ERROR_SUCCESS;
}

// mkdir -p, new folders private to the user as XDG asks.
bool MakeDirectories(const std::string& dir) {
  for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string part = dir.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

// Writes text to a new file beside path and renames it over path; on failure
// the new file is removed, path is untouched, and problem says why.
LONG ReplaceFile(const std::string& path, const std::string& text, std::string* problem) {
  std::string temporary = path + ".XXXXXX";
  int fd = mkostemp(&temporary[0], O_CLOEXEC);
  if (fd < 0) {
    *problem = temporary + ": cannot be created: " + std::strerror(errno);
    return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
  }
  FILE* out = fdopen(fd, "wb");
  if (out == nullptr) {
    int error = errno;
    close(fd);
    unlink(temporary.c_str());
    *problem = path + ": cannot be written: " + std::strerror(error);
    return ErrorFromErrno(error, ERROR_WRITE_FAULT);
  }
  int error = 0;
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0 ||
      fsync(fd) != 0) {
    error = errno;
  }
  if (std::fclose(out) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    *problem = path + ": cannot be written: " + std::strerror(error);
    return ErrorFromErrno(error, ERROR_WRITE_FAULT);
  }
  return ERROR_SUCCESS;
}

// The file's text (UTF-8 in the Unicode forms, with the byte-order mark
// gone), its lines, and its form, which the first line settles.
bool DecodeText(const std::string& bytes, std::vector<std::string>* lines, RegeditForm* form,
                RegeditError* error) {
  std::string text = bytes;
  bool hasMark = true;
  *form = RegeditForm::Version5Utf8;
  if (bytes.compare(0, 2, kUtf16Mark) == 0) {
    bool valid = true;
    text = Utf16LeToUtf8(bytes.substr(2), &valid);
    if (!valid) {
      size_t bad = text.find("\xEF\xBF\xBD");
      error->line = 1 + int(std::count(text.begin(), text.begin() + long(bad), '\n'));
      error->reason = "the text is not well-formed UTF-16";
      return false;
    }
    *form = RegeditForm::Version5Utf16;
  } else if (bytes.compare(0, 3, kUtf8Mark) == 0) {
    text = bytes.substr(3);
    *form = RegeditForm::Version5Utf8Bom;
  } else {
    hasMark = false;
    *form = RegeditForm::Regedit4;
  }
  *lines = SplitLines(text);
  if (lines->empty()) return true;
  std::string first = TrimRight((*lines)[0]);
  if (first == kVersion5) {
    if (!hasMark) *form = RegeditForm::Version5Utf8;
  } else if (first != kRegedit4 || hasMark) {
    error->line = 1;
    error->reason =
        hasMark ? "the first line is not \"" + std::string(kVersion5) + "\""
                : "the first line is neither REGEDIT4 nor \"" + std::string(kVersion5) + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool ParseRegedit(const std::string& bytes, RegeditFile* file, RegeditError* error) {
  *file = RegeditFile();
  std::vector<std::string> lines;
  RegeditForm form = RegeditForm::Regedit4;
  if (!DecodeText(bytes, &lines, &form, error)) return false;
  file->form = form;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    size_t pos = SkipBlanks(line, 0);
    const char* reason = nullptr;
    if (pos == line.size()) continue;
    if (line[pos] == ';') {
      if (file->sections.empty()) {
        file->preamble.push_back(line);
      } else {
        RegeditEntry comment;
        comment.lines.push_back(line);
        file->sections.back().entries.push_back(comment);
      }
      continue;
    }
    if (line[pos] == '[') {
      std::string header = TrimRight(line);
      if (header.back() != ']' || header.size() - pos < 3) {
        reason = "a section line is not [KEY]";
      } else if (header[pos + 1] == '-') {
        reason = "a deletion section, which a stored registry cannot hold";
      } else {
        RegeditSection section;
        section.key = ToAnsi(header.substr(pos + 1, header.size() - pos - 2), form);
        while (!section.key.empty() && section.key.back() == '\\')
          section.key.pop_back();
        section.header = line;
        file->sections.push_back(section);
        continue;
      }
    } else if (line[pos] == '"' || line[pos] == '@') {
      RegeditEntry entry;
      if (file->sections.empty()) {
        reason = "a value stands before the first section";
      } else if (ParseValueEntry(lines, &i, form, &entry, &reason)) {
        file->sections.back().entries.push_back(entry);
        continue;
      }
    } else {
      reason = "a line is neither a section, a value nor a comment";
    }
    error->line = int(i + 1);
    error->reason = reason;
    *file = RegeditFile();
    return false;
  }
  return true;
}

std::string FormatRegedit(const RegeditFile& file) {
  std::string text = std::string(IsUnicode(file.form) ? kVersion5 : kRegedit4) + kCrLf;
  for (const std::string& line : file.preamble)
    text += line + kCrLf;
  text += kCrLf;
  for (const RegeditSection& section : file.sections) {
    text += section.header + kCrLf;
    for (const RegeditEntry& entry : section.entries) {
      for (const std::string& line : entry.lines)
        text += line + kCrLf;
    }
    text += kCrLf;
  }
  switch (file.form) {
    case RegeditForm::Version5Utf16:
      return kUtf16Mark + Utf8ToUtf16Le(text);
    case RegeditForm::Version5Utf8Bom:
      return kUtf8Mark + text;
    default:
      return text;
  }
}

RegeditSection MakeRegeditSection(const std::string& key, RegeditForm form) {
  RegeditSection section;
  section.key = key;
  section.header = "[" + FromAnsi(key, form) + "]";
  return section;
}

bool MakeRegeditValue(const std::string& name, DWORD type, const std::string& data,
                      RegeditForm form, RegeditEntry* entry) {
  if (HasLineBreak(name)) return false;
  entry->isValue = true;
  entry->name = name;
  entry->type = type;
  entry->data = data;
  std::string line = name.empty() ? "@=" : Quote(FromAnsi(name, form)) + "=";
  if (type == REG_SZ) {
    std::string text = data.substr(0, data.find('\0'));
    entry->data = text + '\0';
    if (!HasLineBreak(text)) {
      entry->lines = {line + Quote(FromAnsi(text, form))};
      return true;
    }
  } else if (type == REG_DWORD && data.size() == 4) {
    DWORD value = 0;
    for (int i = 3; i >= 0; --i)
      value = value << 8 | BYTE(data[size_t(i)]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", unsigned(value));
    entry->lines = {line + digits};
    return true;
  }
  char prefix[24];
  if (type == REG_BINARY) {
    std::snprintf(prefix, sizeof prefix, "hex:");
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", unsigned(type));
  }
  line += prefix;
  std::string bytes = entry->data;
  if (IsUnicode(form) && IsStringType(type)) bytes = Utf8ToUtf16Le(AnsiToUtf8(bytes));
  for (size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", unsigned(BYTE(bytes[i])));
    line += byte;
  }
  entry->lines = {line};
  return true;
}

std::string RegeditStorePath() {
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (home != nullptr && home[0] != '\0') {
    config = std::string(home) + "/.config";
  } else {
    const passwd* user = getpwuid(getuid());
    if (user == nullptr || user->pw_dir == nullptr || user->pw_dir[0] == '\0') return "";
    config = std::string(user->pw_dir) + "/.config";
  }
  return config + "/lumivane/user.reg";
}

RegeditFile ReadRegeditStore() {
  RegeditFile file;
  std::string path = RegeditStorePath();
  std::string problem;
  if (!path.empty()) LoadStore(path, &file, &problem);
  return file;
}

LONG UpdateRegeditStore(const std::function<bool(RegeditFile*)>& change, std::string* problem) {
  std::string ignored;
  if (problem == nullptr) problem = &ignored;
  std::string path = RegeditStorePath();
  if (path.empty()) {
    *problem = "there is no home folder to keep the settings file in";
    return ERROR_PATH_NOT_FOUND;
  }
  std::string folder = path.substr(0, path.rfind('/'));
  if (!MakeDirectories(folder)) {
    *problem = folder + ": cannot be created: " + std::strerror(errno);
    return ErrorFromErrno(errno, ERROR_PATH_NOT_FOUND);
  }
  int lock = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lock < 0) {
    *problem = path + ".lock: cannot be opened: " + std::strerror(errno);
    return ErrorFromErrno(errno, ERROR_WRITE_FAULT);
  }
  int locked;
  do {
    locked = flock(lock, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  LONG status = ERROR_SUCCESS;
  if (locked != 0) {
    *problem = path + ".lock: cannot be locked: " + std::strerror(errno);
    status = ERROR_WRITE_FAULT;
  }
  RegeditFile file;
  if (status == ERROR_SUCCESS) status = LoadStore(path, &file, problem);
  if (status == ERROR_SUCCESS && change(&file)) {
    status = ReplaceFile(path, FormatRegedit(file), problem);
  }
  // Closing the descriptor releases the lock.
  close(lock);
  return status;
}
