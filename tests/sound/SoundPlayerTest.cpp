// The sound player on the real SDL2_mixer backend (the dummy audio driver plays in real time).
#include "sound/SlotSoundPlayer.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <new>
#include <filesystem>
#include <thread>

#include "common/Errors.h"
#include "platform/FileUtil.h"
#include "sprites/Sprite.h"
#include "support/FailingAudioBackend.h"
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

TEST_F(SoundPlayerTest, AFailureInsideThePassIsLoggedAndARepeatedOneSwitchesSoundOff) {
  struct Case {
    int failures;
    bool sound_on_after;
  } cases[] = {{1, true}, {3, false}};  // three failed passes in a row are too many
  for (const Case& c : cases) {
    SlotSoundPlayer p(dir.Path(), std::make_unique<test::FailingAudioBackend>(c.failures));
    ASSERT_TRUE(p.StartSound());
    p.SetSoundOn(true);
    p.PlayMusik(nullptr, "gameover.wav");
    int waited = 0;
    while (p.SoundOn() && p.StatusOf(0) != SlotSoundPlayer::Playing && waited < 3000) SleepMs(20), waited += 20;
    SleepMs(50);  // a worker that gave up has ended
    EXPECT_EQ(p.SoundOn(), c.sound_on_after) << c.failures;
    EXPECT_EQ(p.WorkerRunning(), c.sound_on_after) << c.failures;
    EXPECT_EQ(p.FatalCode(), 0) << "a failure inside the pass is no audio-stream failure";
    if (!c.sound_on_after) {
      EXPECT_NE(LastLogMessage().find("TSoundThread.Execute"), std::string::npos) << LastLogMessage();
      ASSERT_TRUE(p.StartSound()) << "the speaker button starts a new worker";
      p.SetSoundOn(true);
      for (int w = 0; w < 3000 && p.StatusOf(0) != SlotSoundPlayer::Playing; w += 20) SleepMs(20);
      EXPECT_EQ(p.StatusOf(0), SlotSoundPlayer::Playing) << "the request waiting in its slot plays now";
    }
    p.StopSound();
  }
}

TEST_F(SoundPlayerTest, AStreamDoesNotMistakeALaterStreamOnItsChannelForItself) {
  std::unique_ptr<AudioBackend> mixer = CreateMixerBackend();
  ASSERT_TRUE(mixer->Init());
  std::vector<uint8_t> wav;
  ASSERT_TRUE(ReadFileBytes(dir.File("takepilz.wav"), wav));  // a fifth of a second
  const uint32_t first = mixer->StreamCreate(wav.data(), wav.size());
  ASSERT_TRUE(mixer->ChannelPlay(first));
  SleepMs(1000);  // the first one has ended, unasked
  const uint32_t second = mixer->StreamCreate(wav.data(), wav.size());
  ASSERT_TRUE(mixer->ChannelPlay(second));  // the same sound on the same free channel
  EXPECT_LT(mixer->ChannelGetPosition(first), 0);
  mixer->ChannelStop(first);  // must not silence the second
  EXPECT_GE(mixer->ChannelGetPosition(second), 0);
  mixer->ChannelStop(second);
  EXPECT_LT(mixer->ChannelGetPosition(second), 0);
}

TEST_F(SoundPlayerTest, ASoundAskedForRightAfterStoppingAllIsKept) {
  ASSERT_TRUE(player->StartSound());
  player->SetSoundOn(true);
  player->StopSound();  // no worker: nothing can free a slot between the two calls
  player->SetSoundOn(true);
  player->StopMusik(nullptr);
  player->PlayMusik(nullptr, "gameover.wav");
  EXPECT_EQ(Busy(), 1);
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
