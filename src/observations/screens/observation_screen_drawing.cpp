// Screen 10: the residual picture, the orbit and horizon views, the distributions.
//
// The residual picture is drawn in centimetres from its origin, 0.4 cm from the left edge and
// 5.3 cm from the top, y upward: the time axis runs (JD - JDep)/365.25/MT cm, the series stand
// at the heights of the reduction's drawing table (residuals 4 cm above the zero line, the dR
// series on it, the offset dY added to all).
#include <algorithm>
#include <cmath>

#include "model/format.h"
#include "model/state.h"
#include "observations/screens/observation_screen.h"
#include "ui/form.h"

namespace orvant {

namespace {

constexpr double kOriginX = 0.4, kOriginY = 5.3;

enum Series {
  kSerRasL, kSerRasB, kSerNabL, kSerNabB, kSerdL, kSerdB, kSerdLsr, kSerdBsr, kSerdR, kSerdRsr,
  kSerAbsL, kSerAbsB, kSerAbSrc, kSerAbObs, kSerAbBoth
};

}  // namespace

void ObservationScreen::clearPictures() {
  for (const char* id : {"resid", "bodies", "dLpl", "dBpl"}) form().canvas(id).clear();
  for (auto& p : last_) p.set = false;
  drawAxes();
}

void ObservationScreen::drawAxes() {
  ui::Canvas& c = form().canvas("resid");
  c.setOrigin(kOriginX, kOriginY);
  const double dY = std::isfinite(num("dY")) ? num("dY") : 0;
  c.line(0, dY, 20, dY, ui::kGray);
  c.line(0, 4 + dY, 20, 4 + dY, ui::kLightGray);
  c.line(0, -2, 0, 8, ui::kGray);
  c.text(0.1, 5.2, "dL, dB", ui::kGray);
  c.text(0.1, 1.8 + dY, "dR", ui::kGray);
  // The values of the axes at the scales of the boxes: dL, dB a centimetre either side of their
  // line, dR one centimetre above its own, and the years along the time axis.
  const auto value = [this](const char* id, double cm) {
    const double v = num(id);
    return std::isfinite(v) ? screenNumber(v * cm) : std::string("?");
  };
  c.line(-0.15, 5 + dY, 0.15, 5 + dY, ui::kGray);
  c.line(-0.15, 3 + dY, 0.15, 3 + dY, ui::kGray);
  c.text(1.6, 5.2 + dY, "+" + value("MdAlfa", 1) + "″", ui::kGray);
  c.text(0.2, 3.2 + dY, "-" + value("MdAlfa", 1) + "″", ui::kGray);
  c.line(8.4, 1 + dY, 8.6, 1 + dY, ui::kGray);
  c.text(6.4, 1.2 + dY, value("MdR", 1) + " тыс. км", ui::kGray);
  for (int cm = 2; cm <= 8; cm += 2) {
    c.line(cm, dY - 0.1, cm, dY + 0.1, ui::kGray);
    c.text(cm - 0.3, dY - 0.25, value("MT", cm) + " г.", ui::kGray);
  }
  for (const char* id : {"dLpl", "dBpl"}) {
    ui::Canvas& d = form().canvas(id);
    d.setView(-11, 10, 11, -11);
    d.line(-10, -10, 10, -10, ui::kGray);
    d.line(-10, -10, -10, 10, ui::kGray);
  }
  ui::Canvas& v = form().canvas("bodies");
  v.setView(-1.75, 1.5, 1.75, -1.5);
}

void ObservationScreen::drawLimitLines() {
  ui::Canvas& c = form().canvas("resid");
  const LiveInputs& l = run_.live();
  const double dY = run_.inputs().dY;
  if (form().option("criterion") == 1) {
    c.line(0, 4 + l.limit / l.MdAlfa + dY, 20, 4 + l.limit / l.MdAlfa + dY, ui::kRed);
    c.line(0, 4 - l.limit / l.MdAlfa + dY, 20, 4 - l.limit / l.MdAlfa + dY, ui::kRed);
  } else {
    c.line(0, l.limit / l.MdR + dY, 20, l.limit / l.MdR + dY, ui::kRed);
  }
}

void ObservationScreen::plotPoint(int series, double x, double y, ui::Color color) {
  ui::Canvas& c = form().canvas("resid");
  LastPoint& p = last_[static_cast<std::size_t>(series)];
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (p.set && x >= p.x)
    c.line(p.x, p.y, x, y, color);
  else
    c.point(x, y, color);
  p = {x, y, true};
}

void ObservationScreen::plotPass(const PassResult& r) {
  ui::Form& f = form();
  const LiveInputs& l = run_.live();
  const double dY = run_.inputs().dY;
  const double x = (r.JD - run_.JDep()) / 365.25 / l.MT;
  const bool L = f.checked("plotL"), B = f.checked("plotB");
  if (f.checked("plotRas")) {
    if (L) plotPoint(kSerRasL, x, r.Lras / l.MAlfa + dY, ui::kBlue);
    if (B) plotPoint(kSerRasB, x, r.Bras / l.MAlfa + dY, ui::kCyan);
  }
  if (f.checked("plotNab")) {
    if (L) plotPoint(kSerNabL, x, r.Lnab / l.MAlfa + dY, ui::kMagenta);
    if (B) plotPoint(kSerNabB, x, r.Bnab / l.MAlfa + dY, ui::qbColor(13));
  }
  if (f.checked("plotdLdB")) {
    if (L) form().canvas("resid").point(x, r.dL * 3600 / l.MdAlfa + 4 + dY, ui::kBlack);
    if (B) form().canvas("resid").point(x, r.dB * 3600 / l.MdAlfa + 4 + dY, ui::kGreen);
  }
  if (f.checked("plotdR")) form().canvas("resid").point(x, r.dR / l.MdR + dY, ui::kBlue);
  if (r.accepted) {
    const Accumulators& a = run_.acc();
    const double n = static_cast<double>(a.Nok);
    const auto& row = run_.experiments().row[static_cast<std::size_t>(run_.experiments().current)];
    const ResultColumns cols = resultColumns(run_.options().rms);
    if (f.checked("plotMeans")) {
      if (L) plotPoint(kSerdLsr, x, a.sdL / n * 3600 / l.MdAlfa + 4 + dY, ui::kRed);
      if (B) plotPoint(kSerdBsr, x, a.sdB / n * 3600 / l.MdAlfa + 4 + dY, ui::qbColor(6));
    }
    if (f.checked("plotdRsr")) plotPoint(kSerdRsr, x, row[cols.dR] / l.MdR + dY, ui::kRed);
    if (f.checked("plotAbs")) {
      if (L) plotPoint(kSerAbsL, x, row[cols.dL] / l.MdAlfa + dY, ui::qbColor(5));
      if (B) plotPoint(kSerAbsB, x, row[cols.dB] / l.MdAlfa + dY, ui::qbColor(3));
    }
  } else {
    // a rejected observation: a circle where its residual stands
    ui::Canvas& c = form().canvas("resid");
    if (run_.options().criterion == ObsCriterion::dR && f.checked("plotdR"))
      c.circle(x, r.dR / l.MdR + dY, 0.15, ui::kRed);
    if (run_.options().criterion == ObsCriterion::AbsdL && f.checked("plotdLdB"))
      c.circle(x, r.dL * 3600 / l.MdAlfa + 4 + dY, 0.15, ui::kRed);
  }
  if (f.checked("aberration")) {
    plotPoint(kSerAbSrc, x, r.aberrSource / l.MdAlfa + 5 + dY, ui::qbColor(9));
    plotPoint(kSerAbObs, x, r.aberrObserver / l.MdAlfa + 3 + dY, ui::qbColor(10));
    plotPoint(kSerAbBoth, x, r.aberrBoth / l.MdAlfa + 1 + dY, ui::qbColor(12));
  }
}

// The orbit view: the Sun, the Earth and the body in the ecliptic of the date, seen from the
// ecliptic pole, scaled to the larger of the two orbits; rays from the Earth with "лучи".
void ObservationScreen::drawOrbitView(const PassResult& r) {
  ui::Canvas& c = form().canvas("bodies");
  c.clear();
  const double au = state().Lae > 0 ? state().Lae : 1.495978707e11;
  const double re = std::hypot(r.Xe, r.Ye) / au, rb = std::hypot(r.Xb, r.Yb) / au;
  const double scale = std::max({re, rb, 0.1}) * 1.15;
  c.setView(-1.75 * scale, 1.5 * scale, 1.75 * scale, -1.5 * scale);
  c.circle(0, 0, 0.04 * scale, ui::kYellow, true);
  c.circle(0, 0, re, ui::kLightGray);
  c.circle(0, 0, rb, ui::kLightGray);
  const double xe = r.Xe / au, ye = r.Ye / au, xb = r.Xb / au, yb = r.Yb / au;
  if (form().checked("rays")) {
    c.line(xe, ye, xb, yb, ui::kRed);
    c.line(xe, ye, 0, 0, ui::qbColor(6));
  }
  c.circle(xe, ye, 0.03 * scale, ui::kBlue, true);
  c.circle(xb, yb, 0.03 * scale, ui::kRed, true);
  c.text(-1.7 * scale, 1.45 * scale, "ГЕО ЭКЛ", ui::kGray);
}

// The horizon view: the sky seen from above the observer, the zenith in the middle, the horizon
// the circle, south at the bottom and west on the right.
void ObservationScreen::drawHorizonView(const PassResult& r) {
  ui::Canvas& c = form().canvas("bodies");
  c.clear();
  c.setView(-1.75, 1.5, 1.75, -1.5);
  c.circle(0, 0, 1, ui::kGreen);
  c.text(-0.1, -1.05, "Юг");
  c.text(-0.35, 1.35, "горизонт", ui::kGreen);
  c.text(-1.7, 0.1, "Восток");
  c.text(1.05, 0.1, "Запад");
  auto put = [&](const double* u, ui::Color col) {
    const double h = std::asin(std::clamp(u[2], -1.0, 1.0));
    const double rr = 1 - h / (state().Pi / 2);
    const double a = std::atan2(u[1], u[0]);
    c.circle(rr * std::sin(a), -rr * std::cos(a), 0.06, col, true);
  };
  put(r.horSun, ui::kYellow);
  put(r.horBody, ui::kRed);
}

// "++Статистика": the three distributions of the classes, vertical scale K.
void ObservationScreen::drawDistributions(double K) {
  const auto& C = run_.classes().Cnt;
  ui::Canvas& a = form().canvas("dLpl");
  a.clear();
  a.setView(-11, 10, 11, -11);
  a.text(0, 8, "dLpl");
  for (int i = 1; i <= 19; ++i)
    a.line(i - 1 - 10, C[static_cast<std::size_t>(i - 1)] * 3 / K - 10, i - 10,
           C[static_cast<std::size_t>(i)] * 3 / K - 10, ui::kBlue);
  ui::Canvas& b = form().canvas("dBpl");
  b.clear();
  b.setView(-11, 10, 11, -11);
  b.text(0, 8, "dBpl");
  for (int i = 21; i <= 39; ++i)
    b.line(i - 1 - 30, C[static_cast<std::size_t>(i - 1)] * 3 / K - 10, i - 30,
           C[static_cast<std::size_t>(i)] * 3 / K - 10, ui::kGreen);
  ui::Canvas& r = form().canvas("resid");
  r.text(10, 6, "dRpl");
  for (int i = 41; i <= 59; ++i)
    r.line(i - 1 - 40, C[static_cast<std::size_t>(i - 1)] / K, i - 40,
           C[static_cast<std::size_t>(i)] / K, ui::kRed);
}

}  // namespace orvant
