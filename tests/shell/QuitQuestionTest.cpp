// Esc in the middle of a game asks before the run is thrown away; the skull's question can be
// taken back. The real program around the game, headless.
#include "game/QuitQuestion.h"

#include <gtest/gtest.h>

#include "common/Consts.h"
#include "game/Game.h"
#include "platform/Bitmap.h"
#include "platform/Host.h"
#include "shell/App.h"
#include "shell/AppFixture.h"

namespace kirpo {
namespace {

using Answer = QuitQuestion::Answer;

// Frames of keys, each with the keys held in it, and what the question answers to the last one.
TEST(QuitQuestionKeysTest, EscAsksInPlayOnlyAndTheNextPressAnswers) {
  struct Case {
    const char* name;
    std::vector<std::vector<int>> frames;
    bool in_play;
    Answer last;
    bool open_after;
  };
  const Case cases[] = {
      {"Esc in play asks", {{VK_ESCAPE}}, true, Answer::Asked, true},
      {"Esc outside play is left to the program", {{VK_ESCAPE}}, false, Answer::None, false},
      {"Esc held on is no second press", {{VK_ESCAPE}, {VK_ESCAPE}, {VK_ESCAPE}}, true, Answer::None, true},
      {"Esc again ends", {{VK_ESCAPE}, {}, {VK_ESCAPE}}, true, Answer::Quit, false},
      {"Enter ends", {{VK_ESCAPE}, {}, {VK_RETURN}}, true, Answer::Quit, false},
      {"Enter while Esc is still held ends", {{VK_ESCAPE}, {VK_ESCAPE, VK_RETURN}}, true, Answer::Quit, false},
      {"another key goes on", {{VK_ESCAPE}, {}, {'X'}}, true, Answer::GoOn, false},
      {"an arrow goes on", {{VK_ESCAPE}, {}, {VK_RIGHT}}, true, Answer::GoOn, false},
      {"a key held from before asks nothing", {{VK_RIGHT}, {VK_RIGHT, VK_ESCAPE}, {VK_RIGHT}}, true, Answer::None,
       true},
      {"Enter and an arrow at once end", {{VK_ESCAPE}, {}, {VK_RETURN, VK_LEFT}}, true, Answer::Quit, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QuitQuestion q;
    Answer a = Answer::None;
    std::array<uint8_t, 256> keys{};
    for (const auto& frame : c.frames) {
      keys = {};
      for (int vk : frame) keys[static_cast<size_t>(vk)] = 0x80;
      a = q.Keys(keys, c.in_play);
    }
    EXPECT_EQ(a, c.last);
    EXPECT_EQ(q.Open(), c.open_after);
    if (a != Answer::None) {
      // What the question took does nothing else in that frame.
      for (int vk : c.frames.back()) {
        if (q.Taken()[static_cast<size_t>(vk)]) {
          EXPECT_EQ(keys[static_cast<size_t>(vk)], 0) << vk;
        }
      }
    }
  }
}

int YellowPixels(const Bitmap& b, int top, int bottom) {
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < 830; ++x) {
      const uint32_t p = b.Pixel(x, y);
      n += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) < 60;
    }
  return n;
}

struct QuitQuestionTest : test::AppFixture {
  Game& G() { return app->G(); }
  // A game in play on level 1 whose runner has walked in and whose clock runs.
  void InPlay() {
    dir.Write("data/kirpo.ini", "Level=1\r\nStartLevel=1\r\nRunner=3\r\nScore=0\r\nStartMode=2\r\n");
    app->StartUp();
    app->RunUntil(clock->Now() + 6000);
    ASSERT_TRUE(G().st.BonusTimer.Enabled);
    ASSERT_FALSE(G().st.Demomode);
  }
  void Run(int ms) { app->RunUntil(clock->Now() + ms); }
};

TEST_F(QuitQuestionTest, EscInPlayAsksOverTheStillGameAndAnyOtherKeyPlaysOnAsBefore) {
  InPlay();
  Game& g = G();
  host->NoteKey(VK_ESCAPE, true);
  Run(100);
  ASSERT_FALSE(app->Closed());
  EXPECT_TRUE(g.st.Paused);
  const std::unique_ptr<Bitmap> asked = host->ReadPixels();
  // Two lines in the end-text style: the question above the middle, its keys below.
  EXPECT_GT(YellowPixels(*asked, 200, 300), 300);
  EXPECT_GT(YellowPixels(*asked, 310, 360), 100);

  const int bonus = g.st.TimeBonus;
  const int64_t game_time = g.st.Now();
  Run(3000);  // Esc held on all the while: no second press
  host->NoteKey(VK_ESCAPE, false);
  Run(100);
  ASSERT_FALSE(app->Closed());
  EXPECT_EQ(g.st.TimeBonus, bonus) << "the level clock stands while asked";
  EXPECT_EQ(g.st.Now(), game_time);

  // The right arrow answers: the game plays on, and the arrow does not walk the runner.
  const float x = g.RunnerSprite()->X;
  Press(VK_RIGHT, 500);
  EXPECT_FALSE(g.st.Paused);
  EXPECT_FALSE(app->Closed());
  EXPECT_EQ(g.RunnerSprite()->X, x);
  Run(1100);
  EXPECT_LT(g.st.TimeBonus, bonus) << "the clock goes on";
  EXPECT_EQ(YellowPixels(*host->ReadPixels(), 200, 300), 0) << "the question is gone";
  Press(VK_RIGHT, 500);
  EXPECT_GT(g.RunnerSprite()->X, x) << "a new press walks";
}

TEST_F(QuitQuestionTest, EscOrEnterAnswersEndTheGameAClickOrPadGoesOnAndAPauseStays) {
  struct Case {
    const char* name;
    bool paused_before;
    int answer;  // a key, or 0 for a click on the field
    bool closed;
    bool paused_after;
  };
  const Case cases[] = {
      {"Esc again", false, VK_ESCAPE, true, false},
      {"Enter", false, VK_RETURN, true, false},
      {"a click", false, 0, false, false},
      {"F5 goes on and does not pause again", false, VK_F5, false, false},
      {"a paused game stays paused", true, 'X', false, true},
      {"and ends as well", true, VK_RETURN, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    app = std::make_unique<App>(*host, dir.Path(), data);
    InPlay();
    if (c.paused_before) {
      Press(VK_F5, 100);
      Run(100);
      ASSERT_TRUE(G().st.Paused);
    }
    Press(VK_ESCAPE, 100);
    Run(100);
    ASSERT_TRUE(G().st.Paused);
    if (c.answer) {
      Press(c.answer, 100);
    } else {
      QueueClickAt(300, 300);
    }
    Run(1000);
    EXPECT_EQ(app->Closed(), c.closed);
    if (c.closed) {
      EXPECT_EQ(G().settings.ReadIni("Level"), "0");
    } else {
      EXPECT_EQ(G().st.Paused, c.paused_after);
      EXPECT_FALSE(G().st.Tot) << "the click did nothing in the game";
    }
  }
}

TEST_F(QuitQuestionTest, TheSkullsQuestionCancelledLeavesTheGameAsItWas) {
  InPlay();
  Game& g = G();
  const Widget& skull = *g.mf.b_cancel;
  const int runners = g.st.Runner;
  QueueClickAt(skull.x + skull.w / 2, skull.y + skull.h / 2);  // the layout is 960 x 600 as the window
  Run(200);  // without a display the question's answer is Cancel
  EXPECT_FALSE(g.st.Tot);
  EXPECT_EQ(g.st.Runner, runners);
  EXPECT_FALSE(g.st.Paused);
  const int bonus = g.st.TimeBonus;
  Run(1100);
  EXPECT_LT(g.st.TimeBonus, bonus) << "the game plays on";
}

}  // namespace
}  // namespace kirpo
