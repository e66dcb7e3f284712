#include "initial/screens/initial_data_screen.h"

#include <cmath>
#include <utility>

#include "initial/initial_data.h"
#include "initial/param_file.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr const char* kNames[12] = {"Солнце", "Меркурий", "Венера", "Земля",  "Марс",  "Юпитер",
                                    "Сатурн", "Уран",     "Нептун", "Плутон", "Ксена", "Луна"};

// Entry of the traced-object options that stands for the Moon as object 10 in Moon mode.
constexpr int kMoonEntry = 11;

const std::vector<std::string> kParameterColumns = {
    "AlfaL, град", "R0sr, тыс.км", "W0sr, рад/год", "Eks", "Betta, град", "AlfaP, град", "AlfaU, град"};
const std::vector<std::string> kInitialColumns = {"X, тыс.км", "Y, тыс.км ", "Z, тыс.км", "VX, м/с",
                                                  "VY, м/с",   "VZ, м/с",    "mSol/mPl"};

// Navigation buttons: id, caption, screen.
struct NavButton {
  const char* id;
  const char* caption;
  int screen;
  const char* tip;  // the one-line description of the button
};
constexpr NavButton kNavigation[] = {
    {"nav4", "Скорость системы* ", 4, "Открыть скорости Солнечной системы (экран 4)"},
    {"nav5", "Обозначения*", 5, "Открыть рисунок обозначений параметров орбит (экран 5)"},
    {"nav16", "ET-UT*", 16, "Открыть ET-UT, затмения и прохождения (экран 16)"},
    {"nav10", "К наблюдениям", 10, "Открыть обработку наблюдений (экран 10)"},
    {"nav18", "Планы*", 18, "Открыть многофакторные планы (экран 18)"},
    {"nav12", "Координаты*", 12, "Открыть преобразователь координат (экран 12)"},
    {"nav14", "Эллипс*", 14, "Открыть сравнение эллипса с эксцентриком и эквантом (экран 14)"},
    {"nav11", "Аберрация*", 11, "Открыть составляющие аберрации (экран 11)"},
    {"nav3", "About*", 3, "Открыть справку по кнопкам всех экранов (экран 3)"},
    {"nav20", "Bary - Geo*", 20, "Открыть расчет начальных данных Луны (экран 20)"},
};
constexpr int kModellingScreen = 2;

constexpr int kScaleMin = 1, kScaleMax = 30000, kScaleStart = 3000;  // 3000: Mx1 = 3e11 m

// The picture shows the region (-10, 12) .. (10, -10) in units of Mx1.
constexpr double kViewLeft = -10, kViewTop = 12, kViewRight = 10, kViewBottom = -10;
constexpr double kPictureWidthCm = 15.5, kPictureHeightCm = 17.05;

std::string kUchId(int i) { return "kUch" + std::to_string(i); }

ui::Color bodyColor(int i) {
  constexpr int palette[11] = {12, 8, 6, 1, 4, 5, 3, 2, 9, 0, 13};
  return ui::qbColor(palette[i]);
}

std::string scaleText(int position) {
  return "масштаб изображения = " + screenNumber(position / 10.0) + " млн.км/см";
}

}  // namespace

InitialDataScreen::InitialDataScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Параметры объектов и начальные данные") {
  // Two panes side by side, each with its own rows: the data on the left, the picture, the
  // corrections and the orbit check on the right.
  group("left", "").at(0, 0);
  group("right", "").at(0, 1);

  // ---- date and source ----
  group("dateGroup", "Дата данных").in("left").at(0, 0);
  field("Year1", "Год", "1801").in("dateGroup").at(0, 0).chars(7);
  field("Month1", "Месяц", "1").in("dateGroup").at(1, 0).chars(7);
  field("Day1", "День", "1,5").in("dateGroup").at(2, 0).chars(7);
  field("JD", "JD", "").in("dateGroup").at(3, 0).chars(12);
  button("GJ", "G->J", [this] { gregorianToJulian(); }).in("dateGroup").at(4, 0)
      .tip("Перевести дату (год, месяц, день) в юлианскую дату");
  button("JG", "J->G", [this] { julianToGregorian(); }).in("dateGroup").at(4, 1)
      .tip("Перевести юлианскую дату в календарную");

  group("sourceGroup", "Источник данных").in("left").at(0, 1);
  options("source", "", {kSourceCaptions.begin(), kSourceCaptions.end()}, 2).in("sourceGroup").at(0, 0);
  button("load", "Загрузить на заданную дату ", [this] { load(); }).in("sourceGroup").at(1, 0)
      .tip("Загрузить параметры орбит (и начальные данные) выбранного источника на заданную дату");

  group("constGroup", "Масса Солнца и постоянные").in("left").at(0, 2);
  field("mSol", "mSol, кг", "").in("constGroup").at(0, 0).chars(17);
  field("gamma", "gamma, н*м^2/кг^2", "").in("constGroup").at(1, 0).chars(17);
  field("Lae", "Lae, км", "").in("constGroup").at(2, 0).chars(17);
  check("kodMoon", "Земля-Луна и Ксена=Луна").in("constGroup").at(3, 0).onChange([this] {
    moonModeChanged();
  });
  check("kodBary", "Bary").in("constGroup").at(4, 0);
  button("calc", "Рассчитать по параметрам орбит начальные данные", [this] { calculate(); })
      .in("constGroup")
      .at(5, 0)
      .span(1, 2)
      .tip("Рассчитать по параметрам орбит начальные координаты и скорости объектов");
  button("save", "Сохранить параметры и данные в файле №", [this] { save(); }).in("constGroup").at(6, 0)
      .tip("Сохранить параметры и начальные данные всех объектов в файл Dat/Orvant<N>.dat");
  field("fileN", "", "1").in("constGroup").at(6, 1).chars(5);

  // ---- the objects: participation in the model ----
  group("objects", "Участие объектов в модели").in("left").at(1, 0).span(1, 3);
  for (int i = 0; i <= 10; ++i)
    check(kUchId(i), kNames[i], i <= 9).in("objects").at(0, i).onChange([this, i] {
      participationChanged(i);
    });

  // ---- the table ----
  options(kView, "", {"параметры орбит объектов", "начальные данные"}, 0)
      .in("left")
      .at(2, 0)
      .span(1, 3)
      .inColumns(2)
      .onChange([this] { showTable(); });
  {
    // Columns wide enough for 14 characters: "-4498396,440731" thousand km.
    ui::Control& t = table("tab", "", 11, kParameterColumns).in("left").at(3, 0).span(1, 3).chars(14);
    for (int i = 0; i <= 10; ++i) t.rowCaptions.push_back(std::to_string(i));
  }

  // ---- corrections of the initial state ----
  group("centre", "Центр масс и скорость Солнца").in("left").at(4, 0).span(1, 3);
  button("cmFind", "Найти координаты ЦМ системы", [this] { findCentre(); }).in("centre").at(0, 0)
      .tip("Найти координаты центра масс участвующих объектов");
  button("cmOrigin", "ЦМ системы в начало координат", [this] { centreToOrigin(); }).in("centre").at(1, 0)
      .tip("Перенести начало координат в центр масс системы");
  button("vsol", "Найти по Vpl скорость Солнца Vsol", [this] { sunVelocity(); }).in("centre").at(0, 1)
      .tip("Найти скорость Солнца, при которой импульс системы равен нулю");
  button("vplus", "Vpl=Vpl+Vsol", [this] { addSunVelocity(); }).in("centre").at(1, 1)
      .tip("Прибавить скорость Солнца к скоростям планет");
  check("CM", "ЦМ").in("centre").at(2, 0).onChange([this] { drawPicture(); });
  field("Xcm", "Xcm, тыс.км", "").in("centre").at(0, 2).chars(14).locked();
  field("Ycm", "Ycm, тыс.км", "").in("centre").at(1, 2).chars(14).locked();
  field("Zcm", "Zcm, тыс.км", "").in("centre").at(2, 2).chars(14).locked();

  // ---- other screens ----
  group("nav", "").in("left").at(5, 0).span(1, 3);
  button("toModel", "К моделированию", [this] { toModelling(); }).in("nav").at(0, 0)
      .tip("Передать параметры орбит и открыть моделирование движения планет (экран 2)");
  int k = 1;
  for (const NavButton& b : kNavigation) {
    const int n = b.screen;
    button(b.id, b.caption, [this, n] { workbench().show(n); }).in("nav").at(k / 6, k % 6).tip(b.tip);
    ++k;
  }
  button("exit", "Выход", [this] { workbench().quit(); }).in("nav").at(k / 6, k % 6)
      .tip("Завершить работу программы");

  // ---- the picture of the bodies ----
  picture("pic", "", kPictureWidthCm, kPictureHeightCm).in("right").at(0, 0).span(1, 2);
  scroll("scale", "", kScaleMin, kScaleMax, kScaleStart).in("right").at(1, 0).onChange([this] {
    scaleChanged();
  });
  label("scaleText", scaleText(kScaleStart)).in("right").at(1, 1);

  // ---- the two-body orbit check of the traced object (initial_data_screen_check.cpp) ----
  declareCheck({kNames, kNames + 12});

  hidden(kRefresh, [this] { refreshInitialView(); });
}

// ---- start-up and activation ----

void InitialDataScreen::opened() {
  State& s = state();
  ui::Form& f = form();
  // (1) participation from the boxes, (2) the traced-object choice reset to the first body.
  for (int i = 0; i <= 10; ++i) s.kUch[static_cast<std::size_t>(i)] = f.checked(kUchId(i)) ? 1 : 0;
  rebuildParticipation(s);
  f.setOption("traced", 1);
  s.Nsl = 1;
  updateTraced();
  // (3), (4) the catalogue and the constants.
  initCatalogue(s);
  s.CalType = 0;
  s.Hour0 = 0;
  applyScale();
  updateNavigation();
  // (5) the data of the selected source at the date of the boxes, (6) the initial state.
  load();
  calculate();
}

void InitialDataScreen::activated() {
  state().CalType = 0;
  state().Hour0 = 0;
  applyScale();
  updateNavigation();
}

void InitialDataScreen::updateNavigation() {
  ui::Form& f = form();
  f.setEnabled("toModel", workbench().has(kModellingScreen));
  for (const NavButton& b : kNavigation) f.setEnabled(b.id, workbench().has(b.screen));
}

// ---- load ----

bool InitialDataScreen::readDate(double& day, int32& month, int32& year) {
  const auto d = form().date("Day1", "Month1", "Year1");
  if (!d) return false;
  day = d->day;
  month = d->month;
  year = d->year;
  return true;
}

void InitialDataScreen::showDate(double day, int32 month, int32 year) {
  form().setText("Year1", std::to_string(year));
  form().setText("Month1", std::to_string(month));
  form().setNumber("Day1", day);
}

void InitialDataScreen::load() {
  State& s = state();
  ui::Form& f = form();
  const auto source = static_cast<DataSource>(f.option("source"));
  const bool moon = f.checked("kodMoon");
  double day = 0;
  int32 month = 0, year = 0;
  if (!readDate(day, month, year)) {
    // Three numbers that are no date (month 13, day 0) are refused as "G->J" refuses them.
    const bool numbers = f.number("Day1") && f.number("Month1") && f.number("Year1");
    return numbers ? f.message(kMsgBadDate, kTitle70) : f.message(kMsgBadData, kTitle7);
  }
  // The date is normalised as "G->J" does it (a day beyond its month carries into the next months,
  // the boxes show the date reached); a month beyond the table is refused by both alike.
  if (!NormDate(s, day, month, year)) return f.message(kMsgBadDate, kTitle70);
  day = s.Day;
  month = s.Month;
  year = s.Year;
  showDate(day, month, year);
  if (!setLoadDate(s, source, day, month, year, moon)) return;
  f.setNumber("JD", s.JD0);

  bool ok = false;
  switch (source) {
    case DataSource::File: {
      const auto n = parseFileNumber(f.text("fileN"));
      if (!n) return f.message(kMsgFileNumber, kTitle7);
      ParamLoadProgress progress;
      ok = loadParamFile(s, *n, &progress);
      if (progress.date) {
        showDate(s.DayD, s.MonthD, s.YearD);
        f.setNumber("JD", s.JD0);
      }
      if (!ok && progress.objects > 0) drawPicture();  // the bodies read before the failure
      break;
    }
    case DataSource::Screen:
      ok = loadFromScreen();
      break;
    default:
      ok = loadTheorySource(s, source, moon, f.checked("kodBary"));
  }
  if (!ok) return;
  if (source != DataSource::File) {  // the date of the data, which a parameter file then carries
    s.DayD = day;
    s.MonthD = month;
    s.YearD = year;
  }
  finishLoad(s);
  showConstants();
  showTable();
  drawPicture();
}

bool InitialDataScreen::loadFromScreen() {
  State& s = state();
  ui::Form& f = form();
  const auto fail = [&f] {
    f.message(kMsgBadData, kTitle7);
    return false;
  };
  const auto mSol = f.number("mSol");
  if (!mSol) return fail();
  s.m[0] = *mSol;
  const auto gamma = f.number("gamma");
  if (!gamma) return fail();
  s.gamma = *gamma;
  const auto lae = f.number("Lae");
  if (!lae) return fail();
  s.Lae = *lae * 1000;

  const bool parameters = f.option(kView) == 0;
  for (int i = 0; i <= 10; ++i) {
    double v[7];
    for (int c = 0; c < 7; ++c) {
      const auto x = f.cellNumber("tab", i, c);
      if (!x) return fail();
      v[c] = *x;
      if (parameters) {
        switch (c) {
          case 0: s.AlfaL[i] = v[0] / s.kUgol; break;
          case 1: s.R0sr[i] = v[1] * s.MK; break;
          case 2: s.W0sr[i] = v[2] / s.sekG; break;
          case 3: s.Eks0[i] = v[3]; break;
          case 4: s.Betta0[i] = v[4] / s.kUgol; break;
          case 5: s.AlfaP0[i] = v[5] / s.kUgol; break;
          case 6: s.AlfaU0[i] = v[6] / s.kUgol; break;
        }
      } else {
        switch (c) {
          case 0: s.X[i] = s.X0[i] = v[0] * s.MK; break;
          case 1: s.Y[i] = s.Y0[i] = v[1] * s.MK; break;
          case 2: s.Z[i] = s.Z0[i] = v[2] * s.MK; break;
          case 3: s.VX[i] = s.VX0[i] = v[3]; break;
          case 4: s.VY[i] = s.VY0[i] = v[4]; break;
          case 5: s.VZ[i] = s.VZ0[i] = v[5]; break;
          default: break;  // the mass ratios stay as they are
        }
      }
    }
  }
  return true;
}

// ---- initial state and its corrections ----

void InitialDataScreen::calculate() {
  ui::Form& f = form();
  const auto mSol = f.number("mSol");
  const auto gamma = f.number("gamma");
  if (!mSol || !gamma) return f.message(kMsgBadData, kTitle7);
  const InitialDataInputs in{*mSol, *gamma, f.checked("kodBary"), f.checked("kodMoon")};
  const bool ok = initialDataFromParameters(state(), in);
  showTable();
  if (ok) drawPicture();
}

void InitialDataScreen::findCentre() {
  State& s = state();
  if (!centreOfMass(s)) return;
  form().setNumber("Xcm", std::trunc(s.X[kCentreSlot]) / s.MK);
  form().setNumber("Ycm", std::trunc(s.Y[kCentreSlot]) / s.MK);
  form().setNumber("Zcm", std::trunc(s.Z[kCentreSlot]) / s.MK);
  if (form().checked("CM")) drawCentreCross();
}

void InitialDataScreen::centreToOrigin() {
  State& s = state();
  if (!centreOfMassToOrigin(s)) return;
  form().setNumber("Xcm", 0);
  form().setNumber("Ycm", 0);
  form().setNumber("Zcm", 0);
  switchToInitialView();
  drawPicture();
}

void InitialDataScreen::sunVelocity() {
  if (!sunVelocityFromPlanets(state())) return;
  switchToInitialView();
}

void InitialDataScreen::addSunVelocity() {
  addSunVelocityToPlanets(state());
  switchToInitialView();
}

// ---- files ----

void InitialDataScreen::save() {
  const auto n = parseFileNumber(form().text("fileN"));
  if (!n) return form().message(kMsgFileNumber, kTitle7);
  saveParamFile(state(), *n);
}

// ---- dates ----

void InitialDataScreen::gregorianToJulian() {
  State& s = state();
  ui::Form& f = form();
  double day = 0;
  int32 month = 0, year = 0;
  if (!readDate(day, month, year)) return f.message(kMsgBadDate, kTitle70);
  s.YearD = year;
  s.MonthD = month;
  s.DayD = day;
  if (!NormDate(s, s.DayD, s.MonthD, s.YearD)) return f.message(kMsgBadDate, kTitle70);
  showDate(s.Day, s.Month, s.Year);
  s.DateError = 0;
  const double jd = JDfromDate(s, s.Day, s.Month, s.Year);
  if (s.DateError != 0) return;
  s.JD = jd;
  f.setNumber("JD", s.JD, 3);
}

void InitialDataScreen::julianToGregorian() {
  State& s = state();
  ui::Form& f = form();
  const auto jd = f.number("JD");
  if (!jd) return f.message(kMsgBadJulianDate, kTitle70);
  s.JD = *jd;
  if (!DateFromJD(s, s.JD)) return;
  showDate(s.Day, s.Month, s.Year);
}

// ---- other screens ----

void InitialDataScreen::toModelling() {
  fillPpar(state());
  workbench().show(kModellingScreen);
}

void InitialDataScreen::refreshInitialView() { switchToInitialView(); }

// ---- boxes ----

void InitialDataScreen::moonModeChanged() {
  State& s = state();
  ui::Form& f = form();
  const bool moon = f.checked("kodMoon");
  f.setCaption(kUchId(10), moon ? kNames[11] : kNames[10]);
  f.setChecked(kUchId(10), moon);
  s.kUch[10] = moon ? 1 : 0;
  rebuildParticipation(s);
  updateTraced();
  drawPicture();
}

void InitialDataScreen::participationChanged(int i) {
  State& s = state();
  s.kUch[static_cast<std::size_t>(i)] = form().checked(kUchId(i)) ? 1 : 0;
  rebuildParticipation(s);
  updateTraced();
  drawPicture();
}

void InitialDataScreen::tracedChanged() {
  const int entry = form().option("traced");
  if (entry >= 1) state().Nsl = entry == kMoonEntry ? 10 : entry;
}

// Only a participating body other than the Sun can be traced, and in Moon mode not the Earth;
// object 10 is offered as "Ксена", or as "Луна" in Moon mode. A choice that is no longer allowed
// moves to the first allowed body (none when no body is allowed).
void InitialDataScreen::updateTraced() {
  State& s = state();
  ui::Form& f = form();
  const bool moon = f.checked("kodMoon");
  f.setEntryVisible("traced", 10, !moon);
  f.setEntryVisible("traced", kMoonEntry, moon);
  f.setEntryEnabled("traced", 0, false);
  const auto allowed = [&](int i) { return s.kUch[static_cast<std::size_t>(i)] == 1 && !(moon && i == 3); };
  for (int i = 1; i <= 10; ++i) f.setEntryEnabled("traced", i == 10 && moon ? kMoonEntry : i, allowed(i));
  f.setEntryEnabled("traced", moon ? 10 : kMoonEntry, false);

  const int entry = f.option("traced");
  int chosen = entry == kMoonEntry ? 10 : entry;
  const bool entryMatchesMode = entry == 10 ? !moon : entry == kMoonEntry ? moon : true;
  if (chosen >= 1 && allowed(chosen) && entryMatchesMode) {
    s.Nsl = chosen;
  } else {
    chosen = -1;
    for (int i = 1; i <= 10 && chosen < 0; ++i)
      if (allowed(i)) chosen = i;
    if (chosen < 0) {
      f.setOption("traced", -1);
    } else {
      f.setOption("traced", chosen == 10 && moon ? kMoonEntry : chosen);
      s.Nsl = chosen;
    }
  }
}

void InitialDataScreen::applyScale() {
  const int position = form().position("scale");
  state().Mx1 = position * kScaleStep;
  form().setText("scaleText", scaleText(position));
}

void InitialDataScreen::scaleChanged() {
  applyScale();
  drawPicture();
}

// ---- views ----

void InitialDataScreen::showConstants() {
  const State& s = state();
  form().setText("mSol", fullNumber(s.m[0]));
  form().setText("gamma", fullNumber(s.gamma));
  form().setText("Lae", fullNumber(s.Lae / 1000));
}

void InitialDataScreen::switchToInitialView() {
  form().setOption(kView, kInitialView);
  showTable();
}

// Values truncated to 6 decimals of the unit shown: angles in degrees, R0sr and X, Y, Z in
// thousand km, W0sr in rad/year, velocities in m/s.
void InitialDataScreen::showTable() {
  State& s = state();
  ui::Form& f = form();
  const bool parameters = f.option(kView) != kInitialView;
  const auto& captions = parameters ? kParameterColumns : kInitialColumns;
  for (int c = 0; c < 7; ++c) f.setColumnCaption("tab", c, captions[static_cast<std::size_t>(c)]);
  for (int i = 0; i <= 10; ++i) {
    double v[7];
    if (parameters) {
      s.AlfaL[i] = reduceAngle(s, s.AlfaL[i]);
      v[0] = s.kUgol * s.AlfaL[i];
      v[1] = s.R0sr[i] / s.MK;
      v[2] = s.W0sr[i] * s.sekG;
      v[3] = s.Eks0[i];
      v[4] = s.kUgol * s.Betta0[i];
      v[5] = s.kUgol * s.AlfaP0[i];
      v[6] = s.kUgol * s.AlfaU0[i];
    } else {
      v[0] = s.X[i] / s.MK;
      v[1] = s.Y[i] / s.MK;
      v[2] = s.Z[i] / s.MK;
      v[3] = s.VX[i];
      v[4] = s.VY[i];
      v[5] = s.VZ[i];
      v[6] = s.km[i];
    }
    for (int c = 0; c < 7; ++c) f.setCellNumber("tab", i, c, v[c], 6);
  }
}

// ---- the picture ----

std::string InitialDataScreen::bodyName(int i) const {
  if (i == 10 && form().checked("kodMoon")) return kNames[11];
  return kNames[i];
}

// The bodies at X, Y (m) in units of Mx1: participating ones filled in their colours, the others
// as grey rings; the Sun larger. The centre-of-mass cross when "ЦМ" is ticked.
void InitialDataScreen::drawPicture() {
  const State& s = state();
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  pic.setView(kViewLeft, kViewTop, kViewRight, kViewBottom);
  pic.line(kViewLeft, 0, kViewRight, 0, ui::kLightGray);
  pic.line(0, kViewTop, 0, kViewBottom, ui::kLightGray);
  ui::LabelPlacer names(pic);  // the inner planets crowd round the Sun: their names must not overlap
  for (int i = 0; i <= 10; ++i) names.reservePoint(s.X[i] / s.Mx1, s.Y[i] / s.Mx1, i == 0 ? 0.3 : 0.15);
  for (int i = 0; i <= 10; ++i) {
    const double x = s.X[i] / s.Mx1, y = s.Y[i] / s.Mx1;
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    const bool takesPart = s.kUch[static_cast<std::size_t>(i)] == 1;
    const double r = i == 0 ? 0.25 : 0.12;
    pic.circle(x, y, r, takesPart ? bodyColor(i) : ui::kGray, takesPart);
    names.text(x, y, bodyName(i), takesPart ? ui::kBlack : ui::kGray);
  }
  if (form().checked("CM")) drawCentreCross();
}

void InitialDataScreen::drawCentreCross() {
  const State& s = state();
  ui::Canvas& pic = form().canvas("pic");
  const double x = s.X[kCentreSlot] / s.Mx1, y = s.Y[kCentreSlot] / s.Mx1, d = 0.3;
  pic.line(x - d, y, x + d, y, ui::kBlue);
  pic.line(x, y - d, x, y + d, ui::kBlue);
}

}  // namespace orvant
