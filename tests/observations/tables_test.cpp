// The choice of a table and TabEval against in-memory workbooks: the dates written, the cells
// read, CorrTab, the precession option, the messages, the engine that dies.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>

#include "model/calendar.h"
#include "model/textfile.h"
#include "obs_test_util.h"
#include "observations/sources.h"

namespace orvant {
namespace {

// Longitude cells give 1000*(object + 1) + D, latitude cells -(1000*(object + 1) + 500 + D)
// times the divisor, CorrTab cells 7 + D/1000, where D = year + month/100 + day/10^4 +
// hours/10^6 of the cells written.
double datePart(const TabCellMap& m, const std::map<CellRef, CellValue>& cells) {
  return cellNumber(cells, m.year.sheet, m.year.addr) +
         cellNumber(cells, m.month.sheet, m.month.addr) / 100 +
         cellNumber(cells, m.day.sheet, m.day.addr) / 1e4 +
         cellNumber(cells, m.hours.sheet, m.hours.addr) / 1e6;
}

CellValue num(double x) { return CellValue{CellValue::Kind::Number, x, {}}; }

MemorySpreadsheet::Book linearBook(const std::string& name, int sheets) {
  const TabCellMap& m = *tabCellMap(name);
  MemorySpreadsheet::Book b;
  b.sheets = sheets;
  if (m.corr == TabCellMap::Corr::Cell)
    b.formulas[m.corrCell] = [&m](const auto& c) { return num(7 + datePart(m, c) / 1000); };
  for (int o = 0; o < 12; ++o) {
    const TabObjectCells& oc = m.objects[o];
    if (!oc.served) continue;
    b.formulas[oc.l] = [&m, o](const auto& c) { return num(1000 * (o + 1) + datePart(m, c)); };
    if (oc.hasB) {
      const double div = oc.bDivisor;
      b.formulas[oc.b] = [&m, o, div](const auto& c) {
        return num(-(1000 * (o + 1) + 500 + datePart(m, c)) * div);
      };
    }
    if (oc.hasSouthFlag)
      b.cells[oc.southFlag] = CellValue{CellValue::Kind::Text, 0, "S"};
  }
  return b;
}

class TablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.workDir = dir.str();
    s.sink = &sink;
    s.TabEngine = engine;
    for (std::size_t k = 1; k < kTabCatalogue.size(); ++k) {
      const auto& e = kTabCatalogue[k];
      if (tabCellMap(e.name))
        engine->add(path(std::string(e.name)), linearBook(std::string(e.name), e.nSheet));
      else
        engine->add(path(std::string(e.name)), MemorySpreadsheet::Book{});
    }
  }
  std::string path(const std::string& name) const {
    return fullPath(s, tabFilePath(name)).string();
  }
  int entry(std::string_view name) const {
    for (std::size_t k = 0; k < kTabCatalogue.size(); ++k)
      if (kTabCatalogue[k].name == name) return static_cast<int>(k);
    return -1;
  }
  // Sets the date of the next evaluation as the processing does.
  void date(int y, int m, double day, double jd) {
    s.YearNab = y;
    s.MonthNab = m;
    s.DayNab = day;
    s.HourNab = (day - std::trunc(day)) * 24;
    s.JD = jd;
  }
  test::TempDir dir;
  test::RecordingSink sink;
  std::shared_ptr<MemorySpreadsheet> engine = std::make_shared<MemorySpreadsheet>();
  State s;
  SourceScreen scr;
};

// A run ends by default with the table's span (its first year and thirty more, the years the
// screen shows beside "Obs"), whatever "до ... года" said before.
TEST_F(TablesTest, EveryTableEndsItsRunWithItsOwnSpan) {
  for (std::size_t k = 1; k < kTabCatalogue.size(); ++k) {
    const auto& e = kTabCatalogue[k];
    if (e.keepsFields) continue;
    scr = SourceScreen{};
    scr.objectNo = 0;
    ASSERT_TRUE(SelectTab(s, scr, static_cast<int>(k))) << e.name;
    EXPECT_EQ(scr.yearEnd, e.year + 30) << e.name;
    EXPECT_EQ(scr.obsYear2, scr.yearEnd) << e.name;
  }
}

TEST_F(TablesTest, ChoosingTheAlmagestSetsItsCalendarAndEvaluatesOnce) {
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("Almagest")));
  EXPECT_EQ(s.ObsName, "Almagest");
  EXPECT_EQ(s.NSheet, 8);
  EXPECT_EQ(scr.calType, 2);
  EXPECT_TRUE(scr.dayFromNoon);
  EXPECT_EQ(scr.year, 607);
  EXPECT_EQ(scr.month, 3);
  EXPECT_DOUBLE_EQ(scr.day, 23);
  EXPECT_TRUE(scr.aberrSource && scr.aberrObserver);
  EXPECT_FALSE(scr.nutation);
  EXPECT_DOUBLE_EQ(s.ObsL, 39);
  EXPECT_DOUBLE_EQ(s.ObsB, 30.97);
  EXPECT_EQ(s.YearBeg, 607);
  EXPECT_EQ(scr.obsYear1, 607);
  EXPECT_EQ(scr.obsYear2, 637);
  // Egyptian day 23 of month 3 of year 607 from noon: 1448272 + 365*607 + 60 + 23 - 0.5 + 0.5.
  EXPECT_DOUBLE_EQ(s.JD, 1448272.0 + 365 * 607 + 60 + 23);
  EXPECT_DOUBLE_EQ(s.JDep, s.JD);
  EXPECT_EQ(engine->exchanges, 1);
  // The Almagest's CorrTab is computed: 3.9 degrees at the start date.
  EXPECT_DOUBLE_EQ(s.CorrTab, 3.9);
  EXPECT_DOUBLE_EQ(s.CorrTab0, 3.9);
  EXPECT_NEAR(s.Lk[0], 1000 + 607 + 0.03 + 0.0023, 1e-9);
  EXPECT_EQ(s.Bk[0], 0);
  EXPECT_EQ(s.kStop, 0);
  EXPECT_EQ(s.kEnd, 0);
}

TEST_F(TablesTest, TheDateCellsAndTheObjectsCells) {
  scr.objectNo = 11;
  ASSERT_TRUE(SelectTab(s, scr, entry("Streete")));
  date(1650, 7, 14.75, 2323830.25);
  const double d = 1650 + 0.07 + 0.0014 + 18e-6;
  ASSERT_TRUE(TabEval(s));
  EXPECT_NEAR(s.Lk[11], 12000 + d, 1e-9);
  EXPECT_NEAR(s.Bk[11], -(12500 + d), 1e-9);
  EXPECT_NEAR(s.CorrTab, 7 + d / 1000, 1e-12);
  // Mars and the Sun and Venus together: still one exchange.
  const int before = engine->exchanges;
  ASSERT_TRUE(TabEvalObjects(s, {0, 4, 2}));
  EXPECT_EQ(engine->exchanges, before + 1);
  EXPECT_NEAR(s.Lk[4], 5000 + d, 1e-9);
  EXPECT_NEAR(s.Bk[4], -(5500 + d), 1e-9);
  EXPECT_NEAR(s.Lk[0], 1000 + d, 1e-9);
  EXPECT_EQ(s.Bk[0], 0);
  EXPECT_NEAR(s.Lk[2], 3000 + d, 1e-9);
}

TEST_F(TablesTest, AlmagestLatitudesInArcMinutesAndTheSenseOfMars) {
  scr.objectNo = 4;
  ASSERT_TRUE(SelectTab(s, scr, entry("Almagest")));
  date(610, 1, 1, s.JD + 2 * 365);
  ASSERT_TRUE(TabEval(s));
  const double d = 610 + 0.01 + 0.0001;
  EXPECT_NEAR(s.Lk[4], 5000 + d, 1e-9);
  // AF30 holds -(5500 + d)*60 arc-minutes; AE30 says "S": the sign is turned.
  EXPECT_NEAR(s.Bk[4], 5500 + d, 1e-9);
  EXPECT_NEAR(s.CorrTab, 3.9 + 2 * 365.0 / 36525, 1e-12);
}

TEST_F(TablesTest, PrecessionOptionAtTheStartDateAndLater) {
  scr.objectNo = 11;
  scr.precTab = true;
  ASSERT_TRUE(SelectTab(s, scr, entry("RudolphineTables")));
  const double jdep = s.JDep;
  date(1600, 1, 1, jdep);
  ASSERT_TRUE(TabEval(s, true));
  // At the start date the option gives the cell's value: CorrTab - CorrTab0 = 0, no shift.
  EXPECT_NEAR(s.Lk[11], 12000 + 1600.0101, 1e-9);
  EXPECT_DOUBLE_EQ(s.PrecShift, 0);
  // A century later: minus the table's CorrTab, plus that of the start, plus 5025".
  date(1700, 1, 1, jdep + 36525);
  ASSERT_TRUE(TabEval(s, true));
  const double corr = 7 + 1700.0101 / 1000, corr0 = 7 + 1600.0101 / 1000;
  EXPECT_NEAR(s.PrecShift, 5025.0 / 3600, 1e-12);
  EXPECT_NEAR(s.Lk[11], 12000 + 1700.0101 - corr + corr0 + 5025.0 / 3600, 1e-9);
}

TEST_F(TablesTest, AlKhwarizmiAddsItsCorrectionAndItsPrecessionAtTheStart) {
  scr.objectNo = 1;
  scr.precTab = true;
  scr.prec = 5030;
  ASSERT_TRUE(SelectTab(s, scr, entry("AlKhwarizmi")));
  const double d = 800.0101;
  const double corr = 7 + d / 1000;
  EXPECT_NEAR(s.CorrTab0, corr - 5030.0 * 15 / 100 / 3600, 1e-12);
  date(800, 1, 1, s.JDep);
  ASSERT_TRUE(TabEval(s, false));
  EXPECT_NEAR(s.Lk[1], 2000 + d + corr, 1e-9);  // increased by CorrTab
  ASSERT_TRUE(TabEval(s, true));
  EXPECT_NEAR(s.Lk[1], 2000 + d + s.CorrTab0, 1e-9);  // the cell plus CorrTab0
}

TEST_F(TablesTest, TychoServesTheSunAndTheMoonOnly) {
  scr.objectNo = 4;
  ASSERT_TRUE(SelectTab(s, scr, entry("Tycho")));
  EXPECT_FALSE(scr.dayFromNoon);  // Tycho's day begins at midnight
  s.Lk[4] = 123.5;
  s.Bk[4] = -4.25;
  date(1590, 5, 5.5, 2301857.0);
  EXPECT_TRUE(sink.messages.empty());  // the choice itself asks nothing of Mars
  // A run asks for Mars: the table and the object are named, nothing is read.
  EXPECT_FALSE(TabEval(s));
  EXPECT_EQ(s.kStop, 1);
  EXPECT_EQ(s.Lk[4], 123.5);
  EXPECT_EQ(s.Bk[4], -4.25);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first, "Таблица Tycho не вычисляет объект 4 (Марс)");
  EXPECT_EQ(sink.messages[0].second, "Orvant7.0");
  // Every object a table has no cells for, and every object of a table without cells.
  struct Case {
    const char* table;
    int object;
    const char* message;
  } cases[] = {
      {"AlBattani", 3, "Таблица AlBattani не вычисляет объект 3 (Земля)"},
      {"Almagest", 5, "Таблица Almagest не вычисляет объект 5 (Юпитер)"},
      {"Wing", 10, "Таблица Wing не вычисляет объект 10 (Ксена)"},
      {"HandyTables", 0, "Таблица HandyTables не вычисляет объект 0 (Солнце)"},
  };
  for (const Case& c : cases) {
    s.ObsName = c.table;
    ASSERT_TRUE(TabOpen(s, c.table)) << c.table;
    s.Npl = c.object;
    EXPECT_FALSE(TabEval(s)) << c.table;
    EXPECT_EQ(sink.messages.back().first, c.message);
  }
}

TEST_F(TablesTest, TablesWithoutCellsOpenButExchangeNothing) {
  scr.objectNo = 0;
  s.Lk[0] = 42;
  ASSERT_TRUE(SelectTab(s, scr, 5));
  EXPECT_EQ(s.ObsName, "HandyTables");
  EXPECT_TRUE(TabIsOpen(s));
  EXPECT_EQ(engine->exchanges, 0);
  EXPECT_EQ(s.Lk[0], 42);
  // Entry 0 closes the workbook.
  ASSERT_TRUE(SelectTab(s, scr, 0));
  EXPECT_FALSE(TabIsOpen(s));
  EXPECT_EQ(engine->openBooks(), 0);
}

TEST_F(TablesTest, TheSameTableReopensNothingAnotherCloses) {
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("Wing")));
  ASSERT_TRUE(SelectTab(s, scr, entry("Wing")));
  EXPECT_EQ(engine->openBooks(), 1);
  ASSERT_TRUE(SelectTab(s, scr, entry("AlBattani")));
  EXPECT_EQ(engine->openBooks(), 1);
  ChooseSrcObs(s);
  EXPECT_EQ(engine->openBooks(), 0);
  EXPECT_EQ(s.SrcKind, "Obs");
  EXPECT_EQ(s.ObsName, "");
}

// A missing workbook: the path, and for a table whose workbook is not shipped the line that says
// so and where the cells of one's own workbook are described.
TEST_F(TablesTest, AMissingWorkbook) {
  engine = std::make_shared<MemorySpreadsheet>();
  s.TabEngine = engine;
  const std::string notShipped =
      "\nЭта книга не поставляется с программой; ячейки, которые должна иметь ваша книга, "
      "описаны в docs/tables.md (см. README)";
  for (const auto& [name, extra] : {std::pair<std::string, std::string>{"Wing", notShipped},
                                    {"RudolphineTables", notShipped},
                                    {"Almagest", ""}}) {
    SCOPED_TRACE(name);
    sink.messages.clear();
    scr = SourceScreen{};
    ASSERT_FALSE(SelectTab(s, scr, entry(name)));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, "Не найдена таблица\n" + path(name) + extra);
    EXPECT_EQ(sink.messages[0].second, "Orvant6");
    EXPECT_FALSE(TabIsOpen(s));
  }
}

TEST_F(TablesTest, CellsThatAreNotNumbers) {
  const TabCellMap& m = *tabCellMap("AlBattani");
  struct Case {
    CellValue value;
    const char* what;
  } cases[] = {{CellValue{CellValue::Kind::Text, 0, "нет"}, "text"},
               {CellValue{CellValue::Kind::Error, 0, "#VALUE!"}, "error"},
               {CellValue{}, "empty"}};
  for (const Case& c : cases) {
    auto book = linearBook("AlBattani", 9);
    book.formulas.erase(m.objects[0].l);
    book.cells[m.objects[0].l] = c.value;
    auto e = std::make_shared<MemorySpreadsheet>();
    e->add(path("AlBattani"), book);
    State t;
    t.workDir = s.workDir;
    test::RecordingSink sk;
    t.sink = &sk;
    t.TabEngine = e;
    SourceScreen sc;
    sc.objectNo = 0;
    t.Lk[0] = 77;
    EXPECT_FALSE(SelectTab(t, sc, entry("AlBattani"))) << c.what;
    EXPECT_EQ(t.kStop, 1) << c.what;
    EXPECT_EQ(t.Lk[0], 77) << c.what;
    ASSERT_EQ(sk.messages.size(), 1u) << c.what;
    EXPECT_EQ(sk.messages[0].first, "Ошибка вычислений в таблицах AlBattani\nобъект 0 (Солнце)");
    EXPECT_EQ(sk.messages[0].second, "Orvant7.0");
  }
  // A text that reads as a number is taken.
  auto book = linearBook("AlBattani", 9);
  book.formulas.erase(m.objects[0].l);
  book.cells[m.objects[0].l] = CellValue{CellValue::Kind::Text, 0, " 12,5 "};
  auto e = std::make_shared<MemorySpreadsheet>();
  e->add(path("AlBattani"), book);
  s.TabEngine = e;
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("AlBattani")));
  EXPECT_DOUBLE_EQ(s.Lk[0], 12.5);
}

TEST_F(TablesTest, AMissingWorksheet) {
  engine->add(path("Wing"), linearBook("Wing", 2));  // the Sun is on sheet 3
  scr.objectNo = 11;                                 // the Moon is on sheet 1
  ASSERT_TRUE(SelectTab(s, scr, entry("Wing")));
  EXPECT_EQ(s.NSheet, 2);
  s.Npl = 0;
  EXPECT_FALSE(TabEval(s));
  EXPECT_EQ(s.kStop, 1);
  EXPECT_EQ(sink.messages.back().first, "Ошибка вычислений в таблицах Wing\nобъект 0 (Солнце)");
}

TEST_F(TablesTest, AnEngineThatDiedIsRestartedOnceThenTheMessage) {
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("AlBattani")));
  date(905, 2, 3, 2051700.0);
  engine->failNext = true;
  ASSERT_TRUE(TabEval(s));  // the workbook was reopened and the exchange repeated
  EXPECT_NEAR(s.Lk[0], 1000 + 905.0203, 1e-9);
  EXPECT_TRUE(sink.messages.empty());
  // An engine that keeps failing: one retry, then the message.
  struct Dying : SpreadsheetEngine {
    std::shared_ptr<MemorySpreadsheet> inner;
    int exchanges = 0;
    SheetStatus open(const std::string& p, int& b, int& n, std::string& e) override {
      return inner->open(p, b, n, e);
    }
    SheetStatus exchange(int, const std::vector<CellWrite>&, const std::vector<CellRef>&,
                         std::vector<CellValue>&, std::string& e) override {
      ++exchanges;
      e = "dead";
      return SheetStatus::EngineFailed;
    }
    void close(int b) override { inner->close(b); }
  };
  auto dying = std::make_shared<Dying>();
  dying->inner = engine;
  s.TabEngine = dying;
  ASSERT_TRUE(TabOpen(s, "AlBattani"));
  s.kStop = 0;
  EXPECT_FALSE(TabEval(s));
  EXPECT_EQ(dying->exchanges, 2);
  EXPECT_EQ(s.kStop, 1);
  EXPECT_EQ(sink.messages.back().first, "Ошибка вычислений в таблицах AlBattani\nобъект 0 (Солнце)");
}

TEST_F(TablesTest, AWorkbookTheRestartedEngineForgotIsReopened) {
  // Two sources share the engine (screens 10 and 16); the engine restarted for one of them
  // and forgot the other's workbook.
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("AlBattani")));
  State other;
  other.workDir = s.workDir;
  other.TabEngine = engine;
  other.NSheet = 10;
  ASSERT_TRUE(TabOpen(other, "Wing"));
  engine->failNext = true;  // dies in the exchange of the first source, forgetting both
  date(905, 2, 3, 2051700.0);
  ASSERT_TRUE(TabEval(s));
  other.ObsName = "Wing";
  other.Npl = 11;
  other.YearNab = 1650;
  other.MonthNab = 1;
  other.DayNab = 1;
  ASSERT_TRUE(TabEval(other));
  EXPECT_NEAR(other.Lk[11], 12000 + 1650.0101, 1e-9);
}

TEST_F(TablesTest, NonFiniteDatesAreNotWritten) {
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("AlBattani")));
  const int before = engine->exchanges;
  s.DayNab = std::nan("");
  EXPECT_FALSE(TabEval(s));
  EXPECT_EQ(engine->exchanges, before);
  EXPECT_EQ(s.kStop, 1);
}

// Dates evaluated ahead in one batch give exactly what each evaluation gives by itself: the same
// longitudes, latitudes, CorrTab and precession shift, without asking the engine again.
TEST_F(TablesTest, PrefetchedDatesGiveTheValuesOfTheirOwnEvaluations) {
  struct Case {
    const char* table;
    std::vector<int> objects;
    bool precTab;
  };
  const Case cases[] = {
      {"Almagest", {0, 4}, false},     // computed CorrTab, Mars' latitude sense
      {"AlKhwarizmi", {11}, true},     // CorrTab read and added, precession option
      {"AlfonsoTab", {0, 11}, false},  // CorrTab read
      {"Tycho", {0, 11, 2}, false},    // an object the table does not serve
  };
  const std::vector<TabDate> dates = {
      {1200, 1, 1, 0}, {1200, 1, 1.5, 12}, {1201, 7, 31.25, 6.000000000000001}, {1202, 12, 30.99, 23.76}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    scr.objectNo = c.objects.front();
    scr.precTab = c.precTab;
    ASSERT_TRUE(SelectTab(s, scr, entry(c.table)));
    struct Result {
      std::array<double, 12> L, B;
      double corr, prec;
    };
    auto evaluate = [&](const TabDate& d, Result& r) {
      s.YearNab = d.year;
      s.MonthNab = d.month;
      s.DayNab = d.day;
      s.HourNab = d.hours;
      s.JD = s.JDep + 100 * d.day;
      s.Lk.fill(-1);
      s.Bk.fill(-1);
      ASSERT_TRUE(TabEvalObjects(s, c.objects, c.precTab)) << s.lastMessage;
      for (int i = 0; i < 12; ++i) r.L[i] = s.Lk[i], r.B[i] = s.Bk[i];
      r.corr = s.CorrTab;
      r.prec = s.PrecShift;
    };
    std::vector<Result> single(dates.size());
    for (std::size_t k = 0; k < dates.size(); ++k) evaluate(dates[k], single[k]);
    ASSERT_TRUE(SelectTab(s, scr, entry("Almagest")));  // another workbook: nothing kept
    ASSERT_TRUE(SelectTab(s, scr, entry(c.table)));
    EXPECT_FALSE(TabPrefetched(s, dates[0], c.objects));
    ASSERT_TRUE(TabPrefetch(s, dates, c.objects));
    const int exchanges = engine->exchanges;
    for (std::size_t k = 0; k < dates.size(); ++k) {
      EXPECT_TRUE(TabPrefetched(s, dates[k], c.objects));
      EXPECT_FALSE(TabPrefetched(s, dates[k], {1}));  // other objects: other cells
      Result r;
      evaluate(dates[k], r);
      EXPECT_EQ(std::memcmp(&r, &single[k], sizeof r), 0) << "date " << k;
    }
    EXPECT_EQ(engine->exchanges, exchanges);
    // A date that was not asked for goes to the engine.
    Result r;
    evaluate(TabDate{1300, 2, 3, 0}, r);
    EXPECT_EQ(engine->exchanges, exchanges + 1);
  }
}

TEST_F(TablesTest, AFailedOrImpossibleBatchKeepsNothing) {
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("Almagest")));
  const std::vector<int> sun{0};
  // A date that cannot be written: nothing is asked for.
  const int before = engine->exchanges;
  EXPECT_FALSE(TabPrefetch(s, {{607, 1, 1, 0}, {607, 1, 3e9, 0}}, sun));
  EXPECT_EQ(engine->exchanges, before);
  // The engine dies in the batch: nothing kept, the evaluation at the date reopens the workbook
  // and gives its value.
  engine->failNext = true;
  EXPECT_FALSE(TabPrefetch(s, {{607, 1, 1, 0}}, sun));
  EXPECT_FALSE(TabPrefetched(s, {607, 1, 1, 0}, sun));
  s.YearNab = 607, s.MonthNab = 1, s.DayNab = 1, s.HourNab = 0;
  EXPECT_TRUE(TabEval(s)) << s.lastMessage;
  EXPECT_EQ(s.kStop, 0);
  // No workbook: nothing.
  TabClose(s);
  EXPECT_FALSE(TabPrefetch(s, {{607, 1, 1, 0}}, sun));
}

TEST(TableCatalogue, EveryCaptionedTableHasACellMapAndTheSheetsItReads) {
  for (const auto& e : kTabCatalogue) {
    if (e.caption.empty()) continue;
    const TabCellMap* m = tabCellMap(e.name);
    ASSERT_NE(m, nullptr) << e.name;
    for (const auto& o : m->objects) {
      if (!o.served) continue;
      EXPECT_LE(o.l.sheet, e.nSheet) << e.name;
      if (o.hasB) {
        EXPECT_LE(o.b.sheet, e.nSheet) << e.name;
      }
    }
    if (m->corr == TabCellMap::Corr::Cell) {
      EXPECT_LE(m->corrCell.sheet, e.nSheet) << e.name;
    }
  }
  EXPECT_EQ(tabCellMap("HandyTables"), nullptr);
  EXPECT_EQ(tabCellMap("ToledanTables"), nullptr);
}

}  // namespace
}  // namespace orvant
