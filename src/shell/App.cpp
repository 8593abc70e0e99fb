#include "shell/App.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "game/GameFlow.h"
#include "game/GameFrame.h"
#include "game/Hud.h"
#include "game/Input.h"
#include "game/TimedEffects.h"
#include "platform/Clock.h"
#include "platform/CloseSignals.h"
#include "platform/Desktop.h"
#include "platform/FileUtil.h"
#include "platform/Host.h"
#include "platform/Memory.h"
#include "common/Errors.h"
#include "scores/HiScores.h"
#include "shell/Install.h"
#include "game/MainFormLayout.h"
#include "scores/NameEntryForm.h"
#include "startmenu/StartForm.h"

namespace kirpo {

namespace {
const char* const kCaption = "Kirpo written by Vambrecht";
const char* const kDifficultyNames[3] = {"EASY", "HARD", "CRAZY"};
}  // namespace

App::App(Host& host, std::string exe_dir, std::string data_dir, std::unique_ptr<AudioBackend> audio)
    : host_(host),
      exe_dir_(std::move(exe_dir)),
      sound_(std::make_unique<SlotSoundPlayer>(data_dir, audio ? std::move(audio) : CreateMixerBackend())),
      game_(data_dir) {
  game_.shell = this;
  game_.sound = sound_.get();
}

App::~App() { game_.shell = nullptr; }

template <typename Fn>
void App::LeavingOnFatalError(Fn&& fn) {
  try {
    fn();
  } catch (const FatalErrorException&) {
    if (game_.st.AppStartedAt != 0) game_.settings.WriteIni("Level", "0");
    throw;
  }
}

void App::StartUp() {
  LeavingOnFatalError([this] {
    FormCreate();
    AfterFormCreate();
  });
}

void App::FormCreate() {
  SyncGameTime();
  WriteLog(" ");
  Game& g = game_;
  BuildMainForm(g);
  MainForm& m = g.mf;
  g.PboxOpacity = 0;
  m.PboxVisible = false;
  g.st.DefaultSpeeds = {4, 2, 2, 4, 4, 4, 2};
  // Each pair of menu icons shares one place; the tags say which of a pair shows when the menu opens.
  m.b_pause->visible = false;
  m.b_pause->tag = 1;
  m.b_play->visible = false;
  m.SpeakerButtonOff->visible = false;
  m.SpeakerButtonOff->tag = 1;
  m.SpeakerButtonOn->visible = false;
  m.SpeakerButtonOn->x = m.SpeakerButtonOff->x, m.SpeakerButtonOn->y = m.SpeakerButtonOff->y;
  m.b_gamepad->x = m.b_hand->x, m.b_gamepad->y = m.b_hand->y;
  m.b_play->x = m.b_pause->x, m.b_play->y = m.b_pause->y;
  m.b_hand->visible = false;
  m.b_gamepad->visible = false;
  m.b_gamepad->tag = 1;
  m.b_jump->visible = false;
  m.FullScreenButton->visible = false;
  m.b_help->visible = false;
  m.b_off->visible = false;
  m.KochErlegt->visible = false;
  m.b_off->on_click = [this] { game_.st.CloseRequested = true; };
  m.SpeakerButtonOn->on_mouse_up = [this](float, float) { SpeakerToggle(); };
  m.SpeakerButtonOff->on_mouse_up = [this](float, float) { SpeakerToggle(); };
  BindMainFormInput(g);
  BindDifficultyGlyph(g);
  g.st.UpdateInterval = 5;
  g.TextFontSize = 48;
  g.st.Level = 0;
}

void App::AfterFormCreate() {
  Game& g = game_;
  if (g.st.AppStartedAt != 0) return;
  WriteLog(" ");
  start_fade_timer_.Enable(true, GameTicks());
  MakeDirs(g.DataDir);
  // What an earlier run left when it was killed in the middle of a write.
  RemoveStaleTemporaries(g.DataDir);
  CheckInstallation(PackageDir(exe_dir_), g.DataDir);
  // Nothing would be kept from this start to the next, and nothing else would say why.
  if (const std::string why = g.settings.Problem(); !why.empty()) ShowNotice(why);
  g.st.AppStartedAt = std::max<int64_t>(GameTicks(), 1);
  LoadStartUpData();
  RestoreWindowPlacement();
  g.st.Demomode = true;
  g.world.Random.Reset();
  CreateForms();
  WriteLog("");
  g.st.ShowSplash = true;
  PrepareFirstRun(g);
  if (g.figures.BuildingImageStore) {
    g.figures.WriteImageStore();
    g.figures.BuildingImageStore = false;
  }
  // The store's copies were read for this start only: every figure now has what it shows.
  g.figures.ForgetStore();
  if (desktop_) ReturnFreedMemory();
  speaker_timer_.Enable(true, GameTicks());
}

void App::StartUpAtLevel(int32_t level, int32_t difficulty, const std::function<void(Game&)>& before_level) {
  FormCreate();
  Game& g = game_;
  start_fade_timer_.Enable(true, GameTicks());
  g.st.AppStartedAt = std::max<int64_t>(GameTicks(), 1);
  LoadStartUpData();
  g.figures.BuildingImageStore = false;  // a missing store stays missing: nothing is written
  if (difficulty < 0 || difficulty > 2) difficulty = 0;  // as a stored difficulty out of range
  g.st.Difficulty = difficulty;
  g.mf.DifficultyImageIndex = difficulty;
  g.mf.f1Difficulty->text = kDifficultyNames[difficulty];
  g.st.StartLevel = level;
  g.st.Demomode = false;
  g.st.GameRunning = true;
  g.world.Random.Reset();
  CreateForms();
  if (before_level) before_level(g);
  NewGame(g, 1);
  speaker_timer_.Enable(true, GameTicks());
}

void App::CreateForms() {
  start_form_ = std::make_unique<StartForm>(game_);
  start_form_->form.active = false;
  name_entry_ = std::make_unique<NameEntryForm>(game_);
  name_entry_->form.active = false;
}

void App::LoadStartUpData() {
  Game& g = game_;
  LoadMainFormFigures(g);

  int difficulty = g.settings.ReadInt("Difficulty", 0);
  // Only three difficulties exist; anything else stored by hand means the first.
  if (difficulty < 0 || difficulty > 2) difficulty = 0;
  g.st.Difficulty = difficulty;
  g.mf.DifficultyImageIndex = difficulty;
  g.mf.f1Difficulty->text = kDifficultyNames[difficulty];
  g.st.ProceedLevel = g.settings.ReadInt("ProceedLevel", -1);
  stretch_ = g.settings.ReadInt("Stretch", 0) == 1;

  ApplyNavButtons(g);
  LoadHiScores(g);
  g.figures.LoadMovieList();
  if (FileExists(g.DataDir + "image.store")) {
    g.figures.ReadImageStore();
  } else {
    g.figures.BuildingImageStore = true;
  }
}

void App::Run() {
  while (!closed_) {
    Step();
    if (closed_) break;
    const int64_t now = GameTicks();
    int64_t next = NextDue();
    const int64_t idle_until = skip_idle_frames_ ? IdleUntil() : 0;
    if (idle_until > now) next = std::min(TimersSeenInThePicture(), GridTime(GridIndexAtOrBefore(idle_until - 1) + 1));
    const int64_t wait = next - now;
    if (wait > 0) host_.WaitForEvent(static_cast<int>(std::min<int64_t>(wait, 100)));
  }
}

int64_t App::IdleUntil() const {
  if (!frame_timer_enabled_ || host_.EventsTaken() != events_at_frame_) return 0;
  // A timer that ran since (the killed cook's turn, the level clock) may have changed the picture.
  if (TimersSeenInThePicture() != timers_due_at_frame_) return 0;
  // A plugged-in pad is read at every frame: a held button repeats, and not every pad reports its
  // buttons as events.
  if ((pads_ && pads_->Open() > 0) || pad_keys_.AnyHeld()) return 0;
  // A held key is read at every frame: its repeats and the pause key's second press need them.
  for (bool down : host_.KeysDown())
    if (down) return 0;
  int64_t until;
  if (screen_) {
    if (screen_->dirty) return 0;
    until = screen_painted_at_ + 500;
  } else if (game_.st.Paused && frozen_shown_) {
    until = frozen_painted_at_ + 500;
  } else if (attract_still_until_ > 0 && attract_still_until_ == AttractStillPictureEndsAt(game_)) {
    until = attract_still_until_;
  } else {
    return 0;
  }
  // The hint of the control under the resting pointer appears on its own.
  if (!hint_.empty() && hint_since_ + 600 > game_.st.LastFrameAt) until = std::min(until, hint_since_ + 600);
  return until;
}

int64_t App::TimersSeenInThePicture() const {
  // The splash and the table cover the game: its own timers (the walk-in waiting for the table to
  // go) change nothing there.
  return NextDue(/*frames=*/false, /*game_timers=*/attract_still_until_ == 0 || screen_);
}

void App::RunUntil(int64_t t) {
  auto* manual = dynamic_cast<ManualClock*>(&GameClock());
  while (!closed_) {
    const int64_t due = NextDue();
    if (due > t) break;
    if (manual && due > manual->Now()) manual->Set(due);
    Step();
  }
  if (manual && manual->Now() < t) manual->Set(t);
}

void App::RunFrame() {
  auto* manual = dynamic_cast<ManualClock*>(&GameClock());
  const int64_t target = frame_ticks_ + 1;
  while (!closed_ && frame_ticks_ < target) {
    const int64_t due = NextDue();
    if (due == INT64_MAX) break;  // nothing will ever be due
    if (manual && due > manual->Now()) manual->Set(due);
    Step();
  }
}

int64_t App::NextDue() const { return NextDue(/*frames=*/true); }

int64_t App::NextDue(bool frames, bool game_timers) const {
  int64_t next = INT64_MAX;
  // The game's timers count game time, which stands still while paused.
  if (game_timers && !game_.st.Paused) {
    int64_t due = game_.timers.NextDue();
    const FormTimer& level_clock = game_.st.BonusTimer;
    if (level_clock.Enabled) due = std::min(due, level_clock.LastFired + level_clock.Interval);
    if (due != INT64_MAX) next = due + paused_total_;
  }
  auto consider = [&](const FormTimer& t) {
    if (t.Enabled) next = std::min(next, t.LastFired + t.Interval);
  };
  consider(start_fade_timer_);
  consider(fade_timer_);
  consider(speaker_timer_);
  if (screen_) next = std::min(next, screen_->NextDue());
  if (frames && frame_timer_enabled_)
    next = std::min(next, GridTime(frame_index_ + 1));
  return next;
}

int64_t App::GridTime(int64_t index) const {
  return frame_base_ + static_cast<int64_t>(std::ceil(static_cast<double>(index) * FrameTickMs));
}

int64_t App::GridIndexAtOrBefore(int64_t t) const {
  return static_cast<int64_t>(std::floor(static_cast<double>(t - frame_base_) / FrameTickMs));
}

void App::SpeakerToggle() {
  MainForm& m = game_.mf;
  if (sound_->SoundOn()) {
    m.SpeakerButtonOn->visible = false;
    m.SpeakerButtonOff->visible = true;
    sound_->SetSoundOn(false);
    sound_->StopSound();
    return;
  }
  if (!sound_->StartSound()) return;  // no device or a sound file missing: sound stays off
  if (m.b_menue->opacity == 1.0f) {
    m.SpeakerButtonOn->visible = true;
    m.SpeakerButtonOff->visible = false;
  } else {
    m.SpeakerButtonOn->tag = 1;
    m.SpeakerButtonOff->tag = 0;
  }
  sound_->SetSoundOn(true);
}

void App::CheckSoundFailure() {
  // A failure of the audio stream is found by the sound worker and ends the program here, on the
  // main thread.
  if (const int code = sound_->FatalCode()) FatalError(code, sound_->FatalText());
  ShowSpeakerOffWhenSoundGaveUp();
}

void App::ShowSpeakerOffWhenSoundGaveUp() {
  // A worker that gave up after repeated failures switched sound off on its own thread; the
  // speaker must not go on claiming sound is on (a click on it tries again). Only for this run:
  // nothing is stored.
  MainForm& m = game_.mf;
  if (sound_->SoundOn()) return;
  if (m.SpeakerButtonOn->visible) {
    m.SpeakerButtonOn->visible = false;
    m.SpeakerButtonOff->visible = true;
  } else if (m.b_menue->opacity != 1.0f && m.SpeakerButtonOn->tag == 1) {
    // The menu is folded: its next opening shows the off icon.
    m.SpeakerButtonOn->tag = 0;
    m.SpeakerButtonOff->tag = 1;
  }
}

void App::Step() {
  LeavingOnFatalError([this] { StepOnce(); });
}

void App::SyncGameTime() {
  if (!game_.st.Paused) game_.st.Time = GameTicks() - paused_total_;
}

void App::SetPaused(bool on, int64_t now) {
  GameState& st = game_.st;
  if (on == st.Paused) return;
  if (on) {
    SyncGameTime();
    st.Paused = true;
    paused_at_ = now;
    paused_frame_index_ = frame_index_;
    return;
  }
  // The pause is taken out of game time, and the frames go on from where they stopped, on the grid
  // they would have kept without it: the game then meets the same frames at the same moments.
  const int64_t length = std::max<int64_t>(0, now - paused_at_);
  paused_total_ += length;
  frame_base_ += length;
  frame_index_ = paused_frame_index_;
  st.Paused = false;
  SyncGameTime();
}

void App::StepOnce() {
  SyncGameTime();
  CheckSoundFailure();
  ProcessEvents();
  if (CloseSignalled()) FormClose();
  if (closed_) return;
  RunFormTimers();
  game_.timers.IdleHandler();
  if (frame_timer_enabled_) FrameTickIfDue();
  StartFrameGridAtLevelStart();
}

void App::FrameTickIfDue() {
  const int64_t now = GameTicks();
  if (skip_idle_frames_ && IdleUntil() > now) {
    // Nothing would change: the frames up to now pass without being run.
    frame_index_ = std::max(frame_index_, GridIndexAtOrBefore(now));
    frames_skipped_ = true;
    return;
  }
  if (frames_skipped_) {
    // Something woke the idle game between two frames: the next frame falls on the grid, as every
    // frame does, not at once.
    frame_index_ = std::max(frame_index_, GridIndexAtOrBefore(now - 1));
    frames_skipped_ = false;
  }
  if (now < GridTime(frame_index_ + 1)) return;
  // A late frame does not make up for the missed ones.
  frame_index_ = std::max(frame_index_ + 1, GridIndexAtOrBefore(now));
  ++frame_ticks_;
  events_at_frame_ = host_.EventsTaken();
  const int64_t still_before = AttractStillPictureEndsAt(game_);
  IdleHandlerTick();
  // Only a frame that began and ended in the same still picture has drawn it.
  const int64_t still_after = AttractStillPictureEndsAt(game_);
  attract_still_until_ = still_before == still_after && !screen_ ? still_after : 0;
  timers_due_at_frame_ = TimersSeenInThePicture();
}

// A level begins wherever inside a frame the game happens to build it: late in a frame that
// waited out the bonus count, or on a tick. Its frames then fall at their moments after the
// level's start, as in a game started on that level, so the walk-in, the level clock and the
// monsters meet the player's keys at the same frames however the level was reached.
void App::StartFrameGridAtLevelStart() {
  const int64_t started = game_.st.LevelStartedAt;
  if (started == level_start_seen_) return;
  level_start_seen_ = started;
  // What the last level and the build of this one freed goes back to the system.
  if (desktop_) ReturnFreedMemory();
  if (!frame_timer_enabled_) return;  // the loop starts later, a whole number of frames after the level
  frame_base_ = started + paused_total_;
  frame_index_ = static_cast<int64_t>(static_cast<double>(GameTicks() - frame_base_) / FrameTickMs);
}

void App::ProcessEvents() {
  Game& g = game_;
  const int epoch = input_epoch_;
  for (const InputEvent& e : host_.PollEvents()) {
    Canvas& c = host_.GetCanvas();
    switch (e.type) {
      case InputEvent::Type::Quit: FormClose(); return;
      case InputEvent::Type::Resized:
        if (nested_ == 0 && g.st.AppStartedAt != 0) {
          if (screen_) PaintScreen(c), host_.Present();
          else g.st.Paused ? RepaintFrozen() : PaintFrame();
        }
        break;
      case InputEvent::Type::MouseMove: {
        mouse_x_ = e.x, mouse_y_ = e.y;
        const std::string hint = CurrentForm().HintAt(e.x, e.y, c.Width(), c.Height());
        if (hint != hint_) hint_ = hint, hint_since_ = GameTicks();
        break;
      }
      case InputEvent::Type::FocusLost: PauseForFocusLoss(); continue;
      case InputEvent::Type::FocusGained: own_dialog_focus_ = false; continue;
      case InputEvent::Type::ToggleFullScreen:
        if (g.mf.FullScreenButton && g.mf.FullScreenButton->on_click) g.mf.FullScreenButton->on_click();
        continue;
      case InputEvent::Type::KeyUp:
        if (e.vk > 0 && e.vk < 256 && stale_keys_[static_cast<size_t>(e.vk)]) {
          stale_keys_[static_cast<size_t>(e.vk)] = false;
          continue;
        }
        break;
      default: break;
    }
    if (closed_) return;
    // Input that arrived while a form waited in one of its delays, or that was queued before a delay or
    // a screen change that has happened since, would start a second outcome.
    if (input_blocked_ > 0 || input_epoch_ != epoch) continue;
    DispatchInput(e);
    CurrentForm().dirty = true;
  }
}

void App::DispatchInput(const InputEvent& e) {
  Game& g = game_;
  Canvas& c = host_.GetCanvas();
  Form& form = CurrentForm();
  // The characters a key types arrive right after its press: those of a stale key go with it.
  const bool after_stale_key = stale_key_typed_;
  stale_key_typed_ = false;
  switch (e.type) {
    case InputEvent::Type::MouseDown:
      if (g.st.AppStartedAt == 0) break;
      if (!form.MouseDown(e.x, e.y, c.Width(), c.Height()) && !screen_ && main_form_visible_ && e.button == 1)
        pboxMouseDown(g, e.x, e.y, c.Width(), c.Height());
      break;
    case InputEvent::Type::MouseUp: form.MouseUp(e.x, e.y, c.Width(), c.Height()); break;
    case InputEvent::Type::MouseMove: form.MouseMove(e.x, e.y, c.Width(), c.Height()); break;
    case InputEvent::Type::Wheel: form.Wheel(e.x, e.y, e.wheel_x, e.wheel_y, c.Width(), c.Height()); break;
    case InputEvent::Type::KeyDown:
      // A key held since before this screen appeared was meant for the one before.
      if (e.vk > 0 && e.vk < 256 && stale_keys_[static_cast<size_t>(e.vk)]) {
        stale_key_typed_ = true;
        break;
      }
      form.KeyDown(e.vk, e.repeat);
      break;
    case InputEvent::Type::KeyUp: form.KeyUp(e.vk); break;
    case InputEvent::Type::Text:
      if (!after_stale_key) form.TextInput(e.text);
      break;
    default: break;
  }
}

void App::PlayOnDesktop() {
  desktop_ = true;
  skip_idle_frames_ = true;
  if (!pads_) pads_ = std::make_unique<Gamepads>();
}

void App::ApplyGamepads() {
  if (!pads_) return;
  GameState& st = game_.st;
  const std::vector<PadKey> keys = pad_keys_.Read(pads_->Read(), GameTicks());
  if (screen_) {
    const int epoch = input_epoch_;
    for (const PadKey& k : keys) {
      // A press that changed the screen, or waited in a delay, leaves the rest to the new one.
      if (input_epoch_ != epoch) break;
      PadKeyToScreen(k);
    }
    return;
  }
  const PadState pad = pad_keys_.Live();
  auto hold = [&st](bool down, int vk) {
    if (down) st.KeyState[vk] |= 0x80;
  };
  hold(pad.up, VK_UP);
  hold(pad.down, VK_DOWN);
  hold(pad.left, VK_LEFT);
  hold(pad.right, VK_RIGHT);
  hold(pad.a, VK_SPACE);
  for (const PadKey& k : keys) {
    if (!k.down || k.repeat) continue;
    // The attract mode opens the start menu for A as well: what a player with a pad tries first.
    if (st.Demomode && (k.vk == VK_RETURN || k.vk == VK_GAMEPAD_A)) hold(true, VK_RETURN);
    else if (!st.Demomode && st.GameRunning && k.vk == VK_RETURN) st.PauseToggleRequested = true;
  }
  // Back steps back in the other screens only: in play a step back would be Esc, which closes the
  // program, and the pad never closes it.
}

void App::DropPadInput() {
  if (!pads_) return;
  pad_keys_.Read(pads_->Read(), GameTicks());
  pad_keys_.HeldBecomeStale();
  pad_pressed_as_.clear();
}

void App::PadKeyToScreen(const PadKey& k) {
  Form& form = CurrentForm();
  if (k.down) {
    auto pressed = pad_pressed_as_.find(k.vk);
    if (k.repeat && pressed != pad_pressed_as_.end()) {
      form.KeyDown(pressed->second, true);
    } else {
      int as = k.vk;
      if (!form.KeyDown(k.vk, k.repeat) && k.fallback) {
        as = k.fallback;
        form.KeyDown(as, k.repeat);
      }
      pad_pressed_as_[k.vk] = as;
    }
  } else {
    auto pressed = pad_pressed_as_.find(k.vk);
    const int as = pressed != pad_pressed_as_.end() ? pressed->second : k.vk;
    pad_pressed_as_.erase(k.vk);
    form.KeyUp(as);
  }
  CurrentForm().dirty = true;
}

void App::PauseForFocusLoss() {
  GameState& st = game_.st;
  // Only a game the player is playing; coming back does not unpause, the player does.
  if (own_dialog_focus_ || !desktop_ || !st.GameRunning || st.Demomode || st.Paused || st.PauseToggleRequested) return;
  if (game_.mf.b_pause && game_.mf.b_pause->on_mouse_up) game_.mf.b_pause->on_mouse_up(0, 0);
}

void App::StoreWindowPlacement() { StoreWindowPlacement(game_.settings, host_.Placement()); }

void App::StoreWindowPlacement(const Settings& s, const WindowPlacement& p) {
  s.WriteIni("FullScreen", p.full ? "1" : "0");
  if (p.w <= 0 || p.h <= 0) return;  // no window: nothing to remember
  s.WriteIni("WindowLeft", std::to_string(p.x));
  s.WriteIni("WindowTop", std::to_string(p.y));
  s.WriteIni("WindowWidth", std::to_string(p.w));
  s.WriteIni("WindowHeight", std::to_string(p.h));
}

void App::RestoreWindowPlacement() {
  const Settings& s = game_.settings;
  WindowPlacement p = host_.Placement();
  p.full = s.ReadInt("FullScreen", 0) == 1;
  const int w = s.ReadInt("WindowWidth", 0), h = s.ReadInt("WindowHeight", 0);
  if (w > 0 && h > 0) {
    p.w = w, p.h = h;
    p.x = s.ReadInt("WindowLeft", p.x);
    p.y = s.ReadInt("WindowTop", p.y);
  }
  host_.Restore(p);
}

void App::RunFormTimers() {
  Game& g = game_;
  const int64_t now = GameTicks();
  if (start_fade_timer_.Due(now)) {
    start_fade_timer_.Enabled = false;
    g.PboxOpacity = 0;
    fade_timer_.Enable(true, now);
    frame_timer_enabled_ = true;
    frame_base_ = now;
    frame_index_ = 0;
  }
  if (fade_timer_.Due(now)) {
    fade_timer_.LastFired = now;
    if (g.PboxOpacity == 0) g.mf.PboxVisible = true;
    g.PboxOpacity += 0.05f;
    if (g.PboxOpacity >= 1) {
      g.PboxOpacity = 1;
      fade_timer_.Enabled = false;
    }
  }
  if (speaker_timer_.Due(now)) {
    speaker_timer_.Enabled = false;
    // Sound starts switched off; this switches it on as the speaker button would.
    SpeakerToggle();
  }
  if (!g.st.Paused && g.st.BonusTimer.Due(g.st.Now())) {
    g.st.BonusTimer.LastFired = g.st.Now();
    BonusTimerTimer(g);
  }
  if (screen_) {
    Form* form = screen_;
    const bool waited = form->Waiting();
    form->RunTimers(now);
    // What the pads did during the form's wait belongs to the moment before it: a button held now
    // acts only once let go.
    if (waited && screen_ == form && !form->Waiting()) {
      ++input_epoch_;
      DropPadInput();
    }
  }
}

void App::IdleHandlerTick() {
  Game& g = game_;
  GameState& st = g.st;
  if (st.CloseRequested) {
    FormClose();
    if (closed_) return;
  }
  g.timers.IdleHandler();
  const int64_t now = GameTicks();
  st.FrameElapsed = now - st.LastFrameAt;
  if (st.FrameElapsed <= 0) return;
  st.LastFrameAt = now;
  st.KeyState = host_.ReadKeyState();
  // Keys held since before the current screen appeared do not act on it.
  for (size_t vk = 0; vk < st.KeyState.size(); ++vk) {
    if (stale_keys_[vk] && !host_.KeysDown()[vk]) stale_keys_[vk] = false;
    if (stale_keys_[vk]) st.KeyState[vk] = 0;
  }
  ApplyGamepads();
  if (st.KeyDown(VK_ESCAPE) && TicksBetween(now, st.LastEscAt) > 1000) {
    st.CloseRequested = true;
    st.LastEscAt = now;
  }
  // F5 acts on its press: held, it does not toggle again.
  const bool pause_key = st.KeyDown(VK_F5);
  const bool pause_pressed = pause_key && !st.PauseKeyWasDown;
  st.PauseKeyWasDown = pause_key;
  if (pause_pressed || st.PauseToggleRequested) {
    st.PauseToggleRequested = false;
    SetPaused(!st.Paused, now);
  }
  if (screen_) {
    // The game frame stands still while another screen is up, and an unchanged screen is not painted again.
    if (st.KeyDown(VK_F12)) TakeScreenshot();
    if (screen_->dirty || now - screen_painted_at_ >= 500) {
      screen_->dirty = false;
      screen_painted_at_ = now;
      PaintScreen(host_.GetCanvas());
      host_.Present();
    }
    return;
  }
  ShowPauseState(g);
  if (st.Paused) {
    // The paused picture stands still: it is drawn and presented again only when the layout, the
    // hint or the window changed (and now and again regardless, for what changes unseen).
    const uint64_t look = FrozenLook();
    if (!frozen_shown_ || look != frozen_look_ || now - frozen_painted_at_ >= 500) {
      RepaintFrozen();
      frozen_look_ = look;
      frozen_painted_at_ = now;
    }
    return;
  }
  if (st.KeyDown(VK_F12)) TakeScreenshot();
  if (TicksBetween(now, pictures_released_at_) >= 5000) {
    // The splash, a level's picture or the menu's sheet need not stay decoded once gone.
    g.figures.ReleaseUnusedPictures();
    pictures_released_at_ = now;
  }
  PaintFrame();
}

Form& App::CurrentForm() { return screen_ ? *screen_ : game_.mf.form; }

void App::PaintScreen(Canvas& canvas) {
  frozen_shown_ = false;
  UsePicture(canvas);
  canvas.Clear(0xFF000000);
  screen_->Draw(canvas, 1.0f);
  DrawHint(canvas);
  canvas.Flush();
}

void App::PaintCurrent(Canvas& canvas) {
  if (screen_) PaintScreen(canvas);
  else PboxPaint(canvas);
}

void App::DrawBackdrop(Canvas& canvas) {
  canvas.Clear(0xFF000000);
  const Bitmap* bg = MainFormBackdrop(game_);
  if (bg && !bg->Empty())
    canvas.DrawBitmap(*bg, RectF{0, 0, float(bg->Width()), float(bg->Height())},
                      RectF{0, 0, float(canvas.Width()), float(canvas.Height())}, 1.0f);
}

void App::PaintFrame() {
  frozen_shown_ = false;
  PboxPaint(host_.GetCanvas());
  host_.Present();
}

uint64_t App::FrozenLook() {
  Canvas& canvas = host_.GetCanvas();
  const bool hint_shown = !hint_.empty() && GameTicks() - hint_since_ >= 600;
  const uint64_t parts[] = {game_.mf.form.Fingerprint(),
                            uint64_t(canvas.Width()) << 32 | uint32_t(canvas.Height()),
                            uint64_t(hint_shown) << 1 | uint64_t(game_.mf.PboxVisible && main_form_visible_),
                            std::hash<std::string>{}(hint_),
                            std::hash<float>{}(mouse_x_) ^ std::hash<float>{}(mouse_y_) << 1,
                            std::hash<float>{}(game_.PboxOpacity)};
  uint64_t look = 0;
  for (uint64_t p : parts) look = look * 1000003u ^ p;
  return look;
}

void App::RepaintFrozen() {
  Canvas& canvas = host_.GetCanvas();
  if (game_.st.AppStartedAt == 0) return;
  frozen_shown_ = true;
  UsePicture(canvas);
  const bool picture = game_.mf.PboxVisible && main_form_visible_;
  if (!picture || !canvas.DrawKept()) DrawBackdrop(canvas);
  if (picture) {
    // Under the layout, so that the play button stays bright.
    game_.PaintCanvas = &canvas;
    DrawPausedPicture(game_);
    game_.PaintCanvas = nullptr;
    game_.mf.form.Draw(canvas, game_.PboxOpacity);
    DrawHint(canvas);
  }
  host_.Present();
}

void App::UsePicture(Canvas& canvas) {
  Game& g = game_;
  canvas.SetPictureAspect(stretch_ ? 0.0f : float(DesignWidth) / float(DesignHeight));
  g.PboxWidth = canvas.Width();
  g.PboxHeight = canvas.Height();
  g.ScaleX = canvas.Width() / float(DesignWidth);
  g.ScaleY = canvas.Height() / float(DesignHeight);
  g.FitScaleX = g.FitScaleY = std::min(g.ScaleX, g.ScaleY);
  g.TextFontSize = 48 * g.ScaleX;
}

void App::PboxPaint(Canvas& canvas) {
  Game& g = game_;
  if (g.st.AppStartedAt == 0) return;
  ++nested_;
  const int64_t now = GameTicks();
  if (TicksBetween(now, g.st.LastCaptionAt) >= 1000) {
    host_.SetCaption(host_.IsFullScreen() ? "" : kCaption);
    g.st.LastCaptionAt = now;
  }
  UsePicture(canvas);
  canvas.SetBackdrop([this](Canvas& c) { DrawBackdrop(c); });
  if (!g.mf.PboxVisible || !main_form_visible_) DrawBackdrop(canvas);
  if (g.mf.PboxVisible && main_form_visible_) {
    // The game picture is kept, so that while the game stands still (paused) the layout above it
    // can still change: the pause button turns into the play button at once.
    canvas.BeginKeep();
    g.PaintCanvas = &canvas;
    try {
      GameAction(g);
    } catch (...) {
      g.PaintCanvas = nullptr;
      canvas.EndKeep();
      --nested_;
      throw;
    }
    g.PaintCanvas = nullptr;
    canvas.EndKeep();
    g.mf.form.Draw(canvas, g.PboxOpacity);
    DrawHint(canvas);
  }
  canvas.Flush();
  --nested_;
}

void App::DrawHint(Canvas& canvas) {
  if (hint_.empty() || GameTicks() - hint_since_ < 600) return;
  // A hint shows only while its control is still visible under the pointer.
  if (CurrentForm().HintAt(mouse_x_, mouse_y_, canvas.Width(), canvas.Height()) != hint_) return;
  const float size = std::max(12.0f, 16.0f * canvas.Height() / 600.0f);
  const SizeF text = canvas.MeasureText(hint_, size, false);
  float x = mouse_x_ + 12, y = mouse_y_ + 18;
  x = std::min(x, canvas.Width() - text.width - 10);
  y = std::min(y, canvas.Height() - text.height - 6);
  const RectF box{x - 5, y - 2, x + text.width + 5, y + text.height + 2};
  canvas.FillRect(box, 0xFFFFFFE0, 0.95f);
  canvas.DrawText(hint_, RectF{x, y, x + text.width, y + text.height}, size, false, 0xFF202020, 1.0f,
                  TextAlign::Leading, TextAlign::Leading);
}

void App::TakeScreenshot() {
  Game& g = game_;
  ++g.st.ScreenshotCount;
  const float sx = g.ScaleX, sy = g.ScaleY;
  Canvas& screen = host_.GetCanvas();
  std::unique_ptr<Host> picture = CreateOffscreenHost(screen.Width(), screen.Height());
  if (picture) {
    picture->GetCanvas().Clear(0xFFFFFFFF);
    PaintCurrent(picture->GetCanvas());
    const std::string name = "hardcopy-" + std::to_string(g.st.ScreenshotCount) + "-Screen.png";
    if (auto bmp = picture->ReadPixels()) bmp->SavePng(name);
  }
  g.ScaleX = sx, g.ScaleY = sy;
  // One key press gives one file.
  Delay(2000, false);
}

void App::Delay(int ms, bool process_messages) {
  const int64_t start = GameTicks();
  if (ms <= 0) return;
  // Unwound by a fatal error from inside the wait as well.
  struct Nesting {
    App& app;
    bool blocks_input;
    Nesting(App& a, bool block) : app(a), blocks_input(block) {
      ++app.nested_;
      if (blocks_input) ++app.input_blocked_;
    }
    ~Nesting() {
      if (blocks_input) {
        --app.input_blocked_;
        // Input polled before the delay but not yet handed out belongs to the moment before it, too.
        ++app.input_epoch_;
        // So does what the pads did meanwhile on a screen: a button held now acts only after it is let go.
        if (app.screen_) app.DropPadInput();
      }
      --app.nested_;
    }
  } nesting(*this, process_messages);
  for (int i = 0; i < ms; ++i) {
    GameClock().Sleep(1);
    SyncGameTime();
    // A long wait inside a frame must not keep the program running past a failed audio stream.
    if (!closing_) CheckSoundFailure();
    if (process_messages && !closed_) {
      ProcessEvents();
      RunFormTimers();
      game_.timers.IdleHandler();
    }
    if (TicksBetween(GameTicks(), start) >= ms) break;
  }
}

void App::FormClose() {
  if (closing_ || closed_) return;
  closing_ = true;
  // The screen that is up keeps what the player entered there before the program ends.
  if (screen_ && screen_->on_close) screen_->on_close();
  game_.settings.WriteIni("Level", "0");
  StoreWindowPlacement();
  game_.sound->StopSound();
  closed_ = true;
}

void App::CloseMainForm() { FormClose(); }

std::function<void()> App::ClosingWrites() {
  // Taken now: the placement comes from the window system, which the dialog holds meanwhile.
  return [settings = game_.settings, placement = host_.Placement()] {
    settings.WriteIni("Level", "0");
    StoreWindowPlacement(settings, placement);
  };
}

void App::ShowMainForm(bool visible) {
  // One window: leaving the main form only means that another screen comes up next.
  main_form_visible_ = visible;
  if (visible) ShowScreen(nullptr);
}

void App::ShowScreen(Form* form) {
  if (form == &game_.mf.form) form = nullptr;
  if (form == screen_) return;
  Form& old = CurrentForm();
  old.active = false;
  old.ReleasePointer();
  screen_ = form;
  ++input_epoch_;
  main_form_visible_ = form == nullptr;
  Form& now = CurrentForm();
  now.active = true;
  now.dirty = true;
  stale_keys_ = host_.KeysDown();
  DropPadInput();
  host_.ForgetTaps();
  host_.SetTextInput(now.wants_text_input);
  hint_.clear();
  if (old.on_hide) old.on_hide();
  if (now.on_show) now.on_show();
}

void App::ShowStartForm() {
  if (start_form_) ShowScreen(&start_form_->form);
}

void App::ShowNameEntryForm() {
  // With a pad at hand its highlight is on the on-screen keyboard from the start.
  name_entry_->Prepare(game_.hiscores().NewRank, pads_ && pads_->Open() > 0);
  ShowScreen(&name_entry_->form);
}

bool App::IsFullScreen() { return host_.IsFullScreen(); }

void App::SetFullScreen(bool on) {
  host_.SetFullScreen(on);
  // Kept at once, so a program that does not close in order still starts the way it was left.
  game_.settings.WriteIni("FullScreen", on ? "1" : "0");
}

void App::OpenHelp() { OpenUrl("file://" + game_.DataDir + "help.html#Hilfe"); }

void App::OpenUrl(const std::string& url) { kirpo::OpenUrl(url); }

void App::AskExitWholeGame() {
  // The question's own window takes the focus; that is no reason to pause the game being asked about.
  // The window's focus loss reaches the queue only after the question, so it is ignored until the
  // window has the focus again.
  own_dialog_focus_ = true;
  DialogAnswer a;
  {
    CloseSignalOutcome outcome(0, ClosingWrites());
    a = AskYesNo("Do you want to exit whole game?");
  }
  ExitWholeGameAnswered(game_, a == DialogAnswer::Yes, a == DialogAnswer::No);
}

void App::ShowNotice(const std::string& text) {
  own_dialog_focus_ = true;  // as for the kill question: the message box's focus is no reason to pause
  CloseSignalOutcome outcome(0, ClosingWrites());
  ShowInfoDialog(text, "OK");
}

}  // namespace kirpo
