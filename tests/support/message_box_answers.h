// Message boxes of probe programs that run without a person, on both builds.
#pragma once

// On Windows, answers every message box of this thread as it opens: Yes or No
// as LV_BOX_ANSWER names ("yes", otherwise No) where the box asks, OK where it
// only tells; and writes "caption: text" to standard error, as the Linux
// layer's message box does, so that tests read the same line on both builds.
// On Linux the layer's own boxes answer (the default button without a
// display, or as a person clicks), and this does nothing.
void AnswerMessageBoxes();
