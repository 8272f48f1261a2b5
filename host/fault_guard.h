// A guard against processor faults (bad memory access, illegal instruction,
// arithmetic fault) around a whole mode, its message loop and every window
// procedure called from it. One implementation per system, chosen by CMake.
#pragma once

#include <cstdint>

// Runs body(argument) and stores its result. Returns false, leaving *result
// alone, when a fault ended the body and the system agreed that the program
// handles it; a fault the system keeps takes its normal course.
bool RunInFaultGuard(int32_t (*body)(const char* argument), const char* argument, int32_t* result);
