// The show's readme, shown by the text viewer of the user's system.
#pragma once

// Writes the readme with CR LF line ends to a new "readme.txt" inside a
// folder of its own made in the temporary folder, has the shell open it, and
// deletes file and folder again a second later. Returns at once when the show
// has no readme, and without showing it when the file cannot be made.
void ShowReadme();
