// Beeps counted instead of sounded. Linked into a test program, the file
// replaces the system's MessageBeep for the whole program: natively by
// defining it ahead of the Linux layer's, on Windows by filling the import
// slot that calls to user32's MessageBeep go through.
#pragma once

// The beeps since the program started.
int CountedBeeps();
