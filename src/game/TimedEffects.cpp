#include "game/TimedEffects.h"

#include <algorithm>

#include "game/Collisions.h"
#include "game/Game.h"
#include "game/MainFormLayout.h"

namespace kirpo {

void BonusTimerTimer(Game& g) {
  GameState& st = g.st;
  if (!st.Tot && st.FreeRunnerPhase == -1 && st.TimeBonus > 0 && !st.Paused)
    st.TimeBonus = std::max(0, st.TimeBonus - 10);
}

void KochErlegtTick(Game& g) {
  GameState& st = g.st;
  ++st.KochErlegtStatus;
  if (st.KochErlegtStatus <= 100) {
    st.KochErlegtAngle += 3.6f;  // one full turn in a second
    return;
  }
  // A cook still below the top edge rises; one that has left the window ends the sequence.
  if (st.KochErlegtY > -KochErlegtHeight) {
    st.KochErlegtY -= 2;
    return;
  }
  st.KochErlegtShown = false;
  st.KochErlegtStatus = -1;
  g.timers.RemoveHiTimer(1);
}

void EndWaitDone(Game& g) { g.st.EndWaitStatus = -1; }

void b_cancelMouseUp(Game& g) {
  if (g.st.Demomode || g.st.FreeRunnerPhase != -1) return;
  g.shell->AskExitWholeGame();
}

void ExitWholeGameAnswered(Game& g, bool yes, bool no) {
  GameState& st = g.st;
  TSprite* runner = g.RunnerSprite();
  if (st.Demomode || !runner) return;
  if (yes) {
    if (st.Tot) {
      // Already lost while the question was open: the sequence runs, and the game ends after it.
      st.Runner = -1;
      return;
    }
    st.Runner = 0;
    KillRunner(g, *runner, nullptr, 0, "Game aborted");
  } else if (no && st.BonusTimer.Enabled) {
    KillRunner(g, *runner, nullptr, 0, "Killed by user");
  }
}

}  // namespace kirpo
