// The user's ~/.xscreensaver, edited to select the player: the programs list
// read from any file, and the edit, which must leave a file whose list holds
// the player's entry where the edit says.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/linux/xscreensaver_prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string prefs(reinterpret_cast<const char*>(data), size);
  ProgramEntries(prefs);
  const std::string program = "/home/user/.local/share/lumivane/My Show.scr";
  SaverSelection selection = SelectSaverProgram(prefs, program);
  SaverSelection again = SelectSaverProgram(selection.prefs, program);
  // Selecting the same program twice changes nothing the second time.
  if (again.added || again.index != selection.index || again.prefs != selection.prefs) std::abort();
  return 0;
}
