// Starting programs and opening files.
//
// Implemented:
//   ShellExecuteA  the verb "open" on a file or a web address: starts
//                  `xdg-open FILE` and does not wait for it. Returns a value
//                  above 32 once it is started; 2 (ERROR_FILE_NOT_FOUND) for a
//                  file that does not exist and 31 (SE_ERR_NOASSOC) when
//                  xdg-open cannot be started, as Windows reports a missing
//                  file and a missing association.
//   WinExec        splits the command line as the Windows C runtime splits
//                  arguments (blanks, double quotes, backslashes before
//                  quotes) and starts the program without waiting. Returns 33
//                  once it is started, 2 when it cannot be. The control
//                  panel's installer "rundll32.exe desk.cpl,InstallScreenSaver
//                  PATH" is done here and now instead: PATH becomes the user's
//                  xscreensaver hack (xscreensaver_install.h), and a message
//                  box says so, or what failed and on which file. As rundll32
//                  does, PATH is the whole rest of the line, blanks included,
//                  with backslashes read as directory separators; 33 is
//                  returned either way, as for a started installer.
// A program named without a slash is looked for in the absolute folders of
// PATH only, never in the current folder nor in the running program's own:
// a show downloaded into a folder must not run what lies beside it.
// Started programs inherit the standard streams and the environment; they are
// reaped when a later call finds them finished.
// Not implemented: other verbs and a NULL verb, parameters and a working
//   directory for ShellExecuteA, show commands other than SW_SHOWNORMAL and
//   SW_SHOW (programs show themselves as they like), other rundll32 entries.
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/unsupported.h"
#include "platform/linux/win32_api.h"
#include "platform/linux/xscreensaver_install.h"

extern char** environ;

namespace {

constexpr char kInstallerFile[] = "desk.cpl,";
constexpr char kInstallerEntry[] = "InstallScreenSaver";
constexpr char kInstallerCaption[] = "Lumivane";
constexpr char kDefaultPath[] = "/usr/local/bin:/usr/bin:/bin";

std::vector<pid_t> startedChildren;

void ReapFinishedChildren() {
  for (size_t i = 0; i < startedChildren.size();) {
    if (waitpid(startedChildren[i], nullptr, WNOHANG) != 0) {
      startedChildren.erase(startedChildren.begin() + long(i));
    } else {
      ++i;
    }
  }
}

std::string ProgramFolder() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  path[n] = '\0';
  char* slash = std::strrchr(path, '/');
  return slash ? std::string(path, size_t(slash - path)) : "";
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsRunnableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The file that runs a program by its name: the name itself when it holds a
// slash, else the first of PATH's absolute folders, other than the running
// program's own, that holds it. Empty when there is none.
std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* variable = std::getenv("PATH");
  std::string path = variable != nullptr ? variable : kDefaultPath;
  const std::string own = ProgramFolder();
  size_t at = 0;
  while (at <= path.size()) {
    size_t end = path.find(':', at);
    if (end == std::string::npos) end = path.size();
    std::string folder = path.substr(at, end - at);
    at = end + 1;
    if (folder.empty() || folder[0] != '/' || SameFolder(folder, own)) continue;
    std::string candidate = folder + "/" + name;
    if (IsRunnableFile(candidate)) return candidate;
  }
  return "";
}

// Starts args[0] (found by FindProgram); false when it could not be started.
bool Start(const std::vector<std::string>& args) {
  ReapFinishedChildren();
  std::string program = FindProgram(args[0]);
  if (program.empty()) return false;
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  startedChildren.push_back(pid);
  return true;
}

void CheckShowCommand(const char* call, int showCommand) {
  if (showCommand != SW_SHOWNORMAL && showCommand != SW_SHOW) {
    PlatformUnsupported(call, "a show command other than SW_SHOWNORMAL or SW_SHOW");
  }
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The C runtime's rules: 2n backslashes before a quote give n and the quote
// toggles quoting; 2n+1 give n and a literal quote; other backslashes stay.
std::vector<std::string> SplitCommandLine(const char* line) {
  std::vector<std::string> args;
  const char* p = line;
  while (true) {
    while (IsBlank(*p))
      ++p;
    if (*p == '\0') break;
    std::string arg;
    bool quoted = false;
    while (*p != '\0' && (quoted || !IsBlank(*p))) {
      size_t backslashes = 0;
      while (*p == '\\') {
        ++backslashes;
        ++p;
      }
      if (*p == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg.push_back('"');
        } else if (quoted && p[1] == '"') {
          arg.push_back('"');  // "" inside quotes is a literal quote
          ++p;
        } else {
          quoted = !quoted;
        }
        ++p;
      } else {
        arg.append(backslashes, '\\');
        if (*p != '\0' && (quoted || !IsBlank(*p))) arg.push_back(*p++);
      }
    }
    args.push_back(arg);
  }
  return args;
}

// The rest of the line after its first two words, as rundll32 hands it on.
std::string InstallerArgument(const char* line) {
  const char* p = line;
  for (int word = 0; word < 2; ++word) {
    while (IsBlank(*p))
      ++p;
    while (*p != '\0' && !IsBlank(*p))
      ++p;
  }
  while (IsBlank(*p))
    ++p;
  std::string path = p;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// rundll32 finds the entry with GetProcAddress, whose names must match in
// case; the file name need not.
bool IsInstallerCommand(const std::vector<std::string>& args) {
  const size_t entry = sizeof kInstallerFile - 1;
  return args.size() >= 2 && strcasecmp(args[0].c_str(), "rundll32.exe") == 0 &&
         strncasecmp(args[1].c_str(), kInstallerFile, entry) == 0 &&
         args[1].compare(entry, std::string::npos, kInstallerEntry) == 0;
}

}  // namespace

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               INT showCommand) {
  if (verb == nullptr || std::strcmp(verb, "open") != 0) {
    PlatformUnsupported("ShellExecuteA", "a verb other than \"open\"");
  }
  if ((parameters != nullptr && *parameters != '\0') || (directory != nullptr && *directory)) {
    PlatformUnsupported("ShellExecuteA", "parameters or a working directory");
  }
  CheckShowCommand("ShellExecuteA", showCommand);
  const bool webAddress = file != nullptr && std::strstr(file, "://") != nullptr;
  if (file == nullptr || (!webAddress && access(file, F_OK) != 0)) {
    return reinterpret_cast<HINSTANCE>(uintptr_t(ERROR_FILE_NOT_FOUND));
  }
  if (!Start({"xdg-open", file})) return reinterpret_cast<HINSTANCE>(uintptr_t(SE_ERR_NOASSOC));
  return reinterpret_cast<HINSTANCE>(uintptr_t(42));
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT showCommand) {
  CheckShowCommand("WinExec", int(showCommand));
  std::vector<std::string> args = SplitCommandLine(commandLine ? commandLine : "");
  if (args.empty()) return ERROR_FILE_NOT_FOUND;
  if (IsInstallerCommand(args)) {
    HackInstall install = InstallXscreensaverHack(InstallerArgument(commandLine));
    MessageBoxA(nullptr, install.message.c_str(), kInstallerCaption,
                MB_OK | (install.done ? MB_ICONINFORMATION : MB_ICONERROR));
    return 33;
  }
  if (strcasecmp(args[0].c_str(), "rundll32.exe") == 0) {
    PlatformUnsupported("WinExec", "a rundll32 entry other than the screen-saver installer");
  }
  return Start(args) ? 33 : ERROR_FILE_NOT_FOUND;
}
