#include "levels/LevelLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "common/Errors.h"
#include "sprites/FigureFixture.h"

namespace kirpo {
namespace {

constexpr uint32_t BlockColour = 0xFF3366CCu;
constexpr uint32_t WideColour = 0xFFCC6633u;

TEST(LevelLineTest, SplitsLikeTheLevelEditorWrites) {
  struct Case {
    const char* line;
    std::vector<std::string> items;
  } cases[] = {
      {"Typ=stein,X=0,Y=0", {"Typ=stein", "X=0", "Y=0"}},
      {"  Typ=stein , X=0\tY=0  ", {"Typ=stein", "X=0", "Y=0"}},
      {"\"Gruppe=a, b\",X=1", {"Gruppe=a, b", "X=1"}},
      {"\"Optionen=say \"\"hi\"\"\"", {"Optionen=say \"hi\""}},
      {"Typ=pilz,", {"Typ=pilz", ""}},  // a final comma adds an empty item
      {"Typ=pilz, ", {"Typ=pilz"}},     // unless something follows it
      {"a,,b", {"a", "", "b"}},
      {"X=\"5\"", {"X=\"5\""}},         // quotes count only at the start of an item
      {"\"unclosed, still one", {"unclosed, still one"}},
      {"\"a\"b", {"a", "b"}},
      {"", {}},
      {"   ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(SplitLevelLine(c.line), c.items);
  }
}

TEST(LevelLineTest, ValueOfTheFirstItemNamedLikeTheKey) {
  const std::string line = "typ=Pilz,TYP=stein,Gruppe=a=b,Speed,X=,Y=7";
  EXPECT_EQ(GetLineValue(line, "Typ"), "Pilz");
  EXPECT_EQ(GetLineValue(line, "gruppe"), "a=b");
  EXPECT_EQ(GetLineValue(line, "Speed"), "");  // an item without "=" is no item
  EXPECT_EQ(GetLineValue(line, "X"), "");
  EXPECT_EQ(GetLineValue(line, "Y"), "7");
  EXPECT_EQ(GetLineValue(line, "Ebene"), "");
}

struct LevelLoaderTest : ::testing::Test {
  test::GameInDir env;
  Game& g = env.g();

  void SetUp() override {
    test::WriteFigure(env.dir, 3, 52, 52, BlockColour);
    test::WriteFigure(env.dir, 4, 104, 52, WideColour);
    test::WriteFigure(env.dir, 7, 52, 52, 0xFF00FF00u);
    test::LoadFigures(g);
    g.st.Level = 3;
  }

  void WriteLevel(const std::string& text) { env.dir.Write("generatedfigures_3.txt", text); }

  // The fatal error a load ends with, if any.
  std::optional<FatalErrorException> Load() {
    try {
      LoadLevelFile(g);
    } catch (const FatalErrorException& e) {
      return e;
    }
    return std::nullopt;
  }
};

std::string Line(const std::string& typ, int x, int y, int fig, const std::string& more = "") {
  return "Typ=" + typ + ",X=" + std::to_string(x) + ",Y=" + std::to_string(y) + ",Ebene=1,Hoehe=1,Richtung=Ost,FigNr=" +
         std::to_string(fig) + ",IVTime=0" + more + "\r\n";
}

TEST_F(LevelLoaderTest, LinesThatStopTheGame) {
  const std::string pilz = Line("pilz", 52, 52, 7);
  struct Case {
    const char* name;
    std::string text;
    int difficulty;
    int code;             // 0: loads
    std::string message;  // the whole message
    int sprites;          // made before the end
  } cases[] = {
      {"blank line", pilz + "\r\n" + pilz, 0, 77, "CreateLevelSprites: Falscher Typ in GeneratedFigures-3.txt, Typ=", 1},
      {"unknown type", pilz + "Typ=dragon,X=1\r\n", 0, 77,
       "CreateLevelSprites: Falscher Typ in GeneratedFigures-3.txt, Typ=dragon", 1},
      {"background and died in any case, without other keys", "Typ=BackGround\r\ntyp=DIED\r\n" + pilz, 0, 0, "", 1},
      {"unknown direction on a monster left out at Easy",
       "Typ=kmonster,X=1,Y=1,Ebene=1,Hoehe=1,Richtung=Nordwestlich,FigNr=7,IVTime=0\r\n", 0, 0, "", 0},
      {"the same monster at Hard",
       "Typ=kmonster,X=1,Y=1,Ebene=1,Hoehe=1,Richtung=Nordwestlich,FigNr=7,IVTime=0\r\n", 1, 77,
       "GetRichtungIndex: Falsche Richtung in GeneratedFigures-3.txt, R=Nordwestlich", 0},
      {"direction names ignore case",
       "Typ=Pilz,X=1,Y=1,Ebene=1,Hoehe=1,Richtung=sUEDwest,FigNr=7,IVTime=0\r\n"
       "TYP=PILZ,X=1,Y=1,Ebene=1,Hoehe=1,Richtung=NULL,FigNr=7,IVTime=0\r\n",
       0, 0, "", 2},
      {"letters in a number", pilz + "Typ=pilz,X=abc,Y=1,Ebene=1,Hoehe=1,Richtung=Ost,FigNr=7,IVTime=0\r\n", 0, 78,
       "Bad number in generatedfigures_3.txt, line 2: X=abc", 1},
      {"missing number", "Typ=pilz,X=1,Ebene=1,Hoehe=1,Richtung=Ost,FigNr=7,IVTime=0\r\n", 0, 78,
       "Bad number in generatedfigures_3.txt, line 1: Y=", 0},
      {"figure number with a fraction", "Typ=pilz,X=1,Y=1,Ebene=1,Hoehe=1,Richtung=Ost,FigNr=7.5,IVTime=0\r\n", 0, 78,
       "Bad number in generatedfigures_3.txt, line 1: FigNr=7.5", 0},
      {"number beyond 32 bits", "Typ=pilz,X=1,Y=1,Ebene=1,Hoehe=99999999999,Richtung=Ost,FigNr=7,IVTime=0\r\n", 0, 78,
       "Bad number in generatedfigures_3.txt, line 1: Hoehe=99999999999", 0},
      {"IVTime checked even where it is not used", "Typ=pilz,X=1,Y=1,Ebene=1,Hoehe=1,Richtung=Ost,FigNr=7,IVTime=\r\n",
       0, 78, "Bad number in generatedfigures_3.txt, line 1: IVTime=", 0},
      {"a place far outside the field", pilz + "Typ=pilz,X=2147483647,Y=1,Ebene=1,Hoehe=1,Richtung=Ost,FigNr=7,IVTime=0\r\n",
       0, 77, "Position outside the field in generatedfigures_3.txt, line 2: X=2147483647, Y=1", 1},
      {"a block above the field", "Typ=stein,X=0,Y=-52,Ebene=1,Hoehe=1,Richtung=null,FigNr=3,IVTime=0\r\n", 0, 77,
       "Position outside the field in generatedfigures_3.txt, line 1: X=0, Y=-52", 0},
      {"the last places inside the field", Line("pilz", 1919, 1197, 7) + Line("pilz", 0, 0, 7), 0, 0, "", 2},
      {"figure numbers outside the table are skipped", Line("pilz", 0, 0, 500) + Line("pilz", 0, 0, -1) +
                                                           Line("stein", 0, 0, 401) + Line("pilz", 0, 0, 90),
       0, 0, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::GameInDir fresh;
    for (int n : {3, 4, 7}) std::filesystem::copy_file(env.dir.File("Neu" + std::to_string(n) + ".png"),
                                                        fresh.dir.File("Neu" + std::to_string(n) + ".png"));
    Game& h = fresh.g();
    test::LoadFigures(h);
    h.st.Level = 3;
    h.st.Difficulty = c.difficulty;
    fresh.dir.Write("generatedfigures_3.txt", c.text);
    std::optional<FatalErrorException> error;
    try {
      LoadLevelFile(h);
    } catch (const FatalErrorException& e) {
      error = e;
    }
    if (c.code == 0) {
      EXPECT_FALSE(error) << error->what();
    } else {
      ASSERT_TRUE(error);
      EXPECT_EQ(error->Code(), c.code);
      EXPECT_EQ(std::string(error->what()), c.message);
    }
    EXPECT_EQ(h.world.SpriteCount(), c.sprites);
  }
}

TEST_F(LevelLoaderTest, MissingFileIsFatal) {
  const auto error = Load();
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Code(), 69);
  EXPECT_EQ(std::string(error->what()), "File not found: " + env.dir.File("generatedfigures_3.txt"));
}

TEST_F(LevelLoaderTest, IntervalAndSpeedRules) {
  WriteLevel(Line("pilz", 0, 0, 7, ",Speed=3") + Line("pilz", 52, 0, 7, ",Speed=3") +
             "Typ=pilz,X=104,Y=0,Ebene=1,Hoehe=1,Richtung=Ost,FigNr=7,IVTime=500,Speed=1\r\n" +
             Line("EndGegner", 0, 52, 7, ",Speed=3") + Line("EndGegner", 52, 52, 7, ",Speed=fast") +
             Line("Truemmer", 104, 52, 7) + Line("bball", 0, 104, 7, ",Speed=9") + Line("rball", 52, 104, 7) +
             Line("door", 104, 104, 7, ",Speed=2"));
  ASSERT_FALSE(Load());
  struct Expect {
    int typ;
    float speed;
  } expected[] = {{TypPilz, 4},       {TypPilz, 4},      {TypPilz, 4},  {TypEndGegner, 3}, {TypEndGegner, 0},
                  {TypTruemmer, 0},   {TypBBall, 4},     {TypRBall, 4}, {TypDoor, 2}};
  ASSERT_EQ(g.world.SpriteCount(), 9);
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const TSprite& s = g.world.At(i);
    EXPECT_EQ(s.Typ, expected[i].typ);
    EXPECT_EQ(s.TypSpeed, expected[i].speed);
    EXPECT_EQ(s.IntervalTime, 20);  // every figure but a block gets 20
    EXPECT_TRUE(s.CanDoCollisions);
    EXPECT_EQ(s.Z, -1);
  }

  // Blocks keep their own interval, 20 when the file says 0.
  test::GameInDir other;
  std::filesystem::copy_file(env.dir.File("Neu3.png"), other.dir.File("Neu3.png"));
  test::LoadFigures(other.g());
  other.dir.Write("generatedfigures_0.txt", Line("stein", 0, 0, 3));
  LoadLevelFile(other.g());
  EXPECT_EQ(other.g().world.BlockTemplate()->IntervalTime, 20);
  other.dir.Write("generatedfigures_0.txt", "Typ=stein,X=0,Y=0,Ebene=1,Hoehe=1,Richtung=null,FigNr=3,IVTime=7\n");
  LoadLevelFile(other.g());
  EXPECT_EQ(other.g().world.BlockTemplate()->IntervalTime, 7);
}

TEST_F(LevelLoaderTest, MonstersFollowTheDifficulty) {
  const std::string plain = Line("kmonster", 0, 0, 7) + Line("gmonster", 52, 0, 7) + Line("pilz", 104, 0, 7);
  // The "easy" option brings a monster to every difficulty; other words, or the word inside
  // another, change nothing.
  const std::string easy_k = Line("kmonster", 0, 0, 7, ",Optionen=easy") + Line("gmonster", 52, 0, 7) +
                             Line("kmonster", 0, 52, 7, ",\"Optionen=slow EASY\"") +
                             Line("kmonster", 0, 104, 7, ",Optionen=uneasy") + Line("pilz", 104, 0, 7);
  const std::string easy_g = Line("gmonster", 52, 0, 7, ",Optionen=easy") + Line("pilz", 104, 0, 7);
  constexpr int K = TypKMonster, G = TypGMonster, P = TypPilz;
  struct Case {
    const char* name;
    const std::string& level;
    int difficulty;
    bool demo, replayed_demo;
    int demo_difficulty;
    std::vector<int> types;
  } cases[] = {
      {"Easy: no monsters", plain, 0, false, false, 0, {P}},
      {"Hard: kmonsters", plain, 1, false, false, 0, {K, P}},
      {"Crazy: both", plain, 2, false, false, 0, {K, G, P}},
      {"the recorded demo shows them all", plain, 0, true, false, 0, {K, G, P}},
      {"a replayed demo keeps its own difficulty, not the player's", plain, 2, true, true, 1, {K, P}},
      {"a replayed Easy demo", plain, 2, true, true, 0, {P}},
      {"Easy with the option", easy_k, 0, false, false, 0, {K, K, P}},
      {"Hard with the option", easy_k, 1, false, false, 0, {K, K, K, P}},
      {"Crazy with the option", easy_k, 2, false, false, 0, {K, G, K, K, P}},
      {"a replayed Easy demo with the option", easy_k, 2, true, true, 0, {K, K, P}},
      {"a gmonster with the option", easy_g, 0, false, false, 0, {G, P}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteLevel(c.level);
    g.world.ClearList();
    g.st.Difficulty = c.difficulty;
    g.st.Demomode = c.demo;
    g.st.DemoReplay = c.replayed_demo;
    g.st.DemoReplayDifficulty = c.demo_difficulty;
    ASSERT_FALSE(Load());
    std::vector<int> types;
    for (TSprite& s : g.world.Sprites()) types.push_back(s.Typ);
    EXPECT_EQ(types, c.types);
  }
}

TEST_F(LevelLoaderTest, BlocksGoIntoTheBackgroundAndTheMap) {
  WriteLevel(Line("stein", 0, 0, 3, ",Collisions=true") + Line("stein", 0, 0, 4) +
             Line("pilz", 520, 260, 7, ",Gruppe=g1,\"Optionen=a b\""));
  ASSERT_FALSE(Load());
  ASSERT_TRUE(g.BackgroundBitmap);
  const Bitmap& bg = *g.BackgroundBitmap;
  EXPECT_EQ(bg.Width(), 1920);
  EXPECT_EQ(bg.Height(), 1200);
  // The block at (0, 0) lands at (0, 2); the second, wider block at the same place is drawn
  // over it, but its outline is not entered because its corner is taken.
  EXPECT_EQ(bg.Pixel(5, 1), 0xFF000000u);
  EXPECT_EQ(bg.Pixel(5, 2), WideColour);
  EXPECT_EQ(bg.Pixel(80, 20), WideColour);
  EXPECT_EQ(bg.Pixel(5, 54), 0xFF000000u);
  TSprite* block = g.world.BlockTemplate();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(g.world.SpriteAt(0, 2), block);
  EXPECT_EQ(g.world.SpriteAt(51, 53), block);
  EXPECT_EQ(g.world.SpriteAt(0, 1), nullptr);
  EXPECT_EQ(g.world.SpriteAt(80, 2), nullptr);
  EXPECT_EQ(block->X, 0);
  EXPECT_EQ(block->Y, 2);
  EXPECT_EQ(block->FigNr, 4);  // the template keeps the last block's place and figure
  EXPECT_EQ(block->ImageNr, 4);

  // Other figures are not mapped by the loader, only listed.
  ASSERT_EQ(g.world.SpriteCount(), 1);
  const TSprite& pilz = g.world.At(0);
  EXPECT_EQ(g.world.SpriteAt(520, 262), nullptr);
  EXPECT_EQ(pilz.X, 520);
  EXPECT_EQ(pilz.Y, 262);
  EXPECT_EQ(pilz.AnfangX, 520);
  EXPECT_EQ(pilz.AnfangY, 260);
  EXPECT_EQ(pilz.TypDirection, RiOst);
  EXPECT_EQ(pilz.TypGruppe, "g1");
  EXPECT_EQ(pilz.TypOptionen, "a b");
}

TEST_F(LevelLoaderTest, ByteOrderMarksChooseTheEncoding) {
  const std::string text = Line("pilz", 52, 0, 7) + Line("gmonster", 0, 0, 7);
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (char c : text) {
    utf16le += c;
    utf16le += '\0';
    utf16be += '\0';
    utf16be += c;
  }
  g.st.Difficulty = 2;
  for (const std::string& content : {"\xEF\xBB\xBF" + text, utf16le, utf16be, text}) {
    g.world.ClearList();
    WriteLevel(content);
    const auto error = Load();
    ASSERT_FALSE(error) << error->what();
    ASSERT_EQ(g.world.SpriteCount(), 2);
    EXPECT_EQ(g.world.At(1).Typ, TypGMonster);
  }
}

}  // namespace
}  // namespace kirpo
