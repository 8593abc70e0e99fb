#include "game/Game.h"

#include "platform/Clock.h"
#include "scores/HiScores.h"

namespace kirpo {

void ShellHooks::Delay(int ms, bool process_messages) {
  (void)process_messages;
  if (ms > 0) GameClock().Sleep(ms);
}

void ShellHooks::EndPause(Game& g) { g.st.Paused = false; }

Game::Game(const std::string& data_dir)
    : LevelScene(data_dir), settings(data_dir + "kirpo.ini"), hiscores_(std::make_unique<HiScoreBoard>()) {
  timers.UseTime(&st.Time);
}

Game::~Game() = default;

}  // namespace kirpo
