#include "game/HiScoreScreen.h"

#include "common/Rounding.h"
#include "game/Game.h"
#include "game/Hud.h"
#include "platform/Bitmap.h"

namespace kirpo {

// A plain stand-in until the table itself is drawn here: the table's background with its title.
void ShowHiScoreTable(Game& g) {
  Canvas* c = DrawTarget(g);
  if (!c) return;
  const float w = float(c->Width()), h = float(c->Height());
  const Bitmap* back = g.figures.Figure(46);
  if (back && !back->Empty())
    c->DrawBitmap(*back, RectF{0, 0, float(back->Width()), float(back->Height())}, RectF{0, 0, w, h},
                  g.mf.PboxOpacity);
  const float y = float(Round(h * 0.2));
  const int line = SetFont(g, 72, true);
  myWriteTextEx(g, RectF{0, y, w - 256 * g.FitScaleX, y + 5.0f * line}, "HIGH SCORES", 72, 0xFF90EE90, 1, 1.0f,
                TextAlign::Center, TextAlign::Leading, false);
}

}  // namespace kirpo
