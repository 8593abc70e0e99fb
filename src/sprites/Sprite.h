#pragma once
#include <cstdint>
#include <string>

#include "common/Consts.h"

namespace kirpo {

// One figure of a level. Plain data: the rules that move, draw and collide sprites are free
// functions working on the Game. Fields that no rule reads or writes are left out.
struct TSprite {
  int32_t Id = 0;
  int32_t Status = 1;
  std::string TypBez;
  int32_t Typ = 0;
  int32_t UrTyp = 0;
  float TypHoehe = 0;
  int32_t TypEbene = 0;
  float X = 0, Y = 0;
  int32_t X52 = 0, Y52 = 0;
  int32_t Z = 0;
  bool Visible = true;
  int32_t FigNr = 0;
  int32_t ImageNr = 0;
  int32_t ImageIndex = -1;
  int32_t PatternWidth = 0, PatternHeight = 0;
  int32_t PatternCount = 0;
  float FWidth = 0, FHeight = 0;
  bool FDead = false;
  int64_t pauseStart = 0;
  bool CanDoCollisions = false;
  bool AnimActive = false, AnimLoop = false;
  int32_t AnimSpeed = 0;
  int32_t AnimStart = 0, AnimStop = 0;
  int32_t PatternIndex = 0;
  int32_t TypDirection = 0;
  int32_t LastDirection = 0;
  float TypSpeed = 0;
  int32_t rakm = 0;
  int32_t Schatten = -1;  // slot of an attached shadow sprite, -1 for none
  int64_t LastActivity = 0;
  int64_t lastRaketenSchuss = 0;
  int64_t IntervalTime = 0;
  int64_t IntervalCount = 0;
  int32_t StartBild = 0, EndeBild = 0, AktuellesBild = 0, StandBild = 0;
  TAlign TypAlign = TAlign::alNone;
  bool MapOn = false, MapOff = false;
  int64_t LastAnimation = 0;
  int32_t rak1 = 0;
  int32_t raks = 0;
  float Angle = 0;
  float ActualScaleProz = 100;
  bool StoredInfoOK = false;
  int32_t AnfangX = 0, AnfangY = 0;
  uint32_t WMPrecordIndex = 0;
  std::string TypGruppe, TypOptionen;
  float Transpar0124 = 1.0f;
  int64_t TimeCreated = 0;
  int32_t BonusTyp = 0, BonusFig = 0, Bonus = 0;
  int32_t korrX = 0, korrY = 0;
  int64_t SleepingStart = 0;
  float AngleTick = 0;
  int64_t FallenStart = 0;
};

}  // namespace kirpo
