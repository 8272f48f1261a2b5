#include "tests/support/child_process.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

#if defined(_WIN32)
namespace {

// Quotes one argument the way the C runtime's parser reads it back: the
// backslashes before a quote, and at the end, are doubled.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '"') quoted.append(backslashes + 1, '\\');
    backslashes = c == '\\' ? backslashes + 1 : 0;
    quoted.push_back(c);
  }
  return quoted.append(backslashes, '\\') + '"';
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& args) {
  ScratchDir io;
  ChildResult result;
  std::string commandLine;
  for (const std::string& arg : args)
    commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(arg);
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  auto open = [&](const std::string& path, DWORD creation) {
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, creation, 0, nullptr);
  };
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = open("NUL", OPEN_EXISTING);
  si.hStdOutput = open(io / "stdout", CREATE_ALWAYS);
  si.hStdError = open(io / "stderr", CREATE_ALWAYS);
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(args[0].c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &si, &pi)) {
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result.exitCode = int(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  for (HANDLE handle : {si.hStdInput, si.hStdOutput, si.hStdError})
    CloseHandle(handle);
  result.out = ReadFileBytes(io / "stdout");
  result.err = ReadFileBytes(io / "stderr");
  return result;
}

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return fs::path(path).parent_path().string() + "\\";
}

std::string ExeSuffix() {
  return ".exe";
}

void SetEnv(const std::string& name, const std::string& value) {
  _putenv_s(name.c_str(), value.c_str());
}

void UnsetEnv(const std::string& name) {
  _putenv_s(name.c_str(), "");
}
#else
ChildResult RunChild(const std::vector<std::string>& args) {
  ScratchDir io;
  ChildResult result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (io / "stdout").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (io / "stderr").c_str(), O_WRONLY | O_CREAT, 0600);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = ReadFileBytes(io / "stdout");
  result.err = ReadFileBytes(io / "stderr");
  return result;
}

std::string ProgramDir() {
  return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

std::string ExeSuffix() {
  return "";
}

void SetEnv(const std::string& name, const std::string& value) {
  setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
  unsetenv(name.c_str());
}
#endif

std::string BuildProgram(const std::string& name) {
  return ProgramDir() + name + ExeSuffix();
}

// Random, so that programs started side by side do not meet.
ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  std::string name =
      "lvtest-" + std::to_string(std::random_device()()) + "-" + std::to_string(counter++);
  path_ = (fs::temp_directory_path() / name).string();
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ScratchDir::operator/(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}
