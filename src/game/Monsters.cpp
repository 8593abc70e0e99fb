#include "game/Monsters.h"

#include "common/Rounding.h"
#include "game/Game.h"
#include "game/Movement.h"
#include "game/RuleHelpers.h"
#include "platform/Clock.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {

// Asleep: snoring starts after a second and speeds up over the last five; at 15 s it wakes.
void SleepStep(Game& g, TSprite& s, int32_t waking_image) {
  const int64_t t = TicksBetween(s.SleepingStart, g.st.Now());
  if (t <= 15000) {
    if (t <= 1000 || s.AnimLoop) {
      if (t > 10000 && s.AnimSpeed > 100) s.AnimSpeed = Round((1.0 - static_cast<double>(t) / 15000.0) * 1000.0);
    } else {
      s.AnimActive = true;
      s.AnimLoop = true;
      s.AnimSpeed = 1000;
      s.AnimStart = 2;
      s.AnimStop = 3;
    }
  } else {
    s.SleepingStart = 0;
    SetImage(g, s, waking_image);
    s.AnimActive = false;
    s.AnimLoop = false;
  }
}

bool TryEndPause(Game& g, TSprite& s) {
  if (s.pauseStart > 0 && TicksBetween(s.pauseStart, g.st.Now()) > g.world.Random.RandomInt(5000) + 1000) {
    s.pauseStart = 0;
    return true;
  }
  return false;
}

void KMonsterRechts(Game& g, TSprite& s) {
  auto& rnd = g.world.Random;
  if (s.X < DesignWidth - s.PatternWidth) {
    s.TypDirection = RiOst;
    TryEndPause(g, s);
    // Drawn on every step, also while paused, where it starts the pause again.
    if (rnd.RandomFloat() < 0.001) s.pauseStart = g.st.Now();
    if (s.pauseStart == 0) {
      TSprite* ahead = SpriteAhead(g, s, RiOst, 1);
      if (ahead && ahead->Typ != TypPilz) {
        s.TypDirection = RiWest;
      } else {
        DoStep(s);
        if (rnd.RandomFloat() < 0.001) s.TypDirection = RiWest;
      }
    }
  }
  SetImage(g, s, Mod(Round(s.X), CellSize) < 26 ? 11 : 12);
}

void KMonsterLinks(Game& g, TSprite& s) {
  auto& rnd = g.world.Random;
  if (s.X > 0) {
    s.TypDirection = RiWest;
    const bool began_paused = s.pauseStart > 0;
    TryEndPause(g, s);
    // Walking left, a pause can only begin on a step that began unpaused.
    if (!began_paused && rnd.RandomFloat() < 0.001) s.pauseStart = g.st.Now();
    if (s.pauseStart == 0) {
      TSprite* ahead = SpriteAhead(g, s, RiWest, 1);
      if (ahead && ahead->Typ != TypPilz) {
        s.TypDirection = RiOst;
      } else {
        DoStep(s);
        if (rnd.RandomFloat() < 0.001) s.TypDirection = RiOst;
      }
    }
  }
  SetImage(g, s, Mod(Round(s.X), CellSize) < 26 ? 2 : 9);
}

void GMonsterAnimate(Game& g, TSprite& s, float p) {
  auto& rnd = g.world.Random;
  const int32_t c = Mod(Round(p), 160);
  const int32_t phase = c < 40 ? 1 : c < 80 ? 2 : c < 120 ? 3 : 2;
  if (phase == g.st.GMonsterPhase) return;
  int32_t image;
  if (phase == 1) {
    image = rnd.RandomBool() ? 13 : 21;
  } else if (phase == 2) {
    image = 3;
  } else if (rnd.RandomBool() && rnd.RandomBool() && rnd.RandomBool()) {
    image = 14;
  } else if (rnd.RandomBool() && rnd.RandomBool()) {
    image = 22;
  } else {
    image = 23;
  }
  SetImage(g, s, image);
  g.st.GMonsterPhase = phase;
  g.st.GMonsterFigNr = image;
}

void GMonsterStep(Game& g, TSprite& s) {
  auto& rnd = g.world.Random;
  const GameState& st = g.st;
  const bool up_free = !SpriteAhead(g, s, RiNord, 1);
  const bool down_free = !SpriteAhead(g, s, RiSued, 1);
  const bool left_free = !SpriteAhead(g, s, RiWest, 1);
  const bool right_free = !SpriteAhead(g, s, RiOst, 1);
  const TSprite* ahead = SpriteAhead(g, s, s.TypDirection, 1);
  const bool ahead_free = !ahead || ahead->Typ == TypPilz;

  if (!ahead_free) {
    if (rnd.RandomBool()) {
      s.TypDirection = rnd.RandomInt(5);  // 0 stops it
    } else {
      s.TypDirection = RiNull;
      if (rnd.RandomBool() && s.X > st.RunnerX && left_free)
        s.TypDirection = RiWest;
      else if (rnd.RandomBool() && s.X < st.RunnerX && right_free)
        s.TypDirection = RiOst;
      else if (rnd.RandomBool() && s.Y > st.RunnerY && up_free)
        s.TypDirection = RiNord;
      else if (rnd.RandomBool() && s.Y < st.RunnerY && down_free)
        s.TypDirection = RiSued;
    }
    return;
  }

  // Turns towards the runner happen only on a cell, and only with a coin's luck; the coin is
  // drawn only when the tests before it hold.
  const int32_t d = s.TypDirection;
  if (d == RiWest && up_free && s.Y > st.RunnerY && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiNord;
  else if (d == RiWest && down_free && s.Y < st.RunnerY && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiSued;
  else if (d == RiOst && up_free && s.Y > st.RunnerY && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiNord;
  else if (d == RiOst && down_free && s.Y < st.RunnerY && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiSued;
  else if (d == RiNord && left_free && s.X > st.RunnerX && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiWest;
  else if (d == RiNord && right_free && s.X < st.RunnerX && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiOst;
  else if (d == RiSued && left_free && s.X > st.RunnerX && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiWest;
  else if (d == RiSued && right_free && s.X < st.RunnerX && rnd.RandomBool() && OnGrid(s))
    s.TypDirection = RiOst;
  DoStep(s);
}

void GMonsterWalk(Game& g, TSprite& s, int32_t direction) {
  bool inside;
  switch (direction) {
    case RiOst: inside = s.X < DesignWidth - s.PatternWidth; break;
    case RiWest: inside = s.X > 0; break;
    case RiSued: inside = s.Y < DesignHeight - s.PatternHeight; break;
    default: inside = s.Y > s.PatternHeight; break;
  }
  if (inside) {
    s.TypDirection = direction;
    GMonsterStep(g, s);
  }
  const bool horizontal = direction == RiOst || direction == RiWest;
  GMonsterAnimate(g, s, horizontal ? s.X : s.Y);
}

}  // namespace

void MoveKMonster(Game& g, TSprite& s) {
  if (!g.st.BonusTimer.Enabled) return;
  if (g.st.RecordedDemo()) {
    // Every kmonster of the level follows the recording's one kmonster slot.
    const RecordFrame& f = g.recordings.Frame(g.st.DemoFrame);
    s.X = f.KMonsterX;
    s.Y = f.KMonsterY;
    SetImage(g, s, f.KMonsterFig);
    return;
  }
  if (s.SleepingStart == 0) {
    if (s.TypDirection == RiOst)
      KMonsterRechts(g, s);
    else if (s.TypDirection == RiWest)
      KMonsterLinks(g, s);
    else
      s.TypDirection = RiOst;
  } else {
    SleepStep(g, s, s.FigNr == 26 ? 2 : 11);
  }
}

void MoveGMonster(Game& g, TSprite& s) {
  if (!g.st.BonusTimer.Enabled) return;
  if (g.st.RecordedDemo()) {
    const RecordFrame& f = g.recordings.Frame(g.st.DemoFrame);
    s.X = f.GMonsterX;
    s.Y = f.GMonsterY;
    SetImage(g, s, f.GMonsterFig);
    s.PatternIndex = f.GMonsterPattern;
    return;
  }
  if (s.SleepingStart == 0) {
    switch (s.TypDirection) {
      case RiNord:
      case RiOst:
      case RiSued:
      case RiWest: GMonsterWalk(g, s, s.TypDirection); break;
      default: s.TypDirection = s.Y < 600 ? RiSued : RiNord; break;
    }
  } else {
    SleepStep(g, s, 3);
  }
}

}  // namespace kirpo
