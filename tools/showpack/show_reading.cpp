#include "tools/showpack/show_reading.h"

#include <filesystem>

#include "package/show_state.h"

namespace fs = std::filesystem;

FilePtr ReadShow(const std::string& path) {
  // The player cannot tell a missing file from a corrupt one; showpack can.
  OpenInput(path);
  ClearRecordTable();
  const char* message = nullptr;
  FILE* file = ReadShowPackage(path.c_str(), &message);
  if (file == nullptr) throw CommandFailure(kExitCorrupt, path + ": " + message);
  return FilePtr(file);
}

uint64_t FileLength(const std::string& path) {
  std::error_code error;
  uint64_t length = fs::file_size(path, error);
  if (error) throw CommandFailure(kExitRefused, path + ": cannot read: " + error.message());
  return length;
}

const char* ExtentProblem(const ShowRecord& image, uint64_t fileLength) {
  if (image.end <= image.start) return "its extent is empty";
  if (image.end > fileLength) return "its extent lies past the end of the file";
  return nullptr;
}
