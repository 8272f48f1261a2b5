// The text file that holds the registry on Linux: parsing it, and writing
// back what was parsed, which must parse again to the same file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/linux/regedit_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegeditFile file;
  RegeditError error;
  if (!ParseRegedit(std::string(reinterpret_cast<const char*>(data), size), &file, &error))
    return 0;
  std::string written = FormatRegedit(file);
  RegeditFile again;
  if (!ParseRegedit(written, &again, &error) || FormatRegedit(again) != written) std::abort();
  return 0;
}
