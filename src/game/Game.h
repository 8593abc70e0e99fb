#pragma once
#include <functional>
#include <memory>
#include <string>

#include "common/GameState.h"
#include "common/HiTimer.h"
#include "game/MainForm.h"
#include "game/ReplayScript.h"
#include "levels/LevelScene.h"
#include "settings/Settings.h"

namespace kirpo {

enum class DialogAnswer;
class Form;
struct HiScoreBoard;
struct Game;

// What the game asks of the program around it. The default does nothing, for tests and tools.
class ShellHooks {
 public:
  virtual ~ShellHooks() = default;
  virtual void CloseMainForm() {}
  // The main form becomes the window's screen again (true); false only notes that it is left.
  virtual void ShowMainForm(bool visible) { (void)visible; }
  // Shows a form as the window's one screen; nullptr means the main form. While another form is shown
  // the game frame does not run; timers, periodic callbacks, Esc, F5 and F12 go on.
  virtual void ShowScreen(Form* form) { (void)form; }
  virtual void ShowStartForm() {}
  virtual void CloseNameEntry() {}
  // Hides the main form and shows the name entry, prepared for the new entry (g.hiscores()).
  virtual void ShowNameEntryForm() {}
  virtual bool IsFullScreen() { return false; }
  virtual void SetFullScreen(bool on) { (void)on; }
  virtual void OpenHelp() {}
  // Opens a web address in the browser; failures are ignored.
  virtual void OpenUrl(const std::string& url) { (void)url; }
  // Asks the kill question; the answer is delivered later through the callback.
  virtual void AskExitWholeGame() {}
  // Tells the player something went wrong that the game lives with (a message box with OK).
  virtual void ShowNotice(const std::string& text) { (void)text; }
  // Ends a pause at once, as the play button would.
  virtual void EndPause(Game& g);
};

// Everything one running game owns. Tests and tools make a fresh one. The sprite and level
// routines see only their part of it (SpriteScene, LevelScene).
struct Game : LevelScene {
  explicit Game(const std::string& data_dir = {});
  ~Game();

  Settings settings;
  HiTimerService timers;
  MainForm mf;
  std::unique_ptr<HiScoreBoard> hiscores_;
  HiScoreBoard& hiscores() { return *hiscores_; }
  const HiScoreBoard& hiscores() const { return *hiscores_; }

  float TextFontSize = 48;

  // The attract mode's replayed demo: its script, the frame of it that plays, and the tick before.
  ReplayScript DemoScript;
  int64_t DemoScriptFrame = 0;
  int64_t DemoLastTickAt = 0;

  // Called before (after = false) and after every step of the runner; the demo recorder listens.
  std::function<void(Game&, TSprite& runner, bool after)> RunnerStepHook;

  ShellHooks* shell = &null_shell;

 private:
  ShellHooks null_shell;
};

}  // namespace kirpo
