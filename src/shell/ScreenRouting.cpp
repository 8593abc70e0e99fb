// Which screen is up, and where the window's input and the pads go: the main form, the start menu
// or the name entry, the quit question, the pause for a lost focus.
#include "shell/App.h"

#include "game/Input.h"
#include "platform/Clock.h"
#include "platform/Host.h"
#include "scores/HiScores.h"
#include "scores/NameEntryForm.h"
#include "startmenu/StartForm.h"

namespace kirpo {

void App::ProcessEvents() {
  Game& g = game_;
  const int epoch = input_epoch_;
  for (const InputEvent& e : host_.PollEvents()) {
    Canvas& c = host_.GetCanvas();
    switch (e.type) {
      case InputEvent::Type::Quit: FormClose(); return;
      case InputEvent::Type::Resized:
        if (g.st.AppStartedAt != 0) {
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
    // Input queued for a screen that a click or key of the same batch has replaced would start a
    // second outcome there.
    if (input_epoch_ != epoch) continue;
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
      if (quit_question_.Open() && !screen_) {
        // A click answers the question as any key but Enter and Esc does, and does nothing else.
        EndQuitQuestion(GameTicks());
        break;
      }
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
      // A press that changed the screen leaves the rest to the new one.
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
  // Behind another screen (the name entry) no game is being played.
  if (own_dialog_focus_ || !desktop_ || !st.GameRunning || st.Demomode || st.Paused || st.PauseToggleRequested ||
      screen_)
    return;
  if (game_.mf.b_pause && game_.mf.b_pause->on_mouse_up) game_.mf.b_pause->on_mouse_up(0, 0);
}

bool App::AnswerQuitQuestion(int64_t now) {
  GameState& st = game_.st;
  const bool in_play = PlayOnScreen();
  if (quit_question_.Open() && (!in_play || st.PauseToggleRequested)) {
    // The pad's start button or a screen that came up meanwhile: back to the game as it was.
    st.PauseToggleRequested = false;
    EndQuitQuestion(now);
  }
  switch (quit_question_.Keys(st.KeyState, in_play)) {
    case QuitQuestion::Answer::Asked:
      paused_for_question_ = !st.Paused;
      SetPaused(true, now);
      break;
    case QuitQuestion::Answer::Quit: FormClose(); break;
    case QuitQuestion::Answer::GoOn:
      // The key that answered acts on nothing else, also while it is held.
      for (size_t vk = 0; vk < stale_keys_.size(); ++vk)
        if (quit_question_.Taken()[vk]) stale_keys_[vk] = true;
      EndQuitQuestion(now);
      break;
    case QuitQuestion::Answer::None: break;
  }
  return in_play;
}

void App::EndQuitQuestion(int64_t now) {
  quit_question_.Dismiss();
  if (paused_for_question_) SetPaused(false, now);
  paused_for_question_ = false;
}

Form& App::CurrentForm() { return screen_ ? *screen_ : game_.mf.form; }

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

}  // namespace kirpo
