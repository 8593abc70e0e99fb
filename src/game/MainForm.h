#pragma once
#include <array>
#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Form.h"

namespace kirpo {

// The main window's scaled layout (960 x 600 units): head-up display, buttons and menu icons.
struct MainForm {
  Form form{960, 600};
  bool PboxVisible = false;

  Widget* Hintergrund = nullptr;
  Widget *f1MissionLabel = nullptr, *f1Difficulty = nullptr, *f1ScoreLabel = nullptr, *f1HiScoreLabel = nullptr;
  Widget *f1Score = nullptr, *f1Hiscore = nullptr, *f1Mission = nullptr, *f1BonusLabel = nullptr,
         *f1Bonus = nullptr;
  std::array<Widget*, 5> ReserveKoch{};  // ReserveKoch1 .. ReserveKoch5
  std::array<Widget*, 8> Pilz{};         // Pilz1 .. Pilz8
  Widget* KochErlegt = nullptr;
  Widget *b_cancel = nullptr, *b_Difficulty = nullptr;
  Widget *b_rechts = nullptr, *b_hoch = nullptr, *b_runter = nullptr, *b_links = nullptr, *b_jump = nullptr;
  Widget *b_gamepad = nullptr, *b_hand = nullptr, *b_help = nullptr, *b_menue = nullptr, *b_off = nullptr;
  Widget *b_pause = nullptr, *b_play = nullptr, *FullScreenButton = nullptr;
  Widget *SpeakerButtonOff = nullptr, *SpeakerButtonOn = nullptr;
  Widget* MenuPanel = nullptr;  // the ground of the menu's icons, shown with them

  // Entries 0..4 the reserve cooks, 5..12 the mushroom indicators.
  std::array<Widget*, 13> IndicatorImages{};
  // ImageList1: the cook standing, walking left (two steps), walking down (two steps).
  std::array<const Bitmap*, 5> ImageList1{};
  // The difficulty pictures "easy", "hard", "crazy", then their "_black" variants at 5..7.
  std::array<const Bitmap*, 8> DifficultyImages{};
  int DifficultyImageIndex = 0;  // the glyph's own image index
};

}  // namespace kirpo
