// F12: the picture on the screen saved as a bitmap file named after the
// moment it was taken.
#pragma once

#include <ctime>
#include <string>

// "varno-YYYYMMDD-HHMMSS.bmp" for a local time.
std::string ScreenshotName(const std::tm& local);
// The folder pictures go to: $XDG_PICTURES_DIR, else ~/Pictures, else the
// data folder (the first that exists), with a trailing separator.
std::string ScreenshotFolder();
// Saves the last presented picture; the full path, or empty when nothing
// was shown yet or the file could not be written.
std::string SaveScreenshot();
