// Loads the show appended to its own file, as the player does: under a name
// ending in "exe" that is the install offer, after which the process ends;
// prints "not offered" otherwise. When LV_SHOW_NAMES names a file of
// NUL-ended show names, it offers the show under each of them instead, so
// that one start tries them all. Message boxes are answered as
// AnswerMessageBoxes says.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "package/install_offer.h"
#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/message_box_answers.h"

int main() {
  AnswerMessageBoxes();
  if (const char* names = std::getenv("LV_SHOW_NAMES")) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* message = nullptr;
    FILE* show = ReadShowPackage(path, &message);
    FILE* list = std::fopen(names, "rb");
    if (show == nullptr || list == nullptr) return 1;
    std::string name;
    for (int c; (c = std::fgetc(list)) != EOF;) {
      if (c != '\0') {
        name.push_back(char(c));
        continue;
      }
      std::snprintf(showState.showName, sizeof showState.showName, "%s", name.c_str());
      OfferInstall(path);
      name.clear();
    }
    return 0;
  }
  std::fclose(LoadShow());
  std::printf("not offered\n");
  return 0;
}
