#pragma once
// The attract mode's demos: after the recorded demo of level 0 it shows, one per cycle, levels played
// from their proving replays, chosen for a monster on patrol, one put to sleep and one crushed.
#include <cstdint>
#include <string>
#include <vector>

namespace kirpo {

struct Game;

struct AttractDemo {
  int32_t level;
  int32_t difficulty;  // 0 Easy, 1 Hard, 2 Crazy: the monsters the level shows, as a game would
  // The level's proving replay when null; else the hand-written win "-show-<show>" of the same level
  // (a proof avoids what a demo wants to show, such as a monster put to sleep).
  const char* show = nullptr;
};

// The replayed demos in the order they are shown, after the recorded one.
const std::vector<AttractDemo>& AttractDemos();

// Where the data folder keeps a demo's replay: replays/<level>-<easy|hard|crazy>.txt for a proof,
// replays/<level>-<difficulty>-show-<show>.txt for a win written for the attract mode.
std::string DemoReplayPath(const std::string& data_dir, int32_t level, int32_t difficulty,
                           const char* show = nullptr);

// A demo has ended: the table for ten seconds, and the next demo of the cycle built behind it. A
// replay that is missing or unreadable gives its turn to the recorded demo.
void NextAttractDemo(Game& g);

// The table has gone: a replayed demo's level is built again, so that it starts as a fresh game
// does and its keys meet the runner at the frames they were proved at.
void BeginReplayDemo(Game& g);

// Once per frame of a replayed demo, before the rules run: this frame's keys. False when the
// script ended long ago without deciding the level (the attract mode then moves on).
bool StepReplayDemo(Game& g);

}  // namespace kirpo
