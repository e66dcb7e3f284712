#include "simulation/screens/ellipse_screen.h"

#include <cmath>

#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant::simulation {

namespace {

constexpr std::string_view kTitle60 = "Orvant6.0";
constexpr std::string_view kMsgBadInput = "Введите правильно данные";
constexpr std::string_view kMsgCompute = "Ошибка при расчете координат";
constexpr std::string_view kMsgDraw = "Ошибка при рисовании";

// The orbit picture: 15 cm square, the observer 6.5 cm from its left edge (the apsis of the greatest
// distance, where the orbits reach farthest, lies to the right). The plot: 12 x 9 cm.
constexpr double kOrbitCm = 15, kOrbitX0 = 6.5, kPlotW = 12, kPlotH = 9;
const ui::Color kEquantGreen{0, 160, 0};

bool finite(std::initializer_list<double> v) {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

}  // namespace

EllipsePoint ellipseAndEccentric(double M, double e1, double e2, double a, bool equant) {
  EllipsePoint p;
  const double s1 = std::sin(M), s2 = std::sin(2 * M), c1 = std::cos(M), c2 = std::cos(2 * M);
  p.L1 = M - (2 * e1 * s1 - 1.25 * e1 * e1 * s2);
  p.R1 = (1 + e1 * e1 / 2 + e1 * c1 - e1 * e1 / 2 * c2) * a;
  if (!equant) {
    p.L2 = M - (e2 * s1 - e2 * e2 / 2 * s2);
    p.R2 = (1 + e2 * e2 / 4 + e2 * c1 - e2 * e2 / 4 * c2) * a;
  } else {
    p.L2 = M - (e2 * s1 - e2 * e2 / 4 * s2);
    p.R2 = (1 + 3 * e2 * e2 / 16 + e2 / 2 * c1 - 3 * e2 * e2 / 16 * c2) * a;
  }
  return p;
}

EllipseScreen::EllipseScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Эллипс и эксцентр (сравнение)") {
  group("gIn", "Исходные данные").at(0, 0);
  field("Rsr", "Rsr, тыс.км.", "150000").in("gIn").at(0, 0).chars(10);
  field("Eks1", "Eks1 (эллипс)", "0,2").in("gIn").at(1, 0).chars(10);
  field("Eks2", "Eks2 (эксцентр)", "0,4").in("gIn").at(2, 0).chars(10);
  field("W", "W, рад/год", "6,28").in("gIn").at(3, 0).chars(10);
  field("Wday", "W, рад/день", "").in("gIn").at(4, 0).chars(10).locked();
  field("step", "шаг, дни", "0,1").in("gIn").at(5, 0).chars(10);
  options("kind", "", {"простой эксцентр", "эксцентр с эквантом"}, 0).in("gIn").at(6, 0);

  group("gScale", "Масштабы").at(1, 0);
  field("Mx", "Mx, тыс.км./см", "20000").in("gScale").at(0, 0).chars(10);
  field("MT", "МТ, дней/см", "36,525").in("gScale").at(1, 0).chars(10);
  field("MdAlfa", "MdAlfa, град/см", "1").in("gScale").at(2, 0).chars(10);
  field("MdR", "MdR, тыс.км./см", "10000").in("gScale").at(3, 0).chars(10);
  check("plotdAlfa", "dAlfa, град", true).in("gScale").at(4, 0);
  check("plotdR", "dR, тыс.км.", true).in("gScale").at(5, 0);

  group("gOut", "Результаты").at(1, 2);
  field("T", "T, дни", "").in("gOut").at(0, 0).chars(13).locked();
  field("AlfaL1", "AlfaL1, град", "").in("gOut").at(1, 0).chars(13).locked();
  field("AlfaL2", "AlfaL2, град", "").in("gOut").at(1, 1).chars(13).locked();
  field("dAlfa", "dAlfa, град", "").in("gOut").at(2, 0).chars(13).locked();
  field("R1", "R1, тыс.км.", "").in("gOut").at(3, 0).chars(13).locked();
  field("R2", "R2, тыс.км.", "").in("gOut").at(3, 1).chars(13).locked();
  field("dR", "dR, тыс.км.", "").in("gOut").at(4, 0).chars(13).locked();

  group("gCmd", "").at(2, 0);
  button("start", "Начать расчет", [this] { start(); })
      .in("gCmd").at(0, 0)
      .tip("Прочитать данные и начать движение с T = 0");
  button("stop", "Остановить", [this] { stop(); })
      .in("gCmd").at(0, 1)
      .tip("Остановить расчет после текущего шага");
  button("continue", "Продолжить", [this] { resume(); })
      .in("gCmd").at(1, 0)
      .tip("Продолжить расчет с достигнутого момента");
  button("oneStep", "Сделать 1 шаг", [this] { oneStep(); })
      .in("gCmd").at(1, 1)
      .tip("Сделать ровно один шаг по времени");
  button("clear", "Очистить рисунки", [this] { clearPictures(); })
      .in("gCmd").at(2, 0)
      .tip("Стереть оба рисунка и нарисовать их оси заново");
  button("close", "Закрыть форму", [this] {
    state().kStop = 1;  // a running loop ends with the window
    close();
  })
      .in("gCmd").at(2, 1)
      .tip("Закрыть окно сравнения эллипса и эксцентра");

  picture("orbit", "", kOrbitCm, kOrbitCm).at(0, 1).span(3, 1);
  picture("plot", "", kPlotW, kPlotH).at(0, 2);
}

void EllipseScreen::activated() {
  if (!started_) clearPictures();
}

bool EllipseScreen::readInputs(Inputs& in) {
  ui::Form& f = form();
  const char* ids[] = {"Rsr", "Eks1", "Eks2", "W", "Mx", "MT", "MdAlfa", "MdR", "step"};
  double* dst[] = {&in.a, &in.e1, &in.e2, &in.W, &in.Mx, &in.MT, &in.MdAlfa, &in.MdR, &in.step};
  // Eccentricities 0 up to 1; the mean distance, W and the step above 0, within 10^12 (the step
  // within 10^6 days): the loop then advances and its figures stay finite. The scales within
  // ±10^12 (a scale of 0 is the drawing's own error).
  const double lo[] = {0, 0, 0, 0, -1e12, -1e12, -1e12, -1e12, 0};
  const double hi[] = {1e12, 1, 1, 1e12, 1e12, 1e12, 1e12, 1e12, 1e6};
  for (int k = 0; k < 9; ++k) {
    const auto v = f.numberIn(ids[k], lo[k], hi[k]);
    if (!v) {
      f.message(kMsgBadInput, kTitle60);
      return false;
    }
    *dst[k] = *v;
  }
  if (in.e1 >= 1 || in.e2 >= 1 || !(in.a > 0) || !(in.W > 0) || !(in.step > 0)) {
    f.message(kMsgBadInput, kTitle60);
    return false;
  }
  return true;
}

// The scales and the step may change while the loop runs; a box that fails its check keeps the
// value it had.
void EllipseScreen::rereadScales() {
  ui::Form& f = form();
  const auto take = [&f](const char* id, double lo, double hi, double& used) {
    if (auto v = f.numberIn(id, lo, hi); v && (lo < 0 || *v > 0)) used = *v;
  };
  take("MT", -1e12, 1e12, in_.MT);
  take("MdAlfa", -1e12, 1e12, in_.MdAlfa);
  take("MdR", -1e12, 1e12, in_.MdR);
  take("step", 0, 1e6, in_.step);
}

void EllipseScreen::clearPictures() {
  ui::Form& f = form();
  ui::Canvas& orbit = f.canvas("orbit");
  orbit.clear();
  orbit.setOrigin(kOrbitX0, kOrbitCm / 2);
  orbit.line(-kOrbitX0, 0, kOrbitCm - kOrbitX0, 0, ui::kLightGray);
  orbit.line(0, -kOrbitCm / 2, 0, kOrbitCm / 2, ui::kLightGray);
  ui::Canvas& plot = f.canvas("plot");
  plot.clear();
  plot.setOrigin(0.5, kPlotH / 2);
  plot.line(0, 0, kPlotW, 0, ui::kBlack);
  plot.line(0, -kPlotH / 2, 0, kPlotH / 2, ui::kBlack);
  for (int k = 1; k < kPlotW; ++k) plot.line(k, -0.1, k, 0.1, ui::kBlack);
  plot.text(0.2, kPlotH / 2 - 0.1, "dAlfa (красные), dR (синие)");
  plot.text(kPlotW - 2.5, -0.2, "T, дни");
}

void EllipseScreen::start() {
  Inputs in;
  if (!readInputs(in)) return;
  in.W /= 365.25;  // rad/day
  in_ = in;
  form().setNumber("Wday", in_.W);
  equant_ = form().option("kind") == 1;
  t_ = 0;
  started_ = true;
  state().kStop = 0;
  clearPictures();
  if (!running_) loop();  // pressed while running: the running loop goes on from t = 0
}

void EllipseScreen::stop() { state().kStop = 1; }

void EllipseScreen::resume() {
  if (!started_) return start();
  state().kStop = 0;
  if (!running_) loop();
}

void EllipseScreen::oneStep() {
  if (!started_) {
    Inputs in;
    if (!readInputs(in)) return;
    in.W /= 365.25;
    in_ = in;
    form().setNumber("Wday", in_.W);
    equant_ = form().option("kind") == 1;
    t_ = 0;
    started_ = true;
    clearPictures();
  }
  state().kStop = 1;
  if (!running_) loop();  // pressed while running: the running loop stops after its step
}

void EllipseScreen::loop() {
  running_ = true;
  for (;;) {
    if (!step()) {
      state().kStop = 1;
      break;
    }
    if (state().kStop == 1) break;
    form().processEvents();
    if (state().kStop == 1) break;
  }
  running_ = false;
}

bool EllipseScreen::step() {
  ui::Form& f = form();
  const double kUgol = state().kUgol, MK = state().MK;
  const double M = t_ * in_.W;
  const EllipsePoint p = ellipseAndEccentric(M, in_.e1, in_.e2, in_.a, equant_);
  const double dL = p.L1 - p.L2, dR = p.R1 - p.R2;
  if (!finite({p.L1, p.L2, p.R1, p.R2, dL, dR})) {
    f.message(kMsgCompute, kTitle60);
    return false;
  }
  last_ = p;
  f.setNumber("AlfaL1", kUgol * p.L1);
  f.setNumber("AlfaL2", kUgol * p.L2);
  f.setNumber("dAlfa", fix(MK * kUgol * dL) / MK);
  f.setNumber("R1", p.R1);
  f.setNumber("R2", p.R2);
  f.setNumber("dR", fix(MK * dR) / MK);

  if (!drawOrbits(p, M)) {
    f.message(kMsgDraw, kTitle60);
    return false;
  }
  ui::Canvas& plot = f.canvas("plot");
  const double x = t_ / in_.MT;
  if (f.checked("plotdAlfa")) {
    const double y = kUgol * dL / in_.MdAlfa;
    if (std::isfinite(x) && std::isfinite(y)) plot.point(x, y, ui::kRed);
  }
  if (f.checked("plotdR")) {
    const double y = dR / in_.MdR;
    if (std::isfinite(x) && std::isfinite(y)) plot.point(x, y, ui::kBlue);
  }
  t_ += in_.step;
  f.setNumber("T", t_);
  rereadScales();
  return true;
}

// The orbit picture of the moment: the deferent, the ellipse about its focus, the eccentric (and
// the equant) with the planets on them and their radius lines. False when a scale makes the
// coordinates unusable.
bool EllipseScreen::drawOrbits(const EllipsePoint& p, double M) {
  const double a = in_.a, e1 = in_.e1, e2 = in_.e2, mx = in_.Mx;
  const double b = std::sqrt((1 - e1 * e1) * a * a);
  const double centre2 = equant_ ? e2 * a / 2 : e2 * a;
  const double x1 = p.R1 * std::cos(p.L1) / mx, y1 = p.R1 * std::sin(p.L1) / mx;
  const double x2 = p.R2 * std::cos(p.L2) / mx, y2 = p.R2 * std::sin(p.L2) / mx;
  if (!finite({a / mx, b / mx, centre2 / mx, x1, y1, x2, y2}) || mx <= 0) return false;

  ui::Canvas& c = form().canvas("orbit");
  c.clear();
  c.setOrigin(kOrbitX0, kOrbitCm / 2);
  c.line(-kOrbitX0, 0, kOrbitCm - kOrbitX0, 0, ui::kLightGray);
  c.line(0, -kOrbitCm / 2, 0, kOrbitCm / 2, ui::kLightGray);
  // the deferent (the ecliptic circle about the observer)
  c.circle(0, 0, a / mx, ui::kBlack);
  c.text(-kOrbitX0 + 0.2, kOrbitCm / 2 - 0.2, "деферент (эклиптика)");
  // the ellipse: centre e1 a toward the apsis of the greatest distance, the observer in a focus
  constexpr int kSegments = 120;
  for (int k = 0; k < kSegments; ++k) {
    const double u0 = 2 * M_PI * k / kSegments, u1 = 2 * M_PI * (k + 1) / kSegments;
    c.line((e1 * a + a * std::cos(u0)) / mx, b * std::sin(u0) / mx, (e1 * a + a * std::cos(u1)) / mx,
           b * std::sin(u1) / mx, ui::kRed);
  }
  c.text(-kOrbitX0 + 0.2, kOrbitCm / 2 - 0.65, "эллипс ", ui::kRed);
  // the eccentric
  c.circle(centre2 / mx, 0, a / mx, ui::kBlue);
  c.circle(centre2 / mx, 0, 0.05, ui::kBlue, true);
  c.text(-kOrbitX0 + 0.2, kOrbitCm / 2 - 1.1, "эксцентр", ui::kBlue);
  // the planets and their radius lines from the observer
  c.line(0, 0, x1, y1, ui::kRed);
  c.circle(x1, y1, 0.12, ui::kRed, true);
  c.line(0, 0, x2, y2, ui::kBlue);
  c.circle(x2, y2, 0.12, ui::kBlue, true);
  if (equant_) {
    const double qx = e2 * a / mx;
    c.circle(qx, 0, 0.08, kEquantGreen, true);
    c.text(-kOrbitX0 + 0.2, kOrbitCm / 2 - 1.55, "эквант", kEquantGreen);
    // the point seen uniformly from the equant
    const double ux = (e2 + std::cos(M)) * a / mx, uy = a * std::sin(M) / mx;
    c.line(qx, 0, ux, uy, kEquantGreen);
  } else {
    // the uniform point on the deferent
    const double ux = a * std::cos(M) / mx, uy = a * std::sin(M) / mx;
    c.circle(ux, uy, 0.06, ui::kBlack, true);
  }
  c.circle(0, 0, 0.1, ui::Color{230, 160, 0}, true);
  return true;
}

}  // namespace orvant::simulation
