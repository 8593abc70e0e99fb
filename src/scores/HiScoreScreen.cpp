#include "scores/HiScoreScreen.h"

#include "common/Rounding.h"
#include "game/Game.h"
#include "game/Hud.h"
#include "platform/Bitmap.h"
#include "platform/Clock.h"
#include "scores/HiScores.h"
#include "scores/ScoreText.h"

namespace kirpo {

namespace {

constexpr uint32_t TitleColour = 0xFF90EE90;
constexpr uint32_t ShadowColour = 0xFF00008B;
constexpr uint32_t RowColour = 0xFFFFFFFF;
constexpr uint32_t HighlightColour = 0xFFADFF2F;
constexpr const char* EmptyName = "------------";

void DrawOverCanvas(Game& g, Canvas& c, int figure) {
  const Bitmap* b = g.figures.Figure(figure);
  if (!b || b->Empty()) return;
  c.DrawBitmap(*b, RectF{0, 0, float(b->Width()), float(b->Height())},
               RectF{0, 0, float(c.Width()), float(c.Height())}, g.PboxOpacity);
}

// The largest bold size whose line still fits in a row of the given height.
int RowFontSize(Game& g, float row_height) {
  int size = 6;
  while (size <= 100 && SetFont(g, size, true) < row_height) ++size;
  return size - 1;
}

// The name as twelve characters: blanks added, longer names cut.
std::string NameColumn(const std::string& name) {
  std::string out;
  size_t chars = 0;
  for (size_t i = 0; i < name.size() && chars < 12; ++chars) {
    size_t len = 1;
    while (i + len < name.size() && (static_cast<unsigned char>(name[i + len]) & 0xC0) == 0x80) ++len;
    out.append(name, i, len);
    i += len;
  }
  return out + std::string(12 - chars, ' ');
}

}  // namespace

void ShowHiScoreTable(Game& g) {
  Canvas* c = DrawTarget(g);
  if (!c) return;
  if (TicksBetween(GameTicks(), g.st.HiScoresShownAt) < HiScorePictureMs) {
    DrawOverCanvas(g, *c, 48);
    return;
  }
  DrawOverCanvas(g, *c, 46);
  const float w = float(c->Width()), h = float(c->Height());
  const float scale = g.FitScaleX;

  float y = float(Round(h * 0.2));
  const int h72 = SetFont(g, 72, true);
  myWriteTextEx(g, RectF{0, y, w - 256 * scale, y + 5.0f * h72}, "High Scores", 72, TitleColour, 1, 1.0f,
                TextAlign::Center, TextAlign::Leading, false);
  y += float(Round(h72 * 1.25));
  const float r = (float(Round(h * 0.875)) - y) / 11;
  const float y0 = float(Round(y + r));

  const int size = RowFontSize(g, r);
  SetFont(g, size, true);
  const SizeF m = c->MeasureText("123456789012345678901234", g.TextFontSize, true);

  const int32_t highlight = HighlightedRow(g);
  HiScoreList& table = g.hiscores().HiScoreTable;
  // The first pass is the shadow of the second, one pixel down and to the right.
  for (int pass = 0; pass < 2; ++pass) {
    const RectF mr = pass == 0 ? RectF{0, 0, m.width, m.height} : RectF{-2, -1, m.width - 2, m.height - 1};
    float row_y = y0;
    for (int i = 0; i < HiScoreRows; ++i) {
      TPlayer& p = table[static_cast<size_t>(i)];
      if (p.Name.empty()) p.Name = EmptyName;
      const std::string text = RankToStr(i + 1) + "  " + NameColumn(p.Name) + "  " + ScoreToStr(p.Score);
      const uint32_t colour = pass == 0 ? ShadowColour : (i == highlight ? HighlightColour : RowColour);
      const RectF box{w / 2 - mr.right / 2 + mr.left - 128 * scale, row_y + mr.top, w, row_y + 2 * r};
      myWriteText(g, box, text, size, true, colour, 1.0f, TextAlign::Leading, TextAlign::Leading);
      row_y = float(Round((i + 1) * r + y0));
    }
  }
}

}  // namespace kirpo
