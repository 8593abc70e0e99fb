#pragma once
#include <span>

namespace kirpo {

// What the window shows, as the player would name it. The attract mode is Splash, Demo and Table;
// FinalPicture follows the last level (and the demo's run through it).
enum class Screen { Splash, Demo, Table, FinalPicture, StartMenu, NameEntry, Play, Paused, QuitQuestion, Closed };
const char* ScreenName(Screen s);

// What the player does, or lets happen, on a screen.
enum class ScreenEvent {
  Enter,
  Esc,
  F5,
  Backspace,
  OtherKey,    // any key the screen gives no meaning of its own (Space)
  TimePasses,  // the screen's own time runs out: the splash, the table
  GameEnds,    // the last cook is lost (or the kill question answered Yes) with a score for the table
};
const char* ScreenEventName(ScreenEvent e);

// One way from a screen to the next, and where the code that takes it lives.
struct ScreenTransition {
  Screen from;
  ScreenEvent event;
  Screen to;
  const char* where;
};

// Every transition the player can make between screens (tests/shell/ScreenFlowTest.cpp plays each
// one in the real program).
std::span<const ScreenTransition> ScreenTransitions();

}  // namespace kirpo
