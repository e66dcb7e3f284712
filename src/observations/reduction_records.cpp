// The reduction's records: plan parameters of a pass, residual folding and rejection, the result
// row and its criterion, and the lines of the trace and bad-data files.
#include "observations/reduction.h"

#include <cmath>
#include <initializer_list>
#include <optional>
#include <string>

#include "astro/twobody.h"
#include "ephemeris/theory_kin.h"
#include "model/format.h"
#include "model/paths.h"

namespace orvant {

// ---- plan parameters ----

bool defaultPlanParameters(State& s, int I, const ExperimentTable& t, double JDep, bool epochJD) {
  (void)epochJD;  // the caller precesses parameters of the date
  const auto& p = t.par;
  if (!(p[1] > 0) || !(p[2] >= 0 && p[2] < 1)) return false;
  const double tc = (s.JD - JDep) / 36525;
  const double rad = 1 / s.kUgol;
  s.R0sr[I] = p[1];
  s.Eks0[I] = p[2];
  s.Betta0[I] = p[3] * rad;
  s.AlfaP0[I] = p[4] * rad + p[8] * tc;
  s.AlfaU0[I] = p[5] * rad + p[9] * tc;
  s.W0sr[I] = p[6] / (36525 * s.sekD);
  s.AlfaL[I] = p[7] * rad + p[6] * tc;
  return std::isfinite(s.AlfaL[I]) && std::isfinite(s.AlfaP0[I]) && std::isfinite(s.AlfaU0[I]);
}

// ---- small pieces ----

double foldResidual(double d) {
  if (d > 300) return d - 360;
  if (d < -300) return d + 360;
  return d;
}

bool acceptedByLimit(ObsCriterion c, double limit, double dL, double dR) {
  if (c == ObsCriterion::dR) return dR < limit;
  return std::fabs(dL * 3600) < limit;
}

void writeResultRow(const Accumulators& a, std::array<double, kExperimentCols>& row) {
  const double n = static_cast<double>(a.Nok);
  row[kColMeanDR] = a.sdR / n;
  row[kColMeanAbsDL] = a.sadL * 3600 / n;
  row[kColMeanAbsDB] = a.sadB * 3600 / n;
  row[kColRmsDR] = std::sqrt(a.sdR2 / n);
  row[kColRmsDL] = std::sqrt(a.sdL2 / n) * 3600;
  row[kColRmsDB] = std::sqrt(a.sdB2 / n) * 3600;
}

double criterionOf(const std::array<double, kExperimentCols>& row, ObsCriterion c, bool rms) {
  const ResultColumns cols = resultColumns(rms);
  return c == ObsCriterion::dR ? row[cols.dR] : row[cols.dL];
}

// ---- files ----

std::string tracePath(const State& s) {
  return paths::reductionTrace(s.ObsName, std::to_string(s.Npl), s.FileNo);
}

std::string badDataPath(const State& s) {
  return paths::badData(s.ObsName, std::to_string(s.Npl), s.FileNo);
}

std::string traceHeader(const State& s) {
  return "\nпланета  № " + std::to_string(s.Npl) + "   обсерватория " + s.ObsName +
         "\n\n\nдолгота и широта - юлианская дата наблюдения и операция, \n\n";
}

std::string badDataHeader(const State& s) {
  return "\nпланета  № " + std::to_string(s.Npl) + "   обсерватория " + s.ObsName +
         "\n\n\nдата наблюдения и отклонения по долготе (сек) широте (сек) и расстоянию "
         "(тыс.км.)\n\n";
}

namespace {
// The trace writes its numbers with formats of fixed width: a value a line cannot hold (not
// finite, or too long for its place) refuses the line.
bool traceable(std::initializer_list<double> values) {
  for (double v : values)
    if (!std::isfinite(v) || std::fabs(v) >= 1e15) return false;
  return true;
}
}  // namespace

std::optional<std::string> traceLine(const State& s, double L, double B, double JD,
                                     std::string_view label) {
  if (!traceable({L, B, s.DayNab, JD})) return std::nullopt;
  return formatMask(L, "000.000000000") + "  " + formatMask(B, "00.000000000") + "   " +
         formatMask(s.DayNab, "00.00") + "  " + std::to_string(s.MonthNab) + "  " +
         std::to_string(s.YearNab) + "  JD= " + screenNumber(JD) + std::string(label);
}

std::optional<std::string> traceObservationLine(const State& s, double Lnab, double Bnab, double JD) {
  if (!traceable({Lnab, Bnab, s.DayNab, JD})) return std::nullopt;
  return formatMask(Lnab, "000.000000000") + "  " + formatMask(Bnab, "00.000000000") + "  " +
         formatMask(s.DayNab, "00.00") + "  " + std::to_string(s.MonthNab) + "  " +
         std::to_string(s.YearNab) + "  JD= " + screenNumber(JD) +
         "  GEO EQU (GEO ECL) Nabl      ";
}

std::optional<std::string> badDataLine(const State& s, const PassResult& r) {
  const double values[] = {truncDecimals(s.DayNab, 6), static_cast<double>(s.MonthNab),
                           static_cast<double>(s.YearNab), fix(r.dL * 1000 * 3600) / 1000,
                           fix(r.dB * 1000 * 3600) / 1000, truncDecimals(r.dR, 1)};
  std::string line;
  for (double v : values) {
    if (!std::isfinite(v) || std::fabs(v) >= 1e15) return std::nullopt;
    line += (v < 0 ? "" : " ") + basicNumber(v) + " ";
  }
  return line;
}

}  // namespace orvant
