#include "levels/Movies.h"

#include <cmath>

#include "common/Rounding.h"
#include "levels/LevelScene.h"
#include "levels/LevelBuild.h"
#include "platform/Clock.h"
#include "platform/FileUtil.h"
#include "common/Errors.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

namespace {
constexpr size_t RecordingBytes = static_cast<size_t>(RecordCount) * RecordSize;

// Half of a size, rounded first and then halved downwards.
float Half(float size) { return static_cast<float>(static_cast<int32_t>(std::floor(Round(size) / 2.0))); }

bool Due(const TSprite& s, int64_t now) { return TicksBetween(s.LastActivity, now) >= s.IntervalTime; }
}  // namespace

void LoadRecordings(LevelScene& g) {
  WriteLog("Level=" + std::to_string(g.st.Level) + " Stage=" + std::to_string(g.st.Stage));
  g.recordings.Clear();
  std::vector<uint8_t> bytes;
  const std::string path = g.DataDir + "recordings_" + std::to_string(g.st.Level) + ".txt";
  // Without a recording the demo plays all-zero records.
  if (!ReadFileBytes(path, bytes, RecordingBytes)) return;
  g.recordings.Decode(bytes.data(), bytes.size());
}

void SetImageAligned(LevelScene& g, TSprite& s, int32_t fignr, TAlign align, bool map_on, bool map_off) {
  if (align == TAlign::alLeft || align == TAlign::alRight) return;
  if (map_off) MapSprite(g, s, false);
  const float scale = s.ActualScaleProz / 100.0f;
  switch (align) {
    case TAlign::alBottom:
      s.X += Half(s.FWidth * scale);
      s.Y += s.FHeight * scale;
      break;
    case TAlign::alCenter:
      s.X += Half(s.FWidth * scale);
      s.Y += Half(s.FHeight * scale);
      break;
    case TAlign::alTop:
      s.X += Half(s.FWidth * scale);
      break;
    default:
      break;
  }
  s.FigNr = fignr;
  SetImage(g, s, fignr);
  s.StoredInfoOK = false;
  switch (align) {
    case TAlign::alBottom:
      s.X -= Half(s.FWidth * scale);
      s.Y -= s.FHeight * scale;
      break;
    case TAlign::alCenter:
      s.X -= Half(s.FWidth * scale);
      s.Y -= Half(s.FHeight * scale);
      break;
    case TAlign::alTop:
      // Kept as the game always had it: no point of the figure stays in place.
      s.X -= Half(s.FWidth * scale);
      s.Y -= Half(s.FHeight * scale);
      break;
    default:
      break;
  }
  if (map_on) MapSprite(g, s, true);
}

void MakeMovie(LevelScene& g, TSprite& s, int32_t stand_bild, int32_t start_bild, int32_t ende_bild, int32_t interval_time,
               bool collisions, TAlign align, bool map_on, bool map_off, int32_t bonus_typ, int32_t bonus_fig,
               int32_t bonus, int32_t korr_x, int32_t korr_y) {
  WriteLog(s.TypBez + " StandBildNr=" + std::to_string(stand_bild));
  if (s.Schatten >= 0) {
    if (s.Schatten < g.world.SpriteCount()) KillSprite(g, g.world.At(s.Schatten), true);
    s.Schatten = -1;
  }
  s.Typ = TypMovie;
  s.CanDoCollisions = collisions;
  s.AnimActive = false;
  s.TypDirection = RiSued;
  s.TypAlign = align;
  s.MapOn = map_on;
  s.MapOff = map_off;
  s.TypSpeed = 1;
  s.rak1 = 0;
  s.LastActivity = g.st.Now();
  s.IntervalTime = interval_time;
  s.StartBild = s.AktuellesBild = start_bild;
  s.EndeBild = ende_bild;
  s.StandBild = stand_bild;
  s.BonusTyp = bonus_typ;
  s.BonusFig = bonus_fig;
  s.Bonus = bonus;
  s.korrX = korr_x;
  s.korrY = korr_y;
  SetImageAligned(g, s, start_bild, align, map_on, map_off);
  g.sound->StopMusik(&s);
  g.sound->PlayMusik(nullptr, "monkilled.wav");
}

void MovieStep(LevelScene& g, TSprite& s) {
  const int64_t now = g.st.Now();
  if (!Due(s, now)) return;
  s.LastActivity = now;
  if (s.rak1 == 1) return;
  if (s.AktuellesBild != s.EndeBild) {
    s.AktuellesBild += 1;
    SetImageAligned(g, s, s.AktuellesBild, s.TypAlign, s.MapOn, s.MapOff);
    return;
  }
  if (s.AnimActive) {
    SetImageAligned(g, s, s.EndeBild, s.TypAlign, s.MapOn, s.MapOff);
    return;
  }
  s.rak1 = 1;
  s.AktuellesBild = s.StandBild;
  if (s.StandBild != -1) {
    SetImageAligned(g, s, s.StandBild, s.TypAlign, s.MapOn, s.MapOff);
    return;
  }
  if (s.Bonus != 0) {
    CreatePlopp(g, s, 100, 50, s.korrX, s.korrY);
    CreateBonus(g, s, s.BonusTyp, s.BonusFig, 25, 50, s.korrX, s.korrY, s.Bonus);
  }
  KillSprite(g, s, true);
}

void NebelStep(LevelScene& g, TSprite& s) {
  const int64_t now = g.st.Now();
  if (!Due(s, now)) return;
  s.LastActivity = now;
  if (s.AktuellesBild == s.EndeBild) {
    KillSprite(g, s, true);
    return;
  }
  s.AktuellesBild += 1;
  SetImageAligned(g, s, s.AktuellesBild, s.TypAlign, s.MapOn, s.MapOff);
}

}  // namespace kirpo
