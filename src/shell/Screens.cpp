// The screens and the ways between them, in one place. The state behind them is spread over the
// game state (attract mode, pause, final picture), the form that is up and the quit question;
// App::CurrentScreen reads them into one answer.
#include "shell/Screens.h"

#include <array>

#include "scores/NameEntryForm.h"
#include "shell/App.h"
#include "startmenu/StartForm.h"

namespace kirpo {

namespace {

constexpr std::array<ScreenTransition, 20> kTransitions{{
    // The attract mode: a press (Enter, a tap, the pad's A or Start) marks StartMenuAt, and the frame
    // brings the start menu up 750 ms later; Esc outside play closes at once.
    {Screen::Splash, ScreenEvent::Enter, Screen::StartMenu, "GameAction (game/GameFrame.cpp)"},
    {Screen::Splash, ScreenEvent::TimePasses, Screen::Demo, "GameAction: ten seconds of splash"},
    {Screen::Splash, ScreenEvent::Esc, Screen::Closed, "App::IdleHandlerTick (shell/FrameLoop.cpp)"},
    {Screen::Demo, ScreenEvent::Enter, Screen::StartMenu, "GameAction"},
    {Screen::Demo, ScreenEvent::Esc, Screen::Closed, "App::IdleHandlerTick"},
    {Screen::Table, ScreenEvent::TimePasses, Screen::Demo, "GameAction: ten seconds of table"},
    {Screen::Table, ScreenEvent::Esc, Screen::Closed, "App::IdleHandlerTick"},
    // The start menu hands its choice back through ShellHooks::ShowMainForm.
    {Screen::StartMenu, ScreenEvent::Enter, Screen::Play, "StartForm::NewGameButtonClick, then GameAction"},
    {Screen::StartMenu, ScreenEvent::Backspace, Screen::Demo, "StartForm::ExitbuttonClick, after its wait"},
    {Screen::StartMenu, ScreenEvent::Esc, Screen::Closed, "App::IdleHandlerTick"},
    // Play: F5 (or the pause icon, the pad's Start, a lost focus) pauses; Esc asks first.
    {Screen::Play, ScreenEvent::F5, Screen::Paused, "App::IdleHandlerTick, App::SetPaused"},
    {Screen::Play, ScreenEvent::Esc, Screen::QuitQuestion, "App::AnswerQuitQuestion (shell/ScreenRouting.cpp)"},
    {Screen::Play, ScreenEvent::GameEnds, Screen::NameEntry, "ShowEnterYourNameForm (scores/HiScores.cpp)"},
    {Screen::Paused, ScreenEvent::F5, Screen::Play, "App::IdleHandlerTick, App::SetPaused"},
    {Screen::Paused, ScreenEvent::Esc, Screen::QuitQuestion, "App::AnswerQuitQuestion"},
    {Screen::QuitQuestion, ScreenEvent::OtherKey, Screen::Play, "App::AnswerQuitQuestion: the game as it was"},
    {Screen::QuitQuestion, ScreenEvent::Esc, Screen::Closed, "App::AnswerQuitQuestion"},
    // The name entry saves on Enter and the table shows the new row; Esc saves what was typed.
    {Screen::NameEntry, ScreenEvent::Enter, Screen::Table, "NameEntryFinished (scores/HiScores.cpp)"},
    {Screen::NameEntry, ScreenEvent::Esc, Screen::Closed, "App::FormClose, Form::on_close"},
    {Screen::Table, ScreenEvent::Enter, Screen::Table, "HoldTableForNewRow: the new row stays 2.5 s"},
}};
// Not in the table, as no short play reaches them: a demo level ends -> Table (GameAction); the
// last level won -> FinalPicture, which after twelve seconds -> NameEntry (GameAction).

}  // namespace

const char* ScreenName(Screen s) {
  switch (s) {
    case Screen::Splash: return "Splash";
    case Screen::Demo: return "Demo";
    case Screen::Table: return "Table";
    case Screen::FinalPicture: return "FinalPicture";
    case Screen::StartMenu: return "StartMenu";
    case Screen::NameEntry: return "NameEntry";
    case Screen::Play: return "Play";
    case Screen::Paused: return "Paused";
    case Screen::QuitQuestion: return "QuitQuestion";
    case Screen::Closed: return "Closed";
  }
  return "?";
}

const char* ScreenEventName(ScreenEvent e) {
  switch (e) {
    case ScreenEvent::Enter: return "Enter";
    case ScreenEvent::Esc: return "Esc";
    case ScreenEvent::F5: return "F5";
    case ScreenEvent::Backspace: return "Backspace";
    case ScreenEvent::OtherKey: return "OtherKey";
    case ScreenEvent::TimePasses: return "TimePasses";
    case ScreenEvent::GameEnds: return "GameEnds";
  }
  return "?";
}

std::span<const ScreenTransition> ScreenTransitions() { return kTransitions; }

Screen App::CurrentScreen() const {
  const GameState& st = game_.st;
  if (closed_) return Screen::Closed;
  if (start_form_ && screen_ == &start_form_->form) return Screen::StartMenu;
  if (name_entry_ && screen_ == &name_entry_->form) return Screen::NameEntry;
  if (quit_question_.Open()) return Screen::QuitQuestion;
  if (st.Paused) return Screen::Paused;
  if (st.FinalPhase == 1) return Screen::FinalPicture;
  if (st.Demomode) {
    if (!st.GameRunning && st.ShowSplash) return Screen::Splash;
    return st.ShowHiScores ? Screen::Table : Screen::Demo;
  }
  return Screen::Play;
}

bool App::PlayOnScreen() const { return game_.st.GameRunning && !game_.st.Demomode && !screen_ && main_form_visible_; }

}  // namespace kirpo
