// The effects may take the show's random generator, nothing more of the show.
#include "show/show_cycle.h"
#include "show/show_random.h"
