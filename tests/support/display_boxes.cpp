#include "tests/support/display_boxes.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "tests/support/child_process.h"

BoxAnswerer::BoxAnswerer(const std::vector<std::string>& captions) {
  // xdotool cannot match a title exactly, so xwininfo finds the boxes.
  std::string script = "xwininfo -root -tree | grep -F";
  for (const std::string& caption : captions)
    script += " -e '\"" + caption + "\"'";
  script +=
      " | while read -r id rest; do timeout 10 xdotool windowfocus --sync \"$id\" key Return; "
      "done; exit 0";
  thread_ = std::thread([this, script] {
    while (!stop_) {
      RunChild({"/bin/sh", "-c", script});
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
}

BoxAnswerer::~BoxAnswerer() {
  stop_ = true;
  thread_.join();
}

bool CanAnswerBoxes() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != '\0' && access("/usr/bin/xdotool", X_OK) == 0 &&
         access("/usr/bin/xwininfo", X_OK) == 0;
}
