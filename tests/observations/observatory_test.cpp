// The observatory reader, the choice of an observatory and the Good file.
// Lines are typed from the fixed-column layout of the observatory files (obs_test_util.h);
// expected values are computed by hand from the fields.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "model/calendar.h"
#include "model/textfile.h"
#include "obs_test_util.h"
#include "observations/sources.h"

namespace orvant {
namespace {

using test::header;
using test::ObsFields;
using test::obsLine;

constexpr double kArcsec = 1.0 / 3600;

ObsLineVerdict parse(const ObsFields& f, ObsRecord& rec, ObsCriterion c = ObsCriterion::dR,
                     int y1 = 1890, int y2 = 1910) {
  return parseObsLine(obsLine(f), y1, y2, c, rec);
}

TEST(ObsLine, FieldsOfAnAcceptedRecord) {
  ObsRecord rec;
  ASSERT_EQ(parse(ObsFields{}, rec), ObsLineVerdict::Accept);
  EXPECT_EQ(rec.year, 1900);
  EXPECT_EQ(rec.month, 3);
  // 12 h 30 m 15.5 s
  const double hour = 12 + 30.0 / 60 + 15.5 / 3600;
  EXPECT_NEAR(rec.hour, hour, 1e-12);
  EXPECT_NEAR(rec.day, 5 + hour / 24, 1e-12);
  // 6 h 15 m 30.25 s of right ascension = 93.8760416... degrees
  EXPECT_NEAR(rec.ra, (6 + 15.0 / 60 + 30.25 / 3600) * 15, 1e-11);
  EXPECT_NEAR(rec.dec, 23 + 26.0 / 60 + 21.4 / 3600, 1e-11);

  ObsFields south;
  south.decSign = "-";
  ASSERT_EQ(parse(south, rec), ObsLineVerdict::Accept);
  EXPECT_NEAR(rec.dec, -(23 + 26.0 / 60 + 21.4 / 3600), 1e-11);
}

TEST(ObsLine, WorkedExampleHalfASecondOfTime) {
  // 12 h 00 m 00 s with 50000 in columns 53-57: 0.5 s of time = 7.5 arc seconds.
  ObsFields f;
  f.rh = "12";
  f.rm = "00";
  f.rs = "00";
  f.rfrac = "50000";
  ObsRecord rec;
  ASSERT_EQ(parse(f, rec), ObsLineVerdict::Accept);
  EXPECT_NEAR(rec.ra, 180 + 7.5 * kArcsec, 1e-10);
}

TEST(ObsLine, SkipRules) {
  ObsRecord rec;
  ObsFields f;
  f.year = "1889";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::BeforeYear);
  f = {};
  f.year = "1911";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::AfterYear);
  f = {};
  f.timeFlag = "-";
  f.hh = f.mi = f.ss = "  ";  // a record without a time has blank time fields
  f.sfrac = "    ";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::NoTime);
  f = {};
  f.raFlag = "-";
  f.rh = "  ";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::NoRA);
  f = {};
  f.rh = "24";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::NoRA);
  f.rh = "23";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::Accept);
  // Zero right ascension: skipped under both criteria.
  f = {};
  f.rh = "00";
  f.rm = "00";
  f.rs = "00";
  f.rfrac = "00000";
  EXPECT_EQ(parse(f, rec, ObsCriterion::dR), ObsLineVerdict::ZeroValue);
  EXPECT_EQ(parse(f, rec, ObsCriterion::AbsdL), ObsLineVerdict::ZeroValue);
  // Declination 0 or exactly +90: skipped with dR only.
  for (const char* deg : {"00", "90"}) {
    f = {};
    f.dd = deg;
    f.dm = "00";
    f.ds = "00";
    f.dfrac = "0000";
    EXPECT_EQ(parse(f, rec, ObsCriterion::dR), ObsLineVerdict::ZeroValue) << deg;
    EXPECT_EQ(parse(f, rec, ObsCriterion::AbsdL), ObsLineVerdict::Accept) << deg;
  }
  // 89 59 59.9999 is not 90.
  f = {};
  f.dd = "89";
  f.dm = "59";
  f.ds = "59";
  f.dfrac = "9999";
  EXPECT_EQ(parse(f, rec, ObsCriterion::dR), ObsLineVerdict::Accept);
}

TEST(ObsLine, YearRangeIsInclusive) {
  ObsRecord rec;
  ObsFields f;
  f.year = "1890";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::Accept);
  f.year = "1910";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::Accept);
}

TEST(ObsLine, MonthNamesInExactCaseOnly) {
  ObsRecord rec;
  rec.month = 7;
  ObsFields f;
  f.month = "Dec";
  ASSERT_EQ(parse(f, rec), ObsLineVerdict::Accept);
  EXPECT_EQ(rec.month, 12);
  for (const char* other : {"dec", "DEC", "Dez", "   "}) {
    rec.month = 7;
    f.month = other;
    ASSERT_EQ(parse(f, rec), ObsLineVerdict::Accept) << other;
    EXPECT_EQ(rec.month, 7) << other;  // the month stays as it was
  }
}

TEST(ObsLine, HoursOfTwentyFourAndMoreRunIntoTheNextDay) {
  ObsRecord rec;
  ObsFields f;
  f.day = "31";
  f.hh = "25";
  f.mi = "00";
  f.ss = "00";
  f.sfrac = "0000";
  ASSERT_EQ(parse(f, rec), ObsLineVerdict::Accept);
  EXPECT_DOUBLE_EQ(rec.hour, 25);
  EXPECT_NEAR(rec.day, 31 + 25.0 / 24, 1e-12);
}

TEST(ObsLine, NumbersThatDoNotConvert) {
  ObsRecord rec;
  ObsFields f;
  f.mi = "3x";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::BadNumber);
  f = {};
  f.year = "19O0";  // a letter O
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::BadNumber);
  f = {};
  f.rs = "  ";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::BadNumber);
  f = {};
  f.day = "  ";
  EXPECT_EQ(parse(f, rec), ObsLineVerdict::BadNumber);
  // A line that ends before the declination's fraction: a blank where a number is read.
  std::string shortLine = obsLine(ObsFields{}).substr(0, 77);
  EXPECT_EQ(parseObsLine(shortLine, 1890, 1910, ObsCriterion::dR, rec), ObsLineVerdict::BadNumber);
  // ... but a short line of a record without a time is skipped before anything else is read.
  ObsFields noTime;
  noTime.timeFlag = "-";
  EXPECT_EQ(parseObsLine(obsLine(noTime).substr(0, 30), 1890, 1910, ObsCriterion::dR, rec),
            ObsLineVerdict::NoTime);
}

TEST(ObsLine, BlankLinesAndLineEnds) {
  ObsRecord rec;
  EXPECT_EQ(parseObsLine("", 1890, 1910, ObsCriterion::dR, rec), ObsLineVerdict::Blank);
  EXPECT_EQ(parseObsLine("     \r", 1890, 1910, ObsCriterion::dR, rec), ObsLineVerdict::Blank);
  EXPECT_EQ(parseObsLine(obsLine(ObsFields{}) + "\r", 1890, 1910, ObsCriterion::dR, rec),
            ObsLineVerdict::Accept);
}

// ---- files ----

class ObsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.workDir = dir.str();
    s.sink = &sink;
  }
  // Chooses observatory entry 1 (GREN) for Mars with file number 100.
  bool choose(int k = 1) { return SelectObs(s, scr, k); }
  test::TempDir dir;
  test::RecordingSink sink;
  State s;
  SourceScreen scr = [] {
    SourceScreen x;
    x.objectNo = 4;
    return x;
  }();
};

std::string series() {
  std::string text = header();
  ObsFields f;
  f.year = "1885";  // before YearBeg: skipped
  text += obsLine(f) + "\n";
  f = {};
  f.day = " 7";  // accepted
  text += obsLine(f) + "\n";
  f.timeFlag = "-";  // no time
  text += obsLine(f) + "\n";
  text += "\n";  // a blank line
  f = {};
  f.day = "12";
  f.month = "Apr";
  f.raFlag = "-";  // no right ascension
  text += obsLine(f) + "\n";
  f = {};
  f.year = "1905";
  f.day = "19";
  f.month = "Jun";
  f.rh = "12";
  f.rm = "00";
  f.rs = "00";
  f.rfrac = "50000";  // accepted: 180 deg + 7.5"
  text += obsLine(f) + "\n";
  f = {};
  f.year = "1911";  // after YearEnd: the end
  text += obsLine(f) + "\n";
  f.year = "1900";  // never read
  text += obsLine(f) + "\n";
  return text;
}

TEST_F(ObsFileTest, ChoosingAnObservatorySetsTheScreenAndOpensTheSeries) {
  dir.write("Obs/GREN4_G_100.txt", series());
  ASSERT_TRUE(choose());
  EXPECT_EQ(s.ObsName, "GREN");
  EXPECT_EQ(s.Npl, 4);
  EXPECT_EQ(s.kObsOpen, 9);
  EXPECT_EQ(s.ObsPath, "Obs/GREN4_G_100.txt");
  EXPECT_EQ(s.ObsHeader,
            "Greenwich meridian observations\nMars\nright ascension and declination of date\n"
            "columns as usual");
  EXPECT_EQ(s.YearBeg, 1890);
  EXPECT_EQ(s.YearEnd, 1910);
  EXPECT_EQ(s.GoodNo, "100");
  EXPECT_EQ(scr.goodNo, "100");
  EXPECT_DOUBLE_EQ(scr.obsB, 51.477);
  EXPECT_DOUBLE_EQ(s.ObsB, 51.477);
  EXPECT_FALSE(scr.dayFromNoon);
  EXPECT_EQ(scr.calType, 0);
  EXPECT_TRUE(scr.aberrSource && scr.aberrObserver && scr.nutation);
  EXPECT_EQ(scr.obsYear1, 1890);
  EXPECT_EQ(scr.obsYear2, 1910);
  // The start date: 1.5 January 1890, Gregorian, day from midnight.
  EXPECT_EQ(scr.year, 1890);
  EXPECT_EQ(scr.month, 1);
  EXPECT_DOUBLE_EQ(scr.day, 1.5);
  State ref;
  EXPECT_DOUBLE_EQ(s.JD, JDfromDate(ref, 1.5, 1, 1890));
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ObsFileTest, ReadsTheUsableRecordsAndEndsAtALaterYear) {
  dir.write("Obs/GREN4_G_100.txt", series());
  ASSERT_TRUE(choose());
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.YearNab, 1900);
  EXPECT_EQ(s.MonthNab, 3);
  EXPECT_NEAR(s.DayNab, 7 + (12 + 30.0 / 60 + 15.5 / 3600) / 24, 1e-12);
  EXPECT_NEAR(s.Lk[4], (6 + 15.0 / 60 + 30.25 / 3600) * 15, 1e-11);
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.YearNab, 1905);
  EXPECT_EQ(s.MonthNab, 6);
  EXPECT_NEAR(s.Lk[4], 180 + 7.5 * kArcsec, 1e-10);
  EXPECT_EQ(s.kEnd, 0);
  EXPECT_FALSE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.kEnd, 1);
  EXPECT_EQ(s.YearNab, 1911);
  EXPECT_EQ(s.kStop, 0);
  EXPECT_TRUE(sink.messages.empty());
  // Rewinding starts again at the first record.
  ASSERT_TRUE(ObsRewind(s));
  EXPECT_EQ(s.kEnd, 0);
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.YearNab, 1900);
}

TEST_F(ObsFileTest, CrlfAndByteOrderMarkReadAsPlainLines) {
  std::string text = series();
  std::string crlf = "\xEF\xBB\xBF";
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  dir.write("Obs/GREN4_G_100.txt", crlf);
  ASSERT_TRUE(choose());
  EXPECT_EQ(s.YearBeg, 1890);
  EXPECT_EQ(s.ObsHeader.substr(0, 9), "Greenwich");
  EXPECT_EQ(s.ObsHeader.find('\r'), std::string::npos);
  int n = 0;
  while (ObsReadNext(s, ObsCriterion::dR)) ++n;
  EXPECT_EQ(n, 2);
  EXPECT_EQ(s.ObsLine.find('\r'), std::string::npos);
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ObsFileTest, ARecordThatDoesNotConvertStopsWithTheReadMessage) {
  ObsFields bad;
  bad.ss = "x5";
  dir.write("Obs/GREN4_G_100.txt", header() + obsLine(ObsFields{}) + "\n" + obsLine(bad) + "\n");
  ASSERT_TRUE(choose());
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_FALSE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.kStop, 1);
  EXPECT_EQ(s.kObsOpen, 0);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first,
            "Ошибка чтения данных из файла\n" + (dir.path() / "Obs/GREN4_G_100.txt").string());
  EXPECT_EQ(sink.messages[0].second, "Orvant7");
  // Nothing more is read from a closed file.
  EXPECT_FALSE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.kEnd, 1);
}

TEST_F(ObsFileTest, AMissingFileKeepsTheSourceChosenWithoutAFile) {
  ASSERT_FALSE(choose());
  EXPECT_EQ(s.ObsName, "GREN");
  EXPECT_EQ(s.kObsOpen, 0);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first,
            "Не найден файл\n" + (dir.path() / "Obs/GREN4_G_100.txt").string());
  EXPECT_EQ(sink.messages[0].second, "Orvant7");
  EXPECT_FALSE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.kEnd, 1);
}

TEST_F(ObsFileTest, BadHeadersAreRefused) {
  const std::vector<std::string> headers = {
      "",                                         // empty file
      "one\ntwo\nthree\n",                        // short header
      "1\n2\n3\n4\n",                             // no line 5
      "1\n2\n3\n4\n1890\n",                       // one integer
      "1\n2\n3\n4\n1890 abc\n",                   // not an integer
      "1\n2\n3\n4\n1890.5, 1900\n",               // not an integer
  };
  for (const std::string& h : headers) {
    sink.messages.clear();
    ChooseSrcTab(s);  // so that the next choice opens again
    dir.write("Obs/GREN4_G_100.txt", h);
    EXPECT_FALSE(choose()) << h;
    EXPECT_EQ(s.kObsOpen, 0) << h;
    ASSERT_EQ(sink.messages.size(), 1u) << h;
    EXPECT_EQ(sink.messages[0].first, "Введите правильно данные");
  }
  // Blanks or a comma between the years are both fine.
  for (const char* years : {"1890 1910", "1890,1910", "  1890 ,  1910  "}) {
    ChooseSrcTab(s);
    dir.write("Obs/GREN4_G_100.txt", header(years));
    ASSERT_TRUE(choose()) << years;
    EXPECT_EQ(s.YearBeg, 1890);
    EXPECT_EQ(s.YearEnd, 1910);
  }
}

TEST_F(ObsFileTest, TheSameObservatoryKeepsItsPositionAnotherReopens) {
  dir.write("Obs/GREN4_G_100.txt", series());
  dir.write("Obs/GREN11_G_100.txt", series());
  ASSERT_TRUE(choose());
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.YearNab, 1900);
  scr.objectNo = 11;  // the object changes, the observatory does not
  ASSERT_TRUE(choose());
  EXPECT_EQ(s.ObsPath, "Obs/GREN4_G_100.txt");
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.YearNab, 1905);  // the next record of the same file
  // Through the option "Tab" and back: reopened, from the start, for the Moon now.
  ChooseSrcTab(s);
  EXPECT_EQ(s.SrcKind, "Tab");
  EXPECT_EQ(s.kObsOpen, 0);
  ChooseSrcObs(s);
  EXPECT_EQ(s.SrcKind, "Obs");
  ASSERT_TRUE(choose());
  EXPECT_EQ(s.ObsPath, "Obs/GREN11_G_100.txt");
  ASSERT_TRUE(ObsReadNext(s, ObsCriterion::dR));
  EXPECT_EQ(s.YearNab, 1900);
  // Entry 0 closes.
  ASSERT_TRUE(choose(0));
  EXPECT_EQ(s.ObsName, "");
  EXPECT_EQ(s.kObsOpen, 0);
}

TEST_F(ObsFileTest, OtherObservatoryTakesItsCodeFromTheField) {
  scr.otherObs = "BERL";
  dir.write("Obs/BERL4_G_100.txt", series());
  ASSERT_TRUE(choose(7));
  EXPECT_EQ(s.ObsName, "BERL");
  EXPECT_DOUBLE_EQ(s.ObsL, 1.111);
  scr.otherObs = "";
  ChooseSrcTab(s);
  EXPECT_FALSE(choose(7));
  EXPECT_EQ(sink.messages.back().first, "Введите правильно данные");
  scr.fileNo = "1x";
  EXPECT_FALSE(choose(1));
  EXPECT_EQ(sink.messages.back().first, "Введите правильно данные");
}

TEST_F(ObsFileTest, GoodFileRoundTrip) {
  dir.write("Obs/GREN4_G_100.txt", series());
  for (ObsCriterion crit : {ObsCriterion::dR, ObsCriterion::AbsdL}) {
    ChooseSrcTab(s);
    scr.goodFileObs = false;
    ASSERT_TRUE(choose());
    s.GoodNo = "41";
    // A run from 1895 on: its years go into line 5, not the series' own.
    s.YearBeg = 1895;
    s.YearEnd = 1910;
    ASSERT_TRUE(GoodFileCreate(s, crit));
    std::vector<ObsRecord> written;
    while (ObsReadNext(s, crit)) {
      ASSERT_TRUE(GoodFileAppend(s, crit));
      written.push_back({s.YearNab, s.MonthNab, s.DayNab, s.HourNab, s.Lk[4], s.Bk[4]});
    }
    ASSERT_EQ(written.size(), 2u);
    const std::string name = crit == ObsCriterion::dR ? "Obs/GREN4_G_41LB.txt" : "Obs/GREN4_G_41L.txt";
    EXPECT_EQ(goodFilePath(s, crit), name);
    std::vector<std::string> lines;
    ASSERT_EQ(readLines(dir.path() / name, lines), ReadStatus::Ok);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "Greenwich meridian observations");
    EXPECT_EQ(lines[4].find("1895"), 1u);
    EXPECT_NE(lines[4].find("1910"), std::string::npos);
    // Read back with "+Good File Obs": file number 41 is the Good file of number 41.
    ChooseSrcTab(s);
    scr.goodFileObs = true;
    scr.criterion = crit;
    scr.fileNo = "41";
    ASSERT_TRUE(choose());
    EXPECT_EQ(s.ObsPath, name);
    EXPECT_EQ(s.YearBeg, 1895);
    std::vector<ObsRecord> read;
    while (ObsReadNext(s, crit))
      read.push_back({s.YearNab, s.MonthNab, s.DayNab, s.HourNab, s.Lk[4], s.Bk[4]});
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
      EXPECT_EQ(read[i].year, written[i].year);
      EXPECT_EQ(read[i].month, written[i].month);
      EXPECT_EQ(read[i].day, written[i].day);
      EXPECT_EQ(read[i].ra, written[i].ra);
      EXPECT_EQ(read[i].dec, written[i].dec);
    }
    scr.fileNo = "100";
  }
  EXPECT_TRUE(sink.messages.empty());
}

TEST_F(ObsFileTest, AGoodFileThatCannotBeWrittenLeavesTheOldOne) {
  dir.write("Obs/GREN4_G_100.txt", series());
  ASSERT_TRUE(choose());
  dir.write("Obs/GREN4_G_100LB.txt", "old\n");
  std::filesystem::permissions(dir.path() / "Obs", std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_exec);
  const bool refused = !GoodFileCreate(s, ObsCriterion::dR);
  std::filesystem::permissions(dir.path() / "Obs", std::filesystem::perms::owner_all);
  if (::geteuid() == 0 && !refused) GTEST_SKIP() << "root writes into a read-only folder";
  EXPECT_TRUE(refused);
  EXPECT_EQ(sink.messages.back().first.rfind("Ошибка записи данных в файл\n", 0), 0u);
  std::vector<std::string> lines;
  ASSERT_EQ(readLines(dir.path() / "Obs/GREN4_G_100LB.txt", lines), ReadStatus::Ok);
  EXPECT_EQ(lines, std::vector<std::string>{"old"});
}

// orvant-cli obs-read lists what ObsReadNext accepts: year, month, day, Lk, Bk.
std::string runCli(const std::string& args, int& status) {
  std::string out;
  FILE* p = ::popen((std::string(ORVANT_CLI) + " " + args + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  status = ::pclose(p);
  return out;
}

TEST(ObsReadCommand, ListsTheAcceptedRecordsAndStopsOnAReadError) {
  test::TempDir dir;
  dir.write("GREN4_G_100.txt", series());
  const std::string file = (dir.path() / "GREN4_G_100.txt").string();
  int status = -1;
  std::string out = runCli("obs-read " + file, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out,
            "1900 3 7.5210127314814814 93.876041666666666 23.439277777777775\n"
            "1905 6 19.521012731481481 180.00208333333333 23.439277777777775\n");
  // From 1901 on, criterion Abs(dL): only the second record.
  out = runCli("obs-read " + file + " --from 1901 --criterion L", status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "1905 6 19.521012731481481 180.00208333333333 23.439277777777775\n");
  ObsFields bad;
  bad.rs = "zz";
  dir.write("GREN4_G_101.txt", header() + obsLine(bad) + "\n");
  out = runCli("obs-read " + (dir.path() / "GREN4_G_101.txt").string(), status);
  EXPECT_NE(status, 0);
  EXPECT_NE(out.find("MESSAGE [Orvant7] Ошибка чтения данных из файла | "), std::string::npos)
      << out;
}

}  // namespace
}  // namespace orvant
