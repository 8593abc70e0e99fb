#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "common/Errors.h"
#include "game/Game.h"
#include "common/GameState.h"
#include "game/QuitQuestion.h"
#include "platform/AudioBackend.h"
#include "platform/Gamepads.h"
#include "platform/Host.h"
#include "platform/PadKeys.h"
#include "shell/Screens.h"
#include "sound/SlotSoundPlayer.h"

namespace kirpo {

class Host;
struct InputEvent;
class StartForm;
class NameEntryForm;

// The program around the game: start-up sequence, frame loop, the main form's timers and
// global keys, painting, screenshots and closing. The same code runs in a window and headless.
// shell/FrameLoop.cpp holds the frame grid, game time, the pause and the idle sleep;
// shell/ScreenRouting.cpp which screen is up and where input and the pads go; App.cpp the rest.
class App final : public ShellHooks {
 public:
  // Frames are produced at the reference timer granularity; the game's speed depends on it.
  static constexpr double FrameTickMs = 15.625;

  // Without a backend the sound effects play through SDL2_mixer.
  App(Host& host, std::string exe_dir, std::string data_dir, std::unique_ptr<AudioBackend> audio = nullptr);
  ~App() override;

  // Creates the form and runs the start-up sequence (installation, settings, data, attract mode).
  void StartUp();
  // The start-up for tools and tests that play one level: the data folder is used as it is (no
  // installation, nothing written there), and instead of the attract mode a new game starts on
  // the level, as the start menu starts one. The frame loop then runs as after StartUp.
  // before_level runs once the program's data is loaded, just before the level is built.
  void StartUpAtLevel(int32_t level, int32_t difficulty, const std::function<void(Game&)>& before_level = {});
  // The player's own program: game controllers steer, plugged in before or while it runs, and a
  // lost window focus pauses a game in play. Replays and tools leave this off, so neither a pad
  // lying on the desk nor another window changes their outcome.
  void PlayOnDesktop();
  // Frames that would read nothing new and draw nothing are not run (paused, a still screen): the
  // loop sleeps instead. Part of the desktop program; headless runs count every frame.
  void SkipIdleFrames(bool on) { skip_idle_frames_ = on; }
  // The real loop: runs until the window closes. Fatal errors leave as FatalErrorException.
  void Run();
  // One pass of the loop: window events, due timers and callbacks, and the frame tick when due.
  void Step();
  // Game clock of the next moment something is due.
  int64_t NextDue() const;
  // Paused, a screen that stands still, or the attract mode's splash or table: until this moment the frames would read nothing new and
  // draw nothing, so the real loop sleeps through them until an event or a timer (0: not idle).
  int64_t IdleUntil() const;
  // Headless: with a manual game clock, runs every due step up to the given time.
  void RunUntil(int64_t t);
  // Headless: with a manual game clock, runs every due step up to and including the next frame
  // tick. Frames are counted from the start of the frame loop.
  void RunFrame();
  int64_t FrameTicks() const { return frame_ticks_; }

  bool Closed() const { return closed_; }
  // What the window shows now (shell/Screens.cpp, with the ways from one screen to the next).
  Screen CurrentScreen() const;
  // The form shown in the window: the main form unless another screen is up.
  Form& CurrentForm();
  StartForm* GetStartForm() { return start_form_.get(); }
  NameEntryForm* GetNameEntryForm() { return name_entry_.get(); }
  Game& G() { return game_; }
  Host& GetHost() { return host_; }

  // ShellHooks
  void CloseMainForm() override;
  void ShowMainForm(bool visible) override;
  void ShowScreen(Form* form) override;
  void ShowStartForm() override;
  void CloseNameEntry() override {}
  void ShowNameEntryForm() override;
  bool IsFullScreen() override;
  void SetFullScreen(bool on) override;
  void OpenHelp() override;
  void OpenUrl(const std::string& url) override;
  void AskExitWholeGame() override;
  void ShowNotice(const std::string& text) override;
  void EndPause(Game& g) override;

 private:
  int64_t NextDue(bool frames, bool game_timers = true) const;
  // When the next timer is due whose run may change the picture on the screen.
  int64_t TimersSeenInThePicture() const;
  // The frame grid: frame index -> game clock, and the last frame at or before a moment.
  int64_t GridTime(int64_t index) const;
  int64_t GridIndexAtOrBefore(int64_t t) const;
  // A fatal error leaves the settings as an orderly close would: no game to resume.
  template <typename Fn>
  void LeavingOnFatalError(Fn&& fn);
  void StepOnce();
  // Game time follows the clock, less the pauses; while paused it stands still.
  void SyncGameTime();
  // Pauses or resumes the game at this moment of the clock.
  void SetPaused(bool on, int64_t now);
  void FrameTickIfDue();
  void StartFrameGridAtLevelStart();
  void FormCreate();
  void AfterFormCreate();
  // The other screens, created once and then only shown and hidden.
  void CreateForms();
  // The figures, settings and movie list that every start reads.
  void LoadStartUpData();
  void FormClose();
  void ProcessEvents();
  void RunFormTimers();
  // The pads' state into the frame's keyboard state: the d-pad and stick as arrows, A as space;
  // Start (and A) as Enter in the attract mode, Start as F5 in play. On the other screens the pads
  // press keys (PadKeys).
  void ApplyGamepads();
  // A pad button's press or release on the screen that is up, as the key it stands for.
  void PadKeyToScreen(const PadKey& k);
  // A new screen, or the end of a screen's wait: the pads' buttons held now act only once let go.
  void DropPadInput();
  // Losing the window focus pauses a game in play as the pause icon does.
  void PauseForFocusLoss();
  // The window's size, position and full screen in kirpo.ini, kept at close and used at start.
  void StoreWindowPlacement();
  static void StoreWindowPlacement(const Settings& s, const WindowPlacement& p);
  // What FormClose writes, for a close signal that comes while a dialog holds the main thread.
  std::function<void()> ClosingWrites();
  void RestoreWindowPlacement();
  void IdleHandlerTick();
  // A game is being played and its picture is up (playing or paused): Esc asks before it closes.
  bool PlayOnScreen() const;
  // Esc in play asks before it ends the program; returns whether a game is in play.
  bool AnswerQuitQuestion(int64_t now);
  // The question goes: a game it paused plays on.
  void EndQuitQuestion(int64_t now);
  void PaintFrame();
  // While paused: the kept game picture under the layout as it is now; nothing moves.
  void RepaintFrozen();
  // What the paused picture shows, as one number: the layout, the hint, the window's size.
  uint64_t FrozenLook();
  void PboxPaint(Canvas& canvas);
  void PaintScreen(Canvas& canvas);
  void DispatchInput(const InputEvent& e);
  // Places the picture in the canvas (16:10 between bars, or stretched) and scales the design space to it.
  void UsePicture(Canvas& canvas);
  void DrawBackdrop(Canvas& canvas);
  // F12: the picture as the player sees it into the pictures folder, and a notice that says so.
  void TakeScreenshot();
  void DrawNotice(Canvas& canvas);
  // The notice came or went since it was last drawn.
  bool NoticeChanged() const;
  void DrawHint(Canvas& canvas);
  // The speaker button (both images): switches sound on or off.
  void SpeakerToggle();
  void ShowSpeakerOffWhenSoundGaveUp();
  void CheckSoundFailure();

  Host& host_;
  bool desktop_ = false;
  bool own_dialog_focus_ = false;  // a question of the program took the focus; until the window has it back
  std::unique_ptr<Gamepads> pads_;
  PadKeys pad_keys_;
  std::map<int, int> pad_pressed_as_;  // pad key -> the key its press was delivered as
  std::string exe_dir_;
  std::unique_ptr<SlotSoundPlayer> sound_;  // outlives the game, which points to it
  Game game_;
  std::unique_ptr<StartForm> start_form_;
  std::unique_ptr<NameEntryForm> name_entry_;
  Form* screen_ = nullptr;  // the screen shown instead of the main form
  int input_epoch_ = 0;
  int64_t frames_painted_ = 0;      // game frames drawn and presented
  int64_t screen_painted_at_ = 0;  // when the screen that is up was last painted
  // The window shows the paused picture as drawn at frozen_painted_at_, looking as frozen_look_ says.
  bool frozen_shown_ = false;
  uint64_t frozen_look_ = 0;
  int64_t frozen_painted_at_ = 0;
  int64_t events_at_frame_ = 0;  // the host's event count at the last frame tick
  int64_t timers_due_at_frame_ = 0;  // when the next timer was due, after the last frame tick
  int64_t attract_still_until_ = 0;  // the last frame drew the attract mode's still picture, until then
  bool skip_idle_frames_ = false;
  bool frames_skipped_ = false;  // the last frames of the grid passed idle
  int64_t pictures_released_at_ = 0;
  // Keys held when the current screen appeared: they act on it only after being released.
  std::array<bool, 256> stale_keys_{};
  bool stale_key_typed_ = false;  // the last event was the dropped press of a stale key
  bool closed_ = false;
  bool closing_ = false;
  bool main_form_visible_ = true;
  bool stretch_ = false;  // "Stretch=1": the picture fills the window whatever its proportions
  // The hint of the control under the pointer shows after the pointer rests on it a moment.
  float mouse_x_ = -1, mouse_y_ = -1;
  std::string hint_;
  int64_t hint_since_ = 0;

  FormTimer start_fade_timer_{false, 500, 0};     // StartFensterEinblendenTimer
  FormTimer fade_timer_{false, 50, 0};            // FensterEinblendenTimer
  FormTimer speaker_timer_{false, 2000, 0};       // SpeakerButtonOffTimer
  bool frame_timer_enabled_ = false;              // IdleHandlerTimer
  int64_t frame_base_ = 0;
  int64_t frame_index_ = 0;
  int64_t frame_ticks_ = 0;
  int64_t level_start_seen_ = 0;
  int64_t paused_total_ = 0;  // the clock's time spent paused: game time is the clock's less this
  int64_t paused_at_ = 0;
  int64_t paused_frame_index_ = 0;
  QuitQuestion quit_question_;
  bool f12_was_down_ = false;
  bool in_screenshot_ = false;  // painting the frame a picture is taken of, which the notice is not part of
  std::string notice_;          // "Screenshot saved: ..." until notice_until_ (clock)
  int64_t notice_until_ = 0;
  bool notice_drawn_ = false;
  bool paused_for_question_ = false;  // the game ran when the question came up
};

template <typename Fn>
void App::LeavingOnFatalError(Fn&& fn) {
  try {
    fn();
  } catch (const FatalErrorException&) {
    if (game_.st.AppStartedAt != 0) game_.settings.WriteIni("Level", "0");
    throw;
  }
}

}  // namespace kirpo
