// showpack: writes, lists, extracts and checks the show packages that the
// player reads from its own executable.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "tools/showpack/commands.h"

namespace {

const Command* const kCommands[] = {&kCreateCommand, &kListCommand, &kExtractCommand,
                                    &kCheckCommand};

void PrintUsage(FILE* to) {
  std::fputs("usage:\n", to);
  for (const Command* command : kCommands)
    std::fprintf(to, "  showpack %s\n", command->usage);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(stderr);
    return kExitRefused;
  }
  if (IsHelpOption(args[0])) {
    std::puts("showpack: makes a show from JPEG pictures, or a folder of them, and writes");
    std::puts("it after the player; lists, extracts or checks a file's show.");
    PrintUsage(stdout);
    // Every command's whole help, so that this one text documents the tool.
    for (const Command* command : kCommands)
      std::printf("\nshowpack %s\n%s", command->usage, command->help);
    std::puts("\nExit status: 0 on success, 1 for a corrupt show (check: also anything");
    std::puts("that would be skipped), 2 for a wrong command line or input that is refused.");
    return kExitSuccess;
  }
  for (const Command* command : kCommands) {
    if (args[0] != command->name) continue;
    ArgumentList commandArgs(std::vector<std::string>(args.begin() + 1, args.end()));
    try {
      return command->run(commandArgs);
    } catch (const UsageError& error) {
      std::fprintf(stderr, "showpack %s: %s\nusage: showpack %s\n", command->name, error.what(),
                   command->usage);
      return kExitRefused;
    } catch (const CommandFailure& failure) {
      std::fprintf(stderr, "showpack: %s\n", failure.what());
      return failure.exitCode;
    } catch (const std::bad_alloc&) {
      std::fputs("showpack: not enough memory\n", stderr);
      return kExitRefused;
    } catch (const std::exception& error) {
      // A file name that the system's code page cannot spell, and the like.
      std::fprintf(stderr, "showpack: %s\n", error.what());
      return kExitRefused;
    }
  }
  std::fprintf(stderr, "showpack: unknown command %s\n", args[0].c_str());
  PrintUsage(stderr);
  return kExitRefused;
}
