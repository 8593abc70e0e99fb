#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/Form.h"
#include "platform/HorizontalList.h"

namespace kirpo {

struct Game;

// The start menu (640 x 480 layout): a new game, the difficulty, or any level for training. It hands the
// choice back through StartLevel and StartGameRequested and the main form's difficulty glyph and label.
// Created once at start-up; each showing starts on the main panel with the focus on "New Game".
class StartForm {
 public:
  explicit StartForm(Game& g);

  Form form{640, 480};

  Widget *p_main = nullptr, *p_difficulty = nullptr, *p_training = nullptr;
  Widget *b_newgame = nullptr, *b_difficulty = nullptr, *b_Training = nullptr;
  Widget *b_easy = nullptr, *b_hard = nullptr, *b_crazy = nullptr;
  Widget *ListBoxBox = nullptr, *b_links = nullptr, *b_rechts = nullptr, *Glyph1 = nullptr;
  Widget *StartLevelButton = nullptr, *Exitbutton = nullptr, *Versionsnummer = nullptr, *KirpoLink = nullptr;
  Widget* HelpButton = nullptr;  // the help page: the goal, every key and pad button, every figure
  Widget *BratwickLink = nullptr, *BratwickFragezeichen = nullptr, *Bratwick_Icon = nullptr;
  Widget *Roboter = nullptr, *Monster1image = nullptr, *Monster2image = nullptr;
  std::unique_ptr<HorizontalList> ListBox1;
  LayoutTimer* Timer2 = nullptr;  // the decorative animation

  int SelectedLevel = 0;
  bool LevelListFilled = false;
  int RobotPhase = 0, Monster1Phase = 0, Monster2Phase = 0;

  void FormShow();
  // The only way back to the game: with a start request, or without one (back to the attract mode).
  void ReturnToCaller(bool start);
  void NewGameButtonClick();
  void b_difficultyClick();
  // Picks the difficulty 0 Easy, 1 Hard, 2 Crazy.
  void ReturnToMain(int difficulty);
  void b_TrainingClick();
  // Steps back: training or difficulty panel to the main panel, main panel to the attract mode.
  void ExitbuttonClick();
  void StartLevelButtonClick();
  void ListBox1Change();
  void Timer2Timer();

 private:
  Widget& CornerButton(const std::string& name, Widget* panel, float y, const std::string& caption);
  // Up and Down move the focus round the buttons of one panel; Enter or Space presses the focused one.
  void BindFocusRing(const std::array<Widget*, 3>& ring);
  void BuildTraining();
  void BuildLinks();
  void FillLevelList();
  // The picture of a corner button (the image inside it).
  Widget*& ButtonPicture(Widget* button);

  Game& g_;
  bool returning_ = false;
  std::array<Widget*, 6> button_pictures_{};
  std::array<Widget*, 6> buttons_{};
  std::array<const Bitmap*, 3> robot_frames_{};
  std::array<const Bitmap*, 4> monster1_frames_{}, monster2_frames_{};
  std::array<const Bitmap*, 3> difficulty_pictures_{};
};

// The frame of each figure for an animation counter value 0..12 (-1 leaves the frame as it was).
// Robot: 0 base, 1 and 2 the blinking and waving frames; monsters: 0 base, 1..3 their frames.
int RobotFrame(int phase);
int Monster1Frame(int phase);
int Monster2Frame(int phase);
// The link to the coming sibling app is live from 1 May 2023 (date as "yyyymmdd").
bool BratwickLinkLive(const std::string& yyyymmdd);

}  // namespace kirpo
