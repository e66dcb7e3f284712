#include "statistics/approximation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orvant::statistics {
namespace {

constexpr double kJ2000 = 2451545.0;  // 1.5 January 2000: JDk0 of Year0 = 2000

// A loaded series built in memory: kind, column, JD0 and per record dT, value, Ves, ddT.
RecordSeries makeSeries(const State& s, int kind, int col, double JD0, const std::vector<double>& dT,
                        const std::vector<double>& y, const std::vector<double>& ves = {},
                        const std::vector<double>& ddT = {}) {
  RecordSeries r;
  r.LoadKind = kind;
  r.ParCol = col;
  r.choice.option = col == 10 ? 8 : col;
  r.JD0 = JD0;
  for (std::size_t i = 0; i < dT.size(); ++i) {
    Record rec;
    rec.number = static_cast<std::int64_t>(i) + 1;
    rec.dT = dT[i];
    rec.ddT = ddT.empty() ? 0 : ddT[i];
    rec.Par[col] = y[i];
    rec.Par[10] = ves.empty() ? 0.01 : ves[i];
    r.records.push_back(rec);
  }
  deriveSeries(s, r);
  return r;
}

// Weighted least-squares line through (x, y) with weights w, by centred sums.
void weightedLine(const std::vector<double>& x, const std::vector<double>& y,
                  const std::vector<double>& w, double& a, double& b) {
  double sw = 0, mx = 0, my = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sw += w[i];
    mx += w[i] * x[i];
    my += w[i] * y[i];
  }
  mx /= sw;
  my /= sw;
  double sxy = 0, sxx = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    sxy += w[i] * (x[i] - mx) * (y[i] - my);
    sxx += w[i] * (x[i] - mx) * (x[i] - mx);
  }
  b = sxy / sxx;
  a = my - b * mx;
}

ApproxInput lineInput(int N2, int size = 1) {
  ApproxInput in;
  in.N1 = 1;
  in.N2 = N2;
  in.NCP0 = size;
  in.fit = FitKind::Line;
  in.IG = 2000;
  in.Year0 = 2000;
  return in;
}

TEST(Approximation, LineOnTenPointsIsOrdinaryLeastSquares) {
  State s;
  const double JD0 = 2415020.0;
  const std::vector<double> dT = {0, 3000, 7000, 11000, 15000.5, 20000, 26000, 30000, 36000, 41000};
  std::vector<double> y, x;
  for (std::size_t i = 0; i < dT.size(); ++i) {
    x.push_back((JD0 + dT[i] - kJ2000) / 36525);
    y.push_back(102.9 + 0.47 * x.back() + 0.01 * std::sin(1.7 * static_cast<double>(i)));
  }
  const RecordSeries r = makeSeries(s, kSimulatorSeries, 1, JD0, dT, y);
  ApproxResult out;
  ASSERT_TRUE(approximate(s, r, lineInput(10), out)) << s.lastMessage;
  EXPECT_EQ(out.JDk0, kJ2000);
  const GroupFit& f = out.fit;
  EXPECT_EQ(f.NG, 10);
  EXPECT_EQ(f.VesSum, 10);
  for (int g = 1; g <= 10; ++g) {
    EXPECT_EQ(f.W[g], 1);
    EXPECT_NEAR(f.X[g], x[g - 1], 1e-15);
  }
  double a, b;
  weightedLine(x, y, std::vector<double>(10, 1), a, b);
  EXPECT_NEAR(f.k0, a, 1e-11);
  EXPECT_NEAR(f.k1, b, 1e-11);
  double rss = 0;
  for (int i = 0; i < 10; ++i) rss += std::pow(y[i] - a - b * x[i], 2);
  EXPECT_NEAR(f.Sigma, std::sqrt(rss / 8), 1e-11);
  // Arc seconds per century from degrees per century.
  EXPECT_NEAR(out.shift, 3600 * b, 1e-7);
  EXPECT_NEAR(out.limit, 2 * 3600 * std::sqrt(rss / 8), 1e-7);
  EXPECT_NEAR(f.parIG, a, 1e-11);  // IG = Year0
}

TEST(Approximation, ObservationWeightsNormaliseToTheHeaviest) {
  State s;
  const std::vector<double> dT = {0, 4000, 9000, 13000, 18000, 25000};
  const std::vector<double> ves = {2, 4, 2, 4, 2, 4};
  const std::vector<double> ddT(6, 365.25);
  std::vector<double> y, x;
  const double JD0 = 2433282.5;
  for (std::size_t i = 0; i < dT.size(); ++i) {
    x.push_back((JD0 + dT[i] + ddT[i] / 2 - kJ2000) / 36525);  // the middle of the interval
    y.push_back(0.0167 - 0.00004 * x.back() + 1e-6 * (static_cast<double>(i % 3) - 1));
  }
  const RecordSeries r = makeSeries(s, kObservationSeries, 4, JD0, dT, y, ves, ddT);
  ApproxResult out;
  ASSERT_TRUE(approximate(s, r, lineInput(6), out)) << s.lastMessage;
  const GroupFit& f = out.fit;
  EXPECT_EQ(f.VesMax, 4);
  for (int g = 1; g <= 6; ++g) {
    EXPECT_EQ(f.W[g], g % 2 ? 0.5 : 1.0);
    EXPECT_NEAR(f.X[g], x[g - 1], 1e-15);
  }
  EXPECT_EQ(f.VesSum, 4.5);
  // The fit is the least-squares line with these weights; the shift is in units of 10^-6.
  double a, b;
  weightedLine(x, y, {0.5, 1, 0.5, 1, 0.5, 1}, a, b);
  EXPECT_NEAR(f.k0, a, 1e-13);
  EXPECT_NEAR(f.k1, b, 1e-13);
  EXPECT_NEAR(f.dY, b * 1e6, 1e-7);
  // The weight multiplies the residual before squaring.
  double D = 0;
  for (int i = 0; i < 6; ++i) D += std::pow((y[i] - a - b * x[i]) * f.W[i + 1], 2);
  EXPECT_NEAR(f.D, D, 1e-18);

  ApproxInput in = lineInput(6);
  in.ves1 = true;
  ASSERT_TRUE(approximate(s, r, in, out));
  EXPECT_EQ(out.fit.VesSum, 6);
  EXPECT_EQ(out.fit.W[1], 1);

  // Groups of two: the time and weight of a group are those of its last record.
  in = lineInput(6, 2);
  ASSERT_TRUE(approximate(s, r, in, out));
  EXPECT_EQ(out.fit.NG, 3);
  EXPECT_NEAR(out.fit.X[2], x[3], 1e-15);
  EXPECT_NEAR(out.fit.Ybar[2], (y[2] + y[3]) / 2, 1e-17);
  EXPECT_EQ(out.fit.VesSum, 3);
}

TEST(Approximation, AlfaL0OfObservationSeriesIgnoresTheInterval) {
  State s;
  const RecordSeries r = makeSeries(s, kObservationSeries, 7, kJ2000, {0, 36525, 73050, 109575},
                                    {1, 2, 3, 4}, {1, 1, 1, 1}, {5000, 5000, 5000, 5000});
  ApproxResult out;
  ASSERT_TRUE(approximate(s, r, lineInput(4), out));
  EXPECT_DOUBLE_EQ(out.fit.X[1], 0);
  EXPECT_DOUBLE_EQ(out.fit.X[4], 3);
  EXPECT_NEAR(out.fit.k1, 1, 1e-12);
}

TEST(Approximation, ParabolaThroughExactDataHasNoScatter) {
  State s;
  // The test series with k3 = 0 is an exact parabola in centuries from JD0 = JDk0.
  RecordSeries r;
  ASSERT_TRUE(makeTestSeries(s, r, 25, 5, 2, 0.3, 0, [] { return 0.7; }));
  EXPECT_EQ(r.LoadKind, kTestSeries);
  EXPECT_EQ(r.ParCol, 7);
  EXPECT_EQ(r.JD0, 1721058);
  EXPECT_DOUBLE_EQ(r.dT[25], 25 * 36525.0);
  ApproxInput in;
  in.N1 = 1;
  in.N2 = 25;
  in.NCP0 = 1;
  in.fit = FitKind::Parabola;
  in.Year0 = 0;
  in.IG = 1500;
  ApproxResult out;
  ASSERT_TRUE(approximate(s, r, in, out)) << s.lastMessage;
  EXPECT_EQ(out.JDk0, kTestJD0);  // 1.5 January of year 0
  EXPECT_NEAR(out.fit.k0, 5, 1e-9);
  EXPECT_NEAR(out.fit.k1, 2, 1e-9);
  EXPECT_NEAR(out.fit.k2, 0.3, 1e-10);
  EXPECT_NEAR(out.fit.Sigma, 0, 1e-9);
  EXPECT_NEAR(out.limit, 0, 2e-9);
  EXPECT_NEAR(out.shift, 2 + 2 * 0.3 * 15, 1e-9);  // slope at t = 15 centuries, degrees
  EXPECT_NEAR(out.fit.parIG, 5 + 2 * 15 + 0.3 * 225, 1e-8);

  // Longitude of perihelion: the slope at IG in arc seconds per century.
  std::vector<double> dT, y;
  const double JD0 = kJ2000 - 60000;
  for (int i = 0; i < 12; ++i) {
    dT.push_back(i * 9000.0);
    const double t = (JD0 + dT.back() - kJ2000) / 36525;
    y.push_back(102.9 + 0.32 * t + 0.00015 * t * t);
  }
  const RecordSeries p = makeSeries(s, kSimulatorSeries, 1, JD0, dT, y);
  in = lineInput(12);
  in.fit = FitKind::Parabola;
  in.IG = 2050;
  ASSERT_TRUE(approximate(s, p, in, out)) << s.lastMessage;
  EXPECT_NEAR(out.fit.Sigma, 0, 1e-10);
  EXPECT_NEAR(out.shift, 3600 * (0.32 + 2 * 0.00015 * 0.5), 1e-6);
}

TEST(Approximation, TooFewGroupsStopsTheCommand) {
  State s;
  const RecordSeries r = makeSeries(s, kSimulatorSeries, 3, kJ2000, {0, 1, 2, 3, 4, 5, 6},
                                    {1, 2, 3, 4, 5, 6, 7});
  ApproxInput in = lineInput(7, 2);
  in.fit = FitKind::Parabola;
  ApproxResult out;
  EXPECT_FALSE(approximate(s, r, in, out));
  EXPECT_EQ(s.lastMessage, "Первичные данные должны быть\nразбиты минимум на 4 группы");
  EXPECT_EQ(s.lastTitle, "Orvant7");

  in = lineInput(3);
  in.fit = FitKind::Parabola;
  in.allSizes = true;  // three records cannot make four groups of any size
  EXPECT_FALSE(approximate(s, r, in, out));
  EXPECT_EQ(s.lastMessage, "Первичные данные должны быть\nразбиты минимум на 4 группы");
}

TEST(Approximation, NumericAndInputFailures) {
  State s;
  ApproxResult out;
  RecordSeries none;
  EXPECT_FALSE(approximate(s, none, lineInput(3), out));
  EXPECT_EQ(s.lastMessage, "У Вас не загружены первичные данные");

  // Times symmetric about the epoch: S_X = 0 and the line's elimination divides by it.
  const RecordSeries r =
      makeSeries(s, kSimulatorSeries, 5, kJ2000 - 36525, {0, 36525, 73050}, {1, 2, 4});
  EXPECT_FALSE(approximate(s, r, lineInput(3), out));
  EXPECT_EQ(s.lastMessage, "Ошибка при обработке данных");

  EXPECT_FALSE(approximate(s, r, lineInput(4), out));  // beyond the last record
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");

  // All weights zero: the normalisation has nothing to divide by.
  const RecordSeries w = makeSeries(s, kObservationSeries, 1, kJ2000, {0, 100, 900}, {1, 2, 3},
                                    {0, 0, 0});
  EXPECT_FALSE(approximate(s, w, lineInput(3), out));
  EXPECT_EQ(s.lastMessage, "Ошибка при обработке данных");
}

TEST(Approximation, EverySizeTriedAndCombined) {
  State s;
  std::vector<double> dT, y;
  for (int i = 0; i < 5; ++i) {
    dT.push_back(i * 3000.0 + (i % 2) * 500);
    y.push_back(10 + 0.1 * i + 0.02 * ((i * 7) % 3));
  }
  const RecordSeries r5 = makeSeries(s, kSimulatorSeries, 2, kJ2000 - 20000, dT, y);
  // Five records and a line: only groups of one record give three groups; "maxmin" with a single
  // size is "min".
  ApproxInput in = lineInput(5);
  in.allSizes = true;
  in.criterion = Criterion::Min;
  ApproxResult mn, mm, sr;
  ASSERT_TRUE(approximate(s, r5, in, mn));
  in.criterion = Criterion::MaxMin;
  ASSERT_TRUE(approximate(s, r5, in, mm));
  in.criterion = Criterion::Mean;
  ASSERT_TRUE(approximate(s, r5, in, sr));
  EXPECT_EQ(mn.NCPmax, 1);
  EXPECT_EQ(mm.dAlfaP100M, mn.dAlfaP100M);
  EXPECT_NEAR(mm.dAlfaP100S, mn.dAlfaP100S, 1e-12 * mn.dAlfaP100S);
  EXPECT_EQ(sr.dAlfaP100M, mn.dAlfaP100M);
  // The boxes get the pair truncated (not rounded) to six decimals.
  EXPECT_EQ(mn.shift, std::trunc(mn.dAlfaP100M * 1e6) / 1e6);
  EXPECT_EQ(mn.criterionLine.rfind("минимальное при NCP0 = 1   dAlfaP100M = ", 0), 0u);
  EXPECT_EQ(mm.criterionLine.rfind("максимин    dAlfaP100M = ", 0), 0u);
  EXPECT_EQ(sr.criterionLine.rfind("средние       dAlfaP100M = ", 0), 0u);

  // Twelve records, a line: sizes 1..4, each the same as fitting that size alone.
  std::vector<double> dT12, y12;
  for (int i = 0; i < 12; ++i) {
    dT12.push_back(i * 2000.0);
    y12.push_back(5 + 0.2 * i + 0.05 * std::cos(2.1 * i));
  }
  const RecordSeries r12 = makeSeries(s, kSimulatorSeries, 1, kJ2000 - 30000, dT12, y12);
  in = lineInput(12);
  in.allSizes = true;
  in.criterion = Criterion::Min;
  ApproxResult all;
  ASSERT_TRUE(approximate(s, r12, in, all));
  ASSERT_EQ(all.NCPmax, 4);
  int best = 1;
  for (int size = 1; size <= 4; ++size) {
    ApproxResult one;
    ASSERT_TRUE(approximate(s, r12, lineInput(12, size), one));
    EXPECT_EQ(all.dYs[size], one.shift);
    EXPECT_EQ(all.S2s[size], one.limit);
    if (one.limit < all.S2s[best]) best = size;
  }
  EXPECT_EQ(all.best, best);
  EXPECT_EQ(all.dAlfaP100M, all.dYs[best]);
  // The maxmin band meets every size's interval dY(s) +- S2(s).
  in.criterion = Criterion::MaxMin;
  ASSERT_TRUE(approximate(s, r12, in, mm));
  for (int size = 1; size <= 4; ++size) {
    const double lo = mm.dAlfaP100M - mm.dAlfaP100S, hi = mm.dAlfaP100M + mm.dAlfaP100S;
    EXPECT_LE(all.dYs[size] - all.S2s[size], hi + 1e-9);
    EXPECT_GE(all.dYs[size] + all.S2s[size], lo - 1e-9);
  }
}

TEST(Approximation, DrawingTexts) {
  GroupFit f;
  f.dY = 1.23456789;
  f.S2 = 0.5;
  f.k0 = 5;
  f.k1 = -2.0000009;
  f.k2 = 0.3;
  const auto eq = equationText(f);
  EXPECT_EQ(eq[0], "dY=  1,234567    2*Sigma=  0,5");
  EXPECT_EQ(eq[1], "Y=  5  +  -2 *  X  +  0,3 *  X^2");
  f.NG = 2;
  f.W = {0, 0.5, 1};
  f.VesMax = 4;
  f.VesSum = 1.5;
  const auto w = weightsText(f);
  ASSERT_EQ(w.size(), 4u);
  EXPECT_EQ(w[0], "i=  1   Ves=  0,5");
  EXPECT_EQ(w[2], "VesMax=  4");
  EXPECT_EQ(w[3], "VesSum=  1,5");
  State s;
  EXPECT_EQ(shiftFactor(s, 2), 3600);
  EXPECT_EQ(shiftFactor(s, 5), 1e6);
  EXPECT_EQ(shiftFactor(s, 6), 1);
  EXPECT_EQ(shiftUnit(4), "* 10^6");
}

}  // namespace
}  // namespace orvant::statistics
