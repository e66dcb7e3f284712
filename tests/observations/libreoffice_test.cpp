// The cell map against the test workbooks evaluated by LibreOffice Calc, the failures of real
// workbooks and of the engine, the engine's processes, and the Almagest workbook against an
// independent computation of Ptolemy's models.
//
// The test workbooks (tests/observations/workbooks/*.fods, written by
// tools/spreadsheet/make_test_workbooks.py from the table layouts typed there) are converted to
// .xls by the engine once for the suite. Without LibreOffice and python3-uno the tests are skipped.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <complex>
#include <filesystem>
#include <optional>

#include "model/calendar.h"
#include "model/textfile.h"
#include "obs_test_util.h"
#include "support/wait.h"
#include "observations/sources.h"

namespace orvant {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = ORVANT_SOURCE_DIR;

// True when no process of the group is left (waits for it to end, up to the hang guard).
bool groupGone(int pgid) {
  return test::waitUntil([&] { return ::kill(-pgid, 0) != 0 && errno == ESRCH; });
}

class LibreOfficeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    engine_ = new std::shared_ptr<LibreOfficeEngine>(std::make_shared<LibreOfficeEngine>());
    std::string error;
    if ((*engine_)->start(error) != SheetStatus::Ok) {
      skip_ = "LibreOffice Calc with python3-uno is not available (" + error +
              "); install libreoffice-calc-nogui python3-uno to run these tests";
      return;
    }
    library_ = new test::TempDir;
    std::vector<std::pair<fs::path, std::string>> books;
    for (const auto& f : fs::directory_iterator(kSource / "tests/observations/workbooks"))
      if (f.path().extension() == ".fods") books.emplace_back(f.path(), f.path().stem().string());
    books.emplace_back(kSource / "data/workbooks/Almagest.fods", "AlmagestReal");
    for (const auto& [from, name] : books) {
      const std::string to = (library_->path() / (name + ".xls")).string();
      if ((*engine_)->convert(from.string(), to, error) != SheetStatus::Ok) {
        skip_ = "conversion of " + from.string() + " failed: " + error;
        return;
      }
    }
  }
  static void TearDownTestSuite() {
    delete engine_;
    delete library_;
    engine_ = nullptr;
    library_ = nullptr;
  }
  void SetUp() override {
    if (!skip_.empty()) GTEST_SKIP() << skip_;
    s.workDir = dir.str();
    s.sink = &sink;
    s.TabEngine = *engine_;
  }
  void TearDown() override { TabClose(s); }
  // Puts the converted workbook `book` into the work directory as Tab/<as>.xls.
  void install(const std::string& book, const std::string& as) {
    fs::create_directories(dir.path() / "Tab");
    fs::copy_file(library_->path() / (book + ".xls"), dir.path() / "Tab" / (as + ".xls"),
                  fs::copy_options::overwrite_existing);
  }
  static int entry(std::string_view name) {
    for (std::size_t k = 0; k < kTabCatalogue.size(); ++k)
      if (kTabCatalogue[k].name == name) return static_cast<int>(k);
    return -1;
  }
  void date(int y, int m, double day, double jd) {
    s.YearNab = y;
    s.MonthNab = m;
    s.DayNab = day;
    s.HourNab = (day - std::trunc(day)) * 24;
    s.JD = jd;
  }

  // Held by plain pointers, deleted by TearDownTestSuite: a forked child that exits must not run
  // their destructors (which would remove the converted workbooks).
  static inline std::shared_ptr<LibreOfficeEngine>* engine_ = nullptr;
  static inline test::TempDir* library_ = nullptr;
  static inline std::string skip_;
  test::TempDir dir;
  test::RecordingSink sink;
  State s;
  SourceScreen scr;
};

TEST_F(LibreOfficeTest, EveryTableReceivesTheDateAndGivesEachObjectsCells) {
  const std::vector<int> objects = {0, 1, 2, 4, 11};
  for (const auto& e : kTabCatalogue) {
    if (e.caption.empty()) continue;
    const std::string name(e.name);
    SCOPED_TRACE(name);
    install(name, name);
    scr = SourceScreen{};
    scr.objectNo = 0;
    ASSERT_TRUE(SelectTab(s, scr, entry(name)));
    ASSERT_EQ(s.NSheet, e.nSheet);
    for (double day : {14.75, 15.25}) {  // an even and an odd whole day
      for (int o : objects) {
        s.Lk[o] = -1;
        s.Bk[o] = -2;
      }
      date(e.year + 7, 5, day, s.JDep + 2600.5);
      ASSERT_TRUE(TabEvalObjects(s, objects));
      const double hours = (day - std::trunc(day)) * 24;
      const double d = (e.year + 7) + 5.0 / 100 + std::trunc(day) / 1e4 + hours / 1e6;
      double corr = 0;
      if (name == "Almagest") corr = 3.9 + 2600.5 / 36525;
      else if (name != "AlBattani" && name != "Tycho" && name != "Wing") corr = 7 + d / 1000;
      EXPECT_NEAR(s.CorrTab, corr, 1e-12);
      for (int o : objects) {
        SCOPED_TRACE(o);
        const bool served = name != "Tycho" || o == 0 || o == 11;
        if (!served) {
          EXPECT_EQ(s.Lk[o], -1);
          EXPECT_EQ(s.Bk[o], -2);
          continue;
        }
        double l = 1000 * (o + 1) + d;
        if (name == "AlKhwarizmi") l += corr;
        EXPECT_NEAR(s.Lk[o], l, 1e-9);
        const bool noLatitude = o == 0 || (name == "AlfonsoTab" && o != 11);
        double b = noLatitude ? 0 : -(1000 * (o + 1) + 500 + d);
        if (name == "Almagest" && o == 4 && std::fmod(std::trunc(day), 2) == 1) b = -b;  // "S"
        EXPECT_NEAR(s.Bk[o], b, 1e-9);
      }
    }
  }
  EXPECT_TRUE(sink.messages.empty());
}

// A batch runs its loop inside the engine, and writes and reads the cells as evaluations cell by
// cell do: every value, for every table (dense and sparse date cells, numbers, texts, an empty cell, a
// missing sheet) and for the real Almagest, is the same to the last bit.
TEST_F(LibreOfficeTest, BatchesGiveTheValuesOfSingleEvaluationsToTheLastBit) {
  std::vector<std::pair<std::string, std::string>> books;  // workbook, table
  for (const auto& e : kTabCatalogue)
    if (tabCellMap(e.name)) books.emplace_back(std::string(e.name), std::string(e.name));
  books.emplace_back("AlmagestReal", "Almagest");
  for (const auto& [book, table] : books) {
    SCOPED_TRACE(book);
    install(book, book);
    const TabCellMap& m = *tabCellMap(table);
    std::vector<CellRef> reads = {CellRef{99, "A1"}, CellRef{1, "ZZ999"}};  // no sheet, empty
    if (m.corr == TabCellMap::Corr::Cell) reads.push_back(m.corrCell);
    for (const TabObjectCells& o : m.objects) {
      if (!o.served) continue;
      reads.push_back(o.l);
      if (o.hasB) reads.push_back(o.b);
      if (o.hasSouthFlag) reads.push_back(o.southFlag);
    }
    std::vector<std::vector<CellWrite>> writes;
    for (int k = 0; k < 40; ++k) {
      const double hours = std::fmod(k * 7.123456789012345, 24);
      writes.push_back({{m.year, 600.0 + 17 * k, true}, {m.month, 1.0 + k % 12, true},
                        {m.day, 1.0 + (k * 7) % 30, true}, {m.hours, hours, false}});
    }
    int handle = 0, sheets = 0;
    std::string error;
    ASSERT_EQ((*engine_)->open((dir.path() / "Tab" / (book + ".xls")).string(), handle, sheets,
                               error),
              SheetStatus::Ok)
        << error;
    std::vector<std::vector<CellValue>> batch;
    ASSERT_EQ((*engine_)->exchangeBatch(handle, writes, reads, batch, error), SheetStatus::Ok)
        << error;
    ASSERT_EQ(batch.size(), writes.size());
    for (std::size_t k = 0; k < writes.size(); ++k) {
      std::vector<CellValue> single;
      ASSERT_EQ((*engine_)->exchangeCellByCell(handle, writes[k], reads, single, error),
                SheetStatus::Ok);
      ASSERT_EQ(batch[k].size(), single.size());
      for (std::size_t r = 0; r < single.size(); ++r) {
        SCOPED_TRACE(reads[r].addr);
        EXPECT_EQ(batch[k][r].kind, single[r].kind);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(batch[k][r].number),
                  std::bit_cast<std::uint64_t>(single[r].number));
        EXPECT_EQ(batch[k][r].text, single[r].text);
      }
      EXPECT_EQ(single[0].kind, CellValue::Kind::NoSheet);
      EXPECT_EQ(single[1].kind, CellValue::Kind::Empty);
    }
    (*engine_)->close(handle);
  }
}

TEST_F(LibreOfficeTest, PrecessionOptionAtTheStartDate) {
  for (const char* name : {"Streete", "AlKhwarizmi"}) {
    SCOPED_TRACE(name);
    install(name, name);
    scr = SourceScreen{};
    scr.objectNo = 11;
    scr.precTab = true;
    ASSERT_TRUE(SelectTab(s, scr, entry(name)));
    const int year = kTabCatalogue[entry(name)].year;
    date(year, 1, 1, s.JDep);
    ASSERT_TRUE(TabEval(s, true));
    const double cell = 12000 + year + 0.01 + 0.0001;
    // Streete: the cell itself; al-Khwarizmi: the cell plus CorrTab0.
    const double expected = std::string(name) == "AlKhwarizmi" ? cell + s.CorrTab0 : cell;
    EXPECT_NEAR(s.Lk[11], expected, 1e-9);
    EXPECT_EQ(s.PrecShift, 0);
  }
}

TEST_F(LibreOfficeTest, TextErrorAndEmptyCellsGiveTheCalculationMessage) {
  install("AlBattaniBad", "AlBattani");
  scr.objectNo = 4;
  ASSERT_TRUE(SelectTab(s, scr, entry("AlBattani")));  // Mars is fine
  for (int o : {0, 1, 2}) {                             // a text, an error value, an empty cell
    SCOPED_TRACE(o);
    sink.messages.clear();
    s.kStop = 0;
    s.Npl = o;
    s.Lk[o] = 55;
    date(900, 1, 1, s.JDep);
    EXPECT_FALSE(TabEval(s));
    EXPECT_EQ(s.kStop, 1);
    EXPECT_EQ(s.Lk[o], 55);
    ASSERT_EQ(sink.messages.size(), 1u);
    const char* names[] = {"Солнце", "Меркурий", "Венера"};
    EXPECT_EQ(sink.messages[0].first, "Ошибка вычислений в таблицах AlBattani\nобъект " +
                                          std::to_string(o) + " (" + names[o] + ")");
    EXPECT_EQ(sink.messages[0].second, "Orvant7.0");
  }
}

TEST_F(LibreOfficeTest, AMissingSheetAndAMissingOrBrokenWorkbook) {
  install("WingShort", "Wing");
  scr.objectNo = 11;
  ASSERT_TRUE(SelectTab(s, scr, entry("Wing")));
  EXPECT_EQ(s.NSheet, 2);
  s.Npl = 0;  // the Sun is on sheet 3
  EXPECT_FALSE(TabEval(s));
  EXPECT_EQ(sink.messages.back().first, "Ошибка вычислений в таблицах Wing\nобъект 0 (Солнце)");

  sink.messages.clear();
  scr = SourceScreen{};
  ASSERT_FALSE(SelectTab(s, scr, entry("Tycho")));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].first,
            "Не найдена таблица\n" + (dir.path() / "Tab/Tycho.xls").string() + "\n" +
                std::string(kMsgTabNotShipped));
  EXPECT_EQ(sink.messages[0].second, "Orvant6");

  // Bytes that are no workbook: refused when opened, or at the latest when a cell is read.
  sink.messages.clear();
  std::string junk(3000, '\0');
  for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919) % 251);
  dir.write("Tab/Streete.xls", junk);
  scr = SourceScreen{};
  EXPECT_FALSE(SelectTab(s, scr, entry("Streete")));
  ASSERT_EQ(sink.messages.size(), 1u);
  const std::string& m = sink.messages[0].first;
  EXPECT_TRUE(m.rfind("Не найдена таблица", 0) == 0 ||
              m.rfind("Ошибка вычислений в таблицах Streete\n", 0) == 0)
      << m;
}

TEST_F(LibreOfficeTest, AnEngineKilledInARunIsRestartedByTheNextEvaluation) {
  auto own = std::make_shared<LibreOfficeEngine>();
  s.TabEngine = own;
  install("Tycho", "Tycho");
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("Tycho"))) << s.lastMessage;
  const int pgid = own->processGroup();
  ASSERT_GT(pgid, 0);
  ::kill(-pgid, SIGKILL);
  date(1585, 2, 3.5, s.JDep + 1000);
  ASSERT_TRUE(TabEval(s)) << s.lastMessage;
  EXPECT_NEAR(s.Lk[0], 1000 + 1585 + 0.02 + 0.0003 + 12e-6, 1e-9);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_NE(own->processGroup(), pgid);
  EXPECT_TRUE(groupGone(pgid));  // the dead engine was reaped
  const int second = own->processGroup();
  TabClose(s);
  own->stop();
  EXPECT_TRUE(groupGone(second));
}

// The engine of a program ends with the program: at exit, on std::terminate, and when the
// program is killed outright.
TEST_F(LibreOfficeTest, NoEngineProcessOutlivesTheProgram) {
  for (int how : {0, 1, 2}) {
    SCOPED_TRACE(how);
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(fds[0]);
      std::string error;
      auto e = sessionLibreOffice();
      int pgid = e->start(error) == SheetStatus::Ok ? e->processGroup() : 0;
      (void)!::write(fds[1], &pgid, sizeof pgid);
      ::close(fds[1]);
      if (how == 0) std::exit(0);
      if (how == 1) std::terminate();
      ::pause();  // killed by the parent
      ::_exit(0);
    }
    ::close(fds[1]);
    int pgid = 0;
    ASSERT_EQ(::read(fds[0], &pgid, sizeof pgid), static_cast<ssize_t>(sizeof pgid));
    ::close(fds[0]);
    ASSERT_GT(pgid, 0);
    if (how == 2) ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(groupGone(pgid)) << "engine group " << pgid << " still alive";
    if (::kill(-pgid, 0) == 0) ::kill(-pgid, SIGKILL);
  }
}

// Without the engine (no LibreOffice, no python3-uno, no bridge): "Не найдена таблица" with the
// path and one line naming the packages. Runs without LibreOffice too.
TEST(LibreOfficeMissing, TheMessageNamesThePackages) {
  test::TempDir dir;
  dir.write("Tab/Almagest.xls", "not read");
  // A Python without the uno module answers as the bridge does.
  dir.write("python3", "#!/bin/sh\nprintf 'ERR\\tNOUNO\\tNo module named uno\\n'\n");
  fs::permissions(dir.path() / "python3", fs::perms::owner_all);
  struct Env {
    const char* name;
    std::string old;
    bool had;
    Env(const char* n, const std::string& value) : name(n), had(std::getenv(n) != nullptr) {
      if (had) old = std::getenv(n);
      ::setenv(n, value.c_str(), 1);
    }
    ~Env() { had ? (void)::setenv(name, old.c_str(), 1) : (void)::unsetenv(name); }
  };
  for (int variant : {0, 1, 2}) {
    SCOPED_TRACE(variant);
    std::optional<Env> env;
    if (variant == 0) env.emplace("ORVANT_BRIDGE", (dir.path() / "no_bridge.py").string());
    if (variant == 1) env.emplace("ORVANT_PYTHON", (dir.path() / "python3").string());
    if (variant == 2) env.emplace("ORVANT_PYTHON", (dir.path() / "no_python3").string());
    State s;
    test::RecordingSink sink;
    s.sink = &sink;
    s.workDir = dir.str();
    s.TabEngine = std::make_shared<LibreOfficeEngine>();
    SourceScreen scr;
    EXPECT_FALSE(SelectTab(s, scr, 4));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].first, "Не найдена таблица\n" +
                                          (dir.path() / "Tab/Almagest.xls").string() +
                                          "\nУстановите пакеты: libreoffice-calc-nogui python3-uno");
    EXPECT_EQ(sink.messages[0].second, "Orvant6");
  }
}

// Ptolemy's solar model computed here from the parameters of Almagest III (Toomer's translation):
// epoch Nabonassar 1 Thoth 1 noon, mean longitude 330;45 deg, daily motion 0;59,8,17,13,12,31,
// apogee 65;30 deg, eccentricity 2;30 of 60.
double ptolemySun(int year, int month, double day, double hours) {
  const double pi = std::acos(-1.0);
  const double t = 365.0 * (year - 1) + 30.0 * (month - 1) + (day - 1) + hours / 24;
  const double n = 59 / 60.0 + 8 / 3600.0 + 17 / std::pow(60, 3) + 13 / std::pow(60, 4) +
                   12 / std::pow(60, 5) + 31 / std::pow(60, 6);
  const double mean = std::fmod(330.75 + n * t, 360.0);
  const double a = (mean - 65.5) * pi / 180;
  const double q = std::atan2(2.5 * std::sin(a), 60 + 2.5 * std::cos(a)) * 180 / pi;
  return std::fmod(mean - q + 360, 360.0);
}

// The Moon by the first model of Almagest IV: epoch values 41;22 (longitude), 268;49 (anomaly),
// 354;15 (argument of latitude from the northern limit); epicycle 5;15 of 60; inclination 5 deg.
void ptolemyMoon(int year, int month, double day, double hours, double& l, double& b) {
  const double pi = std::acos(-1.0), rad = pi / 180;
  const double t = 365.0 * (year - 1) + 30.0 * (month - 1) + (day - 1) + hours / 24;
  auto sexa = [](std::initializer_list<int> d) {
    double v = 0, f = 1;
    for (int x : d) {
      v += x * f;
      f /= 60;
    }
    return v;
  };
  const double mean = 41 + 22 / 60.0 + sexa({13, 10, 34, 58, 33, 30, 30}) * t;
  const double anomaly = 268 + 49 / 60.0 + sexa({13, 3, 53, 56, 17, 51, 59}) * t;
  const double lat = 354 + 15 / 60.0 + sexa({13, 13, 45, 39, 48, 56, 37}) * t;
  const double p = std::atan2(5.25 * std::sin(anomaly * rad), 60 + 5.25 * std::cos(anomaly * rad)) / rad;
  l = std::fmod(std::fmod(mean - p, 360.0) + 360, 360.0);
  b = std::asin(std::sin(5 * rad) * std::cos((lat - p) * rad)) / rad;
}

// Ptolemy's planetary models computed here from the parameters of Almagest IX-XIII (Toomer's
// translation), on the complex plane with the apsidal line as real axis: the epicycle's centre
// is where the ray from the equant at angle kappa meets the deferent; Mercury's deferent centre
// turns backwards on a circle of radius e about the point 2e.
struct PtolemyPlanet {
  double l0, a0, apogee0;             // epoch: mean longitude, mean anomaly, apogee (deg)
  std::initializer_list<int> nl, na;  // daily mean motions, sexagesimal digits
  double e, r;                        // eccentricity, epicycle radius (deferent 60)
  bool mercury, outer;
  double lat1, lat2, lat3, sense;  // Mars: 1, 2;15, limit 0; Venus/Mercury: deviation, inclination, slant
};

double sexagesimal(std::initializer_list<int> d) {
  double v = 0, f = 1;
  for (int x : d) {
    v += x * f;
    f /= 60;
  }
  return v;
}

void ptolemyPlanet(const PtolemyPlanet& p, double t, double& l, double& b) {
  using C = std::complex<double>;
  const double rad = std::acos(-1.0) / 180;
  const double mean = p.l0 + sexagesimal(p.nl) * t, anomaly = p.a0 + sexagesimal(p.na) * t;
  const double apogee = p.apogee0 + t / 36500;  // 1 degree in 100 Egyptian years
  const double kappa = (mean - apogee) * rad;
  const C u = std::polar(1.0, kappa);
  const C equant = p.mercury ? p.e : 2 * p.e;
  const C centre = p.mercury ? C(2 * p.e) + std::polar(p.e, -kappa) : C(p.e);
  // |equant + s u - centre| = 60, the root with s > 0.
  const C w = equant - centre;
  const double half = std::real(w * std::conj(u));
  const double s = -half + std::sqrt(half * half - std::norm(w) + 3600);
  const C epicycle = equant + s * u;
  const C planet = epicycle + std::polar(p.r, kappa + anomaly * rad);
  l = std::fmod(std::fmod(apogee + std::arg(planet) / rad, 360.0) + 360, 360.0);
  const double phi = std::arg(epicycle), alpha = kappa + anomaly * rad - phi;
  const double along = p.r * std::cos(alpha), across = p.r * std::sin(alpha);
  if (p.outer) {
    const double h = -along * std::sin(p.lat2 * rad), in = along * std::cos(p.lat2 * rad);
    const double c = std::cos(phi - p.lat3 * rad);
    // At the limit (centre at 60 +- e) the point below the planet on the epicycle's diameter
    // towards the Earth, then the planet as high but farther.
    const double m = (c >= 0 ? 60 + p.e : 60 - p.e) + in, k = std::hypot(m, h);
    b = c * (p.lat1 + std::atan2(h, m) / rad) * k / std::hypot(k, across);
  } else {
    const double d = std::hypot(60 + along, across);
    b = p.lat1 * std::fabs(std::cos(phi)) +
        p.sense * (std::sin(phi) * std::atan(along * std::sin(p.lat2 * rad) / d) +
                   std::cos(phi) * std::atan(across * std::sin(p.lat3 * rad) / d)) / rad;
  }
}

const PtolemyPlanet kMercury{330.75, 21 + 55 / 60.0, 181 + 10 / 60.0, {0, 59, 8, 17, 13, 12, 31},
                             {3, 6, 24, 6, 59, 35, 50}, 3, 22.5, true, false, -0.75, 6.25, 7, -1};
const PtolemyPlanet kVenus{330.75, 71 + 7 / 60.0, 46 + 10 / 60.0, {0, 59, 8, 17, 13, 12, 31},
                           {0, 36, 59, 25, 53, 11, 28}, 1.25, 43 + 10 / 60.0, false, false,
                           10 / 60.0, 2.5, 3.5, 1};
const PtolemyPlanet kMars{3 + 32 / 60.0, 327 + 13 / 60.0, 106 + 40 / 60.0, {0, 31, 26, 36, 53, 51, 33},
                          {0, 27, 41, 40, 19, 20, 58}, 6, 39.5, false, true, 1, 2.25, 0, 1};

// Every object of the Almagest workbook, through the cell map and LibreOffice, against the models
// computed above, at dates from the epoch to the late Middle Ages (Nabonassar 1, 300 BC, the
// catalogue's start, Ptolemy's own years, AD 450 and AD 1200, one of them an epagomenal day).
TEST_F(LibreOfficeTest, AlmagestEveryObjectAgainstPtolemysModels) {
  install("AlmagestReal", "Almagest");
  scr.objectNo = 0;
  ASSERT_TRUE(SelectTab(s, scr, entry("Almagest")));
  EXPECT_NEAR(s.Lk[0], ptolemySun(607, 3, 23, 0), 1e-6);
  struct D {
    int y, m;
    double day;
  } dates[] = {{1, 1, 1.0}, {448, 5, 17.5}, {607, 3, 23.0}, {886, 11, 15.375},
               {1197, 13, 4.75}, {1947, 8, 29.125}};
  const std::vector<int> objects = {0, 1, 2, 4, 11};
  for (const D& d : dates) {
    SCOPED_TRACE(d.y);
    const double hours = (d.day - std::trunc(d.day)) * 24;
    const double t = 365.0 * (d.y - 1) + 30.0 * (d.m - 1) + (std::trunc(d.day) - 1) + hours / 24;
    date(d.y, d.m, d.day, s.JDep);
    ASSERT_TRUE(TabEvalObjects(s, objects));
    struct Expect {
      int object;
      double l, b;
    };
    std::vector<Expect> expect(5);
    expect[0] = {0, ptolemySun(d.y, d.m, std::trunc(d.day), hours), 0};
    expect[1].object = 11;
    ptolemyMoon(d.y, d.m, std::trunc(d.day), hours, expect[1].l, expect[1].b);
    const std::pair<int, const PtolemyPlanet*> planets[] = {{1, &kMercury}, {2, &kVenus}, {4, &kMars}};
    for (int k = 0; k < 3; ++k) {
      expect[2 + k].object = planets[k].first;
      ptolemyPlanet(*planets[k].second, t, expect[2 + k].l, expect[2 + k].b);
    }
    for (const Expect& e : expect) {
      SCOPED_TRACE(e.object);
      EXPECT_NEAR(std::remainder(s.Lk[e.object] - e.l, 360.0), 0, 1e-6);
      EXPECT_NEAR(s.Bk[e.object], e.b, 1e-6);
    }
  }
  // Outside the model: Mars at the observation of Almagest X.8 (Antoninus 2, Epiphi 15, three
  // hours before midnight), which Ptolemy saw at Sagittarius 1;36; in the sky it was then about
  // 3 degrees south of the ecliptic.
  date(886, 11, 15.375, s.JDep);
  s.Npl = 4;
  ASSERT_TRUE(TabEval(s));
  EXPECT_NEAR(s.Lk[4], 241.6, 0.05);
  EXPECT_LT(s.Bk[4], -3);  // Mars near opposition in Sagittarius, south of the ecliptic
  // At the epoch itself: the true Sun is the mean 330;45 less the equation at anomaly 265;15.
  s.Npl = 0;
  date(1, 1, 1, s.JDep);
  ASSERT_TRUE(TabEval(s));
  EXPECT_NEAR(s.Lk[0], 333.1360, 1e-4);
}

// orvant-cli tab-eval: one evaluation of a work directory's workbook, Lk, Bk and CorrTab printed.
TEST_F(LibreOfficeTest, TabEvalCommand) {
  install("AlmagestReal", "Almagest");
  const std::string cmd = std::string(ORVANT_CLI) + " --dir " + dir.str() +
                          " tab-eval Almagest 11 7 9 886 6 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[256];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  EXPECT_EQ(::pclose(p), 0) << out;
  double l = 0, b = 0, corr = 0;
  ASSERT_EQ(std::sscanf(out.c_str(), "Lk = %lf\nBk = %lf\nCorrTab = %lf", &l, &b, &corr), 3) << out;
  double lm = 0, bm = 0;
  ptolemyMoon(886, 9, 7, 6, lm, bm);
  EXPECT_NEAR(l, lm, 1.0 / 3600);
  EXPECT_NEAR(b, bm, 1.0 / 3600);
  EXPECT_NEAR(corr, 3.9, 1e-12);
  // Objects the table has no cells for: refused with the table and the object named, nothing
  // printed as a value (a cell that gives no number is named the same way, TablesTest).
  struct Case {
    const char* object;
    const char* message;
  } cases[] = {{"3", "Таблица Almagest не вычисляет объект 3 (Земля)"},
               {"10", "Таблица Almagest не вычисляет объект 10 (Ксена)"}};
  for (const Case& c : cases) {
    const std::string one = std::string(ORVANT_CLI) + " --dir " + dir.str() + " tab-eval Almagest " +
                            c.object + " 7 9 886 6 2>&1";
    FILE* q = ::popen(one.c_str(), "r");
    ASSERT_NE(q, nullptr);
    std::string text;
    while (std::fgets(buf, sizeof buf, q)) text += buf;
    EXPECT_NE(::pclose(q), 0) << text;
    EXPECT_NE(text.find(c.message), std::string::npos) << text;
    EXPECT_EQ(text.find("Lk ="), std::string::npos) << text;
  }
}

// Screen 10's run without a window: a series of every object the Almagest serves, from its start
// date, goes to its end without a message.
TEST_F(LibreOfficeTest, ReduceRunsASeriesOfEveryAlmagestObject) {
  install("AlmagestReal", "Almagest");
  for (int object : {0, 1, 2, 4, 11}) {
    SCOPED_TRACE(object);
    const std::string cmd = std::string(ORVANT_CLI) + " --dir " + dir.str() +
                            " reduce --source tab --name Almagest --object " +
                            std::to_string(object) + " --end 612 --step 60 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    EXPECT_EQ(::pclose(p), 0) << out;
    EXPECT_EQ(out.find("MESSAGE"), std::string::npos) << out;
    const std::size_t at = out.find("accepted = ");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_GT(std::atoi(out.c_str() + at + 11), 30) << out;
  }
}

}  // namespace
}  // namespace orvant
