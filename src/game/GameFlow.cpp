#include "game/GameFlow.h"

#include <string>

#include "common/Consts.h"
#include "common/Rounding.h"
#include "game/Game.h"
#include "game/Hud.h"
#include "game/MainFormLayout.h"
#include "levels/LevelBuild.h"
#include "levels/LevelLoader.h"
#include "levels/Movies.h"
#include "platform/Clock.h"
#include "platform/FileUtil.h"
#include "common/Errors.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {

constexpr int32_t FreeRunnerTimerId = 10;
constexpr int64_t FreeRunnerInterval = 16;

std::string LevelStage(const Game& g) {
  return "Level=" + std::to_string(g.st.Level) + " Stage=" + std::to_string(g.st.Stage);
}

void CreateImageList(Game& g) {
  WriteLog("start " + LevelStage(g));
  g.figures.LoadFigureImages(3, g.st.Level, g.st.Stage);
}

void SetVisible(Widget* w, bool visible) {
  if (w) w->visible = visible;
}

// The walking cook goes home standing: at the end of its walk, and when a new start cuts the walk
// short (it would be left stranded half-way).
void SendWalkerHome(Game& g) {
  GameState& st = g.st;
  if (st.WalkInCook < 0) return;
  st.WalkInShown = false;
  st.WalkInX = ReserveCookHomeX(st.WalkInCook);
  st.WalkInY = ReserveCookHomeY;
  st.WalkInPicture = 0;
}

void PlaceRunnerOnField(Game& g) {
  GameState& st = g.st;
  const int64_t now = st.Now();
  if (TSprite* runner = g.RunnerSprite()) {
    runner->X = 52;
    runner->Y = 208;
    AddFieldOrigin(runner->X, runner->Y);
    runner->Visible = true;
  }
  if (st.WalkInCook >= 0) {
    // Its place in the display is empty now: the cook is on the field.
    SendWalkerHome(g);
    SyncHud(g);
    st.WalkInCook = -1;
  }
  g.timers.RemoveHiTimer(FreeRunnerTimerId);
  st.FreeRunnerPhase = -1;
  st.RunnerReleasedAt = now;
  st.DemoFrame = 0;
  st.DemoStepCount = 0;
  st.BonusTimer.Enable(true, now);
}

bool ValidStoredGame(int level, int start_level, int runner, int score) {
  return level >= 1 && level <= LastLevel && start_level >= 0 && start_level <= LastLevel && runner >= 0 &&
         runner <= 4 && score >= 0 && score <= MaxScore;
}

}  // namespace

void NewGame(Game& g, int32_t start_mode) {
  GameState& st = g.st;
  WriteLog("StartMode=" + std::to_string(start_mode) + " " + LevelStage(g));
  if (st.FreeRunnerPhase == 2 || st.FreeRunnerPhase == 3) {
    SendWalkerHome(g);
    SyncHud(g);
  }
  st.WalkInCook = -1;
  st.RunnerReleasedAt = 0;

  if (start_mode == 0) {
    if (!st.Demomode) st.Level = st.StartLevel;
    CreateImageList(g);
  } else if (start_mode == 4 && !st.Demomode) {
    st.Level += 1;  // the figures stay loaded from the level before
  } else if (start_mode == 2) {
    CreateImageList(g);
  } else {
    if (!st.Demomode) st.Level = st.StartLevel;
    CreateImageList(g);
  }

  g.world.ClearMap();
  InitSpriteEngine(g);
  // After the level is built, so the random seed starts fresh for the attempt itself.
  InitGameVars(g, start_mode);
  if (start_mode < 2 && !st.Demomode) st.Level = st.StartLevel;

  MainForm& mf = g.mf;
  SetVisible(mf.ReserveKoch[0], st.Runner > 0);
  SetVisible(mf.ReserveKoch[1], st.Runner > 1);
  SetVisible(mf.ReserveKoch[2], st.Runner > 2);
  SetVisible(mf.ReserveKoch[3], st.Runner > 3);
  SetVisible(mf.ReserveKoch[4], st.Runner > 4 || start_mode < 2);
  for (Widget* pilz : mf.Pilz) SetVisible(pilz, false);

  if (st.RecordedDemo()) LoadRecordings(g);

  st.RunnerX = 0;
  st.RunnerY = 0;
  st.RunnerHoehe = 8;
  st.RunnerFigNr = 8;

  st.CloseRequested = false;
  st.NavUp = st.NavDown = st.NavLeft = st.NavRight = st.NavJump = false;
  st.PauseToggleRequested = false;
  st.PendingStep = 0;
  st.SteerKeysSeen = 0;
  // The frame loop's own moments, on its clock.
  st.LastEscAt = GameTicks();
  st.LastFrameAt = GameTicks();
  st.LevelStartedAt = st.Now();

  st.FreeRunnerPhase = 1;
  st.RefreshImages = true;
  st.PilzCount = 0;
  st.TimeBonus = 10000;
  st.FinalPhase = 0;

  // A new installation's first game says on its first level what to do, until the first step.
  st.ShowGoalLine = !st.Demomode && st.Level == 0 && g.settings.ReadInt("GoalShown", 0) == 0;
  if (!st.Demomode) {
    st.DemoReplay = false;
    st.DemoKeys = 0;
    SetNavButtons(g, g.settings.ReadInt("ShowNavButtons", 1) != 0, true);
    // Saved at every start, so an interrupted run resumes at the beginning of this level.
    g.settings.WriteIni("Level", std::to_string(st.Level));
    g.settings.WriteIni("StartLevel", std::to_string(st.StartLevel));
    g.settings.WriteIni("Runner", std::to_string(st.Runner));
    g.settings.WriteIni("Score", std::to_string(st.Score));
    g.settings.WriteIni("StartMode", std::to_string(start_mode));
  }

  // One walk at a time: a start that interrupts a walk replaces it instead of doubling its pace.
  g.timers.RemoveHiTimer(FreeRunnerTimerId);
  g.timers.AddHiTimer(FreeRunnerTimerId, false, &st.FreeRunnerPhase, [&g](int32_t*) { FreeRunner(g); },
                      FreeRunnerInterval);
}

void InitGameVars(Game& g, int32_t start_mode) {
  GameState& st = g.st;
  WriteLog("StartMode=" + std::to_string(start_mode) + " " + LevelStage(g));
  g.sound->StopMusik(nullptr);
  SetVisible(g.mf.f1BonusLabel, true);
  SetVisible(g.mf.f1Bonus, true);
  if (start_mode < 2 && !st.Demomode) {
    st.Level = 0;
    st.Score = 0;
    st.Runner = 4;
  }
  if (st.Demomode) st.Score = 0;
  st.Stage = 0;
  g.world.Random.Reset();
  // The gmonsters' shared animation phase decides whether their first step draws coins: left over
  // from the level or attempt before, it would make the same play draw differently.
  st.GMonsterPhase = 0;
  st.GMonsterFigNr = 0;
  st.MissionCompleted = false;
  st.CloseRequested = false;
  st.Tot = false;
  st.TotAt = 0;
  st.KillReason.clear();
}

void PrepareFirstRun(Game& g) {
  GameState& st = g.st;
  WriteLog(LevelStage(g) + " " + std::string(100, '='));
  NewGame(g, 0);
  SetNavButtons(g, g.settings.ReadInt("ShowNavButtons", 1) != 0, true);

  const int level = g.settings.ReadInt("Level", -1);
  const int start_level = g.settings.ReadInt("StartLevel", -1);
  const int runner = g.settings.ReadInt("Runner", -1);
  const int score = g.settings.ReadInt("Score", -1);
  const int start_mode = g.settings.ReadInt("StartMode", -1);
  if (level <= 0 || (start_mode != 2 && start_mode != 4)) return;
  // A damaged file must not end every start of the program in a missing level or a broken game.
  if (!ValidStoredGame(level, start_level, runner, score)) return;
  // A stored game whose level file has gone would end this and every later start with an error.
  if (!FileExists(LevelFilePath(g.DataDir, level))) return;

  st.Demomode = false;
  st.Level = level;
  st.StartLevel = start_level;
  st.Runner = runner;
  st.Score = score;
  st.GameRunning = true;
  FreeSpriteEngine(g, true, false, false);
  g.timers.RemoveHiTimer(FreeRunnerTimerId);
  NewGame(g, 2);
}

void RetryLevel(Game& g) {
  WriteLog(LevelStage(g));
  g.st.Stage = 0;
  FreeSpriteEngine(g, true, false, false);
  NewGame(g, 2);
}

void GameOver(Game& g) {
  GameState& st = g.st;
  if (st.GameOverBusy == 1) return;
  st.GameOverBusy = 1;
  struct Release {
    GameState& st;
    ~Release() { st.GameOverBusy = -1; }
  } release{st};

  WriteLog("GameOver " + LevelStage(g));
  // A game paused behind the name entry (the window lost the focus) is over: the attract mode runs.
  if (st.Paused) g.shell->EndPause(g);
  st.Demomode = true;
  st.Level = 0;
  st.Stage = 0;
  // The attract mode starts its cycle again with the recorded demo.
  st.DemoReplay = false;
  st.DemoCycle = 0;
  // A game lost with its last runner leaves -1 behind; the demo's runner must still walk in.
  if (st.Runner < 0) st.Runner = 0;
  FreeSpriteEngine(g, true, false, false);
  st.ShowHiScores = true;
  st.HiScoresShownAt = GameTicks();
  NewGame(g, 1);
}

void FreeRunner(Game& g) {
  GameState& st = g.st;
  WriteLog("FreeRunner " + LevelStage(g));
  if (st.ShowHiScores || !st.GameRunning || st.Runner < 0) return;

  if (st.Runner > 4 || (st.WalkInCook < 0 && st.FreeRunnerPhase >= 2)) {
    // No reserve cook to walk: the runner enters at once.
    if (st.FreeRunnerPhase >= 1 && st.FreeRunnerPhase <= 4) PlaceRunnerOnField(g);
    return;
  }

  // The reserve cook walks left along the display, then down to the field's entry.
  constexpr float EntryX = 26, EntryY = 105;
  const int64_t now = st.Now();
  if (st.FreeRunnerPhase == 1) {
    st.WalkInCook = st.Runner;
    st.WalkInX = ReserveCookHomeX(st.Runner);
    st.WalkInY = ReserveCookHomeY;
    st.WalkInPicture = 1;
    st.WalkInShown = true;
    st.FreeRunnerPhase = 2;
    st.FreeRunnerPhaseAt = now;
    return;
  }
  if (st.FreeRunnerPhase == 2) {
    if (TicksBetween(now, st.FreeRunnerPhaseAt) <= 1000) return;
    if (Round(st.WalkInX) > EntryX) {
      st.WalkInX -= 1;
      const int32_t m = Round(st.WalkInX) % 52;
      st.WalkInPicture = (m <= 12 || (m >= 26 && m <= 37)) ? 2 : 1;
    }
    if (Round(st.WalkInX) > EntryX) return;
    st.FreeRunnerPhase = 3;
  }
  if (st.FreeRunnerPhase == 3) {
    if (Round(st.WalkInY) < EntryY) {
      st.WalkInY += 1;
      const int32_t m = Round(st.WalkInY) % 52;
      if (m == 0 || m == 26) st.WalkInPicture = 4;
      if (m == 13 || m == 38) st.WalkInPicture = 3;
    }
    if (Round(st.WalkInY) < EntryY) return;
    st.FreeRunnerPhase = 4;
  }
  if (st.FreeRunnerPhase == 4) PlaceRunnerOnField(g);
}

void SetNavButtons(Game& g, bool activate, bool write_to_config) {
  MainForm& mf = g.mf;
  g.st.ShowNavButtons = activate;
  const bool menu_open = mf.b_menue && mf.b_menue->opacity == 1.0f;
  if (mf.b_hand) mf.b_hand->tag = activate ? 0 : 1;
  if (mf.b_gamepad) mf.b_gamepad->tag = activate ? 1 : 0;
  if (menu_open) {
    SetVisible(mf.b_hand, !activate);
    SetVisible(mf.b_gamepad, activate);
  }
  ApplyNavButtons(g);
  if (write_to_config) g.settings.WriteIni("ShowNavButtons", activate ? "1" : "0");
}

void ApplyNavButtons(Game& g) {
  MainForm& mf = g.mf;
  for (Widget* w : {mf.b_rechts, mf.b_links, mf.b_hoch, mf.b_runter, mf.b_jump}) SetVisible(w, g.st.ShowNavButtons);
}

}  // namespace kirpo
