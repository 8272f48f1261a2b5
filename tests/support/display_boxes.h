// The Linux layer's message boxes on the X display, answered from the test's
// own process as a person at the display would answer them.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// While it lives, answers every box captioned one of `captions` that is shown on the
// X display named by DISPLAY: "yes" presses Return, which takes the box's
// default button (Yes, or OK in a box with only OK); "close" closes the box as
// a window manager's close button does (WM_DELETE_WINDOW). A box that is still
// there a second after its answer gets it again. Gives up after a minute.
class DisplayBoxAnswerer {
 public:
  DisplayBoxAnswerer(const std::vector<std::string>& captions, const std::string& answer);
  ~DisplayBoxAnswerer();

  // Stops answering; the number of boxes answered.
  int Stop();

 private:
  std::atomic<bool> done_{false};
  std::atomic<int> answered_{0};
  std::thread thread_;
};

// True when tests can show boxes on an X display: DISPLAY is set and opens.
bool DisplayForBoxes();
