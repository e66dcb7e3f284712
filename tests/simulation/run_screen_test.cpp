// Screen 2 driven headless: the boxes of the contract with screen 15, navigation, the messages of
// bad input (and that a refused start changes nothing), failures during a run (the run ends with
// its state kept), the commands on a kept run, and the notices to screen 15.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "model/format.h"
#include "run_fixture.h"
#include "simulation/screens/run_screen.h"
#include "ui/form.h"
#include "ui/memory_form.h"
#include "ui/workbench.h"

namespace orvant::test {
namespace {

using simulation::RunScreen;
namespace fs = std::filesystem;

// A stand-in for screen 15 with the controls screen 2 uses.
class FakePlanScreen : public ui::Screen {
 public:
  FakePlanScreen(State& s, ui::Workbench& wb) : Screen(s, wb, "план") {
    field("expFrom", "", "2");
    field("expTo", "по №", "7");
    hidden("runFinished", [this] { finished.push_back(form().text("runFinished")); });
  }
  std::vector<std::string> finished;
};

struct Desk {
  State state;
  TempDir dir;
  ui::MemoryDesk desk;
  ui::Workbench wb{state, desk.factory()};
  explicit Desk(bool withPlan = false, double M0 = 270) {
    double e6[6];
    mercuryWithAnomaly(M0, e6);
    state = keplerState(1, e6);
    state.workDir = dir.path.string();
    wb.add<RunScreen>(2);
    if (withPlan) wb.add<FakePlanScreen>(15);
  }
  RunScreen& screen() { return wb.screen<RunScreen>(2); }
  ui::Form& form() { return wb.show(2).form(); }
  const ui::Dialog& last() {
    static const ui::Dialog none{};
    return desk.dialogs().empty() ? none : desk.dialogs().back();
  }
};

TEST(RunScreen, ContractControlsAndNavigation) {
  Desk d(true);
  ui::Form& f = d.form();
  const RunScreen& s = d.screen();
  EXPECT_EQ(s.title(), "Моделирование и имитирование движения планет");
  const std::pair<const char*, const char*> boxes[] = {
      {"animation", "Анимация"},
      {"findParams", "Найти показатели планеты №"},
      {"writeRecords", "Записать параметры орбиты в файл"},
      {"kodVgr", "Vgr = Vsv *"},
      {"stopYear", "эксперимент закончить в"},
      {"Xsol0", "Xsol=0"},
      {"Xzem0", "Xzem=0"},
      {"energy", "dEsys, dMsys, %"},
      {"writeXYZ", "Записать координаты  X, Y, Z"},
      {"trajectories", "Траектории "},
  };
  for (const auto& [id, caption] : boxes) EXPECT_EQ(s.control(id).caption, caption) << id;
  for (const char* id : {"Ntr", "VgrFactor", "YearStop", "NExp"}) EXPECT_NO_THROW(f.text(id));
  EXPECT_EQ(s.control("kPgr").caption, "kPgr =");
  EXPECT_EQ(s.control("kodMod").entries, (std::vector<std::string>{"модель", "имитатор"}));
  EXPECT_EQ(s.control("startHidden").kind, ui::Kind::Hidden);
  // Ticking one centre clears the other.
  f.tick("Xzem0", true);
  EXPECT_FALSE(f.checked("Xsol0"));
  f.tick("Xsol0", true);
  EXPECT_FALSE(f.checked("Xzem0"));
  // Screens 6 and 7 are not registered here: their buttons do nothing because they are disabled.
  EXPECT_FALSE(f.enabled("toStat"));
  EXPECT_FALSE(f.enabled("toGravity"));
  EXPECT_TRUE(f.enabled("toPlan"));
  EXPECT_FALSE(f.press("toStat"));
  EXPECT_TRUE(f.press("toPlan"));
  EXPECT_TRUE(d.wb.created(15)->form().shown());
}

TEST(RunScreen, RefusedStartsShowTheirMessageAndChangeNothing) {
  Desk d;
  ui::Form& f = d.form();
  const auto X1 = d.state.X[1];
  const auto m3 = d.state.m[3];
  struct Case {
    const char* what;
    std::function<void(ui::Form&, State&)> set;
    const char* text;
    const char* title;
  };
  const Case cases[] = {
      {"Ntr 11", [](ui::Form& g, State&) { g.type("Ntr", "11"); },
       "номер объекта должен быть от 0 до 10", "Orvant7.0"},
      {"Ntr -1", [](ui::Form& g, State&) { g.type("Ntr", "-1"); },
       "номер объекта должен быть от 0 до 10", "Orvant7.0"},
      {"Ntr text", [](ui::Form& g, State&) { g.type("Ntr", "abc"); }, "Задайте правильно данные",
       "Orvant7"},
      {"parameters of 0", [](ui::Form& g, State&) { g.type("Ntr", "0"); },
       "Номер планеты для вычисления параметров должен быть от 1 до 10", "Orvant7"},
      {"step 0", [](ui::Form& g, State&) { g.type("H0", "0"); }, "Задайте правильно данные",
       "Orvant7"},
      {"NC0 0", [](ui::Form& g, State&) { g.type("NC0", "0"); }, "Задайте правильно данные",
       "Orvant7"},
      {"kShag 1,5", [](ui::Form& g, State&) { g.type("kShag", "1,5"); }, "Задайте правильно данные",
       "Orvant7"},
      {"New0 object 10",
       [](ui::Form& g, State&) {
         g.choose("kodMod", 1);
         g.type("Ntr", "10");
       },
       "     В имитаторах New0 и JPL0 не может быть номер объекта 0 или 10\n"
       "и не может быть задано на форме 1 отдельно движение Луны и Земли",
       "Orvant7.0"},
      {"JPL0 object 0",
       [](ui::Form& g, State&) {
         g.choose("kodMod", 1);
         g.choose("simulator", 1);
         g.tick("findParams", false);
         g.type("Ntr", "0");
       },
       "     В имитаторах New0 и JPL0 не может быть номер объекта 0 или 10\n"
       "и не может быть задано на форме 1 отдельно движение Луны и Земли",
       "Orvant7.0"},
      {"JPL0 Moon mode",
       [](ui::Form& g, State& s) {
         g.choose("kodMod", 1);
         g.choose("simulator", 1);
         s.kodMoon = 1;
       },
       "     В имитаторах New0 и JPL0 не может быть номер объекта 0 или 10\n"
       "и не может быть задано на форме 1 отдельно движение Луны и Земли",
       "Orvant7.0"},
      {"simulator energy in Moon mode",
       [](ui::Form& g, State& s) {
         g.choose("kodMod", 1);
         g.choose("simulator", 2);
         g.tick("energy", true);
         s.kodMoon = 1;
       },
       "В имитаторах энергия системы считается только для Луны вместе с Землей\n"
       "      (если надо то задайте на форме 1 движение Луны и Земли совместное)",
       "Orvant7.0"},
      {"JPL2 object 10 without the Moon",
       [](ui::Form& g, State&) {
         g.choose("kodMod", 1);
         g.choose("simulator", 2);
         g.type("Ntr", "10");
       },
       "     В имитаторе JPL2 объектом 10 может быть только Луна\n"
       "(если надо то задайте на форме 1 отдельно движение Луны и Земли)",
       "Orvant7.0"},
      {"JPL2 date outside DE405",
       [](ui::Form& g, State& s) {
         g.choose("kodMod", 1);
         g.choose("simulator", 2);
         s.JD0 = 2000000.5;
       },
       "В файлах DE405 нет такой даты", "Orvant7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Desk e;
    ui::Form& g = e.form();
    c.set(g, e.state);
    const double JD0 = e.state.JD0;
    g.press("start");
    ASSERT_EQ(e.desk.dialogs().size(), 1u);
    EXPECT_EQ(e.last().text, c.text);
    EXPECT_EQ(e.last().title, c.title);
    EXPECT_FALSE(e.screen().run().started());
    EXPECT_EQ(e.state.X[1], X1);
    EXPECT_EQ(e.state.m[3], m3);
    EXPECT_EQ(e.state.JD0, JD0);
    EXPECT_FALSE(fs::exists(e.dir.path / "Plan0"));
  }
  (void)f;
}

// The speed of gravity factor 0: the first step fails (every evaluation divides by Vgr), the
// run ends where it was: the initial state, t = 0.
TEST(RunScreen, ZeroSpeedOfGravityEndsTheRunWithItsStateKept) {
  Desk d;
  ui::Form& f = d.form();
  f.type("VgrFactor", "0");
  f.press("start");
  ASSERT_EQ(d.desk.dialogs().size(), 1u);
  EXPECT_EQ(d.last().text, "Задайте правильно данные");
  EXPECT_EQ(d.last().title, "Orvant7");
  const auto& run = d.screen().run();
  EXPECT_TRUE(run.started());
  EXPECT_FALSE(run.running());
  EXPECT_EQ(run.t(), 0);
  EXPECT_EQ(d.state.X[1], d.state.X0[1]);

  // In the middle of a run: two display points, the factor set to 0, "Продолжить" (which takes
  // the boxes marked *) fails at its first step and keeps the state of the stop.
  Desk e;
  ui::Form& g = e.form();
  g.type("NC0", "10");
  e.desk.limitDisplays(2);
  g.press("start");
  e.desk.limitDisplays(-1);
  const auto& r = e.screen().run();
  ASSERT_EQ(r.steps(), 20);
  const double t = r.t(), X1 = e.state.X[1], Nrec = r.extraction().Nrec;
  g.type("VgrFactor", "0");
  g.press("continue");
  EXPECT_EQ(e.last().text, "Задайте правильно данные");
  EXPECT_EQ(r.t(), t);
  EXPECT_EQ(e.state.X[1], X1);
  EXPECT_EQ(r.extraction().Nrec, Nrec);
  // Repaired, the run goes on from there.
  g.type("VgrFactor", "1");
  e.desk.limitDisplays(1);
  g.press("continue");
  EXPECT_EQ(r.steps(), 30);
  EXPECT_GT(r.t(), t);
}

TEST(RunScreen, UnwritableFiles) {
  // The work directory is a file: the record file cannot be created; nothing starts.
  Desk d;
  const fs::path blocker = d.dir.path / "blocker";
  std::ofstream(blocker) << "x";
  d.state.workDir = blocker.string();
  ui::Form& f = d.form();
  f.tick("writeRecords", true);
  f.press("start");
  EXPECT_EQ(d.last().text, "Ошибка записи данных в файл\n\\Plan0\\Txt1\\Orvant1Ras1.txt");
  EXPECT_EQ(d.last().title, "Orvant7");
  EXPECT_FALSE(d.screen().run().started());

  // During a run: the record file replaced by a folder; the next record fails, the run ends with
  // what it had (the records already written stay whole in the old file's place: none lost).
  Desk e;
  ui::Form& g = e.form();
  g.tick("writeRecords", true);
  g.type("NC0", "100");
  // Until the first record (the third perihelion, 2.25 revolutions after the start).
  e.desk.limitDisplays(50);
  g.press("start");
  const auto& r = e.screen().run();
  for (int k = 0; k < 100 && r.recordsWritten() < 1; ++k) {
    e.desk.limitDisplays(50);
    g.press("continue");
  }
  e.desk.limitDisplays(-1);
  ASSERT_GE(r.recordsWritten(), 1);
  const fs::path file = e.dir.path / "Plan0/Txt1/Orvant1Ras1.txt";
  std::ifstream in(file);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  fs::remove(file);
  fs::create_directory(file);
  e.desk.clearDialogs();
  g.press("continue");
  ASSERT_EQ(e.desk.dialogs().size(), 1u);
  EXPECT_EQ(e.last().text, "Ошибка записи данных в файл\n\\Plan0\\Txt1\\Orvant1Ras1.txt");
  EXPECT_FALSE(r.running());
  EXPECT_GE(r.extraction().Nrec, 3);
  EXPECT_EQ(content.back(), '\n');
}

TEST(RunScreen, DisplaysStepsAndContinue) {
  Desk d;
  ui::Form& f = d.form();
  f.type("NC0", "50");
  f.tick("energy", true);
  d.desk.limitDisplays(40);  // 2000 steps
  f.press("start");
  EXPECT_EQ(d.desk.displays(), 40);
  d.desk.limitDisplays(-1);
  const auto& r = d.screen().run();
  EXPECT_EQ(r.steps(), 2000);
  EXPECT_FALSE(f.text("dTmod").empty());
  EXPECT_EQ(f.text("Year"), std::to_string(d.state.Year));
  EXPECT_NE(f.text("progress").find("шагов/с"), std::string::npos);
  EXPECT_EQ(f.text("Nrec"), std::to_string(r.extraction().Nrec));
  EXPECT_GE(r.extraction().Nrec, 1);
  EXPECT_FALSE(f.text("AlfaP").empty());
  // Two bodies: the check's energy (Sun-body potential only) is that of the pair, conserved to
  // the integrator's accuracy; shown in per cent with 8 decimals.
  const auto dE = parseNumber(f.text("dEsys"));
  ASSERT_TRUE(dE);
  EXPECT_LT(std::fabs(*dE), 1e-6);
  EXPECT_EQ(r.ModeStr(), "КЛАССИКА   JPL0");  // no screen 1: the source by the mass set

  // "NC0 шагов": exactly NC0 steps and one display point.
  f.type("NC0", "7");
  const long displays = d.desk.displays();
  f.press("steps");
  EXPECT_EQ(r.steps(), 2007);
  EXPECT_EQ(d.desk.displays(), displays);  // the run ends at its display point, no event pass
  EXPECT_EQ(d.state.kStop, 1);

  // "Продолжить": on from the kept state.
  d.desk.limitDisplays(2);
  f.press("continue");
  EXPECT_EQ(r.steps(), 2021);
}

// "Записать координаты  X, Y, Z": the header, then one line per display point with the date,
// the model time and the traced body's absolute coordinates, velocity and the energy.
TEST(RunScreen, CoordinateFile) {
  Desk d;
  ui::Form& f = d.form();
  f.tick("writeXYZ", true);
  f.type("NExp", "5");
  f.type("NC0", "24");
  d.desk.limitDisplays(3);
  f.press("start");
  const auto lines = [&] {
    std::vector<std::string> out;
    std::ifstream in(d.dir.path / "Dat/Orvant1XYZ5.txt");
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }();
  ASSERT_EQ(lines.size(), 7u + 3u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1].rfind("эксперимент для объекта № 1 выполнен  ", 0), 0u);
  EXPECT_EQ(lines[4],
            "время в секундах/1000000     X, Y, Z и Rpl в тыс. км     VX, VY, VZ и Vpl в м/с    "
            "энергия системы/10^18");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "");
  // The third display point: 72 hours after 1.5 January 2000.
  const std::string& last = lines[9];
  EXPECT_EQ(last.substr(0, 34), "04,500.01.2000____T= 000000000,259");
  const double X = d.state.X[1] / d.state.MK;
  EXPECT_NE(last.find("____X= " + formatMask(X, "000000000.000")), std::string::npos) << last;
  EXPECT_NE(last.find("____Esys= 000000000,000"), std::string::npos) << last;  // no energy check
}

TEST(RunScreen, PlanNoticesAndHiddenStart) {
  Desk d(true);
  ui::Form& f = d.form();
  auto& plan = d.wb.screen<FakePlanScreen>(15);
  d.state.NPlan = 3;
  f.tick("writeRecords", true);
  f.tick("stopYear", true);
  f.type("YearStop", "2000");
  f.type("NExp", "4");
  // The hidden field acts as "Начать" (posted; nothing else runs here, so at once).
  f.setText("startHidden", "12:00:00");
  const auto& r = d.screen().run();
  EXPECT_TRUE(r.started());
  EXPECT_EQ(d.state.Year, 2001);
  ASSERT_EQ(plan.finished.size(), 1u);  // the end of a run of a plan is notified once
  EXPECT_FALSE(plan.finished[0].empty());
  EXPECT_EQ(d.state.NPlan, 0);
  EXPECT_TRUE(fs::exists(d.dir.path / "Plan3/Txt1/Orvant1Ras4.txt"));

  // A run outside a plan notifies nobody.
  f.press("start");
  EXPECT_EQ(plan.finished.size(), 1u);

  // "Остановить": the series ends (its next experiment becomes its last one), NPlan = 0.
  d.state.NPlan = 3;
  f.press("stop");
  EXPECT_EQ(d.state.kStop, 1);
  EXPECT_EQ(d.state.NPlan, 0);
  EXPECT_EQ(plan.form().text("expFrom"), "7");
}

}  // namespace
}  // namespace orvant::test
