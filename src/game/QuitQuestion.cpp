#include "game/QuitQuestion.h"

#include "common/Consts.h"
#include "game/Game.h"
#include "game/Hud.h"

namespace kirpo {

QuitQuestion::Answer QuitQuestion::Keys(std::array<uint8_t, 256>& keys, bool in_play) {
  std::array<bool, 256> pressed{};
  bool any = false;
  for (size_t vk = 1; vk < keys.size(); ++vk) {
    const bool down = (keys[vk] & 0x80) != 0;
    pressed[vk] = down && !before_[vk];
    before_[vk] = down;
    any = any || pressed[vk];
  }
  taken_ = {};
  auto take = [&] {
    for (size_t vk = 0; vk < keys.size(); ++vk)
      if (pressed[vk]) taken_[vk] = true, keys[vk] = 0;
  };
  if (!open_) {
    if (!in_play || !pressed[VK_ESCAPE]) return Answer::None;
    open_ = true;
    take();
    return Answer::Asked;
  }
  if (!any) return Answer::None;
  open_ = false;
  const bool quit = pressed[VK_ESCAPE] || pressed[VK_RETURN];
  take();
  return quit ? Answer::Quit : Answer::GoOn;
}

void DrawQuitQuestion(Game& g) {
  Canvas* c = DrawTarget(g);
  if (!c) return;
  c->FillRect(RectF{0, 0, float(c->Width()), float(c->Height())}, 0xFF000000, 0.55f);
  WriteEndTextLine(g, "Quit the game?", 96, -0.6f);
  WriteEndTextLine(g, "Enter or Esc: quit    any other key: play on", 40, 0.9f);
}

}  // namespace kirpo
