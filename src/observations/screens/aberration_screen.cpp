#include "observations/screens/aberration_screen.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/canvas.h"
#include "ui/form.h"
#include "ui/scale_bar.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

const char* const kObjectCaptions[] = {"Солнце", "Меркурий", "Венера", "Земля", "Марс", "Юпитер",
                                       "Сатурн", "Уран", "Нептун", "Плутон", "Звезда"};
const char* const kGroupIds[] = {"X", "Y", "Z", "VX", "VY", "VZ"};
constexpr double kBig = 1e15, kFast = 1e9;  // the bounds of coordinates and of velocities
constexpr ui::ProportionalScale kScaleBar{1000, 100000};  // 0.1 million km per cm units

std::string objId(int k) { return "obj" + std::to_string(k); }

}  // namespace

AberrationScreen::AberrationScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Компоненты аберрации (обратный отсчет в эклиптических координатах)") {
  group("c0", "").at(0, 0);
  group("gDate", "").in("c0").at(0, 0);
  check("theory", "по теории New0 для", true).in("gDate").at(0, 0).span(1, 3);
  field("Day", "", "1,5").in("gDate").at(1, 0).chars(6);
  field("Month", "", "1").in("gDate").at(1, 1).chars(3);
  field("Year", "", "2000").in("gDate").at(1, 2).chars(5);
  field("GelioL3", "GelioL3", "270").in("gDate").at(2, 0).chars(6);
  field("GelioLpl", "GelioLpl", "90").in("gDate").at(2, 2).chars(6);

  group("gObj", "Объект").in("c0").at(1, 0);
  for (int k = 0; k <= kStarObject; ++k)
    check(objId(k), kObjectCaptions[k], k == 4).in("gObj").at(k / 3, k % 3);

  group("gEarth", "Земля в покое").in("c0").at(2, 0);
  for (int j = 0; j < 6; ++j)
    field(std::string(kGroupIds[j]) + "3", std::string(kGroupIds[j]) + "3", "").in("gEarth")
        .at(j % 3, j / 3).chars(10).locked();
  group("gPl", "Объект в покое").in("c0").at(3, 0);
  const char* const defaults[] = {"0", "0", "999888777", "0", "0", "0"};
  for (int j = 0; j < 6; ++j)
    field(std::string(kGroupIds[j]) + "pl", std::string(kGroupIds[j]) + "pl", defaults[j])
        .in("gPl").at(j % 3, j / 3).chars(10);
  field("S", "S", "").in("gPl").at(3, 0).chars(10).locked();
  field("T", "T=S/Vsv, с", "").in("gPl").at(3, 1).chars(10).locked();

  group("c1", "").at(0, 1);
  group("gMove", "Движущаяся Солнечная система").in("c1").at(0, 0);
  field("N", "скорость света уменьшить в … раз", "1000").in("gMove").at(0, 0).span(1, 2).chars(6);
  check("cosB", "* cos(B)").in("gMove").at(0, 2);
  field("VXsys", "VXsys", "0").in("gMove").at(1, 0).chars(7);
  field("VYsys", "VYsys", "0").in("gMove").at(1, 1).chars(7);
  field("VZsys", "VZsys", "0").in("gMove").at(1, 2).chars(7);
  for (int j = 0; j < 6; ++j)
    field(std::string(kGroupIds[j]) + "pl2", std::string(kGroupIds[j]) + "pl", "").in("gMove")
        .at(2 + j % 3, j / 3).chars(10).locked();

  group("gRes", "").in("c1").at(1, 0);
  label("hL", "GeoL, град").in("gRes").at(0, 1);
  label("hB", "GeoB, град").in("gRes").at(0, 2);
  const char* const rows[] = {"Реальные  L и  B", "Аберрация источника Ais",
                              "Аберрация приемника Apr", "Суммарная аберрация As",
                              "Наблюдаемые  L и  B"};
  const char* const Lids[] = {"L0", "dLis", "dLpr", "dLs", "L2"};
  const char* const Bids[] = {"B0", "dBis", "dBpr", "dBs", "B2"};
  for (int k = 0; k < 5; ++k) {
    label(std::string("row") + std::to_string(k), rows[k]).in("gRes").at(k + 1, 0);
    field(Lids[k], "", "").in("gRes").at(k + 1, 1).chars(10).locked();
    field(Bids[k], "", "").in("gRes").at(k + 1, 2).chars(10).locked();
  }
  field("iterations", "сделано итераций", "0").in("gRes").at(6, 0).chars(5).locked();

  group("gCmd", "").in("c1").at(2, 0);
  button("place", "Найти параметры Земли и объекта наблюдения ", [this] { place(); }).in("gCmd")
      .at(0, 0).span(1, 4).tip("Поставить Землю и объект в покоящейся системе на дату (New0)");
  button("iterate",
         "Расчет наблюдаемых координат планеты в движущейся Солнечной системе\n(одна итерация) "
         "при заданной скорости Солнечной системы",
         [this] { iterate(); })
      .in("gCmd").at(1, 0).span(1, 4)
      .tip("Одна итерация обратного хода луча: аберрация источника, приемника и суммарная");
  button("stepping", "С шагом", [this] { stepping(); }).in("gCmd").at(2, 0)
      .tip("Повторять расчет, сдвигая дату на шаг, пока не нажата Stop");
  field("step", "", "0,01").in("gCmd").at(2, 1).chars(6);
  label("days", "дня").in("gCmd").at(2, 2);
  button("plus1", "+1шаг", [this] { oneStep(); }).in("gCmd").at(3, 0)
      .tip("Один шаг: расчет и сдвиг даты");
  button("resume", "Продолжить", [this] { resume(); }).in("gCmd").at(3, 1)
      .tip("Продолжить шаги с текущей даты");
  button("stop", "Stop", [this] { stop(); }).in("gCmd").at(3, 2)
      .tip("Остановить шаги после текущего");
  button("jd0", "JD=JD0", [this] { backToJD0(); }).in("gCmd").at(3, 3)
      .tip("Вернуть начальную дату последнего запуска с шагом");
  button("clear", "Очистить", [this] { clearPicture(); }).in("gCmd").at(4, 0)
      .tip("Очистить рисунок");
  button("closeForm", "Закрыть форму", [this] { close(); }).in("gCmd").at(4, 1).span(1, 2)
      .tip("Закрыть экран");

  group("c2", "").at(0, 2);
  picture("pic", "", 7.5, 8).in("c2").at(0, 0).span(1, 3);
  // In proportion (ui/scale_bar.h): 0.1 to 10 000 million km per cm, 2 at the start.
  scroll("scale", "", 0, kScaleBar.steps, kScaleBar.position(20)).in("c2").at(1, 0).span(1, 3)
      .onChange([this] { showScale(); });
  label("scaleText", "").in("c2").at(9, 0).span(1, 3);
  options("kind", "", {"построения", "развертка", "фазовая плоскость"}, 0).in("c2").at(2, 0)
      .span(3, 2).inColumns(1).tip("Что рисовать: построения, развертку по времени, фазовую плоскость");
  check("abs", "+abs").in("c2").at(2, 2);
  options("plane", "", {"XY", "XZ"}, 0).in("c2").at(3, 2).span(2, 1).inColumns(1)
      .tip("Плоскость проекции построений");
  check("showIs", "Аберрация источника Ais", true).in("c2").at(5, 0).span(1, 3);
  check("showPr", "Аберрация приемника Apr", true).in("c2").at(6, 0).span(1, 3);
  check("showS", "Суммарная аберрация As", true).in("c2").at(7, 0).span(1, 3);
  field("MT", "MT, лет/см", "0,25").in("c2").at(8, 0).chars(6);
  field("MAlfa", "MAlfa, град/см", "0,001").in("c2").at(8, 1).span(1, 2).chars(6);
}

void AberrationScreen::opened() {
  showScale();
  clearPicture();
}

double AberrationScreen::scaleUnit() const { return kScaleBar.value(form().position("scale")) * 1e8; }

void AberrationScreen::showScale() {
  const double v = kScaleBar.value(form().position("scale"));
  form().setText("scaleText", "Масштаб = " + screenNumber(v / 10.0) + " млн.км/см");
}

// The first picture of a placement shows the Earth's orbit and the object: when the farther lies
// beyond the picture at the bar's scale (or within a tenth of it), the bar takes the scale that
// puts it at 3 cm from the Sun.
void AberrationScreen::fitScale() {
  const State& s = state();
  const int N = in_.Npl;
  const double far =
      std::max(std::hypot(s.X0[3], s.Y0[3], s.Z0[3]), std::hypot(s.X0[N], s.Y0[N], s.Z0[N]));
  if (!std::isfinite(far) || !(far > 0)) return;
  const double cm = far / scaleUnit(), half = form().canvas("pic").widthCm() / 2;
  if (cm > half || cm < half / 10) {
    form().setPosition("scale", kScaleBar.position(far / 3 / 1e8));
    showScale();
  }
}

void AberrationScreen::clearPicture() {
  form().canvas("pic").clear();
  for (auto& l : last_) l.set = false;
}

std::optional<AberrationInputs> AberrationScreen::readInputs() {
  ui::Form& f = form();
  State& s = state();
  int checked = 0, which = in_.Npl;
  for (int k = 0; k <= kStarObject; ++k)
    if (f.checked(objId(k))) {
      ++checked;
      which = k;
    }
  if (checked > 1) {
    s.kStop = 1;
    f.message(kMsgOneObject, kTitle7);
    return std::nullopt;
  }
  AberrationInputs in;
  in.Npl = which;
  in.theory = f.checked("theory");
  in.cosB = f.checked("cosB");
  bool ok = true;
  // Each box within a range that keeps every result finite: coordinates and scales within 10^15,
  // velocities within 10^9, angles within a turn either way.
  auto num = [&](std::string_view id, double lo = -kBig, double hi = kBig) {
    const auto v = f.numberIn(id, lo, hi);
    if (!v) ok = false;
    return v.value_or(0);
  };
  const auto date = f.date("Day", "Month", "Year");
  if (!date) ok = false;
  in.Day = date ? date->day : 0;
  in.Month = date ? date->month : 0;
  in.Year = date ? date->year : 0;
  in.GelioL3 = num("GelioL3", -360, 360);
  in.GelioLpl = num("GelioLpl", -360, 360);
  for (int j = 0; j < 6; ++j) {
    const double bound = j < 3 ? kBig : kFast;
    in.star[static_cast<std::size_t>(j)] = num(std::string(kGroupIds[j]) + "pl", -bound, bound);
  }
  in.N = num("N");
  in.VXsys = num("VXsys", -kFast, kFast);
  in.VYsys = num("VYsys", -kFast, kFast);
  in.VZsys = num("VZsys", -kFast, kFast);
  if (!ok || !(in.N > 0) || !(num("MT") > 0) || !(num("MAlfa") > 0)) {
    f.message(kMsgAberrationInputs, kTitle7);
    return std::nullopt;
  }
  return in;
}

bool AberrationScreen::placeNow() {
  const auto in = readInputs();
  if (!in) return false;
  AberrationResult r;
  if (!placeAberration(state(), *in, r)) {
    form().message(kMsgAberrationInputs, kTitle7);
    return false;
  }
  in_ = *in;
  r_ = r;
  placed_ = true;
  const State& s = state();
  const auto rest = [&s](int i) {
    return Rest{s.X0[i], s.Y0[i], s.Z0[i], s.VX0[i], s.VY0[i], s.VZ0[i]};
  };
  restEarth_ = rest(3);
  restObject_ = rest(in->Npl);
  showPlacement();
  fitScale();
  if (form().option("kind") == 0) drawConstruction();
  return true;
}

bool AberrationScreen::iterateNow() {
  if (!placed_ && !placeNow()) return false;
  const auto in = readInputs();
  if (!in) return false;
  AberrationInputs use = *in;
  use.Npl = in_.Npl;  // the object of the placement
  State& s = state();
  const auto put = [&s](int i, const Rest& r) {
    s.X0[i] = r.X0, s.Y0[i] = r.Y0, s.Z0[i] = r.Z0;
    s.VX0[i] = r.VX0, s.VY0[i] = r.VY0, s.VZ0[i] = r.VZ0;
  };
  put(3, restEarth_);
  put(use.Npl, restObject_);
  if (!iterateAberration(state(), use, r_)) {
    form().message(kMsgAberrationFailed, kTitle7);
    return false;
  }
  in_ = use;
  showIteration();
  const int kind = form().option("kind");
  if (kind == 0)
    drawConstruction();
  else
    drawSweep();
  return true;
}

void AberrationScreen::place() { placeNow(); }
void AberrationScreen::iterate() { iterateNow(); }

void AberrationScreen::showPlacement() {
  ui::Form& f = form();
  const State& s = state();
  const int N = in_.Npl;
  const double MK = s.MK;
  f.setNumber("X3", s.X0[3] / MK, 6);
  f.setNumber("Y3", s.Y0[3] / MK, 6);
  f.setNumber("Z3", s.Z0[3] / MK, 6);
  f.setNumber("VX3", s.VX0[3] / 1000, 6);
  f.setNumber("VY3", s.VY0[3] / 1000, 6);
  f.setNumber("VZ3", s.VZ0[3] / 1000, 6);
  f.setNumber("Xpl", s.X0[N] / MK, 6);
  f.setNumber("Ypl", s.Y0[N] / MK, 6);
  f.setNumber("Zpl", s.Z0[N] / MK, 6);
  f.setNumber("VXpl", s.VX0[N] / 1000, 6);
  f.setNumber("VYpl", s.VY0[N] / 1000, 6);
  f.setNumber("VZpl", s.VZ0[N] / 1000, 6);
  f.setNumber("L0", r_.L0, 6);
  f.setNumber("B0", r_.B0, 6);
  f.setNumber("S", r_.S / MK, 6);
  f.setNumber("T", r_.lightTime, 6);
  f.setText("iterations", "0");
}

void AberrationScreen::showIteration() {
  ui::Form& f = form();
  const State& s = state();
  const int N = in_.Npl;
  const double MK = s.MK;
  // The object in the moving system: the source position (before the receiver shift).
  const double back = r_.S / r_.c;
  f.setNumber("Xpl2", (s.X[N] - back * s.VX[3]) / MK, 6);
  f.setNumber("Ypl2", (s.Y[N] - back * s.VY[3]) / MK, 6);
  f.setNumber("Zpl2", (s.Z[N] - back * s.VZ[3]) / MK, 6);
  f.setNumber("VXpl2", s.VX[N] / 1000, 6);
  f.setNumber("VYpl2", s.VY[N] / 1000, 6);
  f.setNumber("VZpl2", s.VZ[N] / 1000, 6);
  f.setNumber("S", r_.S / MK, 6);
  f.setNumber("T", r_.lightTime, 6);
  f.setNumber("dLis", r_.dLis, 6);
  f.setNumber("dBis", r_.dBis, 6);
  f.setNumber("dLpr", r_.dLpr, 6);
  f.setNumber("dBpr", r_.dBpr, 6);
  f.setNumber("dLs", r_.dLs, 6);
  f.setNumber("dBs", r_.dBs, 6);
  f.setNumber("L2", r_.L2, 6);
  f.setNumber("B2", r_.B2, 6);
  f.setText("iterations", std::to_string(r_.iterations));
}

// The bodies, the orbits as circles, the velocity vectors and the ray in the plane XY or XZ, at
// the scale of the scroll bar (value x 10^8 m per cm).
void AberrationScreen::drawConstruction() {
  ui::Canvas& c = form().canvas("pic");
  const State& s = state();
  const double unit = scaleUnit();
  c.clear();
  c.setOrigin(c.widthCm() / 2, c.heightCm() / 2, unit);
  const bool xz = form().option("plane") == 1;
  auto P = [&](int i) { return std::pair{s.X[i], xz ? s.Z[i] : s.Y[i]}; };
  auto P0 = [&](int i) { return std::pair{s.X0[i], xz ? s.Z0[i] : s.Y0[i]}; };
  const int N = in_.Npl;
  c.circle(0, 0, unit * 0.1, ui::kRed, true);  // the Sun
  const double rE = std::hypot(s.X0[3], s.Y0[3]);
  const double rN = std::hypot(s.X0[N], s.Y0[N]);
  if (!xz) {
    c.circle(0, 0, rE, ui::kLightGray);
    if (N > 0 && N < kStarObject) c.circle(0, 0, rN, ui::kLightGray);
  }
  const auto [ex, ey] = P0(3);
  const auto [nx, ny] = P0(N);
  c.circle(ex, ey, unit * 0.08, ui::kBlue, true);
  c.circle(nx, ny, unit * 0.08, ui::kBlack, true);
  // Velocity vectors: the distance covered in one light time.
  const double tau = r_.lightTime;
  c.line(ex, ey, ex + s.VX0[3] * tau, ey + (xz ? s.VZ0[3] : s.VY0[3]) * tau, ui::kBlue);
  c.line(nx, ny, nx + s.VX0[N] * tau, ny + (xz ? s.VZ0[N] : s.VY0[N]) * tau, ui::kBlack);
  if (r_.iterations > 0) {
    const auto [sx, sy] = P(N);
    const auto [ox, oy] = P(13);
    c.line(sx, sy, ex, ey, ui::kRed);  // the apparent ray
    c.circle(ox, oy, unit * 0.05, ui::kGreen);
    c.line(ox, oy, ex, ey, ui::kGreen);
  }
}

// "развертка": the checked components against time; "фазовая плоскость": dB against dL.
void AberrationScreen::drawSweep() {
  ui::Canvas& c = form().canvas("pic");
  const auto MT = form().number("MT"), MA = form().number("MAlfa");
  if (!MT || !MA || !(*MT > 0) || !(*MA > 0)) return;
  const bool phase = form().option("kind") == 2;
  const bool absV = form().checked("abs");
  c.setOrigin(0.5, c.heightCm() / 2, 1.0);
  const double t = (r_.JD - JD0_) / 365.25 / *MT;
  const double L[3] = {r_.dLis, r_.dLpr, r_.dLs}, B[3] = {r_.dBis, r_.dBpr, r_.dBs};
  const char* ids[3] = {"showIs", "showPr", "showS"};
  const ui::Color colours[3] = {ui::kBlue, ui::kGreen, ui::kRed};
  for (int k = 0; k < 3; ++k) {
    if (!form().checked(ids[k])) continue;
    double x, y;
    if (phase) {
      x = c.widthCm() / 2 - 0.5 + L[k] / *MA;
      y = B[k] / *MA;
    } else {
      x = t;
      y = (absV ? std::fabs(L[k]) : L[k]) / *MA;
    }
    if (last_[k].set) c.line(last_[k].x, last_[k].y, x, y, colours[k]);
    c.point(x, y, colours[k]);
    last_[k] = {x, y, true};
  }
}

bool AberrationScreen::pass() {
  State& s = state();
  if (!placeNow() || !iterateNow()) return false;
  const auto step = form().number("step");
  if (!step || !std::isfinite(*step)) {
    form().message(kMsgAberrationInputs, kTitle7);
    return false;
  }
  if (!NormDate(s, in_.Day + *step, in_.Month, in_.Year)) {
    form().message(kMsgAberrationInputs, kTitle7);
    return false;
  }
  form().setNumber("Day", s.Day, 6);
  form().setText("Month", std::to_string(s.Month));
  form().setText("Year", std::to_string(s.Year));
  return true;
}

void AberrationScreen::loop() {
  State& s = state();
  for (;;) {
    if (!pass()) return;
    form().processEvents();
    if (s.kStop == 1 || !form().shown() || workbench().quitting()) return;
  }
}

void AberrationScreen::stepping() {
  State& s = state();
  form().setChecked("theory", true);
  const auto in = readInputs();
  if (!in) return;
  s.DateError = 0;
  const double JD = JDfromDate(s, in->Day, in->Month, in->Year);
  if (s.DateError != 0) return;
  JD0_ = JD;
  Day1_ = in->Day;
  Month1_ = in->Month;
  Year1_ = in->Year;
  for (auto& l : last_) l.set = false;
  s.kStop = 0;
  loop();
}

void AberrationScreen::oneStep() {
  if (JD0_ == 0) {
    const auto in = readInputs();
    if (!in) return;
    state().DateError = 0;
    JD0_ = JDfromDate(state(), in->Day, in->Month, in->Year);
  }
  pass();
}

void AberrationScreen::resume() {
  state().kStop = 0;
  loop();
}

void AberrationScreen::stop() { state().kStop = 1; }

void AberrationScreen::backToJD0() {
  form().setNumber("Day", Day1_);
  form().setText("Month", std::to_string(Month1_));
  form().setText("Year", std::to_string(Year1_));
}

}  // namespace orvant
