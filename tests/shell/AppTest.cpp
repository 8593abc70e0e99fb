#include "shell/App.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "common/Consts.h"
#include "common/Errors.h"
#include "game/GameDigest.h"
#include "game/Input.h"
#include "platform/Host.h"
#include "shell/AppFixture.h"
#include "support/FailingAudioBackend.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

struct AppTest : test::AppFixture {
  // A game in play on level 1, paused with F5 a moment ago.
  Game& PausedInPlay() {
    dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
    app->StartUp();
    app->RunUntil(6000);
    Press(VK_F5, 100);
    app->RunUntil(clock->Now() + 100);
    return app->G();
  }
};

TEST_F(AppTest, StartsIntoTheDemoAndFadesIn) {
  app->StartUp();
  Game& g = app->G();
  EXPECT_TRUE(g.st.Demomode);
  EXPECT_NE(g.st.AppStartedAt, 0);
  EXPECT_EQ(g.mf.f1Difficulty->text, "EASY");
  EXPECT_FALSE(g.mf.PboxVisible);  // invisible until the first fade-in tick
  app->RunUntil(499);
  EXPECT_FALSE(g.mf.PboxVisible);
  app->RunUntil(1600);
  EXPECT_TRUE(g.mf.PboxVisible);
  EXPECT_FLOAT_EQ(g.PboxOpacity, 1.0f);
  EXPECT_TRUE(fs::exists(dir.Path() + "data/image.store"));
}

TEST_F(AppTest, F5PausesTheFrameAndTheLevelClock) {
  dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  app->StartUp();
  Game& g = app->G();
  ASSERT_FALSE(g.st.Demomode);
  app->RunUntil(6000);  // the runner has walked in and the clock runs
  ASSERT_TRUE(g.st.BonusTimer.Enabled);
  const int before = g.st.TimeBonus;
  EXPECT_LT(before, 10000);
  Press(VK_F5, 200);
  EXPECT_TRUE(g.st.Paused);
  const int64_t frame = g.st.LastFrameAt;
  const int paused_bonus = g.st.TimeBonus;
  app->RunUntil(clock->Now() + 3000);
  EXPECT_EQ(g.st.TimeBonus, paused_bonus);
  EXPECT_GT(g.st.LastFrameAt, frame);  // ticks go on, only nothing is painted or moved
  Press(VK_F5, 200);
  EXPECT_FALSE(g.st.Paused);
  app->RunUntil(clock->Now() + 1100);
  EXPECT_LT(g.st.TimeBonus, paused_bonus);
}

TEST_F(AppTest, APausedGameOnTheDesktopSleepsThroughItsFramesYetAnswersAtOnceOnItsGrid) {
  app->PlayOnDesktop();
  Game& g = PausedInPlay();
  ASSERT_TRUE(g.st.Paused);
  int64_t ticks = app->FrameTicks();
  app->RunUntil(clock->Now() + 3000);
  // The picture is looked at twice a second, and after each step of the level clock.
  EXPECT_LE(app->FrameTicks() - ticks, 15) << "a still picture needs a few frames a second, not 64";

  // The game's own timers (the killed cook's turn, the walk-in) stand still with game time: they
  // neither run nor wake the paused game.
  int32_t status = 0;
  int calls = 0;
  g.timers.AddHiTimer(99, false, &status, [&calls](int32_t*) { ++calls; }, 10);
  const int64_t game_time = g.st.Now();
  ticks = app->FrameTicks();
  app->RunUntil(clock->Now() + 1000);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(g.st.Now(), game_time);
  EXPECT_LE(app->FrameTicks() - ticks, 5);
  g.timers.RemoveHiTimer(99);

  // The pointer comes to rest on a control: its hint appears on its own while nothing else happens.
  float hx = -1, hy = -1;
  for (float y = 0; y < 600 && hx < 0; y += 4)
    for (float x = 0; x < 960 && hx < 0; x += 4)
      if (!app->CurrentForm().HintAt(x, y, 960, 600).empty()) hx = x, hy = y;
  ASSERT_GE(hx, 0) << "no control with a hint";
  InputEvent move;
  move.type = InputEvent::Type::MouseMove;
  move.x = hx, move.y = hy;
  host->QueueEvent(move);
  app->RunUntil(clock->Now() + 300);
  const auto resting = host->ReadPixels();
  app->RunUntil(clock->Now() + 400);
  const auto hinted = host->ReadPixels();
  EXPECT_NE(std::memcmp(resting->Pixels(), hinted->Pixels(), size_t(960) * 600 * 4), 0) << "the hint did not show";

  // A key pressed between two frames is answered at the next frame of the level's grid.
  clock->Set(clock->Now() + 207);  // as the real loop, asleep since its last look
  host->NoteKey(VK_F5, true);
  app->RunFrame();
  host->NoteKey(VK_F5, false);
  EXPECT_FALSE(g.st.Paused);
  const int64_t since_start = g.st.Now() - g.st.LevelStartedAt;
  const auto frame = static_cast<int64_t>(std::floor(static_cast<double>(since_start) / App::FrameTickMs));
  EXPECT_EQ(since_start, static_cast<int64_t>(std::ceil(static_cast<double>(frame) * App::FrameTickMs)));
  ticks = app->FrameTicks();
  app->RunUntil(clock->Now() + 1000);
  EXPECT_GE(app->FrameTicks() - ticks, 63) << "a running game has all its frames again";
}

TEST_F(AppTest, TheAttractModesSplashAndTableSleepThroughTheirFramesAndTheDemoPlaysOnAsEver) {
  // The same attract mode with every frame run, on the same clock: what the demo does must not change.
  auto every_frame_host = CreateOffscreenHost(960, 600);
  App every_frame(*every_frame_host, dir.Path(), data);
  every_frame.StartUp();
  app->PlayOnDesktop();
  app->StartUp();
  Game& g = app->G();
  auto run = [&](int64_t t) {
    for (int64_t due; (due = std::min(app->NextDue(), every_frame.NextDue())) <= t;) {
      app->RunUntil(due);
      every_frame.RunUntil(due);
    }
    app->RunUntil(t);
    every_frame.RunUntil(t);
  };
  run(3000);
  int64_t ticks = app->FrameTicks();
  run(9000);
  EXPECT_LE(app->FrameTicks() - ticks, 3) << "the splash stands still";

  while (!g.st.ShowHiScores && clock->Now() < 120000) run(clock->Now() + 100);
  ASSERT_TRUE(g.st.ShowHiScores) << "the table never came";
  const int64_t shown = g.st.HiScoresShownAt;
  ticks = app->FrameTicks();
  run(shown + 2900);
  const auto picture = host->ReadPixels();
  run(shown + 3100);
  const auto table = host->ReadPixels();
  EXPECT_NE(std::memcmp(picture->Pixels(), table->Pixels(), size_t(960) * 600 * 4), 0) << "the table did not come";
  run(shown + 9900);
  EXPECT_LE(app->FrameTicks() - ticks, 4) << "the table stands still";
  run(shown + 10100);
  EXPECT_FALSE(g.st.ShowHiScores);
  ticks = app->FrameTicks();
  run(shown + 15000);
  EXPECT_GE(app->FrameTicks() - ticks, 300) << "the demo has all its frames again";
  EXPECT_EQ(GameDigest(g), GameDigest(every_frame.G()));
}

TEST_F(AppTest, LosingTheFocusPausesAGameInPlayButNotTheDemoAndComingBackDoesNotUnpause) {
  InputEvent lost;
  lost.type = InputEvent::Type::FocusLost;
  app->PlayOnDesktop();
  app->StartUp();
  Game& g = app->G();
  app->RunUntil(3000);
  host->QueueEvent(lost);
  app->RunUntil(clock->Now() + 100);
  EXPECT_FALSE(g.st.Paused) << "the attract mode is nobody's game";

  dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  app.reset();
  app = std::make_unique<App>(*host, dir.Path(), dir.Path() + "data/");
  app->PlayOnDesktop();
  app->StartUp();
  Game& play = app->G();
  app->RunUntil(clock->Now() + 6000);
  ASSERT_TRUE(play.st.GameRunning && !play.st.Demomode);
  host->QueueEvent(lost);
  app->RunUntil(clock->Now() + 100);
  EXPECT_TRUE(play.st.Paused);
  host->QueueEvent(lost);  // a second loss must not toggle it back
  app->RunUntil(clock->Now() + 3000);
  EXPECT_TRUE(play.st.Paused);
  Press(VK_F5, 200);
  EXPECT_FALSE(play.st.Paused);
}

TEST_F(AppTest, EscClosesOnceAndStoresLevelZero) {
  app->StartUp();
  app->RunUntil(2000);
  Press(VK_ESCAPE, 50);
  app->RunUntil(clock->Now() + 100);
  EXPECT_TRUE(app->Closed());
  EXPECT_EQ(app->G().settings.ReadIni("Level"), "0");
}

TEST_F(AppTest, AStoredGameWhoseLevelFileIsMissingIsNotResumed) {
  dir.Write("data/kirpo.ini", "Level=2\r\nStartLevel=0\r\nRunner=3\r\nScore=0\r\nStartMode=4\r\n");
  fs::remove(dir.Path() + "data/generatedfigures_2.txt");
  app->StartUp();
  app->RunUntil(3000);
  EXPECT_TRUE(app->G().st.Demomode);
  EXPECT_EQ(app->G().st.Level, 0);
}

}  // namespace
}  // namespace kirpo

namespace kirpo {
namespace {

TEST_F(AppTest, AFailedAudioStreamEndsTheProgramFromTheFrameLoop) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // no sound card in CI
  dir.Write("data/schuss.wav", "this is no sound file, so no stream can be made of it");
  app->StartUp();
  app->RunUntil(2100);  // sound switches itself on after two seconds
  Game& g = app->G();
  ASSERT_TRUE(g.sound->SoundOn());
  g.sound->PlayMusik(nullptr, "schuss.wav");
  std::optional<FatalErrorException> error;
  for (int i = 0; i < 200 && !error; ++i) {
    try {
      app->RunUntil(clock->Now() + 20);  // the attract mode plays on meanwhile
    } catch (const FatalErrorException& e) {
      error = e;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the worker's own pace
  }
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Code(), ExitAudioStream);
  EXPECT_STREQ(error->what(), "Error creating audio stream!");
}

TEST_F(AppTest, TheSpeakerShowsSoundOffWhenTheSoundWorkerGivesUp) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);  // no sound card in CI
  for (const bool menu_open : {true, false}) {
    app.reset();
    app = std::make_unique<App>(*host, dir.Path(), data, std::make_unique<test::FailingAudioBackend>(1000));
    app->StartUp();
    Game& g = app->G();
    if (menu_open != (g.mf.b_menue->opacity == 1.0f)) b_menueClick(g);
    app->RunUntil(clock->Now() + 2100);  // sound switches itself on after two seconds
    ASSERT_TRUE(g.sound->SoundOn());
    const auto shows_on = [&] { return menu_open ? g.mf.SpeakerButtonOn->visible : g.mf.SpeakerButtonOn->tag == 1; };
    ASSERT_TRUE(shows_on()) << menu_open;
    g.sound->PlayMusik(nullptr, "gameover.wav");  // every stream fails: the worker gives up
    for (int i = 0; i < 300 && g.sound->SoundOn(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(g.sound->SoundOn());
    app->RunUntil(clock->Now() + 20);
    EXPECT_FALSE(shows_on()) << menu_open;
    if (!menu_open) b_menueClick(g);
    EXPECT_TRUE(g.mf.SpeakerButtonOff->visible) << menu_open;
    EXPECT_FALSE(g.mf.SpeakerButtonOn->visible) << menu_open;
  }
}

TEST_F(AppTest, DemoPlaysLevelZeroToTheDoorThenShowsTheTableAndStartsAgain) {
  app->StartUp();
  Game& g = app->G();
  bool won = false, table = false;
  int64_t t = 0;
  for (; t < 90000 && !(won && table && !g.st.ShowHiScores); t += 100) {
    app->RunUntil(t);
    ASSERT_TRUE(g.st.Demomode);
    ASSERT_FALSE(g.st.Tot) << "the demo runner was caught at " << t << " ms";
    won = won || g.st.MissionCompleted;
    table = table || (won && g.st.ShowHiScores);
  }
  EXPECT_TRUE(won);
  EXPECT_TRUE(table);
  EXPECT_EQ(g.st.Level, 0);
  EXPECT_FALSE(g.st.MissionCompleted);  // the demo has started over
}

}  // namespace
}  // namespace kirpo

namespace kirpo {
namespace {

TEST_F(AppTest, WhilePausedTheGamePictureStandsButTheLayoutIsRedrawn) {
  Game& g = PausedInPlay();
  ASSERT_TRUE(g.st.Paused);
  const auto before = host->ReadPixels();
  // A layout change while paused (the pause button swapped for the play button) shows at once.
  g.mf.b_menue->opacity = 1;
  app->RunUntil(clock->Now() + 100);
  const auto after = host->ReadPixels();
  auto changed = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += before->Pixel(x, y) != after->Pixel(x, y);
    return n;
  };
  EXPECT_GT(changed(871, 7, 921, 57), 100);  // the menu button, in 960 x 600 pixels
  EXPECT_EQ(changed(0, 100, 800, 600), 0);   // the play-field did not move
}

TEST_F(AppTest, WhilePausedAStillPictureIsNotPresentedAgainButEveryChangeShows) {
  dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  app->StartUp();
  app->RunUntil(6000);
  Press(VK_F5, 100);
  ASSERT_TRUE(app->G().st.Paused);
  app->RunUntil(clock->Now() + 500);
  int64_t presents = host->Presents();
  app->RunUntil(clock->Now() + 2000);
  EXPECT_LE(host->Presents() - presents, 5) << "two seconds of a still picture are 128 frames";

  // The pointer comes to rest on the menu button: its hint appears after a while, and what the
  // window shows then is what a full redraw shows.
  InputEvent move;
  move.type = InputEvent::Type::MouseMove;
  move.x = 896, move.y = 32;
  host->QueueEvent(move);
  app->RunUntil(clock->Now() + 100);
  const auto before_hint = host->ReadPixels();
  presents = host->Presents();
  app->RunUntil(clock->Now() + 700);
  EXPECT_GE(host->Presents() - presents, 1);
  const auto shown = host->ReadPixels();
  InputEvent resized;
  resized.type = InputEvent::Type::Resized;
  host->QueueEvent(resized);
  app->RunUntil(clock->Now() + 20);
  const auto redrawn = host->ReadPixels();
  int differ = 0, hint = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 960; ++x) {
      differ += shown->Pixel(x, y) != redrawn->Pixel(x, y);
      hint += shown->Pixel(x, y) != before_hint->Pixel(x, y);
    }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(hint, 100) << "the hint never showed";
}

}  // namespace
}  // namespace kirpo

namespace kirpo {
namespace {

// The brightness of the play-field's middle, in 960 x 600 pixels.
double FieldBrightness(const Bitmap& b) {
  double sum = 0;
  int n = 0;
  for (int y = 100; y < 560; y += 4)
    for (int x = 20; x < 800; x += 4, ++n) {
      const uint32_t p = b.Pixel(x, y);
      sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    }
  return sum / n;
}

TEST_F(AppTest, PauseDimsThePictureSaysSoAndTheMenuIconFollowsHoweverItBegan) {
  dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
  app->StartUp();
  Game& g = app->G();
  app->RunUntil(6000);
  const double playing = FieldBrightness(*host->ReadPixels());

  // Paused by F5 with the menu closed: the menu opens on the play icon.
  Press(VK_F5, 100);
  ASSERT_TRUE(g.st.Paused);
  app->RunUntil(clock->Now() + 50);
  auto paused = host->ReadPixels();
  EXPECT_LT(FieldBrightness(*paused), playing * 0.6);
  int yellow = 0;  // "PAUSED" in the middle of the field
  for (int y = 250; y < 350; ++y)
    for (int x = 250; x < 580; ++x) {
      const uint32_t p = paused->Pixel(x, y);
      yellow += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 60;
    }
  EXPECT_GT(yellow, 300);
  auto icons_show = [&](bool paused) {
    EXPECT_EQ(g.st.Paused, paused);
    EXPECT_EQ(g.mf.b_play->visible, paused);
    EXPECT_EQ(g.mf.b_pause->visible, !paused);
  };
  g.mf.b_menue->on_click();
  icons_show(true);

  // Resumed by F5 with the menu open: the icon turns back at once.
  app->RunUntil(clock->Now() + 1100);
  Press(VK_F5, 100);
  icons_show(false);

  // Paused by the icon, then resumed by F5: the icons follow both.
  g.mf.b_pause->on_mouse_up(0, 0);
  app->RunUntil(clock->Now() + 50);
  icons_show(true);
  app->RunUntil(clock->Now() + 1100);
  Press(VK_F5, 100);
  icons_show(false);
  EXPECT_GT(FieldBrightness(*host->ReadPixels()), playing * 0.6);
}

}  // namespace
}  // namespace kirpo
