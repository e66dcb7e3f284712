#include "design/screens/optimisation_screen.h"

#include <algorithm>
#include <cmath>

#include "design/plans_workbench.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "statistics/shifts.h"
#include "model/textfile.h"
#include "ui/canvas.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::design {

namespace {

// Drawing of the criteria: the base line kBaseCm from the top, values up to 10 cm above it.
constexpr double kPictureWidthCm = 48, kPictureHeightCm = 13.5;
constexpr double kLeftCm = 1.2, kBaseCm = 12;
constexpr double kStepCm = 0.5;       // one experiment
constexpr double kCurveWidthCm = 16;  // coded levels -1..+1 of the response curves
constexpr double kFarCm = 1000;       // a curve point this far off the picture: the scale is too small

constexpr const char* kRowLabels[kFactorRows + 1] = {
    "", "X1=VX, км/с", "X2=VY, км/с", "X3=VZ, км/с", "X4=Vgr, Vsv", "X5=kVgr", "X6=m0/m5", "X7=m0/m2"};
constexpr const char* kPlanetNames[kPlanets + 1] = {"",       "Меркурий", "Венера", "Земля",
                                                    "Марс",   "Юпитер",   "Сатурн", "Уран",
                                                    "Нептун", "Плутон",   "Ксена"};
constexpr const char* kParamNames[kShiftColumns + 1] = {
    "", "Перигелию", "Узлу восхождения", "Углу наклона", "Эксцентриситету", "Большой оси эллипса",
    "Угловой скорости"};

// Ids of screen 2 (the contract between the two screens).
constexpr const char* kModeOption = "kodMod";
constexpr const char* kAnimation = "animation";
constexpr const char* kFindParams = "findParams";
constexpr const char* kWriteRecords = "writeRecords";
constexpr const char* kFiniteVgr = "kodVgr";
constexpr const char* kVgrFactor = "VgrFactor";
constexpr const char* kPgrBox = "kPgr";
constexpr const char* kStopYear = "stopYear";
constexpr const char* kSunCentre = "Xsol0";
constexpr const char* kEarthCentre = "Xzem0";
constexpr const char* kEnergy = "energy";
constexpr const char* kWriteXYZ = "writeXYZ";
constexpr const char* kExperimentBox = "NExp";
constexpr const char* kStartHidden = "startHidden";

std::string id(const char* prefix, int i) { return prefix + std::to_string(i); }
std::size_t at(int i) { return static_cast<std::size_t>(i); }

ui::Color curveColor(int row) {
  static const int palette[kFactorRows + 1] = {0, 1, 4, 2, 5, 6, 3, 13};
  return ui::qbColor(palette[std::clamp(row, 0, kFactorRows)]);
}

// "1 мин 05 с", "42 с".
std::string duration(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  if (s < 60) return std::to_string(s) + " с";
  const long m = s / 60, r = s % 60;
  if (m < 60) return std::to_string(m) + " мин " + (r < 10 ? "0" : "") + std::to_string(r) + " с";
  const long h = m / 60, mm = m % 60;
  return std::to_string(h) + " ч " + (mm < 10 ? "0" : "") + std::to_string(mm) + " мин";
}

}  // namespace

OptimisationScreen::OptimisationScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Оптимизация скорости гравитации"),
      sound_([](const std::string& path) { playSoundAsync(path); }) {
  group("factors", "Факторы").at(0, 0);
  label("headX0", "X0(i)").in("factors").at(0, 1);
  label("headdX", "dX(i)").in("factors").at(0, 2);
  label("headXset", "Xset(i)").in("factors").at(0, 3);
  label("headXopt", "Xopt(i)").in("factors").at(0, 4);
  label("headXoptNat", "X(i)opt").in("factors").at(0, 5);
  for (int i = 1; i <= kFactorRows; ++i) {
    check(id("use", i), kRowLabels[i], i == 1 || i == 4).in("factors").at(i, 0).onChange([this] {
      countFactors();
    });
    field(id("X0_", i), "", "1").in("factors").at(i, 1).chars(12);
    field(id("dX_", i), "", "1").in("factors").at(i, 2).chars(12);
    field(id("Xset_", i), "", "").in("factors").at(i, 3).chars(12).locked();
    field(id("Xopt_", i), "", "0").in("factors").at(i, 4).chars(12).locked();
    field(id("XoptNat_", i), "", "1").in("factors").at(i, 5).chars(12).locked();
  }
  field("Nf", "Nf=", "2").in("factors").at(8, 0).chars(3).locked();

  group("plan", "План").at(1, 0);
  options("PlanType", "", {"Orto", "Roto"}, 0).in("plan").at(0, 0).inColumns(2);
  button("build", "1-Создать план", [this] { buildPlan(); }).in("plan").at(0, 1)
      .tip("Создать план экспериментов выбранного типа");
  button("load", "2-Загрузить параметры плана №", [this] { loadPlanFile(); }).in("plan").at(1, 0)
      .tip("Загрузить уровни и веса плана из файла Plan<k>/OrvantPlan<k>.dat");
  field("planNo", "", "1").in("plan").at(1, 1).chars(5);
  button("save", "Сохранить", [this] { savePlanFile(); }).in("plan").at(1, 2)
      .tip("Сохранить уровни и веса плана в файл Plan<k>/OrvantPlan<k>.dat");
  button("loadNab", "3-Загрузить наблюдаемые вековые смещения параметров орбит планет",
         [this] { loadObserved(); })
      .in("plan").at(2, 0).span(1, 2)
      .tip("Загрузить наблюдаемые вековые смещения выбранного источника");
  options("nabSource", "", {"New", "JPL", "Kin"}, 0).in("plan").at(2, 2).inColumns(3);

  group("series", "Эксперименты").at(2, 0);
  button("run", "4-1-Выполнить на математической модели (форма2) эксперименты с №",
         [this] { runSeries(); })
      .in("series").at(0, 0)
      .tip("Выполнить на модели (экран 2) опыты плана с первого по последний номер");
  field("expFrom", "", "1").in("series").at(0, 1).chars(4);
  field("expTo", "по №", "1").in("series").at(0, 2).chars(4);
  label("progress", "").in("series").at(1, 0).span(1, 3);
  button("weights", "Весовые коэффициенты и данные моделирования *", [this] { openWeights(); })
      .in("series").at(2, 0)
      .tip("Открыть весовые коэффициенты и данные моделирования (экран 19)");
  button("allShifts", "Рассчитать смещения всех экспериментов", [this] { computeAllShifts(); })
      .in("series").at(3, 0)
      .tip("Рассчитать вековые смещения планеты во всех опытах плана");
  field("shiftPlanet", "планета №", "1").in("series").at(3, 1).chars(3);
  field("NCP0", "с разбивкой выборки на группы по", "1").in("series").at(4, 0).chars(4);
  options("fitKind", "", {"const", "лин", "квад"}, 1).in("series").at(4, 1).inColumns(3);
  field("IG", "рассчитать смещение для года IG =", "2000").in("series").at(5, 0).chars(6);
  field("Year0", "k0 для 1,5 .1.", "2000").in("series").at(5, 1).chars(6);

  group("crit", "Критерий").at(3, 0);
  group("planets", "и использовать планеты").in("crit").at(0, 0);
  for (int N = 1; N <= kPlanets; ++N)
    check(id("planet", N), kPlanetNames[N], N == 1).in("planets").at((N - 1) / 5, (N - 1) % 5);
  group("params", "для модели критерий по").in("crit").at(1, 0);
  for (int c = 1; c <= kShiftColumns; ++c)
    check(id("param", c), kParamNames[c], c == 1).in("params").at((c - 1) / 3, (c - 1) % 3);
  options("form", "", {"Y", "dY", "dY^2", "Abs(dY)"}, 2).in("crit").at(2, 0).inColumns(4);
  options("data", "", {"теста", "модели"}, 1).in("crit").at(3, 0).inColumns(2);
  button("criterion", "4-2- Рассчитать критерий оптимизации по данным", [this] { computeCriterion(); })
      .in("crit").at(4, 0)
      .tip("Рассчитать критерий оптимизации по наблюдаемым и рассчитанным смещениям");
  field("scale", "М, ед/см", "").in("crit").at(5, 0).chars(12);
  field("Ymin", "Ymin", "").in("crit").at(6, 0).chars(12);

  group("acts", "").at(4, 0);
  button("fit", "5- Найти коэффициенты уравнения регрессии", [this] { fit(); }).in("acts").at(0, 0)
      .tip("Найти коэффициенты уравнения регрессии по критериям опытов");
  button("optimise", "6- Оптимизировать параметры", [this] { optimiseFactors(); }).in("acts").at(1, 0)
      .tip("Найти оптимальные значения факторов по уравнению регрессии");
  button("copyOpt", "7- задать X0(i) = X(i)opt", [this] { copyOptimum(); }).in("acts").at(2, 0)
      .tip("Сделать оптимальные значения факторов центром плана");
  button("graphs", "8- Построить графики по уравнению при X(i) = X(i)opt", [this] { drawGraphs(); })
      .in("acts").at(3, 0)
      .tip("Построить графики критерия по уравнению регрессии в оптимуме");
  button("close", "Закрыть форму", [this] { close(); }).in("acts").at(4, 0)
      .tip("Закрыть экран оптимизации скорости гравитации");

  picture("pic", "", kPictureWidthCm, kPictureHeightCm).at(0, 1).span(3, 1);
  textArea("report", "Результаты").at(3, 1).span(2, 1).locked();
  hidden("runFinished", [this] { runFinished(); });
}

void OptimisationScreen::opened() {
  countFactors();
  showMassRatios();
  form().setEnabled("run", workbench().has(kRunScreen));
  form().setEnabled("weights", workbench().has(kWeightsScreen));
}

void OptimisationScreen::activated() { showMassRatios(); }

void OptimisationScreen::showMassRatios() {
  // The zero levels of rows 6 and 7 are the ratios of the masses in use (a ratio of 1 would give
  // Jupiter and Venus the Sun's mass), until the user types another level.
  const State& s = state();
  const double ratio[2] = {s.km[5], s.km[2]};
  for (int r = 0; r < 2; ++r) {
    const std::string box = id("X0_", 6 + r);
    const std::string now = form().text(box);
    const bool untouched = now == control(box).text || now == shownRatios_[at(r)];
    if (!untouched || !(ratio[r] > 0) || !std::isfinite(ratio[r])) continue;
    form().setNumber(box, ratio[r]);
    shownRatios_[at(r)] = form().text(box);
  }
}

void OptimisationScreen::keepMasses() {
  const State& s = state();
  if (!kept_) kept_ = KeptMasses{s.m[2], s.m[5], s.km[2], s.km[5]};
}

void OptimisationScreen::restoreMasses() {
  if (!kept_) return;
  State& s = state();
  s.m[2] = kept_->m2;
  s.m[5] = kept_->m5;
  s.km[2] = kept_->km2;
  s.km[5] = kept_->km5;
  kept_.reset();
}

// ---- helpers ----

std::optional<int> OptimisationScreen::integerBox(std::string_view box, int lo, int hi) const {
  const auto v = form().number(box);
  if (!v || !std::isfinite(*v) || *v != std::trunc(*v) || *v < lo || *v > hi) return std::nullopt;
  return static_cast<int>(*v);
}

std::optional<int> OptimisationScreen::planNumber() const {
  const auto k = integerBox("planNo", 1, 999999);
  if (!k) form().message(kPlanNumberBad, kTitle7);
  return k;
}

bool OptimisationScreen::readRow(const char* prefix, RowValues& v) const {
  v.fill(0);
  for (int i = 1; i <= kFactorRows; ++i) {
    const auto x = form().number(id(prefix, i));
    if (!x || !std::isfinite(*x)) return false;
    v[at(i)] = *x;
  }
  return true;
}

int OptimisationScreen::tickedCount() const {
  int n = 0;
  for (int i = 1; i <= kFactorRows; ++i)
    if (form().checked(id("use", i))) ++n;
  return n;
}

void OptimisationScreen::countFactors() { form().setText("Nf", std::to_string(tickedCount())); }

void OptimisationScreen::report(const std::string& line) { form().appendLine("report", line); }

// ---- plan ----

void OptimisationScreen::buildPlan() {
  std::array<bool, kFactorRows + 1> ticked{};
  for (int i = 1; i <= kFactorRows; ++i) ticked[at(i)] = form().checked(id("use", i));
  PlanFactorMap map{};
  const int Nf = mapPlanFactors(ticked, map);
  const int type = form().option("PlanType") == 1 ? kRotatable : kOrthogonal;
  Plan p;
  if (!makePlan(p, type, Nf)) return;
  plan_ = p;
  havePlan_ = true;
  PlanFactor_ = map;
  haveCriteria_ = haveRegression_ = false;
  Yexp_.fill(0);
  Breg_.fill(0);
  Xopt_.fill(0);
  form().setText("Nf", std::to_string(Nf));
  form().setText("expTo", std::to_string(plan_.Npt));
  form().setText("report", "");
  form().canvas("pic").clear();
  report(kPlanHeading);
  for (int u = 1; u <= plan_.Npt; ++u) {
    std::string line = std::to_string(u);
    for (int n = 1; n <= Nf; ++n) line += "   " + screenNumber(plan_.Xpl[at(u)][at(n)], 2);
    report(line);
  }
}

bool OptimisationScreen::makePlan(Plan& p, int type, int Nf) {
  static const SignTables signs = fillSignTables();
  return design::buildPlan(state(), signs, type, Nf, std::nullopt, p);
}

void OptimisationScreen::loadPlanFile() {
  const auto k = planNumber();
  if (!k) return;
  PlanFile f;
  if (!readPlanFile(state(), *k, f)) return;
  for (int i = 1; i <= kFactorRows; ++i) {
    form().setNumber(id("X0_", i), f.levels.X0[at(i)]);
    form().setNumber(id("dX_", i), f.levels.dX[at(i)]);
    form().setNumber(id("Xopt_", i), f.levels.Xopt[at(i)]);
    form().setNumber(id("XoptNat_", i), f.levels.XoptNat[at(i)]);
  }
  for (int N = 1; N <= kPlanets; ++N)
    for (int c = 1; c <= kShiftColumns; ++c) state().Wt[at(N)][at(c)] = f.Wt[at(N)][at(c)];
  form().setText("report", "");
  report(f.title);
  report(f.kind);
  for (int i = 1; i <= kFactorRows; ++i) {
    std::string line = id("X", i);
    line += "   " + screenNumber(f.levels.X0[at(i)]);
    line += "   " + screenNumber(f.levels.dX[at(i)]);
    line += "            Xopt   " + screenNumber(f.levels.Xopt[at(i)]);
    line += "   " + screenNumber(f.levels.XoptNat[at(i)]);
    report(line);
  }
  report(f.weightsTitle);
  for (int N = 1; N <= kPlanets; ++N) {
    std::string line = "планета  " + std::to_string(N);
    for (int c = 1; c <= kShiftColumns; ++c) line += "   " + screenNumber(f.Wt[at(N)][at(c)]);
    report(line);
  }
}

void OptimisationScreen::savePlanFile() {
  const auto k = planNumber();
  if (!k) return;
  PlanFile f;
  f.title = planTitle(*k);
  const int type = form().option("PlanType") == 1 ? kRotatable : kOrthogonal;
  f.kind = planKindLine(type, havePlan_ ? plan_.Nf : tickedCount());
  f.weightsTitle = kWeightsHeading;
  if (!readRow("X0_", f.levels.X0) || !readRow("dX_", f.levels.dX) || !readRow("Xopt_", f.levels.Xopt) ||
      !readRow("XoptNat_", f.levels.XoptNat))
    return form().message("Ошибка при записи данных в файл \\Plan" + std::to_string(*k) + " \\OrvantPlan" +
                              std::to_string(*k) + ".dat",
                          kTitle7);
  f.Wt = state().Wt;
  writePlanFile(state(), *k, f);
}

void OptimisationScreen::loadObserved() {
  static constexpr statistics::ShiftSource sources[] = {
      statistics::ShiftSource::New, statistics::ShiftSource::JPL, statistics::ShiftSource::Kin};
  const int src = std::clamp(form().option("nabSource"), 0, 2);
  if (!statistics::loadObservedShifts(state(), sources[src], statistics::ShiftMessages::Screen15)) return;
  observedLoaded_ = true;
  form().setText("report", "");
  report("Наблюдаемые вековые смещения: " + displayPath(statistics::observedShiftPath(sources[src])));
  for (const auto& line : statistics::observedShiftText(state(), true)) report(line);
}

// ---- the series of runs ----

void OptimisationScreen::runSeries() {
  const auto fail = [this] { form().message(kRunFailed, kTitle7); };
  const auto k = planNumber();
  if (!k) return;
  if (!havePlan_ || !workbench().has(kRunScreen)) return fail();
  // One experiment at a time: a run of a plan is still going (NPlan is cleared at its end).
  if (state().NPlan > 0) return fail();
  const auto to = integerBox("expTo", 1, plan_.Npt);
  const auto from = integerBox("expFrom", 1, plan_.Npt);
  if (!to || !from || *from > *to) return fail();
  RowValues X0{}, dX{};
  if (!readRow("X0_", X0) || !readRow("dX_", dX)) return fail();
  for (int e = 1; e <= plan_.Npt; ++e) {
    settings_[at(e)] = experimentSettings(plan_, PlanFactor_, X0, dX, e);
    const RowValues& X = settings_[at(e)];
    for (int i = 1; i <= kFactorRows; ++i)
      if (!std::isfinite(X[at(i)])) return fail();
    if (!(X[6] > 0) || !(X[7] > 0)) return fail();  // a mass ratio must be positive
  }

  // Screen 2: the model, parameters of the traced planet recorded in the plan's files.
  ui::Form& run = workbench().show(kRunScreen).form();
  try {
    run.setOption(kModeOption, 0);
    for (const char* box : {kAnimation, kFindParams, kWriteRecords, kFiniteVgr, kStopYear})
      run.setChecked(box, true);
    run.setChecked(kEarthCentre, false);
    run.setChecked(kSunCentre, true);
    run.setChecked(kEnergy, false);
    run.setChecked(kWriteXYZ, false);
  } catch (const std::exception&) {
    return fail();
  }
  workbench().show(number());

  restoreMasses();  // a series ended by "Остановить" before its runs came back
  keepMasses();
  running_ = true;
  runPlan_ = *k;
  total_ = *to - *from + 1;
  done_ = 0;
  seriesStart_ = std::chrono::steady_clock::now();
  startExperiment(*from);
}

void OptimisationScreen::startExperiment(int e) {
  const RowValues& X = settings_[at(e)];
  for (int i = 1; i <= kFactorRows; ++i) form().setNumber(id("Xset_", i), X[at(i)]);
  State& s = state();
  if (!applySettings(s, X)) {
    endSeries(true);
    return;
  }
  ui::Form& run = workbench().screen(kRunScreen).form();
  try {
    run.setNumber(kVgrFactor, X[4]);
    run.setNumber(kPgrBox, X[5]);
    run.setText(kExperimentBox, std::to_string(e));
  } catch (const std::exception&) {
    endSeries(true);
    return;
  }
  s.NPlan = runPlan_;
  runStart_ = std::chrono::steady_clock::now();
  showProgress(e);
  // Posted: the run starts after this command has returned.
  run.setText(kStartHidden, screenNumber(ui::clockSeconds(), 2));
  // Runs after the run: a run of a plan always clears NPlan at its end (or at "Остановить"), so an
  // NPlan still set means that screen 2 refused to start (it has shown why); the series ends.
  const int plan = runPlan_;
  const int done = done_;
  workbench().post(*this, [this, plan, e, done] {
    if (!running_) return;
    if (state().NPlan != plan) {
      // The run came back. One that finished has posted runFinished, which runs after this call;
      // one that was stopped ("Остановить", the window closed) never does: the series has ended.
      workbench().post(*this, [this, done] {
        if (!running_ || done_ != done || state().NPlan != 0) return;
        running_ = false;
        restoreMasses();
        showProgress(0);
      });
      return;
    }
    const auto from = integerBox("expFrom", 1, kMaxPoints);
    if (from && *from != e) return;
    state().NPlan = 0;
    endSeries(true);
  });
}

void OptimisationScreen::runFinished() {
  if (!running_) return;
  ++done_;
  const auto from = integerBox("expFrom", 1, kMaxPoints);
  const auto to = integerBox("expTo", 1, kMaxPoints);
  if (!from || !to) return endSeries(true);
  const int next = *from + 1;
  form().setText("expFrom", std::to_string(next));
  if (next > *to || next > plan_.Npt) return endSeries(false);
  startExperiment(next);
}

void OptimisationScreen::endSeries(bool failed) {
  running_ = false;
  restoreMasses();
  showProgress(0);
  if (failed) {
    form().message(kRunFailed, kTitle7);
    return;
  }
  if (sound_) sound_(fullPath(state(), kSoundFile).string());
}

void OptimisationScreen::showProgress(int running) {
  using Seconds = std::chrono::duration<double>;
  const double elapsed = Seconds(std::chrono::steady_clock::now() - seriesStart_).count();
  std::string text;
  if (running > 0)
    text = "выполняется эксперимент № " + std::to_string(running) + ";  ";
  else
    text = running_ ? "" : "серия закончена;  ";
  text += "выполнено " + std::to_string(done_) + " из " + std::to_string(total_);
  if (done_ > 0 && done_ < total_)
    text += ";  осталось около " + duration(elapsed / done_ * (total_ - done_));
  else if (done_ > 0)
    text += ";  затрачено " + duration(elapsed);
  form().setText("progress", text);
}

// ---- criterion, regression, optimum ----

void OptimisationScreen::computeCriterion() {
  if (!havePlan_) return form().message(kTestCriterionFailed, kTitle7);
  const auto crit = static_cast<CriterionForm>(std::clamp(form().option("form"), 0, 3));
  // Every regression coefficient is 1 after a criterion, whatever the data (the test polynomial).
  Breg_.fill(1);
  haveRegression_ = false;
  Criterion Y{};
  if (form().option("data") == 1) {
    if (!observedLoaded_) return form().message(kLoadObserved, kTitle7);
    const auto k = planNumber();
    if (!k) return;
    CriterionChoice choice;
    for (int N = 1; N <= kPlanets; ++N) choice.planets[at(N)] = form().checked(id("planet", N));
    for (int c = 1; c <= kShiftColumns; ++c) choice.params[at(c)] = form().checked(id("param", c));
    choice.form = crit;
    if (!modelCriterion(state(), *k, plan_.Npt, choice, state().Wt, Y)) return;
  } else {
    for (int i = 1; i <= plan_.Nf; ++i) {
      form().setText(id("X0_", i), "1");
      form().setText(id("dX_", i), "1");
    }
    if (!testCriterion(state(), plan_, crit, Y)) return;
  }
  Yexp_ = Y;
  haveCriteria_ = true;
  double Ymax = -state().MK, Ymin = state().MK;
  report("Номер эксперимента и значение критерия");
  for (int e = 1; e <= plan_.Npt; ++e) {
    Ymax = std::max(Ymax, Yexp_[at(e)]);
    Ymin = std::min(Ymin, Yexp_[at(e)]);
    report(std::to_string(e) + "   " + screenNumber(Yexp_[at(e)], 6));
  }
  const double scale = (Ymax - Ymin) / 10;
  form().setNumber("scale", scale, 6);
  form().setNumber("Ymin", Ymin, 6);
  Ymin_ = Ymin;
  scale_ = scale > 0 ? scale : 1;  // equal criteria: drawn on the base line
  drawCriteria(false);
}

void OptimisationScreen::fit() {
  if (!havePlan_ || !haveCriteria_) return form().message(kFitFailedOptimisation, kTitle7);
  Regression reg;
  if (!fitRegression(state(), plan_, Yexp_, reg, kFitFailedOptimisation)) return;
  Breg_ = reg.Breg;
  haveRegression_ = true;
  for (const auto& line : fitReport(Breg_, plan_, Yexp_)) report(line);
  drawCriteria(true);
}

void OptimisationScreen::optimiseFactors() {
  if (!havePlan_ || !haveRegression_) return form().message(kSolveFailed, kTitle7);
  RowValues X0{}, dX{};
  if (!readRow("X0_", X0) || !readRow("dX_", dX)) return form().message(kSolveFailed, kTitle7);
  Optimum opt;
  if (!optimise(state(), Breg_, plan_.Nf, opt)) return;
  Xopt_ = opt.Xopt;
  for (int n = 1; n <= plan_.Nf; ++n) {
    const int row = PlanFactor_[at(n)];
    form().setNumber(id("Xopt_", row), Xopt_[at(n)], 6);
    form().setNumber(id("XoptNat_", row), naturalOptimum(X0[at(row)], Xopt_[at(n)], dX[at(row)]), 6);
  }
  for (const auto& line : optimumReport(opt)) report(line);
}

void OptimisationScreen::copyOptimum() {
  for (int i = 1; i <= kFactorRows; ++i) form().setText(id("X0_", i), form().text(id("XoptNat_", i)));
}

// ---- drawing ----

void OptimisationScreen::drawCriteria(bool withRegression) {
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  pic.setOrigin(kLeftCm, kBaseCm);
  pic.line(0, 0, kStepCm * (plan_.Npt + 1), 0, ui::kGray);
  pic.line(0, 0, 0, 10, ui::kGray);
  const auto height = [this](double y) { return (y - Ymin_) / scale_; };
  // The values stand beside their points where there is room; the report lists them all.
  ui::LabelPlacer values(pic);
  values.reserve(0, 0, kPictureWidthCm, kBaseCm - 10.2);  // the caption lines at the top
  for (int e = 1; e <= plan_.Npt; ++e) {
    if (e == 1 || e % 5 == 0) values.reserve(pic.toCmX(kStepCm * e - 0.15), kBaseCm + 0.15, 0.6, 0.45);
    // The points and their stems stay uncovered.
    const double top = std::clamp(height(Yexp_[at(e)]), -1.0, 11.0);
    values.reservePoint(kStepCm * e, top, 0.12);
    values.reserve(pic.toCmX(kStepCm * e) - 0.05, pic.toCmY(std::max(top, 0.0)), 0.1, std::fabs(top));
  }
  for (int e = 1; e <= plan_.Npt; ++e) {
    const double x = kStepCm * e, y = height(Yexp_[at(e)]);
    pic.line(x, 0, x, y, ui::kLightGray);
    pic.circle(x, y, 0.09, ui::kBlue, !withRegression);
    if (withRegression) {
      const double r = evaluateAtRow(Breg_, plan_, e);
      pic.circle(x, height(r), 0.05, ui::kRed, true);
    } else {
      values.text(x, y, screenNumber(Yexp_[at(e)], 3), ui::kBlack, true);
    }
    if (e == 1 || e % 5 == 0) pic.text(x - 0.15, -0.15, std::to_string(e));
  }
  pic.text(0.2, 11.6, "М " + screenNumber(scale_, 6) + " ед/см,  Ymin= " + screenNumber(Ymin_, 6));
  if (withRegression) {
    pic.text(10, 11.6, "эксперимент", ui::kBlue);
    pic.text(13, 11.6, "расчет", ui::kRed);
  }
}

void OptimisationScreen::drawGraphs() {
  const auto fail = [this] { form().message(kGraphsFailedScale, kTitle7); };
  if (!havePlan_ || !haveRegression_) return fail();
  const auto scale = form().number("scale");
  const auto Ymin = form().number("Ymin");
  if (!scale || !Ymin || !(*scale > 0) || !std::isfinite(*scale) || !std::isfinite(*Ymin)) return fail();
  // The coded optima of the plan factors as the boxes show them (after "6-" or a loaded plan file).
  Levels Xopt{};
  for (int n = 1; n <= plan_.Nf; ++n) {
    const auto v = form().number(id("Xopt_", PlanFactor_[at(n)]));
    if (!v || !std::isfinite(*v)) return fail();
    Xopt[at(n)] = *v;
  }
  const auto yCm = [&](double y) { return (y - *Ymin) / *scale; };
  std::vector<std::array<double, kCurvePoints>> curves;
  for (int n = 1; n <= plan_.Nf; ++n) {
    curves.push_back(responseCurve(Breg_, plan_.Nf, Xopt, n));
    for (double y : curves.back())
      if (!std::isfinite(yCm(y)) || std::fabs(yCm(y)) > kFarCm) return fail();
  }
  const auto xCm = [](double x) { return 1 + (x + 1) * kCurveWidthCm / 2; };
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  pic.setOrigin(kLeftCm, kBaseCm);
  pic.line(0, 0, kCurveWidthCm + 2, 0, ui::kGray);
  pic.line(0, 0, 0, 10, ui::kGray);
  for (int k = -2; k <= 2; ++k) {
    const double x = xCm(k / 2.0);
    pic.line(x, -0.1, x, 0.1, ui::kGray);
    pic.text(x - 0.2, -0.15, screenNumber(k / 2.0));
  }
  std::vector<double> labels;  // heights of the curve labels placed, cm
  for (int n = 1; n <= plan_.Nf; ++n) {
    const auto& y = curves[at(n - 1)];
    const int row = PlanFactor_[at(n)];
    const ui::Color c = curveColor(row);
    for (int k = 1; k < kCurvePoints; ++k)
      pic.line(xCm(-1 + (k - 1) / 16.0), yCm(y[at(k - 1)]), xCm(-1 + k / 16.0), yCm(y[at(k)]), c);
    pic.text(xCm(1) + 0.2, stackedLabel(labels, yCm(y[kCurvePoints - 1]) + 0.2), "X" + std::to_string(row), c);
  }
  pic.text(0.2, 11.6, "Y по уравнению регрессии: X(i) от -1 до +1, остальные X(j) = X(j)opt;  М " +
                          screenNumber(*scale, 6) + " ед/см,  Ymin= " + screenNumber(*Ymin, 6));
}

// ---- other screens, shifts ----

void OptimisationScreen::openWeights() {
  if (!workbench().has(kWeightsScreen)) return;
  const std::string k = form().text("planNo");
  ui::Form& w = workbench().show(kWeightsScreen).form();
  w.setText("plan", k);
}

void OptimisationScreen::computeAllShifts() {
  const auto k = planNumber();
  if (!k) return;
  const auto bad = [this] { form().message("Задайте правильно данные", kTitle7); };
  // The number of experiments is the plan's.
  if (!havePlan_) return form().message("Сначала создайте план экспериментов", kTitle7);
  const auto N = integerBox("shiftPlanet", 1, kPlanets);
  const auto ncp = integerBox("NCP0", 1, 100000);
  const auto IG = form().number("IG");
  const auto year0 = integerBox("Year0", -100000, 100000);
  if (!N || !ncp || !IG || !std::isfinite(*IG) || !year0) return bad();
  ShiftFitOptions opt;
  opt.NCP0 = *ncp;
  opt.fit = static_cast<statistics::FitKind>(std::clamp(form().option("fitKind"), 0, 2));
  opt.IG = *IG;
  opt.Year0 = *year0;
  if (!computeExperimentShifts(state(), *k, *N, plan_.Npt, opt)) return;
  form().setText("report", "");
  report("Рассчитанные вековые смещения: " + displayPath(statistics::calculatedShiftPath(*k, *N)));
  for (const auto& line : statistics::calculatedShiftText(state(), *N)) report(line);
}

}  // namespace orvant::design
