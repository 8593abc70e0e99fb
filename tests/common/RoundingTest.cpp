#include "common/Rounding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kirpo {
namespace {

TEST(RoundingTest, HalvesGoToEvenAndValuesBeyondTheRangeSaturate) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double v;
    int32_t round, trunc;
  } cases[] = {{2.5, 2, 2},         {3.5, 4, 3},          {-2.5, -2, -2},      {-0.7, -1, 0},
               {2147483647.0, INT32_MAX, INT32_MAX},    {1e300, INT32_MAX, INT32_MAX},
               {-1e300, INT32_MIN, INT32_MIN},          {inf, INT32_MAX, INT32_MAX},
               {-inf, INT32_MIN, INT32_MIN},            {std::nan(""), 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(Round(c.v), c.round) << c.v;
    EXPECT_EQ(Trunc(c.v), c.trunc) << c.v;
  }
  EXPECT_EQ(Round64(1e300), INT64_MAX);
  EXPECT_EQ(Round64(-3.5), -4);
}

}  // namespace
}  // namespace kirpo
