// Loads the show appended to this program's own file, as the player does, and
// prints what the loading tests look at, one "name=value" line each. Message
// boxes are answered as AnswerMessageBoxes says.
#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/message_box_answers.h"

int main() {
  AnswerMessageBoxes();
  FILE* packageFile = LoadShow();
  const UserSettings& s = showState.settings;
  std::printf("showName=%s\nsoundAvailable=%d\n", showState.showName,
              int(showState.soundAvailable));
  std::printf("settings=%d,%d,%d,%d,%d,%d\n", int(s.RedrawSpeed), int(s.SoundSpeed), int(s.Resize),
              int(s.Shuffle), int(s.Mute), int(s.UseEff));
  std::fflush(stdout);
  std::fclose(packageFile);
  FreeRecordTable();
  ExitProcess(0);
}
