// A whole experiment through `orvant-cli script`, as a user would run it headless: screen 1 opens
// with Kin0 at 1801 January 1.5, "К моделированию" hands its parameters to screen 2, which runs
// the classical model with Mercury traced and its orbit parameters recorded until 1900. The record
// file must hold the header lines of a run and one record per perihelion and aphelion passage from
// the third counted perihelion on, as many as the two-body motion of Mercury predicts.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "run_fixture.h"
#include "statistics/records.h"

namespace orvant::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
  int status = -1;
  std::string output;
};

CliRun runScript(const fs::path& dir, const std::string& script) {
  const fs::path file = dir / "run.txt";
  std::ofstream(file) << script;
  CliRun run;
  const std::string cmd =
      std::string(ORVANT_CLI) + " --dir " + dir.string() + " script " + file.string() + " 2>&1";
  std::FILE* p = popen(cmd.c_str(), "r");
  if (!p) return run;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) run.output += buf;
  const int st = pclose(p);
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return run;
}

// "NAME = value" lines of `state` and `show`.
std::map<std::string, std::string> values(const std::string& output) {
  std::map<std::string, std::string> out;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find(" = ");
    if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 3);
  }
  return out;
}

std::vector<std::string> fileLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(RunScript, Kin0MercuryRecordedUntil1900) {
  if (!fs::exists(ORVANT_CLI)) GTEST_SKIP() << "orvant-cli not built: " << ORVANT_CLI;
  TempDir dir;
  const CliRun r = runScript(dir.path,
                             "open 1\n"
                             "press 1 \"К моделированию\"\n"
                             "check 2 writeRecords on\n"
                             "check 2 stopYear on\n"
                             "set 2 YearStop 1899\n"
                             "press 2 Начать\n"
                             "show 2 Nrec\n"
                             "show 2 Year\n"
                             "state Ppar[1][1]\nstate Ppar[1][4]\nstate Ppar[1][7]\n"
                             "state R0sr[1]\nstate m[0]\nstate m[1]\nstate gamma\nstate JD0\n");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output.find("MESSAGE"), std::string::npos) << r.output;
  const auto v = values(r.output);
  EXPECT_EQ(v.at("Year"), "1900");
  const double peri = std::stod(v.at("Ppar[1][1]")), e = std::stod(v.at("Ppar[1][4]"));
  const double L = std::stod(v.at("Ppar[1][7]"));
  const double a = std::stod(v.at("R0sr[1]"));
  const double mu = std::stod(v.at("gamma")) * (std::stod(v.at("m[0]")) + std::stod(v.at("m[1]")));
  EXPECT_DOUBLE_EQ(std::stod(v.at("JD0")), 2378862.0);  // 1801 January 1.5

  const fs::path file = dir.path / "Plan0/Txt1/Orvant1Ras1.txt";
  ASSERT_TRUE(fs::exists(file));
  const auto lines = fileLines(file);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_TRUE(std::regex_match(
      lines[0], std::regex("эксперимент № 1 для объекта № 1 от  \\d\\d\\.\\d\\d\\.\\d{4} "
                           "\\d\\d:\\d\\d:\\d\\d плоскость эклиптики в эпоху J2000 начало "
                           "01,50\\.01\\.1801")))
      << lines[0];
  EXPECT_EQ(lines[1],
            "основной шаг решения 3600 сек    шаг вблизи перигелия уменьшен в 100 раз     dAlfa=  1"
            "   kodBary=  0   kodMoon=  0");
  EXPECT_EQ(lines[2], "КЛАССИКА   KIN0          VXsys=  0   VYsys= 0   VZsys= 0   Vgr= 0 Vsv / 100 ");
  EXPECT_EQ(lines[3],
            " № замера     прошло дней   перигелий     восхождение     наклон   эксцентриситет    "
            "полуось   угл.скорость");
  // NP1max = trunc((1899 - 1801) 2.5 365.25 / Tsid), Tsid = 87.96926 days; JD0 x 100.
  EXPECT_EQ(lines[4], " 1017          237886200 ");

  // Two-body prediction of the passages: mean anomaly at the start, the period of the osculating
  // semi-major axis. Passages every half period; the first counted one is a perihelion or an
  // aphelion, whichever comes first; records from the third counted perihelion: the fifth passage
  // when the first was a perihelion, the fourth when it was an aphelion (counted as one).
  constexpr double kPi = 3.14159265358979323846;
  const double T = 2 * kPi * std::sqrt(a * a * a / mu) / 86400;  // days
  const double M0 = std::fmod(std::fmod(L - peri, 2 * kPi) + 2 * kPi, 2 * kPi);
  const double tP = std::fmod(2 * kPi - M0, 2 * kPi) / (2 * kPi) * T;
  const double tA = std::fmod(3 * kPi - M0, 2 * kPi) / (2 * kPi) * T;
  const bool periFirst = tP < tA;
  const double t1 = std::min(tP, tA);
  // The start lies in neither window (+-1 deg of true longitude ~ 1.6 days at most here).
  ASSERT_GT(t1, 2.0);
  ASSERT_LT(t1, T / 2 - 2.0);
  const int firstRecorded = periFirst ? 5 : 4;
  const double tEnd = 2415020.5 - 2378862.0;  // 1900 January 1.0
  const long passages = static_cast<long>(std::floor((tEnd - t1) / (T / 2))) + 1;
  const long expected = passages - (firstRecorded - 1);
  const double margin = std::fabs(std::remainder(tEnd - t1, T / 2));

  statistics::RecordSeries sr;
  statistics::LoadChoice c;
  c.N = 1;
  c.source = statistics::Source::Model;
  c.k = 0;
  c.e = 1;
  State s;
  s.workDir = dir.path.string();
  ASSERT_TRUE(statistics::loadSeries(s, sr, c)) << s.lastMessage;
  // Perturbations by the other planets shift the passages by far less than a day over the run.
  if (margin > 1.0)
    EXPECT_EQ(sr.NP, expected);
  else
    EXPECT_LE(std::labs(sr.NP - expected), 1L);
  EXPECT_EQ(sr.records.front().number, 3);
  EXPECT_NEAR(sr.dT[1], t1 + (firstRecorded - 1) * T / 2, 1.0);
  // The count shown is the last record's number (an aphelion's record carries the number of the
  // perihelion before it).
  EXPECT_EQ(v.at("Nrec"), std::to_string(sr.records.back().number));
  // Mercury of Kin0 in the classical model: near its starting elements.
  EXPECT_NEAR(sr.Par[1][4], e, 0.001);
  EXPECT_NEAR(sr.Par[1][5], a / 1e9, 0.05);
}

}  // namespace
}  // namespace orvant::test
