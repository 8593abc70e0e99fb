#include "startmenu/StartForm.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "common/Consts.h"
#include "common/Errors.h"
#include "game/Game.h"
#include "game/MainFormLayout.h"
#include "platform/Clock.h"
#include "scores/LoadHiScores.h"

namespace kirpo {

namespace {
// A panel changes a moment after its button is pressed, so the press is seen to take.
constexpr int64_t kPanelWaitMs = 750;
}  // namespace

namespace {

// Everything lies in a 620 x 460 layout inside a 10-unit frame of the 640 x 480 form.
constexpr float kLeft = 10, kTop = 10, kWidth = 620;
constexpr uint32_t kYellow = 0xFFFFFF00;
constexpr uint32_t kMediumBlue = 0xFF0000CD;
constexpr int kLevelCount = LastLevel + 1;
// The level preview sheet: cells of 280 x 200 in rows of five.
constexpr int kPreviewSheet = 37;
constexpr float kCellW = 280, kCellH = 200;
const char* const kDifficultyNames[3] = {"EASY", "HARD", "CRAZY"};

RectF PreviewCell(int level) {
  const float x = float(level % 5) * kCellW, y = float(level / 5) * kCellH;
  return RectF{x, y, x + kCellW, y + kCellH};
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y%m%d", &local);
  return buf;
}

}  // namespace

int RobotFrame(int phase) { return phase == 8 ? 1 : phase == 10 ? 2 : 0; }

int Monster1Frame(int phase) {
  static constexpr int kFrames[13] = {1, 2, 3, 0, 3, 2, 1, 0, 0, 0, 0, 0, 0};
  return phase >= 0 && phase <= 12 ? kFrames[phase] : 0;
}

int Monster2Frame(int phase) {
  static constexpr int kFrames[13] = {1, 2, 1, 3, -1, 3, 0, 2, 0, -1, -1, -1, -1};
  return phase >= 0 && phase <= 12 ? kFrames[phase] : -1;
}

bool BratwickLinkLive(const std::string& yyyymmdd) { return yyyymmdd >= "20230501"; }

StartForm::StartForm(Game& g) : g_(g) {
  Widget& black = form.AddPanel("BlackBackground", 0, 0, 640, 480, 0xFF000000);
  black.fill_bottom = 0xFF0A1030;
  difficulty_pictures_ = {FormPicture("easy.png"), FormPicture("hard.png"), FormPicture("crazy.png")};

  auto panel = [&](const std::string& name, const std::string& title_name, const std::string& title) {
    Widget& p = form.AddPanel(name, kLeft, kTop, kWidth, 410, 0);
    Widget& t = form.AddLabel(title_name, kLeft, kTop + 8, kWidth, 60, title, 48, kYellow, TextAlign::Center);
    t.bold = true;
    t.parent = &p;
    return &p;
  };
  p_main = panel("p_main", "MaintTitle", "Menu");
  b_newgame = &CornerButton("b_newgame", p_main, 90, "New Game");
  b_difficulty = &CornerButton("b_difficulty", p_main, 200, "Difficulty");
  b_Training = &CornerButton("b_Training", p_main, 310, "Training");
  ButtonPicture(b_newgame)->picture = FormPicture("rakete.png");
  ButtonPicture(b_Training)->picture = FormPicture("hantel.png");
  b_newgame->on_click = [this] { NewGameButtonClick(); };
  b_difficulty->on_click = [this] { b_difficultyClick(); };
  b_Training->on_click = [this] { b_TrainingClick(); };
  BindFocusRing({b_newgame, b_difficulty, b_Training});

  p_difficulty = panel("p_difficulty", "PNPTitel", "Difficulty");
  b_easy = &CornerButton("b_easy", p_difficulty, 90, "Easy");
  b_hard = &CornerButton("b_hard", p_difficulty, 200, "Hard");
  b_crazy = &CornerButton("b_crazy", p_difficulty, 310, "Crazy");
  const std::array<Widget*, 3> levels{b_easy, b_hard, b_crazy};
  for (int d = 0; d < 3; ++d) {
    ButtonPicture(levels[d])->picture = difficulty_pictures_[d];
    levels[d]->on_click = [this, d] { ReturnToMain(d); };
  }
  BindFocusRing(levels);

  p_training = panel("p_training", "SelectLevelTitle", "Select Level");
  BuildTraining();
  BuildLinks();

  Versionsnummer = &form.AddLabel("Versionsnummer", 500, 12, 128, 20, "5-0-0", 14, 0xFFB0B0B0, TextAlign::Trailing);
  Exitbutton = &form.AddImage("Exitbutton", 8, 16, 50, 50, FormPicture("exit.png"));
  Exitbutton->on_click = [this] { ExitbuttonClick(); };
  Exitbutton->hint = "Back";

  HelpButton = &form.AddImage("HelpButton", 582, 34, 46, 46, FormPicture("help.png"));
  HelpButton->on_click = [this] { g_.shell->OpenHelp(); };
  HelpButton->hint = "Help (F1)";

  form.on_key_down = [this](int vk, bool) {
    if (vk == VK_F1) {
      g_.shell->OpenHelp();
      return true;
    }
    // Backspace (and a pad's Back) steps back like the exit image, so the whole menu works without a pointer.
    if (vk != VK_BACK && vk != VK_GAMEPAD_VIEW) return false;
    ExitbuttonClick();
    return true;
  };
  form.on_show = [this] { FormShow(); };
  form.on_hide = [this] { Timer2->Enable(false, GameTicks()); };
  Timer2 = &form.AddTimer(250, [this] { Timer2Timer(); });
}

Widget*& StartForm::ButtonPicture(Widget* button) {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i] == button) return button_pictures_[i];
  throw std::logic_error("not a corner button");
}

Widget& StartForm::CornerButton(const std::string& name, Widget* panel, float y, const std::string& caption) {
  constexpr float w = 420, h = 97, x = kLeft + (kWidth - w) / 2;
  Widget& b = form.AddPanel(name, x, y, w, h, 0xFFF4F7FF, 14);
  b.fill_bottom = 0xFFC4D2F0;
  b.stroke = 0xFF5A78B8;
  b.stroke_width = 2;
  b.parent = panel;
  b.hit_test = true;
  b.focusable = true;
  b.focus_frame = true;
  // Lit while the pointer is over it.
  b.on_mouse_enter = [&b] { b.fill = 0xFFFFFFFF, b.fill_bottom = 0xFFDCE6FF; };
  b.on_mouse_leave = [&b] { b.fill = 0xFFF4F7FF, b.fill_bottom = 0xFFC4D2F0; };
  Widget& pic = form.AddImage(name + "Picture", x + 8, y + 8, h - 16, h - 16, nullptr);
  pic.parent = &b;
  pic.hit_test = false;
  Widget& text = form.AddLabel(name + "Caption", x + h, y, w - h - 8, h, caption, 42, kMediumBlue, TextAlign::Center);
  text.valign = TextAlign::Center;
  text.parent = &b;
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (!buttons_[i]) {
      buttons_[i] = &b;
      button_pictures_[i] = &pic;
      break;
    }
  return b;
}

void StartForm::BindFocusRing(const std::array<Widget*, 3>& ring) {
  for (size_t i = 0; i < ring.size(); ++i) {
    Widget* next = ring[(i + 1) % ring.size()];
    Widget* previous = ring[(i + ring.size() - 1) % ring.size()];
    Widget* self = ring[i];
    self->on_key_down = [this, next, previous, self](int vk, bool) {
      if (vk == VK_DOWN) form.SetFocus(next);
      else if (vk == VK_UP) form.SetFocus(previous);
      else if (vk == VK_RETURN || vk == VK_SPACE) self->on_click();
      else return false;
      return true;
    };
  }
}

void StartForm::BuildTraining() {
  ListBoxBox = &form.AddPanel("ListBox1", kLeft, 80, 600, 112, 0xFF101020, 0);
  ListBoxBox->parent = p_training;
  ListBox1 = std::make_unique<HorizontalList>(*ListBoxBox, 148);
  ListBox1->on_change = [this](int) { ListBox1Change(); };
  ListBox1->on_item_click = [this](int index) {
    g_.st.StartLevel = index;
    ReturnToCaller(true);
  };
  ListBox1->paint_item = [](Canvas& c, const RectF& cell, const HorizontalList::Item& item, int, bool selected,
                            float s) {
    if (selected) c.FillRect(cell, 0xFF3A5FA8, 1.0f);
    const RectF icon{cell.left + 4 * s, cell.top + 4 * s, cell.left + 144 * s, cell.top + 104 * s};
    if (item.picture && !item.picture->Empty()) c.DrawBitmap(*item.picture, item.source, icon, 1.0f);
    if (selected) c.StrokeRoundRect(cell, 4 * s, 3 * s, kYellow, 1.0f);
    const RectF tag{cell.right - 33 * s, cell.top + 3 * s, cell.right - 3 * s, cell.top + 25 * s};
    DrawNumberTag(c, tag, item.text, selected ? kYellow : 0xFF808080, 0xFFFFFFFF, 3 * s, 15 * s, 0xFF000000);
  };
  ListBoxBox->on_key_up = [this](int vk) {
    if (vk != VK_RETURN && vk != VK_SPACE) return false;
    // The player sees the chosen level a moment before it starts.
    form.Wait(GameTicks(), 1000, [this] {
      g_.st.StartLevel = SelectedLevel;
      ReturnToCaller(true);
    });
    return true;
  };

  auto arrow = [&](const std::string& name, float x, const char* file, int step) {
    Widget& a = form.AddImage(name, x, 106, 60, 60, FormPicture(file));
    a.parent = p_training;
    a.repeat_ms = 150;
    a.on_repeat = [this, step] {
      const int target = ListBox1->Selected() + step;
      if (target >= 0 && target < ListBox1->Count()) ListBox1->Select(target);
    };
    a.on_mouse_down = [&a](float, float) { a.on_repeat(); };
    return &a;
  };
  b_links = arrow("b_links", kLeft - 8, "arrow_left.png", -1);
  b_rechts = arrow("b_rechts", kLeft + 568, "arrow_right.png", 1);

  Glyph1 = &form.AddPanel("Glyph1", kLeft + 10, kTop + 210, 280, 200, 0xFF000000, 6);
  Glyph1->stroke = 0xFF5A78B8;
  Glyph1->stroke_width = 2;
  Glyph1->parent = p_training;
  Glyph1->on_paint = [this](Canvas& c, const RectF& r) {
    const Bitmap* sheet = g_.figures.Figure(kPreviewSheet);
    if (!sheet || sheet->Empty()) return;
    const float inset = 3 * r.Width() / 280;
    c.DrawBitmap(*sheet, PreviewCell(SelectedLevel), RectF{r.left + inset, r.top + inset, r.right - inset,
                                                            r.bottom - inset}, 1.0f);
  };

  StartLevelButton = &form.AddPanel("StartLevelButton", kLeft + 330, kTop + 230, 260, 80, 0xFF48D860, 14);
  StartLevelButton->fill_bottom = 0xFF1C8A34;
  StartLevelButton->stroke = 0xFFE8FFE8;
  StartLevelButton->stroke_width = 2;
  StartLevelButton->parent = p_training;
  StartLevelButton->hit_test = true;
  StartLevelButton->on_click = [this] { StartLevelButtonClick(); };
  Widget& start = form.AddLabel("StartLabel", kLeft + 330, kTop + 230, 260, 80, "Start", 40, 0xFFFFFFFF,
                                TextAlign::Center);
  start.valign = TextAlign::Center;
  start.bold = true;
  start.parent = StartLevelButton;
  Widget& level = form.AddLabel("LevelLabel", kLeft + 330, kTop + 196, 260, 30, "", 20, kYellow, TextAlign::Center);
  level.parent = p_training;

  robot_frames_ = {FormPicture("robot.png"), FormPicture("robot1.png"), FormPicture("robot2.png")};
  monster1_frames_ = {FormPicture("monster1.png"), FormPicture("monster1_1.png"), FormPicture("monster1_2.png"),
                      FormPicture("monster1_3.png")};
  monster2_frames_ = {FormPicture("monster2.png"), FormPicture("monster2_1.png"), FormPicture("monster2_2.png"),
                      FormPicture("monster2_3.png")};
  Roboter = &form.AddImage("Roboter", kLeft + 335, kTop + 325, 80, 80, robot_frames_[0]);
  Monster1image = &form.AddImage("Monster1image", kLeft + 425, kTop + 335, 70, 70, monster1_frames_[0]);
  Monster2image = &form.AddImage("Monster2image", kLeft + 510, kTop + 335, 70, 70, monster2_frames_[0]);
  for (Widget* w : {Roboter, Monster1image, Monster2image}) {
    w->parent = p_training;
    w->hit_test = false;
  }
}

void StartForm::BuildLinks() {
  struct Link {
    const char* name;
    const char* icon;
    const char* text;
    const char* anchor;
  };
  static constexpr Link kLinks[5] = {
      {"KirpoLink", "link_kirpo.png", "KIRPO Windows", "kirpo-android"},
      {"KorvaneLink", "link_korvane.png", "KORVANE Remake by Vambrecht", "korvane"},
      {"SprekkoLink", "link_sprekko.png", "Multi User Sprekko", "sprekko"},
      {"DubbelLink", "link_dubbel.png", "Dubbel Forever", "dubbel"},
      {"BratwickLink", "link_bratwick.png", "BRATWICK", "bratwick"},
  };
  const bool bratwick_live = BratwickLinkLive(Today());
  // Each link is as wide as its icon and text; what is left over spreads evenly between them.
  constexpr float y = kTop + 422, kIcon = 31, kCharW = 5.6f;
  float used = 0;
  for (const Link& l : kLinks) used += kIcon + kCharW * float(std::string(l.text).size());
  const float gap = std::max(4.0f, (kWidth - used) / 5);
  float x = kLeft;
  for (int i = 0; i < 5; ++i) {
    const Link& l = kLinks[i];
    const float w = kIcon + kCharW * float(std::string(l.text).size()) + gap;
    const std::string url = "file://" + g_.DataDir + "help.html#" + l.anchor;
    Widget& icon = form.AddImage(std::string(l.name) + "Icon", x, y + 2, 28, 28, FormPicture(l.icon));
    icon.hit_test = false;
    Widget& label = form.AddLabel(l.name, x + kIcon, y, w - kIcon, 32, l.text, 10, kYellow);
    label.valign = TextAlign::Center;
    Widget& button = form.AddPanel(std::string(l.name) + "Button", x, y, w - gap, 32, 0);
    button.hit_test = true;
    button.hint = "Opens the help page about it";
    button.on_click = [this, url] { g_.shell->OpenUrl(url); };
    if (i == 0) KirpoLink = &label;
    if (i == 4) {
      BratwickLink = &label;
      Bratwick_Icon = &icon;
      BratwickFragezeichen = &form.AddLabel("BratwickFragezeichen", x, y, 28, 32, "?", 20, kYellow, TextAlign::Center);
      BratwickFragezeichen->valign = TextAlign::Center;
      if (bratwick_live) {
        BratwickFragezeichen->visible = false;
      } else {
        Bratwick_Icon->visible = false;
        BratwickLink->text = "Comming soon...";
      }
    }
    x += w;
  }
}

void StartForm::FormShow() {
  StartLevelButton->visible = true;
  p_main->visible = true;
  p_difficulty->visible = false;
  p_training->visible = false;
  Roboter->picture = robot_frames_[0];
  Monster1image->picture = monster1_frames_[0];
  Monster2image->picture = monster2_frames_[0];
  ButtonPicture(b_difficulty)->picture = difficulty_pictures_[static_cast<size_t>(g_.st.Difficulty % 3)];
  Timer2->Enable(true, GameTicks());
  form.SetFocus(b_newgame);
  KirpoLink->text = "KIRPO Android";
  Versionsnummer->text = "5-0-0";
  returning_ = false;
}

void StartForm::ReturnToCaller(bool start) {
  if (returning_) return;
  returning_ = true;
  g_.st.StartGameRequested = start;
  Timer2->Enable(false, GameTicks());
  const int d = g_.st.Difficulty % 3;
  if (g_.mf.f1Difficulty) g_.mf.f1Difficulty->text = g_.st.StartLevel < 1 ? kDifficultyNames[d] : "TRAINING";
  g_.shell->ShowMainForm(true);
}

void StartForm::NewGameButtonClick() {
  g_.st.StartLevel = 0;
  ReturnToCaller(true);
}

void StartForm::b_difficultyClick() {
  p_difficulty->visible = true;
  p_main->visible = false;
  const std::array<Widget*, 3> levels{b_easy, b_hard, b_crazy};
  form.SetFocus(levels[static_cast<size_t>(g_.st.Difficulty % 3)]);
}

void StartForm::ReturnToMain(int difficulty) {
  GameState& st = g_.st;
  st.Difficulty = difficulty;
  ButtonPicture(b_difficulty)->picture = difficulty_pictures_[static_cast<size_t>(difficulty)];
  g_.mf.DifficultyImageIndex = difficulty;
  p_main->visible = true;
  p_difficulty->visible = false;
  form.SetFocus(b_difficulty);
  LoadHiScores(g_);
  g_.settings.WriteIni("Difficulty", std::to_string(difficulty));
}

void StartForm::b_TrainingClick() {
  form.Wait(GameTicks(), kPanelWaitMs, [this] {
    p_training->visible = true;
    p_main->visible = false;
    if (!LevelListFilled) FillLevelList();
    form.SetFocus(ListBoxBox);
  });
}

void StartForm::FillLevelList() {
  LevelListFilled = true;
  ListBox1->Clear();
  const Bitmap* sheet = g_.figures.Figure(kPreviewSheet);
  for (int nr = 0; nr < kLevelCount; ++nr)
    ListBox1->Add(HorizontalList::Item{std::to_string(ListBox1->Count() + 1), sheet, PreviewCell(nr)});
  ListBox1->Select(0);
}

void StartForm::ExitbuttonClick() {
  if (p_training->visible) {
    form.Wait(GameTicks(), kPanelWaitMs, [this] {
      p_training->visible = false;
      p_main->visible = true;
      ButtonPicture(b_difficulty)->picture = difficulty_pictures_[static_cast<size_t>(g_.st.Difficulty % 3)];
      form.SetFocus(b_Training);
    });
  } else if (p_difficulty->visible) {
    form.Wait(GameTicks(), kPanelWaitMs, [this] {
      p_difficulty->visible = false;
      p_main->visible = true;
      form.SetFocus(b_difficulty);
    });
  } else if (p_main->visible) {
    form.Wait(GameTicks(), kPanelWaitMs, [this] { ReturnToCaller(false); });
  }
}

void StartForm::StartLevelButtonClick() {
  g_.st.StartLevel = SelectedLevel;
  ReturnToCaller(true);
}

void StartForm::ListBox1Change() {
  if (ListBox1->Selected() < 0) return;
  SelectedLevel = ListBox1->Selected();
  if (Widget* label = form.Find("LevelLabel")) label->text = "Level " + std::to_string(SelectedLevel + 1);
}

void StartForm::Timer2Timer() {
  auto step = [](int& phase) { phase = phase >= 12 ? 0 : phase + 1; };
  step(RobotPhase);
  step(Monster1Phase);
  step(Monster2Phase);
  Roboter->picture = robot_frames_[static_cast<size_t>(RobotFrame(RobotPhase))];
  Monster1image->picture = monster1_frames_[static_cast<size_t>(Monster1Frame(Monster1Phase))];
  if (const int f = Monster2Frame(Monster2Phase); f >= 0) Monster2image->picture = monster2_frames_[static_cast<size_t>(f)];
}

}  // namespace kirpo
