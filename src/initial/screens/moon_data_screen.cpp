#include "initial/screens/moon_data_screen.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "astro/transform.h"
#include "astro/etut.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_planets.h"
#include "initial/initial_data.h"
#include "astro/twobody.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr std::string_view kMsgBadInput = "Введите правильно данные";
constexpr std::string_view kMsgBadSetup = "Задайте правильно данные";
constexpr std::string_view kMsgEquations = "Ошибка решения уравнений";

constexpr double kPictureWidthCm = 10, kPictureHeightCm = 13;
constexpr double kOriginX = 5, kOriginY = 6;  // the Earth-Moon centre of mass, cm
// Thousand km per cm; at the start the Moon's orbit (up to 406 000 km) fits the 5 cm beside the
// centre of the picture.
constexpr int kScaleMin = 5, kScaleMax = 500, kScaleStart = 90;

// Rows of the result table.
enum Row { kRowPeriod, kRowRsr, kRowEks, kRowAlfaP, kRowAlfaU, kRowBetta };

std::string scaleCaption(int v) { return "Масштаб изображения= " + std::to_string(v) + " тыс.км/см"; }

// A drift in degrees brought into (-180, 180].
double driftDegrees(double a, double a0) {
  double d = std::fmod(a - a0, 360.0);
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return d;
}

std::optional<long> countOf(const ui::Form& f, std::string_view id) {
  const auto v = f.number(id);
  if (!v || *v != std::trunc(*v) || *v < 1 || *v > 2e9) return std::nullopt;
  return static_cast<long>(*v);
}

}  // namespace

MoonDataScreen::MoonDataScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Рассчет начальных данных для Луны") {
  // Three columns that fit a small display: the date, the theory and the results of the check;
  // the focus, the Moon and the settings of the check; the picture.
  group("c0", "").at(0, 0);
  group("c1", "").at(0, 1);
  group("c2", "").at(0, 2);

  // ---- date, theory, masses ----
  group("date", "Дата").in("c0").at(0, 0);
  field("Day", "День", "1,5").in("date").at(0, 0).chars(4);
  field("Month", "Месяц", "1").in("date").at(0, 1).chars(2);
  field("Year", "Год", "2000").in("date").at(0, 2).chars(4);
  field("JD", "JD =", "").in("date").at(1, 0).span(1, 2).chars(12);
  button("GJ", "G->J", [this] { gregorianToJulian(); })
      .in("date")
      .at(2, 0)
      .tip("Перевести дату в юлианскую дату и сделать ее текущей датой программы");
  button("JG", "J->G", [this] { julianToGregorian(); })
      .in("date")
      .at(2, 1)
      .tip("Перевести юлианскую дату в календарную и сделать ее текущей датой программы");
  field("ETUT", "ET-UT, сек=", "").in("date").at(3, 0).span(1, 2).chars(12).locked();

  group("theoryGroup", "Теория").in("c0").at(1, 0);
  options("theory", "", {"New0 (JD)", "JPL0 (JD)", "Kin0+ (J2000)"}, 0).in("theoryGroup").at(0, 0).span(2, 1);
  field("km11", "m3 = m11 *", "81,300585").in("theoryGroup").at(0, 1).chars(10);
  field("VXsys", "VXsys, м/с", "0").in("theoryGroup").at(1, 1).chars(10);

  group("over", "Заменить параметры теории").in("c0").at(2, 0);
  check("ovBetta", "Betta0=").in("over").at(0, 0);
  field("Betta0", "", "5,1454").in("over").at(0, 1).chars(8);
  check("ovEks", "Eks0=").in("over").at(0, 2);
  field("Eks0", "", "0,05").in("over").at(0, 3).chars(6);
  check("ovR0sr", "R0sr=").in("over").at(1, 0);
  field("R0sr", "", "384,4").in("over").at(1, 1).chars(8);

  // ---- results of the check ----
  group("results", "Результаты проверки").in("c0").at(3, 0);
  {
    ui::Control& t =
        table("res", "", 6, {"задано", "измерено", "изменение"}).in("results").at(0, 0).span(1, 2).chars(10).locked();
    t.rowCaptions = {"Период, дней=", "Rsr, тыс.км", "Eks", "AlfaP, град", "AlfaU, град", "Betta, град"};
  }
  field("Tyears", "T, лет=", "").in("results").at(1, 0).chars(12).locked();
  field("Nper", "К-во оборотов, шт", "").in("results").at(1, 1).chars(5).locked();
  field("dEsys", "dEsys, %", "").in("results").at(2, 0).chars(15).locked();
  field("dMsys", "dMsys, %", "").in("results").at(2, 1).chars(15).locked();
  field("dmVXsys", "dmVXsys,%", "").in("results").at(3, 0).chars(15).locked();

  // ---- the focus, the setting, the Moon ----
  group("focusGroup", "Фокус эллипса Луны").in("c1").at(0, 0);
  options("focus", "", {"в центре Земли", "в барицентре Земля+Луна"}, 0)
      .in("focusGroup")
      .at(0, 0)
      .onChange([this] { focusChanged(); });
  check("fX3", "+X3 = -X11 * m11 / m13", true).in("focusGroup").at(1, 0);
  check("fX11", "++X11 = X11 + X3").in("focusGroup").at(2, 0);
  check("fVX3", "+VX3 = -VX11 * m11 / m3", true).in("focusGroup").at(3, 0);
  check("fVX11", "++VX11 = VX11 + VX3").in("focusGroup").at(4, 0);
  check("fVgeo", "+VX11=VX11geo / (1+m11/m3)", true).in("focusGroup").at(5, 0);

  button("set", "Задать координаты и скорости Луны и Земли", [this] { setMoonAndEarth(); })
      .in("c1")
      .at(1, 0)
      .tip("Рассчитать параметры орбиты Луны по выбранной теории на текущую дату и задать начальные "
           "координаты и скорости Луны и Земли по отмеченным формулам");

  group("moon", "Луна").in("c1").at(2, 0);
  field("AlfaL0", "AlfaL0, град", "").in("moon").at(0, 0).chars(11).locked();
  field("GeoL", "GeoL, град", "").in("moon").at(0, 1).chars(11).locked();
  field("AlfaP0", "AlfaP0, град", "").in("moon").at(1, 0).chars(11).locked();
  field("GeoB", "GeoB, град", "").in("moon").at(1, 1).chars(11).locked();
  field("AlfaU0", "AlfaU0, град", "").in("moon").at(2, 0).chars(11).locked();
  field("GeoR", "R, тыс.км.", "").in("moon").at(2, 1).chars(11).locked();

  // ---- the check ----
  group("check", "Проверка орбиты Луны").in("c1").at(3, 0);
  field("H0", "с шагом, сек", "360").in("check").at(0, 0).chars(6);
  check("kSun", "+V3=const").in("check").at(0, 1);
  field("kShag", "вблизи перигея и узла уменьшая его в", "10").in("check").at(1, 0).chars(6);
  field("dAlfa", "в интервале, град  +/-", "45").in("check").at(2, 0).chars(6);
  field("NC0", "данные выводить на рисунок через", "100").in("check").at(3, 0).chars(6);
  label("NC0unit", "шагов").in("check").at(3, 1);
  check("drawTraj", "рисовать траектории", true).in("check").at(4, 0).span(1, 2);
  check("drawCM", "рисовать координаты центра масс системы").in("check").at(5, 0).span(1, 2);
  button("checkStart", "Проверить параметры орбиты Луны", [this] { checkStart(); })
      .in("check")
      .at(6, 0)
      .span(1, 2)
      .tip("Проинтегрировать пару Земля - Луна и измерять по оборотам параметры орбиты Луны, "
           "их изменение и сохранение энергии, момента и импульса");
  button("checkStop", "Остановить", [this] { state().kStop = 1; })
      .in("check")
      .at(7, 0)
      .tip("Остановить проверку орбиты Луны");
  button("checkGo", "Продолжить", [this] { checkContinue(); })
      .in("check")
      .at(7, 1)
      .tip("Продолжить остановленную проверку орбиты Луны");

  // ---- the picture ----
  picture("pic", "", kPictureWidthCm, kPictureHeightCm).in("c2").at(0, 0).span(1, 2);
  scroll("scale", "", kScaleMin, kScaleMax, kScaleStart).in("c2").at(1, 0).onChange([this] {
    clearPicture();
    drawBodies();
  });
  label("scaleText", scaleCaption(kScaleStart)).in("c2").at(1, 1);
  button("clear", "Очистить рисунок", [this] {
    clearPicture();
    drawBodies();
  })
      .in("c2")
      .at(2, 0)
      .tip("Стереть рисунок и нарисовать сетку, Землю и Луну заново");
  button("close", "Закрыть форму", [this] { close(); })
      .in("c2")
      .at(2, 1)
      .tip("Закрыть экран расчета начальных данных Луны");
}

void MoonDataScreen::opened() {
  state().CalType = 0;
  state().Hour0 = 0;
  // The date of the boxes becomes the date "Задать" works at, as "G->J" would make it.
  const auto d = form().number("Day");
  State& s = state();
  if (d && NormDate(s, *d, 1, 2000)) form().setNumber("JD", JDfromDate(s, s.Day, s.Month, s.Year));
  clearPicture();
  drawSketch(false);
}

void MoonDataScreen::activated() {
  state().CalType = 0;
  state().Hour0 = 0;
}

double MoonDataScreen::scale() const { return form().position("scale") * 1e6; }

// ---- "Задать координаты и скорости Луны и Земли" ----

// Steps 8-10 of setting the Moon and the Earth: the Earth at rest in the origin, then moved by
// the ticked formulas; (GeoL, GeoB, GeoR) follow the Earth when it moves about the centre.
void MoonDataScreen::placeEarthAndMoon(bool bary, double& GeoL, double& GeoB, double& GeoR) {
  State& s = state();
  ui::Form& f = form();
  // The Earth at rest in the origin, then moved by the ticked formulas. With the focus in
  // the Earth's centre the Earth takes -m11/m13 of the Moon's geocentric vector, which puts the
  // centre of mass in the origin. With the focus in the barycentre the theory's vector is the
  // Moon relative to the Earth on the ellipse about the barycentre: the Earth takes its share
  // m11/(m11 + m13) of it and the Moon the rest (++X11), so that the centre of mass stays in the
  // origin whichever focus is chosen (with m11/m13 in both shares it would move by (m11/m13)^2 of
  // the distance, some 57 km).
  const double q = s.m[11] / s.m[13];
  const double share = bary ? s.m[11] / (s.m[11] + s.m[13]) : q;
  s.X[3] = s.Y[3] = s.Z[3] = 0;
  s.VX[3] = s.VY[3] = s.VZ[3] = 0;
  if (bary) s.X[kCentreSlot] = s.Y[kCentreSlot] = s.Z[kCentreSlot] = 0;
  if (f.checked("fX3")) {
    s.X[3] = -s.X[11] * share;
    s.Y[3] = -s.Y[11] * share;
    s.Z[3] = -s.Z[11] * share;
    if (!bary) {
      SphFrom(s, 3, 11);
      GeoL = s.Dolg[11], GeoB = s.Shir, GeoR = s.Rast;
    }
  }
  if (!bary && f.checked("fVgeo")) {
    s.VX[11] /= q + 1;
    s.VY[11] /= q + 1;
    s.VZ[11] /= q + 1;
  }
  if (bary && f.checked("fX11")) {
    s.X[11] += s.X[3];
    s.Y[11] += s.Y[3];
    s.Z[11] += s.Z[3];
  }
  // The Earth's velocity, and the Moon's share of it.
  if (f.checked("fVX3")) {
    s.VX[3] = -s.VX[11] * share;
    s.VY[3] = -s.VY[11] * share;
    s.VZ[3] = -s.VZ[11] * share;
  }
  if (f.checked("fVX11")) {
    s.VX[11] += s.VX[3];
    s.VY[11] += s.VY[3];
    s.VZ[11] += s.VZ[3];
  }
}

// The Moon's parameters, its geocentric place and the two velocities on the picture.
void MoonDataScreen::showMoon(double GeoL, double GeoB, double GeoR) {
  State& s = state();
  ui::Form& f = form();
  f.setNumber("AlfaL0", s.kUgol * s.AlfaL[11], 6);
  f.setNumber("AlfaP0", s.kUgol * s.AlfaP0[11], 6);
  f.setNumber("AlfaU0", s.kUgol * s.AlfaU0[11], 6);
  f.setNumber("GeoL", GeoL, 6);
  f.setNumber("GeoB", GeoB, 6);
  f.setNumber("GeoR", GeoR / s.MK, 6);
  clearPicture();
  drawBodies();
  ui::Canvas& pic = f.canvas("pic");
  const auto v4 = [](double v) { return formatMask(v, "0000.0000"); };
  pic.text(-kOriginX + 0.2, kOriginY - kPictureHeightCm + 1.0,
           "VX3  VY3  VZ3 (м/с)=        " + v4(s.VX[3]) + "     " + v4(s.VY[3]) + "     " + v4(s.VZ[3]));
  pic.text(-kOriginX + 0.2, kOriginY - kPictureHeightCm + 0.5,
           "VX11  VY11  VZ11 (м/с)=  " + v4(s.VX[11]) + "     " + v4(s.VY[11]) + "     " + v4(s.VZ[11]));
}

void MoonDataScreen::setMoonAndEarth() {
  State& s = state();
  ui::Form& f = form();
  const auto fail = [&f] { f.message(kMsgBadInput, kTitle70); };
  // Every box first: nothing changes when one of them does not hold a number.
  // The ranges keep every result finite: a mass ratio from 10^-3 to 10^6, a velocity below that
  // of light, an inclination within a half turn, a mean distance up to 10^9 thousand km.
  const auto km11 = f.numberIn("km11", 1e-3, 1e6);
  const auto vxsys = f.numberIn("VXsys", -3e8, 3e8);
  const auto betta = f.numberIn("Betta0", -180, 180);
  const auto eks = f.numberIn("Eks0", 0, 1);
  const auto r0sr = f.numberIn("R0sr", 0, 1e9);
  if (!km11 || !vxsys) return fail();
  if (f.checked("ovBetta") && !betta) return fail();
  if (f.checked("ovEks") && (!eks || *eks >= 1)) return fail();
  if (f.checked("ovR0sr") && (!r0sr || !(*r0sr > 0))) return fail();
  if (!(s.m[0] > 0) || !(s.km[3] > 0) || !std::isfinite(s.JD)) return fail();

  // 1. Moon mode, the time scales.
  s.kodMoon = 1;
  const double JDs = s.JD;
  s.ETUT = ETUT1939(s, s.JD);
  f.setNumber("ETUT", s.ETUT, 6);
  s.JDE = JDs + s.ETUT / 86400;
  s.JD = s.JDE;
  // 2. The masses of the Earth alone and of the Moon from the Earth+Moon mass m(3).
  s.km[11] = *km11;
  s.m[3] = s.m[0] / s.km[3];
  s.m[13] = s.m[3] / (1 / s.km[11] + 1);
  s.m[11] = s.m[13] / s.km[11];
  // 3. The velocity added along X (kept by this screen in m/s: the shared VXsys is km/s).
  VXsys_ = *vxsys;
  // 4. The Moon's parameters (object 11).
  switch (f.option("theory")) {
    case JPL0: ThJ2000(s, 11); break;
    case Kin0p:
      s.JD = JDs;  // the kinematic theory takes universal time
      ThKin0(s, 11);
      break;
    default: ThNew0(s, 11); break;
  }
  s.JD = JDs;
  // 5. Angles to one turn; the replaced parameters.
  s.AlfaL[11] = reduceAngle(s, s.AlfaL[11]);
  s.AlfaP0[11] = reduceAngle(s, s.AlfaP0[11]);
  s.AlfaU0[11] = reduceAngle(s, s.AlfaU0[11]);
  if (f.checked("ovBetta")) s.Betta0[11] = *betta / s.kUgol;
  if (f.checked("ovEks")) s.Eks0[11] = *eks;
  if (f.checked("ovR0sr")) s.R0sr[11] = *r0sr * s.MK;
  // 6. The geocentric position and the Moon seen from the Earth.
  if (!positionFromParameters(s, 11)) return fail();
  s.X[3] = s.Y[3] = s.Z[3] = 0;
  SphFrom(s, 3, 11);
  double GeoL = s.Dolg[11], GeoB = s.Shir, GeoR = s.Rast;
  // 7. The velocity about the Earth, or about the Earth and the Moon.
  const bool bary = f.option("focus") == 1;
  s.kodBary = bary ? 1 : 0;
  if (!velocityFromParameters(s, 11)) return fail();
  placeEarthAndMoon(bary, GeoL, GeoB, GeoR);
  // 11. The initial state: the Earth in slot 0, the Moon in slot 11.
  s.X0[0] = s.X[3], s.Y0[0] = s.Y[3], s.Z0[0] = s.Z[3];
  s.VX0[0] = VXsys_ + s.VX[3], s.VY0[0] = s.VY[3], s.VZ0[0] = s.VZ[3];
  s.X0[11] = s.X[11], s.Y0[11] = s.Y[11], s.Z0[11] = s.Z[11];
  s.VX0[11] = VXsys_ + s.VX[11], s.VY0[11] = s.VY[11], s.VZ0[11] = s.VZ[11];
  const double M = s.m[11] + s.m[13];
  s.X[kCentreSlot] = (s.m[11] * s.X[11] + s.m[13] * s.X[3]) / M;
  s.Y[kCentreSlot] = (s.m[11] * s.Y[11] + s.m[13] * s.Y[3]) / M;
  s.Z[kCentreSlot] = (s.m[11] * s.Z[11] + s.m[13] * s.Z[3]) / M;
  checkReady_ = false;

  // 12. What the Moon's parameters and place are.
  showMoon(GeoL, GeoB, GeoR);
}

// ---- the check ----

void MoonDataScreen::checkStart() {
  if (checkRunning_) return;
  State& s = state();
  ui::Form& f = form();
  checkReady_ = false;
  const auto fail = [&f] { f.message(kMsgBadSetup, kTitle7); };
  const auto H0 = f.number("H0");
  const auto NC0 = countOf(f, "NC0");
  const auto kShag = countOf(f, "kShag");
  const auto dAlfa = f.number("dAlfa");
  if (!H0 || !NC0 || !kShag || !dAlfa) return fail();
  const OrbitCheckSlots keep(s, 11);  // the model's state of the pair comes back at the end
  OrbitCheckSetup u;
  u.n = 11;
  u.c = 13;
  u.centre = {s.X0[0], s.Y0[0], s.Z0[0], s.VX0[0], s.VY0[0], s.VZ0[0]};
  u.body = {s.X0[11], s.Y0[11], s.Z0[11], s.VX0[11], s.VY0[11], s.VZ0[11]};
  u.H0 = *H0;
  u.kShag = static_cast<int>(std::min(*kShag, 1000000L));
  u.dAlfa = *dAlfa;
  u.NC0 = *NC0;
  u.kSun = f.checked("kSun") ? 0 : 1;
  if (!beginOrbitCheck(s, check_, u)) return fail();
  checkReady_ = true;
  s.Icen = 13;

  // The angular momentum (Z component) and the momentum along X at the start.
  M0sys_ = ((s.VY[11] - s.VY[0]) * (s.X[11] - s.X[0]) - (s.Y[11] - s.Y[0]) * (s.VX[11] - s.VX[0])) * s.m[11];
  mVX0sys_ = s.m[13] * s.VX[0] + s.m[11] * s.VX[11];
  clearPicture();
  drawBodies();
  ui::Canvas& pic = f.canvas("pic");
  pic.text(-kOriginX + 0.2, kOriginY - kPictureHeightCm + 1.5, "E0sys (Дж)=        " + screenNumber(check_.E0));
  pic.text(-kOriginX + 0.2, kOriginY - kPictureHeightCm + 1.0, "M0sys (кг*м^2/с) =   " + screenNumber(M0sys_));
  pic.text(-kOriginX + 0.2, kOriginY - kPictureHeightCm + 0.5, "mVX0sys (кг*м/с) =   " + screenNumber(mVX0sys_));
  for (const char* id : {"Tyears", "dEsys", "dMsys", "dmVXsys"}) f.setNumber(id, 0);
  f.setNumber("Nper", 0);
  // The values under test, and no change yet.
  f.setCellNumber("res", kRowPeriod, 0, s.W0sr[11] > 0 ? 2 * s.Pi / s.W0sr[11] / 86400 : 0, 6);
  f.setCellNumber("res", kRowRsr, 0, std::trunc(s.R0sr[11]) / s.MK, 6);
  f.setCellNumber("res", kRowEks, 0, s.Eks0[11], 6);
  f.setCellNumber("res", kRowAlfaP, 0, check_.AlfaP0r, 6);
  f.setCellNumber("res", kRowAlfaU, 0, check_.AlfaU0r, 6);
  f.setCellNumber("res", kRowBetta, 0, s.kUgol * s.Betta0[11], 6);
  for (int r = 0; r < 6; ++r)
    for (int c = 1; c < 3; ++c) f.setCell("res", r, c, "0");
  s.kStop = 0;
  runCheck();
}

void MoonDataScreen::checkContinue() {
  state().kStop = 0;
  if (checkRunning_) return;
  if (!checkReady_) return form().message(kMsgBadSetup, kTitle7);
  const OrbitCheckSlots keep(state(), check_.n);
  runCheck();
}

void MoonDataScreen::runCheck() {
  State& s = state();
  ui::Form& f = form();
  checkRunning_ = true;
  for (;;) {
    const unsigned ev = orbitCheckStep(s, check_);
    if (ev & kChkFailed) {
      checkReady_ = false;
      f.message(kMsgEquations, kTitle7);
      break;
    }
    if (ev & kChkNode) {
      f.setCellNumber("res", kRowAlfaU, 1, check_.AlfaUt, 6);
      f.setCellNumber("res", kRowAlfaU, 2, driftDegrees(check_.AlfaUt, check_.AlfaU0r), 6);
    }
    if (ev & kChkPerihelion) showCheckPerihelion();
    if (ev & kChkDisplay) {
      showCheckDisplay();
      check_.kSun = f.checked("kSun") ? 0 : 1;
      if (!f.checked("drawTraj")) clearPicture();
      drawBodies();
      if (s.kStop == 1) break;
      f.processEvents();
      if (s.kStop == 1 || workbench().quitting()) break;
    }
  }
  checkRunning_ = false;
}

void MoonDataScreen::showCheckPerihelion() {
  const State& s = state();
  ui::Form& f = form();
  const OrbitCheck& k = check_;
  f.setCellNumber("res", kRowPeriod, 1, k.Tper, 6);
  f.setCellNumber("res", kRowRsr, 1, k.Rpl / s.MK, 6);
  f.setCellNumber("res", kRowRsr, 2, (k.Rpl - s.R0sr[11]) / s.MK, 6);
  f.setCellNumber("res", kRowEks, 1, k.Eks, 6);
  f.setCellNumber("res", kRowEks, 2, k.Eks - s.Eks0[11], 6);
  f.setCellNumber("res", kRowAlfaP, 1, k.AlfaPt, 6);
  f.setCellNumber("res", kRowAlfaP, 2, driftDegrees(k.AlfaPt, k.AlfaP0r), 6);
  f.setCellNumber("res", kRowBetta, 1, k.Betta * s.kUgol, 6);
  f.setCellNumber("res", kRowBetta, 2, (k.Betta - s.Betta0[11]) * s.kUgol, 6);
  f.setNumber("Nper", static_cast<double>(k.Nper));
}

void MoonDataScreen::showCheckDisplay() {
  const State& s = state();
  ui::Form& f = form();
  const OrbitCheck& k = check_;
  f.setNumber("Tyears", k.t / s.sekG, 6);
  const double Msys =
      ((s.VY[11] - s.VY[0]) * (s.X[11] - s.X[0]) - (s.Y[11] - s.Y[0]) * (s.VX[11] - s.VX[0])) * s.m[11];
  const double mVXsys = s.m[13] * s.VX[0] + s.m[11] * s.VX[11];
  f.setNumber("dEsys", percentChange(k.E, k.E0), 12);
  // A start value that is rounding noise (the pair at rest in its centre of mass has no momentum)
  // gives no meaningful ratio: the change is then taken relative to the momenta of the bodies.
  const double pScale = s.m[11] * std::hypot(s.VX[11], s.VY[11]) + s.m[13] * std::hypot(s.VX[0], s.VY[0]);
  const double rScale = std::hypot(s.X[11] - s.X[0], s.Y[11] - s.Y[0]) * s.m[11] *
                        std::hypot(s.VX[11] - s.VX[0], s.VY[11] - s.VY[0]);
  const auto change = [](double v, double v0, double scale) {
    return std::fabs(v0) > 1e-9 * scale ? percentChange(v, v0) : 100 * (v - v0) / scale;
  };
  f.setNumber("dMsys", change(Msys, M0sys_, rScale), 12);
  f.setNumber("dmVXsys", change(mVXsys, mVX0sys_, pScale), 12);
}

// ---- dates ----

void MoonDataScreen::gregorianToJulian() {
  State& s = state();
  ui::Form& f = form();
  const auto date = f.date("Day", "Month", "Year");
  if (!date) return f.message(kMsgBadDate, kTitle70);
  s.YearD = date->year;
  s.MonthD = date->month;
  s.DayD = date->day;
  if (!NormDate(s, s.DayD, s.MonthD, s.YearD)) return f.message(kMsgBadDate, kTitle70);
  f.setText("Year", std::to_string(s.Year));
  f.setText("Month", std::to_string(s.Month));
  f.setNumber("Day", s.Day);
  s.DateError = 0;
  const double jd = JDfromDate(s, s.Day, s.Month, s.Year);
  if (s.DateError != 0) return;
  s.JD = jd;
  f.setNumber("JD", s.JD);
}

void MoonDataScreen::julianToGregorian() {
  State& s = state();
  ui::Form& f = form();
  const auto jd = f.number("JD");
  if (!jd) return f.message(kMsgBadJulianDate, kTitle70);
  s.JD = *jd;
  if (!DateFromJD(s, s.JD)) return;
  f.setText("Year", std::to_string(s.Year));
  f.setText("Month", std::to_string(s.Month));
  f.setNumber("Day", s.Day);
}

// ---- the focus and the picture ----

void MoonDataScreen::focusChanged() {
  ui::Form& f = form();
  const bool bary = f.option("focus") == 1;
  f.setChecked("fVgeo", !bary);
  f.setChecked("fVX11", bary);
  f.setChecked("fX11", bary);
  clearPicture();
  drawSketch(bary);
}

// The grid of 1 cm squares about the centre of the picture; coordinates in thousand km.
void MoonDataScreen::clearPicture() {
  ui::Form& f = form();
  const int v = f.position("scale");
  f.setText("scaleText", scaleCaption(v));
  ui::Canvas& pic = f.canvas("pic");
  pic.clear();
  pic.setOrigin(kOriginX, kOriginY, 1.0);
  for (int x = -5; x <= 5; ++x) pic.line(x, kOriginY, x, kOriginY - kPictureHeightCm, ui::kLightGray);
  for (int y = -7; y <= 6; ++y) pic.line(-kOriginX, y, kPictureWidthCm - kOriginX, y, ui::kLightGray);
  pic.line(-kOriginX, 0, kPictureWidthCm - kOriginX, 0, ui::kGray);
  pic.line(0, kOriginY, 0, kOriginY - kPictureHeightCm, ui::kGray);
}

// A small sketch of the Moon's ellipse with its focus in the Earth or in the barycentre.
void MoonDataScreen::drawSketch(bool bary) {
  ui::Canvas& pic = form().canvas("pic");
  const double a = 2.0, e = 0.5, b = a * std::sqrt(1 - e * e), cx = 2.5, cy = 3.5;
  const double fx = cx - a * e;  // the focus on the side of the perigee
  double px = cx + a, py = cy;
  for (int k = 1; k <= 72; ++k) {
    const double t = k * 2 * M_PI / 72;
    const double x = cx + a * std::cos(t), y = cy + b * std::sin(t);
    pic.line(px, py, x, y, ui::kGreen);
    px = x, py = y;
  }
  const double earthX = bary ? fx - 0.25 : fx;
  pic.circle(earthX, cy, 0.12, ui::kBlue, true);
  pic.line(fx - 0.15, cy, fx + 0.15, cy, ui::kRed);
  pic.line(fx, cy - 0.15, fx, cy + 0.15, ui::kRed);
  pic.text(cx - a, cy - b - 0.1, bary ? "фокус в барицентре Земля+Луна" : "фокус в центре Земли");
}

// The Earth (blue), the Moon (green) where they are, and the centre of mass of the pair (red
// cross) when asked for.
void MoonDataScreen::drawBodies() {
  const State& s = state();
  ui::Form& f = form();
  ui::Canvas& pic = f.canvas("pic");
  const double k = 1 / scale();
  const auto finite = [](double x, double y) { return std::isfinite(x) && std::isfinite(y); };
  const bool checking = checkReady_ || checkRunning_;
  const double ex = checking ? s.X[0] : s.X[3], ey = checking ? s.Y[0] : s.Y[3];
  if (finite(ex * k, ey * k)) pic.circle(ex * k, ey * k, 0.1, ui::kBlue, true);
  if (finite(s.X[11] * k, s.Y[11] * k)) pic.circle(s.X[11] * k, s.Y[11] * k, 0.05, ui::kGreen, true);
  if (!checking || f.checked("drawCM")) {
    const double M = s.m[11] + s.m[13];
    if (M > 0) {
      const double cx = (s.m[11] * s.X[11] + s.m[13] * ex) / M * k, cy = (s.m[11] * s.Y[11] + s.m[13] * ey) / M * k;
      if (finite(cx, cy)) {
        pic.line(cx - 1, cy, cx + 1, cy, ui::kRed);
        pic.line(cx, cy - 1, cx, cy + 1, ui::kRed);
      }
    }
  }
}

}  // namespace orvant
