// Screen 6 headless: loading every series kind, picking points with the mouse, deleting and adding
// points, the fits and the shift files, with the messages of bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "statistics/screen_bench.h"
#include "statistics/shifts.h"

namespace orvant::statistics {
namespace {

using testing::ScreenBench;
using testing::ShortRecord;
using testing::stored;
using testing::writeShortFile;
using ui::MouseButton;
using ui::Shape;

constexpr double kJ2000 = 2451545.0;  // 1.5 January 2000

// Three yearly records from 1.5 January 2000; AlfaP grows by 0.01 degree a year.
std::vector<ShortRecord> threeYears() {
  return {{0, {102.9, -11.26, 0.00005, 0.016711, 149.598, 628.307586}},
          {365.25, {102.91, -11.27, 0.00006, 0.016710, 149.598, 628.307585}},
          {730.5, {102.92, -11.28, 0.00007, 0.016709, 149.598, 628.307584}}};
}

// A long-record (observation) file of object N in Kin/Plan2: records 10 years apart, each over one
// year; AlfaP, Ves, AlfaL0, dP11 as given (integers as the file stores them).
std::string longFile(const std::vector<std::array<std::int64_t, 13>>& records) {
  std::string text = "наблюдения\nстрока 2\nстрока 3\nстрока 4\n";
  text += recordLine(std::vector<std::int64_t>{20, 245154500}) + "\n";
  for (const auto& r : records) text += recordLine(r) + "\n";
  return text;
}
const std::array<std::int64_t, 13> kLong1 = {1, 0, 36525, 200000000, 10293734500, -1126064000, 5000,
                                             1671100, 14959800000, 62830758600, 100466457, 0, 0};
const std::array<std::int64_t, 13> kLong2 = {2, 365250, 36525, 400000000, 10295600000, -1130000000,
                                             6000, 1671000, 14959800012, 62830758000, 101000000,
                                             -200, 2};
const std::array<std::int64_t, 13> kLong3 = {3, 730500, 36525, 200000000, 10297300000, -1134000000,
                                             7000, 1670900, 14959799990, 62830757500, 102000000,
                                             -300, 4};

TEST(StatisticsScreen, LoadsShortFilesOfEverySourceAndDrawsThem) {
  ScreenBench b;
  ui::Form& f = b.form();
  EXPECT_EQ(b.screen().title(), "Статистическая обработка параметров орбит");
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, threeYears()));
  ASSERT_TRUE(writeShortFile(b.state, "JPL/Orvant4Nab.txt", kJ2000 + 1, threeYears()));
  ASSERT_TRUE(writeShortFile(b.state, "Plan3/Txt1/Orvant1Ras2.txt", kJ2000, threeYears()));

  // Typed scales (the drawing follows them; untyped ones would fit the series to the picture).
  f.type("ypc", "1,0");
  f.type("upc", "1,0");
  ASSERT_TRUE(f.press("load"));  // defaults: Земля, AlfaP, "имитаторе" New
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(b.screen().series().LoadKind, kSimulatorSeries);
  EXPECT_EQ(f.text("NP"), "3");
  EXPECT_EQ(f.text("first"), "102,9");
  EXPECT_EQ(f.text("last"), "102,92");
  EXPECT_EQ(f.text("firstDate"), "год 2000  мес. 1  день 1,5");
  // 731 days after 1.5 January 2000 (a leap year): 1.0 January 2002.
  EXPECT_EQ(f.text("lastDate"), "год 2002  мес. 1  день 1");
  // One point per record at dT/365.25/(years per cm) + 1 cm, at its value; red lines through the
  // first and the last record.
  auto points = b.shapes(Shape::Type::Point);
  ASSERT_EQ(points.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(points[i].x1, 1 + i, 1e-12);
    EXPECT_NEAR(points[i].y1, stored(b.state, threeYears()[i].par[0]), 1e-12);
  }
  int red = 0;
  for (const auto& l : b.shapes(Shape::Type::Line))
    if (l.color == ui::kRed && l.x1 == l.x2) ++red;
  EXPECT_EQ(red, 2);

  f.setOption("sim", 1);  // JPL, object Марс, parameter Eks
  f.setOption("obj", 3);
  f.setOption("par", 3);
  ASSERT_TRUE(f.press("load"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(b.screen().series().LoadKind, kSimulatorSeries);
  EXPECT_EQ(b.screen().series().ParCol, 4);
  EXPECT_EQ(f.text("first"), "0,016711");
  EXPECT_EQ(f.text("firstDate"), "год 2000  мес. 1  день 2,5");

  f.setOption("src", 1);  // the model: plan 3, experiment 2, Меркурий, Ves
  f.setOption("obj", 0);
  f.setOption("par", 7);
  f.type("plan", "3");
  f.type("exp", "2");
  ASSERT_TRUE(f.press("load"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(b.screen().series().LoadKind, kModelSeries);
  EXPECT_EQ(b.screen().series().ParCol, 10);
  EXPECT_EQ(f.text("first"), "0,01");  // short records all weigh 0.01
}

TEST(StatisticsScreen, LoadsObservationSeriesAsTextWithItsLineLayout) {
  ScreenBench b;
  ui::Form& f = b.form();
  b.write("Kin/Plan2/Orvant3Nab.txt", longFile({kLong1, kLong2}));
  f.setOption("sim", 2);
  f.type("plan", "2");
  f.tick("asText", true);
  ASSERT_TRUE(f.press("load"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(b.screen().series().LoadKind, kObservationSeries);
  std::vector<std::string> lines;
  std::istringstream in(f.text("fileText"));
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 4u + 1 + 2);
  EXPECT_EQ(lines[0], "наблюдения");
  EXPECT_EQ(lines[3], "строка 4");
  EXPECT_EQ(lines[4], "20   2451545");
  // The masks of the layout applied to the stored integers by hand.
  EXPECT_EQ(lines[5],
            "  1   IG= 2000    dT= 0000000,00    ddT= 000365,25    Ves= 2,0000"
            "    AlfaP  = 000102,94    AlfaU  = -000011,26    Betta  = 00,00005"
            "    Eks  = 0,016711000    Rsr  = 0149,5980000    W0  = 0628,30759"
            "    AlfaL0  = 0000100,466    dP11  = 00,000000    dU11  = 00,000000");
  EXPECT_EQ(lines[6],
            "  2   IG= 2010    dT= 0003652,50    ddT= 000365,25    Ves= 4,0000"
            "    AlfaP  = 000102,96    AlfaU  = -000011,30    Betta  = 00,00006"
            "    Eks  = 0,016710000    Rsr  = 0149,5980001    W0  = 0628,30758"
            "    AlfaL0  = 0000101,000    dP11  = -00,000002    dU11  = 00,000000");
  // The points stand at the middle of their intervals.
  const auto points = b.shapes(Shape::Type::Point);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_NEAR(points[0].x1, 1.5, 1e-12);
  EXPECT_NEAR(points[1].x1, 11.5, 1e-12);

  // Unticked, the next load shows no text.
  f.tick("asText", false);
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(f.text("fileText"), "");
}

TEST(StatisticsScreen, FixAlfaAndTheMoonOptionsChangeWhatIsShown) {
  ScreenBench b;
  ui::Form& f = b.form();
  auto recs = threeYears();
  recs[0].par[0] = 370;
  recs[2].par[0] = -10;
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, recs));
  f.tick("fixAlfa", true);
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(f.text("first"), "10");
  EXPECT_EQ(f.text("last"), "350");

  b.write("Kin/Plan2/Orvant11Nab.txt", longFile({kLong1, kLong2, kLong3}));
  f.setOption("sim", 2);
  f.setOption("obj", 10);  // Луна
  f.setOption("par", 5);   // W*
  f.type("plan", "2");
  f.tick("starP", true);
  ASSERT_TRUE(f.press("load"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(f.text("last"), "-3e-06");  // dP11 of record 3 in place of W*
  f.tick("starU", true);                   // both: dU11 wins
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(f.text("last"), "4e-08");
  // A load that changed the data of an observation series may not be written back.
  b.desk.clearDialogs();
  ASSERT_TRUE(f.press("del"));
  EXPECT_EQ(b.lastDialog(),
            "УДАЛИТЬ ТОЧКУ можно только если при загрузке\n"
            "          не был отмечен параметр AlfaL0\n"
            "         а для Луны еще и AlfaP или AlfaU\n"
            "     или W* и один из чекбоксов dP11 или dU11");
}

TEST(StatisticsScreen, BadInputAndBadFilesShowTheirMessages) {
  ScreenBench b;
  ui::Form& f = b.form();
  const auto expectMessage = [&](const std::string& text) {
    ASSERT_FALSE(b.desk.dialogs().empty());
    EXPECT_EQ(b.desk.dialogs().back().text, text);
    EXPECT_EQ(b.desk.dialogs().back().title, "Orvant7");
    EXPECT_FALSE(b.desk.dialogs().back().question);
    b.desk.clearDialogs();
  };
  f.setOption("sim", 1);
  f.setOption("obj", 4);
  f.press("load");
  expectMessage("Не могу найти файл\n\\JPL\\Orvant5Nab.txt");
  EXPECT_EQ(b.screen().series().LoadKind, kNotLoaded);

  // Line 5 promises two records, the file holds three.
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, threeYears(), 2));
  f.setOption("sim", 0);
  f.setOption("obj", 2);
  f.press("load");
  expectMessage("Ошибка чтения данных из файла\n\\NEW\\Orvant3Nab.txt");
  EXPECT_EQ(f.text("NP"), "");

  for (const auto& [id, text] : std::vector<std::pair<std::string, std::string>>{
           {"plan", "abc"}, {"exp", "1,5"}, {"ypc", "0"}, {"upc", "x"}}) {
    const std::string old = f.text(id);
    f.type(id, text);
    f.press("load");
    expectMessage("Задайте правильно данные");
    f.type(id, old);
  }
  f.type("N1", "один");
  f.press("fit");
  expectMessage("Задайте правильно данные");
  f.type("N1", "1");
  f.press("fit");
  expectMessage("У Вас не загружены первичные данные");

  // Five records, groups of two: two groups, a line needs three.
  std::vector<ShortRecord> five;
  for (int i = 0; i < 5; ++i) five.push_back({i * 100.0, {10.0 + i, 0, 0, 0, 0, 0}});
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, five));
  f.press("load");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  f.type("N2", "5");
  f.type("NCP0", "2");
  f.press("fit");
  expectMessage("Первичные данные должны быть\nразбиты минимум на 3 группы");
  f.setOption("fitKind", 2);
  f.type("NCP0", "1");
  f.type("N2", "3");
  f.press("fit");
  expectMessage("Первичные данные должны быть\nразбиты минимум на 4 группы");

  // Picking with nothing loaded.
  ScreenBench fresh;
  fresh.form().click("pic", 3, 0, MouseButton::Left);
  ASSERT_EQ(fresh.desk.dialogs().size(), 1u);
  EXPECT_EQ(fresh.desk.dialogs()[0].text, "Не могу найти эту точку");
  EXPECT_EQ(fresh.desk.dialogs()[0].title, "Orvant7");
  fresh.form().press("del");
  EXPECT_EQ(fresh.lastDialog(), "У Вас не загружены первичные данные");
}

TEST(StatisticsScreen, DrawingAbove3000SquareCentimetresIsAskedFirst) {
  ScreenBench b;
  ui::Form& f = b.form();
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, threeYears()));
  // 0.02 degree at 2e-5 per cm: 1003 cm high, 4 cm wide.
  f.type("upc", "0,00002");
  ASSERT_TRUE(f.press("load"));
  ASSERT_EQ(b.desk.dialogs().size(), 1u);
  EXPECT_TRUE(b.desk.dialogs()[0].question);
  EXPECT_EQ(b.desk.dialogs()[0].text,
            "Вы действительно хотите\nтакой большой график.\nЕсли Да, то придется подождать");
  EXPECT_TRUE(b.shapes(Shape::Type::Point).empty());  // No: nothing drawn
  EXPECT_EQ(f.text("NP"), "3");                       // the series is loaded all the same
  b.desk.answer(true);
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(b.shapes(Shape::Type::Point).size(), 3u);
  EXPECT_EQ(b.pic().heightCm(), kMaxPictureHeightCm);  // the picture grows up to its limit
  // 1 degree per cm: 3 cm high, no question.
  b.desk.clearDialogs();
  f.type("upc", "1");
  ASSERT_TRUE(f.press("load"));
  EXPECT_TRUE(b.desk.dialogs().empty());
}

TEST(StatisticsScreen, OverlayDrawsOnTheAxesOfTheFirstSeries) {
  ScreenBench b;
  ui::Form& f = b.form();
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, threeYears()));
  // The same records one year later in the JPL file.
  ASSERT_TRUE(writeShortFile(b.state, "JPL/Orvant3Nab.txt", kJ2000 + 365.25, threeYears()));
  // Typed scales (the drawing follows them; untyped ones would fit the series to the picture).
  f.type("ypc", "1,0");
  f.type("upc", "1,0");
  ASSERT_TRUE(f.press("load"));
  f.tick("overlay", true);
  f.type("color", "9");
  f.type("ypc", "5");  // the overlay keeps the first drawing's scale
  f.setOption("sim", 1);
  ASSERT_TRUE(f.press("load"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  const auto points = b.shapes(Shape::Type::Point);
  ASSERT_EQ(points.size(), 6u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(points[i].color, ui::kBlack);
    EXPECT_EQ(points[3 + i].color, ui::qbColor(9));
    EXPECT_NEAR(points[3 + i].x1, points[i].x1 + 1, 1e-9);  // one year later, one year per cm
  }
  // A fit over the overlay, with the weights printed.
  f.type("N2", "3");
  f.tick("textVes", true);
  ASSERT_TRUE(f.press("fit"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(b.shapes(Shape::Type::Point).size(), 6u);
  std::vector<std::string> texts;
  for (const auto& t : b.shapes(Shape::Type::Text)) texts.push_back(t.text);
  for (const char* want : {"i=  2   Ves=  1", "VesMax=  1", "VesSum=  3"})
    EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end()) << want;
  // Unticked, the next load starts a new drawing.
  f.tick("overlay", false);
  ASSERT_TRUE(f.press("load"));
  EXPECT_EQ(b.shapes(Shape::Type::Point).size(), 3u);
}

TEST(StatisticsScreen, MousePicksFirstAndLastPointAndTheDateToAdd) {
  ScreenBench b;
  ui::Form& f = b.form();
  b.write("Kin/Plan2/Orvant3Nab.txt", longFile({kLong1, kLong2, kLong3}));
  f.setOption("sim", 2);
  f.type("plan", "2");
  // Typed scales (the drawing follows them; untyped ones would fit the series to the picture).
  f.type("ypc", "1,0");
  f.type("upc", "1,0");
  ASSERT_TRUE(f.press("load"));
  const std::size_t shapesBefore = b.pic().shapes().size();
  // Records at dT 0, 3652.5, 7305 days: the neighbourhood of record 2 runs from 1826.25 to
  // 5478.75 days, i.e. from 6 to 16 cm at one year per cm.
  ASSERT_TRUE(f.click("pic", 5.9, 0, MouseButton::Left));
  EXPECT_EQ(f.text("N1"), "1");
  EXPECT_EQ(f.text("addYear"), "2000");
  ASSERT_TRUE(f.click("pic", 6.1, 0, MouseButton::Left));
  EXPECT_EQ(f.text("N1"), "2");
  EXPECT_EQ(f.text("v1"), "102,956");
  EXPECT_EQ(f.text("d1"), "год 2010  мес. 1  день 1");
  EXPECT_EQ(f.text("addDay"), "1");
  EXPECT_EQ(f.text("addMonth"), "1");
  EXPECT_EQ(f.text("addYear"), "2010");
  EXPECT_EQ(f.text("addTo"), "2011");  // the end of its one-year interval
  ASSERT_EQ(b.pic().shapes().size(), shapesBefore + 2);
  const Shape& mark = b.pic().shapes().back();
  EXPECT_EQ(mark.color, ui::kRed);
  EXPECT_NEAR(mark.x1, 11.5, 1e-12);  // through the middle of record 2's interval

  ASSERT_TRUE(f.click("pic", 15.9, 0, MouseButton::Right));
  EXPECT_EQ(f.text("N2"), "2");
  ASSERT_TRUE(f.click("pic", 16.1, 0, MouseButton::Right));
  EXPECT_EQ(f.text("N2"), "3");
  EXPECT_EQ(f.text("v2"), "102,973");
  EXPECT_EQ(f.text("N1"), "2");  // the right button leaves the first point
  ASSERT_TRUE(f.click("pic", 0.2, 0, MouseButton::Right));  // before everything: record 1
  EXPECT_EQ(f.text("N2"), "1");
  EXPECT_TRUE(b.desk.dialogs().empty());

  // The picked date names record 2: adding there asks first; No leaves the file byte for byte.
  ASSERT_TRUE(f.click("pic", 11, 0, MouseButton::Left));
  const std::string before = b.read("Kin/Plan2/Orvant3Nab.txt");
  f.type("addValue", "103,5");
  ASSERT_TRUE(f.press("add"));
  ASSERT_EQ(b.desk.dialogs().size(), 1u);
  EXPECT_TRUE(b.desk.dialogs()[0].question);
  EXPECT_EQ(b.desk.dialogs()[0].text,
            "Точка № 2 с такой датой уже есть\nЗаменить отмеченный параметр в этой точке?");
  EXPECT_EQ(b.read("Kin/Plan2/Orvant3Nab.txt"), before);
  EXPECT_DOUBLE_EQ(b.screen().series().Par[2][1], 102.956);

  // Yes replaces the marked parameter and the interval ("до" 2012: two years).
  b.desk.answer(true);
  f.type("addTo", "2012");
  ASSERT_TRUE(f.press("add"));
  RecordSeries back;
  LoadChoice c;
  c.source = Source::Kin;
  c.k = 2;
  ASSERT_TRUE(loadSeries(b.state, back, c));
  EXPECT_EQ(back.NP, 3);
  EXPECT_DOUBLE_EQ(back.Par[2][1], 103.5);
  EXPECT_DOUBLE_EQ(back.ddT[2], 730.5);
  EXPECT_DOUBLE_EQ(back.Par[2][10], 4);  // the other columns as they were
  EXPECT_DOUBLE_EQ(back.Par[3][1], 102.973);
}

TEST(StatisticsScreen, DeleteAndAddRewriteTheFileInItsOwnForm) {
  ScreenBench b;
  ui::Form& f = b.form();
  auto recs = threeYears();
  recs.push_back({1095.75, {102.93, -11.29, 0.00008, 0.016708, 149.598, 628.307583}});
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, recs));
  ASSERT_TRUE(f.press("load"));
  f.type("delNo", "1");
  ASSERT_TRUE(f.press("del"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(f.text("NP"), "3");
  // The whole file: header as read, the exact count, JD0 moved to the new first record, records
  // renumbered in the short form (eight values, print zones of 14 characters).
  const std::string text = b.read("NEW/Orvant3Nab.txt");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 4u + 1 + 3);
  EXPECT_EQ(lines[0], "эксперимент № 2 плана № 3");
  EXPECT_EQ(lines[3], " № замера     прошло дней   перигелий");
  EXPECT_EQ(lines[4], " 3             245191025 ");
  EXPECT_EQ(lines[5],
            " 1             0             10291000000  -1127000000    6000          1671000       "
            "14959800000   62830758500 ");
  EXPECT_EQ(splitItems(lines[7]).size(), 8u);
  EXPECT_EQ(splitItems(lines[7])[1], "73050");
  EXPECT_EQ(text.back(), '\n');

  // A point with a new date goes in date order; the form stays short.
  f.type("addValue", "100");
  f.type("addDay", "1,5");
  f.type("addMonth", "1");
  f.type("addYear", "2000");
  f.type("addTo", "2000");
  ASSERT_TRUE(f.press("add"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(f.text("NP"), "4");
  EXPECT_EQ(f.text("first"), "100");
  EXPECT_EQ(f.text("firstDate"), "год 2000  мес. 1  день 1,5");
  RecordSeries back;
  LoadChoice c;
  ASSERT_TRUE(loadSeries(b.state, back, c));
  EXPECT_EQ(back.NP, 4);
  EXPECT_DOUBLE_EQ(back.JD0, kJ2000);
  EXPECT_DOUBLE_EQ(back.Par[1][1], 100);
  EXPECT_DOUBLE_EQ(back.Par[1][2], 0);  // the other columns of a new point are 0
  EXPECT_DOUBLE_EQ(back.Par[2][1], 102.91);

  // A point number outside 1..NP and a non-numeric box.
  f.type("delNo", "9");
  f.press("del");
  EXPECT_EQ(b.lastDialog(), "Задайте правильно данные");
  f.type("addMonth", "январь");
  f.press("add");
  EXPECT_EQ(b.lastDialog(), "Задайте правильно данные");
  EXPECT_EQ(f.text("NP"), "4");
}

TEST(StatisticsScreen, FitsTheTestSeriesAndTriesEveryGroupSize) {
  ScreenBench b;
  ui::Form& f = b.form();
  // Alfa = 5 + 2 t (t centuries from year 0) without noise: the line is exact.
  f.tick("test", true);
  f.type("tk0", "5");
  f.type("tk1", "2");
  f.type("tk3", "0");
  ASSERT_TRUE(f.press("fit"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(b.screen().series().LoadKind, kTestSeries);
  EXPECT_EQ(f.text("Year0"), "0");
  EXPECT_EQ(f.text("ypc"), "100");
  EXPECT_NEAR(*f.number("upc"), (5 + 2 * 25.0 - (5 + 2 * 1.0)) / 10, 1e-12);
  EXPECT_NEAR(*f.number("k0"), 5, 1e-9);
  EXPECT_NEAR(*f.number("k1"), 2, 1e-9);
  EXPECT_NEAR(*f.number("dY"), 2, 1e-9);  // degrees per century for AlfaL0
  EXPECT_NEAR(*f.number("S2"), 0, 1e-9);
  EXPECT_NEAR(*f.number("parIG"), 5 + 2 * 20.0, 1e-8);  // IG 2000 is 20 centuries after year 0
  EXPECT_EQ(f.text("unit"), "град");
  // The series, the group circles and the fitted line with its band are drawn.
  EXPECT_EQ(b.shapes(Shape::Type::Point).size(), 25u);
  EXPECT_EQ(b.shapes(Shape::Type::Circle).size(), 25u);
  int blue = 0;
  for (const auto& l : b.shapes(Shape::Type::Line))
    if (l.color == ui::kBlue) {
      ++blue;
      EXPECT_NEAR(l.y1, 5 + 2 * (l.x1 - 1), 1e-9);  // 100 years per cm from year 0
    }
  EXPECT_GT(blue, 400);  // 25 centuries in steps of 20 days

  // With noise, every group size and the criterion "min": the box gets six decimals.
  f.type("tk3", "1");
  f.tick("allSizes", true);
  f.tick("textK", true);
  ASSERT_TRUE(f.press("fit"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  const ApproxResult& r = b.screen().lastResult();
  EXPECT_EQ(r.NCPmax, 8);  // 25 records, a line needs three groups
  const double shift = *f.number("dY");
  EXPECT_EQ(shift, fix(r.dYs[r.best] * 1e6) / 1e6);
  for (int s = 1; s <= r.NCPmax; ++s) EXPECT_LE(r.S2s[r.best], r.S2s[s]);
  bool printed = false;
  for (const auto& t : b.shapes(Shape::Type::Text))
    printed = printed || t.text.rfind("минимальное при NCP0 = " + std::to_string(r.best), 0) == 0;
  EXPECT_TRUE(printed);
}

TEST(StatisticsScreen, ShiftFilesLoadReplaceAndRefuse) {
  ScreenBench b;
  ui::Form& f = b.form();
  // Nothing loaded: each source names its own table.
  f.type("dY", "1,5");
  f.press("shiftSet");
  EXPECT_EQ(b.lastDialog(), "У Вас не загружены данные наблюдений");
  f.setOption("src", 1);
  f.press("shiftSet");
  EXPECT_EQ(b.lastDialog(), "У Вас не загружены расчетные данные");
  f.press("shiftLoad");
  EXPECT_EQ(b.lastDialog(), "Не могу найти файл\n\\Plan1\\Orvant3Ras.dat");

  // An observed file: row N holds N, then shifts c x 1000000 + N.
  std::string nab = "Обработанные данные  \\NEW  по всем планетам\nголовка\n";
  for (int N = 1; N <= 11; ++N) {
    nab += std::to_string(N);
    for (int c = 1; c <= 6; ++c) {
      nab += ' ';
      nab += std::to_string(c * 1000000 + N);
    }
    nab += "\n";
  }
  b.write("NEW/OrvantNab.dat", nab);
  f.setOption("src", 0);
  f.setOption("par", 2);  // Betta of the Earth
  b.desk.clearDialogs();
  ASSERT_TRUE(f.press("shiftLoad"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(f.text("shiftFile"), "3,000003");
  bool rowShown = false;
  for (const auto& t : b.shapes(Shape::Type::Text))
    rowShown = rowShown || t.text.rfind("   3    dAlfaP100  = 0001,0000", 0) == 0;
  EXPECT_TRUE(rowShown);
  EXPECT_NE(f.text("fileText").find("\n   3    dAlfaP100  = 0001,0000    dAlfaU100  = 0002,0000"
                                    "    dBetta100  = 003,00000    dEks100  = 004,0000"
                                    "    dRsr100  = 0005,0000    dW100  = 006,0000\n"),
            std::string::npos);

  f.type("dY", "12,3456789");
  ASSERT_TRUE(f.press("shiftSet"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  EXPECT_EQ(f.text("shiftFile"), "12,345678");
  std::vector<std::string> lines;
  std::istringstream in(b.read("NEW/OrvantNab.dat"));
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 13u);
  for (int N = 1; N <= 11; ++N) {
    const auto items = splitItems(lines[static_cast<std::size_t>(N + 1)]);
    ASSERT_EQ(items.size(), 7u);
    for (int c = 1; c <= 6; ++c)
      EXPECT_EQ(items[static_cast<std::size_t>(c)],
                N == 3 && c == 3 ? "12345678" : std::to_string(c * 1000000 + N));
  }

  // A parameter without a shift column, or a non-numeric shift: refused, the file unchanged.
  const std::string before = b.read("NEW/OrvantNab.dat");
  f.setOption("par", 6);  // AlfaL0
  f.press("shiftSet");
  EXPECT_EQ(b.lastDialog(), "Задайте правильно данные");
  f.setOption("par", 2);
  f.type("dY", "много");
  f.press("shiftSet");
  EXPECT_EQ(b.lastDialog(), "Задайте правильно данные");
  EXPECT_EQ(b.read("NEW/OrvantNab.dat"), before);
  // The calculated table was never loaded: the model source still refuses.
  f.type("dY", "1");
  f.setOption("src", 1);
  f.press("shiftSet");
  EXPECT_EQ(b.lastDialog(), "У Вас не загружены расчетные данные");
}

// A screen standing in for the plan screen.
class PlanStandIn : public ui::Screen {
 public:
  PlanStandIn(State& s, ui::Workbench& wb) : Screen(s, wb, "План") {}
};

TEST(StatisticsScreen, NavigationToUnregisteredScreensIsDisabled) {
  ScreenBench b;
  ui::Form& f = b.form();
  EXPECT_FALSE(f.enabled("toPlan"));
  EXPECT_FALSE(f.enabled("files"));
  EXPECT_FALSE(f.press("toPlan"));
  EXPECT_TRUE(f.press("closeForm"));
  EXPECT_FALSE(f.shown());

  ScreenBench withPlan;
  withPlan.wb.add<PlanStandIn>(StatisticsScreen::kPlanScreen);
  ui::Form& g = withPlan.form();
  EXPECT_TRUE(g.enabled("toPlan"));
  ASSERT_TRUE(g.press("toPlan"));
  ASSERT_NE(withPlan.wb.created(StatisticsScreen::kPlanScreen), nullptr);
  EXPECT_TRUE(withPlan.wb.created(StatisticsScreen::kPlanScreen)->form().shown());
}

TEST(StatisticsScreen, SavesThePictureAsBitmap) {
  ScreenBench b;
  ui::Form& f = b.form();
  ASSERT_TRUE(writeShortFile(b.state, "NEW/Orvant3Nab.txt", kJ2000, threeYears()));
  ASSERT_TRUE(f.press("load"));
  f.type("picName", "график");
  ASSERT_TRUE(f.press("save"));
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastDialog();
  const std::string bmp = b.read("график.bmp");
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  f.type("picName", "  ");
  f.press("save");
  EXPECT_EQ(b.lastDialog(), "Задайте правильно данные");
  f.type("picName", "нет/такой/папки");
  f.press("save");
  EXPECT_EQ(b.lastDialog(), "Ошибка записи данных в файл\n\\нет\\такой\\папки.bmp");
}

TEST(StatisticsScreen, OptimalParametersOfScreen13AreShownFramed) {
  ScreenBench b;
  b.write("Kin/Plan2/Orvant3Nab.txt", longFile({kLong1, kLong3}));
  OptimalRecord opt;
  opt.JDep = kJ2000 + 3652.5;
  opt.JDmean = opt.JDep + 182.625;
  opt.Par = {0, 102.95, -11.3, 0.00006, 0.01671, 149.598, 628.30758, 101, 0, 0, 3};
  // The Sun is filed as the Earth.
  EXPECT_EQ(b.screen().addOptimalRecord(2, 0, "по плану №  2   от 01.02.2024", opt), Change::Inserted);
  ui::Form& f = b.form();
  EXPECT_TRUE(f.shown());
  EXPECT_EQ(f.option("sim"), 2);
  EXPECT_EQ(f.option("obj"), 2);
  EXPECT_EQ(f.text("NP"), "3");
  const std::string text = f.text("fileText");
  EXPECT_NE(text.find("по плану №  2   от 01.02.2024"), std::string::npos);
  EXPECT_NE(text.find("---------------------\n  2   IG= 2010"), std::string::npos);
  EXPECT_NE(text.find("Ves= 3,0000"), std::string::npos);
  // The same date again, answered No: the file stays as it is.
  const std::string before = b.read("Kin/Plan2/Orvant3Nab.txt");
  EXPECT_EQ(b.screen().addOptimalRecord(2, 3, "по плану №  2   от 02.02.2024", opt), Change::Unchanged);
  EXPECT_EQ(b.desk.dialogs().back().text,
            "Точка №  2  с такой датой уже есть\nЗаменить параметры этой точки?");
  EXPECT_EQ(b.read("Kin/Plan2/Orvant3Nab.txt"), before);
}

}  // namespace
}  // namespace orvant::statistics
