// The show package at the end of a program file: the trailer, the record
// table with its scrambled, checksummed payloads, and the records taken into
// the show state. The input is the whole file, the executable part included.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "package/show_state.h"
#include "tests/fuzz/fuzz_support.h"

static volatile size_t sink;  // keeps the reads below from being left out

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Loading runs once per process in the player: its lists start empty.
  showState = ShowState{};
  ClearRecordTable();
  const char* message = nullptr;
  if (FILE* file = ReadShowPackage(WriteScratchFile("show.scr", data, size).c_str(), &message)) {
    // What the player goes on to read: the texts, the extents, the sounds.
    sink = std::strlen(showState.showName) + std::strlen(showState.showTitle) +
           std::strlen(showState.creditLine) + std::strlen(showState.infoLine) +
           (showState.readmeText != nullptr ? std::strlen(showState.readmeText) : 0);
    for (int32_t i = 0; i < showState.imageCount; ++i)
      sink += showState.images[i]->end - showState.images[i]->start;
    for (int32_t i = 0; i < showState.soundCount; ++i)
      sink += showState.sounds[i]->payload != nullptr ? showState.sounds[i]->payload[0] : 0;
    std::fclose(file);
  }
  FreeRecordTable();
  return 0;
}
