// Screen 1 headless: the start-up, every source with its time scale, Moon mode, the participation
// and traced-object rules, the centre-of-mass commands, the dates, the files and bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "ephemeris/jpl.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_moon.h"
#include "ephemeris/theory_planets.h"
#include "initial/screen_bench.h"
#include "model/format.h"

namespace orvant {
namespace {

using test::ScreenBench;

constexpr double kJD2000 = 2451545.0;
constexpr double kETUT2000 = 126.62;  // 24.35 + 72.32 + 29.95 s: the 1939 formula at T = 1

std::vector<ui::Shape> shapesOf(ScreenBench& b, ui::Shape::Type type) {
  std::vector<ui::Shape> out;
  for (const auto& s : static_cast<ui::MemoryForm&>(b.first()).memoryCanvas("pic").shapes())
    if (s.type == type) out.push_back(s);
  return out;
}

// Mass-weighted mean of X0 over the participating bodies 0..10.
double centreX(const State& s) {
  double m = 0, mx = 0;
  for (int i = 0; i <= 10; ++i) {
    m += s.kUch[i] * s.m[i];
    mx += s.kUch[i] * s.m[i] * s.X0[i];
  }
  return mx / m;
}

TEST(InitialDataScreen, StartUpLoadsKin0At1801AndComputesTheInitialState) {
  ScreenBench b;
  ui::Form& f = b.first();
  const State& s = b.state;
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(b.wb.screen(1).title(), "Параметры объектов и начальные данные");
  for (int i = 0; i <= 9; ++i) EXPECT_EQ(s.kUch[i], 1) << i;
  EXPECT_EQ(s.kUch[10], 0);
  EXPECT_EQ(s.kVz[1][9], 1);
  EXPECT_EQ(s.kVz[1][10], 0);
  EXPECT_EQ(s.Nsl, 1);
  EXPECT_EQ(f.option("traced"), 1);
  EXPECT_EQ(f.option("source"), 2);
  EXPECT_EQ(s.massSet, 3);
  EXPECT_EQ(s.gamma, 66.7259e-12);
  EXPECT_EQ(s.CalType, 0);
  EXPECT_EQ(s.Hour0, 0);
  // 1801 January 1.5 (Gregorian) is JD 2378862.0; Kin0 takes it as UT.
  EXPECT_EQ(s.JD0, 2378862.0);
  EXPECT_EQ(f.text("JD"), "2378862");
  const double T = (2378862.0 - 2415020.0) / 36525;
  EXPECT_NEAR(s.ETUT, 24.35 + 72.32 * T + 29.95 * T * T, 1e-9);
  EXPECT_EQ(s.JD, s.JDUT);
  EXPECT_EQ(s.JDE, s.JDUT + s.ETUT / 86400);
  EXPECT_EQ(s.JDep, kJD2000);
  // The parameter view, AlfaL reduced to [0, 2pi) and shown truncated to 6 decimals of a degree.
  EXPECT_EQ(f.option("view"), 0);
  EXPECT_EQ(f.columnCaption("tab", 0), "AlfaL, град");
  for (int i = 0; i <= 10; ++i) {
    EXPECT_GE(s.AlfaL[i], 0);
    EXPECT_LT(s.AlfaL[i], 2 * s.Pi);
  }
  EXPECT_EQ(f.cell("tab", 3, 0), screenNumber(std::trunc(s.AlfaL[3] * s.kUgol * 1e6) / 1e6, 6));
  EXPECT_EQ(f.cell("tab", 3, 1), screenNumber(std::trunc(s.R0sr[3] / s.MK * 1e6) / 1e6, 6));
  EXPECT_EQ(f.text("mSol"), "1,98976E+30");
  EXPECT_EQ(f.text("gamma"), "6,67259E-11");
  EXPECT_EQ(f.text("Lae"), "149597870,691");
  // The initial state: the Earth-Moon pair about 1 AU from the Sun, the Sun at rest.
  EXPECT_NEAR(std::hypot(s.X0[3], s.Y0[3], s.Z0[3]) / s.Lae, 1, 0.02);
  EXPECT_EQ(s.VX0[0], 0);
  EXPECT_NEAR(s.V0sr[3], s.W0sr[3] * s.R0sr[3], 0);
  // The Xena defaults: km = 9 888 777 while the mass stays that of the mass set.
  EXPECT_EQ(s.km[10], 9888777);
  EXPECT_DOUBLE_EQ(s.m[10], 1.98976e30 / 19412.24);
  // Scale bar and picture.
  EXPECT_EQ(s.Mx1, 3e11);
  EXPECT_EQ(f.text("scaleText"), "масштаб изображения = 300 млн.км/см");
  EXPECT_EQ(shapesOf(b, ui::Shape::Type::Circle).size(), 11u);
  // The orbit-check commands are open; screens not registered cannot be opened.
  for (const char* id : {"checkStart", "checkStop", "checkGo", "checkSteps"}) EXPECT_TRUE(f.enabled(id));
  EXPECT_TRUE(f.enabled("nav4"));
  EXPECT_FALSE(f.enabled("nav5"));
  EXPECT_FALSE(f.enabled("toModel"));
  EXPECT_FALSE(f.press("nav5"));
}

TEST(InitialDataScreen, TheorySourcesTakeTheirTimeScales) {
  ScreenBench b;
  b.first();
  State& s = b.state;
  struct Case {
    DataSource source;
    int massSet;
    double gamma;
    bool ut;
    double JDep;
  };
  for (const Case c : {Case{DataSource::New0, 1, 66.7006e-12, false, kJD2000},
                       Case{DataSource::JPL0, 2, 66.7259e-12, false, kJD2000},
                       Case{DataSource::Kin0, 3, 66.7259e-12, true, kJD2000}}) {
    const auto caption = kSourceCaptions[static_cast<std::size_t>(c.source)];
    SCOPED_TRACE(std::string(caption));
    b.load(caption, "2000", "1", "1,5");
    EXPECT_TRUE(b.messages().empty());
    EXPECT_EQ(s.JD0, kJD2000);
    EXPECT_NEAR(s.ETUT, kETUT2000, 1e-9);
    EXPECT_EQ(s.JDE, kJD2000 + s.ETUT / 86400);
    EXPECT_EQ(s.JD, c.ut ? kJD2000 : s.JDE);
    EXPECT_EQ(s.massSet, c.massSet);
    EXPECT_EQ(s.gamma, c.gamma);
    EXPECT_EQ(s.JDep, c.JDep);
    // Mercury from the theory at the expected time, and visibly not at the other one (Mercury
    // moves 1e-4 rad in ET-UT = 127 s).
    for (double jd : {s.JDUT, s.JDE}) {
      State ref;
      ref.JD = jd;
      if (c.source == DataSource::New0) ThNew0(ref, 1);
      if (c.source == DataSource::JPL0) ThJ2000(ref, 1);
      if (c.source == DataSource::Kin0) ThKin0(ref, 1);
      const double expected = reduceAngle(ref, ref.AlfaL[1]);
      if ((jd == s.JDUT) == c.ut)
        EXPECT_NEAR(s.AlfaL[1], expected, 1e-14);
      else
        EXPECT_GT(std::fabs(s.AlfaL[1] - expected), 5e-5);
    }
    EXPECT_EQ(s.AlfaP0[10], s.Pi / 2);
    EXPECT_EQ(s.R0sr[10], s.Lae * 50.01);
    EXPECT_EQ(s.W0sr[10], 0.00001 / 86400);
    EXPECT_EQ(s.km[10], 9888777);
    EXPECT_DOUBLE_EQ(s.V0sr[4], s.W0sr[4] * s.R0sr[4]);
  }
}

TEST(InitialDataScreen, De405SourceGivesTheInitialStateOfTheEphemeris) {
  ScreenBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "JPL block ascp2000.405 not found under " << test::de405Dir();
  b.first();
  b.load(kSourceCaptions[3], "2000", "1", "1,5");
  EXPECT_TRUE(b.messages().empty());
  const State& s = b.state;
  EXPECT_EQ(s.massSet, 2);
  EXPECT_EQ(s.JDep, kJD2000);
  EXPECT_EQ(s.JPLisOpen, 0);  // the block is closed again
  State ref;
  ref.workDir = b.dir.string();
  ref.JD = kJD2000 + kETUT2000 / 86400;  // ephemeris time
  ASSERT_EQ(JPLopen(ref), JplStatus::Ok);
  for (int k = 0; k <= 9; ++k) {
    ASSERT_TRUE(JPLstate(ref, k));
    EXPECT_NEAR(s.X0[k], ref.X[k], 1e-3) << k;
    EXPECT_NEAR(s.VZ0[k], ref.VZ[k], 1e-9) << k;
  }
  JPLclose(ref);
  // The Earth-Moon barycentre on 2000 January 1.5: 0.983 AU from the solar-system barycentre.
  EXPECT_NEAR(std::hypot(s.X0[3], s.Y0[3], s.Z0[3]) / s.Lae, 0.983, 0.01);
  EXPECT_EQ(s.X0[10], 7555444333222.0);
  EXPECT_EQ(s.VY0[10], 4333);
  EXPECT_EQ(s.Y0[10], 0);
  EXPECT_EQ(s.km[10], 9888777);
  // The initial-data view of the table shows these at once.
  ui::Form& f = b.first();
  f.choose("view", 1);
  EXPECT_EQ(f.cell("tab", 3, 0), screenNumber(s.X[3] / s.MK, 6));
}

TEST(InitialDataScreen, De405SourceReportsMissingBlocksAndDates) {
  ScreenBench b;
  b.first();
  b.load(kSourceCaptions[3], "2000", "1", "1,5");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Не могу найти файл \\JPL\\ascp2000.405"}));
  b.load(kSourceCaptions[3], "1500", "1", "1,5");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: В файлах DE405 нет такой даты"}));
  EXPECT_EQ(b.state.JPLisOpen, 0);
}

TEST(InitialDataScreen, MoonModeWithTheTheories) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  f.tick("kodMoon", true);
  b.load(kSourceCaptions[0], "2000", "1", "1,5");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{
                              "Orvant7: Для расчета параметров орбиты Луны использована \nтеория Брауна в "
                              "книге Чеботарева "}));
  EXPECT_EQ(s.kodMoon, 1);
  EXPECT_EQ(s.km[10], 81.3);
  EXPECT_EQ(s.m[10], s.m[11]);
  EXPECT_EQ(s.R0sr[10], kMoonR0sr);
  EXPECT_EQ(s.AlfaL[10], s.AlfaL[11]);
  b.load(kSourceCaptions[1], "2000", "1", "1,5");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{
                              "Orvant7: Для расчета параметров орбиты Луны использована \nтеория из "
                              "Мееуса с пересчетом в эпоху J2000 "}));
  b.load(kSourceCaptions[2], "2000", "1", "1,5");
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(s.Eks0[10], s.Eks0[11]);

  // The conversion: the Moon about the Earth alone, the pair split about its barycentre.
  for (bool bary : {false, true}) {
    SCOPED_TRACE(bary);
    b.load(kSourceCaptions[2], "2000", "1", "1,5");
    f.tick("kodBary", bary);
    f.press("calc");
    EXPECT_TRUE(b.messages().empty());
    const double q = s.m[11] / s.m[13];
    EXPECT_EQ(s.Icen, 13);
    EXPECT_EQ(s.m[3], s.m[13]);
    EXPECT_DOUBLE_EQ(s.km[3], s.m[0] / s.m[13]);
    EXPECT_NEAR(std::hypot(s.X0[10], s.Y0[10], s.Z0[10]), kMoonR0sr, 0.06 * kMoonR0sr);
    EXPECT_DOUBLE_EQ(s.X0[13], -q * (bary ? s.X[10] : s.X0[11]));
    EXPECT_DOUBLE_EQ(s.X0[11], bary ? s.X[10] * (1 - q) : s.X[10]);
    EXPECT_DOUBLE_EQ(s.VY0[11], bary ? s.VY[10] * (1 - q) : s.VY[10] / (q + 1));
  }
}

TEST(InitialDataScreen, MoonModeWithDe405) {
  ScreenBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "JPL block ascp2000.405 not found under " << test::de405Dir();
  ui::Form& f = b.first();
  State& s = b.state;
  f.tick("kodMoon", true);
  State ref;
  ref.workDir = b.dir.string();
  ref.JD = kJD2000 + kETUT2000 / 86400;
  ASSERT_EQ(JPLopen(ref), JplStatus::Ok);
  ASSERT_TRUE(JPLstate(ref, 11));
  JPLclose(ref);
  State kin;
  kin.JD = kJD2000;  // the Moon's elements of Kin0 at universal time
  ThKin0(kin, 11);
  for (bool bary : {false, true}) {
    SCOPED_TRACE(bary);
    f.tick("kodBary", bary);
    b.load(kSourceCaptions[3], "2000", "1", "1,5");
    EXPECT_EQ(b.messages(), (std::vector<std::string>{
                                "Orvant7: Для расчета параметров неоскулирующей \nорбиты Луны "
                                "использована теория Kin0 "}));
    EXPECT_EQ(s.kodBary, bary ? 1 : 0);
    EXPECT_NEAR(s.AlfaL[10], reduceAngle(kin, kin.AlfaL[11]), 1e-12);
    EXPECT_EQ(s.km[10], 81.300585);
    const double q = s.m[11] / s.m[13];
    EXPECT_NEAR(q, 1 / 81.300585, 1e-12);
    const double x = ref.X[11], vy = ref.VY[11];
    EXPECT_NEAR(std::hypot(x, ref.Y[11], ref.Z[11]), kMoonR0sr, 0.06 * kMoonR0sr);
    EXPECT_DOUBLE_EQ(s.X0[13], -q * x);
    EXPECT_DOUBLE_EQ(s.X0[11], bary ? x * (1 - q) : x);
    EXPECT_DOUBLE_EQ(s.VY0[11], bary ? vy * (1 - q) : vy / (q + 1));
    EXPECT_DOUBLE_EQ(s.VY0[13], bary ? -q * vy : -q * vy / (q + 1));
    EXPECT_EQ(s.m[3], s.m[13]);
    EXPECT_DOUBLE_EQ(s.km[3], s.m[0] / s.m[13]);
  }
}

TEST(InitialDataScreen, MoonModeRenamesTheTenthObjectAndGuardsTheTracedChoice) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  ASSERT_TRUE(f.choose("traced", 3));
  EXPECT_EQ(s.Nsl, 3);
  EXPECT_FALSE(f.choose("traced", 0));   // never the Sun
  EXPECT_FALSE(f.choose("traced", 10));  // Xena does not take part
  f.tick("kodMoon", true);
  EXPECT_EQ(f.caption("kUch10"), "Луна");
  EXPECT_TRUE(f.checked("kUch10"));
  EXPECT_EQ(s.kUch[10], 1);
  EXPECT_EQ(s.kVz[3][10], 1);
  EXPECT_EQ(s.Nsl, 1);                   // the Earth is no longer allowed
  EXPECT_EQ(f.option("traced"), 1);
  EXPECT_FALSE(f.choose("traced", 3));
  EXPECT_TRUE(f.choose("traced", 11));   // "Луна"
  EXPECT_EQ(s.Nsl, 10);
  f.tick("kodMoon", false);
  EXPECT_EQ(f.caption("kUch10"), "Ксена");
  EXPECT_FALSE(f.checked("kUch10"));
  EXPECT_EQ(s.kUch[10], 0);
  EXPECT_EQ(s.kVz[3][10], 0);
  EXPECT_EQ(s.Nsl, 1);
  EXPECT_TRUE(f.choose("traced", 3));
  // A body taken out of the model cannot stay traced.
  f.tick("kUch3", false);
  EXPECT_EQ(s.kUch[3], 0);
  EXPECT_EQ(s.kVz[3][4], 0);
  EXPECT_EQ(s.Nsl, 1);
  EXPECT_FALSE(f.choose("traced", 3));
}

TEST(InitialDataScreen, CentreOfMassCommands) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  f.tick("kUch5", false);  // Jupiter out of the model: not in the centre, but moved with it
  f.tick("CM", true);
  f.press("cmFind");
  const double xcm = centreX(s);
  EXPECT_NEAR(s.X[14], xcm, 1e-6 * std::fabs(xcm));
  EXPECT_EQ(f.text("Xcm"), screenNumber(std::trunc(s.X[14]) / 1e6));
  const auto lines = shapesOf(b, ui::Shape::Type::Line);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back().color, ui::kBlue);
  EXPECT_NEAR(lines.back().x1, s.X[14] / s.Mx1, 1e-12);

  const double jupiter = s.X0[5];
  f.press("cmOrigin");
  EXPECT_NEAR(centreX(s), 0, 1e-3);
  EXPECT_NEAR(s.X0[5], jupiter - xcm, 1e-3);
  EXPECT_EQ(s.X[7], s.X0[7]);
  EXPECT_EQ(f.option("view"), 1);
  EXPECT_EQ(f.columnCaption("tab", 1), "Y, тыс.км ");
  EXPECT_EQ(f.cell("tab", 7, 0), screenNumber(s.X[7] / 1e6, 6));

  f.press("vsol");
  double p = 0, scale = 0;
  for (int i = 0; i <= 10; ++i) {
    p += s.kUch[i] * s.m[i] * s.VX0[i];
    scale += s.kUch[i] * s.m[i] * std::fabs(s.VX0[i]);
  }
  EXPECT_NEAR(p / scale, 0, 1e-14);
  EXPECT_EQ(s.VX[0], s.VX0[0]);
  const double v3 = s.VY0[3], vsun = s.VY0[0];
  f.press("vplus");
  f.press("vplus");
  EXPECT_DOUBLE_EQ(s.VY0[3], v3 + 2 * vsun);
  EXPECT_EQ(s.VY[3], s.VY0[3]);
  EXPECT_TRUE(b.messages().empty());
}

TEST(InitialDataScreen, DatesConvertBothWays) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  f.type("Year1", "2000");
  f.type("Month1", "1");
  f.type("Day1", "32,5");
  f.press("GJ");
  EXPECT_EQ(s.DayD, 32.5);  // the date of the data as typed
  EXPECT_EQ(s.MonthD, 1);
  EXPECT_EQ(f.text("Month1"), "2");
  EXPECT_EQ(f.text("Day1"), "1,5");
  EXPECT_EQ(f.text("JD"), "2451576");
  f.type("Day1", "1,123456789");  // the JD box shows three decimals, truncated
  f.press("GJ");
  EXPECT_EQ(f.text("JD"), "2451575,623");
  f.type("JD", "2451545,25");
  f.press("JG");
  EXPECT_EQ(f.text("Year1"), "2000");
  EXPECT_EQ(f.text("Month1"), "1");
  EXPECT_EQ(f.text("Day1"), "1,75");  // 18 h of January 1
  f.type("Year1", "2000 год");
  f.press("GJ");
  f.type("JD", "вчера");
  f.press("JG");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7.0: Введите правильно дату",
                                                    "Orvant7.0: Введите правильно юлианскую дату"}));
}

TEST(InitialDataScreen, FilesThroughTheScreen) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  f.press("GJ");  // the date of the data: 1801 January 1.5
  f.type("fileN", "7");
  f.press("save");
  ASSERT_TRUE(std::filesystem::exists(b.dir / "Dat" / "Orvant7.dat"));
  const double x3 = s.X[3];
  b.load(kSourceCaptions[0], "2000", "1", "1,5");  // other data
  f.type("Year1", "1950");
  f.choose("source", 4);
  f.press("load");
  EXPECT_TRUE(b.messages().empty());
  EXPECT_EQ(f.text("Year1"), "1801");  // the date of the file
  EXPECT_EQ(f.text("JD"), "2378862");
  EXPECT_NEAR(s.X0[3], x3, 1000);
  EXPECT_EQ(s.gamma, 66.7259e-12);
  EXPECT_EQ(f.option("view"), 0);

  f.type("fileN", "8");
  f.press("load");
  f.type("fileN", "abc");
  f.press("save");
  f.type("fileN", "40000");
  f.press("load");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Не могу найти файл \\Dat\\Orvant8.dat",
                                                    "Orvant7: Задайте номер файла",
                                                    "Orvant7: Задайте номер файла"}));
}

TEST(InitialDataScreen, ScreenSourceReadsTheShownView) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  const double x2 = s.X0[2], m4 = s.m[4];
  f.choose("source", 5);
  ASSERT_TRUE(f.typeCell("tab", 2, 0, "123,5"));
  ASSERT_TRUE(f.typeCell("tab", 2, 3, "0,25"));
  f.type("Lae", "150000000");
  f.press("load");
  EXPECT_TRUE(b.messages().empty());
  EXPECT_NEAR(s.AlfaL[2] * s.kUgol, 123.5, 1e-12);
  EXPECT_EQ(s.Eks0[2], 0.25);
  EXPECT_EQ(s.Lae, 1.5e11);
  EXPECT_EQ(s.X0[2], x2);  // the parameter view does not touch the initial state
  EXPECT_EQ(s.m[4], m4);

  f.choose("view", 1);
  ASSERT_TRUE(f.typeCell("tab", 2, 0, "100"));
  ASSERT_TRUE(f.typeCell("tab", 2, 4, "-35000,5"));
  f.press("load");
  EXPECT_EQ(s.X0[2], 1e8);
  EXPECT_EQ(s.X[2], 1e8);
  EXPECT_EQ(s.VY0[2], -35000.5);
  EXPECT_EQ(s.m[4], m4);

  // A cell that is not a number stops the load; the cells before it were taken.
  ASSERT_TRUE(f.typeCell("tab", 0, 1, "7"));
  ASSERT_TRUE(f.typeCell("tab", 1, 0, "много"));
  f.press("load");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Задайте правильно данные"}));
  EXPECT_EQ(s.Y0[0], 7e6);
}

TEST(InitialDataScreen, BadInputIsRefused) {
  ScreenBench b;
  ui::Form& f = b.first();
  State& s = b.state;
  const double jd0 = s.JD0;
  f.type("Day1", "первое");
  f.press("load");
  EXPECT_EQ(s.JD0, jd0);
  f.type("Day1", "1,5");
  f.type("gamma", "G");
  f.press("calc");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Задайте правильно данные",
                                                    "Orvant7: Задайте правильно данные"}));
  // An eccentricity of 1 stops the conversion at that object; the objects before it are done.
  f.type("gamma", "6,67259E-11");
  f.choose("source", 5);
  ASSERT_TRUE(f.typeCell("tab", 4, 3, "1"));
  f.press("load");
  EXPECT_EQ(s.Eks0[4], 1);
  const double x3 = s.X0[3], x4 = s.X0[4];
  s.X0[3] = 0;
  f.press("calc");
  EXPECT_EQ(b.messages(), (std::vector<std::string>{"Orvant7: Задайте правильно данные"}));
  EXPECT_NEAR(s.X0[3], x3, 1e5);  // recomputed from parameters shown to 1e-6 degree
  EXPECT_EQ(s.X0[4], x4);
}

TEST(InitialDataScreen, ScaleBarAndModellingScreen) {
  ScreenBench b(true);
  ui::Form& f = b.first();
  State& s = b.state;
  ASSERT_TRUE(f.scrollTo("scale", 1500));
  EXPECT_EQ(s.Mx1, 1.5e11);
  EXPECT_EQ(f.text("scaleText"), "масштаб изображения = 150 млн.км/см");
  const auto circles = shapesOf(b, ui::Shape::Type::Circle);
  ASSERT_EQ(circles.size(), 11u);
  EXPECT_NEAR(circles[3].x1, s.X[3] / 1.5e11, 1e-12);
  EXPECT_NEAR(circles[3].y1, s.Y[3] / 1.5e11, 1e-12);

  ASSERT_TRUE(f.enabled("toModel"));
  ASSERT_TRUE(f.press("toModel"));
  EXPECT_EQ(s.Ppar[3][1], s.AlfaP0[3]);
  EXPECT_EQ(s.Ppar[3][2], s.AlfaU0[3]);
  EXPECT_EQ(s.Ppar[3][3], s.Betta0[3]);
  EXPECT_EQ(s.Ppar[3][4], s.Eks0[3]);
  EXPECT_EQ(s.Ppar[3][5], s.R0sr[3]);
  EXPECT_EQ(s.Ppar[3][6], s.W0sr[3]);
  EXPECT_EQ(s.Ppar[10][7], s.AlfaL[10]);
  EXPECT_EQ(b.wb.screen<test::RunStandIn>(2).shown, 1);
}

}  // namespace
}  // namespace orvant
