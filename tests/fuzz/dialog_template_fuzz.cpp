// The binary dialog template reader on any resource bytes.
#include <cstdint>
#include <cstdlib>

#include "platform/linux/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DialogTemplate dialog;
  if (ReadDialogTemplate(data, size, &dialog) == DialogTemplateResult::kRead &&
      dialog.bytesRead > size)
    std::abort();
  return 0;
}
