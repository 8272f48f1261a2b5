// For test programs whose main is saver_test_main.cpp: their cases run in a
// copy of the program outside the build, so the build's other programs are
// found through this.
#pragma once

#include <string>

// The folder of the build's test programs, ending in a separator.
std::string TestProgramDir();
