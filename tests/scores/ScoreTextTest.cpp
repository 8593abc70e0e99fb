#include <gtest/gtest.h>

#include "scores/ScoreText.h"

namespace kirpo {
namespace {

TEST(ScoreTextTest, BlanksAndZerosOfTheFieldReadAsTheLetterO) {
  struct Case {
    int32_t value;
    const char* score;
    const char* bonus;
  };
  const Case cases[] = {
      {1230, "OOO123O", "O123O"},  {0, "OOOOOOO", "OOOOO"},         {250, "OOOO25O", "OO25O"},
      {10000, "OO1OOOO", "1OOOO"}, {-5, "OOOOO-5", "OOO-5"},
      // Longer numbers are not cut; only the first characters of the field are examined.
      {10000000, "1OOOOOO0", "1OOOO000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScoreToStr(c.value), c.score) << c.value;
    EXPECT_EQ(BonusToStr(c.value), c.bonus) << c.value;
  }
}

TEST(ScoreTextTest, RanksAreTwoCharactersWithTenAsOneO) {
  EXPECT_EQ(RankToStr(1), " 1");
  EXPECT_EQ(RankToStr(9), " 9");
  EXPECT_EQ(RankToStr(10), "1O");
  EXPECT_EQ(RankToStr(11), "11");
}

}  // namespace
}  // namespace kirpo
