// Message boxes of probe programs that run without a person, on both builds.
#pragma once

// On Windows, answers every message box of this thread as it opens: Yes or No
// as LV_BOX_ANSWER names ("yes", otherwise No) where the box asks, OK where it
// only tells; and writes "caption: text" to standard error, as the Linux
// layer's message box does, so that tests read the same line on both builds.
// On Linux this does nothing: the layer's own boxes answer No (or Cancel, or
// OK where that is the only button) when there is no display, and on a
// display the test answers them from outside (tests/support/display_boxes.h).
void AnswerMessageBoxes();
