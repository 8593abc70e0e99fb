#include "game/GameDigest.h"

#include <cstring>

#include "game/Game.h"

namespace kirpo {

void Fnv1a::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
}

void Fnv1a::I64(int64_t v) {
  const auto u = static_cast<uint64_t>(v);
  U32(static_cast<uint32_t>(u));
  U32(static_cast<uint32_t>(u >> 32));
}

void Fnv1a::F32(float v) {
  if (v == 0) v = 0;  // -0 and +0 are the same place
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  U32(bits);
}

void Fnv1a::Str(const std::string& s) {
  U32(static_cast<uint32_t>(s.size()));
  for (char c : s) Byte(static_cast<uint8_t>(c));
}

void SoundRequestLog::PlayMusik(TSprite* sprite, const std::string& file) {
  ++requests_;
  h_.Byte(1);
  h_.I32(sprite ? sprite->Id : -1);
  h_.Str(file);
  if (inner_) inner_->PlayMusik(sprite, file);
}

void SoundRequestLog::StopMusik(TSprite* sprite) {
  ++requests_;
  h_.Byte(2);
  h_.I32(sprite ? sprite->Id : -1);
  if (inner_) inner_->StopMusik(sprite);
}

void SoundRequestLog::StopSound() {
  if (inner_) inner_->StopSound();
}

namespace {

void SpriteDigest(Fnv1a& h, int slot, const TSprite& s) {
  h.I32(slot);
  h.I32(s.Typ);
  h.F32(s.X);
  h.F32(s.Y);
  h.I32(s.TypDirection);
  h.I32(s.FigNr);
  h.Byte(s.Visible ? 1 : 0);
  h.I32(s.ImageIndex);
  h.I32(s.PatternIndex);
  h.Byte(s.AnimActive ? 1 : 0);
  h.F32(s.Angle);
  h.F32(s.Transpar0124);
  h.I64(s.SleepingStart);
  h.I64(s.pauseStart);
}

// The picture of a head-up image, by what it is rather than where it lives in memory.
int32_t PictureIndex(const MainForm& mf, const Bitmap* picture) {
  if (!picture) return -1;
  for (size_t i = 0; i < mf.ImageList1.size(); ++i)
    if (mf.ImageList1[i] == picture) return static_cast<int32_t>(i);
  return 99;
}

}  // namespace

uint64_t GameDigest(Game& g, const SoundRequestLog* sounds) {
  Fnv1a h;
  const int count = g.world.SpriteCount();
  for (int i = 0; i < count; ++i) {
    const TSprite& s = g.world.At(i);
    if (s.Typ != TypDied) SpriteDigest(h, i, s);
  }
  const GameState& st = g.st;
  h.I32(st.Level);
  h.I32(st.Score);
  h.I32(st.Runner);
  h.I32(st.TimeBonus);
  h.I32(st.PilzCount);
  h.Byte(st.Tot ? 1 : 0);
  h.Byte(st.MissionCompleted ? 1 : 0);
  h.Str(st.KillReason);
  h.Byte(st.Paused ? 1 : 0);
  h.I32(st.FreeRunnerPhase);
  const MainForm& mf = g.mf;
  h.Byte(mf.PboxVisible ? 1 : 0);
  h.F32(g.PboxOpacity);
  for (const auto& w : mf.form.Widgets()) {
    // The menu's ground shows exactly while its icons do, which are counted.
    if (w.get() == mf.MenuPanel) continue;
    h.Byte(w->visible ? 1 : 0);
    if (!w->visible) continue;
    h.Str(w->name);
    h.F32(w->x);
    h.F32(w->y);
    h.Str(w->text);
    h.F32(w->opacity);
    h.I32(PictureIndex(mf, w->picture));
  }
  if (sounds) {
    h.I64(sounds->Requests());
    h.U32(static_cast<uint32_t>(sounds->Digest()));
    h.U32(static_cast<uint32_t>(sounds->Digest() >> 32));
  }
  return h.Value();
}

}  // namespace kirpo
