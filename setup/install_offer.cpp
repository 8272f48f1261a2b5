#include "setup/install_offer.h"

// Installation is not built yet: the offer asks nothing and installs nothing,
// and the caller ends the process as it does after a real offer.
void OfferInstall(const char*) {}
