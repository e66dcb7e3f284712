// Computations of the plans workbench: the experiment file, the test functions of screen 8, the
// criterion forms and the response curves.
#include "design/plans_workbench.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "design/screens/plan_tests_screen.h"

namespace orvant::design {
namespace {

namespace fs = std::filesystem;

// A fresh work directory per test, removed at the end.
class WorkDir {
 public:
  WorkDir() {
    std::string tmpl = (fs::temp_directory_path() / "orvant_plans_XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~WorkDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string read(const std::string& rel) const {
    std::ifstream in(path_ / rel, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  void write(const std::string& rel, const std::string& text) const {
    fs::create_directories((path_ / rel).parent_path());
    std::ofstream(path_ / rel, std::ios::binary) << text;
  }

 private:
  fs::path path_;
};

class ExperimentFileTest : public ::testing::Test {
 protected:
  WorkDir dir;
  State s;
  void SetUp() override { s.workDir = dir.path().string(); }

  // A 3-factor file of 16 experiments (the rotatable plan), values with at most six decimals.
  ExperimentFile sample() const {
    ExperimentFile f;
    f.title = "Опыты на стенде";
    f.Nf = 3;
    f.Npt = 16;
    f.Yopt = 4.57;
    f.X0 = {0, 0.57, -2.5, 1234.000001};
    f.dX = {0, 0.29, 0.000001, 10};
    f.heading = "Номер опыта и критерий";
    for (int e = 1; e <= f.Npt; ++e) f.Y[e] = (e % 2 ? -1 : 1) * (1010000.0 * e + 3) / 1e6;
    return f;
  }
};

TEST_F(ExperimentFileTest, WrittenFileHasTheLayoutAndReadsBackExactly) {
  const ExperimentFile f = sample();
  ASSERT_TRUE(writeExperimentFile(s, f)) << s.lastMessage;
  const std::string text = dir.read("Dat/NabPlan3.txt");
  // Items in print zones of 14 characters (columns 1, 15, 29), scaled by 10^6; a number not negative
  // has a leading blank, every number a trailing one.
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "Опыты на стенде");
  std::getline(lines, line);
  EXPECT_EQ(line, " 3             16            4570000 ");
  std::getline(lines, line);
  EXPECT_EQ(line, " 570000        290000 ");
  std::getline(lines, line);
  EXPECT_EQ(line, "-2500000       1 ");
  std::getline(lines, line);
  EXPECT_EQ(line, " 1234000001    10000000 ");
  std::getline(lines, line);
  EXPECT_EQ(line, "Номер опыта и критерий");
  std::getline(lines, line);
  EXPECT_EQ(line, " 1            -1010003 ");
  std::getline(lines, line);
  EXPECT_EQ(line, " 2             2020003 ");

  ExperimentFile r;
  ASSERT_TRUE(readExperimentFile(s, 3, 16, r)) << s.lastMessage;
  EXPECT_EQ(r.title, f.title);
  EXPECT_EQ(r.heading, f.heading);
  EXPECT_EQ(r.Nf, 3);
  EXPECT_EQ(r.Npt, 16);
  EXPECT_EQ(r.Yopt, f.Yopt);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(r.X0[i], f.X0[i]) << i;
    EXPECT_EQ(r.dX[i], f.dX[i]) << i;
  }
  for (int e = 1; e <= 16; ++e) EXPECT_EQ(r.Y[e], f.Y[e]) << e;

  // Written again from what was read: the same file, byte for byte.
  ASSERT_TRUE(writeExperimentFile(s, r));
  EXPECT_EQ(dir.read("Dat/NabPlan3.txt"), text);

  // More than six decimals: truncated toward zero, not rounded.
  r.Y[1] = 1.2345678;
  r.Y[2] = -1.2345678;
  ASSERT_TRUE(writeExperimentFile(s, r));
  ASSERT_TRUE(readExperimentFile(s, 3, 16, r));
  EXPECT_EQ(r.Y[1], 1.234567);
  EXPECT_EQ(r.Y[2], -1.234567);
}

TEST_F(ExperimentFileTest, ReaderTakesCommasCarriageReturnsAndExperimentsInAnyOrder) {
  dir.write("Dat/NabPlan2.txt",
            "заголовок, с запятой\r\n2, 9, 100000000\r\n1000000 500000\r\n2000000,1000000\r\nопыты\r\n"
            "9 9000000\r\n1 1000000\r\n2 2000000\r\n3 3000000\r\n4 4000000\r\n5 5000000\r\n"
            "6 6000000\r\n7 7000000\r\n8 8000000\r\n");
  ExperimentFile r;
  ASSERT_TRUE(readExperimentFile(s, 2, 9, r)) << s.lastMessage;
  EXPECT_EQ(r.title, "заголовок, с запятой");
  EXPECT_EQ(r.Yopt, 100);
  EXPECT_EQ(r.X0[2], 2);
  EXPECT_EQ(r.dX[1], 0.5);
  for (int e = 1; e <= 9; ++e) EXPECT_EQ(r.Y[e], e);
}

TEST_F(ExperimentFileTest, CountsThatDifferFromThePlanAreRefused) {
  ASSERT_TRUE(writeExperimentFile(s, sample()));
  // A file written for 3 factors put where a 2-factor plan looks for its file.
  fs::copy_file(dir.path() / "Dat/NabPlan3.txt", dir.path() / "Dat/NabPlan2.txt");
  ExperimentFile r;
  r.Nf = -7;
  EXPECT_FALSE(readExperimentFile(s, 2, 16, r));
  EXPECT_EQ(s.lastMessage, "Не верное количество факторов или экспериментов в файле\n\\Dat\\NabPlan2.txt");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_EQ(r.Nf, -7);
  // The right factor count but another plan size.
  EXPECT_FALSE(readExperimentFile(s, 3, 20, r));
  EXPECT_EQ(s.lastMessage, "Не верное количество факторов или экспериментов в файле\n\\Dat\\NabPlan3.txt");
  EXPECT_EQ(r.Nf, -7);
}

TEST_F(ExperimentFileTest, MissingAndMalformedFilesAreReportedWithThePath) {
  ExperimentFile r;
  r.Nf = -7;
  EXPECT_FALSE(readExperimentFile(s, 4, 26, r));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл\n\\Dat\\NabPlan4.txt");

  const std::string head = "t\n2 9 1000000\n1000000 1000000\n1000000 1000000\nh\n";
  std::string first8;
  for (int e = 1; e <= 8; ++e) first8 += std::to_string(e) + " " + std::to_string(e * 1000000) + "\n";
  const std::string rows = first8 + "9 9000000\n";
  ASSERT_TRUE((dir.write("Dat/NabPlan2.txt", head + rows), readExperimentFile(s, 2, 9, r)));
  r.Nf = -7;
  const std::string bad[] = {
      head + first8,                                               // one experiment short
      head + first8 + "1 5\n",                                     // number 1 twice, 9 missing
      head + first8 + "10 1\n",                                    // experiment 10 of 9
      head + first8 + "9\n",                                       // a criterion missing
      "t\n2 9\n1000000 1000000\n1000000 1000000\nh\n" + rows,      // Yopt missing
      "t\n2 9 1000000\n1000000\n1000000 1000000\nh\n" + rows,      // an interval missing
      "t\n2 9 1000000\n1000000 x\n1000000 1000000\nh\n" + rows,    // not a number
      "t\n2,5 9 1000000\n1000000 1000000\n1000000 1000000\nh\n" + rows,  // fractional count
      "t\n",                                                        // nothing after the title
  };
  for (const std::string& text : bad) {
    dir.write("Dat/NabPlan2.txt", text);
    s.lastMessage.clear();
    EXPECT_FALSE(readExperimentFile(s, 2, 9, r)) << text;
    EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\Dat\\NabPlan2.txt") << text;
    EXPECT_EQ(r.Nf, -7);
  }
}

TEST_F(ExperimentFileTest, FailedRewriteLeavesTheOldFile) {
  ASSERT_TRUE(writeExperimentFile(s, sample()));
  const std::string old = dir.read("Dat/NabPlan3.txt");
  // The temporary file cannot be made: a folder stands in its place.
  fs::create_directory(dir.path() / "Dat/NabPlan3.txt.tmp");
  ExperimentFile other = sample();
  other.Yopt = 99;
  EXPECT_FALSE(writeExperimentFile(s, other));
  EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\Dat\\NabPlan3.txt");
  EXPECT_EQ(dir.read("Dat/NabPlan3.txt"), old);
  // A new folder is made when missing.
  fs::remove(dir.path() / "Dat/NabPlan3.txt.tmp");
  fs::remove_all(dir.path() / "Dat");
  EXPECT_TRUE(writeExperimentFile(s, other));
  EXPECT_FALSE(fs::exists(dir.path() / "Dat/NabPlan3.txt.tmp"));
  // A value whose x MK does not fit the file's 64-bit integers is not written as garbage.
  const std::string good = dir.read("Dat/NabPlan3.txt");
  for (double huge : {1e15, -1e15}) {
    ExperimentFile big = sample();
    big.Y[5] = huge;
    s.lastMessage.clear();
    EXPECT_FALSE(writeExperimentFile(s, big));
    EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\Dat\\NabPlan3.txt");
    EXPECT_EQ(dir.read("Dat/NabPlan3.txt"), good);
  }
}

TEST(PlanTests, EachFunctionAtAHandComputedPoint) {
  const Levels X{0, 2, 3, 5, 7, 11, 13};
  const double expected[kPlanTests] = {13, 6, 17, 210, 30.0 / 49, 101, 36, 87, 136};
  for (int k = 0; k < kPlanTests; ++k) EXPECT_DOUBLE_EQ(planTestValue(k, 13, X), expected[k]) << k;
  // Yopt: the value at all X = 1, except Y(u)=u, whose reference is 10.
  const Levels ones{0, 1, 1, 1, 1, 1, 1};
  const double yopt[kPlanTests] = {10, 2, 4, 1, 1, 6, 1, 4, 8};
  for (int k = 0; k < kPlanTests; ++k) EXPECT_EQ(planTestYopt(k), yopt[k]) << k;
  for (int k = 1; k < kPlanTests; ++k) EXPECT_EQ(planTestValue(k, 5, ones), planTestYopt(k)) << k;
  EXPECT_EQ(planTestCaption(7), "Y(u)= X1^2 + X2^2 + X3^2 + X4^2");
  EXPECT_EQ(planTestCaption(2), "Y(u) = X1 + X2 + X3 + X4 ");
  EXPECT_EQ(planTestCaption(9), "");
}

class CriteriaTest : public ::testing::Test {
 protected:
  State s;
  SignTables t = fillSignTables();
  Plan build(int type, int Nf) {
    Plan p;
    EXPECT_TRUE(buildPlan(s, t, type, Nf, std::nullopt, p)) << s.lastMessage;
    return p;
  }
};

TEST_F(CriteriaTest, FormsOfTheCriterion) {
  EXPECT_DOUBLE_EQ(criterionOf(CriterionForm::Y, 7, 4, 2), 3.5);
  EXPECT_DOUBLE_EQ(criterionOf(CriterionForm::dY, 7, 4, 2), 1.5);
  EXPECT_DOUBLE_EQ(criterionOf(CriterionForm::dY2, 7, 4, 2), 4.5);
  EXPECT_DOUBLE_EQ(criterionOf(CriterionForm::AbsdY, 1, 4, 2), 1.5);
  EXPECT_DOUBLE_EQ(criterionOf(CriterionForm::dY, 1, 4, 1), -3);

  Criterion Y{}, Yexp{};
  Y[1] = 6;
  Y[2] = 2;
  ASSERT_TRUE(transformCriteria(CriterionForm::dY2, true, 4, 2, Y, Yexp));
  EXPECT_DOUBLE_EQ(Yexp[1], 1);  // (6-4)^2/4
  EXPECT_DOUBLE_EQ(Yexp[2], 1);
  ASSERT_TRUE(transformCriteria(CriterionForm::Y, false, 4, 2, Y, Yexp));
  EXPECT_DOUBLE_EQ(Yexp[1], 6);
  // dY/Yopt with Yopt = 0 divides by zero: refused, the criteria kept.
  EXPECT_FALSE(transformCriteria(CriterionForm::dY, true, 0, 2, Y, Yexp));
  EXPECT_DOUBLE_EQ(Yexp[1], 6);
}

TEST_F(CriteriaTest, NaturalSettingsFollowTheTickedRows) {
  const Plan p = build(kOrthogonal, 2);
  // Plan factors 1 and 2 are screen rows 2 and 4; rows 1, 3, 5, 6 stay at their zero levels.
  const FactorMap rows{0, 2, 4};
  const Levels X0{0, 10, 20, 30, 40, 50, 60}, dX{0, 1, 2, 3, 4, 5, 6};
  const Levels X = naturalSettings(p, rows, X0, dX, 2);  // core point 2: (+1, -1)
  EXPECT_EQ(X, (Levels{0, 10, 22, 30, 36, 50, 60}));
  const Levels star = naturalSettings(p, rows, X0, dX, 5);  // first star point: (+StarArm, 0)
  EXPECT_DOUBLE_EQ(star[2], 20 + 2 * p.StarArm);
  EXPECT_DOUBLE_EQ(star[4], 40);
}

}  // namespace
}  // namespace orvant::design
