#pragma once
#include <string>
#include <vector>

#include "platform/Form.h"

namespace kirpo {

struct Game;

// The name entry (1024 x 600 layout): the player types a name of up to twelve characters for a
// score in the top ten, on the on-screen keyboard (mouse or touch) or the physical one, and
// confirms with the OK image or Enter. A pad (or the arrow keys) moves a highlight over the on-screen
// keyboard, and the pad's A presses the highlighted key. Created once; ShowEnterYourNameForm
// prepares and shows it.
class NameEntryForm {
 public:
  explicit NameEntryForm(Game& g);

  Form form{1024, 600};

  Widget *PNPTitel = nullptr, *EYNLabel = nullptr, *PlayersName = nullptr;
  Widget *OKbutton = nullptr, *DeleteKey = nullptr, *DeleteLabel = nullptr;
  Widget* PadHighlight = nullptr;  // the frame round the highlighted key
  LayoutTimer* PNPTimer = nullptr;

  // The title, the empty field and the blink rate for the entry at this rank (0 = first); the
  // highlight waits on the first key, shown at once when a pad is at hand, else at the first step.
  void Prepare(int rank, bool show_highlight = false);
  // A key of the on-screen keyboard, by its caption ("<" for the delete key).
  void AClick(const std::string& caption);
  void PNPTimerTimer();
  // Saves the entry with the name as it stands and returns to the game, which ends in the demo.
  void ReturnToCaller();
  // The program ends while the form is up: the name typed so far is saved all the same.
  void SaveBeforeClosing();
  // The key widgets of the on-screen keyboard, for tests: caption and cap.
  const std::vector<std::pair<std::string, Widget*>>& Keys() const { return keys_; }
  // The caption of the highlighted key ("<" for the delete key); empty while none is shown.
  std::string Highlighted() const;

 private:
  void AddKey(const std::string& caption, int row, float x, float y, float w);
  // A key is lit while the pointer is over it or the highlight is on it.
  void Light(Widget& cap);
  void Highlight(int index);
  // Up, down, left or right from the highlighted key: along a row round its ends, to the nearest
  // key of the row above or below, and no further than the top and bottom rows.
  void MoveHighlight(int vk);
  bool KeyDown(int vk, bool repeat);
  void Text(const std::string& text);
  bool KeyUp(int vk);
  bool Save();

  Game& g_;
  std::vector<std::pair<std::string, Widget*>> keys_;
  struct GridKey {
    std::string caption;
    Widget* cap;
    int row;
  };
  std::vector<GridKey> grid_;  // every key the highlight visits, the delete key too
  int highlighted_ = -1;       // index into grid_
  bool saved_ = false;
  bool enter_pressed_ = false;  // Enter went down while the form was up and has not been let go
};

}  // namespace kirpo
