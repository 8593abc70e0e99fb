#pragma once
#include <ctime>
#include <string>

namespace kirpo {

class Bitmap;
class Canvas;

// F12's pictures go where the desktop keeps the user's pictures ("XDG_PICTURES_DIR" of
// user-dirs.dirs, as xdg-user-dir reads it), else ~/Pictures, in a folder of the game's own.
// With a trailing slash.
std::string ScreenshotFolder();
// "kirpo-YYYY-MM-DD_HH-MM-SS.png" of the local time, "-2", "-3", ... added for a second picture of
// the same second.
std::string ScreenshotName(std::time_t when, int attempt);
// Writes the picture as PNG into folder (made when missing) under a name no file has yet: nothing
// is ever replaced. Returns the file name, or "" with the reason in *error.
std::string SaveScreenshot(const Bitmap& picture, const std::string& folder, std::time_t when, std::string* error);
// How long the window says that a picture was taken.
constexpr int ScreenshotNoticeMs = 2000;
// The notice at the foot of the picture: a dark band with the text.
void DrawScreenshotNotice(Canvas& canvas, const std::string& text);

}  // namespace kirpo
