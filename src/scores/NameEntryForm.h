#pragma once
#include <string>
#include <vector>

#include "platform/Form.h"

namespace kirpo {

struct Game;

// The name entry (1024 x 600 layout): the player types a name of up to twelve characters for a
// score in the top ten, on the on-screen keyboard (mouse or touch) or the physical one, and
// confirms with the OK image or Enter. Created once; ShowEnterYourNameForm prepares and shows it.
class NameEntryForm {
 public:
  explicit NameEntryForm(Game& g);

  Form form{1024, 600};

  Widget *PNPTitel = nullptr, *EYNLabel = nullptr, *PlayersName = nullptr;
  Widget *OKbutton = nullptr, *DeleteKey = nullptr, *DeleteLabel = nullptr;
  LayoutTimer* PNPTimer = nullptr;

  // The title, the empty field and the blink rate for the entry at this rank (0 = first).
  void Prepare(int rank);
  // A key of the on-screen keyboard, by its caption ("<" for the delete key).
  void AClick(const std::string& caption);
  void PNPTimerTimer();
  // Saves the entry with the name as it stands and returns to the game, which ends in the demo.
  void ReturnToCaller();
  // The program ends while the form is up: the name typed so far is saved all the same.
  void SaveBeforeClosing();
  // The key widgets of the on-screen keyboard, for tests: caption and cap.
  const std::vector<std::pair<std::string, Widget*>>& Keys() const { return keys_; }

 private:
  void AddKey(const std::string& caption, float x, float y, float w);
  void Hover(Widget& cap, bool on);
  bool KeyDown(int vk, bool repeat);
  void Text(const std::string& text);
  bool KeyUp(int vk);
  bool Save();

  Game& g_;
  std::vector<std::pair<std::string, Widget*>> keys_;
  bool saved_ = false;
};

}  // namespace kirpo
