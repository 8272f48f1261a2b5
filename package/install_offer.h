// Offering to install the running show as the user's screen saver: the
// loader's call for a program started under a name ending in "exe". Setup
// defines it (setup/install_offer.cpp); it is declared here, with its caller,
// so that the loader does not reach up into setup.
#pragma once

// Called when the program was started under a name ending in "exe": asks
// whether to install, then shows the readme, copies the program into the
// system directory as "<show name>.scr" and starts the system's screen-saver
// installer on the copy. A show name that could lead out of the system
// directory is refused as a failed copy. The caller ends the process
// afterwards, whatever the user chose.
void OfferInstall(const char* programPath);
