// The pictures of screen 2: the animation of the bodies around the chosen centre, and the plots of
// X, Y, Z of the traced body, of the energy check and of the changes of the orbit parameters
// against the model time.
//
// Plot scales (boxes under the pictures): the time axis in days per cm, wrapping to the left edge
// (and clearing) when it reaches the right one; X, Y, Z in thousand km per cm, and with the same
// box the energy check dEsys, dMsys at 10^6/box cm per per cent (100 cm per per cent at the box's
// default 10000); the changes in units per cm, the units being arc
// seconds (dAlfaP, dAlfaU, dBetta), 1e-6 (dEks), thousand km (dRsr) and 1e-3 day (dPeriod); the
// zero line shifted up by the offset, cm. A plotted value that leaves the picture widens the scale
// of its box to the next easy value (1, 2, 5 x 10^k) and the sweep is redrawn, unless the user typed
// the box: a typed scale is kept. The next run starts again from the declared default.
#include <cmath>

#include "model/format.h"
#include "model/state.h"
#include "simulation/screens/run_screen.h"
#include "ui/form.h"

namespace orvant::simulation {

namespace {

constexpr double kOrbitW = 12, kOrbitH = 9;   // picture sizes, cm (as declared)
constexpr double kGraphW = 12, kGraphH = 9;
constexpr long kMaxOrbitPoints = 200000;      // trajectories kept before the picture restarts

constexpr double kFitMarginCm = 0.3;          // a widened scale leaves this much above the value
constexpr std::size_t kMaxSweepPoints = 200000;  // points of one sweep kept for a redraw

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
  sweep_.clear();
  wrapped_ = false;
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
    sweep_.clear();
    wrapped_ = true;
    graphAxes();
  }
  lastPlotX_ = x;
  return x;
}

void RunScreen::plotPoint(int k, double x, double v, int group, ui::Color color) {
  if (!std::isfinite(v)) {
    last_[static_cast<std::size_t>(k)].set = false;
    return;
  }
  widenScale(v, group);
  if (sweep_.size() < kMaxSweepPoints)
    sweep_.push_back(Plotted{k, group, form().canvas("graph").pen(), x, v, color});
  drawPlotted(k, x, v, group, color);
}

void RunScreen::drawPlotted(int k, double x, double v, int group, ui::Color color) {
  ui::Canvas& graph = form().canvas("graph");
  PlotPoint& p = last_[static_cast<std::size_t>(k)];
  const double y = v / (group == 0 ? scaleXYZ_ : scaleA_) + offsetY_;
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

// A value off the picture: the smallest easy scale that brings it kFitMarginCm inside the edge it
// left by, shown in the scale's box; what this sweep has plotted is redrawn at the new scale.
bool RunScreen::widenScale(double v, int group) {
  if (scaleTyped_[static_cast<std::size_t>(group)]) return false;
  double& scale = group == 0 ? scaleXYZ_ : scaleA_;
  const double y = v / scale + offsetY_;
  const double edge = kGraphH / 2 - kFitMarginCm;
  if (std::fabs(y) <= kGraphH / 2) return false;
  const double room = v > 0 ? edge - offsetY_ : edge + offsetY_;  // cm between zero line and edge
  if (!(room >= 1)) return false;  // the offset put the zero line near the edge: leave it
  const double wider = ui::niceScale(std::fabs(v) / room);
  if (!(wider > scale) || !std::isfinite(wider)) return false;
  scale = wider;
  form().setNumber(group == 0 ? "scaleXYZ" : "scaleA", scale);
  redrawSweep();
  return true;
}

void RunScreen::redrawSweep() {
  ui::Canvas& graph = form().canvas("graph");
  const int pen = graph.pen();
  graph.clear();
  last_ = {};
  graphAxes();
  if (!wrapped_) printStartTexts();
  for (const Plotted& p : sweep_) {
    graph.setPen(p.pen);
    drawPlotted(p.k, p.x, p.v, p.group, p.color);
  }
  graph.setPen(pen);
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
  const double k = s.MK;  // thousand km
  graph.setPen(1);
  if (form().checked("plotX")) plotPoint(0, x, (s.X[n] - s.X[c]) / k, 0, ui::kRed);
  if (form().checked("plotY")) plotPoint(1, x, (s.Y[n] - s.Y[c]) / k, 0, ui::kGreen);
  if (form().checked("plotZ")) plotPoint(2, x, (s.Z[n] - s.Z[c]) / k, 0, ui::kBlue);
  if (energy) {
    plotPoint(3, x, dEsysPercent(run_.energy()) * 1e6, 0, ui::kMagenta);
    plotPoint(4, x, dMsysPercent(run_.energy()) * 1e6, 0, ui::kCyan);
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
    if (form().checked(box)) plotPoint(k, x, v, 1, col);
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
