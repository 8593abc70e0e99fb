#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace kirpo {

// A timer of the main form: fires every Interval ms while Enabled, from the frame loop.
struct FormTimer {
  bool Enabled = false;
  int64_t Interval = 1000;
  int64_t LastFired = 0;  // game clock of enabling or of the last firing
  void Enable(bool on, int64_t now) {
    if (on && !Enabled) LastFired = now;
    Enabled = on;
  }
  bool Due(int64_t now) const { return Enabled && now - LastFired >= Interval; }
};

// The game's shared state: progress, modes, the current attempt and the runner's steering.
// One object per game; tests make a fresh one per case.
struct GameState {
  // Game time in ms: the frame loop sets it from its clock, less every pause, so a pause of any
  // length changes nothing of the game. Every rule, timer and animation of play reads it; the
  // splash, the attract mode's table and the forms keep the wall clock.
  int64_t Time = 0;
  int64_t Now() const { return Time; }

  // Progress and score
  int32_t Level = 0;
  int32_t StartLevel = 0;
  int32_t Stage = 0;
  int32_t Score = 0;
  int32_t HiScore = 0;
  int32_t Runner = 0;
  int32_t Difficulty = 0;
  int32_t ProceedLevel = -1;
  int32_t TimeBonus = 0;
  int32_t PilzCount = 0;
  int32_t ScoreDifficulty = 0;

  // Modes and screens
  bool Demomode = false;
  bool GameRunning = false;
  bool ShowSplash = false;
  bool ShowHiScores = false;
  int64_t HiScoresShownAt = 0;
  bool NameEntryActive = false;
  bool StartGameRequested = false;
  int64_t StartMenuAt = 0;  // the attract mode was left: the start menu comes up then (wall clock)
  int32_t FinalPhase = 0;
  int64_t FinalPhaseAt = 0;
  int32_t GameOverBusy = 0;
  bool Paused = false;
  bool PauseToggleRequested = false;
  bool PauseKeyWasDown = false;  // F5 toggles on its press, not again while held
  bool CloseRequested = false;
  int64_t LastEscAt = 0;

  // The current attempt
  bool Tot = false;
  int64_t TotAt = 0;
  std::string KillReason;
  bool MissionCompleted = false;
  int64_t MissionCompletedAt = 0;
  int32_t FreeRunnerPhase = 0;
  int64_t RunnerReleasedAt = 0;
  int64_t LevelStartedAt = 0;  // when the level of the current attempt was built
  int32_t KochErlegtStatus = 0;
  int32_t EndWaitStatus = 0;
  bool EndTextShown = false;
  int64_t BonusCountAt = 0;
  bool RefreshImages = false;
  int64_t LastUpdateAt = 0;
  int32_t UpdateInterval = 5;
  int64_t AppStartedAt = 0;
  int64_t LastFrameAt = 0;
  int64_t FrameElapsed = 0;
  int64_t LastCaptionAt = 0;
  bool NavUp = false, NavDown = false, NavLeft = false, NavRight = false, NavJump = false;
  float RunnerX = 0, RunnerY = 0, RunnerHoehe = 0;
  int32_t RunnerFigNr = 0;
  int32_t DemoFrame = 0;
  float DemoStepCount = 0;
  // The attract mode's replayed demo: a level played by the rules themselves, steered by the keys of
  // its proving replay (DemoKeys, ReplayKey bits of the current frame) instead of a recording.
  bool DemoReplay = false;
  int32_t DemoReplayDifficulty = 2;
  uint8_t DemoKeys = 0;
  int32_t DemoCycle = 0;  // how many demos the attract mode has begun since it was entered
  // The attract mode plays its recording: the runner and the monsters follow it, not the rules.
  bool RecordedDemo() const { return Demomode && !DemoReplay; }
  // First-game goal line: shown from a first game's start until the player's first move.
  bool ShowGoalLine = false;
  int64_t LastBonusAt = 0;

  // Steering (runner movement and input)
  float TargetX = 0, TargetY = 0;
  int64_t SteerSeenAt = 0;
  // A direction pressed while the runner walks between cells counts once at the next cell, even
  // when let go before: quick taps are never lost. Bits as the recording's steering (1 down, 2 up,
  // 4 left, 8 right); the keys seen at the last update pass tell a new press from a held key.
  uint8_t PendingStep = 0;
  uint8_t SteerKeysSeen = 0;
  int64_t SteerKeysSeenAt = -1;
  int64_t SteerReleasedAt = 0;
  int64_t BallKilledAt = 0;
  int32_t BallKillDirection = 0;
  int32_t GMonsterPhase = 0;
  int32_t GMonsterFigNr = 0;
  bool ShowNavButtons = false;
  int32_t DownKeyCode = 40;
  int32_t UpKeyCode = 38;
  std::array<uint8_t, 256> KeyState{};
  bool KeyDown(int vk) const { return vk >= 0 && vk < 256 && (KeyState[static_cast<size_t>(vk)] & 0x80); }

  // The walk-in of the next reserve runner
  int64_t FreeRunnerPhaseAt = 0;

  // The head-up display's moving parts, in the main form's layout units: the lost cook's spin and
  // rise, and the reserve cook's walk onto the field. The rules move these; SyncHud shows them.
  bool KochErlegtShown = false;
  float KochErlegtX = 0, KochErlegtY = 0, KochErlegtAngle = 0;
  int32_t WalkInCook = -1;  // the reserve cook that walks, or -1
  bool WalkInShown = false;
  float WalkInX = 0, WalkInY = 0;
  int32_t WalkInPicture = 0;  // 0 standing, 1 and 2 walking left, 3 and 4 walking down

  // Screens and timers
  int32_t ScreenshotCount = 0;
  float RotatingAngle = 0;
  FormTimer BonusTimer{false, 500, 0};
  std::array<int32_t, 7> DefaultSpeeds{4, 2, 2, 4, 4, 4, 2};
};

}  // namespace kirpo
