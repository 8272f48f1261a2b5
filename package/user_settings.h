// The six per-user, per-show options, kept in the registry under
// HKEY_CURRENT_USER at "Software\Lumivane\<show name>" as REG_DWORD values
// named like the fields. A flag is on when nonzero.
#pragma once

#include <cstdint>

struct UserSettings {
  int32_t RedrawSpeed = 15;  // seconds between pictures
  int32_t SoundSpeed = 7;    // seconds between sounds
  int32_t Resize = 1;        // scale pictures to fit the screen
  int32_t Shuffle = 0;       // random order instead of table order
  int32_t Mute = 0;          // no sounds
  int32_t UseEff = 1;        // transition effects instead of one copy
};

// Replaces each setting whose value is stored; creates the key when absent.
void LoadSettings();
// Writes all six settings; failures are not reported.
void SaveSettings();
