// WAVE files in the formats that Windows plays out of the box, made by sox at
// test time: the real thing rather than our own writer's idea of it.
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_process.h"

struct SoxFormat {
  const char* name;
  std::vector<std::string> options;  // sox's output options
};

// sox writes WAVE_FORMAT_EXTENSIBLE for more than 16 bits or 2 channels,
// unless told "-t wavpcm".
inline const std::vector<SoxFormat>& SoxFormats() {
  static const std::vector<SoxFormat> formats = {
      {"pcm8", {"-e", "unsigned-integer", "-b", "8"}},
      {"pcm16", {"-e", "signed-integer", "-b", "16"}},
      {"pcm24-extensible", {"-e", "signed-integer", "-b", "24"}},
      {"pcm24", {"-t", "wavpcm", "-e", "signed-integer", "-b", "24"}},
      {"pcm32-extensible", {"-e", "signed-integer", "-b", "32"}},
      {"pcm32", {"-t", "wavpcm", "-e", "signed-integer", "-b", "32"}},
      {"float32", {"-e", "floating-point", "-b", "32"}},
      {"ima-adpcm", {"-e", "ima-adpcm"}},
      {"ms-adpcm", {"-e", "ms-adpcm"}},
      {"mu-law", {"-e", "u-law"}},
      {"a-law", {"-e", "a-law"}},
      {"pcm16-4-channels-extensible", {"-c", "4", "-e", "signed-integer", "-b", "16"}},
  };
  return formats;
}

// Writes `seconds` of a 440 Hz sine at half of full scale, 22050 frames a
// second, mono unless the format says otherwise, to path in the format.
// Gives sox's error output, empty when it succeeded.
inline std::string MakeSoxSine(const std::string& path, const SoxFormat& format, double seconds) {
  std::vector<std::string> args = {"/usr/bin/sox", "-n", "-r", "22050", "-c", "1"};
  args.insert(args.end(), format.options.begin(), format.options.end());
  args.insert(args.end(), {path, "synth", std::to_string(seconds), "sine", "440", "vol", "0.5"});
  ChildResult result = RunChild(args);
  return result.exitCode == 0 ? std::string() : "sox failed: " + result.err;
}
