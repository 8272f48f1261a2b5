// What every harness shares: a scratch folder of its own, which is also the
// process's home, configuration, data and temporary folder, so that nothing a
// harness or the code under it writes reaches the user's files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Made on the first call, removed with its contents at exit. Ends in '/'.
const std::string& FuzzScratchDir();

// Writes the bytes to a file of that name in the scratch folder and returns
// its path.
std::string WriteScratchFile(const char* name, const uint8_t* data, size_t size);
