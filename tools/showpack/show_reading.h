// Reading a file's show for the commands that look at one: through the
// player's own reader, so that they see exactly what the player sees.
#pragma once

#include <cstdint>
#include <string>

#include "package/show_record.h"
#include "tools/showpack/commands.h"

// Loads the show of the file at path into showState and returns the file.
// A missing file is refused (exit code 2), a corrupt package gets the
// player's message (exit code 1).
FilePtr ReadShow(const std::string& path);

uint64_t FileLength(const std::string& path);

// Why the bytes of a picture record cannot be taken from the file, or nullptr.
const char* ExtentProblem(const ShowRecord& image, uint64_t fileLength);
