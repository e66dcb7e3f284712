// Screen 1, the panel "Проверка орбиты": the two-body check of the traced body (orbit_check.h).
//
// "Проверить параметры орбиты и ошибку их определения программой" sets the check up from the
// initial state and runs it; "Остановить" sets kStop; "Продолжить " clears it and resumes from the
// kept state; "сделать NC0 шагов" makes NC0 steps, shows them and stops. The loop runs in the
// thread of the window and lets it process its events at every display point (every NC0 steps),
// so the buttons work while it runs. The check moves its two bodies in a copy of its own; when it
// stops, the model's state of the two bodies is as before and the table shows the initial data.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "initial/screens/initial_data_screen.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

// Entry of the traced-object options that stands for the Moon as object 10 in Moon mode.
constexpr int kMoonOption = 11;
constexpr std::string_view kMsgEquations = "Ошибка решения уравнений";

// A drift in degrees brought into (-180, 180].
double driftDegrees(double a, double a0) {
  double d = std::fmod(a - a0, 360.0);
  if (d > 180) d -= 360;
  if (d <= -180) d += 360;
  return d;
}

// A whole number >= 1 from a box.
std::optional<long> countOf(const ui::Form& f, std::string_view id) {
  const auto v = f.number(id);
  if (!v || *v != std::trunc(*v) || *v < 1 || *v > 2e9) return std::nullopt;
  return static_cast<long>(*v);
}

}  // namespace

void InitialDataScreen::declareCheck(const std::vector<std::string>& names) {
  group("check", "Проверка орбиты").in("right").at(2, 0).span(1, 2);
  // Two columns: the panel shares the right pane with the picture and must fit beside the table.
  options("traced", "", names, 1).in("check").at(0, 0).span(1, 2).inColumns(4).onChange(
      [this] { tracedChanged(); });
  field("H0", "Шаг решения уравнений, с", "3600").in("check").at(1, 0).chars(6);
  field("NC0", "NC0, шагов", "1000").in("check").at(1, 1).chars(6);
  field("kShag", "kShag", "100").in("check").at(2, 0).chars(6);
  field("dAlfa", "+/-dAlfa, град", "1").in("check").at(2, 1).chars(6);
  check("kSun", "при Vsol=const")
      .in("check")
      .at(3, 0)
      .tip("Центр (Солнце или Земля) не ускоряется: его скорость остается постоянной");
  label("Tref", "(справочно T=  дней)").in("check").at(3, 1);
  button("checkStart", "Проверить параметры орбиты и ошибку их определения программой",
         [this] { checkStart(); })
      .in("check")
      .at(4, 0)
      .span(1, 2)
      .tip("Проинтегрировать задачу двух тел (объект и его центр) и измерять по оборотам период, "
           "эксцентриситет, полуось, перигелий и узел с их ошибкой");
  button("checkStop", "Остановить", [this] { state().kStop = 1; })
      .in("check")
      .at(5, 0)
      .tip("Остановить проверку орбиты на ближайшей точке вывода");
  button("checkGo", "Продолжить ", [this] { checkContinue(); })
      .in("check")
      .at(5, 1)
      .tip("Продолжить остановленную проверку орбиты с сохраненного состояния");
  button("checkSteps", "сделать NC0 шагов", [this] { checkSteps(); })
      .in("check")
      .at(6, 0)
      .tip("Сделать NC0 шагов проверки орбиты, вывести результаты и остановиться");
  const char* results[][2] = {
      {"T2pi", "2*pi*R0sr/V0sr="},      {"chkTper", "Период обращения T"},
      {"chkEks", "Эксцентриситет Eks"}, {"chkRsr", "Rsr=(Lmax+Lmin)/2"},
      {"chkVsr", "Vsr=(Vmax+Vmin)/2"},  {"chkWsr", "Wsr = Vsr / Rsr"},
      {"chkAlfaP", "Перигелий AlfaP"},  {"chkdAlfaP", "dAlfaP, угл.сек"},
      {"chkAlfaU", "Узел AlfaU"},       {"chkdAlfaU", "dAlfaU, угл.сек"},
      {"chkBetta", "Угол наклона Betta"}, {"chkAlfa", "Alfa"},
      {"chkLmax", "Lmax "},             {"chkLmin", "Lmin "},
      {"chkVmax", "Vmax"},              {"chkVmin", "Vmin"},
      {"chkdT", "dT, лет"},             {"chkdEsys", "dEsys, %"},
  };
  int k = 0;
  for (const auto& r : results) {
    field(r[0], r[1], "").in("check").at(7 + k / 2, k % 2).chars(14).locked();
    ++k;
  }
}

// ---- commands ----

void InitialDataScreen::checkStart() {
  if (checkRunning_) return;  // a check is running: "Остановить" first
  State& s = state();
  ui::Form& f = form();
  checkReady_ = false;
  const auto fail = [&f] { f.message(kMsgBadData, kTitle7); };

  // The traced body: a participating object 1..10 (not the Earth in Moon mode).
  const int entry = f.option("traced");
  const bool moon = f.checked("kodMoon");
  const int n = entry == kMoonOption ? 10 : entry;
  if (n < 1 || n > 10 || s.kUch[static_cast<std::size_t>(n)] != 1 || (moon && n == 3)) return fail();
  const int nf = moon && n == 10 ? 11 : n;
  const int c = moon && n == 10 ? 13 : 0;
  f.setText("Tref", "(справочно T= " + screenNumber(s.Tsid[static_cast<std::size_t>(nf)]) + " дней)");

  const auto H0 = f.number("H0");
  const auto NC0 = countOf(f, "NC0");
  const auto kShag = countOf(f, "kShag");
  const auto dAlfa = f.number("dAlfa");
  if (!H0 || !NC0 || !kShag || !dAlfa) return fail();

  keepPair_.emplace(s, n);  // the model's state of the pair comes back when the loop ends
  OrbitCheckSetup u;
  u.n = n;
  u.c = c;
  const double vx = 1000 * s.VXsys, vy = 1000 * s.VYsys, vz = 1000 * s.VZsys;
  u.centre = {s.X0[c], s.Y0[c], s.Z0[c], vx + s.VX0[c], vy + s.VY0[c], vz + s.VZ0[c]};
  u.body = {s.X0[nf], s.Y0[nf], s.Z0[nf], vx + s.VX0[nf], vy + s.VY0[nf], vz + s.VZ0[nf]};
  u.H0 = *H0;
  u.kShag = static_cast<int>(std::min(*kShag, 1000000L));
  u.dAlfa = *dAlfa;
  u.NC0 = *NC0;
  u.kSun = f.checked("kSun") ? 0 : 1;
  if (!beginOrbitCheck(s, check_, u)) {
    keepPair_.reset();
    return fail();
  }
  checkReady_ = true;

  f.setNumber("chkAlfaP", check_.AlfaPt, 6);
  f.setNumber("chkAlfaU", check_.AlfaUt, 6);
  for (const char* id : {"chkTper", "chkEks", "chkRsr", "chkVsr", "chkWsr", "chkdAlfaP", "chkBetta",
                         "chkdAlfaU", "chkAlfa", "chkLmax", "chkLmin", "chkdT", "chkVmax", "chkVmin",
                         "chkdEsys"})
    f.setText(id, "");
  const double V0 = s.V0sr[static_cast<std::size_t>(n)];
  if (V0 > 0) f.setNumber("T2pi", 2 * s.Pi * s.R0sr[n] / V0 / 86400, 6);
  fitCheckScale(std::hypot(u.body[0] - u.centre[0], u.body[1] - u.centre[1]));
  drawPicture();
  drawCheck();
  s.kStop = 0;
  runCheck();
}

void InitialDataScreen::checkContinue() {
  state().kStop = 0;
  if (checkRunning_) return;  // the running check goes on by itself
  if (!checkReady_) return form().message(kMsgBadData, kTitle7);
  keepPair_.emplace(state(), check_.n);
  runCheck();
}

void InitialDataScreen::checkSteps() {
  State& s = state();
  const auto NC0 = countOf(form(), "NC0");
  if (!NC0) return form().message(kMsgBadData, kTitle7);
  s.kStop = 1;
  check_.counter = 0;
  check_.NC0 = *NC0;
  if (checkRunning_) return;  // the running check makes NC0 more steps and stops
  if (!checkReady_) return form().message(kMsgBadData, kTitle7);
  keepPair_.emplace(state(), check_.n);
  runCheck();
}

// The loop: steps until a display point finds kStop set. kStop is looked at only at display
// points, so "сделать NC0 шагов" (kStop = 1, counter 0) makes exactly NC0 steps.
void InitialDataScreen::runCheck() {
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
    if (ev & kChkNode) showCheckNode();
    if (ev & kChkPerihelion) showCheckPerihelion();
    if (ev & kChkDisplay) {
      showCheckDisplay();
      check_.kSun = f.checked("kSun") ? 0 : 1;
      drawCheck();
      if (s.kStop == 1) break;
      f.processEvents();
      if (s.kStop == 1 || workbench().quitting()) break;
    }
  }
  checkRunning_ = false;
  keepPair_.reset();
  switchToInitialView();
}

// ---- what the check shows ----

void InitialDataScreen::showCheckNode() {
  ui::Form& f = form();
  f.setNumber("chkAlfaU", check_.AlfaUt, 4);
  f.setNumber("chkdAlfaU", driftDegrees(check_.AlfaUt, check_.AlfaU0r) * 3600, 4);
}

void InitialDataScreen::showCheckPerihelion() {
  const State& s = state();
  ui::Form& f = form();
  const OrbitCheck& k = check_;
  f.setNumber("chkTper", k.Tper, 6);
  f.setNumber("chkEks", k.Eks, 6);
  f.setNumber("chkVsr", k.Vsr, 2);
  f.setNumber("chkRsr", k.Rpl / s.MK, 2);
  f.setNumber("chkAlfaP", k.AlfaPt, 6);
  f.setNumber("chkWsr", k.Wsr * s.sekG, 6);
  f.setNumber("chkdAlfaP", driftDegrees(k.AlfaPt, k.AlfaP0r) * 3600, 4);
}

void InitialDataScreen::showCheckDisplay() {
  const State& s = state();
  ui::Form& f = form();
  const OrbitCheck& k = check_;
  f.setNumber("chkLmax", k.Lmax / s.MK, 2);
  f.setNumber("chkLmin", k.Lmin / s.MK, 2);
  f.setNumber("chkVmax", k.Vmax, 2);
  f.setNumber("chkVmin", k.Vmin, 2);
  f.setNumber("chkBetta", k.Bmax * s.kUgol, 6);
  f.setNumber("chkAlfa", k.Dolg, 6);
  f.setNumber("chkdT", k.t / s.sekG, 2);
  f.setNumber("chkdEsys", percentChange(k.E, k.E0), 12);
}

// The check's first picture shows the traced orbit: when the body lies within 1 unit of the
// centre or beyond 9 (the picture reaches 10 units on each side) at the bar's scale, the bar takes
// the scale that puts it at 5 units, leaving room for the aphelion of an eccentric orbit.
void InitialDataScreen::fitCheckScale(double distance) {
  const double Mx1 = state().Mx1;
  if (!(distance > 0) || !std::isfinite(distance)) return;
  if (Mx1 > 0 && distance / Mx1 >= 1 && distance / Mx1 <= 9) return;
  form().setPosition("scale", static_cast<int>(std::lround(std::min(distance / 5 / kScaleStep, 1e9))));
  applyScale();
}

// The centre and the body where they are now (units of the drawing scale Mx1), and the centre of
// mass of the pair when "ЦМ" is ticked.
void InitialDataScreen::drawCheck() {
  const State& s = state();
  const OrbitCheck& k = check_;
  ui::Canvas& pic = form().canvas("pic");
  const auto mark = [&](double x, double y, ui::Color colour) {
    if (std::isfinite(x / s.Mx1) && std::isfinite(y / s.Mx1)) pic.point(x / s.Mx1, y / s.Mx1, colour);
  };
  pic.setPen(2);
  mark(k.S[0], k.S[1], ui::kRed);
  mark(k.S[3], k.S[4], ui::kBlue);
  if (form().checked("CM")) {
    const double M = k.mc + k.mn;
    mark((k.mc * k.S[0] + k.mn * k.S[3]) / M, (k.mc * k.S[1] + k.mn * k.S[4]) / M, ui::kGreen);
  }
  pic.setPen(1);
}

}  // namespace orvant
