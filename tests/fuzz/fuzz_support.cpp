#include "tests/fuzz/fuzz_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// Removed with its contents at exit, when function-local statics go.
struct Scratch {
  const std::string path =
      std::filesystem::temp_directory_path().string() + "/lvfuzz-" + std::to_string(getpid()) + "/";
  Scratch() {
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
      std::filesystem::create_directories(path + name);
      setenv(name, (path + name).c_str(), 1);
    }
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

const std::string& FuzzScratchDir() {
  static Scratch scratch;
  return scratch.path;
}

std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size) {
  const std::string path = FuzzScratchDir() + name;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  file.close();
  if (!file) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}
