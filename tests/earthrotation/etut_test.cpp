#include "astro/etut.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "model/calendar.h"

namespace orvant {
namespace {

constexpr double kCentury = 36525;

TEST(ETUT1939, QuotedValuesAt1900And2000) {
  const State s;
  EXPECT_NEAR(ETUT1939(s, s.JD1900), 24.35, 1e-12);
  EXPECT_NEAR(ETUT1939(s, 2451545.0), 126.62, 1e-12);  // T = 1 exactly
}

TEST(ETUTpiece, ForecastJoinsTheLastSegmentAtJ2000) {
  const State s;
  // The cubic of 1975-2000 ends at 65.97 s (to its 0.01 s), where the forecast begins.
  EXPECT_NEAR(ETUTpiece(s, s.JD2000), 65.97, 0.005);
  EXPECT_NEAR(ETUTpiece(s, s.JD2000 + 1e-6), 65.97, 1e-6);
  EXPECT_NEAR(ETUTpiece(s, s.JD2000 + kCentury), 155.97, 1e-9);
}

TEST(ETUTpiece, SegmentBoundaryAt1975) {
  const State s;
  const double jd1975 = s.JD2000 - kCentury / 4;  // T = -0.25 exactly
  EXPECT_NEAR(ETUTpiece(s, jd1975), 45.79, 0.005);  // end of 1950-1975
  EXPECT_NEAR(ETUTpiece(s, jd1975 + 1e-6), 45.3, 1e-4);  // start of 1975-2000
}

TEST(ETUTpiece, ConstantBefore1825AndThe1939FormulaBefore1700) {
  const State s;
  EXPECT_EQ(ETUTpiece(s, s.JD2000 - 2 * kCentury), 10.4);      // 1800
  EXPECT_EQ(ETUTpiece(s, s.JD2000 - 1.75 * kCentury), 10.4);   // 1825, the closed end
  EXPECT_EQ(ETUTpiece(s, s.JD2000 - 3 * kCentury), 10.4);      // 1700
  const double jd1600 = s.JD2000 - 4 * kCentury;
  EXPECT_EQ(ETUTpiece(s, jd1600), ETUT1939(s, jd1600));
  // Just after 1825 the 1825-1850 cubic starts from the same 10.4 s.
  EXPECT_NEAR(ETUTpiece(s, s.JD2000 - 1.75 * kCentury + 1e-6), 10.4, 1e-6);
}

TEST(ETUTpiece, FollowsObservedDeltaT) {
  // Observed Delta T at the start of some segments, seconds (the historical values tabulated by
  // F. Espenak and J. Meeus, Five Millennium Canon of Solar Eclipses, NASA/TP-2006-214141):
  // 1850 7.1, 1900 -2.8, 1950 29.1, 1975 45.5. A segment taken from the wrong row of the table
  // misses them by several seconds.
  const State s;
  const struct {
    double year, deltaT;
  } observed[] = {{1850, 7.1}, {1900, -2.8}, {1950, 29.1}, {1975, 45.5}};
  for (const auto& o : observed) {
    const double jd = s.JD2000 + (o.year - 2000) / 100 * kCentury + 1e-3;
    EXPECT_NEAR(ETUTpiece(s, jd), o.deltaT, 1.0) << o.year;
  }
}

TEST(ETUTsel, SelectorChoosesAndSigns) {
  State s;
  const double jd = 2440000.5;
  s.ETcoef.S[1] = 0;
  EXPECT_EQ(ETUTsel(s, 1, jd), 0.0);
  s.ETcoef.S[1] = 0.5;
  EXPECT_EQ(ETUTsel(s, 1, jd), 0.0);
  s.ETcoef.S[1] = 2;
  EXPECT_EQ(ETUTsel(s, 1, jd), ETUTpiece(s, jd));
  s.ETcoef.S[1] = -2;
  EXPECT_EQ(ETUTsel(s, 1, jd), -ETUTpiece(s, jd));
  s.ETcoef.S[1] = 7;  // any magnitude above 1 is the piecewise model
  EXPECT_EQ(ETUTsel(s, 1, jd), ETUTpiece(s, jd));
  s.ETcoef.a0[2] = 1;
  s.ETcoef.a1[2] = 2;
  s.ETcoef.a2[2] = 3;
  s.ETcoef.T0[2] = jd - 2 * kCentury;
  s.ETcoef.S[2] = -1;
  EXPECT_NEAR(ETUTsel(s, 2, jd), -(1 + 2 * 2 + 3 * 4), 1e-12);
  EXPECT_EQ(ETUTsel(s, 0, jd), 0.0);
  EXPECT_EQ(ETUTsel(s, 3, jd), 0.0);
}

TEST(ETUTsel, ScreenOptionsAndTheirOrigins) {
  State s;
  s.CalType = 2;  // another screen's calendar: the origin is still Gregorian, from midnight
  s.Hour0 = 12;
  setETcoefDefaults(s);
  EXPECT_EQ(s.CalType, 2);
  EXPECT_EQ(s.Hour0, 12);
  // 1.5 January 1900 and 1800 (Gregorian).
  EXPECT_EQ(s.ETcoef.T0[1], 2415021.0);
  EXPECT_EQ(s.ETcoef.T0[2], 2378497.0);
  // The 1939 formula from 1.5 January 1900 matches ETUT1939 shifted by that half day.
  EXPECT_NEAR(ETUTsel(s, 1, 2415021.0), 24.35, 1e-12);
  EXPECT_NEAR(ETUTsel(s, 1, 2415021.0 + kCentury), 126.62, 1e-12);
  EXPECT_NEAR(ETUTsel(s, 1, 2451545.0), ETUT1939(s, 2451545.0 - 1), 1e-9);
  EXPECT_NEAR(ETUTsel(s, 2, 2378497.0 + 2 * kCentury), 31.5 * 4, 1e-12);

  // Option 5 with the sign option reversed.
  const ETUTOption& piece = kETUTOptions[5];
  ASSERT_TRUE(setETcoef(s, 1, 5, piece.a0, piece.a1, piece.a2, piece.T0year, true));
  for (double jd : {2300000.5, 2400000.5, 2440000.5, 2451545.0, 2460000.5})
    EXPECT_EQ(ETUTsel(s, 1, jd), -ETUTpiece(s, jd)) << jd;
  ASSERT_TRUE(setETcoef(s, 1, 5, piece.a0, piece.a1, piece.a2, piece.T0year, false));
  EXPECT_EQ(ETUTsel(s, 1, 2440000.5), ETUTpiece(s, 2440000.5));
}

TEST(ETUTsel, RejectedSettingsLeaveTheModelUnchanged) {
  State s;
  setETcoefDefaults(s);
  const auto before = s.ETcoef.a2;
  EXPECT_FALSE(setETcoef(s, 3, 1, 1, 1, 1, 1900, false));
  EXPECT_FALSE(setETcoef(s, 1, 6, 1, 1, 1, 1900, false));
  EXPECT_TRUE(s.lastMessage.empty());
  // A year whose Gregorian date does not convert.
  EXPECT_FALSE(setETcoef(s, 1, 0, 1, 1, 1, 2000000000, false));
  EXPECT_EQ(s.lastMessage, kMsgBadDate);
  EXPECT_EQ(s.ETcoef.a2, before);
  EXPECT_EQ(s.ETcoef.S[1], 1);
}

TEST(EclipseDiameters, ThousandsOfKmToMetres) {
  State s;
  setEclipseDiameters(s, 1392.0, 12.75628, 3.475);
  EXPECT_DOUBLE_EQ(s.Dpl[0], 1392000000.0);
  EXPECT_DOUBLE_EQ(s.Dpl[3], 12756280.0);
  EXPECT_DOUBLE_EQ(s.Dpl[11], 3475000.0);
}

TEST(CliEtut, PrintsSecondsAndRejectsBadInput) {
  if (!std::filesystem::exists(ORVANT_CLI))
    GTEST_SKIP() << "orvant-cli is not built at " << ORVANT_CLI;
  const auto run = [](const std::string& args, std::string& out) {
    out.clear();
    FILE* p = ::popen((std::string("'") + ORVANT_CLI + "' " + args + " 2>/dev/null").c_str(), "r");
    if (!p) return -1;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = ::pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string out;
  EXPECT_EQ(run("etut 1939 2451545", out), 0);
  EXPECT_EQ(out.rfind("ETUT = 126.6", 0), 0u) << out;
  EXPECT_EQ(run("etut piece 2378496.5", out), 0);  // 1800
  EXPECT_EQ(out, "ETUT = 10.4\n");
  EXPECT_EQ(run("etut piece x", out), 2);
  EXPECT_EQ(run("etut 1900 2451545", out), 2);
}

}  // namespace
}  // namespace orvant
