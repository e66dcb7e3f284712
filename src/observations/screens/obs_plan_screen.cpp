#include "observations/screens/obs_plan_screen.h"

#include <cmath>
#include <filesystem>

#include "ephemeris/screens/planet_perturbation_screen.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/paths.h"
#include "model/textfile.h"
#include "observations/screens/observation_screen.h"
#include "statistics/records.h"
#include "statistics/screens/statistics_screen.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

std::string rowId(std::string_view stem, int i) { return std::string(stem) + std::to_string(i); }

}  // namespace

ObsPlanScreen::ObsPlanScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "План эксперимента наблюдений"), signs_(design::fillSignTables()) {
  // At the start the plan is over the perihelion and the mean longitude.
  plan_.v.tick[4] = plan_.v.tick[7] = true;
  group("gPlan", "План").at(0, 0);
  field("k", "План №", "1").in("gPlan").at(0, 0).chars(4);
  field("e", "Опыт №", "1").in("gPlan").at(0, 2).chars(4);
  options("type", "", {"Orto", "Roto"}, 0).in("gPlan").at(0, 4).inColumns(2)
      .tip("Тип плана: ортогональный или ротатабельный");
  button("create", "Создать план", [this] { createPlan(); }).in("gPlan").at(0, 5)
      .tip("Построить план по отмеченным параметрам (от 2 до 6) и передать число опытов экрану 10");
  field("Npt", "опытов", "").in("gPlan").at(0, 6).chars(4).locked();
  label("srcDates", "").in("gPlan").at(1, 0).span(1, 7);

  group("gRows", "Нулевые уровни, интервалы варьирования и оптимальные значения").at(1, 0);
  label("hX0", "нулевой уровень").in("gRows").at(0, 1);
  label("hdX", "интервал").in("gRows").at(0, 2);
  label("hXopt", "Xopt (код)").in("gRows").at(0, 3);
  label("hXnat", "Xopt (натур.)").in("gRows").at(0, 4);
  for (int i = 1; i <= kObsPlanRows; ++i) {
    check(rowId("t", i), std::string(kObsPlanRowCaptions[static_cast<std::size_t>(i)]), i == 4 || i == 7)
        .in("gRows").at(i, 0);
    field(rowId("X0_", i), "", "0").in("gRows").at(i, 1).chars(16);
    field(rowId("dX_", i), "", "0").in("gRows").at(i, 2).chars(9);
    field(rowId("Xopt_", i), "X" + std::to_string(i) + "opt=", "0").in("gRows").at(i, 3).chars(10);
    field(rowId("Xnat_", i), "", "0").in("gRows").at(i, 4).chars(16);
  }

  group("gMore", "Скорость Солнечной системы, прецессия, вес").at(2, 0);
  field("VXsys", "VXsys, км/с", "0").in("gMore").at(0, 0).chars(7);
  field("VYsys", "VYsys, км/с", "0").in("gMore").at(0, 2).chars(7);
  field("VZsys", "VZsys, км/с", "0").in("gMore").at(0, 4).chars(7);
  field("Prec", "Прецессия, сек", "5029").in("gMore").at(1, 0).chars(7).locked();
  field("kW", "вес", "1").in("gMore").at(1, 2).chars(9);
  check("pert", "план возмущений от планет №1 или №2").in("gMore").at(2, 0).span(1, 4)
      .onChange([this] { pertChosen(); });
  options("pertNo", "", {"№1", "№2"}, 0).in("gMore").at(2, 4).inColumns(2)
      .tip("Возмущающая планета, коэффициенты которой подбирает план");
  label("pertRows", "").in("gMore").at(3, 0).span(1, 6);

  group("gCmd", "").at(0, 1).span(3, 1);
  label("loadFrom", "Загрузить параметры плана из").in("gCmd").at(0, 0).span(1, 2);
  button("fromTemplate", "шаблона", [this] { loadTemplate(); }).in("gCmd").at(1, 0)
      .tip("Параметры орбиты объекта на начальную дату экрана 10 и интервалы по умолчанию");
  button("fromFile", "файла", [this] { loadFile(); }).in("gCmd").at(1, 1)
      .tip("Прочитать файл опыта e плана k: <источник>\\Plan<k>\\<имя><N>_<e>.dat");
  button("write", "Записать план опыта в файл", [this] { writeFile(); }).in("gCmd").at(2, 0)
      .span(1, 2).tip("Записать уровни, оптимум, критерии и коэффициенты опыта e плана k в файл");
  button("optimise", "Оптимизировать отмеченные параметры", [this] { optimise(); }).in("gCmd")
      .at(3, 0).span(1, 2).tip("Найти оптимум уравнения регрессии и натуральные значения параметров");
  button("zeroFromOpt", "Задать нулевые уровни = X(i)opt", [this] { zeroFromOptimum(); })
      .in("gCmd").at(4, 0).span(1, 2).tip("Перенести натуральные оптимумы в нулевые уровни");
  button("optZero", "X(i)opt=0", [this] { optimumToZero(); }).in("gCmd").at(5, 0)
      .tip("Обнулить закодированные оптимумы всех строк");
  button("addRecord", "Добавить оптимальные параметры в файл", [this] { addRecord(); })
      .in("gCmd").at(6, 0).span(1, 2)
      .tip("Вставить или заменить запись оптимума в Kin\\Plan<k>\\Orvant<N>Nab.txt (экран 6)");
  button("toForm22", "возмущения на форму 22", [this] { toScreen22(); }).in("gCmd").at(7, 0)
      .span(1, 2).tip("Передать нулевые уровни строк 2..9 в коэффициенты возмущений экрана 22");
  button("closeForm", "Закрыть форму", [this] { close(); }).in("gCmd").at(8, 0)
      .tip("Закрыть экран плана");
  textArea("listing", "").in("gCmd").at(9, 0).span(1, 2).chars(46).locked();
}

void ObsPlanScreen::opened() {
  // Screen 10 links its runs to this plan (ObservationScreen::planLink): the parameters of
  // option "План" and the perturbation plan.
  if (ObservationScreen* obs = observationScreen()) obs->run().setPlanLink(obs->planLink());
  showValues();
  showRecordCaption();
}

void ObsPlanScreen::activated() { showRecordCaption(); }

ObservationScreen* ObsPlanScreen::observationScreen() const {
  return dynamic_cast<ObservationScreen*>(workbench().created(kObservationScreenNo));
}

std::optional<int> ObsPlanScreen::number(std::string_view id) const {
  const auto v = form().number(id);
  if (!v || *v != std::trunc(*v) || *v < 0 || *v > 32767) return std::nullopt;
  return static_cast<int>(*v);
}

int ObsPlanScreen::objectNumber() const {
  if (ObservationScreen* obs = observationScreen()) {
    const auto v = obs->form().number("Npl");
    if (v && *v == std::trunc(*v) && *v >= 0 && *v <= 13) return static_cast<int>(*v);
  }
  return state().Npl;
}

bool ObsPlanScreen::epochJD() const {
  ObservationScreen* obs = observationScreen();
  return obs && obs->form().option("epoch") == 1;
}

void ObsPlanScreen::showRecordCaption() {
  const int N = objectNumber();
  form().setCaption("addRecord",
                    "Добавить параметры в файл Orvant" + std::to_string(N == 0 ? 3 : N) + "Nab.txt");
}

bool ObsPlanScreen::readBoxes() {
  const ui::Form& f = form();
  ObsPlanValues v = plan_.v;
  bool ok = true;
  auto read = [&](const std::string& id, double scale, double& out) {
    const auto x = f.number(id);
    if (!x || !std::isfinite(*x * scale)) {
      ok = false;
      return;
    }
    out = *x * scale;
  };
  for (int i = 1; i <= kObsPlanRows; ++i) {
    const auto ii = static_cast<std::size_t>(i);
    const double scale = i == 1 ? state().MK : 1;
    v.tick[ii] = f.checked(rowId("t", i));
    read(rowId("X0_", i), scale, v.X0[ii]);
    read(rowId("dX_", i), scale, v.dX[ii]);
    read(rowId("Xopt_", i), 1, v.Xopt[ii]);
    read(rowId("Xnat_", i), scale, v.XoptNat[ii]);
  }
  read("VXsys", 1000, v.VXsys);
  read("VYsys", 1000, v.VYsys);
  read("VZsys", 1000, v.VZsys);
  read("kW", 1, v.X0[10]);
  if (ObservationScreen* obs = observationScreen()) {
    const auto p = obs->form().number("Prec");
    if (p && std::isfinite(*p)) v.Prec = *p;
  }
  if (!ok) {
    form().message(kMsgPlanBadBox, kTitle7);
    return false;
  }
  plan_.v = v;
  plan_.pert = f.checked("pert");
  plan_.pertNo = f.option("pertNo") == 1 ? 2 : 1;
  state().kodOTO = plan_.pert ? 1 : 0;
  form().setNumber("Prec", v.Prec);
  if (ObservationScreen* obs = observationScreen()) {
    auto& par = obs->run().experiments().par;
    for (std::size_t j = 1; j <= 10; ++j) par[j] = v.X0[j];
  }
  return true;
}

void ObsPlanScreen::showValues() {
  ui::Form& f = form();
  const ObsPlanValues& v = plan_.v;
  const double MK = state().MK;
  for (int i = 1; i <= kObsPlanRows; ++i) {
    const auto ii = static_cast<std::size_t>(i);
    const double scale = i == 1 ? MK : 1;
    f.setChecked(rowId("t", i), v.tick[ii]);
    f.setNumber(rowId("X0_", i), v.X0[ii] / scale, i == 1 ? 6 : -1);
    f.setNumber(rowId("dX_", i), v.dX[ii] / scale, -1);
    f.setNumber(rowId("Xopt_", i), v.Xopt[ii], 6);
    f.setNumber(rowId("Xnat_", i), v.XoptNat[ii] / scale, 6);
  }
  f.setNumber("VXsys", v.VXsys / 1000);
  f.setNumber("VYsys", v.VYsys / 1000);
  f.setNumber("VZsys", v.VZsys / 1000);
  f.setNumber("Prec", v.Prec);
  f.setNumber("kW", v.X0[10], 6);
  f.setText("pertRows", plan_.pert ? "X2...X9 = dL3,dL4,dL7,dL5,dL8,dL9,dL10,dL21 " : "");
  if (plan_.built) f.setText("Npt", std::to_string(plan_.plan.Npt));
}

// The perturbation variant: rows 2..9 stand for the coefficients dL3 .. dL21 of screen 22.
void ObsPlanScreen::pertChosen() {
  ui::Form& f = form();
  plan_.pert = f.checked("pert");
  state().kodOTO = plan_.pert ? 1 : 0;
  const auto& captions = plan_.pert ? kObsPlanPertCaptions : kObsPlanRowCaptions;
  for (int i = 2; i <= kObsPlanRows; ++i)
    f.setCaption(rowId("t", i), std::string(captions[static_cast<std::size_t>(i)]));
  f.setText("pertRows", plan_.pert ? "X2...X9 = dL3,dL4,dL7,dL5,dL8,dL9,dL10,dL21 " : "");
}

void ObsPlanScreen::setTestLevels() {
  for (int f = 1; f <= plan_.plan.Nf; ++f) {
    const auto i = static_cast<std::size_t>(plan_.factorRow[static_cast<std::size_t>(f)]);
    plan_.v.X0[i] = 1;
    plan_.v.dX[i] = 1;
  }
  plan_.v.dX[9] = 1;
  plan_.v.X0[10] = 1;
  showValues();
}

void ObsPlanScreen::createPlan() {
  if (!readBoxes()) return;
  const int type = form().option("type") == 1 ? design::kRotatable : design::kOrthogonal;
  if (!createObsPlan(state(), signs_, type, plan_)) return;
  form().setText("Npt", std::to_string(plan_.plan.Npt));
  if (ObservationScreen* obs = observationScreen())
    obs->form().setText("expTo", std::to_string(plan_.plan.Npt));
  form().setText("listing", "");
  for (const auto& line : design::planReport(plan_.plan)) form().appendLine("listing", line);
}

void ObsPlanScreen::restoreScreen10Dates() {
  ObservationScreen* obs = observationScreen();
  if (!obs) return;
  ui::Form& o = obs->form();
  o.setNumber("Day", plan_.dates.Day);
  o.setText("Month", std::to_string(plan_.dates.Month));
  o.setText("Year", std::to_string(plan_.dates.Year));
  o.setText("YearEnd", std::to_string(plan_.dates.YearEnd));
  const std::string clock = screenNumber(ui::clockSeconds(), 2);
  o.setText("dmyHidden", clock);
  o.setText("planListHidden", clock);
}

void ObsPlanScreen::showSourceDates() {
  const ObsPlanDates& d = plan_.dates;
  form().setText("srcDates", state().SrcKind + " " + state().ObsName + "  (с " +
                                 screenNumber(d.Day, 2) + "." + std::to_string(d.Month) + "." +
                                 std::to_string(d.Year) + " по " + std::to_string(d.YearEnd) + ")");
}

void ObsPlanScreen::loadTemplate() {
  State& s = state();
  ObservationScreen* obs = observationScreen();
  if (!obs || s.ObsName.empty()) return form().message(kMsgChooseSource, kTitle7);
  if (!readBoxes()) return;
  ui::Form& o = obs->form();
  const auto day = o.number("Day"), month = o.number("Month"), year = o.number("Year");
  if (!day || !month || !year || *month != std::trunc(*month) || *year != std::trunc(*year) ||
      std::fabs(*year) > 1e6)
    return form().message(kMsgTemplateFailed, kTitle7);
  s.DateError = 0;
  s.CalType = static_cast<int16>(std::max(0, o.option("CalType")));
  s.Hour0 = o.option("Hour0") == 1 ? 12 : 0;
  const double JD = JDfromDate(s, *day, static_cast<int32>(*month), static_cast<int32>(*year));
  if (s.DateError != 0) return;
  ObsPlanValues v = plan_.v;
  if (!obsPlanTemplate(s, objectNumber(), JD, epochJD(), v))
    return form().message(kMsgTemplateFailed, kTitle7);
  plan_.v = v;
  plan_.dates = ObsPlanDates{*day, static_cast<int32>(*month), static_cast<int32>(*year),
                             static_cast<int32>(*year) + 20, 1000};
  plan_.description = std::string(kMsgTemplateDescription);
  plan_.fromTemplate = true;
  showValues();
  showSourceDates();
  restoreScreen10Dates();
  readBoxes();
}

void ObsPlanScreen::loadFile() {
  State& s = state();
  const auto k = number("k"), e = number("e");
  if (!k || !e) return form().message(kMsgPlanNumbersLoad, kTitle7);
  if (s.ObsName.empty()) return form().message(kMsgChooseSource, kTitle7);
  ObsPlanFileData d;
  d.v = plan_.v;
  d.dates = plan_.dates;
  if (!readObsPlanFile(s, obsPlanPath(s, *k, objectNumber(), *e), d)) return;
  d.v.tick = plan_.v.tick;
  plan_.v = d.v;
  plan_.dates = d.dates;
  plan_.description = d.line1;
  plan_.fromTemplate = false;
  showValues();
  showSourceDates();
  restoreScreen10Dates();
  readBoxes();
}

void ObsPlanScreen::writeFile() {
  State& s = state();
  const auto k = number("k"), e = number("e");
  if (!k || !e) return form().message(kMsgPlanNumbersWrite, kTitle7);
  if (s.ObsName.empty()) return form().message(kMsgChooseSourceWrite, kTitle7);
  if (!readBoxes()) return;
  ObsPlanDates dates = plan_.dates;
  bool byL = false, sigma = false;
  double criterion = 0;
  if (ObservationScreen* obs = observationScreen()) {
    ui::Form& o = obs->form();
    const auto day = o.number("Day"), month = o.number("Month"), year = o.number("Year"),
               yearEnd = o.number("YearEnd");
    auto whole = [](const std::optional<double>& x) {
      return x && *x == std::trunc(*x) && std::fabs(*x) < 1e6;
    };
    if (!day || !whole(month) || !whole(year) || !whole(yearEnd))
      return form().message(kMsgPlanBadBox, kTitle7);
    dates.Day = *day;
    dates.Month = static_cast<int32>(*month);
    dates.Year = static_cast<int32>(*year);
    dates.YearEnd = static_cast<int32>(*yearEnd);
    byL = o.option("criterion") == 1;
    sigma = o.checked("rms");
    const ObservationRun& run = obs->run();
    if (run.acc().Nok > 0) dates.JDmean = run.acc().JDmean;
    criterion = run.criterion();
  }
  plan_.dates = dates;
  const int N = objectNumber();
  const std::string line1 =
      obsPlanLine1(*k, *e, N, s.ObsName, epochJD(), byL, sigma, todayText());
  writeObsPlanFile(s, obsPlanPath(s, *k, N, *e), obsPlanFileData(plan_, line1, criterion));
}

void ObsPlanScreen::optimise() {
  if (!readBoxes()) return;
  if (!plan_.built) return form().message(design::kBadFactorCount, kTitle7);
  if (!optimiseObsPlan(state(), plan_)) return;
  form().setText("listing", "");
  for (const auto& line : design::optimumReport(plan_.opt)) form().appendLine("listing", line);
  showValues();
}

void ObsPlanScreen::zeroFromOptimum() {
  if (!readBoxes()) return;
  zeroLevelsFromOptimum(plan_.v);
  showValues();
  readBoxes();
}

void ObsPlanScreen::optimumToZero() {
  if (!readBoxes()) return;
  clearOptimum(plan_.v);
  showValues();
}

void ObsPlanScreen::addRecord() {
  State& s = state();
  const auto k = number("k");
  if (!k) return form().message(kMsgPlanNumbersWrite, kTitle7);
  if (!readBoxes()) return;
  const int N = objectNumber();
  statistics::OptimalRecord rec;
  rec.JDep = s.JDep;
  rec.JDmean = plan_.dates.JDmean;
  if (ObservationScreen* obs = observationScreen()) {
    const ObservationRun& run = obs->run();
    if (run.started()) rec.JDep = run.JDep();
    if (run.acc().Nok > 0) rec.JDmean = run.acc().JDmean;
  }
  const auto cols = optimalRecordColumns(plan_.v);
  for (std::size_t c = 0; c < cols.size(); ++c) rec.Par[c] = cols[c];
  const int filed = N == 0 ? 3 : N;
  // The first optimum of a plan starts the file: a header and no records yet.
  const std::string rel = paths::recordKin(*k, filed);
  if (!std::filesystem::exists(fullPath(s, rel))) {
    const std::array<std::string, 4> header = {
        "Оптимальные параметры орбиты объекта " + std::to_string(filed) + " по наблюдениям",
        s.SrcKind + " " + s.ObsName, "", "NP1max и JD0, затем записи"};
    if (!statistics::createRecordFile(s, rel, header, 1000, rec.JDep)) return;
  }
  const std::string line3 = "по плану №  " + std::to_string(*k) + "   от " + todayText();
  if (!workbench().has(kStatisticsScreenNo)) return;
  workbench().show(kStatisticsScreenNo);
  auto& stat = workbench().screen<statistics::StatisticsScreen>(kStatisticsScreenNo);
  stat.addOptimalRecord(*k, N, line3, rec);
}

void ObsPlanScreen::toScreen22() {
  if (!readBoxes()) return;
  // Screen 10 creates screen 22 unseen for its defaults; the copy needs the screen open.
  auto* scr = dynamic_cast<ephemeris::PlanetPerturbationScreen*>(
      workbench().created(kPlanetPertScreenNo));
  if (!scr || !scr->form().shown()) return form().message(kMsgLoadForm22, kTitle7);
  if (!scr->copyOptimum(objectNumber(), plan_.pertNo, perturbationCoefficients(plan_.v)))
    form().message(kMsgLoadForm22, kTitle7);
}

}  // namespace orvant
