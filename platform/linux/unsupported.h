// The layer implements only what the player uses. An argument outside that
// subset is a programming error: it is reported and the process stops, rather
// than going on with a result that the real system would not have given.
#pragma once

[[noreturn]] void PlatformUnsupported(const char* call, const char* what);
