// Screen 10: the experiments of a plan of screen 13, the regression over their criteria, the
// graphs at the optimum and the plan listing.
//
// A series runs one experiment per command: "Выполнить эксперименты с" starts the run (the checks
// and readings of "Начать"), fills the parameter rows of the experiments and queues the first
// experiment; each experiment runs the reduction loop over the whole source with its parameters,
// prints its criterion and queues the next one (workbench post), so that no loop runs inside
// another and "Остановить" ends the series after the current pass.
//
// The texts on the residual picture stand at heights counted in listing units below the top edge
// of the picture; one unit is two lines of text.
#include <algorithm>
#include <cmath>

#include "design/plans_workbench.h"
#include "design/regression.h"
#include "model/format.h"
#include "model/messages.h"
#include "observations/obs_plan.h"
#include "observations/screens/obs_plan_screen.h"
#include "observations/screens/observation_screen.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr double kUnitCm = 2 * ui::Canvas::kLineCm;

ObsPlanScreen* planScreenOf(ui::Workbench& wb) {
  return dynamic_cast<ObsPlanScreen*>(wb.created(kObsPlanScreen));
}

}  // namespace

// Once screen 13 is open, option "План" takes its parameters and its perturbation plan.
PlanLink ObservationScreen::planLink() {
  PlanLink link;
  if (ObsPlanScreen* p = planScreenOf(workbench())) {
    link.parameters = obsPlanParameters;
    link.plan = &p->plan();
  }
  return link;
}

namespace {

std::string six(double v) { return screenNumber(truncDecimals(v, 6), 6); }

}  // namespace

void ObservationScreen::declarePlanControls() {
  group("gPlanRun", "План").in("c2").at(2, 0);
  button("runExp", "Выполнить эксперименты с", [this] { runExperiments(); }).in("gPlanRun")
      .at(0, 0).span(1, 2)
      .tip("Выполнить опыты плана экрана 13 с первого по последний номер, критерий каждого на рисунке");
  field("expFrom", "", "1").in("gPlanRun").at(0, 2).chars(3);
  field("expTo", "по", "43").in("gPlanRun").at(0, 3).chars(3);
  check("useTest", "использовать тест").in("gPlanRun").at(1, 0).span(1, 2);
  check("sound", "Звук в конце").in("gPlanRun").at(1, 2).span(1, 2);
  button("regression", "Найти коэффициенты уравнения регрессии", [this] { planRegression(); })
      .in("gPlanRun").at(2, 0).span(1, 4)
      .tip("Коэффициенты уравнения регрессии по критериям выполненных опытов");
  button("graphs", "Построить графики при X(i)=X(i)opt", [this] { planGraphs(); })
      .in("gPlanRun").at(3, 0).span(1, 4)
      .tip("Критерий по каждому фактору от -1 до +1 при остальных факторах в оптимуме");
  hidden("planListHidden", [this] { planListing(); });
}

// "План" enables both epochs; "JPL0" and "Kin0" take "J2000" and disable "JD". Every choice
// unticks screen 13's "план возмущений от планет №1 или №2", which can be ticked again only after
// "JPL0" or "Kin0".
void ObservationScreen::planetChosen() {
  ui::Form& f = form();
  const bool plan = f.option("planet") == 2;
  if (!plan) f.setOption("epoch", 0);
  f.setEntryEnabled("epoch", 1, plan);
  if (ObsPlanScreen* p = planScreenOf(workbench())) {
    p->form().tick("pert", false);
    p->form().setEnabled("pert", !plan);
  }
}

void ObservationScreen::planText(double units, const std::string& text, double xCm, ui::Color c) {
  ui::Canvas& pic = form().canvas("resid");
  // The picture's y axis runs upward from its origin; the top edge is at fromCmY(0).
  const double top = pic.fromCmY(0);
  pic.text(pic.fromCmX(xCm), top - units * kUnitCm, text, c);
}

void ObservationScreen::runExperiments() {
  State& s = state();
  if (run_.running() || seriesRunning_) return;
  ObsPlanScreen* planScreen = planScreenOf(workbench());
  const auto from = form().number("expFrom"), to = form().number("expTo");
  auto whole = [](const std::optional<double>& v) {
    return v && *v == std::trunc(*v) && *v >= 1 && *v < kExperimentRows;
  };
  if (!planScreen || !planScreen->plan().built || !whole(from) || !whole(to) || *from > *to)
    return form().message(kMsgBadInputs, kTitle70);
  ObsPlan& plan = planScreen->plan();
  const int first = static_cast<int>(*from);
  const int last = std::min(static_cast<int>(*to), plan.plan.Npt);
  if (first > last) return form().message(kMsgBadInputs, kTitle70);

  if (form().checked("useTest")) {
    // A check of the plan machinery without observations: the standard test polynomial (all
    // coefficients 1) at the coded levels of the plan; zero levels and intervals 1.
    planScreen->setTestLevels();
    run_.experiments().par[10] = 1;
    design::Criterion Y{};
    double Yopt = 0;
    design::standardTest(plan.plan, Y, Yopt);
    seriesRunning_ = true;
    seriesFirst_ = first;
    seriesStart_ = ui::clockSeconds();
    for (int u = first; u <= last; ++u) {
      run_.experiments().current = u;
      const auto uu = static_cast<std::size_t>(u);
      plan.Yexp[uu] = Y[uu];
      plan.done[uu] = true;
      form().setText("expFrom", std::to_string(u));
      planText(10.5 + u / 2.0, six(Y[uu]), 7.5);
    }
    endExperiments(true);
    return;
  }

  // The checks and readings of "Начать".
  // A file number that is not one is refused before anything changes.
  if (!isFileNumber(form().text("FileNo")) || !isFileNumber(form().text("GoodNo")))
    return form().message(kMsgBadInputs, kTitle70);
  if (!planScreen->readBoxes()) return;
  if (const std::string why = planIgnored(plan); !why.empty())
    return form().message(why, kTitle70);
  if (!openChosenObservatory()) return;
  s.FileNo = form().text("FileNo");
  s.GoodNo = form().text("GoodNo");
  const ReductionInputs in = readInputs();
  seriesRunning_ = true;  // the series' picture holds the listing and the criteria only
  run_.setPlanLink(planLink());
  if (!run_.start(in, *this)) {
    seriesRunning_ = false;
    return;
  }
  clearResults();
  day0_ = in.Day;
  month0_ = in.Month;
  year0_ = in.Year;
  // The parameter rows of the experiments: the current row with the plan factors at their levels.
  ExperimentTable& t = run_.experiments();
  for (int u = 1; u <= last; ++u) {
    const auto row = experimentParameters(plan, t.par, u);
    auto& r = t.row[static_cast<std::size_t>(u)];
    r.fill(0);
    for (std::size_t j = 1; j <= 10; ++j) r[j] = row[j];
  }
  seriesFirst_ = first;
  seriesStart_ = ui::clockSeconds();
  workbench().post(*this, [this, first, last] { runExperiment(first, last); });
}

// The experiments of a plan differ only where the pass takes the plan's parameters: the orbit
// parameters go only into the planet theory "План" (for the Sun observed, into the Earth; for
// the Moon, into the Moon), the coefficients of a perturbation plan only into the periodic
// perturbations of the observed planet ("+dLp"; the Earth's, "+dLzl", when the Sun is
// observed). Any other setting would give every experiment the same criterion. Empty: the
// plan is read by the pass.
std::string ObservationScreen::planIgnored(const ObsPlan& plan) const {
  const ui::Form& f = form();
  if (!plan.pert) {
    if (f.option("planet") == 2) return {};
    return "Опыты плана меняют параметры орбиты только в теории \"План\": выберите \"План\" "
           "в группе \"параметры орбит планет (p)\"";
  }
  const int N = integerOf(num("Npl"));
  if (N == 0) {
    if (f.checked("dLzl")) return {};
    return "Опыты плана возмущений меняют коэффициенты возмущений Земли: отметьте \"+dLzl\"";
  }
  if (N == 1 || N == 2 || N == 4) {
    if (f.checked("dLp")) return {};
    return "Опыты плана возмущений меняют коэффициенты возмущений планеты: отметьте \"+dLp\"";
  }
  return "План возмущений есть только для Солнца (Земли), Меркурия, Венеры и Марса";
}

void ObservationScreen::runExperiment(int u, int last) {
  State& s = state();
  ObsPlanScreen* planScreen = planScreenOf(workbench());
  if (!seriesRunning_ || !planScreen) return endExperiments(false);
  ObsPlan& plan = planScreen->plan();
  form().setText("expFrom", std::to_string(u));
  s.kStop = 0;
  s.kEnd = 0;
  run_.resetAccumulators();
  ExperimentTable& t = run_.experiments();
  t.current = u;
  s.JD = run_.JDep() - run_.live().StepTab;
  for (auto& p : last_) p.set = false;
  runLoop();
  const auto uu = static_cast<std::size_t>(u);
  const double crit = run_.acc().Nok > 0
                          ? criterionOf(t.row[uu], run_.options().criterion, run_.options().rms)
                          : 0;
  plan.Yexp[uu] = crit;
  plan.done[uu] = run_.acc().Nok > 0;
  // The weight of the result (parameter 10) goes back to screen 13 as X0(10).
  if (plan.done[uu]) {
    plan.v.X0[10] = t.par[10];
    plan.dates.JDmean = run_.acc().JDmean;
    planScreen->form().setNumber("kW", t.par[10], 6);
  }
  planText(10.5 + u / 2.0, six(crit), 7.5);
  const bool stopped = s.kStop == 1;
  if (!run_.tableSource()) ObsRewind(s);
  if (stopped || u >= last) return endExperiments(!stopped);
  workbench().post(*this, [this, u, last] { runExperiment(u + 1, last); });
}

// The end of a series is announced on the progress line with the experiments done and the time
// it took (a line, not a message box: the series often ends while nobody watches).
void ObservationScreen::endExperiments(bool completed) {
  const bool wasRunning = seriesRunning_;
  seriesRunning_ = false;
  const int lastDone = run_.experiments().current;
  run_.experiments().current = 0;
  if (!wasRunning) return;
  const long secs = std::lround(std::max(0.0, ui::clockSeconds() - seriesStart_));
  const std::string took = (secs >= 60 ? std::to_string(secs / 60) + " мин " : std::string()) +
                           std::to_string(secs % 60) + " с";
  const std::string text =
      completed ? "Эксперименты с " + std::to_string(seriesFirst_) + " по " +
                      std::to_string(lastDone) + " выполнены за " + took
                : "Серия экспериментов остановлена на опыте " + std::to_string(lastDone) +
                      " через " + took;
  form().setText("progress", text);
  if (completed) {
    backToJD0();
    if (form().checked("sound")) playEndSound(state());
  }
}

void ObservationScreen::planRegression() {
  ObsPlanScreen* planScreen = planScreenOf(workbench());
  if (!planScreen || !planScreen->plan().built) return form().message(kMsgBadInputs, kTitle70);
  ObsPlan& plan = planScreen->plan();
  design::Regression reg;
  if (!design::fitRegression(state(), plan.plan, plan.Yexp, reg,
                             design::kFitFailedOptimisation))
    return;
  plan.reg = reg;
  plan.fitted = true;
  ui::Canvas& pic = form().canvas("resid");
  pic.clear();
  drawAxes();
  const int Nf = plan.plan.Nf;
  const int lastCol = plan.plan.lastColumn();
  planText(0, design::kRegressionHeading);
  for (int c = 0; c <= lastCol; ++c)
    planText(0.5 + c / 2.0, std::string("b").append(std::to_string(c)) + "  =  " + six(reg.Breg[static_cast<std::size_t>(c)]));
  const double base = 1 + (lastCol + 1) / 2.0;
  planText(base, "расчет", 0.4, ui::kRed);
  planText(base, "эксперимент", 2.4);
  pic.circle(pic.fromCmX(0.2), pic.fromCmY(base * kUnitCm + 0.2), 0.08, ui::kRed, true);
  pic.circle(pic.fromCmX(2.2), pic.fromCmY(base * kUnitCm + 0.2), 0.08, ui::kBlack, true);
  for (int u = 1; u <= plan.plan.Npt; ++u) {
    const double y = design::evaluateAtRow(reg.Breg, plan.plan, u);
    planText(base + 0.5 + u / 2.0,
             std::to_string(u) + "   " + six(y) + "   " +
                 six(plan.Yexp[static_cast<std::size_t>(u)]));
  }
  (void)Nf;
}

void ObservationScreen::planGraphs() {
  ObsPlanScreen* planScreen = planScreenOf(workbench());
  if (!planScreen || !planScreen->plan().fitted) return form().message(kMsgBadInputs, kTitle70);
  const ObsPlan& plan = planScreen->plan();
  const bool byL = form().option("criterion") == 1;
  const double scale = num(byL ? "MdAlfa" : "MdR");
  if (!std::isfinite(scale) || scale <= 0) return form().message(kMsgBadInputs, kTitle70);
  ui::Canvas& pic = form().canvas("resid");
  planText(0, "X1                           X2                             X3");
  planText(0.5, "                          X4                           X5                           X6");
  const int Nf = plan.plan.Nf;
  design::Levels x{};
  for (int f = 1; f <= Nf; ++f)
    x[static_cast<std::size_t>(f)] =
        plan.v.Xopt[static_cast<std::size_t>(plan.factorRow[static_cast<std::size_t>(f)])];
  const ui::Color colours[] = {ui::kBlack, ui::kRed, ui::kBlue, ui::kGreen, ui::kMagenta, ui::kGray};
  for (int f = 1; f <= Nf; ++f) {
    design::Levels xf = x;
    const double x0 = 1.5 * (f - 1);  // the panel of factor f, 1.5 cm wide
    double px = 0, py = 0;
    for (int n = -16; n <= 16; ++n) {
      xf[static_cast<std::size_t>(f)] = n / 16.0;
      const double Y = design::evaluate(plan.reg.Breg, Nf, xf);
      const double X = x0 + (n + 16) / 32.0 * 1.4;
      const double Yc = Y / scale;
      if (n > -16) pic.line(px, py, X, Yc, colours[(f - 1) % 6]);
      px = X;
      py = Yc;
    }
  }
}

void ObservationScreen::planListing() {
  ObsPlanScreen* planScreen = planScreenOf(workbench());
  if (!planScreen) return;
  const ObsPlan& plan = planScreen->plan();
  const ObsPlanValues& v = plan.v;
  const double MK = state().MK;
  // The listing starts on a clear picture: the curves of earlier runs would run through it.
  form().canvas("resid").clear();
  for (auto& p : last_) p.set = false;
  drawAxes();
  planText(0, plan.description);
  planText(1, "Данные оптимизированы с " + screenNumber(plan.dates.Day) + "." +
                  std::to_string(plan.dates.Month) + "." + std::to_string(plan.dates.Year) +
                  " по " + std::to_string(plan.dates.YearEnd));
  planText(2, "Нулевые уровни, интервалы варьирования и оптимальные значения параметров");
  for (int i = 1; i <= kObsPlanRows; ++i) {
    const auto ii = static_cast<std::size_t>(i);
    const double sc = i == 1 ? MK : 1;
    planText(2.5 + i / 2.0, std::string("X").append(std::to_string(i)) + "  " + six(v.X0[ii] / sc) + "  " +
                                six(v.dX[ii] / sc) + "            Xopt" + std::to_string(i) +
                                "  " + six(v.Xopt[ii]) + "  " + six(v.XoptNat[ii] / sc));
  }
  planText(8, "Скорость Солнечной системы по осям X Y Z км/с и прецессия (угл. сек.) за 100 лет "
              "и вес точки");
  planText(9, screenNumber(std::trunc(v.VXsys) / 1000) + "  " +
                  screenNumber(std::trunc(v.VYsys) / 1000) + "  " +
                  screenNumber(std::trunc(v.VZsys) / 1000) + "  " + six(v.Prec) + "  " +
                  six(v.X0[10]));
  planText(10, "Номер эксперимента, уровни и значение критерия (экспериментальное и расчетное)");
  if (!plan.built) return;
  for (int u = 1; u <= plan.plan.Npt; ++u) {
    const double y = 10.5 + u / 2.0;
    planText(y, std::to_string(u));
    for (int f = 1; f <= plan.plan.Nf; ++f)
      planText(y,
               screenNumber(truncDecimals(
                   plan.plan.Xpl[static_cast<std::size_t>(u)][static_cast<std::size_t>(f)], 2), 2),
               (f + 1) * 0.9);
  }
}

}  // namespace orvant
