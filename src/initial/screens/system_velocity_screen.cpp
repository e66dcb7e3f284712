#include "initial/screens/system_velocity_screen.h"

#include <cmath>
#include <string>

#include "initial/screens/initial_data_screen.h"
#include "initial/initial_data_screen_sources.h"
#include "model/format.h"
#include "model/messages.h"
#include "model/state.h"
#include "ui/clock.h"
#include "ui/form.h"
#include "ui/workbench.h"

namespace orvant {

namespace {

constexpr std::string_view kMsgBadInput = "Введите правильно данные";

struct Motion {
  const char* caption;
  const char* v;
  const char* alfa;
  const char* betta;
  ui::Color color;
};
constexpr Motion kMotions[5] = {
    {"Vsol относительно местной группы звезд MGZ (красные линии)", "19,4", "270", "53", {192, 0, 0}},
    {"MGZ относительно центра нашей галактики CG (алые линии)", "225", "347", "60", {255, 64, 32}},
    {"CG относительно местной группы галактик MGG (синие линии)", "105", "28", "33", {0, 0, 255}},
    {"MGG относительно реликтового излучения (голубые линии)", "635", "172", "-31", {0, 170, 255}},
    {"CG относительно реликтового излучения (зеленые линии)", "552", "169", "-30", {0, 160, 0}},
};

// The Sun relative to the background radiation, drawn in grey for reference.
constexpr double kRefV = 370, kRefAlfa = 171, kRefBetta = -11.4;

// The picture: x from -10 to 10, y from -10 (top) to 12 (bottom), one unit per centimetre of the
// scale MV; the XY diagram is centred on y = -5, the XZ diagram on y = 5, the reference text below.
constexpr double kLeft = -10, kTop = -10, kRight = 10, kBottom = 12;
constexpr double kPictureWidthCm = 13, kPictureHeightCm = 14.3;

std::string rowId(const char* what, int r) { return what + std::to_string(r); }

}  // namespace

SystemVelocityScreen::SystemVelocityScreen(State& s, ui::Workbench& wb)
    : Screen(s, wb, "Скорости Солнечной системы") {
  label("units", "Скорости в км/с,   углы в градусах").at(0, 0);

  group("sys", "").at(1, 0);
  field("VXsys", "VXsys", "0").in("sys").at(0, 0).chars(9);
  field("VYsys", "VYsys", "0").in("sys").at(0, 1).chars(9);
  field("VZsys", "VZsys", "0").in("sys").at(0, 2).chars(9);
  field("MV", "MV, (км/с)/см", "50").in("sys").at(1, 0).chars(9);

  group("rows", "").at(2, 0);
  for (int r = 1; r <= 5; ++r) {
    const Motion& m = kMotions[r - 1];
    const int line = 3 * (r - 1);
    check(rowId("row", r), m.caption).in("rows").at(line, 0).span(1, 4);
    field(rowId("V", r), "V", m.v).in("rows").at(line + 1, 0).chars(7);
    field(rowId("Alfa", r), "Alfa", m.alfa).in("rows").at(line + 1, 1).chars(7);
    field(rowId("Betta", r), "Betta", m.betta).in("rows").at(line + 1, 2).chars(7);
    options(rowId("sign", r), "", {"+", "--"}, 0).in("rows").at(line + 1, 3).inColumns(2);
    field(rowId("VX", r), "VX", "").in("rows").at(line + 2, 0).chars(18).locked();
    field(rowId("VY", r), "VY", "").in("rows").at(line + 2, 1).chars(18).locked();
    field(rowId("VZ", r), "VZ", "").in("rows").at(line + 2, 2).chars(18).locked();
  }

  group("sums", "").at(3, 0);
  field("VXsum", "VXsum", "").in("sums").at(0, 0).chars(18).locked();
  field("VYsum", "VYsum", "").in("sums").at(0, 1).chars(18).locked();
  field("VZsum", "VZsum", "").in("sums").at(0, 2).chars(18).locked();

  group("commands", "").at(4, 0);
  button("decompose", "Разложить по осям отмеченные скорости и просуммировать",
         [this] { decomposeMarked(); })
      .in("commands")
      .at(0, 0)
      .tip("Разложить отмеченные скорости по осям X, Y, Z, сложить и нарисовать");
  button("setVelocity", "Задать скорость системе", [this] { setSystemVelocity(); }).in("commands").at(0, 1)
      .tip("Задать скорость системы VXsys, VYsys, VZsys всем телам и обновить экран 1");
  button("clear", "Очистить рисунок", [this] { drawGrid(); }).in("commands").at(1, 0)
      .tip("Стереть рисунок и нарисовать пустую сетку");
  button("close", "Закрыть форму", [this] { close(); }).in("commands").at(1, 1)
      .tip("Закрыть экран скоростей Солнечной системы");

  picture("pic", "", kPictureWidthCm, kPictureHeightCm).at(0, 1).span(5, 1);
}

void SystemVelocityScreen::activated() { drawGrid(); }

SystemVelocityScreen::Components SystemVelocityScreen::decompose(const State& s, double v, double alfa,
                                                                 double betta, bool reversed) {
  const double a = alfa / s.kUgol, b = betta / s.kUgol;
  const double sign = reversed ? -1 : 1;
  return {sign * v * std::cos(b) * std::cos(a), sign * v * std::cos(b) * std::sin(a),
          sign * v * std::sin(b)};
}

// A grey grid of unit squares over -10..10 and the axes of the two diagrams at y = -5 and y = 5.
void SystemVelocityScreen::drawGrid() {
  ui::Canvas& pic = form().canvas("pic");
  pic.clear();
  pic.setView(kLeft, kTop, kRight, kBottom);
  for (int k = -10; k <= 10; ++k) {
    pic.line(k, -10, k, 10, ui::kLightGray);
    pic.line(-10, k, 10, k, ui::kLightGray);
  }
  pic.line(-10, -5, 10, -5, ui::kBlack);
  pic.line(-10, 5, 10, 5, ui::kBlack);
}

// The XY projection from (0, -5) and the XZ projection from (0, 5), in units of MV.
void SystemVelocityScreen::drawMotion(const Components& c, double mv, const ui::Color& color) {
  ui::Canvas& pic = form().canvas("pic");
  pic.line(0, -5, c.vx / mv, c.vy / mv - 5, color);
  pic.line(0, 5, c.vx / mv, c.vz / mv + 5, color);
}

void SystemVelocityScreen::decomposeMarked() {
  ui::Form& f = form();
  const auto mv = f.number("MV");
  if (!mv || !(*mv > 0)) return f.message(kMsgBadInput, kTitle7);
  Components sum;
  for (int r = 1; r <= 5; ++r) {
    if (!f.checked(rowId("row", r))) continue;
    const auto v = f.number(rowId("V", r));
    const auto alfa = f.number(rowId("Alfa", r));
    const auto betta = f.number(rowId("Betta", r));
    if (!v || !alfa || !betta) return f.message(kMsgBadInput, kTitle7);
    const Components c = decompose(state(), *v, *alfa, *betta, f.option(rowId("sign", r)) == 1);
    f.setText(rowId("VX", r), fullNumber(c.vx));
    f.setText(rowId("VY", r), fullNumber(c.vy));
    f.setText(rowId("VZ", r), fullNumber(c.vz));
    sum.vx += c.vx;
    sum.vy += c.vy;
    sum.vz += c.vz;
    drawMotion(c, *mv, kMotions[r - 1].color);
  }
  f.setText("VXsum", fullNumber(sum.vx));
  f.setText("VYsum", fullNumber(sum.vy));
  f.setText("VZsum", fullNumber(sum.vz));
  drawMotion(sum, *mv, ui::kBlack);

  const Components ref = decompose(state(), kRefV, kRefAlfa, kRefBetta, false);
  drawMotion(ref, *mv, ui::kGray);
  ui::Canvas& pic = f.canvas("pic");
  pic.text(-9.8, 10.2, "справочно   Vsol=370      Alfa=171      Betta=-11,4   (серые линии)");
  pic.print("VX = " + screenNumber(ref.vx, 3) + "      VY = " + screenNumber(ref.vy, 3) +
            "      VZ = " + screenNumber(ref.vz, 3));
}

void SystemVelocityScreen::setSystemVelocity() {
  State& s = state();
  ui::Form& f = form();
  const auto vx = f.number("VXsys");
  if (!vx) return f.message(kMsgBadInput, kTitle7);
  s.VXsys = *vx;
  const auto vy = f.number("VYsys");
  if (!vy) return f.message(kMsgBadInput, kTitle7);
  s.VYsys = *vy;
  const auto vz = f.number("VZsys");
  if (!vz) return f.message(kMsgBadInput, kTitle7);
  s.VZsys = *vz;
  for (int i = 0; i <= 10; ++i) {
    s.VX[i] = s.VXsys * 1000 + s.VX0[i];
    s.VY[i] = s.VYsys * 1000 + s.VY0[i];
    s.VZ[i] = s.VZsys * 1000 + s.VZ0[i];
  }
  // Screen 1 shows the current velocities in its initial-data view.
  if (ui::Screen* first = workbench().created(kInitialDataScreen)) {
    first->form().setOption(InitialDataScreen::kView, InitialDataScreen::kInitialView);
    first->form().setText(InitialDataScreen::kRefresh, screenNumber(ui::clockSeconds(), 3));
  }
}

}  // namespace orvant
