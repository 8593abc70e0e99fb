#include "game/Balls.h"

#include <algorithm>
#include <cstdio>

#include "common/Rounding.h"
#include "game/Collisions.h"
#include "game/Game.h"
#include "game/Movement.h"
#include "game/RuleHelpers.h"
#include "game/TimedEffects.h"
#include "levels/LevelBuild.h"
#include "levels/Movies.h"
#include "platform/Clock.h"
#include "common/Errors.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {

bool IsSolidGround(const TSprite* s) { return s && (IsDoorOrBlock(s) || IsBall(s)); }

bool StopsShot(const TSprite* s) { return IsSolidGround(s) || (s && s->Typ == TypPilz); }

// Whether a stopping figure covers any unit of the shot's box. The map holds only outlines, so
// every unit is looked at: the shot may be smaller than what it overlaps.
bool OverlapsStopper(Game& g, const TSprite& s) {
  const int32_t x = Round(s.X), y = Round(s.Y);
  for (int32_t dy = 0; dy < s.PatternHeight; ++dy)
    for (int32_t dx = 0; dx < s.PatternWidth; ++dx)
      if (StopsShot(g.world.SpriteAt(static_cast<float>(x + dx), static_cast<float>(y + dy)))) return true;
  return false;
}

// A throw point-blank at a block would start the shot on the block's outline, and past the
// outline the map shows the block's empty inside: the shot would fly into it. It backs out
// towards the thrower until it stands in front of whatever it overlapped.
void BackOutOfStoppers(Game& g, TSprite& s) {
  float dx = 0, dy = 0;
  switch (s.TypDirection) {
    case RiNord: dy = 1; break;
    case RiOst: dx = -1; break;
    case RiSued: dy = -1; break;
    case RiWest: dx = 1; break;
    default: return;
  }
  const int32_t reach = std::max(s.PatternWidth, s.PatternHeight);
  for (int32_t i = 0; i < reach && OverlapsStopper(g, s); ++i) s.X += dx, s.Y += dy;
}

void CrushMonster(Game& g, TSprite& m) {
  const int32_t start = m.Typ == TypGMonster ? 51 : (m.TypDirection == RiOst ? 73 : 83);
  // The puff and the points appear one monster-height above it.
  MakeMovie(g, m, -1, start, start + 8, 100, false, TAlign::alBottom, true, true, TypT1000, 68, 1000, 0,
            -m.PatternHeight);
}

void LevelWon(Game& g) {
  GameState& st = g.st;
  if (!st.Demomode && st.Level > st.ProceedLevel) {
    g.settings.WriteIni("ProceedLevel", std::to_string(st.Level));
    // Remember what was stored, so that finishing a lower level later in this run cannot
    // write the record back down.
    st.ProceedLevel = st.Level;
  }
  g.timers.AddHiTimer(2, true, &st.EndWaitStatus, [&g](int32_t*) { EndWaitDone(g); }, 5000);
  const int64_t now = g.st.Now();
  st.MissionCompleted = true;
  st.MissionCompletedAt = now;
  st.BonusTimer.Enable(false, now);
  g.sound->PlayMusik(nullptr, "level_gewonnen.wav");
}

// The falling and landing shared by both balls; crush_pilz makes a resting ball crush a
// mushroom under it as it would a monster.
void MoveBall(Game& g, TSprite& s, bool crush_pilz) {
  TSprite* below = SpriteAhead(g, s, RiSued, 1);
  if (!below) {
    const int64_t now = g.st.Now();
    if (TicksBetween(s.FallenStart, now) > 4000) {
      s.FallenStart = now;
      g.sound->PlayMusik(nullptr, "fallen.wav");
    }
    s.TypDirection = RiSued;
    DoStep(s);
    return;
  }
  if (IsMonster(below) || (crush_pilz && below->Typ == TypPilz)) s.TypDirection = RiSued;
  if (s.TypDirection != RiSued) return;  // resting
  s.TypDirection = RiNull;
  if (IsMonster(below))
    CrushMonster(g, *below);
  else if (below->Typ == TypPilz)
    KillSprite(g, *below, true);
}

}  // namespace

void MoveRBall(Game& g, TSprite& s) {
  if (s.Y >= DesignHeight - s.PatternHeight) return;
  MoveBall(g, s, false);
}

void MoveBBall(Game& g, TSprite& s) {
  if (g.st.MissionCompleted) return;
  if (s.Y >= DesignHeight - s.PatternHeight) return;
  const float foot = s.Y + static_cast<float>(s.PatternHeight);
  const TSprite* left = g.world.SpriteAt(s.X, foot);
  const TSprite* right = g.world.SpriteAt(s.X + static_cast<float>(s.PatternWidth) - 1, foot);
  if (left && right && left->Typ == TypDoor && right->Typ == TypDoor) {
    LevelWon(g);
    return;
  }
  MoveBall(g, s, true);
}

void MovePilz(Game& g, TSprite& s) {
  s.TypSpeed = static_cast<float>(g.st.DefaultSpeeds[SpeedPilz]);
  // The bottom of the field holds a mushroom as the ground would.
  if (s.Y >= DesignHeight - s.PatternHeight) {
    s.TypDirection = RiNull;
    return;
  }
  TSprite* below = SpriteAhead(g, s, RiSued, 1);
  if (!below) {
    s.TypDirection = RiSued;
    DoStep(s);
  } else if (IsSolidGround(below)) {
    s.TypDirection = RiNull;
  } else {
    Collision(g, s);
  }
}

void MoveSchuss(Game& g, TSprite& s) {
  const int32_t repeats = Round(s.TypSpeed);
  for (int32_t i = 0; i < repeats; ++i) {
    TSprite* ahead = SpriteAhead(g, s, s.TypDirection, 1);
    // The field's edge stops a shot like a wall: it never flies off the field.
    if (StopsShot(ahead) || StepLeavesField(s, s.TypDirection)) {
      ShotBecomesPilz(s, g.st.DefaultSpeeds[SpeedPilz]);
      return;
    }
    DoStep(s);
    // A free shot covers two units, but looks again before the second: from an odd offset the
    // second unit would land it on a block's outline, past which the map shows an empty inside.
    if (!ahead && !StopsShot(SpriteAhead(g, s, s.TypDirection, 1)) && !StepLeavesField(s, s.TypDirection))
      DoStep(s);
    Collision(g, s);
    if (s.Typ != TypSchussK) return;
  }
}

void Shoot(Game& g) {
  GameState& st = g.st;
  TSprite* runner = g.RunnerSprite();
  if (!runner) return;
  const int64_t now = g.st.Now();
  if (TicksBetween(runner->lastRaketenSchuss, now) < 1000) return;
  runner->lastRaketenSchuss = now;  // also when nothing is thrown
  if (st.PilzCount <= 0) return;
  if (st.PilzCount <= 8) {
    if (Widget* w = g.mf.IndicatorImages[static_cast<size_t>(st.PilzCount + 4)]) w->visible = false;
  }
  --st.PilzCount;

  const float w = runner->FWidth, h = runner->FHeight, x = runner->X, y = runner->Y;
  float sx = 0, sy = 0;
  bool aimed = true;
  switch (runner->LastDirection) {
    case RiNord: sx = x + Round(w * 0.25), sy = y - Round(h * 0.5); break;
    case RiOst: sx = x + w, sy = y + Round(h * 0.25); break;
    case RiSued: sx = x + Round(w * 0.25), sy = y + Round(h); break;
    case RiWest: sx = x - Round(w * 0.5), sy = y + Round(h * 0.25); break;
    default: aimed = false; break;  // never steered yet: the mushroom is spent all the same
  }
  if (aimed)
    InitSchuss(g, *runner, LayerBitOf(st.RunnerHoehe), runner->LastDirection, 19, st.RunnerHoehe, sy, sx,
               static_cast<float>(st.DefaultSpeeds[SpeedSchuss]));
  if (st.RecordedDemo() && !st.ShowNavButtons) {
    // The demo shows where the recorded player tapped: on the hunted gmonster.
    const RecordFrame& f = g.recordings.Frame(st.DemoFrame);
    CreateTouch(g, f.GMonsterX + 26 - 100, f.GMonsterY + 26 - 50);
  }
}

void InitSchuss(Game& g, TSprite& owner, int32_t layer, int32_t direction, int32_t image, float height, float y,
                float x, float speed) {
  TSprite* s = CreateSprite(g, TypSchussK, Round(x), Round(y), 10, layer, height, direction, image, true, 100);
  if (!s) return;  // the sprite list is full
  s->X = x;
  s->Y = y;
  s->Status = 1;
  s->TypSpeed = speed;
  s->Angle = 0;
  s->AnimSpeed = 100;
  s->AngleTick = 15;
  BackOutOfStoppers(g, *s);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(s->TypEbene));
  WriteLog("initschuss " + owner.TypBez + " TypEbene=" + hex + " TypHoehe=" + FloatText(s->TypHoehe));
  g.sound->PlayMusik(nullptr, "schuss.wav");
}

}  // namespace kirpo
