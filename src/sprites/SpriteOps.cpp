#include "sprites/SpriteOps.h"

#include <algorithm>
#include <cmath>

#include "common/Rounding.h"
#include "sprites/SpriteScene.h"
#include "platform/Clock.h"

namespace kirpo {

TSprite* CreateSprite(SpriteScene& g, int32_t typ, int32_t x, int32_t y, int32_t z, int32_t ebene, double hoehe,
                      int32_t richtung, int32_t fignr, bool collisions, int64_t ivtime) {
  const int64_t now = g.st.Now();
  TSprite* s = g.world.NewSprite(typ, now);
  if (!s) return nullptr;
  s->CanDoCollisions = collisions;
  SetImage(g, *s, fignr);
  s->X = static_cast<float>(x);
  s->Y = static_cast<float>(y);
  s->Z = z;
  // A thrown mushroom's position is already worked out in design units.
  if (typ != TypSchussK) AddFieldOrigin(s->X, s->Y);
  s->FigNr = fignr;
  s->TypHoehe = static_cast<float>(hoehe);
  s->TypEbene = ebene;
  s->TypDirection = richtung;
  s->raks = 40;
  s->IntervalTime = ivtime;
  s->TimeCreated = now;
  return s;
}

void SetImage(SpriteScene& g, TSprite& s, int32_t n) {
  // Re-selecting the current figure keeps the frame it is on; a figure without a picture
  // (missing file, number out of range) leaves the sprite as it was.
  if (!g.figures.HasImage(n) || n == s.ImageIndex) return;
  s.ImageIndex = n;
  s.FigNr = n;
  s.PatternWidth = g.figures.FrameWidth(n);
  s.PatternHeight = g.figures.FrameHeight(n);
  s.PatternCount = s.PatternWidth > 0 ? Round(static_cast<double>(g.figures.Width(n)) / s.PatternWidth) : 0;
  s.PatternIndex = 0;
  s.FWidth = static_cast<float>(s.PatternWidth);
  s.FHeight = static_cast<float>(s.PatternHeight);
  s.StoredInfoOK = false;
}

void KillSprite(SpriteScene& g, TSprite& s, bool unmap) {
  g.sound->StopMusik(&s);
  if (unmap) MapSprite(g, s, false);
  s.WMPrecordIndex = 0;
  s.Typ = TypDied;
  s.TypGruppe.clear();
  s.TypOptionen.clear();
  s.Visible = false;
  s.AnimActive = false;
  s.CanDoCollisions = false;
  if (s.Schatten >= 0) {
    if (s.Schatten < g.world.SpriteCount()) {
      TSprite& shadow = g.world.At(s.Schatten);
      shadow.Typ = TypDied;
      shadow.TypBez.clear();
      shadow.Visible = false;
      shadow.AnimActive = false;
      shadow.CanDoCollisions = false;
    }
    s.Schatten = -1;
  }
}

void MapSprite(SpriteScene& g, TSprite& s, bool set) {
  switch (s.Typ) {
    case TypRunner:
    case TypT500:
    case TypT1000:
    case TypNebel:
    case TypSchussK:
      return;
    default:
      break;
  }
  SpriteWorld& w = g.world;
  // A door or block never shares its corner: the first one placed there keeps the cell.
  if (set && (s.Typ == TypDoor || s.Typ == TypStein) && w.SpriteAt(s.X, s.Y)) return;

  const int32_t pw = s.PatternWidth, ph = s.PatternHeight;
  if (pw <= 0 || ph <= 0) return;

  // Figures stand on whole units almost always; there every point's rounding is known, and the
  // map can be written directly (the update pass does this eight times per figure per frame).
  if (s.X == std::floor(s.X) && s.Y == std::floor(s.Y) && std::fabs(s.X) < 1e6f && std::fabs(s.Y) < 1e6f) {
    const int32_t x0 = static_cast<int32_t>(s.X), y0 = static_cast<int32_t>(s.Y);
    const int32_t val = w.ValueOf(&s);
    const int32_t count = w.SpriteCount();
    auto fast = [&](int32_t c, int32_t r) {
      const int32_t x = x0 + c, y = y0 + r;
      if (x < 0 || x >= DesignWidth || y < 0 || y >= DesignHeight) return;
      const int32_t cell = w.MapValueAt(x, y);
      if (set) {
        if (cell == 0 || (cell != SpriteWorld::BlockSlot && cell - 1 >= count)) w.SetMapValue(x, y, val);
      } else if (cell == val && val != 0) {
        w.SetMapValue(x, y, 0);
      }
    };
    for (int32_t c = 0; c < pw; ++c) fast(c, 0);
    for (int32_t r = 1; r < ph - 1; ++r) {
      fast(0, r);
      if (pw > 1) fast(pw - 1, r);
    }
    if (ph > 1)
      for (int32_t c = 0; c < pw; ++c) fast(c, ph - 1);
    return;
  }
  auto visit = [&](int32_t c, int32_t r) {
    const float px = s.X + static_cast<float>(c);
    const float py = s.Y + static_cast<float>(r);
    const TSprite* held = w.SpriteAt(px, py);
    if (set) {
      if (!held) w.SetSpriteAt(&s, px, py);
    } else if (held && held->Id == s.Id) {
      w.SetSpriteAt(nullptr, px, py);
    }
  };

  // Only the outline: a 52 x 52 figure costs 204 writes instead of 2704.
  for (int32_t r = 0; r < ph; ++r) {
    if (r == 0 || r == ph - 1) {
      for (int32_t c = 0; c < pw; ++c) visit(c, r);
    } else {
      visit(0, r);
      if (pw > 1) visit(pw - 1, r);
    }
  }
}

bool SpriteOverlap(SpriteScene& g, const TSprite& a, const TSprite& b) {
  if (!a.Visible || !b.Visible || a.ImageIndex == 0 || b.ImageIndex == 0) return false;
  const int32_t al = Round(a.X), at = Round(a.Y);
  const int32_t ar = al + g.figures.FrameWidth(a.ImageNr), ab = at + g.figures.FrameHeight(a.ImageNr);
  const int32_t bl = Round(b.X), bt = Round(b.Y);
  const int32_t br = bl + g.figures.FrameWidth(b.ImageNr), bb = bt + g.figures.FrameHeight(b.ImageNr);
  return std::max(al, bl) < std::min(ar, br) && std::max(at, bt) < std::min(ab, bb);
}

void AddFieldOrigin(float& x, float& y) {
  x += FieldOriginX;
  y += FieldOriginY;
}

// Each bracketed step of the conversions is kept in single precision, as the game always did,
// so that a tap lands on the same unit on every machine.
float PboxToDesignX(const SpriteScene& g, float x) {
  if (g.PboxWidth <= 0) return 0;
  const float pct = static_cast<float>(static_cast<double>(x) * 100.0 / g.PboxWidth);
  return static_cast<float>(static_cast<double>(pct) * DesignWidth / 100.0);
}

float PboxToDesignY(const SpriteScene& g, float y) {
  if (g.PboxHeight <= 0) return 0;
  const float pct = static_cast<float>(static_cast<double>(y) * 100.0 / g.PboxHeight);
  return static_cast<float>(static_cast<double>(pct) * DesignHeight / 100.0);
}

float DesignToLayoutX(float x) {
  const float pct = static_cast<float>(static_cast<double>(x) / DesignWidth * 100.0);
  return static_cast<float>(static_cast<double>(LayoutWidth) * pct / 100.0);
}

float DesignToLayoutY(float y) {
  const float pct = static_cast<float>(static_cast<double>(y) / DesignHeight * 100.0);
  return static_cast<float>(static_cast<double>(LayoutHeight) * pct / 100.0);
}

}  // namespace kirpo
