// Loads the show appended to its own file as the player does (under a name
// ending in "exe", the install offer) and prints what the loading tests look
// at, one "name=value" line each; given arguments, offers the show under each
// of them as its name instead. Boxes are answered as AnswerMessageBoxes says.
#include <cstdio>

#include "package/install_offer.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/message_box_answers.h"

int main(int argc, char** argv) {
  AnswerMessageBoxes();
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  const char* message = nullptr;
  FILE* packageFile = argc > 1 ? ReadShowPackage(path, &message) : LoadShow();
  if (packageFile == nullptr) return 1;
  for (int i = 1; i < argc; ++i) {
    std::snprintf(showState.showName, sizeof showState.showName, "%s", argv[i]);
    OfferInstall(path);
  }
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
