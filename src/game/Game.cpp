#include "game/Game.h"

#include "scores/HiScores.h"

namespace kirpo {

void ShellHooks::EndPause(Game& g) { g.st.Paused = false; }

Game::Game(const std::string& data_dir)
    : LevelScene(data_dir), settings(data_dir + "kirpo.ini"), hiscores_(std::make_unique<HiScoreBoard>()) {
  timers.UseTime(&st.Time);
}

Game::~Game() = default;

}  // namespace kirpo
