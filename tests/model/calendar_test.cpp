#include "model/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace orvant {
namespace {

// ---- an independent reference: the integer Julian Day Number algorithm of the Calendar FAQ
// (C. Toendering), with floor division so that it holds for negative years as well ----

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Julian Day Number (the day beginning at the noon of the date) of y-m-d in the proleptic
// Gregorian or Julian calendar.
std::int64_t refJDN(bool gregorian, std::int64_t y, int m, int d) {
  const std::int64_t a = (14 - m) / 12;
  const std::int64_t yy = y + 4800 - a;
  const std::int64_t mm = m + 12 * a - 3;
  const std::int64_t jdn = d + (153 * mm + 2) / 5 + 365 * yy + floorDiv(yy, 4);
  if (gregorian) return jdn - floorDiv(yy, 100) + floorDiv(yy, 400) - 32045;
  return jdn - 32083;
}

bool isLeap(bool gregorian, std::int64_t y) {
  if (gregorian) return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return y % 4 == 0;
}

int monthLength(bool gregorian, std::int64_t y, int m) {
  static constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeap(gregorian, y) ? 29 : lengths[m - 1];
}

State stateWith(int calType, double hour0 = 0) {
  State s;
  s.CalType = static_cast<int16>(calType);
  s.Hour0 = hour0;
  return s;
}

void expectDate(const State& s, int year, int month, double day, double tol = 1e-9) {
  EXPECT_EQ(s.Year, year);
  EXPECT_EQ(s.Month, month);
  EXPECT_NEAR(s.Day, day, tol);
}

// ---- Julian dates from calendar dates ----

TEST(JDfromDate, GregorianReformDaysAreConsecutive) {
  State s = stateWith(0);
  EXPECT_EQ(JDfromDate(s, 4, 10, 1582), 2299159.5);
  EXPECT_EQ(JDfromDate(s, 15, 10, 1582), 2299160.5);
  ASSERT_TRUE(DateFromJD(s, 2299159.5));
  expectDate(s, 1582, 10, 4);
  ASSERT_TRUE(DateFromJD(s, 2299160.5));
  expectDate(s, 1582, 10, 15);
  // In the Julian calendar throughout, 15 October 1582 is ten days later.
  s.CalType = 1;
  EXPECT_EQ(JDfromDate(s, 15, 10, 1582), 2299170.5);
  ASSERT_TRUE(DateFromJD(s, 2299160.5));
  expectDate(s, 1582, 10, 5);
  EXPECT_EQ(s.DateError, 0);
}

TEST(JDfromDate, J2000AndJulianCalendarOffset) {
  State s = stateWith(0);
  EXPECT_EQ(JDfromDate(s, 1.5, 1, 2000), 2451545.0);
  s.CalType = 1;
  EXPECT_EQ(JDfromDate(s, 1.5, 1, 2000), 2451558.0);
  // Counting the day from noon moves the same date half a day on.
  s.CalType = 0;
  s.Hour0 = 12;
  EXPECT_EQ(JDfromDate(s, 1.5, 1, 2000), 2451545.5);
}

TEST(JDfromDate, NegativeYearsUseTheCorrection) {
  State s = stateWith(1);
  EXPECT_EQ(JDfromDate(s, 1.5, 1, -4712), 0.0);
  s.CalType = 0;  // before the reform the default calendar is the Julian one
  EXPECT_EQ(JDfromDate(s, 1.5, 1, -4712), 0.0);
  // January of year 0 is month 13 of year -1 inside the algorithm: truncating 365.25*y toward
  // zero without the correction would make it a day late.
  s.CalType = 1;
  EXPECT_EQ(JDfromDate(s, 1, 1, 0), static_cast<double>(refJDN(false, 0, 1, 1)) - 0.5);
  EXPECT_EQ(JDfromDate(s, 1, 3, -1), static_cast<double>(refJDN(false, -1, 3, 1)) - 0.5);
  EXPECT_EQ(JDfromDate(s, 31, 12, -4713), -1.5);
}

TEST(JDfromDate, AgreesWithIntegerDayNumbersOverRandomDates) {
  std::mt19937_64 rng(20240611);
  std::uniform_int_distribution<int> years(-9999, 9999), months(1, 12);
  std::uniform_real_distribution<double> fraction(0, 0.999);
  for (int calType : {0, 1}) {
    for (double hour0 : {0.0, 12.0}) {
      State s = stateWith(calType, hour0);
      for (int i = 0; i < 20000; ++i) {
        const int y = years(rng), m = months(rng);
        // CalType 0 is Gregorian from 15 October 1582 on.
        const bool gregorianYear = calType == 0 && y > 1582;
        const int d = std::uniform_int_distribution<int>(1, monthLength(gregorianYear, y, m))(rng);
        const bool gregorian =
            gregorianYear || (calType == 0 && y == 1582 && (m > 10 || (m == 10 && d >= 15)));
        if (calType == 0 && y == 1582 && m == 10 && d > 4 && d < 15) continue;  // dropped days
        const double f = fraction(rng);
        const double expected =
            static_cast<double>(refJDN(gregorian, y, m, d)) - 0.5 + f + hour0 / 24;
        ASSERT_NEAR(JDfromDate(s, d + f, m, y), expected, 1e-8)
            << "calendar " << calType << " Hour0 " << hour0 << " date " << y << "-" << m << "-"
            << d;
      }
      EXPECT_EQ(s.DateError, 0);
    }
  }
}

// ---- the Egyptian calendar ----

TEST(EgyptianCalendar, EraBeginsAtNabonassar) {
  State s = stateWith(2);
  EXPECT_EQ(JDfromDate(s, 1, 1, 1), 1448637.5);
  ASSERT_TRUE(DateFromJD(s, 1448637.5));
  expectDate(s, 1, 1, 1.0);
  s.Hour0 = 12;
  EXPECT_EQ(JDfromDate(s, 1, 1, 1), 1448638.0);
  ASSERT_TRUE(DateFromJD(s, 1448638.0));
  expectDate(s, 1, 1, 1.0);
  // The era of Nabonassar: 26 February 747 BC (year -746) in the Julian calendar.
  State julian = stateWith(1);
  ASSERT_TRUE(DateFromJD(julian, JDfromDate(s, 1, 1, 1) - 0.5));
  expectDate(julian, -746, 2, 26.0);
}

TEST(EgyptianCalendar, EpagomenalDaysAndYearLength) {
  for (double hour0 : {0.0, 12.0}) {
    State s = stateWith(2, hour0);
    const double jd = JDfromDate(s, 35, 12, 100);
    ASSERT_TRUE(DateFromJD(s, jd));
    expectDate(s, 100, 12, 35.0);
    ASSERT_TRUE(DateFromJD(s, JDfromDate(s, 35.75, 12, 100)));
    expectDate(s, 100, 12, 35.75);
    // The day after the last epagomenal day is the first day of the next year.
    ASSERT_TRUE(DateFromJD(s, jd + 1));
    expectDate(s, 101, 1, 1.0);
    EXPECT_EQ(JDfromDate(s, 1, 1, 101) - JDfromDate(s, 1, 1, 100), 365.0);
  }
}

// ---- round trips ----

TEST(RoundTrip, DateToJulianDateAndBackInEachCalendar) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> months(1, 12);
  std::uniform_real_distribution<double> fraction(0, 0.999);
  for (int calType : {0, 1, 2}) {
    for (double hour0 : {0.0, 12.0}) {
      State s = stateWith(calType, hour0);
      // The Egyptian conversion counts from year 0 of the era.
      std::uniform_int_distribution<int> years(calType == 2 ? 0 : -9999, 9999);
      for (int i = 0; i < 20000; ++i) {
        const int y = years(rng), m = months(rng);
        if (calType == 0 && y == 1582) continue;  // the dropped days 5..14 October have two names
        int days = 30;
        if (calType == 2) days = m == 12 ? 35 : 30;
        else days = monthLength(calType == 0 && y > 1582, y, m);
        double day = std::uniform_int_distribution<int>(1, days)(rng) + fraction(rng);
        // Counted from noon, the Gregorian and Julian conversion names the last half day of a
        // month as day 0.5.. of the next one (DateFromJD takes the civil day of the Julian date):
        // the same moment under another name, so the draw stays below it.
        if (calType != 2 && hour0 == 12 && day >= days + 0.5) day -= 0.5;
        s.Year = -1;
        s.Month = -1;
        s.Day = -1;
        ASSERT_TRUE(DateFromJD(s, JDfromDate(s, day, m, y)));
        ASSERT_EQ(s.Year, y) << "calendar " << calType << " Hour0 " << hour0;
        ASSERT_EQ(s.Month, m) << "calendar " << calType << " Hour0 " << hour0 << " date " << y
                              << "-" << m << "-" << day;
        ASSERT_NEAR(s.Day, day, 1e-8) << "calendar " << calType << " " << y << "-" << m;
      }
    }
  }
}

TEST(RoundTrip, JulianDateToDateAndBack) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> jds(-1.0e6, 5.0e6);
  for (int calType : {0, 1, 2}) {
    for (double hour0 : {0.0, 12.0}) {
      State s = stateWith(calType, hour0);
      for (int i = 0; i < 20000; ++i) {
        double jd = jds(rng);
        if (calType == 2 && jd < kEgyptianEra + 1) jd += 2.0e6;  // from the era on
        ASSERT_TRUE(DateFromJD(s, jd));
        ASSERT_NEAR(JDfromDate(s, s.Day, s.Month, s.Year), jd, 1e-8)
            << "calendar " << calType << " Hour0 " << hour0;
      }
    }
  }
}

// ---- carrying days into the following months ----

TEST(NormDate, CarriesDaysIntoFollowingMonths) {
  State s = stateWith(0);
  ASSERT_TRUE(NormDate(s, 32, 1, 2001));
  expectDate(s, 2001, 2, 1);
  ASSERT_TRUE(NormDate(s, 60, 1, 2000));
  expectDate(s, 2000, 2, 29);
  ASSERT_TRUE(NormDate(s, 60, 1, 1900));
  expectDate(s, 1900, 3, 1);
  ASSERT_TRUE(NormDate(s, 32, 12, 1999));
  expectDate(s, 2000, 1, 1);
  // The fraction of the day stays.
  ASSERT_TRUE(NormDate(s, 32.25, 1, 2001));
  expectDate(s, 2001, 2, 1.25, 1e-12);
  s.CalType = 1;
  ASSERT_TRUE(NormDate(s, 60, 1, 1900));
  expectDate(s, 1900, 2, 29);
}

TEST(NormDate, RecomputesFebruaryAfterAYearCarry) {
  State s = stateWith(0);
  // Day 425 of 1999 is day 60 of 2000, a leap year.
  ASSERT_TRUE(NormDate(s, 425, 1, 1999));
  expectDate(s, 2000, 2, 29);
  EXPECT_EQ(s.DayMonth[2][0], 29);
  ASSERT_TRUE(NormDate(s, 365 + 60, 1, 2000));  // 2000 has 366 days: day 59 of 2001
  expectDate(s, 2001, 2, 28);
  EXPECT_EQ(s.DayMonth[2][0], 28);
}

TEST(NormDate, ZeroMonthsAndNonPositiveDaysAndMonthThirteen) {
  State s = stateWith(0);
  ASSERT_TRUE(NormDate(s, 5, 13, 2000));  // month 13 has no days: on to January
  expectDate(s, 2001, 1, 5);
  ASSERT_TRUE(NormDate(s, 5, 0, 2000));
  expectDate(s, 2000, 1, 5);
  ASSERT_TRUE(NormDate(s, -3.5, 3, 2000));  // only carrying forward
  expectDate(s, 2000, 3, -3.5);
  ASSERT_TRUE(NormDate(s, 0, 13, 2000));
  expectDate(s, 2000, 13, 0);
  s.CalType = 2;
  ASSERT_TRUE(NormDate(s, 36, 12, 10));  // after the five epagomenal days
  expectDate(s, 11, 1, 1);
  ASSERT_TRUE(NormDate(s, 35, 12, 10));
  expectDate(s, 10, 12, 35);
}

TEST(NormDate, FailsOutsideTheMonthTableWithoutTouchingTheDate) {
  State s = stateWith(0);
  s.Year = 7;
  s.Month = 7;
  s.Day = 7;
  EXPECT_FALSE(NormDate(s, 1, 14, 2000));
  EXPECT_FALSE(NormDate(s, -1, 14, 2000));
  EXPECT_FALSE(NormDate(s, 1, -1, 2000));
  EXPECT_FALSE(NormDate(s, std::numeric_limits<double>::infinity(), 1, 2000));
  EXPECT_FALSE(NormDate(s, std::nan(""), 1, 2000));
  EXPECT_FALSE(NormDate(s, 400, 1, std::numeric_limits<int32>::max()));  // the year overflows
  EXPECT_FALSE(NormDate(s, 1.0e12, 1, 2000));
  s.CalType = 3;  // no month lengths in that column
  EXPECT_FALSE(NormDate(s, 40, 1, 2000));
  expectDate(s, 7, 7, 7);
  // NormDate itself reports nothing: the calling command does.
  EXPECT_TRUE(s.lastMessage.empty());
}

// The result of a long carry from 1 January of year y must name the day y-1-1 + d - 1 in the
// calendar's own leap rules; checked year by year in the test.
void expectLongCarry(int calType, std::int64_t y0, double d) {
  State s = stateWith(calType);
  ASSERT_TRUE(NormDate(s, d, 1, static_cast<int32>(y0)));
  std::int64_t y = y0;
  auto left = static_cast<std::int64_t>(d);
  const auto gregorianYear = [&](std::int64_t year) {
    return calType == 0 && static_cast<double>(year) + 0.01 + d / 10000 > kReformKey;
  };
  const auto yearDays = [&](std::int64_t year) {
    if (calType == 2) return 365;
    return isLeap(gregorianYear(year), year) ? 366 : 365;
  };
  while (left > yearDays(y)) left -= yearDays(y++);
  int m = 1;
  const auto monthDays = [&](int month) {
    if (calType == 2) return month == 12 ? 35 : 30;
    return monthLength(gregorianYear(y), y, month);
  };
  while (left > monthDays(m)) left -= monthDays(m++);
  expectDate(s, static_cast<int>(y), m, static_cast<double>(left) + (d - std::trunc(d)));
}

TEST(NormDate, LongCarriesMatchYearByYearCounting) {
  expectLongCarry(0, 2000, 10000000);    // Gregorian, about 27 000 years
  expectLongCarry(0, 1000, 600000.5);    // Julian rule up to 1582, Gregorian after
  expectLongCarry(0, -3000, 2000000);    // across the reform from a negative year
  expectLongCarry(1, -5001, 3000000);    // Julian throughout
  expectLongCarry(2, 0, 1000000);        // Egyptian
  for (double d : {365.0, 366.0, 1461.0, 1462.0, 146097.0, 146098.0, 146097.0 * 3 + 59})
    expectLongCarry(0, 1600, d);
}

TEST(NormDate, VeryLongCarryIsImmediate) {
  // 4-year Julian cycles of 1461 days from a year that begins one: day 1461*N + 1 is 1 January of
  // the year 4*N later.
  State s = stateWith(1);
  const std::int64_t cycles = 450000000;
  ASSERT_TRUE(NormDate(s, 1461.0 * static_cast<double>(cycles) + 1, 1, -2000000000));
  expectDate(s, static_cast<int>(-2000000000 + 4 * cycles), 1, 1);
}

// ---- hours, minutes and seconds ----

TEST(DayToHMS, TruncatesEachPart) {
  State s;
  DayToHMS(s, 0.75);
  EXPECT_EQ(s.Hh, 18);
  EXPECT_EQ(s.Mm, 0);
  EXPECT_EQ(s.Ss, 0);
  DayToHMS(s, 0.999999);
  EXPECT_EQ(s.Hh, 23);
  EXPECT_EQ(s.Mm, 59);
  EXPECT_EQ(s.Ss, 59);
  // Only the fraction of the day counts.
  DayToHMS(s, 12.5 + (1 + (1 + 30.5 / 60) / 60) / 24);  // 13:01:30.5
  EXPECT_EQ(s.Hh, 13);
  EXPECT_EQ(s.Mm, 1);
  EXPECT_EQ(s.Ss, 30);
}

// ---- the displayed date ----

TEST(DateText, EraOfYearsZeroAndOne) {
  EXPECT_EQ(eraOfYear(0).year, 1);
  EXPECT_EQ(eraOfYear(0).suffix, "до н.э.");
  EXPECT_EQ(eraOfYear(1).year, 1);
  EXPECT_EQ(eraOfYear(1).suffix, "н.э.");
  EXPECT_EQ(eraOfYear(-746).year, 747);
  EXPECT_EQ(eraOfYear(std::numeric_limits<int32>::min()).year, 2147483649);
}

TEST(DateText, UtFormOfAMoment) {
  State s = stateWith(0);
  ASSERT_TRUE(DateFromJD(s, 2451545.25));
  DayToHMS(s, s.Day);
  EXPECT_EQ(utText(s), "ut=18:00:00-01.01.2000 г. н.э.");
  s.CalType = 1;
  ASSERT_TRUE(DateFromJD(s, 1448637.5 + 0.5 + 1.0 / 24 + 2.0 / 1440));
  DayToHMS(s, s.Day);
  EXPECT_EQ(hmsText(s), "13:02:00");
  EXPECT_EQ(utText(s), "ut=13:02:00-26.02.747 г. до н.э.");
}

// ---- failures ----

class RecordingSink : public MessageSink {
 public:
  void message(std::string_view text, std::string_view title) override {
    ++count;
    lastText = text;
    lastTitle = title;
  }
  int count = 0;
  std::string lastText, lastTitle;
};

TEST(DateFailures, OverflowingProductsAndNonFiniteDaysFail) {
  RecordingSink sink;
  State s = stateWith(2);
  s.sink = &sink;
  // 365*5883516 fits in 32 bits, 365*5883517 does not.
  EXPECT_NE(JDfromDate(s, 1, 1, 5883516), 0.0);
  EXPECT_EQ(s.DateError, 0);
  EXPECT_EQ(JDfromDate(s, 1, 1, 5883517), 0.0);
  EXPECT_EQ(s.DateError, 1);
  EXPECT_EQ(sink.count, 1);
  EXPECT_EQ(sink.lastText, "Введите правильно дату");
  EXPECT_EQ(sink.lastTitle, "Orvant7.0");
  EXPECT_EQ(s.lastMessage, "Введите правильно дату");
  EXPECT_EQ(s.lastTitle, "Orvant7.0");

  s.DateError = 0;
  EXPECT_EQ(JDfromDate(s, 1, 80000000, 2000), 0.0);  // 30*(Month - 1) overflows
  EXPECT_EQ(s.DateError, 1);

  // The Gregorian correction is a 16-bit integer: years beyond about 4.37 million overflow it,
  // while the Julian calendar has no correction.
  s.CalType = 0;
  s.DateError = 0;
  EXPECT_EQ(JDfromDate(s, 1, 1, 5000000), 0.0);
  EXPECT_EQ(s.DateError, 1);
  s.CalType = 1;
  s.DateError = 0;
  EXPECT_NE(JDfromDate(s, 1, 1, 5000000), 0.0);
  EXPECT_EQ(s.DateError, 0);
  EXPECT_EQ(JDfromDate(s, 1, 2, std::numeric_limits<int32>::min()), 0.0);  // y - 1 overflows
  EXPECT_EQ(s.DateError, 1);

  for (int calType : {0, 1, 2}) {
    s.CalType = static_cast<int16>(calType);
    s.DateError = 0;
    EXPECT_EQ(JDfromDate(s, std::nan(""), 1, 2000), 0.0);
    EXPECT_EQ(s.DateError, 1);
    s.DateError = 0;
    EXPECT_EQ(JDfromDate(s, -std::numeric_limits<double>::infinity(), 1, 2000), 0.0);
    EXPECT_EQ(s.DateError, 1);
  }
}

TEST(DateFailures, BadJulianDatesFailAndKeepTheDateSetSoFar) {
  RecordingSink sink;
  for (int calType : {0, 1, 2}) {
    State s = stateWith(calType);
    s.sink = &sink;
    s.Year = 5;
    s.Month = 6;
    s.Day = 7;
    EXPECT_FALSE(DateFromJD(s, std::nan("")));
    EXPECT_FALSE(DateFromJD(s, std::numeric_limits<double>::infinity()));
    EXPECT_EQ(s.DateError, 1);
    EXPECT_EQ(sink.lastText, "Введите правильно юлианскую дату");
    EXPECT_EQ(sink.lastTitle, "Orvant7.0");
    expectDate(s, 5, 6, 7);
    // A year beyond 32 bits.
    s.DateError = 0;
    EXPECT_FALSE(DateFromJD(s, 1.0e15));
    EXPECT_EQ(s.DateError, 1);
    EXPECT_EQ(s.Year, 5);
  }
}

}  // namespace
}  // namespace orvant
