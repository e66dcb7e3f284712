#include "statistics/screens/statistics_drawing.h"

#include <algorithm>
#include <cmath>

#include "model/format.h"

namespace orvant::statistics {

namespace {

constexpr double kYear = 365.25;      // days
constexpr double kCentury = 36525;    // days
constexpr double kFitStepDays = 20;   // step of the fitted curve
constexpr long kMaxCurveSteps = 100000;
constexpr double kTextLeftCm = 0.2;

// The top and bottom edges of the picture in its own coordinates.
double topOf(const ui::Canvas& pic) { return pic.fromCmY(0); }
double bottomOf(const ui::Canvas& pic) { return pic.fromCmY(pic.heightCm()); }

// A vertical line through the whole picture at x cm.
void vertical(ui::Canvas& pic, double x, ui::Color color) {
  pic.line(x, topOf(pic), x, bottomOf(pic), color);
}

// Text at the left edge, on text line `line` (0 at the top).
void textAtLine(ui::Canvas& pic, int line, const std::string& s, ui::Color color) {
  pic.text(pic.fromCmX(kTextLeftCm), pic.fromCmY(0.1 + line * ui::Canvas::kLineCm), s, color);
}

// x of a record's middle time, in the frame.
double recordX(const SeriesFrame& frame, const RecordSeries& series, int i) {
  return frame.xOfDays(series.JD0 - frame.JD0 + series.dT[i] + series.ddT[i] / 2);
}

// A round step (1, 2 or 5 times a power of ten) at least `least`.
double roundStep(double least) {
  if (!(least > 0) || !std::isfinite(least)) return 1;
  const double p = std::pow(10.0, std::floor(std::log10(least)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= least) return m * p;
  return 10 * p;
}

}  // namespace

SeriesFrame seriesFrame(const RecordSeries& series, double unitsPerCm, double yearsPerCm) {
  SeriesFrame f;
  f.unitsPerCm = unitsPerCm;
  f.yearsPerCm = yearsPerCm;
  f.JD0 = series.JD0;
  f.top = series.Ymax + 1.5 * unitsPerCm;
  if (series.NP >= 1) {
    f.heightCm = fix((series.Ymax - series.Ymin) / unitsPerCm) + 3;
    f.widthCm = (series.dT[series.NP] + series.ddT[series.NP]) / kYear / yearsPerCm + 2;
  }
  return f;
}

void setFrameView(ui::Canvas& pic, const SeriesFrame& frame) {
  pic.setView(0, frame.top, pic.widthCm(), frame.top - pic.heightCm() * frame.unitsPerCm);
}

void applyFrame(ui::Canvas& pic, const SeriesFrame& frame, double minWidthCm, double minHeightCm) {
  const auto size = [](double need, double least, double most) {
    if (!std::isfinite(need)) need = most;
    return std::clamp(std::ceil(need), least, most);
  };
  const double w = size(frame.widthCm, minWidthCm, kMaxPictureWidthCm);
  const double h = size(frame.heightCm, minHeightCm, kMaxPictureHeightCm);
  if (w != pic.widthCm() || h != pic.heightCm()) pic.resize(w, h);
  pic.clear();
  setFrameView(pic, frame);
}

void drawTimeAxis(ui::Canvas& pic, const SeriesFrame& frame) {
  const ui::Color grey = ui::kGray;
  const double yAxis = pic.fromCmY(pic.heightCm() - 0.7);
  pic.line(0, yAxis, pic.widthCm(), yAxis, grey);
  // Years of the left and right edges, counted in Julian years from J2000.
  const auto yearAt = [&](double x) {
    return 2000 + (frame.JD0 + frame.daysOfX(x) - 2451545.0) / kYear;
  };
  const double step = roundStep(2 * frame.yearsPerCm);  // ticks at least 2 cm apart
  const double first = std::ceil(yearAt(0) / step) * step;
  const double last = yearAt(pic.widthCm());
  int n = 0;
  for (double year = first; year <= last && n < 500; year = first + (++n) * step) {
    const double x = frame.xOfDays(2451545.0 + (year - 2000) * kYear - frame.JD0);
    pic.line(x, yAxis, x, pic.fromCmY(pic.heightCm() - 0.55), grey);
    pic.text(x - 0.4, pic.fromCmY(pic.heightCm() - 0.5), screenNumber(year, 0), grey);
  }
}

void drawSeries(ui::Canvas& pic, const SeriesFrame& frame, const RecordSeries& series,
                ui::Color color, int textLine) {
  const int NP = series.NP;
  const int col = series.ParCol;
  const int pen = pic.pen();
  pic.setPen(4);
  for (int i = 1; i <= NP; ++i) pic.point(recordX(frame, series, i), series.Par[i][col], color);
  pic.setPen(1);
  if (NP >= 1) {
    vertical(pic, recordX(frame, series, 1), ui::kRed);
    vertical(pic, recordX(frame, series, NP), ui::kRed);
  }
  pic.setPen(pen);
  const auto texts = extremesText(series);
  for (std::size_t k = 0; k < texts.size(); ++k)
    textAtLine(pic, textLine + static_cast<int>(k), texts[k], color);
}

void drawPick(ui::Canvas& pic, const SeriesFrame& frame, const RecordSeries& series, int i) {
  if (i < 1 || i > series.NP) return;
  vertical(pic, recordX(frame, series, i), ui::kRed);
}

void drawFit(ui::Canvas& pic, const SeriesFrame& frame, const RecordSeries& series,
             const GroupFit& fit, double JDk0, bool textVes, bool textK, ui::Color color,
             int textLine) {
  const int NP = series.NP;
  if (NP < 1) return;
  // The group means.
  const auto labels = weightsText(fit);
  for (int g = 1; g <= fit.NG; ++g) {
    const double x = frame.xOfDays(fit.X[g] * kCentury + JDk0 - frame.JD0);
    const double r = 0.12 * fit.W[g];
    pic.circle(x, fit.Ybar[g], std::max(r, 0.03), ui::kMagenta);
    if (textVes) pic.text(x + r + 0.1, fit.Ybar[g], labels[static_cast<std::size_t>(g - 1)], color);
  }
  // The curve and its band, from dT(1) to dT(NP) + ddT(NP).
  const double d0 = series.dT[1], d1 = series.dT[NP] + series.ddT[NP];
  const double step = std::max(kFitStepDays, (d1 - d0) / kMaxCurveSteps);
  const double band = 2 * fit.Sigma;
  double px = 0, py = 0;
  bool first = true;
  for (double d = d0;; d += step) {
    if (d > d1) d = d1;
    const double X = (series.JD0 + d - JDk0) / kCentury;
    const double x = frame.xOfDays(series.JD0 - frame.JD0 + d), y = fitValue(fit, X);
    if (!first) {
      pic.line(px, py, x, y, color);
      pic.line(px, py + band, x, y + band, ui::kGreen);
      pic.line(px, py - band, x, y - band, ui::kGreen);
    }
    px = x;
    py = y;
    first = false;
    if (d >= d1) break;
  }
  int line = textLine;
  if (textVes) {
    textAtLine(pic, line++, labels[labels.size() - 2], color);
    textAtLine(pic, line++, labels[labels.size() - 1], color);
  }
  if (textK)
    for (const auto& t : equationText(fit)) textAtLine(pic, line++, t, color);
}

void drawSizes(ui::Canvas& pic, const ApproxResult& result, std::string_view unit) {
  pic.clear();
  const int n = result.NCPmax;
  if (n < 1) return;
  const double lo0 = result.dAlfaP100M - result.dAlfaP100S;
  const double hi0 = result.dAlfaP100M + result.dAlfaP100S;
  double lo = lo0, hi = hi0;
  for (int s = 1; s <= n; ++s) {
    lo = std::min(lo, result.dYs[s] - result.S2s[s]);
    hi = std::max(hi, result.dYs[s] + result.S2s[s]);
  }
  double margin = (hi - lo) * 0.15;
  if (!(margin > 0)) margin = std::max(1.0, std::fabs(hi) * 0.1);
  // 1.5 cm of text lines at the top, 1 cm for the size numbers at the bottom.
  const double H = pic.heightCm(), W = pic.widthCm();
  const double unitsPerCm = (hi - lo + 2 * margin) / std::max(1.0, H - 2.5);
  const double top = hi + margin + 1.5 * unitsPerCm;
  pic.setView(0, top, W, top - H * unitsPerCm);
  const double step = (W - 2) / n;
  const auto xOf = [&](int s) { return 1 + (s - 0.5) * step; };
  // The band of the criterion.
  pic.line(0.5, hi0, W - 0.5, hi0, ui::kRed);
  pic.line(0.5, lo0, W - 0.5, lo0, ui::kRed);
  pic.line(0.5, result.dAlfaP100M, W - 0.5, result.dAlfaP100M, ui::kGreen);
  const int every = static_cast<int>(std::ceil(0.8 / std::max(step, 1e-9)));
  const double yNumbers = pic.fromCmY(H - 0.6);
  for (int s = 1; s <= n; ++s) {
    const double x = xOf(s);
    pic.line(x, result.dYs[s] - result.S2s[s], x, result.dYs[s] + result.S2s[s],
             s == result.best ? ui::kMagenta : ui::kBlue);
    pic.circle(x, result.dYs[s], std::min(0.08, step / 3), ui::kBlue, true);
    if ((s - 1) % every == 0) pic.text(x - 0.15, yNumbers, std::to_string(s), ui::kGray);
  }
  textAtLine(pic, 0, result.criterionLine + "  " + std::string(unit), ui::kBlack);
  textAtLine(pic, 1, "dY(NCP0) +- 2*Sigma по размеру группы NCP0 = 1 .. " + std::to_string(n),
             ui::kGray);
}

void printLines(ui::Canvas& pic, const std::vector<std::string>& lines) {
  pic.clear();
  pic.setView(0, 0, pic.widthCm(), pic.heightCm());
  for (const auto& l : lines) pic.print(l);
}

}  // namespace orvant::statistics
