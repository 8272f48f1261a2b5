// The showpack commands and what they share: argument walking, failures that
// end a command with an exit code, and copying between open files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

enum ExitCode : int { kExitSuccess = 0, kExitCorrupt = 1, kExitRefused = 2 };

// Ends a command: "showpack: <what>" on stderr, then exitCode.
struct CommandFailure : std::runtime_error {
  CommandFailure(int code, const std::string& what) : std::runtime_error(what), exitCode(code) {}
  int exitCode;
};

// A wrong command line: the message and the command's usage on stderr, exit code 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A command's arguments, options and operands mixed; "--" ends the options.
class ArgumentList {
 public:
  explicit ArgumentList(std::vector<std::string> args) : args_(std::move(args)) {}
  bool AtEnd() const { return next_ == args_.size(); }
  // Whether the next argument is an option. Consumes a "--".
  bool NextIsOption();
  std::string Take() { return args_[next_++]; }
  // The argument after option, which must be there.
  std::string TakeValue(const std::string& option);

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
  bool optionsEnded_ = false;
};

bool IsHelpOption(const std::string& option);

struct Command;
// A command's count operands, after any options: --help, which sets *help,
// and --force where force is given.
std::vector<std::string> Operands(ArgumentList& args, size_t count, bool* force, bool* help);
// The command's usage and help on stdout; kExitSuccess.
int PrintHelp(const Command& command);

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Opens an input for binary reading; refuses (exit code 2) when it cannot.
FilePtr OpenInput(const std::string& path);
// Copies count bytes; false when from ends early or a write fails.
bool CopyBytes(FILE* from, FILE* to, uint64_t count);
// Writes bytes to a new or replaced file at path; refuses (exit code 2) on failure.
void WriteWholeFile(const std::string& path, const std::string& bytes);

struct Command {
  const char* name;
  const char* usage;  // one line, after "usage: "
  const char* help;   // what follows the usage line for --help
  int (*run)(ArgumentList& args);
};

extern const Command kCreateCommand;
extern const Command kListCommand;
extern const Command kExtractCommand;
extern const Command kCheckCommand;
