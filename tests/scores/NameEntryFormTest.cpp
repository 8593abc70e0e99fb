// The name entry in the real program around the game, headless: an offscreen window picture,
// a manual clock, and input as the window system would deliver it.
#include "scores/NameEntryForm.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/Consts.h"
#include "game/TimedEffects.h"
#include "platform/Bitmap.h"
#include "platform/FileUtil.h"
#include "platform/Host.h"
#include "scores/HiScores.h"
#include "shell/App.h"
#include "shell/AppFixture.h"
#include "support/TempDir.h"

namespace kirpo {
namespace {

namespace fs = std::filesystem;

struct NameEntryFormTest : test::AppFixture {
  Game& G() { return app->G(); }
  NameEntryForm& Entry() { return *app->GetNameEntryForm(); }
  bool EntryShown() { return &app->CurrentForm() == &Entry().form; }
  void Run(int64_t ms) { app->RunUntil(clock->Now() + ms); }

  // A game of Hard with 5000 points on its last runner, ended with the kill button and Yes.
  void EndGameWithTopScore() {
    dir.Write("data/kirpo.ini",
              "Difficulty=1\r\nLevel=1\r\nStartLevel=0\r\nRunner=0\r\nScore=5000\r\nStartMode=2\r\n");
    app->StartUp();
    Run(6000);  // the runner has walked in
    ASSERT_FALSE(G().st.Demomode);
    ExitWholeGameAnswered(G(), true, false);
    for (int i = 0; i < 200 && !EntryShown(); ++i) Run(100);
    ASSERT_TRUE(EntryShown());
  }
  void Send(InputEvent::Type type, int vk, bool repeat = false) {
    InputEvent e;
    e.type = type;
    e.vk = vk;
    e.repeat = repeat;
    host->Inject(e);
  }
  // One key press as a keyboard sends it: the press, the typed text, the release.
  void Type(int vk, const std::string& text = "") {
    if (vk) Send(InputEvent::Type::KeyDown, vk);
    if (!text.empty()) {
      InputEvent t;
      t.type = InputEvent::Type::Text;
      t.text = text;
      host->Inject(t);
    }
    Run(40);
    if (vk) Send(InputEvent::Type::KeyUp, vk);
    Run(40);
  }
  void TypeText(const std::string& text) {
    for (char c : text) Type(std::isalpha(static_cast<unsigned char>(c)) ? std::toupper(c) : 0, std::string(1, c));
  }
  // A click or tap on a widget of the 1024 x 600 form, in the 960 x 600 window.
  void Click(const Widget& w) {
    InputEvent e;
    e.x = (w.x + w.w / 2) * 960 / 1024;
    e.y = w.y + w.h / 2;
    e.type = InputEvent::Type::MouseMove;
    host->Inject(e);
    e.type = InputEvent::Type::MouseDown;
    host->Inject(e);
    e.type = InputEvent::Type::MouseUp;
    host->Inject(e);
    Run(40);
  }
  Widget& KeyCap(const std::string& caption) {
    for (const auto& [c, w] : Entry().Keys())
      if (c == caption) return *w;
    throw std::logic_error("no key " + caption);
  }
  HiScoreList HardFile() { return ReadHiScoreFile(data + "hiscore_h.txt"); }
};

TEST_F(NameEntryFormTest, BothKeyboardsTypeTheNameAndEnterSavesItAndShowsItLitInTheTable) {
  EndGameWithTopScore();
  NameEntryForm& f = Entry();
  EXPECT_EQ(f.PNPTitel->text, "New HiScore !");
  EXPECT_EQ(f.PlayersName->text, "____________");
  const uint32_t colour = f.PNPTitel->color;
  Run(60);
  EXPECT_NE(f.PNPTitel->color, colour) << "the title blinks every 50 ms for the best score";

  TypeText("zo7e");  // the digit is not taken
  Type(VK_BACK);
  Type(0, "_");
  Click(KeyCap("Q"));
  Click(KeyCap("_____"));
  Click(*f.DeleteKey);
  EXPECT_EQ(f.PlayersName->text, "ZO Q________");

  // Hover lights a key up fully.
  InputEvent move;
  move.type = InputEvent::Type::MouseMove;
  move.x = (KeyCap("M").x + 5) * 960 / 1024, move.y = KeyCap("M").y + 5;
  host->Inject(move);
  Run(20);
  EXPECT_FLOAT_EQ(KeyCap("M").opacity, 1.0f);
  EXPECT_FLOAT_EQ(KeyCap("N").opacity, 0.8f);

  Type(VK_RETURN);
  EXPECT_FALSE(EntryShown());
  EXPECT_FALSE(G().st.NameEntryActive);
  EXPECT_TRUE(G().st.Demomode);
  EXPECT_TRUE(G().st.ShowHiScores);
  EXPECT_EQ(HardFile()[0].Name, "ZO Q");
  EXPECT_EQ(HardFile()[0].Score, 5000);
  EXPECT_EQ(HighlightedRow(G()), 0);
  EXPECT_EQ(G().st.HiScore, 5000);
  // The release of the Enter key must not reach the attract mode, which would leave the table.
  Run(1000);
  EXPECT_TRUE(G().st.ShowHiScores);
  EXPECT_EQ(&app->CurrentForm(), &G().mf.form);
}

// The table's lit row: the colour of the row just entered.
int LitPixels(const Bitmap& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) n += (b.Pixel(x, y) & 0xFFFFFF) == 0xADFF2F;
  return n;
}

TEST_F(NameEntryFormTest, TheNewRowShowsLitAtOnceAndASecondEnterDoesNotSkipIt) {
  EndGameWithTopScore();
  TypeText("ann");
  Type(VK_RETURN);
  Run(100);
  ASSERT_FALSE(EntryShown());
  EXPECT_GT(LitPixels(*host->ReadPixels()), 100) << "the table with the new row comes at once";

  // The natural second Enter, and a click, while the row is new: the table stays.
  Type(VK_RETURN);
  QueueClickAt(300, 300);
  Run(1500);
  EXPECT_EQ(&app->CurrentForm(), &G().mf.form);
  EXPECT_TRUE(G().st.ShowHiScores);
  EXPECT_GT(LitPixels(*host->ReadPixels()), 100);

  // Once the row has been seen, Enter leaves for the start menu as ever.
  Run(NewRowSeenMs);
  Type(VK_RETURN);
  Run(1500);
  EXPECT_NE(&app->CurrentForm(), &G().mf.form);
}

TEST_F(NameEntryFormTest, OnlyAnEnterPressedOnTheFormSavesIt) {
  EndGameWithTopScore();
  TypeText("al");
  // Alt+Enter: its press went to full screen, and Alt was let go before Enter.
  InputEvent full;
  full.type = InputEvent::Type::ToggleFullScreen;
  host->Inject(full);
  Run(40);
  Send(InputEvent::Type::KeyUp, VK_RETURN);
  Run(200);
  EXPECT_TRUE(EntryShown()) << "a half-typed name was saved";
  EXPECT_FALSE(FileExists(data + "hiscore_h.txt"));
  TypeText("ex");
  Type(VK_RETURN);
  EXPECT_FALSE(EntryShown());
  EXPECT_EQ(HardFile()[0].Name, "ALEX");
}

TEST_F(NameEntryFormTest, APauseBehindTheNameEntryDoesNotFreezeTheAttractMode) {
  app->PlayOnDesktop();
  EndGameWithTopScore();
  InputEvent lost;
  lost.type = InputEvent::Type::FocusLost;
  host->Inject(lost);
  Run(200);
  EXPECT_FALSE(G().st.Paused) << "no game is played behind the name entry";
  // F5 still pauses on any screen; the game's end takes the pause away.
  host->NoteKey(VK_F5, true);
  Run(100);
  host->NoteKey(VK_F5, false);
  Run(100);
  ASSERT_TRUE(G().st.Paused);
  Type(VK_RETURN);
  EXPECT_FALSE(G().st.Paused);
  EXPECT_TRUE(G().st.Demomode);
  const int64_t game_time = G().st.Now();
  Run(12000);
  EXPECT_FALSE(G().st.ShowHiScores) << "the table gave way to the demo";
  EXPECT_GT(G().st.Now(), game_time + 5000) << "the demo plays";
}

TEST_F(NameEntryFormTest, KeysHeldFromBeforeTheFormDoNotActOnIt) {
  dir.Write("data/kirpo.ini", "Difficulty=1\r\nLevel=1\r\nStartLevel=0\r\nRunner=0\r\nScore=5000\r\nStartMode=2\r\n");
  // Enter and A are pressed while the game still runs and held until the form is up.
  Send(InputEvent::Type::KeyDown, VK_RETURN);
  Send(InputEvent::Type::KeyDown, 'A');
  EndGameWithTopScore();
  // The keyboard repeats the held keys; the repeats are no fresh presses.
  Send(InputEvent::Type::KeyDown, 'A', true);
  InputEvent t;
  t.type = InputEvent::Type::Text;
  t.text = "a";
  host->Inject(t);
  Send(InputEvent::Type::KeyDown, VK_RETURN, true);
  Run(40);
  Send(InputEvent::Type::KeyUp, 'A');
  Send(InputEvent::Type::KeyUp, VK_RETURN);
  Run(100);
  EXPECT_TRUE(EntryShown()) << "a stale Enter saved the entry";
  EXPECT_EQ(Entry().PlayersName->text, "____________");
  EXPECT_FALSE(FileExists(data + "hiscore_h.txt"));

  Type('B', "b");
  Type(0, ".");  // keys the game has no code for arrive as typed text only
  Type(VK_RETURN);
  EXPECT_FALSE(EntryShown());
  EXPECT_EQ(HardFile()[0].Name, "B.");
}

TEST_F(NameEntryFormTest, EscOrClosingTheWindowSavesTheNameTypedSoFar) {
  for (const bool esc : {true, false}) {
    SCOPED_TRACE(esc ? "Esc" : "window closed");
    if (!app) app = std::make_unique<App>(*host, dir.Path(), data);
    EndGameWithTopScore();
    TypeText("max");
    if (esc) {
      host->NoteKey(VK_ESCAPE, true);
      Run(100);
      host->NoteKey(VK_ESCAPE, false);
    } else {
      InputEvent quit;
      quit.type = InputEvent::Type::Quit;
      host->Inject(quit);
    }
    Run(1000);
    EXPECT_TRUE(app->Closed());
    EXPECT_EQ(HardFile()[0].Name, "MAX");
    EXPECT_EQ(HardFile()[0].Score, 5000);
    app.reset();
    fs::remove(data + "hiscore_h.txt");
  }
}

}  // namespace
}  // namespace kirpo
