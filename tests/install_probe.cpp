// Loads the show appended to its own file as the player does (under a name
// ending in "exe", the install offer); given arguments, offers it under each
// of them as its name instead. Boxes are answered as AnswerMessageBoxes says.
#include <cstdio>

#include "package/install_offer.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/message_box_answers.h"

int main(int argc, char** argv) {
  AnswerMessageBoxes();
  if (argc == 1) return LoadShow() == nullptr;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  const char* message = nullptr;
  FILE* show = ReadShowPackage(path, &message);
  if (show == nullptr) return 1;
  for (int i = 1; i < argc; ++i) {
    std::snprintf(showState.showName, sizeof showState.showName, "%s", argv[i]);
    OfferInstall(path);
  }
  std::fclose(show);
  return 0;
}
