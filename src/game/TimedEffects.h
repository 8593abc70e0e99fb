#pragma once

namespace kirpo {

struct Game;

// The level clock's 500 ms tick.
void BonusTimerTimer(Game& g);
void KochErlegtTick(Game& g);
void EndWaitDone(Game& g);
// The kill button; asks through the shell and acts on the answer.
void b_cancelMouseUp(Game& g);
void ExitWholeGameAnswered(Game& g, bool yes, bool no);

}  // namespace kirpo
