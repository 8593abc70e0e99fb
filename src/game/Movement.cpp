#include "game/Movement.h"

#include <algorithm>
#include <cmath>

#include "common/Rounding.h"
#include "game/Balls.h"
#include "game/Collisions.h"
#include "game/Game.h"
#include "game/Monsters.h"
#include "game/ReplayScript.h"
#include "game/RuleHelpers.h"
#include "levels/LevelBuild.h"
#include "levels/Movies.h"
#include "platform/Clock.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {

bool IsDue(const TSprite& s, int64_t now) { return TicksBetween(s.LastActivity, now) >= s.IntervalTime; }

int32_t FloorDiv(int32_t a, int32_t b) {
  int32_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Whether the cell the runner walks into in this direction lies wholly inside the field.
// Levels are walled, so this only matters at an open edge: there the runner stops on the
// last whole cell instead of walking off.
bool CellAheadFits(const TSprite& r, int32_t direction) {
  const int32_t x = Round(r.X), y = Round(r.Y);
  const int32_t cx = FloorDiv(x, CellSize) * CellSize;
  const int32_t cy = FloorDiv(y - FieldOriginY, CellSize) * CellSize + FieldOriginY;
  switch (direction) {
    case RiOst: return cx + CellSize + r.PatternWidth <= DesignWidth;
    case RiWest: return (cx == x ? cx - CellSize : cx) >= 0;
    case RiSued: return cy + CellSize + r.PatternHeight <= DesignHeight;
    case RiNord: return (cy == y ? cy - CellSize : cy) >= 0;
    default: return false;
  }
}

// The shared body of RunnerRechts, RunnerLinks, RunnerRunter and RunnerHoch.
bool RunnerWalk(Game& g, TSprite& r, int32_t direction) {
  GameState& st = g.st;
  const bool horizontal = direction == RiOst || direction == RiWest;
  const bool forward = direction == RiOst || direction == RiSued;
  float& target = horizontal ? st.TargetX : st.TargetY;
  const float pos = horizontal ? r.X : r.Y;

  bool result = false;
  const bool reached = target > 0 && (forward ? target <= pos + 52 : target >= pos + 52);
  if (!reached) {
    bool inside;
    switch (direction) {
      case RiOst: inside = r.X < DesignWidth - r.PatternWidth; break;
      case RiWest: inside = r.X > 0; break;
      case RiSued: inside = r.Y < DesignHeight - r.PatternHeight; break;
      default: inside = r.Y > 0; break;
    }
    inside = inside && CellAheadFits(r, direction);
    TSprite* ahead = nullptr;
    if (inside) {
      r.TypDirection = direction;
      r.LastDirection = direction;
      ahead = SpriteAhead(g, r, direction, 1);
    }
    const bool first_half = Mod(Round(pos), CellSize) < 26;
    switch (direction) {
      case RiOst: st.RunnerFigNr = first_half ? 5 : 4; break;
      case RiWest: st.RunnerFigNr = first_half ? 7 : 6; break;
      default: st.RunnerFigNr = first_half ? 15 : 16; break;
    }
    result = inside && RunnerTryStep(g, r, ahead);
  }
  if (!result) {
    r.TypDirection = RiNull;
    target = 0;
    switch (direction) {
      case RiOst: st.NavRight = false; break;
      case RiWest: st.NavLeft = false; break;
      case RiSued: st.NavDown = false; break;
      default: st.NavUp = false; break;
    }
  }
  return result;
}

void ReplayRecordedStep(Game& g, TSprite& r) {
  GameState& st = g.st;
  const RecordFrame& f = g.recordings.Frame(st.DemoFrame);
  if (f.RunnerX != 0 || f.RunnerY != 0) {
    st.RunnerX = f.RunnerX;
    st.RunnerY = f.RunnerY;
    r.X = f.RunnerX;
    r.Y = f.RunnerY;
    if ((f.TouchX > 0 || f.TouchY > 0) && !st.ShowNavButtons) CreateTouch(g, f.TouchX - 100, f.TouchY - 50);
  }
  if (st.Tot) return;
  const uint8_t bits = f.Steering;
  if (bits & 1)
    RunnerRunter(g, r);
  else if (bits & 2)
    RunnerHoch(g, r);
  else if (bits & 8)
    RunnerRechts(g, r);
  else if (bits & 4)
    RunnerLinks(g, r);
  else
    RunnerGoOn(g, r);
  if (bits & 16) Shoot(g);
}

uint8_t SteeringKeys(const GameState& st) {
  uint8_t bits = 0;
  if (st.Demomode) {  // only a replayed demo steers live, and only by its script
    if (st.DemoKeys & ReplayDown) bits |= 1;
    if (st.DemoKeys & ReplayUp) bits |= 2;
    if (st.DemoKeys & ReplayLeft) bits |= 4;
    if (st.DemoKeys & ReplayRight) bits |= 8;
    return bits;
  }
  if (st.KeyDown(st.DownKeyCode) || st.NavDown) bits |= 1;
  if (st.KeyDown(st.UpKeyCode) || st.NavUp) bits |= 2;
  if (st.KeyDown(VK_LEFT) || st.NavLeft) bits |= 4;
  if (st.KeyDown(VK_RIGHT) || st.NavRight) bits |= 8;
  return bits;
}

// The first of the directions in the order the runner reads them: down, up, right, left.
uint8_t FirstDirection(uint8_t bits) {
  for (uint8_t bit : {1, 2, 8, 4})
    if (bits & bit) return bit;
  return 0;
}

void LiveSteering(Game& g, TSprite& r) {
  GameState& st = g.st;
  if (st.TimeBonus == 0) {
    KillRunner(g, r, nullptr, 0, "Out of time");
    return;
  }
  // Once per update pass (the runner may step several times in one): a direction newly pressed.
  uint8_t keys = SteeringKeys(st);
  if (st.SteerKeysSeenAt != st.LastUpdateAt) {
    const uint8_t pressed = static_cast<uint8_t>(keys & ~st.SteerKeysSeen);
    st.SteerKeysSeen = keys;
    st.SteerKeysSeenAt = st.LastUpdateAt;
    if (pressed && !OnGrid(r) && st.BonusTimer.Enabled) st.PendingStep = FirstDirection(pressed);
  }
  if (!OnGrid(r)) {
    RunnerGoOn(g, r);  // the runner always completes the cell it has entered
    return;
  }
  if (!st.BonusTimer.Enabled) return;
  keys |= st.PendingStep;
  st.PendingStep = 0;
  st.SteerSeenAt = g.st.Now();
  if (keys & 1)
    RunnerRunter(g, r);
  else if (keys & 2)
    RunnerHoch(g, r);
  else if (keys & 8)
    RunnerRechts(g, r);
  else if (keys & 4)
    RunnerLinks(g, r);
  else {
    if (st.SteerReleasedAt == 0) st.SteerReleasedAt = g.st.Now();
    RunnerGoOn(g, r);
    st.SteerSeenAt = 0;
  }
  if (st.SteerSeenAt != 0) st.SteerReleasedAt = 0;
}

}  // namespace

void DoStep(TSprite& s) {
  switch (s.TypDirection) {
    case RiNord: s.Y -= 1; break;
    case RiOst: s.X += 1; break;
    case RiSued: s.Y += 1; break;
    case RiWest: s.X -= 1; break;
    default: break;
  }
}

bool OnGrid(const TSprite& s) {
  return Mod(Round(s.X), CellSize) == 0 && Mod(Round(static_cast<double>(s.Y) - FieldOriginY), CellSize) == 0;
}

TSprite* SpriteAhead(Game& g, const TSprite& s, int32_t direction, float distance) {
  const int32_t n = distance >= 1 ? Round(distance) : 1;
  const int32_t x = Round(s.X), y = Round(s.Y), w = s.PatternWidth, h = s.PatternHeight;
  int32_t x1, y1, x2, y2;
  switch (direction) {
    case RiNord: x1 = x, y1 = y - n, x2 = x + w - 1, y2 = y - n; break;
    case RiOst: x1 = x + w - 1 + n, y1 = y, x2 = x + w - 1 + n, y2 = y + h - 1; break;
    case RiSued: x1 = x, y1 = y + h - 1 + n, x2 = x + w - 1, y2 = y + h - 1 + n; break;
    case RiWest: x1 = x - n, y1 = y, x2 = x - n, y2 = y + h - 1; break;
    default: return nullptr;
  }
  // SpriteAt reads nothing outside the field.
  TSprite* first = g.world.SpriteAt(static_cast<float>(x1), static_cast<float>(y1));
  TSprite* second = g.world.SpriteAt(static_cast<float>(x2), static_cast<float>(y2));
  if (!first) return second;
  if (!second) return first;
  if (!IsDoorOrBlock(first) && IsDoorOrBlock(second)) return second;
  if (!IsBall(first) && IsBall(second)) return second;
  return first;
}

void DoMove(Game& g, TSprite& s) {
  const int64_t now = g.st.Now();
  if (s.Typ == TypMovie) {
    MovieStep(g, s);
    return;
  }
  if (s.Typ == TypNebel) {
    NebelStep(g, s);
    return;
  }
  if (s.Typ == TypT500 || s.Typ == TypT1000) {
    if (!IsDue(s, now)) return;
    --s.IntervalCount;
    if (s.IntervalCount == 0) {
      KillSprite(g, s, true);
    } else {
      s.Visible = !s.Visible;
      s.LastActivity = now;
    }
    return;
  }
  // Each test sees the type as it is at that moment: a mover may change it.
  if (s.Typ == TypKMonster) MoveKMonster(g, s);
  if (s.Typ == TypGMonster) MoveGMonster(g, s);
  if (s.Typ == TypRBall) MoveRBall(g, s);
  if (s.Typ == TypBBall) MoveBBall(g, s);
  if (s.Typ == TypPilz) MovePilz(g, s);
  if (s.Typ == TypSchussK) MoveSchuss(g, s);
  if (s.Typ == TypRunner) MoveRunner(g, s);
}

void MoveRunner(Game& g, TSprite& r) {
  GameState& st = g.st;
  if (g.RunnerStepHook) g.RunnerStepHook(g, r, false);
  if (st.RecordedDemo()) {
    st.DemoStepCount += 1;
    st.DemoFrame = Round(st.DemoStepCount / 2);
  }
  if (!st.Tot) {
    r.Z = 12;
    Collision(g, r);
    if (!st.Tot) {
      if (st.RecordedDemo()) {
        if (st.RunnerReleasedAt != 0) ReplayRecordedStep(g, r);
      } else {
        LiveSteering(g, r);
      }
      // A replayed demo throws when its script does; the player's keys only end the attract mode.
      const bool fire = st.Demomode && st.DemoReplay
                            ? (st.DemoKeys & (ReplayFire | ReplayControl)) != 0
                            : (!st.Demomode && st.KeyDown(VK_SPACE)) || st.KeyDown(VK_CONTROL) || st.NavJump;
      if (fire && st.BonusTimer.Enabled) Shoot(g);
    }
  }
  st.RunnerX = r.X;
  st.RunnerY = r.Y;
  r.X52 = Mod(Round(r.X), CellSize);
  r.Y52 = Mod(Round(static_cast<double>(r.Y) - FieldOriginY), CellSize);
  r.TypHoehe = st.RunnerHoehe;
  r.TypEbene = LayerBitOf(st.RunnerHoehe);
  SetImage(g, r, st.RunnerFigNr);
  if (r.FigNr != st.RunnerFigNr) {
    r.FigNr = st.RunnerFigNr;
    r.StoredInfoOK = false;
  }
  if (g.RunnerStepHook) g.RunnerStepHook(g, r, true);
}

bool RunnerRechts(Game& g, TSprite& runner) { return RunnerWalk(g, runner, RiOst); }
bool RunnerLinks(Game& g, TSprite& runner) { return RunnerWalk(g, runner, RiWest); }
bool RunnerRunter(Game& g, TSprite& runner) { return RunnerWalk(g, runner, RiSued); }
bool RunnerHoch(Game& g, TSprite& runner) { return RunnerWalk(g, runner, RiNord); }

void RunnerGoOn(Game& g, TSprite& r) {
  if (OnGrid(r)) {
    r.TypDirection = RiNull;
    RunnerCheckCell(g, r);
    return;
  }
  switch (r.TypDirection) {
    case RiNord: RunnerHoch(g, r); break;
    case RiOst: RunnerRechts(g, r); break;
    case RiSued: RunnerRunter(g, r); break;
    case RiWest: RunnerLinks(g, r); break;
    default: {
      // A step refused in mid-cell: snap to the nearest cell that lies inside the field.
      const double fx = std::isfinite(r.X) ? std::clamp(static_cast<double>(r.X), 0.0, double(DesignWidth)) : 0.0;
      const double fy = std::isfinite(r.Y) ? std::clamp(static_cast<double>(r.Y), 0.0, double(DesignHeight)) : 0.0;
      int32_t x = Round(fx / CellSize) * CellSize;
      int32_t y = Round((fy - FieldOriginY) / CellSize) * CellSize + FieldOriginY;
      while (x > 0 && x + r.PatternWidth > DesignWidth) x -= CellSize;
      while (y > FieldOriginY && y + r.PatternHeight > DesignHeight) y -= CellSize;
      r.X = static_cast<float>(x);
      r.Y = static_cast<float>(y);
      break;
    }
  }
}

bool RunnerCheckCell(Game& g, TSprite& r) {
  if (g.st.FreeRunnerPhase != -1) return false;
  const float w = static_cast<float>(r.PatternWidth), h = static_cast<float>(r.PatternHeight);
  TSprite* s = g.world.SpriteAt(r.X, r.Y);
  if (!s) s = g.world.SpriteAt(r.X + w - 1, r.Y);
  if (!s) s = g.world.SpriteAt(r.X, r.Y + h - 1);
  if (!s) s = g.world.SpriteAt(r.X + w - 1, r.Y + h - 1);
  return RunnerTryStep(g, r, s);
}

bool RunnerTryStep(Game& g, TSprite& r, TSprite* ahead) {
  GameState& st = g.st;
  const int64_t now = g.st.Now();
  bool result = false;
  if (!ahead) {
    result = true;
  } else if (ahead->Typ == TypPilz) {
    KillSprite(g, *ahead, true);
    TakePilz(g);
    g.sound->PlayMusik(nullptr, "takepilz.wav");
    result = true;
  } else if (IsMonster(ahead)) {
    if (ahead->SleepingStart == 0) {
      KillRunner(g, r, ahead, ahead->FigNr, "Killed by enemy");
      result = false;
    } else {
      result = true;  // a sleeping monster can be walked through
    }
  } else if (IsBall(ahead) && ahead->TypDirection != RiSued) {
    TSprite& ball = *ahead;
    const int32_t dir = r.TypDirection;
    TSprite* beyond = SpriteAhead(g, ball, dir, 1);
    if (beyond && beyond->Typ == TypPilz) beyond = nullptr;
    // The field's edge holds a ball like a wall would.
    if (beyond || StepLeavesField(ball, dir)) {
      result = false;
      if (ball.Typ == TypRBall && TicksBetween(st.SteerReleasedAt, now) < 750) {
        CreateNebel(g, ball, 100, 20, 0, 0);
        KillSprite(g, ball, true);
        st.BallKilledAt = now;
        st.BallKillDirection = dir;
        g.sound->PlayMusik(nullptr, "killball.wav");
      }
    } else {
      if (dir == RiOst || dir == RiWest) {
        MapSprite(g, ball, false);
        ball.X += dir == RiOst ? 1 : -1;
        MapSprite(g, ball, true);
        result = true;
      }
      if (!SpriteAhead(g, ball, RiSued, 1)) ball.TypDirection = RiSued;
    }
  }
  if (TicksBetween(st.BallKilledAt, now) < 750 && r.TypDirection == st.BallKillDirection) result = false;
  if (result) DoStep(r);
  return result;
}

void TakePilz(Game& g) {
  GameState& st = g.st;
  // The pocket shows eight mushrooms; a ninth is picked up but not counted.
  if (st.PilzCount >= 8 || st.PilzCount < 0) return;
  ++st.PilzCount;
  if (Widget* w = g.mf.IndicatorImages[static_cast<size_t>(st.PilzCount + 4)]) w->visible = true;
}

}  // namespace kirpo
