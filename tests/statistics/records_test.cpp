#include "statistics/records.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "statistics/test_files.h"

namespace orvant::statistics {
namespace {

using testing::TempWorkDir;

// A short-record file written by hand from the layout: four header lines, line 5 (NP1max and
// JD0 x 100), then records of eight integers, each value starting in the next print zone of 14
// characters, a blank before a non-negative number and one after every number.
const std::string kHeader =
    "эксперимент № 1 для объекта № 3\n"
    "основной шаг решения 3600 сек\n"
    "New0\n"
    " № замера     прошло дней   перигелий     восхождение     наклон   эксцентриситет    полуось   угл.скорость\n";
const std::string kShortFile =
    kHeader +
    " 3             245154550 \n"
    " 1             0             10293734500  -1126064000    5000          1671100       14959800000   62830758500 \n"
    " 2             36526         10295500000  -1130000000   -1             1671000       14959800012   62830758000 \n"
    " 3             73052         10297300000  -1134000000    0             1670900       14959799990   62830757500 \n";

// The same object as an observation series: thirteen integers a record, AlfaL0 x MK only.
const std::string kLongFile =
    "наблюдения\nстрока 2\nстрока 3\nстрока 4\n"
    " 2             245154500 \n"
    " 1             0             3652500       200000000     10293734500  -1126064000    5000          1671100       14959800000   62830758500   100466457     0             0 \n"
    " 2             73050         3652500       400000000     10295500000  -1130000000   -1             1671000       14959800012   62830758000  -5000000      -150           2 \n";

const char* kShortPath = "NEW/Orvant3Nab.txt";
const char* kLongPath = "Kin/Plan2/Orvant3Nab.txt";

LoadChoice newChoice(int option = 1) {
  LoadChoice c;
  c.N = 3;
  c.source = Source::New;
  c.option = option;
  return c;
}

LoadChoice kinChoice(int option = 1) {
  LoadChoice c;
  c.N = 3;
  c.source = Source::Kin;
  c.k = 2;
  c.option = option;
  return c;
}

const Ask kYes = [](std::string_view) { return true; };

TEST(RecordPaths, FollowTheDirectoryTree) {
  EXPECT_EQ(recordPath(Source::New, 3, 1, 1), "NEW/Orvant3Nab.txt");
  EXPECT_EQ(recordPath(Source::JPL, 10, 1, 1), "JPL/Orvant10Nab.txt");
  EXPECT_EQ(recordPath(Source::Kin, 11, 4, 1), "Kin/Plan4/Orvant11Nab.txt");
  EXPECT_EQ(recordPath(Source::Model, 5, 2, 17), "Plan2/Txt5/Orvant5Ras17.txt");
}

TEST(RecordLoad, GoldenShortFileParsesToItsValues) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  EXPECT_EQ(r.LoadKind, kSimulatorSeries);
  EXPECT_EQ(r.NP, 3);
  EXPECT_EQ(r.NP1max, 3);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.5);
  EXPECT_EQ(r.header[2], "New0");
  EXPECT_DOUBLE_EQ(r.dT[2], 365.26);
  EXPECT_DOUBLE_EQ(r.dT[3], 730.52);
  EXPECT_DOUBLE_EQ(r.Par[1][1], 102.937345);
  EXPECT_DOUBLE_EQ(r.Par[1][2], -11.26064);
  EXPECT_DOUBLE_EQ(r.Par[1][3], 0.00005);
  EXPECT_DOUBLE_EQ(r.Par[2][3], -0.00000001);
  EXPECT_DOUBLE_EQ(r.Par[1][4], 0.016711);
  EXPECT_DOUBLE_EQ(r.Par[2][5], 149.59800012);
  EXPECT_DOUBLE_EQ(r.Par[3][6], 628.307575);
  for (int i = 1; i <= 3; ++i) {
    // Short records: every record weighs 0.01, no interval, no AlfaL0, dP11, dU11.
    EXPECT_DOUBLE_EQ(r.Par[i][10], 0.01);
    EXPECT_EQ(r.ddT[i], 0);
    EXPECT_EQ(r.Par[i][7], 0);
    EXPECT_EQ(r.Par[i][8], 0);
  }
  EXPECT_DOUBLE_EQ(r.Ymax, 102.973);
  EXPECT_DOUBLE_EQ(r.Ymin, 102.937345);
}

TEST(RecordLoad, GoldenLongFileParsesToItsValues) {
  TempWorkDir dir;
  dir.write(kLongPath, kLongFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, kinChoice(8)));
  EXPECT_EQ(r.LoadKind, kObservationSeries);
  EXPECT_EQ(r.ParCol, 10);  // option 8 (Ves) is column 10
  EXPECT_EQ(r.NP, 2);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.0);
  EXPECT_DOUBLE_EQ(r.dT[2], 730.5);
  EXPECT_DOUBLE_EQ(r.ddT[1], 36525);
  EXPECT_DOUBLE_EQ(r.Par[1][10], 2);
  EXPECT_DOUBLE_EQ(r.Par[2][10], 4);
  EXPECT_DOUBLE_EQ(r.Par[2][1], 102.955);
  EXPECT_DOUBLE_EQ(r.Par[1][7], 100.466457);  // AlfaL0 x MK, without the factor 100
  EXPECT_DOUBLE_EQ(r.Par[2][7], -5);
  EXPECT_DOUBLE_EQ(r.Par[2][8], -0.0000015);
  EXPECT_DOUBLE_EQ(r.Par[2][9], 0.00000002);
}

TEST(RecordLoad, AcceptsCommasCrLfAndNoFinalBreakAndFewerRecordsThanNP1max) {
  TempWorkDir dir;
  dir.write(kShortPath,
            "a\r\nb\r\nc\r\nd\r\n 10, 245154550\r\n"
            "1,0,10293734500,-1126064000,5000,1671100,14959800000,62830758500\r\n"
            " 2 36526 10295500000 -1130000000 -1 1671000 14959800012 62830758000");
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  EXPECT_EQ(r.NP1max, 10);
  EXPECT_EQ(r.NP, 2);
  EXPECT_EQ(r.header[3], "d");
  EXPECT_DOUBLE_EQ(r.Par[2][6], 628.30758);
}

TEST(RecordLoad, FailuresReportAndLeaveNothingToRewrite) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  RecordSeries r;
  // A series is loaded first: a failed load must not leave it (or a half-read one) behind.
  dir.write(kShortPath, kShortFile);
  ASSERT_TRUE(loadSeries(s, r, newChoice()));

  LoadChoice jpl = newChoice();
  jpl.source = Source::JPL;
  EXPECT_FALSE(loadSeries(s, r, jpl));
  EXPECT_EQ(s.lastMessage, "Не могу найти файл\n\\JPL\\Orvant3Nab.txt");
  EXPECT_EQ(s.lastTitle, "Orvant7");
  EXPECT_EQ(r.LoadKind, kNotLoaded);

  struct Case {
    const char* name;
    std::string text;
  };
  const std::string rec1 =
      " 1 0 10293734500 -1126064000 5000 1671100 14959800000 62830758500\n";
  const Case bad[] = {
      {"more records than NP1max", kHeader + " 1 245154550\n" + rec1 + rec1},
      {"non-numeric value", kHeader + " 3 245154550\n" + " 1 0 1029x734500 -1 5000 1 1 1\n"},
      {"partial record", kHeader + " 3 245154550\n" + rec1 + " 2 36526 10295500000\n"},
      {"header only", "a\nb\nc\n"},
      {"negative NP1max", kHeader + " -1 245154550\n"},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.name);
    dir.write(kShortPath, c.text);
    s.lastMessage.clear();
    EXPECT_FALSE(loadSeries(s, r, newChoice()));
    EXPECT_EQ(s.lastMessage, "Ошибка чтения данных из файла\n\\NEW\\Orvant3Nab.txt");
    EXPECT_EQ(r.LoadKind, kNotLoaded);
    // Nothing can be rewritten from the failed read: the file stays as it is.
    EXPECT_EQ(deletePoint(s, r, 1), Change::Failed);
    EXPECT_EQ(s.lastMessage, "У Вас не загружены первичные данные");
    EXPECT_EQ(addPoint(s, r, 1, 1.5, 1, 2000, 2001, kYes), Change::Failed);
    EXPECT_EQ(dir.read(kShortPath), c.text);
  }
}

TEST(RecordLoad, FixAlfaReducesToOneRevolution) {
  EXPECT_EQ(fixAlfa(370), 10);
  EXPECT_EQ(fixAlfa(-10), 350);
  EXPECT_EQ(fixAlfa(-360), 360);
  EXPECT_EQ(fixAlfa(0), 0);
  EXPECT_NEAR(fixAlfa(725.5), 5.5, 1e-12);
}

TEST(RecordRewrite, ShortFileRoundTripsByteForByte) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  // Overwrite the file with junk first: the rewrite must produce the whole text itself.
  dir.write(kShortPath, "junk");
  ASSERT_TRUE(rewriteSeries(s, r));
  EXPECT_EQ(dir.read(kShortPath), kShortFile);
}

TEST(RecordRewrite, LongFileRoundTripsByteForByte) {
  TempWorkDir dir;
  dir.write(kLongPath, kLongFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, kinChoice()));
  dir.write(kLongPath, "junk");
  ASSERT_TRUE(rewriteSeries(s, r));
  EXPECT_EQ(dir.read(kLongPath), kLongFile);
}

TEST(RecordRewrite, DisplayOptionsNeverReachTheFile) {
  // Fix(Alfa) shows one revolution, but the file keeps the revolutions counted.
  TempWorkDir dir;
  dir.write(kShortPath, kHeader +
                            " 2             245154550 \n"
                            " 1             0             37000000000   0             0             0             0             0 \n"
                            " 2             10000        -1000000000    0             0             0             0             0 \n");
  State s = testing::stateIn(dir);
  RecordSeries r;
  LoadChoice c = newChoice(1);
  c.fixAlfa = true;
  ASSERT_TRUE(loadSeries(s, r, c));
  EXPECT_NEAR(r.Par[1][1], 10, 1e-9);
  EXPECT_NEAR(r.Par[2][1], 350, 1e-9);
  ASSERT_EQ(addPoint(s, r, 5, 21.0, 2, 2000, 2000, kYes), Change::Inserted);  // JD 2451595.5
  RecordSeries back;
  ASSERT_TRUE(loadSeries(s, back, newChoice(1)));
  ASSERT_EQ(back.NP, 3);
  EXPECT_DOUBLE_EQ(back.Par[1][1], 370);
  EXPECT_DOUBLE_EQ(back.Par[2][1], 5);
  EXPECT_DOUBLE_EQ(back.Par[3][1], -10);
}

TEST(RecordDelete, PointOneMovesJD0OtherPointsKeepIt) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));

  ASSERT_EQ(deletePoint(s, r, 2), Change::Deleted);
  EXPECT_EQ(r.NP, 2);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.5);
  EXPECT_DOUBLE_EQ(r.dT[2], 730.52);

  ASSERT_EQ(deletePoint(s, r, 1), Change::Deleted);
  EXPECT_EQ(r.NP, 1);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.5 + 730.52);
  EXPECT_EQ(r.dT[1], 0);
  // On disk: NP1max is the exact count, JD0 x 100 the new first date, the record renumbered 1.
  EXPECT_EQ(dir.read(kShortPath),
            kHeader +
                " 1             245227602 \n"
                " 1             0             10297300000  -1134000000    0             1670900       14959799990   62830757500 \n");
}

TEST(RecordDelete, RefusalsAndBadPointNumbers) {
  TempWorkDir dir;
  dir.write(kLongPath, kLongFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, kinChoice(7)));  // AlfaL0: the load zeroed ddT
  EXPECT_EQ(deletePoint(s, r, 1), Change::Failed);
  EXPECT_EQ(s.lastMessage,
            "УДАЛИТЬ ТОЧКУ можно только если при загрузке\n"
            "          не был отмечен параметр AlfaL0\n"
            "         а для Луны еще и AlfaP или AlfaU\n"
            "     или W* и один из чекбоксов dP11 или dU11");
  EXPECT_EQ(addPoint(s, r, 1, 1.5, 1, 2000, 2001, kYes), Change::Failed);
  EXPECT_EQ(s.lastMessage.substr(0, s.lastMessage.find('\n')),
            "ДОБАВИТЬ ТОЧКУ можно только если при загрузке");
  EXPECT_EQ(dir.read(kLongPath), kLongFile);

  ASSERT_TRUE(loadSeries(s, r, kinChoice(1)));
  EXPECT_EQ(deletePoint(s, r, 0), Change::Failed);
  EXPECT_EQ(deletePoint(s, r, 3), Change::Failed);
  EXPECT_EQ(s.lastMessage, "Задайте правильно данные");
  EXPECT_EQ(dir.read(kLongPath), kLongFile);
}

TEST(RecordDelete, FailedWriteLeavesFileAndSeriesIntact) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  // The temporary file cannot be created: a folder holds its name.
  std::filesystem::create_directories(dir / (std::string(kShortPath) + ".tmp"));
  EXPECT_EQ(deletePoint(s, r, 1), Change::Failed);
  EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\NEW\\Orvant3Nab.txt");
  EXPECT_EQ(dir.read(kShortPath), kShortFile);
  EXPECT_EQ(r.NP, 3);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.5);
}

TEST(RecordAdd, SameDateAnsweredNoLeavesFileByteForByte) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice(3)));
  std::string asked;
  const Ask no = [&](std::string_view q) {
    asked = q;
    return false;
  };
  // 1.26 January 2001 is JD 2451910.76, the date of record 2.
  EXPECT_EQ(addPoint(s, r, 1.5, 1.26, 1, 2001, 2002, no), Change::Unchanged);
  EXPECT_EQ(asked, "Точка № 2 с такой датой уже есть\nЗаменить отмеченный параметр в этой точке?");
  EXPECT_EQ(dir.read(kShortPath), kShortFile);
  EXPECT_EQ(r.NP, 3);

  // Yes replaces the marked parameter only.
  ASSERT_EQ(addPoint(s, r, 1.5, 1.26, 1, 2001, 2002, kYes), Change::Replaced);
  EXPECT_EQ(r.NP, 3);
  EXPECT_DOUBLE_EQ(r.Par[2][3], 1.5);
  EXPECT_DOUBLE_EQ(r.Par[2][1], 102.955);
  RecordSeries back;
  ASSERT_TRUE(loadSeries(s, back, newChoice(3)));
  EXPECT_DOUBLE_EQ(back.Par[2][3], 1.5);
  EXPECT_DOUBLE_EQ(back.Par[2][5], 149.59800012);
}

TEST(RecordAdd, PointBeforeAllRecordsBecomesRecordOne) {
  TempWorkDir dir;
  dir.write(kLongPath, kLongFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, kinChoice(4)));
  const double D = 2451545.0 - 1000.25;  // 6.25 April 1997
  ASSERT_EQ(addPoint(s, r, 0.0167, 6.25, 4, 1997, 2000, kYes), Change::Inserted);
  EXPECT_EQ(r.NP, 3);
  EXPECT_DOUBLE_EQ(r.JD0, D);
  EXPECT_EQ(r.dT[1], 0);
  EXPECT_NEAR(r.dT[2], 1000.25, 1e-9);
  EXPECT_NEAR(r.dT[3], 1730.75, 1e-9);
  EXPECT_DOUBLE_EQ(r.Par[1][4], 0.0167);
  EXPECT_DOUBLE_EQ(r.ddT[1], 3 * 365.25);
  EXPECT_EQ(r.Par[1][1], 0);  // the other columns of a new record are 0
  EXPECT_DOUBLE_EQ(r.Par[2][1], 102.937345);
  // On disk the long form is kept and the dates are counted from the new JD0.
  const std::string text = dir.read(kLongPath);
  EXPECT_NE(text.find("\n 3             245054475 \n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n 1             0             109575        0             0 "),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\n 2             100025        3652500       200000000 "), std::string::npos)
      << text;
}

TEST(RecordAdd, InsertedInDateOrderAndNegativesTruncatedTowardZero) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice(2)));
  // -0.0000000175 degrees is -1.75 in units of 10^-8: stored as -1, read back as -0.00000001.
  ASSERT_EQ(addPoint(s, r, -0.0000000175, 16.0, 5, 2001, 2001, kYes), Change::Inserted);  // JD0 + 500
  EXPECT_EQ(r.NP, 4);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.5);
  EXPECT_DOUBLE_EQ(r.dT[3], 500);
  EXPECT_DOUBLE_EQ(r.dT[4], 730.52);
  EXPECT_DOUBLE_EQ(r.Par[3][2], -0.00000001);  // memory holds what the file holds
  EXPECT_NE(dir.read(kShortPath).find("\n 3             50000         0            -1             0 "),
            std::string::npos);
  // A typed value whose binary form lies just below its decimal is stored as typed.
  ASSERT_EQ(addPoint(s, r, 0.29, 24.0, 8, 2001, 2001, kYes), Change::Inserted);
  EXPECT_NE(dir.read(kShortPath).find(" 29000000 "), std::string::npos);
}

TEST(RecordAdd, DateThatDoesNotConvertChangesNothing) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  EXPECT_EQ(addPoint(s, r, 1, 1.5, 1, 2000000000, 2000000001, kYes), Change::Failed);
  EXPECT_EQ(s.lastMessage, "Введите правильно дату");
  EXPECT_EQ(r.NP, 3);
  EXPECT_EQ(dir.read(kShortPath), kShortFile);
}

TEST(RecordAdd, ValueBeyondTheFilesIntegersChangesNothing) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  ASSERT_TRUE(loadSeries(s, r, newChoice()));
  // 1e12 degrees x 100 x MK = 1e20 does not fit a 64-bit integer of the file.
  EXPECT_EQ(addPoint(s, r, 1e12, 1.5, 1, 2000, 2001, kYes), Change::Failed);
  EXPECT_EQ(s.lastMessage, "Ошибка вычислений");
  EXPECT_EQ(r.NP, 3);
  EXPECT_EQ(dir.read(kShortPath), kShortFile);
}

TEST(RecordAdd, NothingLoadedOrTestSeriesRefused) {
  State s;
  RecordSeries r;
  EXPECT_EQ(addPoint(s, r, 1, 1.5, 1, 2000, 2001, kYes), Change::Failed);
  EXPECT_EQ(s.lastMessage, "У Вас не загружены первичные данные");
  r.LoadKind = kTestSeries;
  EXPECT_EQ(deletePoint(s, r, 1), Change::Failed);
  EXPECT_EQ(s.lastMessage, "У Вас не загружены первичные данные");
}

TEST(RecordAdd, OptimalParametersInsertOrReplaceALongRecord) {
  TempWorkDir dir;
  dir.write(kLongPath, kLongFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  OptimalRecord opt;
  opt.JDep = 2451545.0 + 365.25;
  opt.JDmean = opt.JDep + 100;
  for (int c = 1; c <= 10; ++c) opt.Par[c] = c;
  ASSERT_EQ(addOptimalParameters(s, r, 2, 3, "по плану №  2   от 01.02.2024", opt, LoadChoice{}, kYes),
            Change::Inserted);
  EXPECT_EQ(r.NP, 3);
  EXPECT_EQ(r.framed, 2);
  EXPECT_EQ(r.header[2], "по плану №  2   от 01.02.2024");
  EXPECT_EQ(r.header[1], "строка 2");
  EXPECT_DOUBLE_EQ(r.ddT[2], 200);
  EXPECT_DOUBLE_EQ(r.Par[2][7], 7);
  EXPECT_DOUBLE_EQ(r.Par[2][10], 10);
  // The text frames the new record.
  ASSERT_EQ(r.text.size(), 4u + 1 + 3 + 2);
  EXPECT_EQ(r.text[6], "---------------------");
  EXPECT_EQ(r.text[7].substr(0, 20), "  2   IG= 2000    dT");  // 31.75 December 2000
  EXPECT_EQ(r.text[8], "---------------------");

  // The Sun is filed as object 3; the same date asks, and No leaves the file as it was.
  const std::string before = dir.read(kLongPath);
  std::string asked;
  const Ask no = [&](std::string_view q) {
    asked = q;
    return false;
  };
  EXPECT_EQ(addOptimalParameters(s, r, 2, 0, "x", opt, LoadChoice{}, no), Change::Unchanged);
  EXPECT_EQ(asked, "Точка №  2  с такой датой уже есть\nЗаменить параметры этой точки?");
  EXPECT_EQ(dir.read(kLongPath), before);
}

TEST(RecordText, LineLayout) {
  Record rec;
  rec.number = 7;
  rec.ddT = 36525;
  rec.Par = {0, 102.937345, -11.26064, 0.00005, 0.016711, 149.598, 628.307586, 100.466457,
             -0.0000016, 0.00000002, 2};
  EXPECT_EQ(recordTextLine(7, 2001, rec, 730.5),
            "  7   IG= 2001    dT= 0000730,50    ddT= 036525,00    Ves= 2,0000"
            "    AlfaP  = 000102,94    AlfaU  = -000011,26    Betta  = 00,00005"
            "    Eks  = 0,016711000    Rsr  = 0149,5980000    W0  = 0628,30759"
            "    AlfaL0  = 0000100,466    dP11  = -00,000002    dU11  = 00,000000");
  EXPECT_EQ(recordTextLine(12, 1650, rec, 0).substr(0, 16), "12   IG= 1650   ");
}

TEST(RecordText, LoadAsTextStartsWithHeaderAndCounts) {
  TempWorkDir dir;
  dir.write(kShortPath, kShortFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  LoadChoice c = newChoice();
  c.asText = true;
  ASSERT_TRUE(loadSeries(s, r, c));
  ASSERT_EQ(r.text.size(), 4u + 1 + 3);
  EXPECT_EQ(r.text[0], "эксперимент № 1 для объекта № 3");
  EXPECT_EQ(r.text[4], "3   2451545,5");
  // Records start on 2 January 2000, 1.26 January 2001 and 1.52 January 2002.
  EXPECT_EQ(r.text[5].substr(0, 14), "  1   IG= 2000");
  EXPECT_EQ(r.text[6].substr(0, 33), "  2   IG= 2001    dT= 0000365,26 ");
  EXPECT_EQ(r.text[7].substr(0, 14), "  3   IG= 2002");
}

TEST(RecordLoad, MoonOptionsAndStartDateParameters) {
  TempWorkDir dir;
  dir.write("Kin/Plan2/Orvant11Nab.txt", kLongFile);
  State s = testing::stateIn(dir);
  RecordSeries r;
  LoadChoice c = kinChoice(6);
  c.N = 11;
  c.starP = true;
  ASSERT_TRUE(loadSeries(s, r, c));
  EXPECT_DOUBLE_EQ(r.Par[2][6], -0.0000015);  // dP11 in place of W*
  c.starU = true;                             // both ticked: dU11 wins
  ASSERT_TRUE(loadSeries(s, r, c));
  EXPECT_DOUBLE_EQ(r.Par[2][6], 0.00000002);
  EXPECT_DOUBLE_EQ(r.ddT[2], 36525);
  c = kinChoice(1);
  c.N = 11;
  ASSERT_TRUE(loadSeries(s, r, c));  // the Moon's AlfaP is taken at the start date
  EXPECT_EQ(r.ddT[2], 0);
}

TEST(RecordRun, CreatedFileAndAppendedRecordsLoadBack) {
  TempWorkDir dir;
  State s = testing::stateIn(dir);
  const std::string path = recordPath(Source::Model, 5, 2, 7);
  const std::array<std::string, 4> header = {"эксперимент № 7", "шаг", "режим", "заголовок"};
  ASSERT_TRUE(createRecordFile(s, path, header, 40, 2451545.257));
  const std::int64_t a[] = {3, 433282, 1437500000, 10040000000, 130300000, 4839000, 77833000000, 5296000};
  const std::int64_t b[] = {3, 650000, -1, 10040000000, 130300000, 4839000, 77833000000, 5296000};
  ASSERT_TRUE(appendRecord(s, path, a));
  ASSERT_TRUE(appendRecord(s, path, b));
  EXPECT_EQ(dir.read(path).substr(dir.read(path).find("\n 40 ")),
            "\n 40            245154525 \n"
            " 3             433282        1437500000    10040000000   130300000     4839000       77833000000   5296000 \n"
            " 3             650000       -1             10040000000   130300000     4839000       77833000000   5296000 \n");
  RecordSeries r;
  LoadChoice c;
  c.N = 5;
  c.source = Source::Model;
  c.k = 2;
  c.e = 7;
  ASSERT_TRUE(loadSeries(s, r, c));
  EXPECT_EQ(r.LoadKind, kModelSeries);
  EXPECT_EQ(r.NP, 2);
  EXPECT_DOUBLE_EQ(r.JD0, 2451545.25);
  EXPECT_DOUBLE_EQ(r.Par[1][1], 14.375);
  EXPECT_DOUBLE_EQ(r.Par[2][1], -0.00000001);

  // A record that cannot be written leaves the file as it was.
  const std::string before = dir.read(path);
  EXPECT_FALSE(appendRecord(s, "Plan2/Txt5", a));  // a folder, not a file
  EXPECT_EQ(s.lastMessage, "Ошибка записи данных в файл\n\\Plan2\\Txt5");
  EXPECT_EQ(dir.read(path), before);
}

TEST(RecordPick, NeighbourhoodsBetweenMidpoints) {
  State s;
  RecordSeries r;
  EXPECT_EQ(pickRecord(s, r, 10, 0), 0);
  EXPECT_EQ(s.lastMessage, "Не могу найти эту точку");
  r.LoadKind = kSimulatorSeries;
  r.NP = 3;
  r.dT = {0, 0, 100, 300};
  EXPECT_EQ(pickRecord(s, r, -5, 2), 1);
  EXPECT_EQ(pickRecord(s, r, 49, 3), 1);
  EXPECT_EQ(pickRecord(s, r, 51, 1), 2);
  EXPECT_EQ(pickRecord(s, r, 199, 1), 2);
  EXPECT_EQ(pickRecord(s, r, 201, 1), 3);
  EXPECT_EQ(pickRecord(s, r, 50, 3), 3);  // exactly on a midpoint: the previous pick stays
}

TEST(RecordPick, BigDrawingAsksFirst) {
  RecordSeries r;
  r.NP = 2;
  r.dT = {0, 0, 3652.5};
  r.ddT = {0, 0, 0};
  r.Ymax = 100;
  r.Ymin = 0;
  // 103 cm high: 10 years per cm gives 3 cm of width (309 cm^2), 0.25 years per cm 42 cm.
  EXPECT_FALSE(drawingTooLarge(r, 1, 10));
  EXPECT_TRUE(drawingTooLarge(r, 1, 0.25));
}

}  // namespace
}  // namespace orvant::statistics
