#include "game/Game.h"

#include "platform/Clock.h"

namespace kirpo {

void ShellHooks::Delay(int ms, bool process_messages) {
  (void)process_messages;
  if (ms > 0) GameClock().Sleep(ms);
}

void ShellHooks::EndPause(Game& g) { g.st.Paused = false; }

Game::Game(const std::string& data_dir) : DataDir(data_dir), figures(data_dir), settings(data_dir + "kirpo.ini") {
  timers.UseTime(&st.Time);
}

}  // namespace kirpo
