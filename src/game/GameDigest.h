#pragma once
// A 64-bit fingerprint of what the player sees: every figure on the field with its place,
// picture, animation and timers, the head-up display, and the sounds the game asked for.
#include <cstdint>
#include <string>

#include "sound/SoundPlayer.h"

namespace kirpo {

struct Game;

// FNV-1a, fed little-endian so the digest is the same on every machine.
class Fnv1a {
 public:
  void Byte(uint8_t b) {
    h_ ^= b;
    h_ *= 0x100000001b3ULL;
  }
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void I64(int64_t v);
  void F32(float v);
  void Str(const std::string& s);
  uint64_t Value() const { return h_; }

 private:
  uint64_t h_ = 0xcbf29ce484222325ULL;
};

// Passes every request on to the real player and folds it into a digest: which sound, for which
// sprite, play or stop. The requests count whether or not sound is switched on.
class SoundRequestLog final : public SoundPlayer {
 public:
  explicit SoundRequestLog(SoundPlayer* inner) : inner_(inner) {}
  void PlayMusik(TSprite* sprite, const std::string& file) override;
  void StopMusik(TSprite* sprite) override;
  void StopSound() override;
  bool SoundOn() const override { return inner_ && inner_->SoundOn(); }

  uint64_t Digest() const { return h_.Value(); }
  int64_t Requests() const { return requests_; }

 private:
  SoundPlayer* inner_;
  Fnv1a h_;
  int64_t requests_ = 0;
};

// Every live sprite: slot, type, position, direction, figure, visibility, pattern and animation,
// turn, sleep and pause timers. The head-up display's labels and pictures (texts, visibility,
// places: the reserve runners, the mushroom indicators, the walking cook) and the picture's
// opacity. The game state's level, score, reserve runners, time bonus, carried mushrooms, lost
// and won flags, kill reason, pause, and the walk-in's phase. With sounds, their digest too.
uint64_t GameDigest(Game& g, const SoundRequestLog* sounds = nullptr);

}  // namespace kirpo
