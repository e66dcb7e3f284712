#include "model/format.h"

#include <gtest/gtest.h>

namespace orvant {
namespace {

TEST(Format, TruncationNeverRounds) {
  EXPECT_EQ(truncDecimals(2451545.9999, 3), 2451545.999);
  EXPECT_EQ(truncDecimals(-1.23456, 2), -1.23);
  EXPECT_EQ(scaledInt(-0.0000015, 1e6), -1);
  EXPECT_EQ(scaledInt(12.3456789, 1e6), 12345678);
  EXPECT_EQ(screenNumber(1.999, 2), "1,99");
  EXPECT_EQ(screenNumber(-0.004, 2), "0");
  EXPECT_EQ(screenNumber(2.5), "2,5");
  // A value typed in degrees, kept in radians with the program's Pi and shown again, keeps its
  // digits: plain truncation shows 65,29901 after one pass.
  const double kUgol = 180 / 3.14159265359;
  double shown = 65.299011;
  for (int pass = 0; pass < 5; ++pass) shown = truncDecimals(shown / kUgol * kUgol, 6);
  EXPECT_EQ(screenNumber(shown, 6), "65,299011");
}

TEST(Format, MasksRoundAndPad) {
  EXPECT_EQ(formatMask(7, "00"), "07");
  EXPECT_EQ(formatMask(12.34567, "0000.0000"), "0012,3457");
  EXPECT_EQ(formatMask(-1.5, "0.0"), "-1,5");
  EXPECT_EQ(formatMask(2.5, "0"), "3");
}

TEST(Format, BasicNumbersDropLeadingZero) {
  EXPECT_EQ(basicNumber(0.5), ".5");
  EXPECT_EQ(basicNumber(-0.25), "-.25");
  EXPECT_EQ(basicNumber(123), "123");
  EXPECT_EQ(basicNumber(1e16), "1E+16");
  EXPECT_EQ(basicNumber(1.23456789e-10), "1.23456789E-10");  // all digits kept
  EXPECT_EQ(parseNumber(basicNumber(-2.71828182845904e-7)).value(), -2.71828182845904e-7);
}

TEST(Format, ParseAcceptsCommaPointAndD) {
  EXPECT_EQ(parseNumber("1,5").value(), 1.5);
  EXPECT_EQ(parseNumber(" 1.5 ").value(), 1.5);
  EXPECT_EQ(parseNumber("0.1D+02").value(), 10.0);
  EXPECT_FALSE(parseNumber("abc"));
  EXPECT_FALSE(parseNumber(""));
  EXPECT_FALSE(parseNumber("1.5x"));
  EXPECT_FALSE(parseNumber("inf"));
}

TEST(Format, PrintZonesOf14) {
  PrintLine line;
  line.integer(123).integer(-45).text("Меркурий").integer(7);
  // Items start at columns 1, 15, 29 and 43.
  EXPECT_EQ(line.str(), " 123 " + std::string(9, ' ') + "-45 " + std::string(10, ' ') + "Меркурий" +
                            std::string(6, ' ') + " 7 ");
  PrintLine longItem;
  longItem.integer(1234567890123456).integer(1);
  // 17 characters push the second item to column 29.
  EXPECT_EQ(longItem.str(), " 1234567890123456 " + std::string(10, ' ') + " 1 ");
  EXPECT_EQ(splitItems(" 12, -3  4,5 "), (std::vector<std::string>{"12", "-3", "4", "5"}));
}

}  // namespace
}  // namespace orvant
