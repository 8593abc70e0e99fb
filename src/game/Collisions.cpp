#include "game/Collisions.h"

#include "game/Game.h"
#include "game/Movement.h"
#include "game/RuleHelpers.h"
#include "game/TimedEffects.h"
#include "levels/LevelBuild.h"
#include "platform/Clock.h"
#include "common/Errors.h"
#include "sprites/SpriteOps.h"

namespace kirpo {

void Collision(Game& g, TSprite& self) {
  bool done = false;
  // Puffs made during the scan are not visited; removed sprites keep their slots.
  const int count = g.world.SpriteCount();
  for (int i = 0; i < count; ++i) {
    TSprite& s = g.world.At(i);
    if (s.Id != self.Id && s.Typ != TypDied && s.CanDoCollisions) {
      if (SpriteOverlap(g, self, s)) DoCollision(g, self, s, done);
    }
    if (done || !self.CanDoCollisions) break;
  }
}

void DoCollision(Game& g, TSprite& self, TSprite& s, bool& done) {
  if (self.Id == s.Id) return;
  if (self.Typ == TypRunner) {
    if (s.Typ == TypPilz || s.Typ == TypSchussK) {
      // Picked up in passing: silent, and the scan goes on.
      KillSprite(g, s, true);
      TakePilz(g);
      done = false;
    } else if (IsMonster(&s) && s.SleepingStart == 0) {
      WriteLog("Flz trifft auf " + s.TypBez);
      KillRunner(g, self, &s, s.FigNr, "Killed by enemy");
      done = true;
    }
    return;
  }
  if (self.Typ == TypSchussK || self.Typ == TypPilz) {
    if (IsMonster(&s)) {
      CreateNebel(g, s, 100, 20, 0, 0);
      int32_t image = 20;
      if (s.Typ == TypKMonster) image = s.TypDirection == RiWest ? 26 : 27;
      SetImage(g, s, image);
      s.AnimActive = true;
      s.AnimLoop = false;
      s.AnimSpeed = 500;
      s.AnimStart = 0;
      s.AnimStop = 3;
      s.SleepingStart = g.st.Now();
      KillSprite(g, self, true);
    } else if (g.st.RecordedDemo()) {
      CreateNebel(g, self, 100, 20, 0, 0);
      KillSprite(g, self, true);
    } else {
      ShotBecomesPilz(self, g.st.DefaultSpeeds[SpeedPilz]);
    }
    done = true;
  }
}

void KillRunner(Game& g, TSprite& victim, TSprite* killer, int32_t bild_nr, const std::string& reason) {
  GameState& st = g.st;
  const int64_t now = g.st.Now();
  WriteLog("Level=" + std::to_string(st.Level) + " Stage=" + std::to_string(st.Stage));
  st.BonusTimer.Enable(false, now);
  const std::string killer_text = killer ? killer->TypBez : "BildNr=" + std::to_string(bild_nr);
  WriteLog(victim.TypBez + " gekillt von " + killer_text + ", zlx=0, zly=0, x=" + FloatText(victim.X) +
           ", y=" + FloatText(victim.Y) + ", z=" + FloatText(victim.TypHoehe) + ", " + reason);
  g.sound->PlayMusik(nullptr, "killed.wav");
  st.Tot = true;
  st.TotAt = now;
  st.KillReason = reason;
  st.Runner -= 1;
  st.KochErlegtX = DesignToLayoutX(st.RunnerX);
  st.KochErlegtY = DesignToLayoutY(st.RunnerY - 26);
  st.KochErlegtShown = true;
  st.KochErlegtStatus = 0;
  g.timers.AddHiTimer(1, false, &st.KochErlegtStatus, [&g](int32_t*) { KochErlegtTick(g); }, 10);
  g.timers.AddHiTimer(2, true, &st.EndWaitStatus, [&g](int32_t*) { EndWaitDone(g); }, 5000);
}

}  // namespace kirpo
