#include "levels/LevelBuild.h"

#include "common/Consts.h"
#include "common/Rounding.h"
#include "levels/LevelScene.h"
#include "levels/LevelLoader.h"
#include "platform/Clock.h"
#include "common/Errors.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {
std::string LevelStage(const LevelScene& g) {
  return "Level=" + std::to_string(g.st.Level) + " Stage=" + std::to_string(g.st.Stage);
}

// The effect figures are made at the origin and then put where they belong, without the
// field origin.
TSprite* CreateEffect(LevelScene& g, int32_t typ, int32_t fignr, float x, float y) {
  TSprite* s = CreateSprite(g, typ, 0, 0, 18, 0, 0, 0, fignr, false, 5);
  if (!s) return nullptr;
  s->X = x;
  s->Y = y;
  return s;
}

void CreatePuff(LevelScene& g, const TSprite& sprite_old, int32_t first, int32_t last, int32_t ivtime, int32_t ivcount,
                int32_t korr_x, int32_t korr_y) {
  const float x = sprite_old.X + static_cast<float>(korr_x);
  const float y = sprite_old.Y + static_cast<float>(korr_y);
  TSprite* s = CreateEffect(g, TypNebel, first, x, y);
  if (!s) return;
  s->AktuellesBild = first;
  s->EndeBild = last;
  s->Bonus = 0;
  s->LastActivity = 0;
  s->IntervalTime = ivtime;
  s->IntervalCount = ivcount;
  s->TypSpeed = 1;
}
}  // namespace

void InitSpriteEngine(LevelScene& g) {
  WriteLog(LevelStage(g));
  WriteLog(LevelStage(g));
  CreateLevelSprites(g);
  CreateFLZ(g);
}

void FreeSpriteEngine(LevelScene& g, bool figures, bool bg, bool rechte_mauer) {
  (void)bg, (void)rechte_mauer;
  WriteLog(LevelStage(g));
  if (!figures) return;
  for (TSprite& s : g.world.Sprites()) {
    KillSprite(g, s, true);
    s.FDead = true;
  }
  // The map may still name the forgotten slots; SpriteAt ignores slots beyond the list, and
  // NewGame clears the map before the next level is built.
  g.world.ClearList();
  g.BackgroundBitmap.reset();
}

void CreateLevelSprites(LevelScene& g) {
  WriteLog(LevelStage(g));
  for (TSprite& s : g.world.Sprites()) KillSprite(g, s, true);
  LoadLevelFile(g);
}

void CreateFLZ(LevelScene& g) {
  WriteLog("");
  if (g.RunnerSprite()) return;
  TSprite* s = CreateSprite(g, TypRunner, 0, 0, 12, 128, 8, RiNord, 8, true, 25);
  if (!s) return;
  g.world.SetRunnerSlot(g.world.SlotOf(s));
  // The runner waits off the field, hidden, until the game walks it in.
  s->X = 1508;
  s->Y = 936;
  AddFieldOrigin(s->X, s->Y);
  g.st.RunnerX = static_cast<float>(Round(s->X));
  g.st.RunnerY = static_cast<float>(Round(s->Y));
  g.st.RunnerHoehe = 8;
  g.st.RunnerFigNr = 8;
  s->TypSpeed = static_cast<float>(g.st.DefaultSpeeds[SpeedRunner]);
  s->Visible = false;
}

void CreateTouch(LevelScene& g, float posx, float posy) {
  TSprite* s = CreateEffect(g, TypTouch, 40, posx, posy);
  if (!s) return;
  s->AktuellesBild = 40;
  s->LastActivity = 0;
  s->AnimActive = true;
  s->AnimLoop = false;
  s->AnimSpeed = 250;
  s->AnimStart = 0;
  s->AnimStop = 4;
}

void CreatePlopp(LevelScene& g, const TSprite& sprite_old, int32_t ivtime, int32_t ivcount, int32_t korr_x, int32_t korr_y) {
  CreatePuff(g, sprite_old, 28, 32, ivtime, ivcount, korr_x, korr_y);
}

void CreateNebel(LevelScene& g, const TSprite& sprite_old, int32_t ivtime, int32_t ivcount, int32_t korr_x, int32_t korr_y) {
  CreatePuff(g, sprite_old, 60, 65, ivtime, ivcount, korr_x, korr_y);
}

void CreateBonus(LevelScene& g, const TSprite& sprite_old, int32_t typ, int32_t fignr, int32_t ivtime, int32_t ivcount,
                 int32_t korr_x, int32_t korr_y, int32_t bonus) {
  const float x = sprite_old.X + static_cast<float>(korr_x);
  const float y = sprite_old.Y + static_cast<float>(korr_y);
  TSprite* s = CreateEffect(g, typ, fignr, x, y);
  if (!s) return;
  s->Bonus = bonus;
  s->LastActivity = 0;
  s->IntervalTime = ivtime;
  s->IntervalCount = ivcount;
  s->TypSpeed = 1;
  g.st.Score = AddToScore(g.st.Score, bonus);
  // Two labels close together would cover each other: the second goes half a label higher,
  // a third one within the same two seconds is not raised again.
  const int64_t now = g.st.Now();
  if (g.st.LastBonusAt != 0 && TicksBetween(now, g.st.LastBonusAt) < 2000) {
    s->Y -= static_cast<float>(s->PatternHeight) / 2.0f;
    g.st.LastBonusAt = 0;
  } else {
    g.st.LastBonusAt = now;
  }
}

}  // namespace kirpo
