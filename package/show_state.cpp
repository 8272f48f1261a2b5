#include "package/show_state.h"

// Its own file, so that programs that only read the show state do not link the
// loader and, through it, the install offer.
ShowState showState;
