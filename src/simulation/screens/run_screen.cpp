#include "simulation/screens/run_screen.h"

#include <algorithm>
#include <cmath>

#include "ephemeris/jpl.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::simulation {

namespace {

constexpr const char* kBadData = "Задайте правильно данные";
constexpr const char* kObjectRange = "номер объекта должен быть от 0 до 10";

// The sources of screen 1 in the order of its options, and how the model's mode names them.
constexpr const char* kScreen1First = "New0 (JD)";
constexpr const char* kSourceWords[] = {" NEW0", " JPL0", " KIN0", " JPL2", " FILE", " SCREEN"};

}  // namespace

RunScreen::RunScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Моделирование и имитирование движения планет"), run_(s) {
  declareSettings();
  declareCommands();
  declareProgress();
  declarePictures();
  hidden("startHidden", [this] { start(); });
}

void RunScreen::declareSettings() {
  // ---- what runs ----
  group("gMode", "Эксперимент").at(0, 0);
  options("kodMod", "", {"модель", "имитатор"}, 0).in("gMode").at(0, 0).inColumns(2);
  options("kodOTO", "", {"Классика", "ОТО"}, 0).in("gMode").at(0, 1).inColumns(2);
  options("simulator", "", {"New0", "JPL0", "JPL2"}, 0).in("gMode").at(1, 0).inColumns(3);
  options("kDir", "", {"Вперед", "Назад"}, 0).in("gMode").at(1, 1).inColumns(2);

  // ---- the step ----
  group("gStep", "Шаг").at(1, 0);
  field("H0", "Шаг решения, с", "3600").in("gStep").at(0, 0).chars(8);
  field("NC0", "с выводом через", "1000").in("gStep").at(1, 0).chars(8);
  label("NC0word", "шагов").in("gStep").at(1, 1);
  field("kShag", "уменьшить шаг в", "100").in("gStep").at(2, 0).chars(8);
  label("kShagWord", "раз").in("gStep").at(2, 1);
  field("dAlfa", "при +/- Alfa, град=", "1").in("gStep").at(3, 0).chars(8);

  // ---- gravity ----
  group("gGrav", "Гравитация").at(2, 0);
  check("kodVgr", "Vgr = Vsv *").in("gGrav").at(0, 0);
  field("VgrFactor", "", "1").in("gGrav").at(0, 1).chars(8);
  field("Rpow", "F=G*m*M/R^", "2").in("gGrav").at(1, 0).chars(8);
  field("kPgr", "kPgr =", "1").in("gGrav").at(2, 0).chars(8);

  // ---- the traced body and the files ----
  group("gPar", "Показатели и файлы").at(3, 0);
  check("findParams", "Найти показатели планеты №", true).in("gPar").at(0, 0);
  field("Ntr", "", "1").in("gPar").at(0, 1).chars(4);
  check("Xsol0", "Xsol=0", true).in("gPar").at(1, 0).onChange([this] { centreChanged(true); });
  check("Xzem0", "Xzem=0").in("gPar").at(1, 1).onChange([this] { centreChanged(false); });
  check("writeRecords", "Записать параметры орбиты в файл").in("gPar").at(2, 0).span(1, 2);
  check("writeXYZ", "Записать координаты  X, Y, Z").in("gPar").at(3, 0).span(1, 2);
  field("NExp", "эксперимент №", "1").in("gPar").at(4, 0).chars(5);
  check("stopYear", "эксперимент закончить в").in("gPar").at(5, 0);
  field("YearStop", "", "2000").in("gPar").at(5, 1).chars(6);
  label("YearWord", "году").in("gPar").at(5, 2);
}

void RunScreen::declareCommands() {
  // ---- commands ----
  group("gCmd", "").at(4, 0);
  button("start", "Начать", [this] { start(); }).in("gCmd").at(0, 0)
      .tip("Начать вычислительный эксперимент с начальных данных экрана 1");
  button("continue", "Продолжить", [this] { resumeRun(); }).in("gCmd").at(0, 1)
      .tip("Продолжить остановленный эксперимент");
  button("stop", "Остановить", [this] { stopRun(); }).in("gCmd").at(1, 0)
      .tip("Остановить эксперимент в ближайшей точке вывода");
  button("steps", "NC0 шагов", [this] { stepsRun(); }).in("gCmd").at(1, 1)
      .tip("Сделать NC0 шагов эксперимента и остановиться");
  button("toStat", "К статистике", [this] { navigate(kStatisticsScreen); }).in("gCmd").at(2, 0)
      .tip("Открыть статистическую обработку параметров орбит (экран 6)");
  button("toPlan", "К плану", [this] { navigate(kPlanScreen); }).in("gCmd").at(2, 1)
      .tip("Открыть оптимизацию скорости гравитации (экран 15)");
  button("toGravity", "Тест гравитации*", [this] { navigate(kGravityScreen); }).in("gCmd").at(3, 0)
      .tip("Открыть тест алгоритма скорости гравитации (экран 7)");
  button("closeForm", "Закрыть форму", [this] { close(); }).in("gCmd").at(3, 1)
      .tip("Закрыть экран моделирования");
  button("exit", "Выход", [this] { workbench().quit(); }).in("gCmd").at(4, 0)
      .tip("Завершить работу программы");
}

void RunScreen::declareProgress() {
  // ---- the course of the run ----
  group("gRun", "Ход эксперимента").at(0, 1).span(2, 1);
  field("JD0", "JD0", "").in("gRun").at(0, 0).chars(14).locked();
  field("Day1", "начало: день", "").in("gRun").at(1, 0).chars(8).locked();
  field("Month1", "месяц", "").in("gRun").at(1, 1).chars(3).locked();
  field("Year1", "год", "").in("gRun").at(1, 2).chars(6).locked();
  field("Day", "день", "").in("gRun").at(2, 0).chars(8).locked();
  field("Month", "месяц", "").in("gRun").at(2, 1).chars(3).locked();
  field("Year", "год", "").in("gRun").at(2, 2).chars(6).locked();
  field("JD", "JD", "").in("gRun").at(3, 0).chars(14).locked();
  field("dTmod", "dTmod, лет", "").in("gRun").at(4, 0).chars(10).locked();
  field("dTreal", "dTreal, час", "").in("gRun").at(4, 1).chars(8).locked();
  field("AlfaEklip", "AlfaEklip, град", "").in("gRun").at(5, 0).chars(10).locked();
  label("progress", "").in("gRun").at(6, 0).span(1, 3);
  check("energy", "dEsys, dMsys, %").in("gRun").at(7, 0);
  field("dEsys", "dEsys", "").in("gRun").at(8, 0).chars(14).locked();
  field("dMsys", "dMsys", "").in("gRun").at(8, 1).chars(14).locked();

  // ---- the orbit parameters of the traced body ----
  group("gOrb", "Параметры орбиты").at(2, 1).span(3, 1);
  field("Nrec", "К-во оборотов, шт", "").in("gOrb").at(0, 0).chars(8).locked();
  field("periDate", "AlfaP пройден", "").in("gOrb").at(1, 0).chars(16).locked();
  field("nodeDate", "AlfaU пройден", "").in("gOrb").at(1, 1).chars(16).locked();
  field("AlfaP", "AlfaP, град", "").in("gOrb").at(2, 0).chars(14).locked();
  check("plotdAlfaP", "dAlfaP, сек", true).in("gOrb").at(2, 1);
  field("dAlfaP", "", "").in("gOrb").at(2, 2).chars(14).locked();
  field("AlfaU", "AlfaU, град", "").in("gOrb").at(3, 0).chars(14).locked();
  check("plotdAlfaU", "dAlfaU, сек").in("gOrb").at(3, 1);
  field("dAlfaU", "", "").in("gOrb").at(3, 2).chars(14).locked();
  field("Betta", "Betta, град", "").in("gOrb").at(4, 0).chars(14).locked();
  check("plotdBetta", "dBetta, сек").in("gOrb").at(4, 1);
  field("dBetta", "", "").in("gOrb").at(4, 2).chars(14).locked();
  field("Eks", "Eks", "").in("gOrb").at(5, 0).chars(14).locked();
  check("plotdEks", "dEks").in("gOrb").at(5, 1);
  field("dEks", "", "").in("gOrb").at(5, 2).chars(14).locked();
  field("Rsr", "Rsr, тыс.км", "").in("gOrb").at(6, 0).chars(14).locked();
  check("plotdRsr", "dRsr,тыс.км").in("gOrb").at(6, 1);
  field("dRsr", "", "").in("gOrb").at(6, 2).chars(14).locked();
  field("Period", "Period, дни", "").in("gOrb").at(7, 0).chars(14).locked();
  check("plotdPeriod", "dPeriod, дни").in("gOrb").at(7, 1);
  field("dPeriod", "", "").in("gOrb").at(7, 2).chars(14).locked();
  check("plotX", "X, тыс.км").in("gOrb").at(8, 1);
  field("Xval", "", "").in("gOrb").at(8, 2).chars(14).locked();
  check("plotY", "Y, тыс.км").in("gOrb").at(9, 1);
  field("Yval", "", "").in("gOrb").at(9, 2).chars(14).locked();
  check("plotZ", "Z, тыс.км").in("gOrb").at(10, 1);
  field("Zval", "", "").in("gOrb").at(10, 2).chars(14).locked();
}

void RunScreen::declarePictures() {
  // ---- pictures and their scales ----
  group("gPic", "").at(0, 2).span(5, 1);
  check("animation", "Анимация", true).in("gPic").at(0, 0);
  check("trajectories", "Траектории ", true).in("gPic").at(0, 1);
  picture("orbit", "", 12, 9).in("gPic").at(1, 0).span(1, 2);
  picture("graph", "", 12, 9).in("gPic").at(2, 0).span(1, 2);
  field("scaleT", "дней в 1 см", "100").in("gPic").at(3, 0).chars(8);
  field("scaleA", "сек в 1 см", "100").in("gPic").at(3, 1).chars(8).onChange([this] {
    scaleTyped_[1] = true;
  });
  field("scaleXYZ", "тыс.км в 1 см", "10000").in("gPic").at(4, 0).chars(8).onChange([this] {
    scaleTyped_[0] = true;
  });
  field("offsetY", "смещение, см", "0").in("gPic").at(4, 1).chars(8);
}

void RunScreen::opened() {
  form().setEnabled("toStat", workbench().has(kStatisticsScreen));
  form().setEnabled("toPlan", workbench().has(kPlanScreen));
  form().setEnabled("toGravity", workbench().has(kGravityScreen));
  clearPictures();
}

void RunScreen::activated() {
  // Screens registered later (or never) keep their buttons in step.
  form().setEnabled("toStat", workbench().has(kStatisticsScreen));
  form().setEnabled("toPlan", workbench().has(kPlanScreen));
  form().setEnabled("toGravity", workbench().has(kGravityScreen));
}

// ---- the boxes ----

std::optional<long> RunScreen::integer(std::string_view id, long lo, long hi) const {
  const auto v = form().number(id);
  if (!v || *v != std::trunc(*v) || *v < static_cast<double>(lo) || *v > static_cast<double>(hi))
    return std::nullopt;
  return static_cast<long>(*v);
}

std::optional<LiveInputs> RunScreen::readLive() const {
  LiveInputs live;
  const auto H0 = form().number("H0");
  const auto NC0 = integer("NC0", 1, 32767);
  const auto kShag = integer("kShag", 1, 32767);
  const auto factor = form().number("VgrFactor");
  const auto Rpow = form().number("Rpow");
  const auto NExp = integer("NExp", 0, 32767);
  if (!H0 || *H0 <= 0 || !NC0 || !kShag || !factor || !Rpow || !NExp) return std::nullopt;
  live.H0 = *H0;
  live.NC0 = static_cast<int>(*NC0);
  live.kShag = static_cast<int>(*kShag);
  live.kodVgr = form().checked("kodVgr");
  live.VgrFactor = *factor;
  live.Rpow = *Rpow;
  live.NExp = static_cast<int>(*NExp);
  return live;
}

void RunScreen::readScales() {
  const auto t = form().number("scaleT"), a = form().number("scaleA");
  const auto c = form().number("scaleXYZ"), o = form().number("offsetY");
  if (t && *t > 0) scaleT_ = *t;
  if (a && *a > 0) scaleA_ = *a;
  if (c && *c > 0) scaleXYZ_ = *c;
  if (o) offsetY_ = *o;
}

// The source chosen on screen 1 (its option group whose first entry is "New0 (JD)"); without
// screen 1, the mass set of the data: 1 New0, 2 the JPL sources, 3 Kin0.
std::string RunScreen::sourceOfScreen1() const {
  if (const ui::Screen* s1 = workbench().created(1)) {
    for (const ui::Control& c : s1->controls()) {
      if (c.kind != ui::Kind::Options || c.entries.empty() || c.entries.front() != kScreen1First)
        continue;
      const int k = s1->form().option(c.id);
      if (k >= 0 && k < 6) return kSourceWords[k];
    }
  }
  switch (state().massSet) {
    case 1: return kSourceWords[0];
    case 2: return kSourceWords[1];
    case 3: return kSourceWords[2];
    default: return "";
  }
}

void RunScreen::centreChanged(bool sun) {
  if (sun && form().checked("Xsol0")) form().setChecked("Xzem0", false);
  if (!sun && form().checked("Xzem0")) form().setChecked("Xsol0", false);
}

std::optional<RunInputs> RunScreen::readInputs() {
  const auto n = integer("Ntr", -2147483647L, 2147483647L);
  if (!n) {
    form().message(kBadData, kTitle7);
    return std::nullopt;
  }
  if (*n < 0 || *n > 10) {
    form().message(kObjectRange, kTitle70);
    return std::nullopt;
  }
  const auto live = readLive();
  const auto dAlfa = form().number("dAlfa");
  const auto kPgr = form().number("kPgr");
  const auto YearStop = integer("YearStop", -2147483647L, 2147483646L);
  if (!live || !dAlfa || !kPgr || !YearStop) {
    form().message(kBadData, kTitle7);
    return std::nullopt;
  }
  RunInputs in;
  in.Ntr = static_cast<int32>(*n);
  in.live = *live;
  in.dAlfa = *dAlfa;
  in.kPgr = *kPgr;
  in.YearStop = static_cast<int32>(*YearStop);
  in.stopYear = form().checked("stopYear");
  in.findParams = form().checked("findParams");
  in.writeRecords = form().checked("writeRecords");
  in.writeXYZ = form().checked("writeXYZ");
  in.energy = form().checked("energy");
  in.model = form().option("kodMod") != 1;
  in.oto = form().option("kodOTO") == 1;
  const int sim = form().option("simulator");
  in.simulator = sim == 2 ? Simulator::JPL2 : (sim == 1 ? Simulator::JPL0 : Simulator::New0);
  in.kDir = form().option("kDir") == 1 ? -1 : 1;
  in.Icen2 = form().checked("Xsol0") ? kCentreSun
                                     : (form().checked("Xzem0") ? kCentreEarth : kCentreOrigin);
  in.source = sourceOfScreen1();
  return in;
}

// ---- commands ----

void RunScreen::start() {
  if (run_.running()) {
    // A second start while the loop runs: the loop ends at its next display point, then the new
    // run starts from the initial data (never a loop nested in the running one).
    state().kStop = 1;
    workbench().post(*this, [this] { start(); });
    return;
  }
  const auto in = readInputs();
  if (!in) return;
  // A scale the plot widened for the last run goes back to its default; a typed one stays.
  if (!scaleTyped_[0]) form().setText("scaleXYZ", control("scaleXYZ").text);
  if (!scaleTyped_[1]) form().setText("scaleA", control("scaleA").text);
  readScales();
  if (!run_.start(*in)) return;
  runPlan_ = state().NPlan;  // the plan of the record file (NPlan is cleared at the run's end)
  showStart();
  clearPictures();
  printStartTexts();
  runLoop();
}

void RunScreen::resumeRun() {
  const auto live = readLive();
  const int dir = form().option("kDir") == 1 ? -1 : 1;
  const LiveInputs use = live ? *live : run_.live();
  if (!run_.resume(dir, use)) return;
  if (!run_.running()) runLoop();
}

void RunScreen::stepsRun() {
  const auto live = readLive();
  if (!live) return form().message(kBadData, kTitle7);
  if (!run_.prepareSteps(*live)) return;
  if (!run_.running()) runLoop();
}

void RunScreen::stopRun() {
  run_.requestStop();
  state().NPlan = 0;
  // A running plan series ends: its next experiment number becomes its last one.
  if (ui::Screen* plan = workbench().created(kPlanScreen)) {
    if (plan->find("expFrom") && plan->find("expTo"))
      plan->form().setText("expFrom", plan->form().text("expTo"));
  }
}

void RunScreen::navigate(int n) {
  if (!workbench().has(n)) return;
  if (state().JPLisOpen == 10) JPLclose(state());
  ui::Screen& next = workbench().show(n);
  // Screen 6 opens on the plan and experiment whose records this screen wrote last (Plan0 outside
  // a plan), or would write now, so that "Загрузить данные полученные" finds the run just made.
  if (n == kStatisticsScreen && next.find("plan") && next.find("exp")) {
    const int plan = run_.started() ? runPlan_ : state().NPlan;
    const std::string exp = run_.started() ? std::to_string(run_.live().NExp) : form().text("NExp");
    next.form().setText("plan", std::to_string(plan));
    next.form().setText("exp", exp);
  }
}

void RunScreen::runLoop() {
  stepsAtDisplay_ = run_.steps();
  realAtDisplay_ = run_.realSeconds();
  const RunEnd end = run_.loop(*this);
  showDisplay();
  if (end == RunEnd::Failed) {
    // A failed experiment ends a plan series rather than starting the next one on bad data.
    state().NPlan = 0;
    return;
  }
  if (state().NPlan > 0 && !workbench().quitting()) {
    if (workbench().has(kPlanScreen)) {
      ui::Screen& plan = workbench().screen(kPlanScreen);
      if (plan.find("runFinished")) plan.form().setText("runFinished", screenNumber(ui::clockSeconds(), 2));
    }
    state().NPlan = 0;
  }
}

// ---- showing ----

// The date of a passage, "dd.mm.yyyy hh:mm".
void RunScreen::showDate(std::string_view id) {
  State& s = state();
  if (!DateFromJD(s, s.JD)) return;
  DayToHMS(s, s.Day);
  form().setText(id, formatMask(fix(s.Day), "00") + "." + formatMask(s.Month, "00") + "." +
                         std::to_string(s.Year) + " " + formatMask(s.Hh, "00") + ":" +
                         formatMask(s.Mm, "00"));
}

void RunScreen::showStart() {
  const State& s = state();
  form().setText("Nrec", "0");
  form().setNumber("JD0", run_.JD0(), 6);
  form().setNumber("Day1", s.Day1, 6);
  form().setText("Month1", std::to_string(s.Month1));
  form().setText("Year1", std::to_string(s.Year1));
  form().setText("periDate", "");
  form().setText("nodeDate", "");
  for (const char* id : {"dEsys", "dMsys", "Xval", "Yval", "Zval", "dTmod", "dTreal", "AlfaEklip"})
    form().setText(id, "");
  form().setText("progress", "");
  form().setNumber("Period", s.Tsid[static_cast<std::size_t>(run_.NtrF())], 6);
  if (run_.inputs().findParams) showReference();
}

// The reference values of the start, their changes shown as 0.
void RunScreen::showReference() {
  const OrbitExtraction& x = run_.extraction();
  const double MK = state().MK;
  form().setNumber("AlfaP", x.AlfaPt, 6);
  form().setNumber("AlfaU", x.AlfaUt, 6);
  form().setNumber("Betta", x.Bmax * state().kUgol, 6);
  form().setNumber("Eks", x.Eks, 6);
  form().setNumber("Rsr", x.Rpl / MK, 6);
  form().setNumber("Period", x.Tper, 6);
  for (const char* id : {"dAlfaP", "dAlfaU", "dBetta", "dEks", "dRsr", "dPeriod"})
    form().setText(id, "0");
}

// The values of a registered passage and their changes since the first counted revolutions.
void RunScreen::showParameters() {
  const OrbitExtraction& x = run_.extraction();
  const State& s = state();
  const double MK = s.MK, kUgol = s.kUgol;
  form().setNumber("AlfaP", x.AlfaPt, 6);
  form().setNumber("dAlfaP", (x.AlfaPt - x.AlfaP0r) * 3600, 6);
  form().setNumber("Betta", x.Betta * kUgol, 6);
  form().setNumber("dBetta", (x.Betta - x.Betta0r) * 3600 * kUgol, 6);
  form().setNumber("Eks", x.Eks, 6);
  form().setNumber("dEks", x.Eks - x.Eks0r, 6);
  form().setNumber("Rsr", x.Rpl / MK, 6);
  form().setNumber("dRsr", (x.Rpl - x.Rsr0r) / MK, 6);
  form().setNumber("Period", x.Tper, 6);
  form().setNumber("dPeriod", x.Tper - x.TperFirst, 6);
}

void RunScreen::showDisplay() {
  if (!run_.started()) return;
  State& s = state();
  const int n = run_.n();
  const int c = run_.inputs().Icen2;
  form().setNumber("dTmod", (run_.t() - run_.h()) / s.sekG, 2);
  form().setNumber("dTreal", run_.realSeconds() / 3600, 3);
  form().setNumber("Day", s.Day, 6);
  form().setText("Month", std::to_string(s.Month));
  form().setText("Year", std::to_string(s.Year));
  form().setNumber("JD", s.JD, 6);
  form().setNumber("AlfaEklip", s.Dolg[n], 3);
  form().setNumber("Xval", (s.X[n] - s.X[c]) / s.MK, 3);
  form().setNumber("Yval", (s.Y[n] - s.Y[c]) / s.MK, 3);
  form().setNumber("Zval", (s.Z[n] - s.Z[c]) / s.MK, 3);
  if (run_.inputs().energy) {
    form().setNumber("dEsys", dEsysPercent(run_.energy()), 8);
    form().setNumber("dMsys", dMsysPercent(run_.energy()), 8);
  }
  showProgress();
}

// Progress at a display point: the model date reached, the share of the run done toward the end
// year, and the steps per second since the previous display point.
void RunScreen::showProgress() {
  const State& s = state();
  const double real = run_.realSeconds();
  const long long steps = run_.steps();
  if (steps > stepsAtDisplay_ && real > realAtDisplay_) {
    stepsPerSecond_ = static_cast<double>(steps - stepsAtDisplay_) / (real - realAtDisplay_);
  }
  stepsAtDisplay_ = steps;
  realAtDisplay_ = real;
  std::string text = "дата " + formatMask(fix(s.Day), "00") + "." + formatMask(s.Month, "00") +
                     "." + std::to_string(s.Year);
  const double span = run_.JDstop() - run_.JD0();
  if (run_.inputs().stopYear && run_.JDstop() != 0 && span != 0) {
    const double share = std::clamp((s.JD - run_.JD0()) / span, 0.0, 1.0);
    text += "   выполнено " + screenNumber(share * 100, 1) + " %";
  }
  text += "   шагов/с " + screenNumber(stepsPerSecond_, 0);
  form().setText("progress", text);
}

// ---- RunObserver ----

void RunScreen::displayPoint(const ExperimentRun&) {
  readScales();
  showDisplay();
  if (form().checked("animation")) drawAnimation();
  plotDisplay();
}

void RunScreen::extractionEvent(const ExperimentRun&, unsigned events) {
  const OrbitExtraction& x = run_.extraction();
  if (events & kEvPeriod) form().setNumber("Period", x.Tper, 6);
  if (events & kEvNode) {
    if (events & kEvAscending) showDate("nodeDate");
    form().setNumber("AlfaU", x.AlfaUt, 6);
    form().setNumber("dAlfaU", (x.AlfaUt - x.AlfaU0r) * 3600, 6);
  }
  if (events & kEvPassage) {
    if (events & kEvFirst) {
      form().setNumber("AlfaP", x.AlfaP0r, 6);
    } else {
      showParameters();
      plotChanges();
    }
  }
  if (events & kEvPerihelion) {
    form().setText("Nrec", std::to_string(x.Nrec));
    showDate("periDate");
  }
}

std::optional<LiveInputs> RunScreen::liveInputs() { return readLive(); }

void RunScreen::processEvents() { form().processEvents(); }

}  // namespace orvant::simulation
