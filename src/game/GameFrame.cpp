#include "game/GameFrame.h"

#include <exception>
#include <string>

#include "common/Consts.h"
#include "common/Rounding.h"
#include "game/AttractDemo.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/Hud.h"
#include "game/Movement.h"
#include "levels/LevelBuild.h"
#include "platform/Clock.h"
#include "scores/HiScoreScreen.h"
#include "scores/HiScores.h"
#include "common/Errors.h"
#include "sprites/SpriteDraw.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {

// The attract mode's splash and table keep the wall clock; everything of play runs on game time.
int64_t WallSince(int64_t t) { return TicksBetween(GameTicks(), t); }
int64_t Since(const GameState& st, int64_t t) { return TicksBetween(st.Now(), t); }

constexpr int64_t SplashMs = 10000;
constexpr int64_t HiScoresShownMs = 10000;

bool IsOneOf(int32_t typ, std::initializer_list<int32_t> types) {
  for (int32_t t : types)
    if (typ == t) return true;
  return false;
}

void DrawFigureOverCanvas(Game& g, Canvas& c, int figure) {
  const Bitmap* b = g.figures.Figure(figure);
  if (!b || b->Empty()) return;
  c.DrawBitmap(*b, RectF{0, 0, float(b->Width()), float(b->Height())},
               RectF{0, 0, float(c.Width()), float(c.Height())}, g.PboxOpacity);
}

// Doors, balls, mushrooms and blocks take their figure again and re-enter the map.
void RefreshLevelImages(Game& g) {
  for (TSprite& s : g.world.Sprites()) {
    if (!IsOneOf(s.Typ, {TypDoor, TypBBall, TypRBall, TypPilz, TypStein})) continue;
    s.ImageIndex = s.FigNr;
    if (s.Visible && s.ImageIndex >= 0) MapSprite(g, s, true);
  }
}

// One layer of the draw pass. The rotation and pattern animation run also when nothing is drawn,
// so a frame without a canvas changes the same state as a drawn one.
void DrawLayer(Game& g, Canvas* c, int32_t z) {
  const bool tot = g.st.Tot;
  for (TSprite& s : g.world.Sprites()) {
    if (s.Z != z || !s.Visible || s.ImageIndex < 0 || s.Typ == TypDied || s.Typ == TypIgn) continue;
    if (s.Typ == TypRunner && tot) continue;
    s.ImageNr = s.FigNr;
    const RectF r{float(Round(s.X)), float(Round(s.Y)), float(Round(s.X + s.PatternWidth)),
                  float(Round(s.Y + s.PatternHeight))};
    if (s.Typ != TypSchussK && Round(s.Angle) == 0) {
      // Blocks live in the background bitmap.
      if (c && s.Typ != TypStein) DrawAlpha(g, s, r, s.Transpar0124);
    } else {
      if (c) DrawRotate(g, s, r.left, r.top, r.right, r.bottom, s.PatternIndex, float(Round(s.Angle)), 1.0f);
      if (Since(g.st, s.LastAnimation) >= s.AnimSpeed) {
        s.LastAnimation = g.st.Now();
        s.Angle += s.AngleTick;
      }
    }
    s.ActualScaleProz = 100;
    // Rotation and animation share LastAnimation: a sprite that turned now waits to change pattern.
    if (s.AnimActive && Since(g.st, s.LastAnimation) >= s.AnimSpeed) {
      s.LastAnimation = g.st.Now();
      if (s.PatternIndex < s.AnimStop)
        ++s.PatternIndex;
      else if (s.AnimLoop)
        s.PatternIndex = s.AnimStart;
      else
        s.AnimActive = false;
    }
  }
}


std::string EndText(const GameState& st) {
  if (st.MissionCompleted) {
    if (st.Level == LastLevel) return "Congratulation - all done !";
    if (st.Demomode) return "GAME OVER";
    if (Since(st, st.MissionCompletedAt) < 2500) return "Level " + std::to_string(st.Level + 1) + " completed !";
    return "";
  }
  if (st.Runner < 0) return "GAME OVER";
  return st.TimeBonus < 10 ? "OUT OF TIME" : st.KillReason;
}

void EndOfAttempt(Game& g) {
  GameState& st = g.st;
  WriteLog("--    (tot) and not(Demomode)) or (MissionCompleted)");
  if (st.MissionCompleted)
    if (TSprite* runner = g.RunnerSprite()) RunnerCheer(g, *runner);
  st.EndTextShown = false;
  if ((st.Now() & 256) == 0) {
    st.EndTextShown = true;
    const std::string text = EndText(st);
    WriteEndText(g, text);
    WriteLog("--    (tot) and not(Demomode)) : )" + text);
  }
  if (st.MissionCompleted && !st.Demomode && Since(st, st.MissionCompletedAt) >= 3000) ShowLevelPicture(g, 34);
}

void CountBonus(Game& g) {
  GameState& st = g.st;
  if (st.PilzCount > 0) {
    if (Since(st, st.BonusCountAt) < 500) return;
    st.BonusCountAt = st.Now();
    if (st.PilzCount <= 8)
      if (Widget* w = g.mf.IndicatorImages[static_cast<size_t>(st.PilzCount + 4)]) w->visible = false;
    st.PilzCount -= 1;
    st.Score = AddToScore(st.Score, 50);
  } else if (st.TimeBonus > 0) {
    if (Since(st, st.BonusCountAt) < 500) return;
    if (st.BonusCountAt == 0) g.sound->PlayMusik(nullptr, "count_money.wav");
    st.BonusCountAt = st.Now();
    const int32_t step = st.TimeBonus > 1000 ? 1000 : st.TimeBonus > 100 ? 100 : 10;
    st.Score = AddToScore(st.Score, step);
    st.TimeBonus -= step;
    if (st.TimeBonus <= 0) {
      g.sound->StopMusik(nullptr);
      st.BonusCountAt = 0;
      st.TimeBonus = 0;
    }
  }
}

// Steps 1 to 9 of a played frame; returns early right after a retry.
void PlayingBranch(Game& g) {
  GameState& st = g.st;
  if (st.Demomode && st.DemoReplay && st.GameRunning) {
    if (g.DemoScriptFrame < 0) {
      BeginReplayDemo(g);
      // Its first update comes with the next frame, as in a game started on the level.
      st.LastUpdateAt = st.Now();
    } else if (!StepReplayDemo(g) || (st.Tot && Since(st, st.TotAt) > 3000)) {
      NextAttractDemo(g);
      return;
    }
  }
  if (st.GameRunning && Since(st, st.LastUpdateAt) >= st.UpdateInterval && !st.Tot && !st.MissionCompleted) {
    st.LastUpdateAt = st.Now();
    UpdatePass(g);
  }
  if (st.ShowGoalLine && st.RunnerReleasedAt != 0) {
    const TSprite* runner = g.RunnerSprite();
    if (runner && (runner->X != 52 + FieldOriginX || runner->Y != 208 + FieldOriginY)) {
      st.ShowGoalLine = false;
      g.settings.WriteIni("GoalShown", "1");
    }
  }
  DrawPass(g);
  if (st.ShowGoalLine && !st.Demomode && !st.Tot && !st.MissionCompleted) DrawGoalLine(g);

  if (st.Demomode && (st.Now() & 512) == 0 && !st.MissionCompleted && !st.Tot) WriteEndText(g, "GAME OVER");
  UpdateHud(g);

  if ((st.Tot && !st.Demomode) || st.MissionCompleted) EndOfAttempt(g);

  if (st.StartGameRequested) {
    WriteLog("-  StartTheGame");
    st.StartGameRequested = false;
    st.Demomode = false;
    FreeSpriteEngine(g, true, false, false);
    NewGame(g, 1);
  }

  if (st.Tot && st.KochErlegtStatus == -1 && st.EndWaitStatus == -1 && Since(st, st.TotAt) > 5000) {
    if (st.Runner >= 0) {
      RetryLevel(g);
      return;
    }
    // While the name entry is up, the game over has been handled already.
    if (!st.NameEntryActive) {
      g.settings.WriteIni("Level", "0");
      st.ScoreDifficulty = st.Difficulty;
      ShowEnterYourNameForm(g);
    }
  }

  if (st.MissionCompleted) CountBonus(g);

  if (st.MissionCompleted && Since(st, st.MissionCompletedAt) >= 6000 && st.EndTextShown && st.TimeBonus <= 0 &&
      st.PilzCount == 0) {
    if (st.Level == LastLevel) {
      WriteLog("-  Level = 57 - 1");
      if (st.FinalPhase == 0) {
        st.FinalPhase = 1;
        st.FinalPhaseAt = st.Now();
      }
    } else {
      WriteLog("-  Nextlevel");
      if (st.Demomode) {
        NextAttractDemo(g);
      } else {
        FreeSpriteEngine(g, true, false, false);
        NewGame(g, 4);
      }
    }
  }
}

}  // namespace

void DrawPass(Game& g) {
  Canvas* c = DrawTarget(g);
  if (c && g.BackgroundBitmap && !g.BackgroundBitmap->Empty()) {
    const Bitmap& bg = *g.BackgroundBitmap;
    c->DrawBitmap(bg, RectF{0, 0, float(bg.Width()), float(bg.Height())},
                  RectF{0, 0, float(c->Width()), float(c->Height())}, g.PboxOpacity);
  }
  DrawLayer(g, c, -1);
  for (int32_t z = 1; z <= 18; ++z) DrawLayer(g, c, z);
}

void UpdatePass(Game& g) {
  SpriteWorld& w = g.world;
  for (int pass = 1; pass <= 4; ++pass) {
    // Sprites created during a pass join the next one.
    const int count = w.SpriteCount();
    for (int i = 0; i < count && i < w.SpriteCount(); ++i) {
      if (g.st.RefreshImages) {
        g.st.RefreshImages = false;
        RefreshLevelImages(g);
      }
      TSprite& s = w.At(i);
      if (Round(s.TypSpeed) < pass) continue;
      if (!IsOneOf(s.Typ, {TypRunner, TypDoor, TypStein})) MapSprite(g, s, false);
      if (s.Typ != TypDied) DoMove(g, s);
      if (!IsOneOf(s.Typ, {TypDied, TypStein, TypIgn}) && s.Visible && s.ImageIndex >= 0) MapSprite(g, s, true);
    }
  }
}

int64_t AttractStillPictureEndsAt(const Game& g) {
  const GameState& st = g.st;
  if (!st.Demomode || st.NameEntryActive || st.Paused || st.NavJump || st.NavLeft || st.NavRight || st.NavUp ||
      st.NavDown || st.StartMenuAt != 0)
    return 0;
  const int64_t now = GameTicks();
  if (st.ShowSplash && now - st.AppStartedAt < SplashMs) return st.AppStartedAt + SplashMs;
  if (!st.GameRunning || !st.ShowHiScores) return 0;
  const int64_t table = st.HiScoresShownAt + HiScorePictureMs;
  return now < table ? table : st.HiScoresShownAt + HiScoresShownMs + 1;
}

void GameAction(Game& g) {
  // Whatever the frame did, the head-up display shows it when the frame ends.
  struct SyncAtEnd {
    Game& g;
    ~SyncAtEnd() { SyncHud(g); }
  } sync_at_end{g};
  GameState& st = g.st;
  Canvas* c = DrawTarget(g);
  if (c) c->Clear(0);
  if (st.Tot && Since(st, st.TotAt) < 500 && Since(st, st.TotAt) % 50 < 25)
    if (c) c->Clear(0xFFFFFF00);
  UpdateHud(g);

  if (st.Demomode && !st.NameEntryActive && st.StartMenuAt != 0 && GameTicks() >= st.StartMenuAt) {
    st.StartMenuAt = 0;
    st.ShowSplash = false;
    st.ShowHiScores = false;
    g.shell->ShowMainForm(false);
    g.shell->ShowStartForm();
    return;
  }
  if (st.Demomode && !st.NameEntryActive) {
    if (st.StartMenuAt == 0 &&
        (st.KeyDown(VK_RETURN) || st.NavJump || st.NavLeft || st.NavRight || st.NavUp || st.NavDown)) {
      // The start menu comes a moment later, so the press is seen to take; until then the attract
      // mode shows what it showed and takes no second press.
      st.StartMenuAt = GameTicks() + 750;
      st.KeyState[VK_RETURN] = 0;
    }
    if (st.StartMenuAt != 0) st.NavJump = st.NavLeft = st.NavRight = st.NavUp = st.NavDown = false;
    {
      const bool leaving_splash = st.StartMenuAt != 0 && !st.GameRunning;
      if (st.ShowSplash && (WallSince(st.AppStartedAt) < SplashMs || leaving_splash)) {
        if (c) DrawFigureOverCanvas(g, *c, 48);
        return;
      }
      if (!st.GameRunning) {
        st.GameRunning = true;
        st.LastCaptionAt = GameTicks();
      }
      if (st.ShowHiScores) {
        ShowHiScoreTable(g);
        if (WallSince(st.HiScoresShownAt) > HiScoresShownMs) st.ShowHiScores = false;
        return;
      }
    }
  }

  if (!st.GameRunning) return;

  if (st.FinalPhase == 1) {
    if (Since(st, st.FinalPhaseAt) < 12000) {
      g.mf.form.visible = false;
      ShowFinalPicture(g);
    } else {
      g.mf.form.visible = true;
      st.FinalPhase = 2;
      st.ScoreDifficulty = st.Difficulty;
      ShowEnterYourNameForm(g);
    }
    return;
  }

  try {
    PlayingBranch(g);
    if (st.CloseRequested) QuitGame(g);
  } catch (...) {
    RethrowAsFatal(ExitFrame, "Idle: ");
  }
}

void QuitGame(Game& g) {
  g.st.GameRunning = false;
  g.shell->CloseNameEntry();
  g.shell->CloseMainForm();
}

void RunnerCheer(Game& g, TSprite& runner) {
  struct Row {
    int dy;
    float angle;
    int image;
  };
  // Ten frames each: up and down tilted left, upright, tilted right, upright.
  static constexpr Row rows[8] = {{-1, -15, 24}, {1, -15, 24}, {-1, 0, 8}, {1, 0, 8},
                                  {-1, 15, 25},  {1, 15, 25},  {-1, 0, 8}, {1, 0, 8}};
  if (runner.rakm < 0 || runner.rakm > 79) runner.rakm = 0;
  const Row& row = rows[runner.rakm / 10];
  runner.Y += row.dy;
  runner.Angle = row.angle;
  SetImage(g, runner, row.image);
  runner.rakm += 1;
  if (runner.rakm > 79) runner.rakm = 0;
}

}  // namespace kirpo
