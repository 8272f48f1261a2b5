// The show's readme, shown by the text viewer of the user's system.
#pragma once

// Writes the readme to "readme.txt" in the temporary folder with CR LF line
// ends, has the shell open it, and deletes it again a second later. Returns at
// once when the show has no readme.
void ShowReadme();
