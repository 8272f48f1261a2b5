// Message boxes on the X display answered as a person would, for tests that
// run a program which asks: Return, which presses a box's default button, in
// every box whose caption is one of those given. Linux only.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

class BoxAnswerer {
 public:
  // Starts answering at once, until the object goes.
  explicit BoxAnswerer(const std::vector<std::string>& captions);
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Whether a display, xdotool and xwininfo are there to answer boxes with.
bool CanAnswerBoxes();
