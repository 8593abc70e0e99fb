#include "shell/App.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <ctime>

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
#include "shell/Screenshot.h"
#include "game/MainFormLayout.h"
#include "game/QuitQuestion.h"
#include "scores/NameEntryForm.h"
#include "startmenu/StartForm.h"

namespace kirpo {

namespace {
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
  // Shown where and as large as it was left, once there is something to fade in, so the window
  // neither jumps nor stands black while the data is unpacked and loaded.
  host_.Show(true);
  speaker_timer_.Enable(true, GameTicks());
}

void App::StartUpAtLevel(int32_t level, int32_t difficulty, const std::function<void(Game&)>& before_level) {
  FormCreate();
  Game& g = game_;
  start_fade_timer_.Enable(true, GameTicks());
  g.st.AppStartedAt = std::max<int64_t>(GameTicks(), 1);
  LoadStartUpData();
  g.figures.BuildingImageStore = false;  // a missing store stays missing: nothing is written
  host_.Show(true);
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

void App::PaintScreen(Canvas& canvas) {
  frozen_shown_ = false;
  UsePicture(canvas);
  canvas.Clear(0xFF000000);
  screen_->Draw(canvas, 1.0f);
  DrawHint(canvas);
  DrawNotice(canvas);
  canvas.Flush();
}

void App::DrawBackdrop(Canvas& canvas) {
  canvas.Clear(0xFF000000);
  const Bitmap* bg = MainFormBackdrop(game_);
  if (bg && !bg->Empty())
    canvas.DrawBitmap(*bg, RectF{0, 0, float(bg->Width()), float(bg->Height())},
                      RectF{0, 0, float(canvas.Width()), float(canvas.Height())}, 1.0f);
}

void App::PaintFrame() {
  ++frames_painted_;
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
                            std::hash<float>{}(game_.PboxOpacity), uint64_t(quit_question_.Open()),
                            uint64_t(GameTicks() < notice_until_)};
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
    if (quit_question_.Open()) DrawQuitQuestion(game_);
    else DrawPausedPicture(game_);
    game_.PaintCanvas = nullptr;
    game_.mf.form.Draw(canvas, game_.PboxOpacity);
    DrawHint(canvas);
    DrawNotice(canvas);
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
  const int64_t now = GameTicks();
  if (TicksBetween(now, g.st.LastCaptionAt) >= 1000) {
    host_.SetCaption(host_.IsFullScreen() ? "" : WindowCaption);
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
      throw;
    }
    g.PaintCanvas = nullptr;
    canvas.EndKeep();
    ShowHudDifficulty(g);
    g.mf.form.Draw(canvas, g.PboxOpacity);
    DrawHint(canvas);
    DrawNotice(canvas);
  }
  canvas.Flush();
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
  // The picture the window shows, drawn a moment ago: running the game frame once more for it would
  // move the game on and cost as much as a frame with every large picture decoded afresh.
  std::string text = "Screenshot not saved: the window could not be read";
  if (std::unique_ptr<Bitmap> shown = host_.ReadPixels()) {
    const RectF r = host_.GetCanvas().PictureRect();
    const int left = std::max(0, int(r.left)), top = std::max(0, int(r.top));
    const int w = std::min(shown->Width() - left, int(r.Width())), h = std::min(shown->Height() - top, int(r.Height()));
    if (w > 0 && h > 0) {
      Bitmap picture(w, h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) picture.SetPixel(x, y, shown->Pixel(left + x, top + y));
      std::string why;
      const std::string folder = ScreenshotFolder();
      const std::string name = SaveScreenshot(picture, folder, std::time(nullptr), &why);
      text = !name.empty() ? "Screenshot saved: " + name : "Screenshot not saved: " + why;
      WriteLog(name.empty() ? text : "Screenshot saved: " + folder + name);
    }
  }
  notice_ = text;
  notice_until_ = GameTicks() + ScreenshotNoticeMs;
}

void App::DrawNotice(Canvas& canvas) {
  notice_drawn_ = !in_screenshot_ && GameTicks() < notice_until_;
  if (notice_drawn_) DrawScreenshotNotice(canvas, notice_);
}

bool App::NoticeChanged() const { return notice_drawn_ != (GameTicks() < notice_until_); }

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
  // The question stands outside the game: its time is a pause, so Cancel leaves the game exactly
  // as it was before the button.
  const bool was_paused = game_.st.Paused;
  SetPaused(true, GameTicks());
  DialogAnswer a;
  {
    CloseSignalOutcome outcome(0, ClosingWrites());
    a = AskYesNoCancel(
        "Do you want to exit whole game?\n\nYes: the game ends.  No: this cook dies.  Cancel: play on.");
  }
  SetPaused(was_paused, GameTicks());
  ExitWholeGameAnswered(game_, a == DialogAnswer::Yes, a == DialogAnswer::No);
}

void App::EndPause(Game&) { SetPaused(false, GameTicks()); }

void App::ShowNotice(const std::string& text) {
  own_dialog_focus_ = true;  // as for the kill question: the message box's focus is no reason to pause
  CloseSignalOutcome outcome(0, ClosingWrites());
  ShowInfoDialog(text, "OK");
}

}  // namespace kirpo
