// The sounds that showpack puts into a show: WAV files that both players play
// whole. The structure is the player's own check (package/wave_fit.h); the
// formats are those that Windows plays out of the box and SDL2 decodes.
#pragma once

#include <string>

// Empty when the WAV file in bytes is such a sound; otherwise what is wrong
// with it, as a phrase that can follow the file's name.
std::string SoundFault(const std::string& bytes);
