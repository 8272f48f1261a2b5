// The show package at the end of a program file: the trailer, the record
// table with its scrambled, checksummed payloads, and the records taken into
// the show state. The input is the whole file, the executable part included.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "package/show_state.h"
#include "tests/fuzz/fuzz_support.h"

namespace {
volatile size_t sink;  // keeps the reads below from being left out
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = WriteScratchFile("show.scr", data, size);
  // Loading runs once per process in the player: its lists start empty.
  showState = ShowState{};
  ClearRecordTable();
  const char* message = nullptr;
  FILE* file = ReadShowPackage(path.c_str(), &message);
  if (file != nullptr) {
    // What the player goes on to read: the texts, the extents, the sounds.
    size_t sum = 0;
    for (const char* text :
         {showState.showName, showState.showTitle, showState.creditLine, showState.infoLine})
      sum += std::strlen(text);
    if (showState.readmeText != nullptr) sum += std::strlen(showState.readmeText);
    for (int32_t i = 0; i < showState.imageCount; ++i)
      sum += showState.images[i]->end - showState.images[i]->start;
    for (int32_t i = 0; i < showState.soundCount; ++i)
      sum += showState.sounds[i]->payload != nullptr ? showState.sounds[i]->payload[0] : 0;
    sink = sum;
    std::fclose(file);
  }
  FreeRecordTable();
  return 0;
}
