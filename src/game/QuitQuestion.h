#pragma once
#include <array>
#include <cstdint>

namespace kirpo {

struct Game;

// Esc in the middle of a game would throw the run away with one stray key: in play it asks first.
// Enter or Esc again ends the program, any other key goes back to the game. The keys are read from
// the frame's key state, so a tap between two frames counts as a press.
class QuitQuestion {
 public:
  enum class Answer { None, Asked, Quit, GoOn };

  // One frame's keys. in_play: a game is being played and its picture is shown. Keys this takes are
  // cleared from keys, so that they do nothing else in this frame.
  Answer Keys(std::array<uint8_t, 256>& keys, bool in_play);
  // Anything but a key (a click, a pad's start button) goes on as well.
  void Dismiss() { open_ = false; }
  bool Open() const { return open_; }
  // Keys pressed since the last frame that the question took: they stay with it until let go.
  const std::array<bool, 256>& Taken() const { return taken_; }

 private:
  bool open_ = false;
  std::array<bool, 256> before_{};
  std::array<bool, 256> taken_{};
};

// Over the dimmed, still game picture, in the style of the end texts: the question and its keys.
void DrawQuitQuestion(Game& g);

}  // namespace kirpo
