// Loads the show appended to its own file, as the player does: under a name
// ending in "exe" that is the install offer, after which the process ends.
// Prints "not offered" otherwise.
// Message boxes are answered as AnswerMessageBoxes says.
#include <cstdio>

#include "package/show_state.h"
#include "platform/win32.h"
#include "tests/support/message_box_answers.h"

int main() {
  AnswerMessageBoxes();
  std::fclose(LoadShow());
  std::printf("not offered\n");
  return 0;
}
