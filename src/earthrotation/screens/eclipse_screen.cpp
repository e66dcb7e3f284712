#include "earthrotation/screens/eclipse_screen.h"

#include <cmath>
#include <string>
#include <vector>

#include "earthrotation/eclipse_logs.h"
#include "earthrotation/eclipse_sources.h"
#include "astro/etut.h"
#include "earthrotation/screens/etut_screen.h"
#include "ephemeris/jpl.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "observations/sources.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr int kPertMoonScreen = 21, kPertPlanetScreen = 22;

// Diameters at load, m: the Sun, Mercury, Venus, the Earth, Mars, the Moon.
void setDefaultDiameters(State& s) {
  s.Dpl[0] = 1392000000;
  s.Dpl[1] = 4879000;
  s.Dpl[2] = 12104000;
  s.Dpl[3] = 12756000;
  s.Dpl[4] = 6794000;
  s.Dpl[11] = 3475000;
}

// "hh:mm:ss" of the fraction of a day count.
std::string hms(State& s, double days) {
  DayToHMS(s, days);
  return hmsText(s);
}

}  // namespace

EclipseScreen::EclipseScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Неравномерность вращения Земли (ET-UT)") {
  // Three columns: what, when and where with the small pictures; the source, the options and
  // the horizon picture; the stages, the time chain and the results. The commands below.
  group("c0", "").at(0, 0);
  group("c1", "").at(0, 1);
  group("c2", "").at(0, 2);

  // ---- column 0 ----
  group("DMYut", "DMYut").in("c0").at(1, 0);
  field("Day", "день", "29,4").in("DMYut").at(0, 0).chars(9);
  field("Month", "месяц", "3").in("DMYut").at(0, 1).chars(3);
  field("Year", "год", "2006").in("DMYut").at(1, 0).chars(6);
  field("JDut", "JDut", "").in("DMYut").at(1, 1).chars(14);
  button("dmy2jd", "DMY->JD", [this] { dmyToJd(); }).in("DMYut").at(2, 0)
      .tip("перевести дату в юлианскую дату JDut");
  button("jd2dmy", "JD->DMY", [this] { jdToDmy(); }).in("DMYut").at(2, 1)
      .tip("перевести юлианскую дату JDut в дату");
  options("cal", "календарь таблиц", {"Григорианский", "Юлианский ", "Египетский"}, 0)
      .in("DMYut").at(3, 0).span(1, 2).inColumns(3).tip("календарь даты (для таблиц)");
  options("hour0", "время", {"от 0", "от 12"}, 0).in("DMYut").at(4, 0).span(1, 2).inColumns(2)
      .tip("начало суток: от полуночи или от полудня (для таблиц)");
  group("gStep", "").in("c0").at(0, 0);
  field("k", "Солнце и планета №", "11").in("gStep").at(0, 0).chars(4);
  options("ecl", "рассчитать затмения", {"Солнца", "Луны"}, 0).in("gStep").at(0, 1).span(2, 1)
      .tip("контур какого диска строить: Солнца (затмение Солнца, прохождение) или Луны");
  field("step", "шаг, дни", "0,0005").in("gStep").at(1, 0).chars(8);
  field("div", "делитель шага", "10").in("gStep").at(2, 1).chars(4);
  options("dir", "", {"вперед", "назад"}, 0).in("gStep").at(2, 0).inColumns(2)
      .tip("направление шагов по времени");
  field("ObsL", "ObsL", "48,153").in("gStep").at(3, 0).chars(8);
  field("ObsB", "ObsB", "45,874").in("gStep").at(3, 1).chars(8);
  group("gPics", "").in("c0").at(2, 0);
  picture("picPolar", "ТОПО ГОР полярная", 2.6, 2.6).in("gPics").at(0, 0);
  picture("picHelio", "ГЕЛИО ЭКЛ", 2.6, 2.6).in("gPics").at(0, 1);

  // ---- column 1 ----
  group("gSrc", "использовать данные").in("c1").at(0, 0);
  options("kind", "", {"теорий", "таблиц"}, 0).in("gSrc").at(0, 0).inColumns(2)
      .tip("источник положений: современные теории или древние таблицы");
  options("theory", "современные теории", {"нет", "New0", "JPL0", "JPL2", "Kin0+"}, 0)
      .in("gSrc").at(1, 0).inColumns(5).tip("теория движения Солнца, Луны и планет");
  options("table", "древние таблицы",
          {"нет", "Wing", "Tycho", "Streete*", "Rudolphine*", "Almagest*", "AlKhwarizmi*",
           "Alfonso*", "AlBattani"},
          0)
      .in("gSrc").at(2, 0).inColumns(3).tip("таблица, вычисляемая электронной таблицей");
  check("precTab", "исправить Prec* от года создания табл.").in("gSrc").at(3, 0)
      .tip("исправить прецессию таблицы от года ее создания");
  group("gOpt", "").in("c1").at(1, 0);
  check("refr", "+Рефракция", true).in("gOpt").at(0, 0).tip("учитывать рефракцию в высоте");
  check("test", "++Test").in("gOpt").at(0, 1)
      .tip("проверка обратного расчета: рефракция не учитывается");
  check("startStop", "Start+Stop").in("gOpt").at(0, 2).tip("начать остановленным: один шаг");
  check("dLl", "+dLl").in("gOpt").at(1, 0).tip("добавить периодические поправки Луны (экран 21)");
  button("dLlScr", "dLl*", [this] { workbench().show(kPertMoonScreen); }).in("gOpt").at(1, 1)
      .tip("открыть экран поправок Луны");
  check("fileTY", "+File TimeYer").in("gOpt").at(1, 2)
      .tip("писать Dat\\TimeYer_data.txt у равноденствий и солнцестояний");
  check("dLp", "+dLp").in("gOpt").at(2, 0).tip("добавить периодические поправки планет (экран 22)");
  button("dLpScr", "dLp*", [this] { workbench().show(kPertPlanetScreen); }).in("gOpt").at(2, 1)
      .tip("открыть экран поправок планет");
  check("fileP", "+File Param").in("gOpt").at(2, 2).tip("писать Dat\\Param_data.txt на каждом шаге");
  picture("picHor", "ТОПО ГОР декартова сист. коорд.", 8.5, 4.1).in("c1").at(2, 0);

  // ---- column 2 ----
  table("stages", "", 8, {"L Солнца", "B Солнца", "L объекта", "B объекта"}).in("c2").at(0, 0)
      .chars(9).locked().rowCaptions = {kEclStageNames.begin(), kEclStageNames.end()};
  group("gTime", "").in("c2").at(1, 0);
  field("et1", "ET1- UT, мин", "1,081667").in("gTime").at(1, 0).chars(12);
  check("et1Scr", "с экрана").in("gTime").at(1, 1).tip("брать ET1-UT из поля, а не из модели");
  field("et2", "ET2- UT, мин", "0").in("gTime").at(2, 0).chars(12);
  check("et2Scr", "с экрана").in("gTime").at(2, 1).tip("брать ET2-UT из поля, а не из модели");
  label("ut", "ut=").in("gTime").at(3, 0).span(1, 2);
  label("LTut", "LTut  =").in("gTime").at(4, 0);
  label("UTet2", "UTet2=").in("gTime").at(4, 1);
  label("DMY", "DMY= ").in("gTime").at(5, 0);
  label("LTet2", "LTet2=").in("gTime").at(5, 1);
  label("GMST", "GMST=").in("gTime").at(6, 0);
  label("LMST", "LMST=").in("gTime").at(6, 1);
  label("tauSun", "Tau Солнца=").in("gTime").at(7, 0);
  label("prec", "прецессия от J2000=").in("gTime").at(8, 0).span(1, 2);
  group("gSep", "").in("c2").at(2, 0);
  label("radii", "радиусы, град:").in("gSep").at(1, 0);
  label("sep", "расстояние центров, град=").in("gSep").at(2, 0);
  label("sepMin", "наименьшее=").in("gSep").at(3, 0);
  label("shadow", "тень: диаметр=").in("gSep").at(4, 0);

  // ---- the drawing options and the commands ----
  group("gDraw", "").at(1, 1).span(1, 2);
  check("upd", "+обновить", true).in("gDraw").at(0, 0).tip("перерисовывать рисунки на каждом шаге");
  check("traj", "траектории").in("gDraw").at(0, 1).tip("оставлять следы центров дисков");
  check("trajSun", "+ траектории на Солнце").in("gDraw").at(0, 2)
      .tip("оставлять следы контура на диске Солнца");
  check("equator", "+ экватор").in("gDraw").at(0, 3).tip("рисовать экватор на полярном рисунке");
  options("dAlfa", "рисунок dAlfa в координатах", {"ЭКВ", "ГОР"}, 1).in("gDraw").at(1, 0)
      .span(1, 2).inColumns(2).tip("система координат рисунка смещений");
  options("uet", "", {"ut", "et"}, 0).in("gDraw").at(1, 2).inColumns(2)
      .tip("подпись времени на рисунке: всемирное или эфемеридное");
  scroll("scale", "Масштаб = 120 млн.км/см", 1, 200, 120).in("gDraw").at(1, 3)
      .tip("масштаб гелиоцентрического рисунка");
  group("gCmd", "").at(1, 0);
  button("etut", "Выбрать зависимости для  ET1 - UT и  ET2 - UT",
         [this] { workbench().show(kEtutScreen); })
      .in("gCmd").at(2, 0).span(1, 2).tip("открыть экран моделей ET-UT (17)");
  button("jd0", "JD = JD0", [this] { jdToJd0(); }).in("gCmd").at(2, 2)
      .tip("вернуть в поля даты начальную дату последнего запуска");
  button("start", "Начать", [this] { start(); }).in("gCmd").at(0, 0)
      .tip("проверить данные, создать файлы и начать расчет с заданной даты");
  button("stop", "Остановить", [this] { state().kStop = 1; }).in("gCmd").at(0, 1)
      .tip("остановить расчет после текущего шага");
  button("cont", "Продолжить", [this] { resume(false); }).in("gCmd").at(0, 2)
      .tip("продолжить расчет с текущей даты");
  button("one", "+ 1 шаг", [this] { resume(true); }).in("gCmd").at(1, 0)
      .tip("сделать один шаг и остановиться");
  button("clear", "Очистить все рисунки", [this] { clearPictures(); }).in("gCmd").at(1, 1)
      .tip("стереть все рисунки");
  button("close", "Закрыть форму", [this] { close(); }).in("gCmd").at(1, 2)
      .tip("закрыть окно");
}

void EclipseScreen::opened() {
  setDefaultDiameters(state());
  // The ET - UT models and the diameters of screen 17 (applied when that screen is built).
  if (workbench().has(kEtutScreen)) {
    auto* et = dynamic_cast<EtutScreen*>(&workbench().screen(kEtutScreen));
    if (et) et->apply();
  } else {
    setETcoefDefaults(state());
  }
  dmyToJd();
}

// ---- the date fields ----

void EclipseScreen::dmyToJd() {
  State& s = state();
  const auto date = form().date("Day", "Month", "Year");
  if (!date) {
    form().message(kMsgEclBadInput, kTitle70);
    return;
  }
  const auto d = std::optional<double>(date->day);
  const auto m = std::optional<double>(date->month), y = std::optional<double>(date->year);
  const int16 ct = s.CalType;
  const double h0 = s.Hour0;
  s.CalType = static_cast<int16>(form().option("cal"));
  s.Hour0 = form().option("hour0") == 1 ? 12 : 0;
  s.DateError = 0;
  const double jd = JDfromDate(s, *d, static_cast<int32>(*m), static_cast<int32>(*y));
  if (s.DateError == 0) form().setText("JDut", formatMask(jd, "0000000.00000"));
  s.CalType = ct;
  s.Hour0 = h0;
}

void EclipseScreen::jdToDmy() {
  State& s = state();
  const auto jd = form().number("JDut");
  if (!jd) {
    form().message(kMsgEclBadInput, kTitle70);
    return;
  }
  const int16 ct = s.CalType;
  const double h0 = s.Hour0;
  s.CalType = static_cast<int16>(form().option("cal"));
  s.Hour0 = form().option("hour0") == 1 ? 12 : 0;
  if (DateFromJD(s, *jd)) {
    form().setText("Day", screenNumber(s.Day, 6));
    form().setText("Month", std::to_string(s.Month));
    form().setText("Year", std::to_string(s.Year));
  }
  s.CalType = ct;
  s.Hour0 = h0;
}

void EclipseScreen::jdToJd0() {
  if (!prepared_) return;
  form().setText("Day", screenNumber(day0_, 6));
  form().setText("Month", std::to_string(month0_));
  form().setText("Year", std::to_string(year0_));
  dmyToJd();
}

void EclipseScreen::showDate() {
  // The day as stepped, freed of the rounding noise of the repeated additions.
  form().setText("Day", screenNumber(std::round(day_ * 1e9) / 1e9, 9));
  form().setText("Month", std::to_string(month_));
  form().setText("Year", std::to_string(year_));
}

// ---- "Начать", "Продолжить", "+ 1 шаг" ----

bool EclipseScreen::readSettings(EclipseSettings& set) {
  ui::Form& f = form();
  set.tables = f.option("kind") == 1;
  set.theory = static_cast<EclTheory>(std::max(0, f.option("theory")));
  set.table = std::max(0, f.option("table"));
  set.precTab = f.checked("precTab");
  set.refraction = f.checked("refr");
  set.test = f.checked("test");
  set.dLl = f.checked("dLl");
  set.dLp = f.checked("dLp");
  set.outlineMoon = f.option("ecl") == 1;
  set.et1Screen = f.checked("et1Scr");
  set.et2Screen = f.checked("et2Scr");
  const auto e1 = f.number("et1"), e2 = f.number("et2");
  set.et1Min = set.et1Screen ? (e1 ? *e1 : NAN) : 0;
  set.et2Min = set.et2Screen ? (e2 ? *e2 : NAN) : 0;
  return true;
}

void EclipseScreen::start() {
  if (running_) return;
  State& s = state();
  ui::Form& f = form();
  EclipseSettings set;
  readSettings(set);
  // The source first, then the object, then the numbers.
  if (set.tables && set.table == 0) return f.message(kMsgEclNoTable, kTitle70);
  if (!set.tables && set.theory == EclTheory::None) return f.message(kMsgEclNoTheory, kTitle70);
  const auto k = f.number("k");
  if (k && *k == 3) return f.message(kMsgEclEarth, kTitle70);
  const auto step = f.number("step"), div = f.number("div");
  const auto L = f.numberIn("ObsL", -360, 360), B = f.numberIn("ObsB", -90, 90);
  const auto object = f.wholeIn("k", 0, 99);
  const auto date = f.date("Day", "Month", "Year");
  const auto bad = [&] { f.message(kMsgEclBadInput, kTitle70); };
  if (!object || !step || !div || !L || !B || !date) return bad();
  if (!(*step > 0) || !(*div > 0) || !std::isfinite(*step) || !std::isfinite(*div)) return bad();
  const auto d = std::optional<double>(date->day);
  const auto m = std::optional<double>(date->month), y = std::optional<double>(date->year);
  set.k = static_cast<int>(*object);
  set.ObsL = *L;
  set.ObsB = *B;
  if (!eclipseSettingsError(set).empty()) return f.message(eclipseSettingsError(set), kTitle70);
  // The start date in the chosen calendar and day start, normalised and kept.
  const int cal = f.option("cal");
  const double hour0 = f.option("hour0") == 1 ? 12 : 0;
  const int16 ct = s.CalType;
  const double h0 = s.Hour0;
  s.CalType = static_cast<int16>(cal);
  s.Hour0 = hour0;
  s.DateError = 0;
  bool ok = NormDate(s, *d, static_cast<int32>(*m), static_cast<int32>(*y));
  double jd = 0;
  if (ok) {
    day0_ = s.Day, month0_ = s.Month, year0_ = s.Year;
    jd = JDfromDate(s, day0_, month0_, year0_);
    ok = s.DateError == 0;
  }
  // Theories step in the Gregorian calendar from midnight; tables in their own.
  if (ok && !set.tables) {
    s.CalType = 0;
    s.Hour0 = 0;
    ok = DateFromJD(s, jd);
  }
  calType_ = set.tables ? cal : 0;
  hour0_ = set.tables ? hour0 : 0;
  if (ok) day_ = s.Day, month_ = s.Month, year_ = s.Year;
  s.CalType = ct;
  s.Hour0 = h0;
  if (!ok) return bad();
  s.JD = s.JDjpl = jd;
  s.X[13] = s.Y[13] = s.Z[13] = 0;
  // Tables: the workbook of the chosen table.
  if (set.tables) {
    const TabCatalogueEntry& e = kTabCatalogue[static_cast<std::size_t>(kEclTableCatalogue[set.table])];
    set.tabCalType = cal;
    set.tabHour0 = hour0;
    set.tabMeridian = e.L;
    s.SrcKind = "Tab";
    s.NSheet = static_cast<int16>(e.nSheet);
    if (s.ObsName != e.name || !TabIsOpen(s)) {
      s.ObsName = std::string(e.name);
      if (!TabOpen(s, e.name)) return;
    }
    s.JDep = jd;
    s.CorrTab0 = 0;
  }
  const EclStatus st = eclipseBegin(s, set, jd);
  if (st != EclStatus::Ok) return;  // the reader has shown its message
  direction_ = f.option("dir") == 1 ? -1 : 1;
  stepDays_ = *step;
  divisor_ = *div;
  fineNext_ = false;
  logParam_ = f.checked("fileP");
  logTimeYer_ = f.checked("fileTY");
  const std::string source(eclipseSourceName(set));
  if (logTimeYer_ && !createEclipseLog(s, kTimeYerLog, timeYerLogHeader(source))) return;
  if (logParam_ && !createEclipseLog(s, kParamLog, paramLogHeader(set.k, source))) return;
  set_ = set;
  prepared_ = true;
  minSep_ = 1e9;
  minSepJD_ = 0;
  steps_ = 0;
  clearPictures();
  s.kStop = f.checked("startStop") || firstStepOnly_ ? 1 : 0;
  loop();
}

void EclipseScreen::resume(bool oneStep) {
  if (running_) return;
  if (!prepared_) {
    // Nothing started yet: the first step, or the run, starts from the date of the boxes.
    firstStepOnly_ = oneStep;
    start();
    firstStepOnly_ = false;
    return;
  }
  direction_ = form().option("dir") == 1 ? -1 : 1;
  state().kStop = oneStep ? 1 : 0;
  loop();
}

void EclipseScreen::loop() {
  State& s = state();
  ui::Form& f = form();
  running_ = true;
  eclipseUseMasses(s, set_);  // the model's own are back after every command
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running_};
  for (;;) {
    // The date of the step.
    const int16 ct = s.CalType;
    const double h0 = s.Hour0;
    s.CalType = static_cast<int16>(calType_);
    s.Hour0 = hour0_;
    s.DateError = 0;
    const double jd = JDfromDate(s, day_, month_, year_);
    s.CalType = ct;
    s.Hour0 = h0;
    if (s.DateError != 0) {
      s.kStop = 1;
      break;
    }
    showDate();
    f.setText("JDut", formatMask(jd, "0000000.00000"));
    // "с экрана" is read at every step.
    set_.et1Screen = f.checked("et1Scr");
    set_.et2Screen = f.checked("et2Scr");
    if (set_.et1Screen || set_.et2Screen) {
      const auto e1 = f.number("et1"), e2 = f.number("et2");
      if ((set_.et1Screen && !e1) || (set_.et2Screen && !e2)) {
        f.message(kMsgEclBadInput, kTitle70);
        s.kStop = 1;
        break;
      }
      if (e1) set_.et1Min = *e1;
      if (e2) set_.et2Min = *e2;
    }
    EclipseStep st;
    const EclStatus status = eclipseStep(s, set_, jd, st);
    if (status != EclStatus::Ok) {
      if (status == EclStatus::Numeric) f.message(kMsgEclSolve, kTitle70);
      s.kStop = 1;
      break;
    }
    last_ = st;
    ++steps_;
    const double sep = separation(st);
    if (sep < minSep_) {
      minSep_ = sep;
      minSepJD_ = jd;
    }
    showStep(st);
    if (f.checked("upd")) draw(st);
    if (!logStep(st)) {
      s.kStop = 1;
      break;
    }
    // The next date.
    const double h = fineNext_ ? stepDays_ / divisor_ : stepDays_;
    s.CalType = static_cast<int16>(calType_);
    s.Hour0 = hour0_;
    const bool ok = NormDate(s, day_ + direction_ * h, month_, year_);
    s.CalType = ct;
    s.Hour0 = h0;
    if (!ok) {
      f.message(kMsgEclSolve, kTitle70);
      s.kStop = 1;
      break;
    }
    day_ = s.Day, month_ = s.Month, year_ = s.Year;
    if (s.kStop == 1) break;
    f.processEvents();
  }
  showDate();
}

double EclipseScreen::separation(const EclipseStep& st) const {
  if (set_.outlineMoon) return angularSeparation(st.ra[1], st.dec[1], st.ra[2], st.dec[2]);
  return angularSeparation(st.ra[0], st.dec[0], st.ra[1], st.dec[1]);
}

// ---- displays ----

void EclipseScreen::showStep(const EclipseStep& st) {
  State& s = state();
  ui::Form& f = form();
  const int16 ct = s.CalType;
  const double h0 = s.Hour0;
  s.CalType = 0;
  s.Hour0 = 0;
  // ut, LTut
  if (DateFromJD(s, st.JDut)) {
    DayToHMS(s, s.Day);
    f.setText("ut", utText(s));
  }
  f.setText("LTut", "LTut  =" + hms(s, st.JDut + 0.5 + set_.ObsL / 15 / 24));
  if (!set_.et1Screen) f.setText("et1", screenNumber(st.ET1 / 60, 6));
  if (!set_.et2Screen) f.setText("et2", screenNumber(st.ET2 / 60, 6));
  f.setText("UTet2", "UTet2=" + hms(s, st.JDet2 + 0.5));
  const double lt2 = st.JDet2 + set_.ObsL / 15 / 24;
  if (DateFromJD(s, lt2)) {
    f.setText("DMY", "DMY= " + formatMask(std::trunc(s.Day), "00") + "." +
                         formatMask(s.Month, "00") + "." + formatMask(s.Year, "0000"));
  }
  f.setText("LTet2", "LTet2=" + hms(s, lt2 + 0.5));
  f.setText("GMST", "GMST=" + hms(s, st.GMST / 24));
  f.setText("LMST", "LMST=" + hms(s, st.LMST / 24));
  f.setText("tauSun", "Tau Солнца=" + hms(s, st.sunHourAngle / 15 / 24));
  f.setText("prec", "прецессия от J2000=" + screenNumber(st.precJ2000, 4) + " от JD 1579341=" +
                        screenNumber(st.precEpoch, 4));
  s.CalType = ct;
  s.Hour0 = h0;
  for (int r = 0; r < 8; ++r)
    for (int j = 0; j < 2; ++j) {
      f.setCellNumber("stages", r, 2 * j, st.L[r][j], 6);
      f.setCellNumber("stages", r, 2 * j + 1, st.B[r][j], 6);
    }
  auto three = [](double a, double b, double c, int n) {
    return "  Солнце " + screenNumber(a, n) + "  объект " + screenNumber(b, n) + "  тень " +
           screenNumber(c, n);
  };
  f.setText("radii", "радиусы, град:" + three(st.rho[0], st.rho[1], st.rho[2], 6));
  f.setText("sep", "расстояние центров, град=" + screenNumber(separation(st), 6));
  if (DateFromJD(s, minSepJD_)) {
    DayToHMS(s, s.Day);
    f.setText("sepMin", "наименьшее=" + screenNumber(minSep_, 6) + "  " + utText(s));
  }
  f.setText("shadow", "тень: диаметр=" + screenNumber(st.shadowDiam / 1e6, 3) +
                          " тыс.км, полуугол конуса=" + screenNumber(st.sigma, 6));
}

bool EclipseScreen::logStep(const EclipseStep& st) {
  State& s = state();
  fineNext_ = false;
  if (logParam_) {
    double day = 0;
    int month = 0, year = 0;
    bool ok;
    if (set_.tables) {
      ok = eclipseTableDate(s, set_, st.JDE);
    } else {
      const int16 ct = s.CalType;
      const double h0 = s.Hour0;
      s.CalType = 0;
      s.Hour0 = 0;
      ok = DateFromJD(s, st.JDet2 + set_.ObsL / 15 / 24);
      s.CalType = ct;
      s.Hour0 = h0;
    }
    if (ok) day = s.Day, month = s.Month, year = s.Year;
    const auto line = ok ? paramLogLine(day, month, year, st.L[kStHor][0], st.B[kStHor][0],
                                        st.L[kStHor][1], st.B[kStHor][1])
                         : std::nullopt;
    if (!line) {
      form().message(kMsgEclSolve, kTitle70);
      return false;
    }
    if (!appendEclipseLog(s, kParamLog, *line)) return false;
  }
  if (logTimeYer_ && nearEquinoxOrSolstice(st.sunEclDate)) {
    const EclipseInverse inv = eclipseInverseSun(s, set_, st);
    const auto line = timeYerLogLine(form().text("LTet2"), form().text("DMY"), st, inv);
    if (!line) {
      form().message(kMsgEclSolve, kTitle70);
      return false;
    }
    if (!appendEclipseLog(s, kTimeYerLog, *line)) return false;
    fineNext_ = true;
  }
  return true;
}

// ---- pictures ----

void EclipseScreen::clearPictures() {
  for (const char* id : {"picHor", "picPolar", "picHelio"}) form().canvas(id).clear();
}

void EclipseScreen::draw(const EclipseStep& st) {
  ui::Form& f = form();
  const bool keep = f.checked("traj");
  const bool horizon = f.option("dAlfa") == 1;
  // Cartesian view centred on the outlined body, +-1.5 degrees.
  ui::Canvas& c = f.canvas("picHor");
  if (!keep) c.clear();
  const double w = c.widthCm(), h = c.heightCm();
  const double half = 1.5;
  c.setView(-half * w / h, half, half * w / h, -half);
  const int centre = set_.outlineMoon ? 1 : 0;
  auto xy = [&](double a, double b, double& x, double& y) {
    if (horizon) {
      double da = a - st.az[centre];
      if (da > 180) da -= 360;
      if (da < -180) da += 360;
      x = -da * std::cos(st.alt[centre] * M_PI / 180);
      y = b - st.alt[centre];
    } else {
      double da = a - st.ra[centre];
      if (da > 180) da -= 360;
      if (da < -180) da += 360;
      x = -da * std::cos(st.dec[centre] * M_PI / 180);
      y = b - st.dec[centre];
    }
  };
  const ui::Color colors[3] = {{230, 180, 0}, {60, 60, 60}, {200, 0, 0}};
  for (int j = 0; j < 3; ++j) {
    if (j == 2 && !set_.outlineMoon && set_.k != 11) continue;
    double x = 0, y = 0;
    xy(horizon ? st.az[j] : st.ra[j], horizon ? st.alt[j] : st.dec[j], x, y);
    if (keep && !(j == 0 && f.checked("trajSun"))) c.point(x, y, colors[j]);
    if (!keep) c.circle(x, y, st.rho[j], colors[j], j != 2);
  }
  for (int p = 0; p < 8; ++p) {
    double x = 0, y = 0;
    xy(horizon ? st.outAz[p] : st.outRa[p], horizon ? st.outAlt[p] : st.outDec[p], x, y);
    c.point(x, y, ui::kBlue);
  }
  if (horizon) {  // the horizon line
    double x0, y0;
    xy(st.az[centre], 0, x0, y0);
    c.line(-half * w / h, y0, half * w / h, y0, ui::kGreen);
  }
  if (!keep) {
    c.text(-half * w / h, half, std::string(f.option("uet") == 1 ? "et " : "ut ") +
                                    f.text(f.option("uet") == 1 ? "UTet2" : "ut"));
  }
  // Polar horizon: the zenith in the centre, the horizon at the rim, south down.
  ui::Canvas& p = f.canvas("picPolar");
  if (!keep) {
    p.clear();
    p.setView(-100 * p.widthCm() / p.heightCm(), 100, 100 * p.widthCm() / p.heightCm(), -100);
    p.circle(0, 0, 90, ui::kGreen);
    if (f.checked("equator")) {
      // The celestial equator: altitude 90 - |latitude - 0| at the meridian, drawn by points.
      for (int a = -90; a <= 90; a += 5) {
        const double tau = a * M_PI / 180, phi = set_.ObsB * M_PI / 180;
        const double sh = std::cos(phi) * std::cos(tau);
        const double alt = std::asin(sh) * 180 / M_PI;
        const double az = std::atan2(std::sin(tau), std::sin(phi) * std::cos(tau)) * 180 / M_PI;
        const double r = 90 - alt;
        p.point(r * std::sin(az * M_PI / 180), -r * std::cos(az * M_PI / 180), ui::kCyan);
      }
    }
  }
  for (int j = 0; j < 2; ++j) {
    const double r = 90 - st.alt[j];
    p.circle(r * std::sin(st.az[j] * M_PI / 180), -r * std::cos(st.az[j] * M_PI / 180), 3,
             colors[j], j == 0);
  }
  // Heliocentric ecliptic: the Sun in the centre, the scale in million km per cm.
  ui::Canvas& g = f.canvas("picHelio");
  const double scale = std::max(1, f.position("scale")) * 1e9;  // m per cm
  f.setCaption("scale", "Масштаб = " + std::to_string(f.position("scale")) + " млн.км/см");
  if (!keep) g.clear();
  g.setOrigin(g.widthCm() / 2, g.heightCm() / 2, scale);
  g.circle(0, 0, 0.15 * scale, colors[0], true);
  g.point(st.earth[0], st.earth[1], ui::kBlue);
  g.point(st.moon[0], st.moon[1], ui::kGray);
  if (set_.k != 11) g.point(st.object[0], st.object[1], ui::kRed);
}

}  // namespace orvant
