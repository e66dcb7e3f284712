// A DE405 record whose dates are absurd (a damaged block) is refused by the evaluation, never
// turned into a sub-interval index beyond the integers.
#include <gtest/gtest.h>

#include "ephemeris/jpl.h"

namespace orvant {
namespace {

TEST(JplLimits, AbsurdRecordDatesAreARefusalNotAnIndex) {
  State s;
  s.JPLnr = 1;
  for (double& c : s.jpl.coef) c = 0;
  // The date lies inside the record's span, but 1e300 days from its start.
  s.JDrec0 = -1e300;
  s.JDrec1 = 1e300;
  s.JDjpl = 2451545.0;
  EXPECT_FALSE(JPLstate(s, 3));
  EXPECT_EQ(s.kStop, 1);
  // A record of the normal 32 days is evaluated.
  s.kStop = 0;
  s.JDrec0 = 2451536.5;
  s.JDrec1 = 2451568.5;
  EXPECT_TRUE(JPLstate(s, 3));
  EXPECT_EQ(s.X[3], 0);
}

}  // namespace
}  // namespace orvant
