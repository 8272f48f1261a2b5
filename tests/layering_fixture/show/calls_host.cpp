// An include that points up: the check must refuse it.
#include "host/saver_main.h"
#include "package/show_state.h"
