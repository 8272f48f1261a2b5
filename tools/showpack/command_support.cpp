#include <cerrno>
#include <cstring>

#include "tools/showpack/commands.h"

bool ArgumentList::NextIsOption() {
  if (optionsEnded_ || AtEnd()) return false;
  const std::string& arg = args_[next_];
  if (arg == "--") {
    optionsEnded_ = true;
    ++next_;
    return false;
  }
  return arg.size() > 1 && arg[0] == '-';
}

std::string ArgumentList::TakeValue(const std::string& option) {
  if (AtEnd()) throw UsageError(option + " needs a value");
  return Take();
}

bool IsHelpOption(const std::string& option) {
  return option == "-h" || option == "--help";
}

FilePtr OpenInput(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    throw CommandFailure(kExitRefused, path + ": cannot read: " + std::strerror(errno));
  }
  return FilePtr(file);
}

bool CopyBytes(FILE* from, FILE* to, uint64_t count) {
  char buffer[64 * 1024];
  while (count > 0) {
    size_t chunk = count < sizeof buffer ? size_t(count) : sizeof buffer;
    if (std::fread(buffer, 1, chunk, from) != chunk) return false;
    if (std::fwrite(buffer, 1, chunk, to) != chunk) return false;
    count -= chunk;
  }
  return true;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) throw CommandFailure(kExitRefused, path + ": cannot write");
}

std::vector<std::string> Operands(ArgumentList& args, size_t count, bool* force, bool* help) {
  std::vector<std::string> operands;
  while (!args.AtEnd()) {
    if (!args.NextIsOption()) {
      operands.push_back(args.Take());
      continue;
    }
    std::string option = args.Take();
    if (IsHelpOption(option)) {
      *help = true;
      return operands;
    }
    if (force == nullptr || option != "--force") throw UsageError("unknown option " + option);
    *force = true;
  }
  if (operands.size() < count) throw UsageError("missing operand");
  if (operands.size() > count) throw UsageError("too many operands");
  return operands;
}

int PrintHelp(const Command& command) {
  std::printf("usage: showpack %s\n%s", command.usage, command.help);
  return kExitSuccess;
}
