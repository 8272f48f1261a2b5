#include "tools/showpack/show_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "tools/showpack/commands.h"

namespace fs = std::filesystem;

namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

char Folded(char c) {
  return char(std::tolower(static_cast<unsigned char>(c)));
}

// -1, 0 or 1 as a is before, level with or after b, ignoring case.
int NaturalCompare(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Numbers of any length: without their leading zeros, the longer one
      // is the larger, and equal lengths compare digit by digit.
      size_t endA = i, endB = j;
      while (endA < a.size() && IsDigit(a[endA]))
        ++endA;
      while (endB < b.size() && IsDigit(b[endB]))
        ++endB;
      size_t startA = i, startB = j;
      while (startA + 1 < endA && a[startA] == '0')
        ++startA;
      while (startB + 1 < endB && b[startB] == '0')
        ++startB;
      if (endA - startA != endB - startB) return endA - startA < endB - startB ? -1 : 1;
      int digits = a.compare(startA, endA - startA, b, startB, endB - startB);
      if (digits != 0) return digits < 0 ? -1 : 1;
      i = endA;
      j = endB;
      continue;
    }
    char x = Folded(a[i]), y = Folded(b[j]);
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool HasExtension(const std::string& name, const std::vector<std::string>& extensions) {
  for (const std::string& extension : extensions) {
    if (name.size() <= extension.size()) continue;
    std::string tail = name.substr(name.size() - extension.size());
    std::transform(tail.begin(), tail.end(), tail.begin(), Folded);
    if (tail == extension) return true;
  }
  return false;
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  int order = NaturalCompare(a, b);
  // Names that differ only in case or leading zeros still get one fixed order.
  return order != 0 ? order < 0 : a < b;
}

std::vector<std::string> FolderFiles(const std::string& dir,
                                     const std::vector<std::string>& extensions) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator entries(dir, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    std::error_code statusError;
    if (name.empty() || name[0] == '.' || !entries->is_regular_file(statusError)) continue;
    if (HasExtension(name, extensions)) names.push_back(name);
  }
  if (error) throw CommandFailure(kExitRefused, dir + ": cannot read: " + error.message());
  std::sort(names.begin(), names.end(), NaturalLess);
  std::vector<std::string> paths;
  for (const std::string& name : names)
    paths.push_back((fs::path(dir) / name).string());
  return paths;
}
