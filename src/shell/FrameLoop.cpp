// The frame loop: the clock's grid of frame ticks, the timers, game time and the pause, and the
// sleep between steps while nothing would change on the screen.
#include "shell/App.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "common/Errors.h"
#include "game/GameFrame.h"
#include "game/Input.h"
#include "game/TimedEffects.h"
#include "platform/Clock.h"
#include "platform/CloseSignals.h"
#include "platform/Host.h"
#include "platform/Memory.h"
#include "scores/HiScores.h"

namespace kirpo {

// The paused picture is drawn again unasked only this seldom: whatever the player can change on it
// (the layout, the pointer, a hint, the window) is an event that repaints it at once, so this is a
// safety net, and at two repaints a second it was most of what a paused game cost.
constexpr int64_t FrozenRefreshMs = 2000;

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
    until = frozen_painted_at_ + FrozenRefreshMs;
  } else if (attract_still_until_ > 0 && attract_still_until_ == AttractStillPictureEndsAt(game_)) {
    until = attract_still_until_;
  } else {
    return 0;
  }
  // The screenshot's notice goes on its own.
  if (notice_until_ > game_.st.LastFrameAt) until = std::min(until, notice_until_);
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
  const int64_t painted_before = frames_painted_;
  IdleHandlerTick();
  // Only a frame that began and ended in the same still picture, and painted, has drawn it: a tick
  // in the millisecond a game ended (the name entry's Enter) paints nothing.
  const int64_t still_after = AttractStillPictureEndsAt(game_);
  attract_still_until_ = still_before == still_after && !screen_ && frames_painted_ != painted_before ? still_after : 0;
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
    if (waited && screen_ == form && !form->Waiting()) DropPadInput();
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
  const bool in_play = AnswerQuitQuestion(now);
  if (closed_) return;
  if (!in_play && st.KeyDown(VK_ESCAPE) && TicksBetween(now, st.LastEscAt) > 1000) {
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
  // F12 acts on its press: held, it takes no second picture.
  const bool f12 = st.KeyDown(VK_F12);
  const bool f12_pressed = f12 && !f12_was_down_;
  f12_was_down_ = f12;
  if (screen_) {
    // The game frame stands still while another screen is up, and an unchanged screen is not painted again.
    if (screen_->dirty || f12_pressed || NoticeChanged() || now - screen_painted_at_ >= 500) {
      screen_->dirty = false;
      screen_painted_at_ = now;
      in_screenshot_ = f12_pressed;
      PaintScreen(host_.GetCanvas());
      host_.Present();
      in_screenshot_ = false;
    }
    if (f12_pressed) TakeScreenshot();
    return;
  }
  ShowPauseState(g);
  if (st.Paused) {
    // The paused picture stands still: it is drawn and presented again only when the layout, the
    // hint or the window changed (and now and again regardless, for what changes unseen).
    const uint64_t look = FrozenLook();
    if (!frozen_shown_ || look != frozen_look_ || now - frozen_painted_at_ >= FrozenRefreshMs) {
      RepaintFrozen();
      frozen_look_ = look;
      frozen_painted_at_ = now;
    }
    return;
  }
  if (TicksBetween(now, pictures_released_at_) >= 5000) {
    // The splash, a level's picture or the menu's sheet need not stay decoded once gone.
    g.figures.ReleaseUnusedPictures();
    pictures_released_at_ = now;
  }
  HoldTableForNewRow(g);
  // The frame a picture is taken of shows no notice of an earlier one.
  in_screenshot_ = f12_pressed;
  PaintFrame();
  in_screenshot_ = false;
  if (f12_pressed) TakeScreenshot();
}

}  // namespace kirpo
