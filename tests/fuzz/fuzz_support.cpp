#include "tests/fuzz/fuzz_support.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

namespace {

std::string* scratch = nullptr;

void RemoveScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(*scratch, ignored);
}

}  // namespace

const std::string& FuzzScratchDir() {
  if (scratch != nullptr) return *scratch;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/lvfuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  scratch = new std::string(pattern + "/");
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "TMPDIR"}) {
    std::string folder = *scratch + name;
    std::filesystem::create_directory(folder);
    setenv(name, folder.c_str(), 1);
  }
  std::atexit(RemoveScratch);
  return *scratch;
}

std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size) {
  std::string path = FuzzScratchDir() + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  // An empty input may come without a buffer.
  bool written = file != nullptr && (size == 0 || std::fwrite(data, 1, size, file) == size);
  if (file == nullptr || std::fclose(file) != 0 || !written) {
    std::perror(path.c_str());
    std::abort();
  }
  return path;
}
