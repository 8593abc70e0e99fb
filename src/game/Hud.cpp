#include "game/Hud.h"

#include <algorithm>
#include <cctype>

#include "common/Consts.h"
#include "common/Rounding.h"
#include "game/Game.h"
#include "platform/Bitmap.h"
#include "scores/HiScores.h"
#include "scores/ScoreText.h"

namespace kirpo {

namespace {

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

const Bitmap* Picture(const Game& g, int figure) {
  const Bitmap* b = g.figures.Figure(figure);
  return (b && !b->Empty()) ? b : nullptr;
}

RectF WholeOf(const Bitmap& b) { return RectF{0, 0, float(b.Width()), float(b.Height())}; }

void AdvanceRotatingAngle(Game& g) {
  g.st.RotatingAngle += 5;
  if (g.st.RotatingAngle >= 360) g.st.RotatingAngle -= 360;
}

// The sunburst turned about the centre of dst, on an opaque black ground, at 80 % opacity.
// The black ground is what the turned picture leaves uncovered in its own square.
void DrawSunburst(Game& g, Canvas& c, const RectF& dst) {
  const Bitmap* burst = Picture(g, 36);
  if (!burst) return;
  const float alpha = 0.8f * g.PboxOpacity;
  const RectF visible{std::max(dst.left, 0.0f), std::max(dst.top, 0.0f), std::min(dst.right, float(c.Width())),
                      std::min(dst.bottom, float(c.Height()))};
  if (visible.Width() <= 0 || visible.Height() <= 0) return;
  c.FillRect(visible, 0xFF000000, alpha);
  c.DrawBitmapRotated(*burst, WholeOf(*burst), dst, g.st.RotatingAngle, alpha, visible);
}

// Messages over the field must read over bright blocks as well as over the black floor: a dark
// translucent band behind them and a dark rim around every letter.
constexpr uint32_t kTextBacking = 0xFF050A24;
constexpr uint32_t kTextOutline = 0xFF14121F;

void DrawBacking(Canvas& c, const RectF& box, float size, float opacity) {
  const float pad = size * 0.12f;
  c.FillRect(RectF{box.left - pad, box.top - pad * 0.5f, box.right + pad, box.bottom + pad}, kTextBacking,
             0.7f * opacity);
}

void DrawOutline(Canvas& c, const std::string& text, const RectF& box, float size, float opacity, TextAlign h,
                 TextAlign v) {
  const float r = std::max(2.0f, size / 24.0f);
  static constexpr float kDirs[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {0.7f, 0.7f}, {-0.7f, 0.7f},
                                        {0.7f, -0.7f}, {-0.7f, -0.7f}};
  for (const auto& d : kDirs) {
    const float dx = d[0] * r, dy = d[1] * r;
    c.DrawText(text, RectF{box.left + dx, box.top + dy, box.right + dx, box.bottom + dy}, size, true, kTextOutline,
               opacity, h, v);
  }
}

}  // namespace

std::string DifficultyName(int32_t difficulty) {
  switch (difficulty) {
    case 1: return "Hard";
    case 2: return "Crazy";
    default: return "Easy";
  }
}

Canvas* DrawTarget(Game& g) { return g.SkipDrawing ? nullptr : g.PaintCanvas; }

void SyncHud(Game& g) {
  MainForm& mf = g.mf;
  const GameState& st = g.st;
  if (Widget* cook = mf.KochErlegt) {
    cook->visible = st.KochErlegtShown;
    cook->x = st.KochErlegtX;
    cook->y = st.KochErlegtY;
    cook->rotation = st.KochErlegtAngle;
  }
  if (st.WalkInCook >= 0 && st.WalkInCook < 5) {
    if (Widget* walker = mf.ReserveKoch[static_cast<size_t>(st.WalkInCook)]) {
      walker->x = st.WalkInX;
      walker->y = st.WalkInY;
      walker->picture = mf.ImageList1[static_cast<size_t>(std::clamp(st.WalkInPicture, 0, 4))];
      walker->visible = st.WalkInShown;
    }
  }
}

void UpdateHud(Game& g) {
  MainForm& mf = g.mf;
  GameState& st = g.st;
  SyncHud(g);
  if (mf.f1Score) mf.f1Score->text = ScoreToStr(st.Score);
  if (mf.f1Hiscore) mf.f1Hiscore->text = ScoreToStr(st.HiScore);
  if (mf.f1Mission) mf.f1Mission->text = std::to_string(st.Level + 1);
  if (mf.f1Bonus) {
    mf.f1Bonus->text = BonusToStr(st.TimeBonus);
    // The last 1000 points blink once a second: the bonus falls by 10 every half second.
    if (!st.Demomode && !st.MissionCompleted && st.TimeBonus < 1000)
      mf.f1Bonus->visible = Round(st.TimeBonus / 10.0) % 2 == 0;
  }
}

int SetFont(Game& g, int font_size, bool bold) {
  const float size = font_size * g.ScaleX;
  if (g.TextFontSize != size) g.TextFontSize = size;
  Canvas* c = DrawTarget(g);
  if (!c) return 0;
  return Round(c->MeasureText("\xC3\x9Cy", g.TextFontSize, bold).height);
}

void myWriteText(Game& g, const RectF& rect, const std::string& text, int font_size, bool bold, uint32_t color,
                 float alpha, TextAlign h, TextAlign v) {
  SetFont(g, font_size, bold);
  Canvas* c = DrawTarget(g);
  if (!c) return;
  c->DrawText(text, rect, g.TextFontSize, bold, color, alpha * g.PboxOpacity, h, v);
}

void myWriteTextEx(Game& g, const RectF& rect, const std::string& text, int font_size, uint32_t font_color,
                   uint32_t back_color, float alpha, TextAlign h, TextAlign v, bool shadow) {
  WriteTextAt(g, rect, text, font_size, font_color, back_color, alpha, h, v, shadow, 0);
}

void WriteTextAt(Game& g, const RectF& rect, const std::string& text, int font_size, uint32_t font_color,
                 uint32_t back_color, float alpha, TextAlign h, TextAlign v, bool shadow, float lines_down) {
  if (IsBlank(text)) return;
  SetFont(g, font_size, true);
  Canvas* c = DrawTarget(g);
  if (!c) return;
  const float size = g.TextFontSize;
  const float opacity = alpha * g.PboxOpacity;
  const bool has_back = back_color != 1;
  RectF box = rect;
  if (has_back || shadow) {
    // Centred over the play-field: the right 256 design units belong to the button panel.
    const SizeF m = c->MeasureText(" " + text + " ", size, true);
    box.left = (c->Width() - 256 * g.FitScaleX) / 2 - m.width / 2;
    box.top = c->Height() / 2.0f - m.height / 2 + lines_down * m.height;
    box.right = box.left + m.width;
    box.bottom = box.top + m.height;
    if (!shadow) c->FillRect(box, back_color, g.PboxOpacity);
  }
  if (has_back && shadow) {
    DrawBacking(*c, box, size, opacity);
    const RectF text_box{box.left - 4, box.top - 4, box.right - 4, box.bottom - 4};
    DrawOutline(*c, text, text_box, size, opacity, h, v);
    c->DrawText(text, box, size, true, back_color, opacity, h, v);
    box = text_box;
  }
  c->DrawText(text, box, size, true, font_color, opacity, h, v);
}

void WriteEndText(Game& g, const std::string& text) {
  Canvas* c = DrawTarget(g);
  const RectF bounds = c ? RectF{0, 0, float(c->Width()), float(c->Height())} : RectF{};
  myWriteTextEx(g, bounds, text, 96, 0xFFFFFF00, 0xFF808080, 0.85f, TextAlign::Center, TextAlign::Center, true);
}

void WriteEndTextLine(Game& g, const std::string& text, int font_size, float lines_down) {
  Canvas* c = DrawTarget(g);
  const RectF bounds = c ? RectF{0, 0, float(c->Width()), float(c->Height())} : RectF{};
  WriteTextAt(g, bounds, text, font_size, 0xFFFFFF00, 0xFF808080, 0.85f, TextAlign::Center, TextAlign::Center, true,
              lines_down);
}

const char* const GoalLineText = "Bring the blue ball onto the door";

void DrawGoalLine(Game& g) {
  Canvas* c = DrawTarget(g);
  if (!c) return;
  const float size = 44 * g.ScaleX;
  const SizeF m = c->MeasureText("  " + std::string(GoalLineText) + "  ", size, true);
  // Centred over the play-field (the right 256 units are the button panel), on the empty rows of
  // the first level between its upper shelf and its lower ones.
  const float cx = (c->Width() - 256 * g.FitScaleX) / 2, cy = 678.0f / DesignHeight * c->Height();
  const RectF band{cx - m.width / 2, cy - m.height / 2, cx + m.width / 2, cy + m.height / 2};
  c->FillRect(band, 0xFF101830, 0.8f * g.PboxOpacity);
  c->DrawText(GoalLineText, band, size, true, 0xFFFFFF00, g.PboxOpacity, TextAlign::Center, TextAlign::Center);
}

void DrawPausedPicture(Game& g) {
  Canvas* c = DrawTarget(g);
  if (!c) return;
  c->FillRect(RectF{0, 0, float(c->Width()), float(c->Height())}, 0xFF000000, 0.55f);
  WriteEndText(g, "PAUSED");
}

void ShowLevelPicture(Game& g, int figure) {
  AdvanceRotatingAngle(g);
  Canvas* c = DrawTarget(g);
  if (!c) return;
  const float w = float(c->Width()), h = float(c->Height());
  const RectF box{52.0f / DesignWidth * w, 210.0f / DesignHeight * h, 0, 0};
  const RectF picture_box{box.left, box.top, box.left + 0.8125f * w, box.top + 0.78f * h};
  c->ClearRect(picture_box, 0xFF000000);
  DrawSunburst(g, *c, RectF{-256.0f * w / DesignWidth, 0, w, h});
  if (const Bitmap* pic = Picture(g, figure)) c->DrawBitmap(*pic, WholeOf(*pic), picture_box, g.PboxOpacity);
}

void ShowFinalPicture(Game& g) {
  AdvanceRotatingAngle(g);
  Canvas* c = DrawTarget(g);
  if (!c) return;
  const float w = float(c->Width()), h = float(c->Height());
  c->Clear(0xFF000000);
  DrawSunburst(g, *c, RectF{w / 2 - 960 - 256, h / 2 - 960, w / 2 + 960 - 256, h / 2 + 960});
  if (const Bitmap* pic = Picture(g, 35)) c->DrawBitmap(*pic, WholeOf(*pic), RectF{0, 0, w, h}, g.PboxOpacity);
}

HudDifficulty ShownDifficulty(const Game& g) {
  const GameState& st = g.st;
  int32_t difficulty = st.Difficulty;
  if (st.Demomode) {
    // The demo plays with every monster; the table between its runs is one difficulty's, the one
    // that was played last when a game has just ended.
    difficulty = st.ShowHiScores ? g.hiscores().TableDifficulty : 2;
  }
  if (difficulty < 0 || difficulty > 2) difficulty = 0;
  std::string label = DifficultyName(difficulty);
  // A game started from the training list says so, rather than claiming a difficulty's table.
  if (!st.Demomode && st.StartLevel >= 1) label = "Training";
  std::transform(label.begin(), label.end(), label.begin(), [](unsigned char ch) { return char(std::toupper(ch)); });
  return {difficulty, label};
}

void ShowHudDifficulty(Game& g) {
  if (g.mf.f1Difficulty) g.mf.f1Difficulty->text = ShownDifficulty(g).label;
}

void b_DifficultyPaint(Game& g, Canvas& canvas, const RectF& rect) {
  MainForm& mf = g.mf;
  const HudDifficulty shown = ShownDifficulty(g);
  if (mf.f1Difficulty) mf.f1Difficulty->text = shown.label;
  const int index = shown.difficulty + 5;
  if (index < 0 || index >= static_cast<int>(mf.DifficultyImages.size())) return;
  const Bitmap* pic = mf.DifficultyImages[static_cast<size_t>(index)];
  if (pic && !pic->Empty()) canvas.DrawBitmap(*pic, WholeOf(*pic), rect, g.PboxOpacity);
}

void BindDifficultyGlyph(Game& g) {
  if (!g.mf.b_Difficulty) return;
  g.mf.b_Difficulty->on_paint = [&g](Canvas& canvas, const RectF& rect) { b_DifficultyPaint(g, canvas, rect); };
}

}  // namespace kirpo
