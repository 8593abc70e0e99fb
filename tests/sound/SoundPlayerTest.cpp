// The sound player on the real SDL2_mixer backend (the dummy audio driver plays in real time).
#include "sound/SlotSoundPlayer.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "sprites/Sprite.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct SoundPlayerTest : ::testing::Test {
  test::TempDir dir;
  std::unique_ptr<SlotSoundPlayer> player;
  void SetUp() override {
    // No sound card in CI: SDL's dummy driver consumes the samples in real time like a device.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const char* name : SlotSoundPlayer::SoundFiles)
      fs::copy_file(fs::path(KIRPO_SOURCE_DIR) / "assets" / name, dir.File(name));
    player = std::make_unique<SlotSoundPlayer>(dir.Path(), CreateMixerBackend());
  }
  int Busy() {
    int n = 0;
    for (int i = 0; i < SlotSoundPlayer::SlotCount; ++i) n += player->StatusOf(i) != SlotSoundPlayer::Free;
    return n;
  }
  // Waits until the worker has made at least a few passes.
  static void Passes() { SleepMs(60); }
  // The worker runs on its own thread; on a loaded machine a pass may come late, so wait for the
  // state rather than for a fixed time.
  template <class Condition>
  static bool Eventually(Condition done) {
    for (int waited = 0; waited < 5000; waited += 10) {
      if (done()) return true;
      SleepMs(10);
    }
    return done();
  }
};

TEST_F(SoundPlayerTest, NothingPlaysBeforeSoundIsOn) {
  player->PlayMusik(nullptr, "schuss.wav");
  player->StopMusik(nullptr);  // nothing at all before the first start
  ASSERT_TRUE(player->StartSound());
  EXPECT_EQ(Busy(), 0);
  player->StopSound();
  player->PlayMusik(nullptr, "schuss.wav");  // sound off, no worker: dropped
  EXPECT_EQ(Busy(), 0);
}

TEST_F(SoundPlayerTest, TwentySlotsPlayAtOnceAndTheTwentyFirstRequestIsDropped) {
  ASSERT_TRUE(player->StartSound());
  player->SetSoundOn(true);
  for (int i = 0; i < 21; ++i) player->PlayMusik(nullptr, "gameover.wav");  // 3.6 s long
  EXPECT_EQ(Busy(), 20);
  EXPECT_TRUE(Eventually([&] {
    for (int i = 0; i < SlotSoundPlayer::SlotCount; ++i)
      if (player->StatusOf(i) != SlotSoundPlayer::Playing) return false;
    return true;
  }));
  player->StopMusik(nullptr);  // stop all: every slot is freed by the worker
  EXPECT_TRUE(Eventually([&] { return Busy() == 0; }));
  EXPECT_EQ(player->FatalCode(), 0);
}

TEST_F(SoundPlayerTest, AShortSoundFreesItsSlotWhenItEnds) {
  ASSERT_TRUE(player->StartSound());
  player->SetSoundOn(true);
  player->PlayMusik(nullptr, "takepilz.wav");
  player->PlayMusik(nullptr, "takepilz.wav");  // the same file twice plays twice
  EXPECT_EQ(Busy(), 2);
  int waited = 0;
  while (Busy() > 0 && waited < 3000) SleepMs(50), waited += 50;
  EXPECT_EQ(Busy(), 0) << "a sound of a fifth of a second was still playing after 3 s";
}

TEST_F(SoundPlayerTest, NamesMatchExactlyAndSpriteSoundsStopWithTheirSprite) {
  ASSERT_TRUE(player->StartSound());
  player->SetSoundOn(true);
  player->PlayMusik(nullptr, "Schuss.wav");  // another case than the file: never played
  TSprite monster;
  player->PlayMusik(&monster, "gameover.wav");
  EXPECT_NE(monster.WMPrecordIndex, 0u);
  EXPECT_TRUE(Eventually([&] { return player->StatusOf(1) == SlotSoundPlayer::Playing; }));
  Passes();
  EXPECT_EQ(player->StatusOf(0), SlotSoundPlayer::PlayRequested);
  player->StopMusik(&monster);
  EXPECT_EQ(monster.WMPrecordIndex, 0u);
  EXPECT_TRUE(Eventually([&] { return player->StatusOf(1) == SlotSoundPlayer::Free; }));
  EXPECT_EQ(player->StatusOf(0), SlotSoundPlayer::PlayRequested);
}

TEST_F(SoundPlayerTest, AMissingSoundFileLeavesSoundOff) {
  fs::remove(dir.File("killball.wav"));
  EXPECT_FALSE(player->StartSound());
  EXPECT_FALSE(player->WorkerRunning());
  player->PlayMusik(nullptr, "schuss.wav");
  EXPECT_EQ(Busy(), 0);
}

}  // namespace
}  // namespace kirpo
