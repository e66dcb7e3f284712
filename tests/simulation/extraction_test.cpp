// The pieces of the orbit-parameter extraction on their edge cases: windows across 0, the node
// between 359.9 and 0.1, the reduction to the orbit plane at w = +-90, the whole turns of the
// record, truncation toward zero, and the header lines of the result files.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "ephemeris/theory_planets.h"
#include "model/state.h"
#include "simulation/extraction.h"

namespace orvant::simulation {
namespace {

constexpr double kDeg = 180 / 3.14159265358979323846;

TEST(Windows, StraddlingZero) {
  // AlfaPt = 359.5, dAlfa = 1: [358.5, 0.5]; 359 and 0.2 are inside.
  const Window w = windowAround(359.5, 1);
  EXPECT_DOUBLE_EQ(w.lo, 358.5);
  EXPECT_DOUBLE_EQ(w.hi, 0.5);
  EXPECT_TRUE(insideWindow(359, w, 1));
  EXPECT_TRUE(insideWindow(0.2, w, 1));
  EXPECT_TRUE(insideWindow(358.5, w, 1));
  EXPECT_FALSE(insideWindow(0.6, w, 1));
  EXPECT_FALSE(insideWindow(358.4, w, 1));
  EXPECT_FALSE(insideWindow(180, w, 1));
  // A lower bound below 0 is raised by 360.
  const Window v = windowAround(0.3, 1);
  EXPECT_NEAR(v.lo, 359.3, 1e-12);
  EXPECT_NEAR(v.hi, 1.3, 1e-12);
  EXPECT_TRUE(insideWindow(359.9, v, 1));
  EXPECT_TRUE(insideWindow(1.0, v, 1));
  EXPECT_FALSE(insideWindow(2.0, v, 1));
}

TEST(Windows, OrdinaryAndAphelion) {
  const Window w = windowAround(77.5, 1);
  EXPECT_TRUE(insideWindow(77.0, w, 1));
  EXPECT_FALSE(insideWindow(78.6, w, 1));
  EXPECT_FALSE(insideWindow(76.4, w, 1));
  // The aphelion window of a perihelion at 270: 449 and 451 both reduced: [89, 91].
  const Window a = aphelionWindow(270, 1);
  EXPECT_DOUBLE_EQ(a.lo, 89);
  EXPECT_DOUBLE_EQ(a.hi, 91);
  EXPECT_TRUE(insideWindow(90, a, 1));
  // A perihelion at 179.5: aphelion window [358.5, 0.5] across 0.
  const Window b = aphelionWindow(179.5, 1);
  EXPECT_DOUBLE_EQ(b.lo, 358.5);
  EXPECT_DOUBLE_EQ(b.hi, 0.5);
  EXPECT_TRUE(insideWindow(0.1, b, 1));
}

TEST(Longitudes, MeanAcrossZero) {
  EXPECT_NEAR(meanLongitude(359.9, 0.1), 0.0, 1e-12);
  EXPECT_NEAR(meanLongitude(0.1, 359.9), 0.0, 1e-12);  // backward
  EXPECT_DOUBLE_EQ(meanLongitude(10, 12), 11);
}

// Reduction to the orbit plane against tan(lambda - node) = tan(u) cos i solved with atan2.
TEST(OrbitPlane, ReductionAndRightAngles) {
  State s;
  const double node = 30, inc = 10;
  for (double w : {45.0, 135.0, -45.0, -135.0, 10.0, 170.0}) {
    const double lambda = node + w;
    const double u = std::atan2(std::sin(w / kDeg), std::cos(w / kDeg) * std::cos(inc / kDeg)) * kDeg;
    double expect = node + u;
    if (expect < 0) expect += 360;
    EXPECT_NEAR(toOrbitPlane(s, lambda < 0 ? lambda + 360 : lambda, node, inc / kDeg), expect, 1e-9)
        << w;
  }
  // w exactly +-90 leaves the measured ecliptic longitude as it is.
  EXPECT_EQ(toOrbitPlane(s, 120, 30, 0.3), 120);
  EXPECT_EQ(toOrbitPlane(s, 300, 30, 0.3), 300);  // w = 270 -> -90
  // Zero inclination changes nothing.
  EXPECT_NEAR(toOrbitPlane(s, 200, 30, 0), 200, 1e-9);
}

TEST(Records, WholeTurns) {
  EXPECT_DOUBLE_EQ(wholeTurns(77.5, 77.4), 77.4);
  EXPECT_DOUBLE_EQ(wholeTurns(725.0, 6.0), 726.0);    // two turns
  EXPECT_DOUBLE_EQ(wholeTurns(359.0, 1.0), 361.0);    // measured past 0, theory not yet
  EXPECT_DOUBLE_EQ(wholeTurns(361.0, 359.0), 359.0);  // theory past 0, measured not yet
  EXPECT_DOUBLE_EQ(wholeTurns(-10.0, 350.0), -10.0);
  EXPECT_DOUBLE_EQ(wholeTurns(-5.0, 2.0), 2.0);
  EXPECT_DOUBLE_EQ(wholeTurns(-355.0, 358.0), -362.0);
  EXPECT_DOUBLE_EQ(wholeTurns(0.0, 123.0), 123.0);
}

// Object 10 (no theory): its AlfaP0/AlfaU0 are the turn references; the values are truncated
// toward zero (-1.7 becomes -1) and the parameter slots the theory writes are kept.
TEST(Records, TruncationTowardZeroAndSlotsKept) {
  State s;
  OrbitExtraction x;
  x.Nrec = 4;
  s.AlfaP0[10] = -5 / s.kUgol;
  s.AlfaU0[10] = 100 / s.kUgol;
  x.AlfaPt = 355.0 - 1.7e-8;   // with the turn: -5.000000017 deg -> -500000001.7 -> -500000001
  x.AlfaUt = 100.25;
  x.Betta = 7 / s.kUgol;
  x.Eks = 0.2;
  x.Rpl = 5.79e10 + 7;          // m/10 truncated: 5790000000
  x.Tper = 87.969;
  const double dTmod = -1.7 * 864;  // -1.7 hundredths of a day
  const RecordValues v = recordValues(s, x, 2451545.0, dTmod, 10).value();
  EXPECT_EQ(v[0], 4);
  EXPECT_EQ(v[1], -1);
  EXPECT_EQ(v[2], -500000001);
  EXPECT_EQ(v[3], 10025000000);
  EXPECT_NEAR(static_cast<double>(v[4]), 7e8, 1);
  EXPECT_EQ(v[5], 20000000);
  EXPECT_EQ(v[6], 5790000000);
  EXPECT_EQ(v[7], static_cast<std::int64_t>(std::trunc(1e8 * 2 * s.Pi * 36525 / 87.969)));
  EXPECT_DOUBLE_EQ(s.JD, 2451545.0 - 0.01);  // JD0 + trunc(-1.7)/100

  // A planet: ThJ2000 gives the turns, and the slots screen 1 holds are left as they were.
  State p;
  p.AlfaP0[1] = 1.0;
  p.AlfaU0[1] = 2.0;
  p.AlfaL[1] = 3.0;
  p.R0sr[1] = 4.0;
  const double Lae = p.Lae;
  x.AlfaPt = 77.4;
  x.AlfaUt = 48.3;
  const RecordValues w = recordValues(p, x, 2451545.0, 0, 1).value();
  EXPECT_EQ(w[2], 7740000000);
  EXPECT_EQ(p.AlfaP0[1], 1.0);
  EXPECT_EQ(p.AlfaU0[1], 2.0);
  EXPECT_EQ(p.AlfaL[1], 3.0);
  EXPECT_EQ(p.R0sr[1], 4.0);
  EXPECT_EQ(p.Lae, Lae);
}

// ---- single steps with the body placed by hand ----

void place(State& s, int n, double Ldeg, double z, double R = 5e10) {
  s.X[n] = R * std::cos(Ldeg / kDeg);
  s.Y[n] = R * std::sin(Ldeg / kDeg);
  s.Z[n] = z;
}

// Node passage between longitudes 359.9 and 0.1 with Z rising: AlfaUt = 0 (mean 180 minus 180),
// an ascending node, its window [359, 1].
TEST(Step, AscendingNodeAcrossZero) {
  State s;
  s.Ppar[1][1] = 120 / s.kUgol;  // perihelion far from here
  s.Ppar[1][2] = 200 / s.kUgol;
  s.Ppar[1][4] = 0.1;
  s.Ppar[1][5] = 5e10;
  s.Ppar[1][7] = 359.9 / s.kUgol;
  place(s, 1, 359.9, -1e6);
  OrbitExtraction x;
  beginExtraction(s, x, 1, kCentreSun, 1, 88, 1);
  place(s, 1, 0.1, 1e6);
  double h = 0;
  const unsigned ev = extractionStep(s, x, 3600, 3600, 100, h);
  EXPECT_TRUE(ev & kEvNode);
  EXPECT_TRUE(ev & kEvAscending);
  EXPECT_NEAR(x.AlfaUt, 0.0, 1e-9);
  EXPECT_NEAR(x.nodA.lo, 359.0, 1e-9);
  EXPECT_NEAR(x.nodA.hi, 1.0, 1e-9);
  EXPECT_EQ(x.kNode, 1);
  EXPECT_DOUBLE_EQ(h, 3600);  // node found: its window no longer shortens the step
  // Longitude 359.9 -> 0.1 is also the passage through 0, but no perihelion is counted yet.
  EXPECT_FALSE(ev & kEvPeriod);
  EXPECT_DOUBLE_EQ(x.tWrap, 3600);
}

TEST(Step, DescendingNodeAndStepChoice) {
  State s;
  s.Ppar[1][1] = 10 / s.kUgol;
  s.Ppar[1][2] = 281 / s.kUgol;  // descending node expected at 101
  s.Ppar[1][4] = 0.1;
  s.Ppar[1][5] = 5e10;
  s.Ppar[1][7] = 99.5 / s.kUgol;
  place(s, 1, 99.5, 2e6);
  OrbitExtraction x;
  beginExtraction(s, x, 1, kCentreSun, 1, 88, 1);
  double h = 0;
  place(s, 1, 100.5, 1e6);  // inside the descending-node window [100, 102]: small step
  EXPECT_EQ(extractionStep(s, x, 0, 3600, 100, h), 0u);
  EXPECT_DOUBLE_EQ(h, 36);
  place(s, 1, 100.7, -1e6);
  const unsigned ev = extractionStep(s, x, 36, 3600, 100, h);
  EXPECT_TRUE(ev & kEvNode);
  EXPECT_FALSE(ev & kEvAscending);
  EXPECT_NEAR(x.AlfaUt, 280.6, 1e-9);
  EXPECT_NEAR(x.nodD.lo, 99.6, 1e-9);
  EXPECT_DOUBLE_EQ(h, 3600);
  // Longitudes above 359 always shorten the step (the period's mark).
  place(s, 1, 359.5, -1e6);
  extractionStep(s, x, 72, 3600, 100, h);
  EXPECT_DOUBLE_EQ(h, 36);
}

// A backward run passes longitude 0 from 0 to 360: that, and not every step, is the period's mark.
TEST(Step, PeriodMarkOfBackwardRun) {
  State s;
  s.Ppar[1][1] = 120 / s.kUgol;
  s.Ppar[1][2] = 200 / s.kUgol;
  s.Ppar[1][5] = 5e10;
  s.Ppar[1][7] = 20 / s.kUgol;
  place(s, 1, 20, 1e6);
  OrbitExtraction x;
  beginExtraction(s, x, 1, kCentreSun, 1, 88, -1);
  double h = 0;
  place(s, 1, 10, 1e6);
  EXPECT_FALSE(extractionStep(s, x, 1000, 3600, 100, h) & kEvPeriod);
  place(s, 1, 359.8, 1e6);
  EXPECT_FALSE(extractionStep(s, x, 2000, 3600, 100, h) & kEvPeriod);  // tWrap only (Nrec = 0)
  EXPECT_DOUBLE_EQ(x.tWrap, 2000);
  x.Nrec = 2;
  place(s, 1, 180, 1e6);
  extractionStep(s, x, 3000, 3600, 100, h);
  place(s, 1, 0.5, 1e6);
  extractionStep(s, x, 4000, 3600, 100, h);
  place(s, 1, 359.9, 1e6);
  EXPECT_TRUE(extractionStep(s, x, 2000 + 86400 * 88.0, 3600, 100, h) & kEvPeriod);
  EXPECT_DOUBLE_EQ(x.Tper, 88.0);
  EXPECT_DOUBLE_EQ(x.TperFirst, 88.0);  // measured with Nrec = 2
}

// A body that starts inside a window does not register a passage there (kWin starts at 2).
TEST(Step, StartInsideWindowRegistersNothing) {
  State s;
  s.Ppar[1][1] = 50 / s.kUgol;
  s.Ppar[1][2] = 200 / s.kUgol;
  s.Ppar[1][4] = 0.2;
  s.Ppar[1][5] = 5e10;
  s.Ppar[1][7] = 49.8 / s.kUgol;
  place(s, 1, 49.8, 1e6, 4.1e10);
  OrbitExtraction x;
  beginExtraction(s, x, 1, kCentreSun, 1, 88, 1);
  double h = 0;
  for (double L = 49.9, R = 4.05e10; L < 51; L += 0.1, R += 1e8) {  // the distance grows
    place(s, 1, L, 1e6, R);
    EXPECT_EQ(extractionStep(s, x, 0, 3600, 100, h) & kEvPassage, 0u) << L;
  }
  EXPECT_EQ(x.Nrec, 0);
  // Out and in again (the next revolution): now the passage is registered.
  place(s, 1, 200, 1e6);
  extractionStep(s, x, 0, 3600, 100, h);
  EXPECT_EQ(x.kWin, 0);
  place(s, 1, 49.5, 1e6, 4.2e10);
  extractionStep(s, x, 0, 3600, 100, h);
  EXPECT_EQ(x.kWin, 1);
  place(s, 1, 49.7, 1e6, 4.3e10);
  const unsigned ev = extractionStep(s, x, 0, 3600, 100, h);
  EXPECT_TRUE(ev & kEvPassage);
  EXPECT_TRUE(ev & kEvFirst);
  EXPECT_EQ(x.Nrec, 1);
  EXPECT_NEAR(x.Rmin, std::hypot(4.2e10, 1e6), 1e-3);
}

// ---- header lines ----

TEST(Headers, RecordAndCoordinateFiles) {
  State s;
  s.Year1 = 1801;
  s.Month1 = 1;
  s.Day1 = 1.5;
  s.VXsys = 1.5;
  s.Vgr = 2 * s.Vsv;
  RunDescription d;
  d.e = 3;
  d.N = 1;
  d.now = "09.12.2026 07:11:10";
  d.ModeStr = "КЛАССИКА   KIN0";
  d.H0 = 3600;
  d.kShag = 100;
  d.dAlfa = 0.5;
  d.kodVgr = 1;
  d.Vgr = s.Vgr;
  const auto h = recordHeader(s, d);
  EXPECT_EQ(h[0],
            "эксперимент № 3 для объекта № 1 от  09.12.2026 07:11:10 плоскость эклиптики в эпоху "
            "J2000 начало 01,50.01.1801");
  EXPECT_EQ(h[1],
            "основной шаг решения 3600 сек    шаг вблизи перигелия уменьшен в 100 раз     dAlfa=  "
            "0,5   kodBary=  0   kodMoon=  0");
  EXPECT_EQ(h[2],
            "КЛАССИКА   KIN0          VXsys=  1,5   VYsys= 0   VZsys= 0   Vgr= 200 Vsv / 100 ");
  EXPECT_EQ(h[3],
            " № замера     прошло дней   перигелий     восхождение     наклон   эксцентриситет    "
            "полуось   угл.скорость");
  EXPECT_EQ(expectedRecords(1900, 1801, 87.96926), 1027);  // 99 x 2.5 x 365.25 / 87.96926
  EXPECT_EQ(expectedRecords(1800, 1801, 87.96926), -10);   // truncated toward zero

  s.DayD = 1;
  s.MonthD = 2;
  s.YearD = 1900;
  const auto c = coordinateHeader(s, d);
  EXPECT_EQ(c[0], "");
  EXPECT_EQ(c[1], "эксперимент для объекта № 1 выполнен  09.12.2026 07:11:10 плоскость эклиптики "
                  "в эпоху J2000    начало 01.02.1900");
  EXPECT_EQ(c[3].substr(0, d.ModeStr.size()), d.ModeStr);
  EXPECT_NE(c[3].find("скорость гравитаци Vgr= 200 Vsv / 100 "), std::string::npos);
  EXPECT_EQ(c[5], "");
  EXPECT_EQ(c[6], "");

  s.Day = 5.25;
  s.Month = 3;
  s.Year = 1950;
  s.X[1] = -1.5e9;
  s.Y[1] = 2e9;
  s.VX[1] = -12.3456;
  s.Vpl = 47000;
  const std::string line = coordinateLine(s, 1, 86400, 5.8e10, 2e18).value();
  EXPECT_EQ(line.substr(0, 40), "05,250.03.1950____T= 000000000,086____X=");
  EXPECT_NE(line.find("____X= -000001500,000____Y= 000002000,000"), std::string::npos);
  EXPECT_NE(line.find("____Rpl= 000058000,000____VX= -0000012,346"), std::string::npos);
  EXPECT_NE(line.find("____Vpl= 0047000,000____Esys= 000000002,000"), std::string::npos);
  EXPECT_EQ(coordinatePath(1, 3), "Dat/Orvant1XYZ3.txt");
}

}  // namespace
}  // namespace orvant::simulation
