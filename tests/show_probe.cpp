// Loads the show appended to this program's own file, as the player does, and
// prints what it found, one "name=value" line each. The loading tests append
// packages to copies of this program.
// Message boxes are answered as AnswerMessageBoxes says.
#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/message_box_answers.h"

int main() {
  AnswerMessageBoxes();
  FILE* packageFile = LoadShow();
  std::printf("showName=%s\n", showState.showName);
  std::printf("showTitle=%s\n", showState.showTitle);
  std::printf("creditLine=%s\n", showState.creditLine);
  std::printf("infoLine=%s\n", showState.infoLine);
  std::printf("readmeLength=%d\n", int(showState.readmeLength));
  std::printf("readmeText=%s\n", showState.readmeText ? showState.readmeText : "");
  std::printf("images=");
  for (int32_t i = 0; i < showState.imageCount; ++i) {
    std::printf("%s%x-%x", i ? "," : "", unsigned(showState.images[i]->start),
                unsigned(showState.images[i]->end));
  }
  std::printf("\nsounds=");
  for (int32_t i = 0; i < showState.soundCount; ++i) {
    std::printf("%s%d", i ? "," : "", int(showState.sounds[i]->length));
  }
  const UserSettings& s = showState.settings;
  std::printf("\nsoundAvailable=%d\n", int(showState.soundAvailable));
  std::printf("outputDevices=%u\n", unsigned(waveOutGetNumDevs()));
  std::printf("settings=%d,%d,%d,%d,%d,%d\n", int(s.RedrawSpeed), int(s.SoundSpeed), int(s.Resize),
              int(s.Shuffle), int(s.Mute), int(s.UseEff));
  std::fflush(stdout);
  std::fclose(packageFile);
  FreeRecordTable();
  ExitProcess(0);
}
