#pragma once
#include <string>

namespace kirpo {

struct TSprite;

// The game's side of the sound effects. Without an audio device everything stays silent.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Plays a loaded effect by file name; with a sprite the sound is bound to it (and a sound
  // already bound to it stops first).
  virtual void PlayMusik(TSprite* sprite, const std::string& file) { (void)sprite, (void)file; }
  // With a sprite: stops the sound bound to it. With nullptr: stops all sounds.
  virtual void StopMusik(TSprite* sprite) { (void)sprite; }
  // Ends playback altogether (closing, fatal errors, the speaker switched off).
  virtual void StopSound() {}
  virtual bool SoundOn() const { return false; }
};

}  // namespace kirpo
