// Screen 6 through a headless script, as `orvant-cli script` runs it: the record file of a model
// run of Mercury is loaded, a line is fitted over all its points, and the shift of the perihelion
// is stored in the plan's calculated shift file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "statistics/screen_bench.h"
#include "ui/script.h"

namespace orvant::statistics {
namespace {

using testing::ScreenBench;
using testing::ShortRecord;

constexpr double kJ2000 = 2451545.0;

// "NAME = value" lines of the script's output.
std::map<std::string, std::string> shownValues(const std::string& out) {
  std::map<std::string, std::string> v;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find(" = ");
    if (eq != std::string::npos && line.rfind("MESSAGE", 0) != 0)
      v[line.substr(0, eq)] = line.substr(eq + 3);
  }
  return v;
}

TEST(StatisticsScript, ModelRunOfMercuryGivesTheShiftStoredInThePlanFile) {
  ScreenBench b;
  State& s = b.state;
  // 120 records one Mercury year apart from 0.81 January 1900; the perihelion moves by 0.1588643
  // degrees a century, with a wobble of 2e-4 degrees.
  const double JD0 = 2415020.31;
  std::vector<ShortRecord> recs;
  for (int i = 0; i < 120; ++i) {
    const double dT = i * 87.969;
    const double T = (JD0 + dT - kJ2000) / 36525;
    recs.push_back({dT, {77.456119 + 0.1588643 * T + 2e-4 * std::sin(0.7 * i), 48.330893, 7.004986,
                         0.20563175, 57.909176, 2608.3}});
  }
  ASSERT_TRUE(testing::writeShortFile(s, "Plan3/Txt1/Orvant1Ras2.txt", JD0, recs, 130));

  // The plan's calculated shifts, three experiments.
  b.write("Plan3/Orvant1Ras.dat",
              "Обработанные данные расчета для плана № 3  по планете № 1\n 3 \nголовка\n"
              " 1  1000001  2000001  3000001  4000001  5000001  6000001\n"
              " 2  1000002  2000002  3000002  4000002  5000002  6000002\n"
              " 3  1000003  2000003  3000003  4000003  5000003  6000003\n");

  const std::string script =
      "open 6\n"
      "choose 6 модели\n"
      "choose 6 Меркурий\n"
      "choose 6 AlfaP\n"
      "set 6 \"план №\" 3\n"
      "set 6 \"эксперимент №\" 2\n"
      "set 6 \"единиц в 1 см\" 0,01\n"
      "press 6 \"Загрузить данные полученные\"\n"
      "show 6 NP\n"
      "set 6 \"начальная точка №\" 1\n"
      "set 6 \"конечная точка №\" 120\n"
      "set 6 \"с разбивкой выборки на группы по\" 1\n"
      "choose 6 лин\n"
      "press 6 \"Аппроксимировать данные выборки\"\n"
      "show 6 dY\n"
      "show 6 S2\n"
      "show 6 unit\n"
      "press 6 \"Смещение в файле =\"\n"
      "show 6 shiftFile\n"
      "press 6 \"Изменить смещение в файле на рассчитанное\"\n"
      "show 6 shiftFile\n";
  std::ostringstream out, err;
  std::istringstream in(script);
  int status;
  {
    ui::ScriptRunner runner(b.wb, b.desk, out);
    status = runner.run(in, err);
  }
  ASSERT_EQ(status, 0) << err.str();
  EXPECT_EQ(out.str().find("MESSAGE"), std::string::npos) << out.str();
  const auto shown = shownValues(out.str());
  EXPECT_EQ(shown.at("NP"), "120");
  EXPECT_EQ(shown.at("unit"), "угл.сек.");

  // Ordinary least squares through the values as the file keeps them, by centred sums: X in
  // centuries from 1.5 January 2000, Y in degrees; the shift in arc seconds per century.
  const double jd0 = static_cast<double>(scaledInt(JD0, 100)) / 100;
  std::vector<double> X, Y;
  for (const auto& r : recs) {
    X.push_back((jd0 + static_cast<double>(scaledInt(r.dT, 100)) / 100 - kJ2000) / 36525);
    Y.push_back(testing::stored(s, r.par[0]));
  }
  const double n = static_cast<double>(X.size());
  double mx = 0, my = 0;
  for (std::size_t i = 0; i < X.size(); ++i) {
    mx += X[i] / n;
    my += Y[i] / n;
  }
  double sxy = 0, sxx = 0;
  for (std::size_t i = 0; i < X.size(); ++i) {
    sxy += (X[i] - mx) * (Y[i] - my);
    sxx += (X[i] - mx) * (X[i] - mx);
  }
  const double slope = sxy / sxx, icpt = my - slope * mx;
  double rss = 0;
  for (std::size_t i = 0; i < X.size(); ++i) rss += std::pow(Y[i] - icpt - slope * X[i], 2);
  const double dY = 3600 * slope, S2 = 2 * 3600 * std::sqrt(rss / (n - 2));
  // The wobble leaves the slope near 0.1588643 degrees a century.
  EXPECT_NEAR(dY, 0.1588643 * 3600, 1);
  // The normal equations in uncentred sums over X near -1 lose a few digits: 1e-6 arc seconds.
  EXPECT_NEAR(*parseNumber(shown.at("dY")), dY, 1e-6);
  EXPECT_NEAR(*parseNumber(shown.at("S2")), S2, 1e-6);
  EXPECT_GT(S2, 0.1);

  // The file: the old value of experiment 2 was shown, then the new one as stored (six decimals);
  // every other value is as it was.
  const auto file = b.read("Plan3/Orvant1Ras.dat");
  std::vector<std::string> lines;
  std::istringstream fin(file);
  for (std::string l; std::getline(fin, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Обработанные данные расчета для плана № 3  по планете № 1");
  EXPECT_EQ(splitItems(lines[1]), std::vector<std::string>{"3"});
  for (int e = 1; e <= 3; ++e) {
    const auto items = splitItems(lines[static_cast<std::size_t>(2 + e)]);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0], std::to_string(e));
    for (int c = 1; c <= 6; ++c) {
      if (e == 2 && c == 1) {
        EXPECT_NEAR(static_cast<double>(std::stoll(items[1])), dY * 1e6, 1.0);
        EXPECT_EQ(shown.at("shiftFile"), screenNumber(std::stod(items[1]) / 1e6));
      } else {
        EXPECT_EQ(items[static_cast<std::size_t>(c)], std::to_string(c * 1000000 + e));
      }
    }
  }
  // The first show printed the value loaded from the file (1.000002).
  EXPECT_NE(out.str().find("shiftFile = 1,000002\n"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace orvant::statistics
