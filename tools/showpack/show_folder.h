// The pictures and sounds of a folder, as a camera or phone leaves them.
#pragma once

#include <string>
#include <vector>

// Whether a < b in natural name order: runs of digits compare by their value
// (img2 before img10), letters without regard to case.
bool NaturalLess(const std::string& a, const std::string& b);

// The paths of the regular files in dir (not its subfolders) whose names end
// in one of extensions, in any case, in natural name order. Hidden files (a
// leading dot) are left out: they are other programs' notes, such as the
// "._IMG_0001.JPG" that macOS leaves on memory cards. Refuses (exit code 2)
// when dir cannot be read.
std::vector<std::string> FolderFiles(const std::string& dir,
                                     const std::vector<std::string>& extensions);
