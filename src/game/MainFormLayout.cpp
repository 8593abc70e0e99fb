#include "game/MainFormLayout.h"

#include <map>
#include <memory>

#include "game/Game.h"
#include "platform/EmbeddedFiles.h"
#include "sprites/FigureStore.h"

namespace kirpo {

namespace {
constexpr uint32_t kYellow = 0xFFFFFF00;
constexpr uint32_t kYellowGreen = 0xFF9ACD32;
constexpr uint32_t kTomato = 0xFFFF6347;

std::map<std::string, std::unique_ptr<Bitmap>>& PictureCache() {
  static std::map<std::string, std::unique_ptr<Bitmap>> cache;
  return cache;
}

// Figures of the data folder used by the form, made transparent like every figure.
std::map<int, std::unique_ptr<Bitmap>>& FigureCache() {
  static std::map<int, std::unique_ptr<Bitmap>> cache;
  return cache;
}

const Bitmap* FigurePicture(const std::string& data_dir, int n) {
  auto& cache = FigureCache();
  auto it = cache.find(n);
  if (it != cache.end()) return it->second.get();
  std::unique_ptr<Bitmap> bmp = Bitmap::Load(data_dir + "Neu" + std::to_string(n) + ".png");
  if (bmp) FigureStore::MakeTransparent(*bmp);
  return (cache[n] = std::move(bmp)).get();
}
}  // namespace

const Bitmap* FormPicture(const std::string& file_name) {
  auto& cache = PictureCache();
  auto it = cache.find(file_name);
  if (it != cache.end()) return it->second.get();
  std::unique_ptr<Bitmap> bmp;
  // Held as the bytes compiled in: once drawn, the picture's texture is its only copy.
  if (const EmbeddedFile* f = FindEmbeddedFile(file_name.c_str())) bmp = Bitmap::FromStaticPng(f->data, f->size);
  if (!bmp) {
    // A missing picture shows as a plain grey tile rather than nothing at all.
    bmp = std::make_unique<Bitmap>(50, 50, 0xC0808080);
  }
  return (cache[file_name] = std::move(bmp)).get();
}

float ReserveCookHomeX(int i) {
  static constexpr float x[5] = {234, 182, 130, 78, 26};
  return i >= 0 && i < 5 ? x[i] : x[0];
}

void BuildMainForm(Game& g) {
  MainForm& m = g.mf;
  Form& f = m.form;
  m.Hintergrund = &f.AddImage("Hintergrund", 0, 0, 960, 600, nullptr);
  m.Hintergrund->hit_test = false;
  // The background is drawn behind the game picture, not with the layout.
  m.Hintergrund->visible = false;

  m.f1MissionLabel = &f.AddLabel("f1MissionLabel", 544, 29, 60, 28, "LVL", 24, kYellow);
  m.f1Difficulty = &f.AddLabel("f1Difficulty", 832, 128, 129, 24, "EASY", 20, kYellowGreen, TextAlign::Center);
  m.f1ScoreLabel = &f.AddLabel("f1ScoreLabel", 338, 29, 90, 28, "SCORE", 24, kYellow);
  m.f1HiScoreLabel = &f.AddLabel("f1HiScoreLabel", 430, 29, 110, 28, "HISCORE", 24, kYellowGreen);
  m.f1Score = &f.AddLabel("f1Score", 328, 53, 100, 26, "OOOOOOO", 22, kYellow);
  m.f1Hiscore = &f.AddLabel("f1Hiscore", 434, 53, 100, 26, "OOOOOOO", 22, kYellowGreen);
  m.f1Mission = &f.AddLabel("f1Mission", 554, 53, 40, 26, "1", 22, kYellow);
  m.f1BonusLabel = &f.AddLabel("f1BonusLabel", 600, 29, 70, 28, "TIME", 24, kTomato);
  m.f1Bonus = &f.AddLabel("f1Bonus", 597, 53, 80, 26, "OOOOO", 22, kTomato);

  for (int i = 0; i < 5; ++i) {
    m.ReserveKoch[i] =
        &f.AddImage("ReserveKoch" + std::to_string(i + 1), ReserveCookHomeX(i), ReserveCookHomeY, 52, 52, nullptr);
    m.ReserveKoch[i]->hit_test = false;
  }
  const float pilz_xy[8][2] = {{780, 28}, {780, 54}, {754, 28}, {754, 54}, {730, 28}, {730, 54}, {706, 28}, {706, 54}};
  for (int i = 0; i < 8; ++i) {
    m.Pilz[i] = &f.AddImage("Pilz" + std::to_string(i + 1), pilz_xy[i][0], pilz_xy[i][1], 26, 26, nullptr);
    m.Pilz[i]->hit_test = false;
  }
  m.KochErlegt = &f.AddImage("KochErlegt", 748, 216, 52, KochErlegtHeight, nullptr);
  m.KochErlegt->hit_test = false;

  m.b_cancel = &f.AddImage("b_cancel", 871, 175, 50, 50, FormPicture("kill.png"));
  m.b_cancel->hint = "Kill";
  m.b_Difficulty = &f.AddImage("b_Difficulty", 871, 80, 50, 50, nullptr);
  m.b_rechts = &f.AddImage("b_rechts", 898, 407, 60, 60, FormPicture("arrow_right.png"));
  m.b_hoch = &f.AddImage("b_hoch", 866, 351, 60, 60, FormPicture("arrow_up.png"));
  m.b_runter = &f.AddImage("b_runter", 866, 463, 60, 60, FormPicture("arrow_down.png"));
  m.b_links = &f.AddImage("b_links", 834, 407, 60, 60, FormPicture("arrow_left.png"));
  m.b_jump = &f.AddImage("b_jump", 866, 255, 60, 60, FormPicture("mushroom.png"));
  // The menu's icons drop down in a column under its button, over the right panel, on a ground of
  // their own: a row along the top would hide the head-up display's labels and counts.
  m.MenuPanel = &f.AddPanel("MenuPanel", 846, 55, 100, 296, 0xFF141C34, 10);
  m.MenuPanel->stroke = 0xFF6F8FD0;
  m.MenuPanel->stroke_width = 1.5f;
  m.MenuPanel->hit_test = true;  // a click between two icons reaches nothing under them
  m.MenuPanel->visible = false;
  constexpr float kColumnX = 872;
  auto row = [](int i) { return 58.0f + 49.0f * float(i); };
  m.b_gamepad = &f.AddImage("b_gamepad", kColumnX, row(3), 48, 48, FormPicture("gamepad.png"));
  m.b_gamepad->hint = "Action buttons active";
  m.b_hand = &f.AddImage("b_hand", kColumnX, row(3), 48, 48, FormPicture("hand.png"));
  m.b_hand->hint = "Touch mode active";
  m.b_help = &f.AddImage("b_help", kColumnX, row(4), 48, 48, FormPicture("help.png"));
  m.b_help->hint = "Help";
  m.b_menue = &f.AddImage("b_menue", 871, 7, 50, 50, FormPicture("menu.png"));
  m.b_menue->hint = "Menu";
  m.b_menue->opacity = 0.5f;
  m.b_off = &f.AddImage("b_off", kColumnX, row(5), 48, 48, FormPicture("off.png"));
  m.b_off->hint = "Close";
  m.b_pause = &f.AddImage("b_pause", kColumnX, row(0), 48, 48, FormPicture("pause.png"));
  m.b_pause->hint = "Pause";
  m.b_play = &f.AddImage("b_play", kColumnX, row(0), 48, 48, FormPicture("play.png"));
  m.b_play->hint = "Play";
  m.FullScreenButton = &f.AddImage("FullScreenButton", kColumnX, row(2), 48, 48, FormPicture("fullscreen.png"));
  m.FullScreenButton->hint = "Switch to fullscreen and back";
  m.SpeakerButtonOff = &f.AddImage("SpeakerButtonOff", kColumnX, row(1), 48, 48, FormPicture("speaker_off.png"));
  m.SpeakerButtonOff->hint = "Sound is off";
  m.SpeakerButtonOn = &f.AddImage("SpeakerButtonOn", kColumnX, row(1), 48, 48, FormPicture("speaker_on.png"));
  m.SpeakerButtonOn->hint = "Sound is on";
  // Hidden until the menu opens: in their column they lie over the right panel's buttons.
  for (Widget* w : {m.b_gamepad, m.b_hand, m.b_help, m.b_off, m.b_pause, m.b_play, m.FullScreenButton,
                    m.SpeakerButtonOff, m.SpeakerButtonOn})
    w->visible = false;

  for (int i = 0; i < 5; ++i) m.IndicatorImages[i] = m.ReserveKoch[i];
  for (int i = 0; i < 8; ++i) m.IndicatorImages[5 + i] = m.Pilz[i];

  const char* difficulty_pictures[8] = {"easy.png", "hard.png", "crazy.png", "", "",
                                        "easy_black.png", "hard_black.png", "crazy_black.png"};
  for (int i = 0; i < 8; ++i)
    m.DifficultyImages[i] = *difficulty_pictures[i] ? FormPicture(difficulty_pictures[i]) : nullptr;
}

const Bitmap* MainFormBackdrop(Game& g) {
  constexpr int kBackdrop = 46;
  if (g.figures.HasImage(kBackdrop)) {
    if (const Bitmap* b = g.figures.Figure(kBackdrop); b && b->HasPixels()) return b;
  }
  return FigurePicture(g.DataDir, kBackdrop);
}

void LoadMainFormFigures(Game& g) {
  MainForm& m = g.mf;
  for (Widget* w : m.ReserveKoch) w->picture = FigurePicture(g.DataDir, 8);
  for (Widget* w : m.Pilz) w->picture = FigurePicture(g.DataDir, 19);
  m.KochErlegt->picture = FigurePicture(g.DataDir, 50);
  const int list[5] = {8, 7, 6, 15, 16};
  for (int i = 0; i < 5; ++i) m.ImageList1[i] = FigurePicture(g.DataDir, list[i]);
}

}  // namespace kirpo
