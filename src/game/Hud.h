#pragma once
#include <cstdint>
#include <string>

#include "platform/Canvas.h"

namespace kirpo {

struct Game;
class Bitmap;

void UpdateHud(Game& g);
// The only writer of the head-up display's moving widgets: the lost cook and the walking reserve
// cook take their place, turn, picture and visibility from the game state.
void SyncHud(Game& g);
void ShowLevelPicture(Game& g, int figure);
void ShowFinalPicture(Game& g);
int SetFont(Game& g, int font_size, bool bold);
void myWriteTextEx(Game& g, const RectF& rect, const std::string& text, int font_size, uint32_t font_color,
                   uint32_t back_color, float alpha, TextAlign h, TextAlign v, bool shadow);
void myWriteText(Game& g, const RectF& rect, const std::string& text, int font_size, bool bold, uint32_t color,
                 float alpha, TextAlign h, TextAlign v);
// As myWriteTextEx, the centred box moved down by lines_down of its own heights (negative: up).
void WriteTextAt(Game& g, const RectF& rect, const std::string& text, int font_size, uint32_t font_color,
                 uint32_t back_color, float alpha, TextAlign h, TextAlign v, bool shadow, float lines_down);
// The end-of-attempt text style: yellow with a dark rim and a grey shadow on a dark band, centred over
// the play-field.
void WriteEndText(Game& g, const std::string& text);
// One line of a message in the end-text style, lines_down of its own heights below the centre.
void WriteEndTextLine(Game& g, const std::string& text, int font_size, float lines_down);
// A new player's first level says what to do, on a band across the middle of the play-field.
void DrawGoalLine(Game& g);
// The words of it.
extern const char* const GoalLineText;
// Over the frozen game picture: dims it and says "PAUSED" in the end-text style.
void DrawPausedPicture(Game& g);
// The canvas the frame draws on, or nullptr when this frame runs without drawing (replay tools).
Canvas* DrawTarget(Game& g);
// What the head-up display shows of the difficulty: the icon's difficulty and the label, which
// always tell the same (the label may say TRAINING).
struct HudDifficulty {
  int32_t difficulty;
  std::string label;
};
HudDifficulty ShownDifficulty(const Game& g);
// Sets the label from ShownDifficulty before the layout is drawn, so it never lags the icon.
void ShowHudDifficulty(Game& g);
// Paints the difficulty glyph; BindDifficultyGlyph attaches it to g.mf.b_Difficulty.
void b_DifficultyPaint(Game& g, Canvas& canvas, const RectF& rect);
void BindDifficultyGlyph(Game& g);
// "Easy", "Hard" or "Crazy"; anything else counts as Easy.
std::string DifficultyName(int32_t difficulty);

}  // namespace kirpo
