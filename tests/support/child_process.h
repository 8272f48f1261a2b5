// Running the project's programs as child processes from tests, on both
// builds, and the files and environment that such tests need.
#pragma once

#include <string>
#include <vector>

struct ChildResult {
  int exitCode = -1;  // -1 when the program could not be started
  std::string out;    // standard output
  std::string err;    // standard error
};

// Runs args[0] with the remaining arguments, no standard input, and waits.
ChildResult RunChild(const std::vector<std::string>& args);

// The folder of the running test program, ending in a separator. Every program
// of the build stands there.
std::string ProgramDir();
// ".exe" on Windows, "" elsewhere.
std::string ExeSuffix();
// Path of a program of the build by its target name.
std::string BuildProgram(const std::string& name);

void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

// A new empty folder under the system's temporary folder, removed with its
// contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // path / name
  std::string operator/(const std::string& name) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
