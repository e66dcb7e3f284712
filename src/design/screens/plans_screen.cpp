#include "design/screens/plans_screen.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "design/screens/plan_tests_screen.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::design {

namespace {

// Drawing: the origin of the values sits kLeftCm from the left edge and kBaseCm from the top; the
// values of the criteria rise at most 10 cm above it (the scale is (Ymax - Ymin)/10 per cm).
constexpr double kPictureWidthCm = 48, kPictureHeightCm = 13.5;
constexpr double kLeftCm = 2, kBaseCm = 12;
constexpr double kStepCm = 0.5;      // one experiment
constexpr double kCurveWidthCm = 16;  // coded levels -1..+1 of the response curves

std::string id(const char* prefix, int i) {
  std::string s = prefix;
  s += std::to_string(i);
  return s;
}
std::size_t at(int i) { return static_cast<std::size_t>(i); }

// Colours of the response curves of factors 1..6.
ui::Color curveColor(int row) {
  static const int palette[7] = {0, 1, 4, 2, 5, 6, 3};
  return ui::qbColor(palette[std::clamp(row, 0, 6)]);
}

}  // namespace

PlansScreen::PlansScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Планы многофакторного планирования"), signs_(fillSignTables()) {
  group("factors", "Факторы").at(0, 0);
  label("headX0", "X0(i)").in("factors").at(0, 1);
  label("headdX", "dX(i)").in("factors").at(0, 2);
  label("headXopt", "Xopt(i)").in("factors").at(0, 3);
  label("headXoptNat", "X(i)opt").in("factors").at(0, 4);
  for (int i = 1; i <= kMaxFactors; ++i) {
    check(id("X", i), id("X", i) += "=", i <= 2).in("factors").at(i, 0).onChange([this] {
      countFactors();
    });
    field(id("X0_", i), "", "1").in("factors").at(i, 1).chars(9);
    field(id("dX_", i), "", "1").in("factors").at(i, 2).chars(9);
    field(id("Xopt_", i), "", "0").in("factors").at(i, 3).chars(9).locked();
    field(id("XoptNat_", i), "", "1").in("factors").at(i, 4).chars(9).locked();
  }
  field("Nf", "Nf=", "2").in("factors").at(7, 0).chars(3).locked();
  button("setOnes", "задать X0(i)=1 ", [this] { setUnitLevels(); }).in("factors").at(7, 1).span(1, 2)
      .tip("Задать центр плана X0(i) = 1");
  button("copyOpt", "задать X0(i)=X(i)opt", [this] { copyOptimum(); }).in("factors").at(7, 3).span(1, 2)
      .tip("Сделать найденный оптимум центром плана");

  group("plan", "План").at(1, 0);
  std::vector<std::string> types;
  for (int t = kOrthogonal; t <= kBoxComposite; ++t) types.emplace_back(planCaption(t));
  options("PlanType", "", std::move(types), kRotatable - 1).in("plan").at(0, 0).span(2, 1);
  check("setN0", "Задать N0=").in("plan").at(0, 1);
  field("N0", "", "").in("plan").at(0, 2).chars(4);
  button("build", "Создать план экспериментов", [this] { build(); }).in("plan").at(2, 0).span(1, 3)
      .tip("Создать план экспериментов выбранного типа");

  group("crit", "Критерий").at(2, 0);
  options("source", "", {"ст. теста", "доп. тестов", "из файла"}, 0)
      .in("crit").at(0, 0).span(1, 2).inColumns(3).onChange([this] { sourceChanged(); });
  options("form", "", {"Y", "dY= Y - Yopt", "dY^2", "Abs(dY)"}, 0).in("crit").at(1, 0).span(2, 1).inColumns(2);
  check("relative", "dY/Yopt").in("crit").at(1, 1);
  field("Yopt", "Yopt для dY", "100").in("crit").at(2, 1).chars(10);
  button("run", "Выполнить эксперименты и рассчитать критерий", [this] { runExperiments(); })
      .in("crit").at(3, 0).span(1, 2)
      .tip("Выполнить опыты плана и рассчитать критерий");
  button("save", "Записать эксперименты в файл", [this] { saveExperiments(); }).in("crit").at(4, 0).span(1, 2)
      .tip("Записать опыты плана и их критерии в файл");
  field("scale", "Масштаб, ед/см", "").in("crit").at(5, 0).chars(10);
  field("Ymin", "Ymin, ед", "").in("crit").at(5, 1).chars(10);

  group("acts", "").at(3, 0);
  button("fit", "Найти коэффициенты уравнения регрессии", [this] { fit(); }).in("acts").at(0, 0)
      .tip("Найти коэффициенты уравнения регрессии");
  button("optimise", "Оптимизировать параметры", [this] { optimiseFactors(); }).in("acts").at(1, 0)
      .tip("Найти оптимум факторов по уравнению регрессии");
  button("graphs", "Построить графики по уравнению регрессии при X(i)=X(i)opt", [this] { drawGraphs(); })
      .in("acts").at(2, 0)
      .tip("Построить графики критерия по уравнению регрессии в оптимуме");
  button("clear", "Очистить рисунок", [this] { clearDrawing(); }).in("acts").at(3, 0)
      .tip("Стереть рисунок");
  button("close", "Закрыть форму", [this] { close(); }).in("acts").at(4, 0)
      .tip("Закрыть экран многофакторных планов");

  picture("pic", "", kPictureWidthCm, kPictureHeightCm).at(0, 1).span(2, 1);
  textArea("report", "Результаты").at(2, 1).span(2, 1).locked();
}

void PlansScreen::opened() {
  countFactors();
  // The test functions live on screen 8: without it "доп. тестов" cannot be chosen.
  if (!workbench().has(kPlanTestsScreen)) form().setEntryEnabled("source", 1, false);
}

// ---- helpers ----

int PlansScreen::tickedCount() const {
  int n = 0;
  for (int i = 1; i <= kMaxFactors; ++i)
    if (form().checked(id("X", i))) ++n;
  return n;
}

void PlansScreen::countFactors() { form().setText("Nf", std::to_string(tickedCount())); }

bool PlansScreen::readLevels(Levels& X0, Levels& dX) const {
  for (int i = 1; i <= kMaxFactors; ++i) {
    const auto x0 = form().number(id("X0_", i));
    const auto dx = form().number(id("dX_", i));
    if (!x0 || !dx || !std::isfinite(*x0) || !std::isfinite(*dx)) return false;
    X0[at(i)] = *x0;
    dX[at(i)] = *dx;
  }
  return true;
}

void PlansScreen::report(const std::string& line) { form().appendLine("report", line); }

void PlansScreen::sourceChanged() {
  if (form().option("source") == static_cast<int>(CriterionSource::TestFunction) &&
      workbench().has(kPlanTestsScreen))
    workbench().show(kPlanTestsScreen);
}

// ---- plan ----

void PlansScreen::build() {
  const int Nf = tickedCount();
  const int type = form().option("PlanType") + 1;
  std::optional<int> N0;
  // The user's count of centre points; the D-optimal plan has none, and a wrong factor count is
  // refused by the plan itself.
  if (form().checked("setN0") && type != kBoxDOptimal && Nf >= 2 && Nf <= kMaxFactors) {
    const auto v = form().number("N0");
    if (!v || *v != std::trunc(*v) || *v < 0 || *v > maxCentrePoints(Nf))
      return form().message(centrePointsRefusal(Nf), kTitle7);
    N0 = static_cast<int>(*v);
  }
  Plan p;
  if (!buildPlan(state(), signs_, type, Nf, N0, p)) return;

  plan_ = p;
  havePlan_ = true;
  int n = 0;
  rows_.fill(0);
  for (int i = 1; i <= kMaxFactors; ++i)
    if (form().checked(id("X", i))) rows_[at(++n)] = i;
  haveExperiments_ = haveRegression_ = haveOptimum_ = false;
  Y_.fill(0);
  Yexp_.fill(0);
  Breg_.fill(0);
  Xopt_.fill(0);
  Ystar_ = 0;

  form().setText("Nf", std::to_string(Nf));
  form().setText("N0", std::to_string(plan_.N0));
  form().canvas("pic").clear();
  form().setText("report", "");
  for (const auto& line : planReport(plan_)) report(line);
}

void PlansScreen::setUnitLevels() {
  for (int i = 1; i <= kMaxFactors; ++i) {
    if (!form().checked(id("X", i))) continue;
    form().setText(id("X0_", i), "1");
    form().setText(id("dX_", i), "1");
  }
}

// ---- experiments ----

void PlansScreen::runExperiments() {
  if (!havePlan_) return form().message(kNoPlan, kTitle7);
  const auto source = static_cast<CriterionSource>(std::clamp(form().option("source"), 0, 2));
  const auto crit = static_cast<CriterionForm>(std::clamp(form().option("form"), 0, 3));
  const bool relative = form().checked("relative");

  Criterion Y{};
  double Yopt = 0;
  ExperimentFile file;
  if (source != CriterionSource::File) {
    Levels X0{}, dX{};
    if (!readLevels(X0, dX)) return form().message(kBadLevels, kTitle7);
    // The standard test polynomial: every regression coefficient 1.
    Breg_.fill(1);
    haveRegression_ = true;
    if (source == CriterionSource::Standard) {
      standardTest(plan_, Y, Yopt);
    } else {
      const int k = workbench().has(kPlanTestsScreen)
                        ? workbench().screen<PlanTestsScreen>(kPlanTestsScreen).chosen()
                        : 0;
      if (!testFunctionCriteria(plan_, rows_, X0, dX, k, Y, Yopt))
        return form().message(kExperimentsFailed, kTitle7);
    }
  } else {
    if (!readExperimentFile(state(), plan_.Nf, plan_.Npt, file)) return;
    Y = file.Y;
    Yopt = file.Yopt;
  }

  Criterion Yexp{};
  if (!transformCriteria(crit, relative, Yopt, plan_.Npt, Y, Yexp))
    return form().message(kExperimentsFailed, kTitle7);

  if (source == CriterionSource::File) {
    // The file's factors become factors 1..Nf of the screen.
    for (int i = 1; i <= kMaxFactors; ++i) form().setChecked(id("X", i), i <= plan_.Nf);
    for (int n = 1; n <= plan_.Nf; ++n) {
      rows_[at(n)] = n;
      form().setNumber(id("X0_", n), file.X0[at(n)]);
      form().setNumber(id("dX_", n), file.dX[at(n)]);
    }
    countFactors();
  }
  Y_ = Y;
  Yexp_ = Yexp;
  Yopt_ = Yopt;
  haveExperiments_ = true;
  form().setNumber("Yopt", Yopt);

  double Ymax = -state().MK, Ymin = state().MK * state().MK;
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
  scale_ = scale > 0 ? scale : 1;  // all criteria equal: drawn on the base line
  drawCriteria(false);
}

void PlansScreen::saveExperiments() {
  if (!havePlan_) return form().message(kNoPlan, kTitle7);
  Levels X0{}, dX{};
  if (!readLevels(X0, dX)) return form().message(kBadLevels, kTitle7);
  const auto Yopt = form().number("Yopt");
  if (!Yopt || !std::isfinite(*Yopt)) return form().message("Введите правильно данные", kTitle7);
  ExperimentFile f;
  f.title = "Натурные эксперименты плана \"" + std::string(planCaption(plan_.PlanType)) + "\" для " +
            std::to_string(plan_.Nf) + " факторов: Nf, Npt, Yopt*MK, X0(i)*MK и dX(i)*MK";
  f.Nf = plan_.Nf;
  f.Npt = plan_.Npt;
  f.Yopt = *Yopt;
  for (int n = 1; n <= plan_.Nf; ++n) {
    f.X0[at(n)] = X0[at(rows_[at(n)])];
    f.dX[at(n)] = dX[at(rows_[at(n)])];
  }
  f.heading = "Номер эксперимента и значение критерия * MK";
  // The criteria of the last experiments as obtained; without experiments the file is a form to fill.
  if (haveExperiments_) f.Y = Y_;
  const auto path = std::filesystem::path(state().workDir) / experimentFileName(plan_.Nf);
  std::error_code ec;
  if (std::filesystem::exists(path, ec) &&
      !form().ask("Файл " + experimentFileDisplay(plan_.Nf) + " уже есть. Заменить его?", kTitle7))
    return;
  writeExperimentFile(state(), f);
}

// ---- regression and optimum ----

void PlansScreen::fit() {
  if (!havePlan_ || !haveExperiments_) return form().message(kFitFailedWorkbench, kTitle7);
  Regression reg;
  if (!fitRegression(state(), plan_, Yexp_, reg, kFitFailedWorkbench)) return;
  Breg_ = reg.Breg;
  haveRegression_ = true;
  haveOptimum_ = false;
  for (const auto& line : fitReport(Breg_, plan_, Yexp_)) report(line);
  drawCriteria(true);
}

void PlansScreen::optimiseFactors() {
  if (!havePlan_ || !haveRegression_) return form().message(kSolveFailed, kTitle7);
  Levels X0{}, dX{};
  if (!readLevels(X0, dX)) return form().message(kBadLevels, kTitle7);
  Optimum opt;
  if (!optimise(state(), Breg_, plan_.Nf, opt)) return;
  Xopt_ = opt.Xopt;
  for (int n = 1; n <= plan_.Nf; ++n) {
    const int r = rows_[at(n)];
    form().setNumber(id("Xopt_", r), Xopt_[at(n)], 6);
    form().setNumber(id("XoptNat_", r), naturalOptimum(X0[at(r)], Xopt_[at(n)], dX[at(r)]), 6);
  }
  for (const auto& line : optimumReport(opt)) report(line);
  // The value of the regression at the optimum, in the units of the criterion it was fitted to.
  Ystar_ = evaluate(Breg_, plan_.Nf, Xopt_);
  haveOptimum_ = true;
  report("Yopt= " + screenNumber(Ystar_, 6));
  printOptimumValue();
}

void PlansScreen::copyOptimum() {
  for (int i = 1; i <= kMaxFactors; ++i) form().setText(id("X0_", i), form().text(id("XoptNat_", i)));
}

// ---- drawing ----

void PlansScreen::drawAxes(double widthCm) {
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  pic.setOrigin(kLeftCm, kBaseCm);
  pic.line(0, 0, widthCm, 0, ui::kGray);
  pic.line(0, 0, 0, 10, ui::kGray);
  for (int k = 1; k <= 10; ++k) pic.line(-0.1, k, 0.1, k, ui::kGray);
}

void PlansScreen::labelAxis(double Ymin, double scale) {
  ui::Canvas& pic = form().canvas("pic");
  for (int k : {0, 5, 10}) pic.text(-1.9, k + 0.2, screenNumber(Ymin + k * scale, 3), ui::kGray);
}

void PlansScreen::drawCriteria(bool withRegression) {
  ui::Canvas& pic = form().canvas("pic");
  drawAxes(kStepCm * (plan_.Npt + 1));
  const auto height = [this](double y) { return (y - Ymin_) / scale_; };
  for (int e = 1; e <= plan_.Npt; ++e) {
    const double x = kStepCm * e, y = height(Yexp_[at(e)]);
    pic.line(x, 0, x, y, ui::kLightGray);
    pic.circle(x, y, 0.09, ui::kBlue, !withRegression);
    if (withRegression) pic.circle(x, height(evaluateAtRow(Breg_, plan_, e)), 0.05, ui::kRed, true);
    if (e == 1 || e % 5 == 0) pic.text(x - 0.15, -0.15, std::to_string(e));
  }
  labelAxis(Ymin_, scale_);
  pic.text(0.2, 11.6, "Масштаб " + screenNumber(scale_, 6) + " ед/см,  Ymin= " + screenNumber(Ymin_, 6));
  if (withRegression) {
    pic.text(10, 11.6, "эксперимент", ui::kBlue);
    pic.text(13, 11.6, "расчет", ui::kRed);
  }
}

void PlansScreen::printOptimumValue() {
  ui::Canvas& pic = form().canvas("pic");
  pic.text(0.2, 11.1, "Yopt= " + screenNumber(Ystar_, 6));
}

void PlansScreen::drawGraphs() {
  const auto fail = [this] { form().message(kGraphsFailed, kTitle7); };
  if (!havePlan_ || !haveRegression_) return fail();
  const auto scale = form().number("scale");
  const auto Ymin = form().number("Ymin");
  if (!scale || !Ymin || !(*scale > 0) || !std::isfinite(*scale) || !std::isfinite(*Ymin)) return fail();
  std::vector<std::array<double, kCurvePoints>> curves;
  for (int n = 1; n <= plan_.Nf; ++n) {
    curves.push_back(responseCurve(Breg_, plan_.Nf, Xopt_, n));
    for (double y : curves.back())
      if (!std::isfinite((y - *Ymin) / *scale)) return fail();
  }
  // Coded level x at 1 + (x + 1)*8 cm: -1 .. +1 over 16 cm.
  const auto xCm = [](double x) { return 1 + (x + 1) * kCurveWidthCm / 2; };
  const auto yCm = [&](double y) { return (y - *Ymin) / *scale; };
  drawAxes(kCurveWidthCm + 2);
  ui::Canvas& pic = form().canvas("pic");
  for (int k = -2; k <= 2; ++k) {
    const double x = xCm(k / 2.0);
    pic.line(x, -0.1, x, 0.1, ui::kGray);
    pic.text(x - 0.2, -0.15, screenNumber(k / 2.0));
  }
  pic.line(xCm(0), 0, xCm(0), 10, ui::kLightGray);
  labelAxis(*Ymin, *scale);
  std::vector<double> labels;  // heights of the curve labels already placed, cm
  for (int n = 1; n <= plan_.Nf; ++n) {
    const auto& y = curves[at(n - 1)];
    const int row = rows_[at(n)];
    const ui::Color c = curveColor(row);
    for (int k = 1; k < kCurvePoints; ++k)
      pic.line(xCm(-1 + (k - 1) / 16.0), yCm(y[at(k - 1)]), xCm(-1 + k / 16.0), yCm(y[at(k)]), c);
    const double h = stackedLabel(labels, yCm(y[kCurvePoints - 1]) + 0.2);
    pic.text(xCm(1) + 0.2, h, id("X", row), c);
    const double xo = Xopt_[at(n)];
    if (xo >= -1 && xo <= 1) pic.circle(xCm(xo), yCm(evaluate(Breg_, plan_.Nf, Xopt_)), 0.08, c, true);
  }
  pic.text(0.2, 11.6, "Y по уравнению регрессии: X(i) от -1 до +1, остальные X(j)=X(j)opt;  Масштаб " +
                          screenNumber(*scale, 6) + " ед/см,  Ymin= " + screenNumber(*Ymin, 6));
  if (haveOptimum_) printOptimumValue();
}

void PlansScreen::clearDrawing() {
  form().canvas("pic").clear();
  form().setText("report", "");
}

}  // namespace orvant::design
