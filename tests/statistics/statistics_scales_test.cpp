// Screen 6 as a user meets it: a loaded series is drawn at scales that show it whole (a typed
// scale wins), and every value, also one in E notation, is shown with the decimal comma.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model/format.h"
#include "statistics/screen_bench.h"

namespace orvant::statistics::testing {
namespace {

using ui::Shape;

// A century of yearly perihelion records from 1.5 January 1900: 0.15 degree a century plus a
// wobble of 0.002 degree; the other parameters constant.
std::vector<ShortRecord> century() {
  std::vector<ShortRecord> r;
  for (int k = 0; k <= 100; ++k)
    r.push_back({k * 365.25, {77.45 + 0.0015 * k + 0.002 * std::sin(k), 48.3, 7.0, 0.2056, 57.9, 26.0877}});
  return r;
}

TEST(StatisticsScales, ALoadedSeriesIsDrawnWholeAtEasyScales) {
  ScreenBench b;
  ui::Form& f = b.form();
  ASSERT_TRUE(writeShortFile(b.state, "Plan0/Txt1/Orvant1Ras1.txt", 2415021.0, century()));
  f.setOption("src", 1);
  f.setOption("obj", 0);
  f.type("plan", "0");
  ASSERT_TRUE(f.press("load"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  // 0,154 degree over 100 years on a picture of 22 x 12 cm: 0,02 degree and 5 years per cm.
  EXPECT_EQ(f.text("upc"), "0,02");
  EXPECT_EQ(f.text("ypc"), "5");
  EXPECT_EQ(b.pic().widthCm(), 22);
  EXPECT_EQ(b.pic().heightCm(), 12);
  // The points spread over the picture: more than 5 cm from the lowest to the highest.
  const auto points = b.shapes(Shape::Type::Point);
  ASSERT_EQ(points.size(), 101u);
  double lo = 1e9, hi = -1e9;
  for (const auto& p : points) lo = std::min(lo, p.cy1), hi = std::max(hi, p.cy1);
  EXPECT_GT(hi - lo, 5);
  EXPECT_LT(hi, 12);
  EXPECT_GT(lo, 0);

  // A scale the user typed is kept: 1 degree per cm draws the century as a flat line.
  f.type("upc", "1");
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(f.text("upc"), "1");
  lo = 1e9, hi = -1e9;
  for (const auto& p : b.shapes(Shape::Type::Point)) lo = std::min(lo, p.cy1), hi = std::max(hi, p.cy1);
  EXPECT_LT(hi - lo, 0.2);
}

TEST(StatisticsScales, TwoSigmaInENotationHasTheDecimalComma) {
  EXPECT_EQ(screenNumber(1.8722305106856e-11), "1,8722305106856e-11");
  EXPECT_EQ(screenNumber(-2.5e-7), "-2,5e-07");
  EXPECT_EQ(*parseNumber("1,8722305106856e-11"), 1.8722305106856e-11);  // typed back, the same value

  ScreenBench b;
  ui::Form& f = b.form();
  // A test line with a noise of 1e-10 degree: its 95 % limit is far below 1e-5.
  f.tick("test", true);
  f.type("tk0", "5");
  f.type("tk1", "2");
  f.type("tk3", "0,0000000001");
  ASSERT_TRUE(f.press("fit"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  const std::string s2 = f.text("S2");
  EXPECT_NE(s2.find('e'), std::string::npos) << s2;
  EXPECT_EQ(s2.find('.'), std::string::npos) << s2;
  EXPECT_NE(s2.find(','), std::string::npos) << s2;
}

}  // namespace
}  // namespace orvant::statistics::testing
