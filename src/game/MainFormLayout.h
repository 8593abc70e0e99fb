#pragma once
#include <string>

namespace kirpo {

struct Game;
class Bitmap;

// Builds the main window's layout (head-up display, buttons, menu icons) in g.mf.
void BuildMainForm(Game& g);
// Where reserve cook i (0 to 4) stands in the head-up display, in layout units.
float ReserveCookHomeX(int i);
constexpr float ReserveCookHomeY = 27;
// The lost cook's height in layout units: it rises until it has left the window by that much.
constexpr float KochErlegtHeight = 65;
// Gives the figure-based pictures of the form (background, cooks, mushrooms) their images from
// the data folder, once it has been installed.
void LoadMainFormFigures(Game& g);
// The picture behind the game picture: the figure store's, decoded only while it is shown; read
// from its file only while the store is not loaded yet.
const Bitmap* MainFormBackdrop(Game& g);
// A picture compiled into the program, or a plain placeholder when it is missing.
const Bitmap* FormPicture(const std::string& file_name);

}  // namespace kirpo
