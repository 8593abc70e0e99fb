#include "game/Input.h"

#include <array>
#include <cmath>

#include "common/Rounding.h"
#include "game/Balls.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/Movement.h"
#include "game/TimedEffects.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {

// Press and hold: a button's request lives while it is held; pressing one arrow drops the
// opposite one of the same axis.
void BindHold(Widget* w, bool& request, bool* opposite) {
  if (!w) return;
  w->on_mouse_down = [&request, opposite](float, float) {
    request = true;
    if (opposite) *opposite = false;
  };
  w->on_mouse_up = [&request, opposite](float, float) {
    request = false;
    if (opposite) *opposite = false;
  };
  w->on_mouse_leave = [&request] { request = false; };
}

void Show(Widget* w, bool on) {
  if (w) w->visible = on;
}

// A tap's distances from the runner's lower-right corner, against which taps are judged.
struct TapOffset {
  float dx, dy, cx, cy;
};
TapOffset OffsetFromRunner(const Game& g, float x, float y) {
  const float cx = g.st.RunnerX + 52, cy = g.st.RunnerY + 52;
  return {std::fabs(x - cx), std::fabs(y - cy), cx, cy};
}

}  // namespace

void BindMainFormInput(Game& g) {
  MainForm& mf = g.mf;
  GameState& st = g.st;
  BindHold(mf.b_hoch, st.NavUp, &st.NavDown);
  BindHold(mf.b_runter, st.NavDown, &st.NavUp);
  BindHold(mf.b_links, st.NavLeft, &st.NavRight);
  BindHold(mf.b_rechts, st.NavRight, &st.NavLeft);
  BindHold(mf.b_jump, st.NavJump, nullptr);

  if (mf.b_menue) mf.b_menue->on_click = [&g] { b_menueClick(g); };
  // The pressed icon swaps at once; the next tick sets both from the state itself (ShowPauseState),
  // so they also follow F5 and a request that never came to pass.
  if (mf.b_pause)
    mf.b_pause->on_mouse_up = [&g](float, float) {
      g.st.PauseToggleRequested = true;
      Show(g.mf.b_pause, false);
      Show(g.mf.b_play, true);
    };
  if (mf.b_play)
    mf.b_play->on_mouse_up = [&g](float, float) {
      g.st.PauseToggleRequested = true;
      Show(g.mf.b_pause, true);
      Show(g.mf.b_play, false);
    };
  if (mf.b_gamepad) mf.b_gamepad->on_mouse_up = [&g](float, float) { SetNavButtons(g, false, true); };
  if (mf.b_hand) mf.b_hand->on_mouse_up = [&g](float, float) { SetNavButtons(g, true, true); };
  if (mf.b_help) mf.b_help->on_click = [&g] { g.shell->OpenHelp(); };
  if (mf.FullScreenButton) mf.FullScreenButton->on_click = [&g] { g.shell->SetFullScreen(!g.shell->IsFullScreen()); };
  if (mf.b_cancel) mf.b_cancel->on_mouse_up = [&g](float, float) { b_cancelMouseUp(g); };
  if (mf.b_Difficulty) mf.b_Difficulty->on_click = [] {};
}

void b_menueClick(Game& g) {
  MainForm& mf = g.mf;
  if (!mf.b_menue) return;
  mf.b_menue->tag += 1;
  const std::array<Widget*, 6> paired{mf.b_pause, mf.b_play, mf.SpeakerButtonOn, mf.SpeakerButtonOff, mf.b_hand,
                                      mf.b_gamepad};
  const std::array<Widget*, 4> plain{mf.MenuPanel, mf.FullScreenButton, mf.b_help, mf.b_off};
  if (mf.b_menue->tag % 2 != 0) {
    mf.b_menue->opacity = 1;
    for (Widget* w : paired)
      if (w && w->tag != 0) w->visible = true;
    for (Widget* w : plain) Show(w, true);
  } else {
    mf.b_menue->opacity = 0.5f;
    // Each pair remembers which of its two was showing, for the next opening.
    for (Widget* w : paired)
      if (w) {
        w->tag = w->visible ? 1 : 0;
        w->visible = false;
      }
    for (Widget* w : plain) Show(w, false);
  }
}

void ShowPauseState(Game& g) {
  MainForm& mf = g.mf;
  if (!mf.b_pause || !mf.b_play) return;
  const bool paused = g.st.Paused;
  if (mf.b_menue && mf.b_menue->opacity == 1.0f) {
    Show(mf.b_pause, !paused);
    Show(mf.b_play, paused);
  } else {
    // The closed menu remembers which of the pair to show when it opens.
    mf.b_pause->tag = paused ? 0 : 1;
    mf.b_play->tag = paused ? 1 : 0;
  }
}

void pboxMouseDown(Game& g, float x, float y, int pbox_w, int pbox_h) {
  GameState& st = g.st;
  if (st.AppStartedAt == 0) return;
  if (st.Demomode) {
    st.NavJump = true;  // leaves the demo
    return;
  }
  if (pbox_w <= 0 || pbox_h <= 0) return;
  // The paint box's pixels in design units, each step rounded to a Single.
  const float px = static_cast<float>(static_cast<double>(x) * 100.0 / pbox_w);
  const float dx_design = static_cast<float>(static_cast<double>(px) * DesignWidth / 100.0);
  const float py = static_cast<float>(static_cast<double>(y) * 100.0 / pbox_h);
  const float dy_design = static_cast<float>(static_cast<double>(py) * DesignHeight / 100.0);

  if (TapHitsMonster(g, dx_design, dy_design)) return;
  // In button mode a tap on the field only aims at monsters.
  if (st.ShowNavButtons) return;
  if (std::fabs(dx_design) <= 0 || std::fabs(dx_design) > DesignWidth) return;

  const TapOffset o = OffsetFromRunner(g, dx_design, dy_design);
  if (o.dx > o.dy) {
    if (dx_design > o.cx)
      SetNavTarget(g, false, true, false, false, dx_design, dy_design);
    else if (dx_design < o.cx)
      SetNavTarget(g, true, false, false, false, dx_design, dy_design);
  } else {
    if (dy_design > o.cy)
      SetNavTarget(g, false, false, false, true, dx_design, dy_design);
    else if (dy_design < o.cy)
      SetNavTarget(g, false, false, true, false, dx_design, dy_design);
  }
}

void SetNavTarget(Game& g, bool left, bool right, bool up, bool down, float x, float y) {
  GameState& st = g.st;
  st.NavLeft = left;
  st.NavRight = right;
  st.NavUp = up;
  st.NavDown = down;
  st.TargetX = static_cast<float>(Round(static_cast<double>(x) / CellSize) * CellSize);
  st.TargetY = static_cast<float>(Round((static_cast<double>(y) - FieldOriginY) / CellSize) * CellSize + FieldOriginY);
}

bool TapHitsMonster(Game& g, float design_x, float design_y) {
  TSprite probe;  // not in the sprite list
  probe.X = design_x;
  probe.Y = design_y;
  probe.Visible = true;
  probe.ImageNr = 33;
  probe.ImageIndex = 33;
  probe.ActualScaleProz = 100;
  const int count = g.world.SpriteCount();
  for (int i = 0; i < count; ++i) {
    TSprite& s = g.world.At(i);
    if (s.CanDoCollisions && (s.Typ == TypKMonster || s.Typ == TypGMonster) && SpriteOverlap(g, probe, s)) {
      AimAtMonster(g, s, design_x, design_y);
      return true;
    }
  }
  return false;
}

void AimAtMonster(Game& g, TSprite& monster, float design_x, float design_y) {
  TSprite* runner = g.RunnerSprite();
  if (!runner) return;
  const TapOffset o = OffsetFromRunner(g, design_x, design_y);
  if (o.dx > o.dy) {
    if (design_x < o.cx)
      runner->LastDirection = RiWest;
    else if (design_x > o.cx)
      runner->LastDirection = RiOst;
  } else {
    if (design_y < o.cy)
      runner->LastDirection = RiNord;
    else if (design_y > o.cy)
      runner->LastDirection = RiSued;
  }
  if (!SpriteAhead(g, monster, runner->LastDirection, 1)) Shoot(g);
}

}  // namespace kirpo
