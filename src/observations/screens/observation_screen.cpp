#include "observations/screens/observation_screen.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "astro/etut.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::string_view kMsgBadDateScreen = "Введите правильно дату";

std::vector<std::string> tableEntries() {
  std::vector<std::string> e;
  for (const auto& t : kTabCatalogue) e.emplace_back(t.caption);
  return e;
}

std::vector<std::string> observatoryEntries() {
  std::vector<std::string> e;
  for (const auto& o : kObsCatalogue) e.emplace_back(o.caption);
  return e;
}

// The rows of the reduction table, in the order of ReductionRow.
const std::vector<std::string> kRowCaptions = {
    "Nab",    "ГЕО ЭКЛ J2000", "Аберр. ис.", "Аберр. пр.", "ГЕО ЭКВ JD",
    "Параллакс", "Рефракция",  "Нутация",    "Ras"};

}  // namespace

ObservationScreen::ObservationScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Обработка первичных данных наблюдений"), run_(s) {
  declareSourceAndDate();
  declareTheoryColumn();
  declareResultColumn();
  declarePictures();
  hidden("dmyHidden", [this] { dmyToJd(); });
  declarePlanControls();
}

void ObservationScreen::declareSourceAndDate() {
  // ---- the source and the date (the left-hand column: the first things to set) ----
  group("c0", "").at(0, 0);
  group("gSrc", "Источник").in("c0").at(0, 0);
  options("kind", "данные", {"Tab", "Obs"}, 0).in("gSrc").at(0, 0).span(1, 4).inColumns(2)
      .onChange([this] { kindChosen(); })
      .tip("Источник наблюдений: древняя таблица (Tab) или ряд обсерватории (Obs)");
  options("tab", "Tab", tableEntries(), 0).in("gSrc").at(1, 0).span(1, 4).inColumns(3)
      .onChange([this] { tableChosen(); })
      .tip("Таблица древнего астронома: открыть книгу и вычислить её на начальную дату");
  options("obs", "Obs", observatoryEntries(), 0).in("gSrc").at(2, 0).span(1, 4).inColumns(4)
      .onChange([this] { observatoryChosen(); })
      .tip("Обсерватория: открыть файл её наблюдений Obs\\<код><объект>_G_<файл>.txt");
  field("otherObs", "иная Obs", "BERL").in("gSrc").at(3, 0).chars(5);
  field("Npl", "объект №", "11").in("gSrc").at(3, 2).chars(3);
  field("FileNo", "файл Obs №", "100").in("gSrc").at(4, 0).chars(5);
  check("goodObs", "+Good File Obs").in("gSrc").at(4, 2).span(1, 2);
  field("obsYear1", "Obs", "").in("gSrc").at(5, 0).chars(5);
  field("obsYear2", "", "").in("gSrc").at(5, 2).chars(5);
  check("precTab", "+/-прецесс Tab*").in("gSrc").at(6, 0).span(1, 2);
  field("Prec", "Прецессия, сек", "5030").in("gSrc").at(6, 2).chars(5);

  group("gDate", "Дата").in("c0").at(1, 0);
  field("Day", "DMY", "1,5").in("gDate").at(0, 0).chars(6);
  field("Month", "", "1").in("gDate").at(0, 2).chars(3);
  field("Year", "", "2000").in("gDate").at(0, 4).chars(5);
  options("CalType", "календарь", {"Григорианский", "Юлианский ", "Египетский"}, 0)
      .in("gDate").at(1, 0).span(1, 6).inColumns(3);
  options("Hour0", "время от", {"0", "12   часов"}, 0).in("gDate").at(2, 0).span(1, 3)
      .inColumns(2);
  field("YearEnd", "до ... года", "2000").in("gDate").at(2, 4).chars(5);
  field("JD", "JD", "").in("gDate").at(3, 0).span(1, 2).chars(12);
  label("dateText", "").in("gDate").at(3, 3).span(1, 3).chars(20);
  button("dmyToJd", "DMY->JD", [this] { dmyToJd(); }).in("gDate").at(4, 0).span(1, 2)
      .tip("Перевести дату (день, месяц, год) в юлианскую дату");
  button("jdToDmy", "JD->DMY", [this] { jdToDmy(); }).in("gDate").at(4, 2).span(1, 2)
      .tip("Перевести юлианскую дату в день, месяц и год");
  button("jd0", "JD = JD0", [this] { backToJD0(); }).in("gDate").at(4, 4).span(1, 2)
      .tip("Вернуть начальную дату последнего расчёта");
  field("StepTab", "шаг Tab, дни", "1,28").in("gDate").at(5, 0).chars(5);
  field("ETUT", "ET- UT", "").in("gDate").at(5, 3).span(1, 2).chars(9).locked();
}

void ObservationScreen::declareTheoryColumn() {
  // ---- column 1: theories, reduction, observer, criterion ----
  group("c1", "").at(0, 1);
  group("gTheory", "Теории").in("c1").at(0, 0);
  options("planet", "параметры орбит планет (p)", {"JPL0", "Kin0", "План"}, 0).in("gTheory")
      .at(0, 0).span(1, 2).inColumns(3).tip("Теория наблюдаемой планеты")
      .onChange([this] { planetChosen(); });
  options("earth", "когда Земля (z) и Луна (l) по", {"JPL0", "Kin0", "Kin0+"}, 0)
      .in("gTheory").at(1, 0).span(1, 2).inColumns(3).tip("Теория Земли и Луны");
  options("epoch", "параметры в эпохе", {"J2000", "JD"}, 0).in("gTheory").at(2, 0)
      .inColumns(2);
  group("gPert", "").in("gTheory").at(2, 1);
  check("dLzl", "+dLzl").in("gPert").at(0, 0);
  button("toMoonPert", "dLl*", [this] { navigate(kMoonPertScreen); }).in("gPert").at(0, 1)
      .tip("Периодические возмущения Луны (экран 21)");
  check("dLp", "+dLp").in("gPert").at(1, 0);
  button("toPlanetPert", "dLp*", [this] { navigate(kPlanetPertScreen); }).in("gPert")
      .at(1, 1).tip("Периодические возмущения планет (экран 22)");

  group("gRed", "Редукция").in("c1").at(1, 0);
  check("aberrSource", "Аберр. ис.", true).in("gRed").at(0, 0);
  check("aberrObserver", "Аберр. пр.", true).in("gRed").at(0, 1);
  check("nutation", "Нутация").in("gRed").at(0, 2);
  check("parallax", "Параллакс").in("gRed").at(1, 0);
  check("refraction", "Рефракция").in("gRed").at(1, 1);

  group("gObs", "Наблюдатель").in("c1").at(2, 0);
  field("ObsL", "ObsL, град", "0").in("gObs").at(0, 0).chars(6);
  field("ObsB", "ObsB, град", "0").in("gObs").at(0, 2).chars(6);
  check("visibility", "+Видимость").in("gObs").at(1, 0);
  field("Hpl", "когда Hpl>", "1").in("gObs").at(1, 2).chars(4);
  check("sunTest", "++Hsol<").in("gObs").at(2, 0);
  field("Hsol", "", "-0,2").in("gObs").at(2, 1).chars(4);
  field("Agor", "Азимут", "").in("gObs").at(3, 0).chars(7).locked();
  field("Hgor", "Высота", "").in("gObs").at(3, 2).chars(7).locked();

  group("gCrit", "Критерий").in("c1").at(3, 0);
  options("criterion", "критерий", {"dR", "Abs(dL)"}, 0).in("gCrit").at(0, 0).inColumns(2);
  check("trace", "+File Отладка").in("gCrit").at(0, 1).span(1, 2);
  check("reject", "+ dRmax, dLmax <=").in("gCrit").at(1, 0);
  field("limit", "", "200").in("gCrit").at(1, 1).chars(6);
  check("rms", "+ Sqr(E(dR^2)/N)").in("gCrit").at(2, 0);
  check("statistics", "+Статистика").in("gCrit").at(2, 1).span(1, 2);
  check("kVes", "+kVes=").in("gCrit").at(3, 0);
  field("kW", "", "").in("gCrit").at(3, 1).chars(9).locked();
  check("files", "++File Bad, Good №").in("gCrit").at(4, 0);
  field("GoodNo", "", "41").in("gCrit").at(4, 1).chars(4);
}

void ObservationScreen::declareResultColumn() {
  // ---- column 2: results and commands ----
  group("c2", "").at(0, 2);
  group("gRes", "Результаты").in("c2").at(0, 0);
  table("rows", "", kRowCount, {"L, град", "B, град"}).in("gRes").at(0, 0).span(1, 4).chars(11)
      .locked();
  field("Nok", "N (dR,dL)", "").in("gRes").at(1, 0).chars(6).locked();
  field("Npos", "N+", "").in("gRes").at(2, 0).chars(6).locked();
  field("Nneg", "N-", "").in("gRes").at(2, 2).chars(6).locked();
  field("dRval", "dR, тыс. км", "").in("gRes").at(3, 0).chars(9).locked();
  field("dLval", "dL, град", "").in("gRes").at(4, 0).chars(9).locked();
  field("dBval", "dB", "").in("gRes").at(4, 2).chars(9).locked();
  field("dLmean", "dLsr, град", "").in("gRes").at(5, 0).chars(9).locked();
  field("dBmean", "dBsr", "").in("gRes").at(5, 2).chars(9).locked();
  field("dRsrVal", "dRsr, тыс. км", "").in("gRes").at(6, 0).chars(9).locked();
  field("absLsr", "Abs(dL,dB)sr", "").in("gRes").at(7, 0).chars(9).locked();
  field("absBsr", "", "").in("gRes").at(7, 2).chars(9).locked();

  group("gCmd", "").in("c2").at(1, 0);
  // The progress of a run above the commands, in a box of its own width: the window does not
  // move as the text grows.
  label("progress", "").in("gCmd").at(0, 0).span(1, 3).chars(44);
  button("start", "Начать", [this] { start(); }).in("gCmd").at(1, 0)
      .tip("Начать обработку с начальной даты: проверки, файлы, цикл наблюдений");
  button("stop", "Остановить", [this] { stopRun(); }).in("gCmd").at(1, 1)
      .tip("Остановить цикл после текущего наблюдения");
  button("continue", "Продолжить", [this] { resumeRun(); }).in("gCmd").at(1, 2)
      .tip("Продолжить цикл со следующего наблюдения, не сбрасывая сумм");
  button("step", "Сделать 1 шаг", [this] { oneStep(); }).in("gCmd").at(2, 0)
      .tip("Обработать ровно одно наблюдение");
  button("stat", "++Статистика", [this] { statisticsReport(); }).in("gCmd").at(2, 1)
      .tip("Нарисовать распределения отклонений и записать отчёт Dat\\Stat*.txt");
  button("clear", "Очистить рисунки", [this] { clearPictures(); }).in("gCmd").at(2, 2)
      .tip("Очистить рисунки и нарисовать оси");
  button("toStat", "К статистике", [this] { navigate(kStatisticsScreen); }).in("gCmd").at(3, 0)
      .tip("Статистическая обработка параметров орбит (экран 6)");
  button("toPlan", "План * ", [this] { navigate(kPlanScreen); }).in("gCmd").at(3, 1)
      .tip("План эксперимента наблюдений (экран 13)");
  button("closeForm", "Закрыть форму", [this] { closeScreen(); }).in("gCmd").at(4, 0)
      .tip("Закрыть файл обсерватории и книгу таблицы и закрыть экран");
  button("exit", "Выход", [this] { workbench().quit(); }).in("gCmd").at(4, 1)
      .tip("Завершить программу");
}

void ObservationScreen::declarePictures() {
  // ---- pictures and what they show (the right-hand column: on a small display the window
  // scrolls to them; the source, the theories, the results and the commands stay in view) ----
  group("gDraw", "").at(0, 3);
  picture("resid", "", 9.0, 6.0).in("gDraw").at(0, 0).span(1, 2);
  picture("bodies", "", 4.4, 3.8).in("gDraw").at(1, 0).span(2, 1);
  picture("dLpl", "", 4.4, 1.8).in("gDraw").at(1, 1);
  picture("dBpl", "", 4.4, 1.8).in("gDraw").at(2, 1);
  group("gPic", "").in("gDraw").at(3, 0).span(1, 2);
  check("noAnimation", "без анимации", true).in("gPic").at(0, 0).span(1, 2);
  check("pause", "пауза").in("gPic").at(0, 2);
  field("pauseMs", "", "1000").in("gPic").at(0, 3).chars(5);
  check("rays", "лучи").in("gPic").at(0, 4);
  options("view", "наблюденя", {"ТОПО ГОР", "ГЕО ЭКЛ"}, 1).in("gPic").at(1, 0).span(1, 5)
      .inColumns(2);
  check("aberration", "Аберрация").in("gPic").at(2, 0).span(1, 2);
  check("plotL", "L-долгота", true).in("gPic").at(2, 2);
  check("plotB", "B-широта (градусы)").in("gPic").at(2, 3).span(1, 2);
  check("plotRas", "Ras (ЭКЛ)").in("gPic").at(3, 0).span(1, 2);
  check("plotNab", "Nab (ЭКЛ)").in("gPic").at(3, 2);
  check("plotdLdB", "dL, dB, град", true).in("gPic").at(3, 3).span(1, 2);
  check("plotdR", "dR, тыс. км", true).in("gPic").at(4, 0).span(1, 2);
  check("plotdRsr", "dRsr, тыс. км").in("gPic").at(4, 2);
  check("plotMeans", "dLsr, dBsr").in("gPic").at(4, 3).span(1, 2);
  check("plotAbs", "Abs(dL,dB)sr").in("gPic").at(5, 0).span(1, 2);
  field("dY", "dY, см", "0").in("gPic").at(5, 2).chars(4);
  field("MT", "МТ, лет/см", "1").in("gPic").at(6, 0).chars(4);
  field("MAlfa", "MAlfa, град/см", "90").in("gPic").at(6, 2).chars(4);
  field("MdAlfa", "MdAlfa, угл.сек/см", screenNumber(kObsResidualScale)).in("gPic").at(7, 0).chars(4);
  field("MdR", "MdR,тыс.км/см", "50").in("gPic").at(7, 2).chars(4);
}

void ObservationScreen::opened() {
  ui::Form& f = form();
  State& s = state();
  // The source at the start: a table, none chosen, the observatory entries disabled.
  s.SrcKind = "Tab";
  s.ObsName.clear();
  f.setEntryVisible("tab", 0, false);
  f.setEntryVisible("obs", 0, false);
  for (int k = 0; k < static_cast<int>(kObsCatalogue.size()); ++k)
    f.setEntryEnabled("obs", k, false);
  f.setEntryVisible("tab", 5, false);
  f.setEntryVisible("tab", 6, false);
  f.setCaption("plotRas", "Ras(ЭКЛ)");
  f.setCaption("plotNab", "Nab(ЭКЛ)");
  // ET - UT: the models of screen 17 as it applies them at load, unless they were set already.
  if (s.ETcoef.S[1] == 0 && s.ETcoef.S[2] == 0) setETcoefDefaults(s);
  // The perturbation tables get their defaults: screens 21 and 22 are opened once and closed.
  for (int n : {kMoonPertScreen, kPlanetPertScreen})
    if (workbench().has(n) && !workbench().created(n)) workbench().screen(n);
  enableNavigation();
  clearPictures();
}

void ObservationScreen::activated() { enableNavigation(); }

void ObservationScreen::enableNavigation() {
  for (auto [id, n] : {std::pair{"toStat", kStatisticsScreen}, std::pair{"toPlan", kPlanScreen},
                       std::pair{"toMoonPert", kMoonPertScreen},
                       std::pair{"toPlanetPert", kPlanetPertScreen}})
    form().setEnabled(id, workbench().has(n));
}

void ObservationScreen::navigate(int n) {
  if (workbench().has(n)) workbench().show(n);
}

// ---- the source ----

void ObservationScreen::kindChosen() {
  ui::Form& f = form();
  State& s = state();
  const bool obs = f.option("kind") == 1;
  for (int k = 0; k < static_cast<int>(kTabCatalogue.size()); ++k)
    f.setEntryEnabled("tab", k, !obs);
  for (int k = 0; k < static_cast<int>(kObsCatalogue.size()); ++k)
    f.setEntryEnabled("obs", k, obs);
  if (obs) {
    ChooseSrcObs(s);
    f.setOption("obs", 0);
    f.setCaption("plotRas", "Ras(ЭКВ)");
    f.setCaption("plotNab", "Nab(ЭКВ)");
  } else {
    ChooseSrcTab(s);
    f.setOption("tab", 0);
    f.setCaption("plotRas", "Ras(ЭКЛ)");
    f.setCaption("plotNab", "Nab(ЭКЛ)");
  }
}

SourceScreen ObservationScreen::readSourceScreen() const {
  const ui::Form& f = form();
  SourceScreen scr;
  scr.objectNo = integerOf(num("Npl"));
  scr.fileNo = f.text("FileNo");
  scr.otherObs = f.text("otherObs");
  scr.goodFileObs = f.checked("goodObs");
  scr.criterion = f.option("criterion") == 1 ? ObsCriterion::AbsdL : ObsCriterion::dR;
  scr.precTab = f.checked("precTab");
  const double prec = num("Prec");
  scr.prec = std::isfinite(prec) ? prec : state().Prec;
  scr.year = integerOf(num("Year"));
  scr.month = integerOf(num("Month"));
  const double day = num("Day");
  scr.day = std::isfinite(day) ? day : 1;
  scr.dayFromNoon = f.option("Hour0") == 1;
  scr.calType = std::max(0, f.option("CalType"));
  scr.aberrSource = f.checked("aberrSource");
  scr.aberrObserver = f.checked("aberrObserver");
  scr.nutation = f.checked("nutation");
  const double L = num("ObsL"), B = num("ObsB");
  scr.obsL = std::isfinite(L) ? L : 0;
  scr.obsB = std::isfinite(B) ? B : 0;
  scr.goodNo = f.text("GoodNo");
  return scr;
}

void ObservationScreen::showSourceScreen(const SourceScreen& scr) {
  ui::Form& f = form();
  f.setOption("Hour0", scr.dayFromNoon ? 1 : 0);
  f.setOption("CalType", scr.calType);
  f.setChecked("aberrSource", scr.aberrSource);
  f.setChecked("aberrObserver", scr.aberrObserver);
  f.setChecked("nutation", scr.nutation);
  f.setNumber("ObsL", scr.obsL);
  f.setNumber("ObsB", scr.obsB);
  f.setText("GoodNo", scr.goodNo);
  f.setText("Year", std::to_string(scr.year));
  f.setText("Month", std::to_string(scr.month));
  f.setNumber("Day", scr.day);
  if (scr.yearEnd != 0) f.setText("YearEnd", std::to_string(scr.yearEnd));
  if (scr.obsYear1 != 0 || scr.obsYear2 != 0) {
    f.setText("obsYear1", std::to_string(scr.obsYear1));
    f.setText("obsYear2", std::to_string(scr.obsYear2));
  }
  f.setNumber("JD", state().JD, 4);
}

void ObservationScreen::tableChosen() {
  if (run_.running()) run_.requestStop();
  SourceScreen scr = readSourceScreen();
  const int k = form().option("tab");
  const bool ok = SelectTab(state(), scr, k);
  showSourceScreen(scr);
  (void)ok;  // a failure was shown; the fields keep what the choice set before it
  residualScaleFor(true);
}

// A table's residuals are of degrees, an observatory's of arcseconds: the residual scale left at
// one source's first value takes the other's, and the pictures of the old source are cleared.
void ObservationScreen::residualScaleFor(bool table) {
  const auto scale = form().number("MdAlfa");
  if (scale && *scale == (table ? kObsResidualScale : kTabResidualScale))
    form().setNumber("MdAlfa", table ? kTabResidualScale : kObsResidualScale, 0);
  clearPictures();
}

void ObservationScreen::observatoryChosen() {
  if (run_.running()) run_.requestStop();
  SourceScreen scr = readSourceScreen();
  const int k = form().option("obs");
  const bool ok = SelectObs(state(), scr, k);
  showSourceScreen(scr);
  (void)ok;
  residualScaleFor(false);
}

// ---- the boxes ----

double ObservationScreen::num(std::string_view id) const {
  const auto v = form().number(id);
  return v ? *v : kNaN;
}

int32 ObservationScreen::integerOf(double v) {
  if (!std::isfinite(v) || v != std::trunc(v) || std::fabs(v) > 2147483647.0)
    return std::numeric_limits<int32>::min();
  return static_cast<int32>(v);
}

ReductionInputs ObservationScreen::readInputs() const {
  const ui::Form& f = form();
  ReductionInputs in;
  const int32 bad = std::numeric_limits<int32>::min();
  in.Npl = integerOf(num("Npl"));
  in.Day = num("Day");
  in.Month = integerOf(num("Month"));
  in.Year = integerOf(num("Year"));
  in.YearEnd = integerOf(num("YearEnd"));
  if (in.Month == bad || in.Year == bad || in.YearEnd == bad) in.Day = kNaN;  // refused
  in.CalType = static_cast<int16>(std::max(0, f.option("CalType")));
  in.Hour0 = f.option("Hour0") == 1 ? 12 : 0;
  in.StepTab = num("StepTab");
  in.ObsL = num("ObsL");
  in.ObsB = num("ObsB");
  in.Hpl = num("Hpl");
  in.Hsol = num("Hsol");
  in.limit = num("limit");
  in.pauseMs = num("pauseMs");
  in.MT = num("MT");
  in.MAlfa = num("MAlfa");
  in.MdAlfa = num("MdAlfa");
  in.MdR = num("MdR");
  in.dY = static_cast<float>(num("dY"));
  in.Prec = num("Prec");
  return in;
}

std::optional<LiveInputs> ObservationScreen::readLive() const {
  LiveInputs l = run_.live();
  auto take = [&](std::string_view id, double& v) {
    const double x = num(id);
    if (std::isfinite(x)) v = x;
  };
  take("StepTab", l.StepTab);
  take("limit", l.limit);
  take("pauseMs", l.pauseMs);
  take("MT", l.MT);
  take("MAlfa", l.MAlfa);
  take("MdAlfa", l.MdAlfa);
  take("MdR", l.MdR);
  return l;
}

PassOptions ObservationScreen::readOptions() const {
  const ui::Form& f = form();
  PassOptions o;
  o.planet = static_cast<PlanetTheory>(std::max(0, f.option("planet")));
  o.earth = static_cast<EarthTheory>(std::max(0, f.option("earth")));
  o.epochJD = f.option("epoch") == 1;
  o.dLzl = f.checked("dLzl");
  o.dLp = f.checked("dLp");
  o.aberrSource = f.checked("aberrSource");
  o.aberrObserver = f.checked("aberrObserver");
  o.parallax = f.checked("parallax");
  o.refraction = f.checked("refraction");
  o.nutation = f.checked("nutation");
  o.visibility = f.checked("visibility");
  o.sunTest = f.checked("sunTest");
  o.criterion = f.option("criterion") == 1 ? ObsCriterion::AbsdL : ObsCriterion::dR;
  o.reject = f.checked("reject");
  o.rms = f.checked("rms");
  o.kVes = f.checked("kVes");
  o.statistics = f.checked("statistics");
  o.files = f.checked("files");
  o.trace = f.checked("trace");
  o.precTab = f.checked("precTab");
  o.countL = f.checked("plotL");
  o.countB = f.checked("plotB");
  o.noAnimation = f.checked("noAnimation");
  o.pause = f.checked("pause");
  return o;
}

// ---- commands ----

void ObservationScreen::start() {
  if (run_.running()) {
    // A start while the loop runs: the loop ends after its pass, then the new run starts.
    state().kStop = 1;
    workbench().post(*this, [this] { start(); });
    return;
  }
  State& s = state();
  // A file number that is not one is refused before anything changes.
  if (!isFileNumber(form().text("FileNo")) || !isFileNumber(form().text("GoodNo")))
    return form().message(kMsgBadInputs, kTitle70);
  if (!openChosenObservatory()) return;
  s.FileNo = form().text("FileNo");
  s.GoodNo = form().text("GoodNo");
  const ReductionInputs in = readInputs();
  run_.setPlanLink(planLink());
  if (!run_.start(in, *this)) return;
  day0_ = in.Day;
  month0_ = in.Month;
  year0_ = in.Year;
  form().setNumber("JD", run_.JDep(), 4);
  for (auto& p : last_) p.set = false;
  clearResults();
  const LoopEnd end = runLoop();
  if ((end == LoopEnd::SourceEnded || end == LoopEnd::YearPassed) && compared_ == 0)
    form().message("Не найдено ни одного наблюдения с " + screenNumber(in.Day) + "." +
                       std::to_string(in.Month) + "." + std::to_string(in.Year) + " по " +
                       std::to_string(in.YearEnd) + " год",
                   kTitle70);
}

// "Начать" on an observatory series reads from the first record of the file that the fields
// name now. A changed object, file number or "иная Obs" code (or a file that failed to open)
// is opened as a new choice of the observatory opens it, its first year becoming the start
// date; the same file, stopped or read to its end, is opened again at its first record.
bool ObservationScreen::openChosenObservatory() {
  State& s = state();
  const int k = form().option("obs");
  if (s.SrcKind != "Obs" || k <= 0) return true;
  SourceScreen scr = readSourceScreen();
  if (scr.objectNo == 3) return true;  // the Earth: refused by the run ("Землю не наблюдали")
  if (s.kObsOpen == 0 || obsChoicePath(scr, k) != s.ObsPath) {
    const bool ok = SelectObs(s, scr, k, true);
    showSourceScreen(scr);
    return ok;
  }
  if (!ObsRewind(s)) return false;
  s.kStop = 0;
  return true;
}

// The results of the last run go before a new one starts, so that no old value stands beside
// the new run's.
void ObservationScreen::clearResults() {
  ui::Form& f = form();
  for (const char* id : {"Nok", "Npos", "Nneg", "dRval", "dLval", "dBval", "dLmean", "dBmean",
                         "dRsrVal", "absLsr", "absBsr", "kW", "Agor", "Hgor", "ETUT", "progress",
                         "dateText"})
    f.setText(id, "");
  for (int k = 0; k < kRowCount; ++k) {
    f.setCell("rows", k, 0, "");
    f.setCell("rows", k, 1, "");
  }
  compared_ = 0;
}

void ObservationScreen::stopRun() { run_.requestStop(); }

void ObservationScreen::resumeRun() {
  if (!run_.resume()) return;
  if (!run_.running()) runLoop();
}

void ObservationScreen::oneStep() {
  if (!run_.prepareOneStep()) return;
  if (!run_.running()) runLoop();
}

LoopEnd ObservationScreen::runLoop() {
  clockStart_ = ui::clockSeconds();
  passesAtStart_ = run_.passes();
  lastShown_ = -1;
  const LoopEnd end = run_.loop(*this);
  showPass(run_.last());
  showProgress(true);
  return end;
}

void ObservationScreen::dmyToJd() {
  State& s = state();
  const auto date = form().date("Day", "Month", "Year");
  if (!date) return form().message(kMsgBadDateScreen, kTitle7);
  const double day = date->day;
  const int32 month = date->month, year = date->year;
  s.CalType = static_cast<int16>(std::max(0, form().option("CalType")));
  s.Hour0 = form().option("Hour0") == 1 ? 12 : 0;
  s.DateError = 0;
  const double JD = JDfromDate(s, day, month, year);
  if (s.DateError != 0) return;
  s.JD = JD;
  form().setNumber("JD", JD, 4);
}

void ObservationScreen::jdToDmy() {
  State& s = state();
  const double JD = num("JD");
  if (!std::isfinite(JD)) return form().message(kMsgBadDateScreen, kTitle7);
  s.CalType = static_cast<int16>(std::max(0, form().option("CalType")));
  s.Hour0 = form().option("Hour0") == 1 ? 12 : 0;
  if (!DateFromJD(s, JD)) return;
  s.JD = JD;
  form().setNumber("Day", s.Day, 6);
  form().setText("Month", std::to_string(s.Month));
  form().setText("Year", std::to_string(s.Year));
}

void ObservationScreen::backToJD0() {
  form().setText("expFrom", "1");
  form().setNumber("Day", day0_);
  form().setText("Month", std::to_string(month0_));
  form().setText("Year", std::to_string(year0_));
  dmyToJd();
}

void ObservationScreen::statisticsReport() {
  const double K = num("MdR");
  if (!std::isfinite(K) || std::trunc(K) == 0)
    return form().message(kMsgBadScale, kTitle70);
  drawDistributions(std::trunc(K));
  if (!form().checked("statistics")) return;
  const Accumulators& a = run_.acc();
  ReportSums sums{a.Nok, a.sadL, a.sadB, a.sdR};
  writeStatReport(state(), run_.classes(), sums);
}

void ObservationScreen::closeScreen() {
  State& s = state();
  if (run_.running()) run_.requestStop();
  ObsClose(s);
  TabClose(s);
  for (int n : {kPlanScreen, kMoonPertScreen, kPlanetPertScreen})
    if (workbench().created(n)) workbench().close(n);
  close();
}

// ---- showing ----

void ObservationScreen::showPass(const PassResult& r) {
  ui::Form& f = form();
  const State& s = state();
  if (!run_.started()) return;
  f.setNumber("Day", s.Day, 6);
  f.setText("Month", std::to_string(s.Month));
  f.setText("Year", std::to_string(s.Year));
  f.setNumber("JD", truncDecimals(r.JD, 6), 6);
  f.setNumber("ETUT", r.ETUT, 6);
  for (int k = 0; k < kRowCount; ++k) {
    const auto i = static_cast<std::size_t>(k);
    if (r.rowSet[i]) {
      f.setCellNumber("rows", k, 0, r.rowL[i], 6);
      f.setCellNumber("rows", k, 1, r.rowB[i], 6);
    } else {
      f.setCell("rows", k, 0, "");
      f.setCell("rows", k, 1, "");
    }
  }
  if (run_.options().visibility) {
    f.setNumber("Agor", r.Agor, 3);
    f.setNumber("Hgor", r.Hgor, 3);
  }
  const Accumulators& a = run_.acc();
  f.setText("Nok", std::to_string(a.Nok));
  f.setText("Npos", std::to_string(a.Npos));
  f.setText("Nneg", std::to_string(a.Nok - a.Npos));
  if (r.compared) {
    f.setNumber("dRval", r.dR, 6);
    f.setNumber("dLval", r.dL, 6);
    f.setNumber("dBval", r.dB, 6);
  }
  if (a.Nok > 0) {
    const double n = static_cast<double>(a.Nok);
    const auto& row = run_.experiments().row[static_cast<std::size_t>(run_.experiments().current)];
    const ResultColumns cols = resultColumns(run_.options().rms);
    f.setNumber("dLmean", a.sdL / n, 6);
    f.setNumber("dBmean", a.sdB / n, 6);
    f.setNumber("dRsrVal", row[cols.dR], 6);
    f.setNumber("absLsr", row[cols.dL] / 3600, 6);
    f.setNumber("absBsr", row[cols.dB] / 3600, 6);
    f.setNumber("kW", run_.kW(), 6);
  }
}

// Passes done, accepted, rejected, the current date and the passes per second since the loop
// was entered. Shown between passes.
void ObservationScreen::showProgress(bool force) {
  const double now = ui::clockSeconds();
  if (!force && lastShown_ >= 0 && now - lastShown_ < 0.2) return;
  lastShown_ = now;
  const State& s = state();
  const double dt = now - clockStart_;
  const long done = run_.passes() - passesAtStart_;
  std::string text = "наблюдений " + std::to_string(run_.passes()) + "   принято " +
                     std::to_string(run_.acc().Nok) + "   отброшено " +
                     std::to_string(run_.rejected()) + "   дата " +
                     formatMask(fix(s.Day), "00") + "." + formatMask(s.Month, "00") + "." +
                     std::to_string(s.Year);
  if (dt > 0 && done > 0) text += "   наблюдений/с " + screenNumber(static_cast<double>(done) / dt, 0);
  form().setText("progress", text);
}

// ---- ReductionObserver ----

PassOptions ObservationScreen::passOptions() { return readOptions(); }

void ObservationScreen::sourceDate(const ObservationRun&, const std::string& dateText) {
  if (!form().checked("noAnimation")) {
    const State& s = state();
    form().setNumber("Day", s.Day, 6);
    form().setText("Month", std::to_string(s.Month));
    form().setText("Year", std::to_string(s.Year));
  }
  form().setText("dateText", dateText);
}

void ObservationScreen::orbitView(const ObservationRun&, const PassResult& r) {
  if (form().option("view") == 1) drawOrbitView(r);
}

void ObservationScreen::passDone(const ObservationRun&, const PassResult& r) {
  const bool animate = !form().checked("noAnimation");
  if (animate) {
    showPass(r);
    if (form().option("view") == 0 && run_.options().visibility) drawHorizonView(r);
  }
  if (r.compared) {
    ++compared_;
    if (!seriesRunning_) plotPass(r);  // a series' picture holds the plan listing
  }
  showProgress(animate);
}

void ObservationScreen::limitLines(const ObservationRun&) {
  if (!seriesRunning_) drawLimitLines();
}

std::optional<LiveInputs> ObservationScreen::liveInputs() { return readLive(); }

void ObservationScreen::pause(double ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

void ObservationScreen::processEvents() { form().processEvents(); }

}  // namespace orvant
