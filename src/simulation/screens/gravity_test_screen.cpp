#include "simulation/screens/gravity_test_screen.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "astro/twobody.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/scale_bar.h"
#include "ui/workbench.h"

namespace orvant::simulation {

namespace {

constexpr std::string_view kTitle5 = "Orvant5";
constexpr std::string_view kMsgTwo = "Должно быть отмечено только 2 объекта";
constexpr std::string_view kMsgBadInput = "Введите правильно данные";
constexpr std::string_view kMsgBadForce = "Введите правильно данные или увеличьте MF";

constexpr double kPicCm = 11;  // the picture shows the -10..10 cm of the drawing
constexpr double kFloor = 1000;  // m: the least |dX| of the direction angle

const ui::Color kColors[11] = {{230, 160, 0}, ui::qbColor(8), ui::qbColor(6), ui::qbColor(1),
                               ui::qbColor(4), ui::qbColor(12), ui::qbColor(14), ui::qbColor(3),
                               ui::qbColor(9), ui::qbColor(5), ui::qbColor(2)};

std::string objId(int i) { return "obj" + std::to_string(i); }

double sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

bool finite(std::initializer_list<double> v) {
  for (double x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

}  // namespace

GravityTestScreen::GravityTestScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Тестирование алгоритма учета скорости гравитации") {
  group("gObj", "Отметьте 2 объекта").at(0, 0);
  for (int i = 0; i <= 10; ++i)
    check(objId(i), std::string(objectName(s, i)), i == 3 || i == 5).in("gObj").at(i / 3, i % 3);
  // (the Earth and Jupiter are marked when the screen opens)

  group("gIn", "Исходные данные").at(1, 0);
  field("AlfaL1", "AlfaL1", "0").in("gIn").at(0, 0).chars(8);
  field("AlfaL2", "AlfaL2", "90").in("gIn").at(0, 1).chars(8);
  field("VXsys", "VXsys", "0").in("gIn").at(1, 0).chars(8);
  field("VYsys", "VYsys", "0").in("gIn").at(1, 1).chars(8);
  field("VZsys", "VZsys", "0").in("gIn").at(2, 0).chars(8);
  field("VgrFactor", "Vgr=Vsv*", "1").in("gIn").at(2, 1).chars(8);
  field("MF", "MF, 10^12 Н/см", "20000").in("gIn").at(3, 0).chars(8);
  group("gIt", "").at(2, 0);
  field("NItGr", "К-во итераций для формы эксперимента", "2").in("gIt").at(0, 0).chars(4);

  group("gBody", "Положение (тыс.км) и скорость (км/с) планет").at(3, 0);
  const char* rows[] = {"X", "Y", "Z", "VX", "VY", "VZ"};
  for (int r = 0; r < 6; ++r) {
    field(std::string(rows[r]) + "1", std::string(rows[r]) + "1", "").in("gBody").at(r, 0).chars(14);
    field(std::string(rows[r]) + "2", std::string(rows[r]) + "2", "").in("gBody").at(r, 1).chars(14);
  }

  group("gCmd", "").at(4, 0);
  button("place", "Задать положение 2-х планет", [this] { placeBodies(); })
      .in("gCmd").at(0, 0)
      .tip("Поставить две отмеченные планеты на орбиты при заданных AlfaL1, AlfaL2");
  button("first", "Первое приближение для покоящейся системы", [this] { firstApproximation(); })
      .in("gCmd").at(1, 0)
      .tip("Расстояние, время распространения и сила для покоящихся тел");
  button("iterate", "Сделать 1 итерацию для движущейся системы", [this] { iterate(); })
      .in("gCmd").at(2, 0)
      .tip("Одно приближение к следу другого тела при движении системы; задает NItGr модели");
  button("close", "Закрыть форму", [this] { close(); })
      .in("gCmd").at(0, 1)
      .tip("Закрыть экран тестирования скорости гравитации");

  group("gPic", "").at(0, 1).span(5, 1);
  picture("pic", "", kPicCm, kPicCm).in("gPic").at(0, 0).span(1, 2);
  options("plane", "", {"XY", "XZ"}, 0).in("gPic").at(1, 0).inColumns(2).onChange([this] {
    drawGrid();
    drawBodies(Nit_ > 0);
  });
  label("scaleText", "Масштаб = 2 млн.км/см").in("gPic").at(1, 1);
  // The bar moves the scale in proportion: each of its 1000 steps multiplies it by the same
  // factor, from 0.1 to 10 000 million km per cm (scaleValue).
  scroll("scale", "", 0, kScaleSteps, scalePosition(20)).in("gPic").at(2, 0).span(1, 2)
      .onChange([this] { scaleChanged(); });

  group("gRes", "Результаты").at(0, 2).span(5, 1);
  field("L0", "L12=L21=", "").in("gRes").at(0, 0).span(1, 2).chars(19).locked();
  field("T0", "T12=T21=", "").in("gRes").at(1, 0).span(1, 2).chars(19).locked();
  field("F0", "F12=F21", "").in("gRes").at(2, 0).span(1, 2).chars(19).locked();
  const char* tr[] = {"Xsl", "Ysl", "Zsl"};
  for (int r = 0; r < 3; ++r) {
    field(std::string(tr[r]) + "1", std::string(1, tr[r][0]) + "1", "").in("gRes").at(3 + r, 0).chars(12).locked();
    field(std::string(tr[r]) + "2", std::string(1, tr[r][0]) + "2", "").in("gRes").at(3 + r, 1).chars(12).locked();
  }
  field("L12", "L12", "").in("gRes").at(6, 0).chars(12).locked();
  field("L21", "L21", "").in("gRes").at(6, 1).chars(12).locked();
  field("T12", "T12", "").in("gRes").at(7, 0).chars(12).locked();
  field("T21", "T21", "").in("gRes").at(7, 1).chars(12).locked();
  field("F12", "F12, Н", "").in("gRes").at(8, 0).span(1, 2).chars(19).locked();
  field("F21", "F21, Н", "").in("gRes").at(9, 0).span(1, 2).chars(19).locked();
  options("which", "", {"F12", "F21"}, 0).in("gRes").at(10, 0).span(1, 2).inColumns(2).onChange([this] {
    showComponents();
  });
  label("whichNote", "F12 - сила притяжения 2-ой планеты следом 1-ой").in("gRes").at(11, 0).span(1, 2);
  field("FX", "FX", "").in("gRes").at(12, 0).span(1, 2).chars(19).locked();
  field("FY", "FY", "").in("gRes").at(13, 0).span(1, 2).chars(19).locked();
  field("FZ", "FZ", "").in("gRes").at(14, 0).span(1, 2).chars(19).locked();
  field("Nit", "сделано итераций", "").in("gRes").at(15, 0).span(1, 2).chars(6).locked();
}

void GravityTestScreen::opened() {
  ui::Form& f = form();
  f.setNumber("VXsys", state().VXsys);
  f.setNumber("VYsys", state().VYsys);
  f.setNumber("VZsys", state().VZsys);
}

void GravityTestScreen::activated() { scaleChanged(); }

double GravityTestScreen::scaleValue(int position) {
  return ui::ProportionalScale{kScaleSteps, 100000}.value(position);
}

int GravityTestScreen::scalePosition(double value) {
  return ui::ProportionalScale{kScaleSteps, 100000}.position(value);
}

void GravityTestScreen::scaleChanged() {
  const double v = scaleValue(form().position("scale"));
  state().Mx1 = v * 1e8;
  form().setText("scaleText", "Масштаб = " + screenNumber(v / 10.0) + " млн.км/см");
  drawGrid();
  drawBodies(Nit_ > 0);
}

void GravityTestScreen::drawGrid() {
  ui::Canvas& c = form().canvas("pic");
  c.clear();
  c.setView(-10, 10, 10, -10);
  for (int k = -10; k <= 10; ++k) {
    c.line(k, -10, k, 10, ui::kLightGray);
    c.line(-10, k, 10, k, ui::kLightGray);
  }
  c.line(-10, 0, 10, 0, ui::kGray);
  c.line(0, -10, 0, 10, ui::kGray);
  c.text(8.6, -0.2, "X");
  c.text(0.2, 9.8, form().option("plane") == 0 ? "Y" : "Z");
}

// The two bodies, their force lines (component/MF cm) and, after an iteration, their traces.
void GravityTestScreen::drawBodies(bool traces) {
  if (Np1_ < 0 || Np2_ < 0) return;
  const State& s = state();
  const double mx = s.Mx1;
  if (!(mx > 0)) return;
  const bool xy = form().option("plane") == 0;
  ui::Canvas& c = form().canvas("pic");
  const auto second = [&](double y, double z) { return xy ? y : z; };
  const int bodies[2] = {Np1_, Np2_};
  for (int k = 0; k < 2; ++k) {
    const int J = bodies[k], I = bodies[1 - k];
    const double x = s.X[J] / mx, y = second(s.Y[J], s.Z[J]) / mx;
    if (!finite({x, y})) continue;
    c.circle(x, y, 0.2, kColors[J], true);
    if (haveFirst_ && MF_ > 0) {
      const double fx = FX_[I][J] / MF_, fy = second(FY_[I][J], FZ_[I][J]) / MF_;
      if (finite({fx, fy})) c.line(x, y, x + fx, y + fy, kColors[J]);
    }
    if (traces) {
      const double tx = Xsl_[J] / mx, ty = second(Ysl_[J], Zsl_[J]) / mx;
      if (finite({tx, ty})) c.circle(tx, ty, 0.15, kColors[J]);
    }
  }
}

void GravityTestScreen::placeBodies() {
  State& s = state();
  ui::Form& f = form();
  int marked[2] = {-1, -1}, n = 0;
  for (int i = 0; i <= 10; ++i) {
    if (!f.checked(objId(i))) continue;
    if (n == 2) return f.message(kMsgTwo, kTitle7);
    marked[n++] = i;
  }
  if (n < 2) return f.message(kMsgTwo, kTitle7);
  const auto a1 = f.number("AlfaL1"), a2 = f.number("AlfaL2");
  if (!a1 || !a2 || !finite({*a1, *a2})) return f.message(kMsgBadInput, kTitle7);
  for (int k = 0; k < 2; ++k) {
    const int d = marked[k];
    if (d == 0) continue;
    const double e = s.Eks0[d];
    if (!(e >= 0 && e < 1)) return f.message(kMsgBadInput, kTitle7);
  }

  Np1_ = marked[0];
  Np2_ = marked[1];
  s.X[0] = s.Y[0] = s.Z[0] = 0;
  s.VX[0] = s.VY[0] = s.VZ[0] = 0;
  const double alfa[2] = {*a1, *a2};
  for (int k = 0; k < 2; ++k) {
    const int d = marked[k];
    if (d == 0) continue;  // the Sun stays at the origin, at rest
    double M = alfa[k] / s.kUgol - s.AlfaP0[d];
    if (M < 0) M += 2 * s.Pi;
    s.Manom[d] = M;
    if (!positionFromMeanAnomaly(s, d) || !velocityAroundMass(s, d, s.m[d] + s.m[0]) ||
        !finite({s.X[d], s.Y[d], s.Z[d], s.VX[d], s.VY[d], s.VZ[d]}))
      return f.message(kMsgBadInput, kTitle7);
  }
  const double MK = s.MK;
  for (int k = 0; k < 2; ++k) {
    const int d = marked[k];
    const std::string n1 = std::to_string(k + 1);
    f.setNumber("X" + n1, s.X[d] / MK);
    f.setNumber("Y" + n1, s.Y[d] / MK);
    f.setNumber("Z" + n1, s.Z[d] / MK);
    f.setNumber("VX" + n1, fix(s.VX[d] * 1000) / MK);
    f.setNumber("VY" + n1, fix(s.VY[d] * 1000) / MK);
    f.setNumber("VZ" + n1, fix(s.VZ[d] * 1000) / MK);
  }
  haveFirst_ = false;
  Nit_ = 0;
  // The first picture shows both bodies: when the farther lies beyond the picture's 10 cm (or
  // within 1 cm of the centre) at the scale of the bar, the bar takes the scale that puts it at
  // 8 cm.
  const bool xy = f.option("plane") == 0;
  double far = 0;
  for (const int d : marked) far = std::max({far, std::fabs(s.X[d]), std::fabs(xy ? s.Y[d] : s.Z[d])});
  if (far > 0 && (far / s.Mx1 > 10 || far / s.Mx1 < 1)) {
    f.setPosition("scale", scalePosition(far / 8 / 1e8));
    scaleChanged();  // redraws the grid and the bodies
    return;
  }
  drawGrid();
  drawBodies(false);
}

bool GravityTestScreen::pair(int I, int J, double Vgr, PairResult& r) const {
  const State& s = state();
  r.dX = s.X[J] - Xsl_[I];
  if (r.dX == 0) return false;
  r.dY = s.Y[J] - Ysl_[I];
  r.dZ = s.Z[J] - Zsl_[I];
  r.RHO = std::sqrt(r.dY * r.dY + r.dX * r.dX);
  r.L = std::sqrt(r.dZ * r.dZ + r.RHO * r.RHO);
  r.T = r.L / Vgr;
  r.F = s.m[J] * s.m[I] * s.gamma / r.L / r.L;
  const double B = std::atan(std::fabs(r.dZ) / r.RHO);
  const double dXf = std::fabs(r.dX) < kFloor ? sign(r.dX) * kFloor : r.dX;
  const double A = std::fabs(std::atan(r.dY / dXf));
  r.FX = std::cos(A) * r.F * std::cos(B);
  r.FY = std::sin(A) * r.F * std::cos(B);
  r.FZ = std::sin(B) * r.F;
  if (r.dX > 0) r.FX = -r.FX;
  if (r.dY > 0) r.FY = -r.FY;
  if (r.dZ > 0) r.FZ = -r.FZ;
  return finite({r.L, r.T, r.F, r.FX, r.FY, r.FZ}) && r.L > 0;
}

void GravityTestScreen::store(int I, int J, const PairResult& r) {
  dXij_[I][J] = r.dX;
  dYij_[I][J] = r.dY;
  dZij_[I][J] = r.dZ;
  Lgr_[I][J] = r.L;
  Tgr_[I][J] = r.T;
  Fgr_[I][J] = r.F;
  FX_[I][J] = r.FX;
  FY_[I][J] = r.FY;
  FZ_[I][J] = r.FZ;
}

void GravityTestScreen::firstApproximation() {
  State& s = state();
  ui::Form& f = form();
  if (Np1_ < 0 || Np2_ < 0) return f.message(kMsgBadForce, kTitle7);
  double v[6];
  const char* ids[6] = {"X1", "X2", "Y1", "Y2", "Z1", "Z2"};
  for (int k = 0; k < 6; ++k) {
    const auto x = f.number(ids[k]);
    if (!x || !std::isfinite(*x)) return f.message(kMsgBadForce, kTitle7);
    v[k] = *x * s.MK;
  }
  // The speed of gravity is a positive multiple of that of light (up to 1e300: "infinite"); the
  // force scale is positive.
  const auto factor = f.numberIn("VgrFactor", 0, 1e300), mf = f.numberIn("MF", 0, 1e15);
  if (!factor || !mf || !(*factor > 0) || !(*mf > 0)) return f.message(kMsgBadForce, kTitle7);
  const double Vgr = *factor * s.Vsv;
  const int I = Np1_, J = Np2_;
  // the pair of the bodies at rest, computed before anything is kept
  const double dX = v[1] - v[0], dY = v[3] - v[2], dZ = v[5] - v[4];
  const double RHO = std::sqrt(dX * dX + dY * dY);
  const double L = std::sqrt(RHO * RHO + dZ * dZ);
  const double T = L / Vgr;
  const double F = s.m[I] * s.m[J] * s.gamma / L / L;
  const double dXf = std::fabs(dX) < kFloor ? sign(dX) * kFloor : dX;
  const double A = std::fabs(std::atan(dY / dXf)), B = std::atan(std::fabs(dZ) / RHO);
  const double fx = std::cos(A) * F * std::cos(B), fy = std::sin(A) * std::cos(B) * F,
               fz = std::sin(B) * F;
  if (!(L > 0) || dXf == 0 || !finite({L, T, F, fx, fy, fz}))
    return f.message(kMsgBadForce, kTitle7);

  s.X[I] = v[0];
  s.X[J] = v[1];
  s.Y[I] = v[2];
  s.Y[J] = v[3];
  s.Z[I] = v[4];
  s.Z[J] = v[5];
  for (int b : {I, J}) {
    Xsl_[b] = s.X[b];
    Ysl_[b] = s.Y[b];
    Zsl_[b] = s.Z[b];
  }
  s.Vgr = Vgr;
  Vgr_ = Vgr;
  // the force on J toward I and on I toward J: the magnitudes with the signs of the differences
  const PairResult ij{dX, dY, dZ, RHO, L, T, F, -sign(dX) * fx, -sign(dY) * fy, -sign(dZ) * fz};
  const PairResult ji{-dX, -dY, -dZ, RHO, L, T, F, sign(dX) * fx, sign(dY) * fy, sign(dZ) * fz};
  store(I, J, ij);
  store(J, I, ji);
  f.setNumber("L0", L / s.MK);
  f.setNumber("T0", T);
  f.setNumber("F0", F);
  MF_ = *mf * 1e12;
  Nit_ = 0;
  haveFirst_ = true;
  f.setNumber("Nit", 0);
  showComponents();
  drawGrid();
  drawBodies(false);
}

void GravityTestScreen::iterate() {
  State& s = state();
  ui::Form& f = form();
  const auto bad = [&] { f.message(kMsgBadForce, kTitle5); };
  if (!haveFirst_ || Np1_ < 0 || Np2_ < 0) return bad();
  // every box first: nothing changes when one of them is not a number
  const char* ids[] = {"VXsys", "VYsys", "VZsys", "VX1", "VX2", "VY1", "VY2", "VZ1", "VZ2", "MF", "NItGr"};
  double v[11];
  for (int k = 0; k < 11; ++k) {
    const auto x = f.number(ids[k]);
    if (!x || !std::isfinite(*x)) return bad();
    v[k] = *x;
  }
  if (v[10] != std::trunc(v[10]) || v[10] < 0 || v[10] > 32767 || !(v[9] > 0)) return bad();

  const int I = Np1_, J = Np2_;
  ++Nit_;
  s.VXsys = v[0];
  s.VYsys = v[1];
  s.VZsys = v[2];
  s.VX[I] = (v[3] + s.VXsys) * 1000;
  s.VX[J] = (v[4] + s.VXsys) * 1000;
  s.VY[I] = (v[5] + s.VYsys) * 1000;
  s.VY[J] = (v[6] + s.VYsys) * 1000;
  s.VZ[I] = (v[7] + s.VZsys) * 1000;
  s.VZ[J] = (v[8] + s.VZsys) * 1000;
  MF_ = v[9] * 1e12;
  // the traces: where each body was one propagation time ago
  for (const auto& [b, other] : {std::pair{I, J}, std::pair{J, I}}) {
    Xsl_[b] = s.X[b] - Tgr_[b][other] * s.VX[b];
    Ysl_[b] = s.Y[b] - Tgr_[b][other] * s.VY[b];
    Zsl_[b] = s.Z[b] - Tgr_[b][other] * s.VZ[b];
  }
  PairResult ij{}, ji{};
  const bool okIJ = pair(I, J, Vgr_, ij), okJI = pair(J, I, Vgr_, ji);
  const bool failed = (!okIJ && ij.dX != 0) || (!okJI && ji.dX != 0);
  if (okIJ) store(I, J, ij);  // a pair with dX exactly 0 is skipped and keeps its values
  if (okJI) store(J, I, ji);

  const double MK = s.MK;
  for (int k = 0; k < 2; ++k) {
    const int b = k == 0 ? I : J;
    const std::string n1 = std::to_string(k + 1);
    f.setNumber("Xsl" + n1, Xsl_[b] / MK);
    f.setNumber("Ysl" + n1, Ysl_[b] / MK);
    f.setNumber("Zsl" + n1, Zsl_[b] / MK);
  }
  f.setNumber("L12", Lgr_[I][J] / MK);
  f.setNumber("L21", Lgr_[J][I] / MK);
  f.setNumber("T12", Tgr_[I][J]);
  f.setNumber("T21", Tgr_[J][I]);
  f.setNumber("F12", Fgr_[I][J]);
  f.setNumber("F21", Fgr_[J][I]);
  showComponents();
  f.setNumber("Nit", Nit_);
  drawGrid();
  drawBodies(true);
  if (failed) return bad();
  s.NItGr = static_cast<int16>(v[10]);
}

void GravityTestScreen::showComponents() {
  if (Np1_ < 0 || Np2_ < 0 || !haveFirst_) return;
  ui::Form& f = form();
  const bool f12 = f.option("which") == 0;
  const int I = f12 ? Np1_ : Np2_, J = f12 ? Np2_ : Np1_;
  f.setNumber("FX", FX_[I][J]);
  f.setNumber("FY", FY_[I][J]);
  f.setNumber("FZ", FZ_[I][J]);
}

}  // namespace orvant::simulation
