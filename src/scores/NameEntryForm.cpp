#include "scores/NameEntryForm.h"

#include <algorithm>
#include <cmath>

#include "common/Consts.h"
#include "game/Game.h"
#include "game/MainFormLayout.h"
#include "platform/Clock.h"
#include "scores/HiScores.h"
#include "scores/NameEntryText.h"

namespace kirpo {

namespace {

// Everything lies in a 1004 x 580 layout inside the frame of the 1024 x 600 form.
constexpr float kLeft = 10, kTop = 10, kWidth = 1004;
constexpr uint32_t kYellow = 0xFFFFFF00, kBlack = 0xFF000000, kAqua = 0xFF00FFFF;
constexpr uint32_t kLightGreen = 0xFF90EE90, kSnow = 0xFFFFFAFA, kFrame = 0xFF3A5A9A;
constexpr float kKeyOpacity = 0.8f;
constexpr float kKeyW = 41, kKeyH = 38;

}  // namespace

NameEntryForm::NameEntryForm(Game& g) : g_(g) {
  Widget& back = form.AddPanel("Rectangle1", 0, 0, 1024, 600, kBlack);
  back.hit_test = false;
  // The frame: four thin bars eight units inside the edges.
  form.AddPanel("pTop", 8, 8, 1008, 2, kFrame).hit_test = false;
  form.AddPanel("pBottom", 8, 590, 1008, 2, kFrame).hit_test = false;
  form.AddPanel("pLeft", 8, 8, 2, 584, kFrame).hit_test = false;
  form.AddPanel("pRight", 1014, 8, 2, 584, kFrame).hit_test = false;

  PNPTitel = &form.AddLabel("PNPTitel", kLeft, kTop + 24, 1020 - 2 * kLeft, 60, "", 48, kYellow, TextAlign::Center);
  PNPTitel->bold = true;
  EYNLabel = &form.AddLabel("EYNLabel", kLeft, kTop + 81, kWidth, 34, "Enter Your Name", 24, kAqua,
                            TextAlign::Center);
  PlayersName = &form.AddLabel("PlayersName", kLeft, kTop + 138, 1020 - 2 * kLeft, 46, EmptyNameField, 32,
                               kLightGreen, TextAlign::Center);
  PlayersName->bold = true;

  const char* rows[3] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
  const float row_x[3] = {236, 268, 292};
  for (int r = 0; r < 3; ++r)
    for (int i = 0; rows[r][i]; ++i)
      AddKey(std::string(1, rows[r][i]), r, row_x[r] + 50.0f * float(i), 208.0f + 64.0f * float(r), kKeyW);
  AddKey("_____", 3, 288, 400, 88);
  const char* signs[6] = {".", ",", ":", "-", "/", "*"};
  for (int i = 0; i < 6; ++i) AddKey(signs[i], 3, 404 + 50.0f * float(i), 400, kKeyW);

  DeleteKey = &form.AddImage("DeleteKey", kLeft + 692, kTop + 340, 32, 32, FormPicture("delete.png"));
  DeleteKey->opacity = kKeyOpacity;
  DeleteKey->hint = "Delete";
  DeleteKey->on_click = [this] { AClick("<"); };
  DeleteKey->on_mouse_enter = [this] { Light(*DeleteKey); };
  DeleteKey->on_mouse_leave = [this] { Light(*DeleteKey); };
  grid_.push_back({"<", DeleteKey, 2});
  DeleteLabel = &form.AddLabel("DeleteLabel", kLeft + 692, kTop + 330, 41, 60, "<", 48, 0xFFFF00FF);
  DeleteLabel->visible = false;

  OKbutton = &form.AddImage("OKbutton", kLeft + 20, kTop + 16, 50, 50, FormPicture("ok.png"));
  OKbutton->opacity = kKeyOpacity;
  OKbutton->hint = "OK";
  OKbutton->on_click = [this] { ReturnToCaller(); };
  OKbutton->on_mouse_enter = [this] { OKbutton->opacity = 1; };
  OKbutton->on_mouse_leave = [this] { OKbutton->opacity = kKeyOpacity; };

  // Over everything, a little outside the key, so that it hides no part of the caption.
  PadHighlight = &form.AddPanel("PadHighlight", 0, 0, 0, 0, 0, 9);
  PadHighlight->stroke = 0xFFFFA500;
  PadHighlight->stroke_width = 4;  // as thick as the focus frame of the start menu
  PadHighlight->hit_test = false;
  PadHighlight->visible = false;

  PNPTimer = &form.AddTimer(500, [this] { PNPTimerTimer(); });
  form.wants_text_input = true;
  form.on_key_down = [this](int vk, bool repeat) { return KeyDown(vk, repeat); };
  form.on_text = [this](const std::string& text) { Text(text); };
  form.on_key_up = [this](int vk) { return KeyUp(vk); };
  form.on_close = [this] { SaveBeforeClosing(); };
}

void NameEntryForm::AddKey(const std::string& caption, int row, float x, float y, float w) {
  Widget& cap = form.AddPanel("Key" + caption, kLeft + x - 2, kTop + y, w + 4, kKeyH, 0xFF1C2A4A, 6);
  cap.fill_bottom = 0xFF0A1226;
  cap.stroke = 0xFF6F8FD0;
  cap.stroke_width = 1.5f;
  cap.hit_test = true;
  cap.opacity = kKeyOpacity;
  Widget& label = form.AddLabel("Label" + caption, kLeft + x, kTop + y, w, kKeyH, caption, 32, kSnow,
                                TextAlign::Center);
  label.valign = TextAlign::Center;
  label.bold = true;
  label.parent = &cap;
  label.opacity = kKeyOpacity;
  cap.on_click = [this, caption] { AClick(caption); };
  cap.on_mouse_enter = [this, &cap] { Light(cap); };
  cap.on_mouse_leave = [this, &cap] { Light(cap); };
  keys_.emplace_back(caption, &cap);
  grid_.push_back({caption, &cap, row});
}

void NameEntryForm::Light(Widget& cap) {
  const bool highlighted = highlighted_ >= 0 && grid_[static_cast<size_t>(highlighted_)].cap == &cap;
  const float opacity = cap.hovered || highlighted ? 1.0f : kKeyOpacity;
  cap.opacity = opacity;
  for (const auto& w : form.Widgets())
    if (w->parent == &cap) w->opacity = opacity;
}

void NameEntryForm::Highlight(int index) {
  Widget* old = highlighted_ >= 0 ? grid_[static_cast<size_t>(highlighted_)].cap : nullptr;
  highlighted_ = index;
  if (old) Light(*old);
  PadHighlight->visible = index >= 0;
  if (index < 0) return;
  Widget& cap = *grid_[static_cast<size_t>(index)].cap;
  Light(cap);
  constexpr float kMargin = 5;
  PadHighlight->x = cap.x - kMargin, PadHighlight->y = cap.y - kMargin;
  PadHighlight->w = cap.w + 2 * kMargin, PadHighlight->h = cap.h + 2 * kMargin;
}

std::string NameEntryForm::Highlighted() const {
  return highlighted_ >= 0 ? grid_[static_cast<size_t>(highlighted_)].caption : std::string();
}

void NameEntryForm::MoveHighlight(int vk) {
  // The first step only shows where the highlight is.
  if (highlighted_ < 0) return Highlight(0);
  const GridKey& from = grid_[static_cast<size_t>(highlighted_)];
  const float from_x = from.cap->x + from.cap->w / 2;
  const int row = from.row + (vk == VK_DOWN) - (vk == VK_UP);
  std::vector<int> line;  // the keys of the target row, left to right
  for (size_t i = 0; i < grid_.size(); ++i)
    if (grid_[i].row == row) line.push_back(static_cast<int>(i));
  if (line.empty()) return;  // above the top row or below the bottom one
  auto x_of = [this](int i) { return grid_[static_cast<size_t>(i)].cap->x; };
  std::sort(line.begin(), line.end(), [&](int a, int b) { return x_of(a) < x_of(b); });
  const int count = static_cast<int>(line.size());
  if (vk == VK_LEFT || vk == VK_RIGHT) {
    const int at = static_cast<int>(std::find(line.begin(), line.end(), highlighted_) - line.begin());
    return Highlight(line[static_cast<size_t>((at + (vk == VK_RIGHT ? 1 : count - 1)) % count)]);
  }
  auto distance = [&](int i) {
    const Widget& c = *grid_[static_cast<size_t>(i)].cap;
    return std::abs(c.x + c.w / 2 - from_x);
  };
  Highlight(*std::min_element(line.begin(), line.end(), [&](int a, int b) { return distance(a) < distance(b); }));
}

void NameEntryForm::Prepare(int rank, bool show_highlight) {
  PNPTitel->text = NameEntryTitle(rank);
  PNPTitel->color = kYellow;
  PlayersName->text = EmptyNameField;
  PNPTimer->interval = NameEntryBlinkMs(rank);
  PNPTimer->Enable(false, GameTicks());
  PNPTimer->Enable(true, GameTicks());
  saved_ = false;
  enter_pressed_ = false;
  Highlight(show_highlight ? 0 : -1);
}

void NameEntryForm::AClick(const std::string& caption) {
  if (saved_) return;
  PlayersName->text = PressScreenKey(PlayersName->text, caption);
}

void NameEntryForm::PNPTimerTimer() { PNPTitel->color = PNPTitel->color == kYellow ? kBlack : kYellow; }

bool NameEntryForm::KeyDown(int vk, bool repeat) {
  switch (vk) {
    case VK_BACK: AClick("<"); return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: MoveHighlight(vk); return true;
    case VK_GAMEPAD_A:
      if (highlighted_ < 0) Highlight(0);
      else AClick(grid_[static_cast<size_t>(highlighted_)].caption);
      return true;
    case VK_RETURN:
      if (!repeat) enter_pressed_ = true;
      return true;
    default: return false;
  }
}

void NameEntryForm::Text(const std::string& text) {
  if (saved_) return;
  for (char c : text) PlayersName->text = TypeCharacter(PlayersName->text, c);
}

// Enter acts on its release: when the main form comes back, the key is up, and the attract mode
// does not take it for a wish to leave the table. Only a release whose press came here saves: the
// Enter of Alt+Enter, whose press went to full screen, would save a half-typed name.
bool NameEntryForm::KeyUp(int vk) {
  if (vk != VK_RETURN) return false;
  const bool pressed_here = enter_pressed_;
  enter_pressed_ = false;
  if (pressed_here) ReturnToCaller();
  return true;
}

bool NameEntryForm::Save() {
  if (saved_) return false;
  saved_ = true;
  PNPTimer->Enable(false, GameTicks());
  // A failed write keeps the entry in memory; the game goes on either way.
  SaveNewHiScore(g_, NameOfField(PlayersName->text));
  return true;
}

void NameEntryForm::ReturnToCaller() {
  if (!Save()) return;
  NameEntryFinished(g_);
}

void NameEntryForm::SaveBeforeClosing() {
  if (g_.st.NameEntryActive) Save();
}

}  // namespace kirpo
