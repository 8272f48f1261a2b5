// Offering to install the running show as the user's screen saver.
#pragma once

// Called when the program was started under a name ending in "exe"; the
// caller ends the process afterwards, whatever the user chose.
void OfferInstall(const char* programPath);
