// The pictures of screen 2: the animation of the bodies around the chosen centre, and the plots of
// X, Y, Z of the traced body, of the energy check and of the changes of the orbit parameters
// against the model time.
//
// Plot scales (boxes under the pictures): the time axis in days per cm, wrapping to the left edge
// (and clearing) when it reaches the right one; X, Y, Z in thousand km per cm, and with the same
// box the energy check dEsys, dMsys at 10^6/box cm per per cent (100 cm per per cent at the box's
// default 10000); the changes in units per cm, the units being arc
// seconds (dAlfaP, dAlfaU, dBetta), 1e-6 (dEks), thousand km (dRsr) and 1e-3 day (dPeriod); the
// zero line shifted up by the offset, cm.
#include <cmath>

#include "model/format.h"
#include "model/state.h"
#include "simulation/run_screen.h"
#include "ui/form.h"

namespace orvant::simulation {

namespace {

constexpr double kOrbitW = 12, kOrbitH = 9;   // picture sizes, cm (as declared)
constexpr double kGraphW = 12, kGraphH = 9;
constexpr long kMaxOrbitPoints = 200000;      // trajectories kept before the picture restarts

const ui::Color kSun{230, 160, 0};
const ui::Color kBrown = ui::qbColor(6);

}  // namespace

void RunScreen::clearPictures() {
  ui::Canvas& orbit = form().canvas("orbit");
  orbit.clear();
  orbitPoints_ = 0;
  double unitsPerCm = state().Mx1 > 0 ? state().Mx1 : 3e11;
  if (run_.started()) {
    const int n = run_.n();
    const double a = state().Ppar[static_cast<std::size_t>(n)][5];
    const double e = state().Ppar[static_cast<std::size_t>(n)][4];
    // The traced body's orbit fills about four fifths of the height.
    if (n >= 1 && n <= 10 && a > 0 && std::isfinite(a) && e >= 0 && e < 1)
      unitsPerCm = 2 * a * (1 + e) / (0.8 * kOrbitH);
  }
  orbit.setOrigin(kOrbitW / 2, kOrbitH / 2, unitsPerCm);
  ui::Canvas& graph = form().canvas("graph");
  graph.clear();
  graph.setView(0, kGraphH / 2, kGraphW, -kGraphH / 2);
  lastPlotX_ = -1;
  last_ = {};
  graphAxes();
}

void RunScreen::graphAxes() {
  ui::Canvas& graph = form().canvas("graph");
  graph.setPen(1);
  graph.line(0, offsetY_, kGraphW, offsetY_, ui::kLightGray);
  for (double x = 1; x < kGraphW; x += 1) graph.line(x, offsetY_ - 0.1, x, offsetY_ + 0.1, ui::kGray);
}

// The texts of the start: the energy reference and the plan experiment.
void RunScreen::printStartTexts() {
  ui::Canvas& graph = form().canvas("graph");
  const State& s = state();
  const RunInputs& in = run_.inputs();
  if (in.energy) {
    graph.print("                                               для имитаторов");
    graph.print("E0sys (Дж)=              " + screenNumber(run_.energy().E0sys) +
                "      X0i и VX0i заданны на форме 1");
    graph.print("M0sys (кг*м^2/с) =   " + screenNumber(run_.energy().M0sys) +
                "      а массы планет заданны здесь");
  }
  if (in.writeRecords) {
    graph.print(run_.ModeStr() + "      План №    " + std::to_string(s.NPlan) +
                "       Эксперимент №    " + std::to_string(in.live.NExp));
    graph.print(" VXSys = " + screenNumber(s.VXsys) + "    VYSys = " + screenNumber(s.VYsys) +
                "    VZSys = " + screenNumber(s.VZsys) + "   Vgr = " +
                screenNumber((in.live.kodVgr ? 1 : 0) * s.Vgr / s.MK) + "  (тыс.км/с)");
  }
}

// The bodies relative to the centre; the traced body larger and red. Without "Траектории " the
// previous positions are erased first.
void RunScreen::drawAnimation() {
  ui::Canvas& orbit = form().canvas("orbit");
  const State& s = state();
  if (!form().checked("trajectories") || orbitPoints_ > kMaxOrbitPoints) {
    orbit.clear();
    orbitPoints_ = 0;
  }
  const int c = run_.inputs().Icen2;
  const int n = run_.n();
  const bool model = run_.inputs().model;
  for (int i = 0; i <= run_.M(); ++i) {
    if (model && s.kUch[static_cast<std::size_t>(i)] == 0) continue;
    const double x = s.X[i] - s.X[c], y = s.Y[i] - s.Y[c];
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    orbit.setPen(i == n ? 3 : 2);
    orbit.point(x, y, i == n ? ui::kRed : (i == 0 ? kSun : ui::kBlue));
    ++orbitPoints_;
  }
  orbit.setPen(1);
}

double RunScreen::plotX() {
  const double days = run_.t() / 86400;
  const double x = std::fmod(days / scaleT_, kGraphW);
  if (x < lastPlotX_) {
    ui::Canvas& graph = form().canvas("graph");
    graph.clear();
    last_ = {};
    graphAxes();
  }
  lastPlotX_ = x;
  return x;
}

void RunScreen::plotPoint(int k, double x, double y, ui::Color color) {
  ui::Canvas& graph = form().canvas("graph");
  PlotPoint& p = last_[static_cast<std::size_t>(k)];
  if (!std::isfinite(y) || std::fabs(y) > kGraphH) {
    p.set = false;
    return;
  }
  if (p.set)
    graph.line(p.x, p.y, x, y, color);
  else
    graph.point(x, y, color);
  p = {x, y, true};
}

// At a display point: X, Y, Z of the traced body relative to the centre, and the energy check.
void RunScreen::plotDisplay() {
  const bool xyz = form().checked("plotX") || form().checked("plotY") || form().checked("plotZ");
  const bool energy = run_.inputs().energy;
  if (!xyz && !energy) return;
  const State& s = state();
  ui::Canvas& graph = form().canvas("graph");
  const double x = plotX();
  const int n = run_.n(), c = run_.inputs().Icen2;
  const double k = s.MK * scaleXYZ_;
  graph.setPen(1);
  if (form().checked("plotX")) plotPoint(0, x, (s.X[n] - s.X[c]) / k + offsetY_, ui::kRed);
  if (form().checked("plotY")) plotPoint(1, x, (s.Y[n] - s.Y[c]) / k + offsetY_, ui::kGreen);
  if (form().checked("plotZ")) plotPoint(2, x, (s.Z[n] - s.Z[c]) / k + offsetY_, ui::kBlue);
  if (energy) {
    plotPoint(3, x, dEsysPercent(run_.energy()) * 1e6 / scaleXYZ_ + offsetY_, ui::kMagenta);
    plotPoint(4, x, dMsysPercent(run_.energy()) * 1e6 / scaleXYZ_ + offsetY_, ui::kCyan);
  }
}

// At a registered passage: the changes of the orbit parameters whose boxes are ticked.
void RunScreen::plotChanges() {
  const OrbitExtraction& o = run_.extraction();
  const State& s = state();
  ui::Canvas& graph = form().canvas("graph");
  const double x = plotX();
  int k = 5;
  const auto put = [&](const char* box, double v, ui::Color col) {
    if (form().checked(box)) plotPoint(k, x, v / scaleA_ + offsetY_, col);
    ++k;
  };
  graph.setPen(2);
  put("plotdAlfaP", (o.AlfaPt - o.AlfaP0r) * 3600, ui::kBlack);
  put("plotdAlfaU", (o.AlfaUt - o.AlfaU0r) * 3600, ui::kBlue);
  put("plotdBetta", (o.Betta - o.Betta0r) * 3600 * s.kUgol, ui::kGreen);
  put("plotdEks", (o.Eks - o.Eks0r) * 1e6, ui::kRed);
  put("plotdRsr", (o.Rpl - o.Rsr0r) / s.MK, ui::kMagenta);
  put("plotdPeriod", (o.Tper - o.TperFirst) * 1e3, kBrown);
  graph.setPen(1);
}

}  // namespace orvant::simulation
