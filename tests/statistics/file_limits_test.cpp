// Record, shift and plan files: values beyond the files' 64-bit integers are refused on reading
// and never written; a read-only file is not replaced.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "statistics/plan_file.h"
#include "statistics/records.h"
#include "statistics/shifts.h"
#include "statistics/test_files.h"

namespace orvant::statistics {
namespace {

namespace fs = std::filesystem;
using testing::TempWorkDir;

const std::string kHeader = "h1\nh2\nh3\nh4\n";
const char* kPath = "NEW/Orvant3Nab.txt";

std::string shortFile(const std::string& line5, const std::string& firstNumber) {
  return kHeader + line5 + "\n" + " " + firstNumber +
         "  0  10293734500  -1126064000  5000  1671100  14959800000  62830758500\n"
         " 2  36526  10295500000  -1130000000  -1  1671000  14959800012  62830758000\n";
}

LoadChoice newChoice(int option = 1) {
  LoadChoice c;
  c.N = 3;
  c.source = Source::New;
  c.option = option;
  return c;
}

const Ask kYes = [](std::string_view) { return true; };

TEST(RecordFileLimits, ARecordNumberBeyondTheIntegersIsAReadError) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  RecordSeries r;
  dir.write(kPath, shortFile(" 2  245154550", "1"));
  ASSERT_TRUE(loadSeries(s, r, newChoice())) << s.lastMessage;
  for (const char* number : {"1e21", "9223372036854775808", "-1E300"}) {
    SCOPED_TRACE(number);
    dir.write(kPath, shortFile(" 2  245154550", number));
    EXPECT_FALSE(loadSeries(s, r, newChoice()));
    EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\NEW\\Orvant3Nab.txt");
  }
  dir.write(kPath, shortFile(" 2  1e300", "1"));  // a start date no file can hold
  EXPECT_FALSE(loadSeries(s, r, newChoice()));
}

TEST(RecordFileLimits, AddingAPointToAFileWithAHugeStartDateConvertsNothingBeyondRange) {
  // JD0 x 100 at the very top of the integers: the date of record 2 (a year later) is beyond the
  // date key, which then matches nothing (the sanitizer build checks that nothing overflows). The
  // new point goes first and the series rebased to it still fits the file.
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  dir.write(kPath, shortFile(" 2  9223372036854770000", "1"));
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice(3))) << s.lastMessage;
  EXPECT_EQ(addPoint(s, r, 1, 1.5, 1, 2000, 2001, kYes), Change::Inserted) << s.lastMessage;
  EXPECT_EQ(r.NP, 3);
  RecordSeries back;
  ASSERT_TRUE(loadSeries(s, back, newChoice(3))) << s.lastMessage;
  EXPECT_EQ(back.NP, 3);
  EXPECT_DOUBLE_EQ(back.JD0, r.JD0);
  EXPECT_LT(back.JD0, 2.5e6);  // the new point is the earliest
}

TEST(RecordFileLimits, NonFiniteValuesAreNeverWritten) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  const std::string text = shortFile(" 2  245154550", "1");
  dir.write(kPath, text);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  ASSERT_TRUE(seriesFileText(s, r));
  RecordSeries bad = r;
  bad.records[1].Par[4] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(seriesFileText(s, bad));
  EXPECT_FALSE(rewriteSeries(s, bad));
  EXPECT_EQ(s.lastMessage, "Ошибка вычислений");
  bad = r;
  bad.JD0 = 1e30;
  EXPECT_FALSE(seriesFileText(s, bad));
  EXPECT_EQ(dir.read(kPath), text);
  EXPECT_FALSE(createRecordFile(s, "Plan1/Txt1/Orvant1Ras1.txt", {"1", "2", "3", "4"}, 3,
                                std::numeric_limits<double>::infinity()));
  EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\Plan1\\Txt1\\Orvant1Ras1.txt");
  EXPECT_FALSE(dir.exists("Plan1/Txt1/Orvant1Ras1.txt"));
}

TEST(RecordFileLimits, AReadOnlyRecordFileIsNotReplacedNorAppendedTo) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  const std::string text = shortFile(" 2  245154550", "1");
  dir.write(kPath, text);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  fs::permissions(dir / kPath, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(deletePoint(s, r, 2), Change::Failed);
  EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\NEW\\Orvant3Nab.txt");
  const std::int64_t rec[] = {3, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_FALSE(appendRecord(s, kPath, rec));
  EXPECT_EQ(dir.read(kPath), text);
  EXPECT_EQ(r.NP, 2);
  fs::permissions(dir / kPath, fs::perms::owner_write, fs::perm_options::add);
}

std::string planFile(const std::string& level) {
  std::string t = "Уровни варьирования плана № 1\nOrto - для  2  факторов \n";
  for (int i = 1; i <= 7; ++i) t += (i == 2 ? level : std::string("1000000")) + " 1000000 0 1000000\n";
  t += "весовые коэффициенты смещений параметров орбит планет\n";
  for (int N = 1; N <= 10; ++N) t += "1 1 1 1 1 1\n";
  return t;
}

TEST(PlanFileLimits, LevelsBeyondTheIntegersAreReadErrorsAndNonFiniteValuesAreNotWritten) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  PlanFile f;
  dir.write(planFilePath(1), planFile("2500000"));
  ASSERT_TRUE(readPlanFile(s, 1, f)) << s.lastMessage;
  EXPECT_DOUBLE_EQ(f.levels.X0[2], 2.5);
  dir.write(planFilePath(1), planFile("1e30"));
  EXPECT_FALSE(readPlanFile(s, 1, f));
  EXPECT_EQ(s.lastMessage, "Ошибка при чтении данных из файла \\Plan1\\OrvantPlan1.dat");

  dir.write(planFilePath(1), planFile("2500000"));
  ASSERT_TRUE(readPlanFile(s, 1, f));
  PlanFile bad = f;
  bad.levels.dX[3] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(planFileText(s, bad));
  EXPECT_FALSE(writePlanFile(s, 1, bad));
  EXPECT_EQ(s.lastMessage, "Ошибка при записи данных в файл \\Plan1 \\OrvantPlan1.dat");
  bad = f;
  bad.levels.Xopt[1] = 1e13;  // x MK = 1e19
  EXPECT_FALSE(writePlanFile(s, 1, bad));
  bad = f;
  bad.Wt[4][2] = -std::numeric_limits<double>::infinity();
  EXPECT_FALSE(writePlanFile(s, 1, bad));
  EXPECT_EQ(dir.read(planFilePath(1)), planFile("2500000"));
  ASSERT_TRUE(writePlanFile(s, 1, f));
  EXPECT_EQ(dir.read(planFilePath(1)), planFile("2500000"));
}

}  // namespace
}  // namespace orvant::statistics
