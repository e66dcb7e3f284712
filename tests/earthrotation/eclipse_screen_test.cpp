// Screens 16 and 17 headless: defaults, messages, the loop commands, the logs in their layouts,
// the ET - UT presets at J2000, and a table source through an in-memory workbook.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "earthrotation/eclipse_logs.h"
#include "astro/etut.h"
#include "eclipse_bench.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/textfile.h"
#include "observations/sources.h"
#include "observations/spreadsheet.h"

namespace orvant::test {
namespace {

std::vector<std::string> lines(const fs::path& p) {
  std::vector<std::string> out;
  EXPECT_EQ(readLines(p, out), ReadStatus::Ok) << p;
  return out;
}

TEST(EclipseScreen, DefaultsAtLoad) {
  EclipseBench b;
  ui::Form& f = b.f16();
  EXPECT_EQ(f.text("k"), "11");
  EXPECT_EQ(f.text("Day"), "29,4");
  EXPECT_EQ(f.text("Month"), "3");
  EXPECT_EQ(f.text("Year"), "2006");
  EXPECT_EQ(f.text("step"), "0,0005");
  EXPECT_EQ(f.text("div"), "10");
  EXPECT_EQ(f.text("ObsL"), "48,153");
  EXPECT_EQ(f.text("ObsB"), "45,874");
  EXPECT_EQ(f.text("JDut"), "2453823,90000");
  EXPECT_EQ(f.option("theory"), 0);
  EXPECT_EQ(b.state.Dpl[1], 4879000);
  EXPECT_EQ(b.state.Dpl[0], 1392000000);  // screen 17's Dsun "1392,0"
  EXPECT_EQ(b.state.Dpl[3], 12756280);    // screen 17's Death "12,75628"
  // Every button carries its one-line description.
  for (const auto& c : b.screen().controls()) {
    if (c.kind == ui::Kind::Button) {
      EXPECT_FALSE(c.help.empty()) << c.id;
    }
  }
}

TEST(EclipseScreen, MessagesOfABadStartAndNothingRuns) {
  EclipseBench b;
  ui::Form& f = b.f16();
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "Выберете теорию");
  EXPECT_EQ(b.desk.dialogs().back().title, "Orvant7.0");
  f.choose("kind", 1);
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "Выберете имитатор");
  f.choose("kind", 0);
  f.choose("theory", 4);  // Kin0+
  f.type("k", "3");
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "Землю не наблюдали");
  f.type("k", "11");
  f.type("step", "0.0005x");
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "Введите правильно данные\n(целая часть числа отделяется запятой)");
  f.type("step", "0,0005");
  f.type("ObsB", "");
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "Введите правильно данные\n(целая часть числа отделяется запятой)");
  EXPECT_EQ(b.screen().steps(), 0);
  // Continuing before any start is refused the same way.
  f.press("cont");
  EXPECT_EQ(b.screen().steps(), 0);
}

// "+ 1 шаг" and "Продолжить" on fresh boxes start from the date on the screen, as "Начать"
// does: one step and a stop, or the run.
TEST(EclipseScreen, FirstStepOrContinueWithoutStart) {
  for (const char* button : {"one", "cont"}) {
    EclipseBench b;
    ui::Form& f = b.f16();
    f.choose("theory", 2);  // JPL0
    if (std::string(button) == "cont") b.desk.limitDisplays(2);
    f.press(button);
    EXPECT_TRUE(b.desk.dialogs().empty()) << button << ": " << b.lastMessage();
    EXPECT_EQ(b.screen().steps(), std::string(button) == "one" ? 1 : 3) << button;
    EXPECT_EQ(b.state.kStop, 1) << button;
    f.press("one");  // the next step goes on from there
    EXPECT_EQ(b.screen().steps(), std::string(button) == "one" ? 2 : 4) << button;
  }
}

TEST(EclipseScreen, Jpl2OutsideDe405ShowsTheReadersMessage) {
  EclipseBench b;
  if (!b.linkDe405(2000)) GTEST_SKIP() << "DE405 block ascp2000.405 not in " << de405Dir();
  ui::Form& f = b.f16();
  f.choose("theory", 3);
  f.type("Year", "2100");
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "В файлах DE405 нет такой даты");
  EXPECT_EQ(b.screen().steps(), 0);
}

TEST(EclipseScreen, UnwritableDatRefusesTheStartWithTheWriteMessage) {
  EclipseBench b;
  { std::ofstream(b.dir / "Dat") << "a file where the folder should be\n"; }
  ui::Form& f = b.f16();
  f.choose("theory", 2);
  f.tick("fileP", true);
  f.press("start");
  EXPECT_EQ(b.lastMessage(), "Ошибка записи данных в файл\n\\Dat\\Param_data.txt");
  EXPECT_EQ(b.screen().steps(), 0);
}

TEST(EclipseScreen, StartStopOneStepContinueAndTheParamLog) {
  EclipseBench b;
  ui::Form& f = b.f16();
  f.choose("theory", 2);  // JPL0
  f.tick("fileP", true);
  f.tick("startStop", true);
  f.press("start");
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  EXPECT_EQ(b.screen().steps(), 1);
  EXPECT_EQ(f.text("Day"), "29,4005");  // the next date is shown
  f.press("one");
  EXPECT_EQ(b.screen().steps(), 2);
  b.desk.limitDisplays(3);
  f.press("cont");
  EXPECT_EQ(b.screen().steps(), 6);  // 3 display points, then the step after the stop
  const auto L = lines(b.dir / "Dat" / "Param_data.txt");
  ASSERT_EQ(L.size(), 6u + 6u);
  EXPECT_EQ(L[0], "");
  EXPECT_EQ(L[1], "планета  №  11    обсерватория JPL0   данные умножены на 1000 ");
  EXPECT_EQ(L[2], "");
  EXPECT_EQ(L[3], "");
  EXPECT_EQ(L[4],
            "дата наблюдения (день с часами, месяц, год), долгота и широта (Солнца потом планеты)");
  EXPECT_EQ(L[5], "");
  // The first step: LTet2 of 29.4 March 2006 + ET2-UT (31.5 tau^2 s from 1800) + 48.153/15 h.
  const std::vector<std::string> items = splitItems(L[6]);
  ASSERT_EQ(items.size(), 7u);
  EXPECT_EQ(items[0], "29535");  // 29.4 + 0.00155 (134 s) + 0.13375 (3.2 h) = 29.5353
  EXPECT_EQ(items[1], "3000");
  EXPECT_EQ(items[2], "2006000");
  EXPECT_EQ(L[6].substr(0, 7), " 29535 ");
  // "JD = JD0" brings the start date back.
  f.press("jd0");
  EXPECT_EQ(f.text("Day"), "29,4");
  EXPECT_EQ(f.text("JDut"), "2453823,90000");
}

TEST(EclipseScreen, ALogLineIsWrittenWholeOrNotAtAll) {
  EclipseBench b;
  ui::Form& f = b.f16();
  f.choose("theory", 4);
  f.tick("fileP", true);
  f.tick("startStop", true);
  f.press("start");
  const fs::path p = b.dir / "Dat" / "Param_data.txt";
  const auto before = lines(p);
  fs::permissions(p, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  f.press("one");
  EXPECT_EQ(b.lastMessage(), "Ошибка записи данных в файл\n\\Dat\\Param_data.txt");
  fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(lines(p), before);
  // The loop ended with its state kept: the next step goes on from the date reached.
  EXPECT_EQ(b.screen().steps(), 2);
  f.tick("fileP", false);
  f.press("one");
  EXPECT_EQ(b.screen().steps(), 3);
}

TEST(EclipseScreen, BackwardAcrossTheStartOfAMonth) {
  EclipseBench b;
  ui::Form& f = b.f16();
  f.choose("theory", 4);
  f.type("Day", "1,0002");
  f.type("Month", "4");
  f.type("step", "0,0001");
  f.choose("dir", 1);
  f.tick("upd", false);
  b.desk.limitDisplays(4);
  f.press("start");
  ASSERT_EQ(b.screen().steps(), 5);
  // The day falls to 0.9999 and 0.9998 of April: the Julian date keeps decreasing.
  State d;
  const double jd0 = JDfromDate(d, 1.0002, 4, 2006);
  EXPECT_NEAR(b.screen().lastStep().JDut, jd0 - 4 * 0.0001, 1e-9);
  EXPECT_EQ(f.text("Month"), "4");
  EXPECT_EQ(f.text("Day"), "0,9997");
  // Forward again from there: "Продолжить" takes the direction anew.
  f.choose("dir", 0);
  f.press("one");
  EXPECT_NEAR(b.screen().lastStep().JDut, jd0 - 5 * 0.0001, 1e-9);
}

TEST(EclipseScreen, TimeYerLogNearTheEquinoxWithTheStepDivided) {
  EclipseBench b;
  ui::Form& f = b.f16();
  f.choose("theory", 2);
  f.type("Day", "20,2");  // the March equinox of 2006 fell at 18:26 UT on the 20th
  f.type("step", "0,1");
  f.tick("fileTY", true);
  f.tick("test", true);
  f.tick("upd", false);
  b.desk.limitDisplays(7);
  f.press("start");
  ASSERT_EQ(b.screen().steps(), 8);
  const auto L = lines(b.dir / "Dat" / "TimeYer_data.txt");
  ASSERT_GE(L.size(), 8u);
  EXPECT_EQ(L[1],
            "равноденствия и солнцестояния по JPL0   ГЕО (ТОПО) координаты Солнца где JDut "
            "солнечное время для Гринвича");
  EXPECT_EQ(L[3], "(если отмечен чекбокс ++Test, то в ТОПО ГОР координатах рефракция не "
                  "учитывается)");
  EXPECT_EQ(L[6], "");
  // All eight steps lie within a degree of 0 (the Sun at 359.44 deg at the start): each is
  // marked, so every step after it is 0.1/10 day long.
  EXPECT_EQ(L.size(), 7u + 8u);
  EXPECT_NEAR(b.screen().lastStep().JDut - JDfromDate(b.state, 20.2, 3, 2006), 7 * 0.01, 1e-9);
  const std::string& line = L[7];
  EXPECT_EQ(line.rfind("LTet2=", 0), 0u) << line;
  EXPECT_NE(line.find("  DMY= 20.03.2006  JDut= 2453814,7000"), std::string::npos) << line;
  // Forward and back agree (no refraction with ++Test): L= a  a.
  const std::size_t at = line.find("   L= ");
  ASSERT_NE(at, std::string::npos);
  const std::string fwd = line.substr(at + 6, 7), back = line.substr(at + 6 + 7 + 2, 7);
  EXPECT_EQ(fwd, back) << line;
}

TEST(EclipseLogs, LayoutsByHand) {
  EXPECT_EQ(*paramLogLine(29.4005, 3, 2006, 8.5275, -0.0002, 351.25, -0.5),
            " 29400  3000  2006000  8527  0  351250 -500 ");
  EXPECT_FALSE(paramLogLine(NAN, 3, 2006, 0, 0, 0, 0));
  EXPECT_FALSE(paramLogLine(1e300, 3, 2006, 0, 0, 0, 0));
  EXPECT_TRUE(nearEquinoxOrSolstice(359.5));
  EXPECT_TRUE(nearEquinoxOrSolstice(0.5));
  EXPECT_TRUE(nearEquinoxOrSolstice(90.99));
  EXPECT_FALSE(nearEquinoxOrSolstice(91));
  EXPECT_FALSE(nearEquinoxOrSolstice(269));
  EXPECT_FALSE(nearEquinoxOrSolstice(45));
  const std::string h = timeYerLogHeader("Kin0+");
  EXPECT_EQ(std::count(h.begin(), h.end(), '\n'), 7);
  EXPECT_EQ(h.substr(0, 1), "\n");
}

TEST(EtutScreen, PresetsGiveTheirValuesAtJ2000) {
  EclipseBench b;
  ui::Form& f = b.f17();
  State& s = b.state;
  // Load: ET1 the 1939 formula from 1900 January 1.5 (JD 2415021.0), ET2 the parabola from 1800
  // January 1.5 (JD 2378497.0).
  const double t1900 = (s.JD2000 - 2415021.0) / 36525, t1800 = (s.JD2000 - 2378497.0) / 36525;
  EXPECT_NEAR(ETUTsel(s, 1, s.JD2000), 24.35 + 72.32 * t1900 + 29.95 * t1900 * t1900, 1e-9);
  EXPECT_NEAR(ETUTsel(s, 2, s.JD2000), 31.5 * t1800 * t1800, 1e-9);
  struct Want {
    int option;
    double value;
  };
  const Want want[] = {{1, 24.35 + 72.32 * t1900 + 29.95 * t1900 * t1900},
                       {2, 31.5 * t1800 * t1800},
                       {3, 31.5 * t1800 * t1800},
                       {4, 31.5 * t1800 * t1800},
                       {5, 65.97}};
  for (int n = 1; n <= 2; ++n) {
    const std::string N = std::to_string(n);
    for (const Want& w : want) {
      f.choose("opt" + N, w.option);
      f.choose("sign" + N, 0);
      f.press("apply");
      EXPECT_NEAR(ETUTsel(s, n, s.JD2000), w.value, 0.005) << n << " " << w.option;
      f.choose("sign" + N, 1);
      f.press("apply");
      EXPECT_NEAR(ETUTsel(s, n, s.JD2000), -w.value, 0.005) << n << " " << w.option;
    }
    // Option 0: the typed values.
    f.choose("opt" + N, 0);
    f.choose("sign" + N, 0);
    f.type("a0_" + N, "10");
    f.type("a1_" + N, "0");
    f.type("a2_" + N, "0");
    f.type("T0_" + N, "2000");
    f.press("apply");
    EXPECT_NEAR(ETUTsel(s, n, s.JD2000), 10, 1e-12);
  }
  EXPECT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
}

TEST(EtutScreen, NonNumericFieldsChangeNothingAndTheHiddenTriggerApplies) {
  EclipseBench b;
  ui::Form& f = b.f17();
  State& s = b.state;
  const auto kept = s.ETcoef;
  f.type("a1_1", "7x");
  f.press("apply");
  EXPECT_EQ(b.lastMessage(), "Введите правильно данные");
  EXPECT_EQ(s.ETcoef.a1[1], kept.a1[1]);
  f.type("a1_1", "72,32");
  f.type("T0_2", "1800,5");  // a year must be whole
  f.press("apply");
  EXPECT_EQ(b.desk.dialogs().size(), 2u);
  f.type("T0_2", "1800");
  f.type("Dmoon", "3,5");
  f.setText("Time", "12:00:00");  // the hidden trigger
  b.wb.run(b.wb.screen(kEtutScreen), [] {});
  EXPECT_EQ(s.Dpl[11], 3500000);
}

TEST(EclipseScreen, TableSourceThroughTheSpreadsheetDriver) {
  EclipseBench b;
  State& s = b.state;
  auto engine = std::make_shared<MemorySpreadsheet>();
  MemorySpreadsheet::Book book;
  book.sheets = 9;
  auto number = [](double v) { return CellValue{CellValue::Kind::Number, v, ""}; };
  book.cells[{1, "C14"}] = number(8.5);    // the Sun's longitude
  book.cells[{1, "C15"}] = number(188.5);  // the Moon's longitude
  book.cells[{1, "F15"}] = number(0.25);   // and latitude
  engine->add(fullPath(s, "Tab/AlBattani.xls").string(), book);
  s.TabEngine = engine;
  ui::Form& f = b.f16();
  f.choose("kind", 1);
  f.choose("table", 8);  // AlBattani
  f.choose("cal", 1);    // Julian
  f.choose("hour0", 1);  // from noon
  f.tick("startStop", true);
  f.tick("fileP", true);
  f.press("start");
  ASSERT_TRUE(b.desk.dialogs().empty()) << b.lastMessage();
  ASSERT_EQ(b.screen().steps(), 1);
  const EclipseStep& st = b.screen().lastStep();
  EXPECT_NEAR(st.L[kStGeoJ2000][0], 8.5, 1e-9);
  EXPECT_NEAR(st.L[kStGeoJ2000][1], 188.5, 1e-9);
  EXPECT_NEAR(st.B[kStGeoJ2000][1], 0.25, 1e-9);
  EXPECT_EQ(st.L[kStNut][0], st.L[kStNut][0]);  // no nutation for the tables:
  EXPECT_EQ(st.L[kStEqu][0], st.L[kStNut][0]);
  EXPECT_GE(engine->exchanges, 1);
  const auto L = lines(b.dir / "Dat" / "Param_data.txt");
  EXPECT_EQ(L[1], "планета  №  11    обсерватория AlBattani   данные умножены на 1000 ");
}

}  // namespace
}  // namespace orvant::test
