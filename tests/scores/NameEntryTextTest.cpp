// Editing the name field from either keyboard.
#include "scores/NameEntryText.h"

#include <gtest/gtest.h>

namespace kirpo {
namespace {

std::string Typed(const std::string& keys) {
  std::string field = EmptyNameField;
  for (char c : keys) field = TypeCharacter(field, c);
  return field;
}

TEST(NameEntryTextTest, ThePhysicalKeyboardTakesOnlyTheAcceptedCharactersUpperCased) {
  struct Case {
    const char* keys;
    const char* field;
  };
  const Case cases[] = {
      {"", "____________"},
      {"ann", "ANN_________"},
      {"a_b", "A B_________"},            // "_" is a blank
      {"ab<c", "AC__________"},           // "<" deletes like Backspace
      {"<<x", "X___________"},            // nothing to delete on an empty name
      {"r2d2", "RD__________"},           // digits are not accepted
      {"a*,-./:", "A*,-./:_____"},
      {"a;!?\t\"#", "A___________"},
      {"abcdefghijklmn", "ABCDEFGHIJKL"},  // a thirteenth character is ignored
      {"abcdefghijklm<z", "ABCDEFGHIJKZ"},
      {"bob__", "BOB  _______"},            // blanks at the end stay
  };
  for (const Case& c : cases) EXPECT_EQ(Typed(c.keys), c.field) << c.keys;
  EXPECT_EQ(NameOfField(Typed("bob__")), "BOB  ");
  EXPECT_EQ(NameOfField(EmptyNameField), "");
}

TEST(NameEntryTextTest, TheScreenKeysAddTheirCaptionTheSpaceKeyABlankAndDeleteTheLast) {
  std::string field = EmptyNameField;
  for (const char* key : {"<", "Q", "_____", "*", "Z", "<"}) field = PressScreenKey(field, key);
  EXPECT_EQ(field, "Q *_________");
  for (int i = 0; i < 20; ++i) field = PressScreenKey(field, "M");
  EXPECT_EQ(field, "Q *MMMMMMMMM");
}

TEST(NameEntryTextTest, TheTitleNamesTheRankAndBlinksFastForTheBestScore) {
  EXPECT_EQ(NameEntryTitle(0), "New HiScore !");
  EXPECT_EQ(NameEntryBlinkMs(0), 50);
  EXPECT_EQ(NameEntryTitle(2), "Rank 3 in Top 10 !");
  EXPECT_EQ(NameEntryTitle(9), "Rank 10 in Top 10 !");
  EXPECT_EQ(NameEntryBlinkMs(9), 500);
}

}  // namespace
}  // namespace kirpo
