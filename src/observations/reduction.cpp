#include "observations/reduction.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "astro/apparent_place.h"
#include "astro/transform.h"
#include "astro/etut.h"
#include "ephemeris/perturbations.h"
#include "ephemeris/theory_kin.h"
#include "ephemeris/theory_planets.h"
#include "astro/twobody.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/input_check.h"
#include "model/paths.h"
#include "model/textfile.h"
#include "observations/obs_plan.h"

namespace orvant {

namespace {

constexpr int kEarth = 3, kMoon = 11, kObserver = 12, kEarthAside = 23;

bool finite3(const State& s, int k) {
  return std::isfinite(s.X[k]) && std::isfinite(s.Y[k]) && std::isfinite(s.Z[k]);
}

void copySlot(State& s, int to, int from) {
  s.X[to] = s.X[from];
  s.Y[to] = s.Y[from];
  s.Z[to] = s.Z[from];
}

void useMassSet(State& s, int k) {
  if (s.massSet != k) {
    setMassSet(s, k);
    s.gamma = gammaOfMassSet(k);
  }
}

// Slot N seen from `from` kept as its current place (Lk, Bk), the distance in R; false at a
// coincidence (nothing kept).
bool keepPlace(State& s, int from, int N, double& R) {
  const astro::Sph p = astro::sph(s, from, N);
  if (!p.ok) return false;
  astro::keep(s, N, p);
  R = p.R;
  return true;
}
bool keepPlace(State& s, int from, int N) {
  double R = 0;
  return keepPlace(s, from, N, R);
}

// The date text of a pass: "hh:mm - dd.mm.<year> года <era>".
std::string dateText(const State& s) {
  const EraYear e = eraOfYear(s.Year);
  return formatMask(s.Hh, "00") + ":" + formatMask(s.Mm, "00") + " - " +
         formatMask(fix(s.Day), "00") + "." + formatMask(s.Month, "00") + "." +
         std::to_string(e.year) + " года " + std::string(e.suffix);
}

}  // namespace

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

// ---- the run ----

ObservationRun::ObservationRun(State& s) : s_(s) {}

void ObservationRun::resetAccumulators() {
  acc_ = Accumulators{};
  passes_ = compared_ = rejected_ = 0;
  kW_ = criterion_ = 0;
}

void ObservationRun::requestStop() { s_.kStop = 1; }

bool ObservationRun::resume() {
  if (!started_) return false;
  s_.kStop = 0;
  return true;
}

bool ObservationRun::prepareOneStep() {
  if (!started_) return false;
  s_.kStop = 1;
  return true;
}

bool ObservationRun::fail() {
  s_.report(kMsgPassFailed, kTitle70);
  return false;
}

bool reductionInputsOk(const ReductionInputs& in) {
  const bool objectOk = in.Npl == 0 || in.Npl == 1 || in.Npl == 2 ||
                        (in.Npl >= 4 && in.Npl <= 9) || in.Npl == kMoon;
  const auto within = [](double v, const InputRange& r) {
    return checkNumber(v, r.lo, r.hi) && (v > r.lo || r.loIncluded);
  };
  return objectOk && in.CalType >= 0 && in.CalType <= 2 &&
         checkDate(in.Day, static_cast<double>(in.Month), static_cast<double>(in.Year)) &&
         checkWhole(static_cast<double>(in.YearEnd), -static_cast<std::int64_t>(kMaxYear),
                    static_cast<std::int64_t>(kMaxYear)) &&
         within(in.StepTab, kStepTabRange) && within(in.ObsL, kLongitudeRange) &&
         within(in.ObsB, kLatitudeRange) && within(in.Hpl, kAltitudeRange) &&
         within(in.Hsol, kAltitudeRange) && within(in.limit, kLimitRange) &&
         within(in.pauseMs, kPauseRange) && within(in.MT, kPictureScaleRange) &&
         within(in.MAlfa, kPictureScaleRange) && within(in.MdAlfa, kPictureScaleRange) &&
         within(in.MdR, kPictureScaleRange) && within(in.dY, kOffsetRange) &&
         within(in.Prec, kPrecessionRange);
}

bool ObservationRun::start(const ReductionInputs& in, ReductionObserver& obs) {
  State& s = s_;
  const bool tab = s.SrcKind != "Obs";
  // A.1: an observatory run that was stopped (or whose read failed) needs the file chosen again.
  if (!tab && s.kStop == 1) {
    s.report(kMsgReopen, kTitle70);
    return false;
  }
  // A.2
  s.kStop = 1;
  s.Npl = in.Npl;
  if (tab && s.ObsName.empty()) {
    s.report(kMsgChooseTable, kTitle70);
    return false;
  }
  if (!tab && s.ObsName.empty()) {
    s.report(kMsgChooseObs, kTitle70);
    return false;
  }
  if (in.Npl == kEarth) {
    s.report(kMsgEarthObserved, kTitle70);
    return false;
  }
  // A.3
  s.kStop = 0;
  if (!reductionInputsOk(in)) {
    s.report(kMsgBadInputs, kTitle70);
    return false;
  }
  s.CalType = in.CalType;
  s.Hour0 = in.Hour0;
  s.DateError = 0;
  const double JD = JDfromDate(s, in.Day, in.Month, in.Year);
  if (s.DateError != 0 || !std::isfinite(JD)) return false;  // the date's own message was shown
  in_ = in;
  tab_ = tab;
  s.JD = JD;
  s.JDep = JDep_ = JD;
  s.YearBeg = in.Year;
  s.YearEnd = in.YearEnd;
  s.ObsL = in.ObsL;
  s.ObsB = in.ObsB;
  s.Prec = in.Prec;
  live_ = LiveInputs{in.StepTab, in.limit, in.pauseMs, in.MT, in.MAlfa, in.MdAlfa, in.MdR};
  opt_ = obs.passOptions();
  // A.4
  for (std::size_t j = 1; j <= 9; ++j) exp_.row[0][j] = exp_.par[j];
  exp_.current = 0;
  resetAccumulators();
  last_ = PassResult{};
  s.JD = JDep_ - in.StepTab;
  s.X[15] = s.Y[15] = s.Z[15] = 0;
  // A.5
  classesOn_ = opt_.statistics;
  if (classesOn_) classes_.setUp(s, in.limit);
  // A.6
  if (opt_.files) {
    if (!tab && !GoodFileCreate(s, opt_.criterion)) return false;
    if (!writeFileAtomically(fullPath(s, badDataPath(s)), badDataHeader(s), true)) {
      s.report(kMsgBadInputs, kTitle70);
      return false;
    }
  }
  // A.7
  if (opt_.trace) {
    if (!writeFileAtomically(fullPath(s, tracePath(s)), traceHeader(s), true)) {
      s.report(kMsgBadInputs, kTitle70);
      return false;
    }
  }
  started_ = true;
  // A.8
  if (opt_.reject) obs.limitLines(*this);
  return true;
}

LoopEnd ObservationRun::loop(ReductionObserver& obs) {
  if (!started_) return LoopEnd::Failed;
  running_ = true;
  LoopEnd end = LoopEnd::Stopped;
  for (;;) {
    bool ended = false;
    if (!pass(obs, ended)) {
      end = LoopEnd::Failed;
      break;
    }
    // B.28
    if (ended) {
      if (exp_.current == 0) ObsRewind(s_);
      end = LoopEnd::SourceEnded;
      break;
    }
    if (s_.kStop == 1) break;
    if (opt_.pause) obs.pause(live_.pauseMs);
    if (tab_ && s_.YearNab > in_.YearEnd) {
      end = LoopEnd::YearPassed;
      break;
    }
    obs.processEvents();
    if (s_.kStop == 1) break;
  }
  running_ = false;
  return end;
}

bool ObservationRun::pass(ReductionObserver& obs, bool& sourceEnded) {
  opt_ = obs.passOptions();
  traceOn_ = opt_.trace;
  sourceEnded = false;
  double Lnab = 0, Bnab = 0;
  if (!sourceStep(obs, sourceEnded, Lnab, Bnab)) return false;
  if (sourceEnded) return true;
  return reduce(Lnab, Bnab, obs);
}

// One step of a table series in `s`: JD moves on by StepTab; `shown` gets the UT date of the
// step; YearNab .. HourNab become the table's date (its calendar and meridian). False when a
// date cannot be formed.
template <class Shown>
bool ObservationRun::tableStep(State& s, Shown shown) const {
  const double whole = fix(s.JD);
  s.JD = whole + (s.JD - whole) + live_.StepTab;
  s.CalType = 0;
  s.Hour0 = 0;
  if (!DateFromJD(s, s.JD)) {
    s.CalType = in_.CalType;
    s.Hour0 = in_.Hour0;
    return false;
  }
  DayToHMS(s, s.Day);
  const std::string text = dateText(s);
  s.CalType = in_.CalType;
  s.Hour0 = in_.Hour0;
  if (!DateFromJD(s, s.JD)) return false;
  shown(text);
  const double day = s.Day + in_.ObsL / 15 / 24;
  if (!NormDate(s, day, s.Month, s.Year)) return false;
  s.YearNab = s.Year;
  s.MonthNab = s.Month;
  s.DayNab = s.Day;
  s.HourNab = (s.Day - fix(s.Day)) * 24;
  return true;
}

// The table dates of the coming steps are known: unless the engine already answered for the
// date of this step, the dates of the next steps (to the end year) are evaluated in one request,
// and TabEval takes its values from there. The batches grow from kFirstTableBatch to
// kLastTableBatch dates, so that the first results show at once. A step changed meanwhile (the
// field is read at display points) only means dates that are not asked for.
void ObservationRun::prefetchTable() {
  const std::vector<int> objects{s_.Npl};
  if (TabPrefetched(s_, tabDateNow(s_), objects)) return;
  auto ahead = std::make_unique<State>(s_);
  ahead->sink = nullptr;  // a date that cannot be formed ends the batch silently
  std::vector<TabDate> dates{tabDateNow(s_)};
  while (static_cast<int>(dates.size()) < tableBatch_ && ahead->YearNab <= in_.YearEnd &&
         tableStep(*ahead, [](const std::string&) {}))
    dates.push_back(tabDateNow(*ahead));
  TabPrefetch(s_, dates, objects);
  tableBatch_ = std::min(2 * tableBatch_, kLastTableBatch);
}

// B.1: the next record or table step; State::JD is the date of the observation.
bool ObservationRun::sourceStep(ReductionObserver& obs, bool& ended, double& Lnab,
                                double& Bnab) {
  State& s = s_;
  const int N = s.Npl;
  if (tab_) {
    if (!tableStep(s, [&](const std::string& text) { obs.sourceDate(*this, text); }))
      return fail();
    prefetchTable();
    if (!TabEval(s, opt_.precTab)) return false;  // its message was shown, kStop = 1
    Lnab = s.Lk[N];
    Bnab = s.Bk[N];
    return true;
  }
  double JD = 0;
  for (;;) {
    if (!ObsReadNext(s, opt_.criterion)) {
      if (s.kEnd == 1) {
        ended = true;
        return true;
      }
      return false;  // the read error was shown, kStop = 1
    }
    if (!NormDate(s, s.DayNab, s.MonthNab, s.YearNab)) return fail();
    s.DateError = 0;
    JD = JDfromDate(s, s.Day, s.Month, s.Year);
    if (s.DateError != 0) return false;
    if (JD >= JDep_) break;
  }
  const double L = s.Lk[N], B = s.Bk[N];
  s.JD = JD;
  DayToHMS(s, s.Day);
  obs.sourceDate(*this, dateText(s));
  Lnab = L;
  Bnab = B;
  return true;
}

bool ObservationRun::traceValues(double L, double B, std::string_view label) {
  if (!traceOn_) return true;
  const auto line = traceLine(s_, L, B, s_.JD, label);
  return line && appendLineWhole(fullPath(s_, tracePath(s_)), *line);
}

bool ObservationRun::trace(int I, std::string_view label) {
  return traceValues(s_.Lk[I], s_.Bk[I], label);
}

void ObservationRun::row(PassResult& r, int k, int I) {
  r.rowL[static_cast<std::size_t>(k)] = s_.Lk[I];
  r.rowB[static_cast<std::size_t>(k)] = s_.Bk[I];
  r.rowSet[static_cast<std::size_t>(k)] = true;
}

// The position and velocity of object I from the parameters its theory left.
bool ObservationRun::elementsToState(int I) {
  return positionFromParameters(s_, I) && velocityFromParameters(s_, I) && finite3(s_, I) &&
         std::isfinite(s_.VX[I]) && std::isfinite(s_.VY[I]) && std::isfinite(s_.VZ[I]);
}

// The perturbation plan of the linked plan: coefficients 1..8 of the chosen perturber are
// parameters 2..9 of the experiment row being processed (row 0 outside a series).
void ObservationRun::setPertPlan() {
  if (!link_.plan || !link_.plan->pert) {
    s_.PertPlan.reset();
    return;
  }
  const auto& row = exp_.row[static_cast<std::size_t>(exp_.current)];
  State::PertPlanRow r;
  r.Npl = s_.Npl;
  r.k = link_.plan->pertNo;
  for (std::size_t j = 1; j <= 8; ++j) r.par[j] = row[j + 1];
  s_.PertPlan = r;
}

// Step 7: the Earth (I = 3).
bool ObservationRun::earthFromTheory(const PassOptions& o, double JDsave) {
  State& s = s_;
  if (s.Npl == 0 && o.planet == PlanetTheory::Plan) {
    useMassSet(s, 3);
    s.JD = JDsave;
    if (!link_.parameters(s, kEarth, exp_, JDep_, o.epochJD) || !elementsToState(kEarth)) return false;
    if (o.epochJD) {
      s.I = kEarth;
      ApplyPrec(s);
    }
    return true;
  }
  switch (o.earth) {
    case EarthTheory::JPL0:
      useMassSet(s, 2);
      s.JD = s.JDE;
      ThJ2000(s, kEarth);
      break;
    case EarthTheory::Kin0:
      useMassSet(s, 3);
      s.JD = JDsave;
      ThKin0(s, kEarth);
      break;
    case EarthTheory::Kin0p:
      useMassSet(s, 3);
      s.JD = JDsave;
      ThKin0p(s, kEarth);
      break;
  }
  return elementsToState(kEarth);
}

// Step 9: the Moon (I = 11) about the Earth.
bool ObservationRun::moonFromTheory(const PassOptions& o, double JDsave) {
  State& s = s_;
  s.kodMoon = 1;
  bool ok = true;
  if (s.Npl == kMoon && o.planet == PlanetTheory::Plan) {
    useMassSet(s, 3);
    s.JD = JDsave;
    ok = link_.parameters(s, kMoon, exp_, JDep_, o.epochJD) && elementsToState(kMoon);
    if (ok && o.epochJD) {
      s.I = kMoon;
      ApplyPrec(s);
    }
  } else if (o.earth == EarthTheory::JPL0) {
    useMassSet(s, 2);
    s.JD = s.JDE;
    ThJ2000(s, kMoon);
    ok = elementsToState(kMoon);
    if (ok) {  // the lunar elements of the date brought to J2000 (Pmat of step 5)
      s.I = kMoon;
      ApplyPrec(s);
    }
  } else {
    useMassSet(s, 3);
    s.JD = JDsave;
    if (o.earth == EarthTheory::Kin0)
      ThKin0(s, kMoon);
    else
      ThKin0p(s, kMoon);
    ok = elementsToState(kMoon);
  }
  s.kodMoon = 0;
  s.JD = JDsave;
  return ok;
}

// Step 11: the observed planet.
bool ObservationRun::planetFromTheory(const PassOptions& o, double JDsave) {
  State& s = s_;
  const int N = s.Npl;
  s.kodMoon = 0;
  switch (o.planet) {
    case PlanetTheory::Plan:
      useMassSet(s, 3);
      s.JD = JDsave;
      if (!link_.parameters(s, N, exp_, JDep_, o.epochJD) || !elementsToState(N)) return false;
      if (o.epochJD) {
        s.I = N;
        ApplyPrec(s);
      }
      return true;
    case PlanetTheory::JPL0:
      useMassSet(s, 2);
      s.JD = s.JDE;
      ThJ2000(s, N);
      break;
    case PlanetTheory::Kin0:
      useMassSet(s, 3);
      s.JD = JDsave;
      if (o.earth == EarthTheory::Kin0)
        ThKin0(s, N);
      else if (o.earth == EarthTheory::Kin0p)
        ThKin0p(s, N);
      // with the Earth by JPL0 the Kin0+ elements of step 6 stay
      break;
  }
  return elementsToState(N);
}

// Steps 5-11: the heliocentric ecliptic J2000 positions and velocities of the Sun (0), the Earth
// (3), the Moon (11) and the body Npl; Lk, Bk of each.
bool ObservationRun::theoryPositions(const PassOptions& o, double JDsave) {
  State& s = s_;
  const int N = s.Npl;
  const double T = (JDsave - s.JD2000) / 36525;
  const double Vx = 1000 * s.VXsys, Vy = 1000 * s.VYsys, Vz = 1000 * s.VZsys;
  // 5
  PrecEcl(s, T, 0);
  // 6: the Kin0+ elements of all planets (mean angles of the perturbations)
  s.JD = JDsave;
  for (int i = 1; i <= 9; ++i) ThKin0p(s, i);
  // 7, 8: the Earth
  if (!earthFromTheory(o, JDsave)) return false;
  s.JD = JDsave;
  double R3 = 0;
  if (!keepPlace(s, 0, kEarth, R3)) return false;
  if (!trace(kEarth, "  Zem Gelio Ecl J2000  ")) return false;
  if (o.dLzl) {
    if (!PlanetPert(s, kEarth, PlanOverride::On)) return false;
    XYZfromSph(s, kEarth, s.Lk[kEarth], s.Bk[kEarth], R3);
    if (!trace(kEarth, "  Zem_dLdB    GEЛИO ECL JD-J2000 ")) return false;
  }
  // 9: the Moon
  if (!moonFromTheory(o, JDsave)) return false;
  double R11 = 0;
  if (!keepPlace(s, 0, kMoon, R11)) return false;
  if (!trace(kMoon, "  Moon  GEO ECL JD-J2000 ")) return false;
  if (o.dLzl) {
    if (!MoonPert(s)) return false;
    XYZfromSph(s, kMoon, s.Lk[kMoon], s.Bk[kMoon], R11);
    if (!trace(kMoon, " MOON_dLdB_012    GEO ECL JD-J2000 ")) return false;
  }
  // 10: from the barycentre of the Earth and the Moon to the Earth; the Moon heliocentric
  const double f = s.m[kMoon] / s.m[13];
  s.X[kEarth] -= f * s.X[kMoon];
  s.Y[kEarth] -= f * s.Y[kMoon];
  s.Z[kEarth] -= f * s.Z[kMoon];
  s.VX[kEarth] += Vx;
  s.VY[kEarth] += Vy;
  s.VZ[kEarth] += Vz;
  s.X[kMoon] += s.X[kEarth];
  s.Y[kMoon] += s.Y[kEarth];
  s.Z[kMoon] += s.Z[kEarth];
  s.VX[kMoon] += s.VX[kEarth];
  s.VY[kMoon] += s.VY[kEarth];
  s.VZ[kMoon] += s.VZ[kEarth];
  if (!keepPlace(s, kEarth, kMoon)) return false;
  if (!trace(kMoon, "  Moon  GEO ECL J2000 ")) return false;
  if (!keepPlace(s, 0, kEarth)) return false;
  if (!trace(kEarth, "  Zem Gelio Ecl J2000  ")) return false;
  // 11: the observed planet
  if (N != 0 && N != kMoon) {
    if (!planetFromTheory(o, JDsave)) return false;
    s.JD = JDsave;
    s.VX[N] += Vx;
    s.VY[N] += Vy;
    s.VZ[N] += Vz;
    double RN = 0;
    if (!keepPlace(s, 0, N, RN)) return false;
    if (!trace(N, "  Ras Gelio Ecl     ")) return false;
    if (o.dLp) {
      if (!PlanetPert(s, N, PlanOverride::On)) return false;
      XYZfromSph(s, N, s.Lk[N], s.Bk[N], RN);
      if (!trace(N, "  Planeta_dLdB    GEO ECL JD-J2000 ")) return false;
    }
  }
  s.JD = JDsave;
  return true;
}

// C: the visibility test on the ecliptic-of-date positions of step 13.
bool ObservationRun::visibilityTest(const PassOptions& o, double T, double LST, PassResult& r) {
  State& s = s_;
  const int N = s.Npl;
  // 1
  astro::geocentric(s, kEarth, N);
  // 2: altitude and azimuth of object I
  auto horizontal = [&](int I, double& A, double& H, double* unit) {
    s.I = I;
    EclToEqu(s, T);
    s.X[I] -= s.X[kObserver];
    s.Y[I] -= s.Y[kObserver];
    s.Z[I] -= s.Z[kObserver];
    double dist = 0;
    if (!keepPlace(s, kEarth, I, dist)) return false;
    s.Tau = LST - s.Lk[I];
    if (s.Tau < 0) s.Tau += 360;
    EquToHor(s, I);
    const astro::Sph hor = astro::sph(s, kEarth, I);
    if (!hor.ok) return false;
    s.Agor = hor.L;
    s.Hgor = hor.B;
    XYZfromSph(s, I, s.Agor, s.Hgor, dist);
    if (s.Agor > 180) s.Agor -= 360;
    const double a = s.Agor / s.kUgol, h = s.Hgor / s.kUgol;
    unit[0] = std::cos(h) * std::cos(a);
    unit[1] = std::cos(h) * std::sin(a);
    unit[2] = std::sin(h);
    A = s.Agor;
    H = s.Hgor;
    return true;
  };
  if (!horizontal(N, r.Agor, r.Hgor, r.horBody)) return false;
  // 3
  if (r.Hgor < in_.Hpl) r.visible = false;
  // 4: the Sun
  if (N != 0) {
    double A = 0;
    if (!horizontal(0, A, r.HgorSun, r.horSun)) return false;
    if (o.sunTest && r.HgorSun > in_.Hsol) r.visible = false;
    s.Agor = r.Agor;
    s.Hgor = r.Hgor;
  } else {
    r.HgorSun = r.Hgor;
    for (int k = 0; k < 3; ++k) r.horSun[k] = r.horBody[k];
  }
  return true;
}

// Steps 25 (residuals, classes) and 26 (rejection, accumulators, the result row).
void ObservationRun::compare(const PassOptions& o, PassResult& r) {
  State& s = s_;
  const int N = s.Npl;
  r.dL = foldResidual(r.Lras - r.Lnab);
  r.dB = foldResidual(r.Bras - r.Bnab);
  XYZfromSph(s, N, r.Lnab, r.Bnab, r.R);
  const double dx = s.X[N] - r.Xras, dy = s.Y[N] - r.Yras, dz = s.Z[N] - r.Zras;
  r.dR = std::sqrt(dx * dx + dy * dy + dz * dz) / s.MK;
  r.compared = true;
  ++compared_;
  if (classesOn_ && o.statistics) classes_.classify(r.dL, r.dB, r.dR);
  r.accepted = !o.reject || acceptedByLimit(o.criterion, live_.limit, r.dL, r.dR);
  if (!r.accepted) {
    ++rejected_;
    return;
  }
  Accumulators& a = acc_;
  a.Nok += 1;
  if (o.countL && r.dL > 0) a.Npos += 1;
  if (o.countB && r.dB > 0) a.Npos += 1;
  a.sJD += r.JD;
  a.JDmean = a.sJD / static_cast<double>(a.Nok);
  a.sdR += r.dR;
  a.sdR2 += r.dR * r.dR;
  a.sdL += r.dL;
  a.sadL += std::fabs(r.dL);
  a.sdL2 += r.dL * r.dL;
  a.sdB += r.dB;
  a.sadB += std::fabs(r.dB);
  a.sdB2 += r.dB * r.dB;
  auto& resultRow = exp_.row[static_cast<std::size_t>(exp_.current)];
  writeResultRow(a, resultRow);
  criterion_ = criterionOf(resultRow, o.criterion, o.rms);
  if (criterion_ != 0 && std::isfinite(criterion_)) {
    double kW = 1 / criterion_;
    if (o.kVes && !tab_) {
      const double Ny = static_cast<double>(in_.YearEnd) - static_cast<double>(s.YearBeg);
      kW = (Ny / 100 + 1) * (static_cast<double>(a.Nok) / 1000 + 1) * kW;
    }
    kW_ = kW;
    exp_.par[10] = kW;
  }
}

// Steps 16-24: the apparent place of the body of the date for the observer, with the chain of
// astro/apparent_place.h in the order of the reduction; every step traced and shown as a row.
bool ObservationRun::apparentPlace(const PassOptions& o, double T, double LST, int aside,
                                   PassResult& r) {
  State& s = s_;
  const int N = s.Npl;
  // `step` keeps the place of N that the last operation left and traces it.
  auto step = [&](const astro::Sph& p, std::string_view label) {
    astro::keep(s, N, p);
    return p.ok && trace(N, label);
  };
  // 16: geocentric J2000
  s.X[0] = s.Y[0] = s.Z[0] = 0;
  copySlot(s, kEarth, kEarthAside);
  copySlot(s, N, aside);
  astro::geocentric(s, kEarth, N);
  astro::Sph p = astro::sph(s, kEarth, N);
  astro::keep(s, N, p);
  r.R = p.R;
  r.Tlight = r.R / s.Vsv;
  bool ok = p.ok && trace(N, "  Ras GEO ECL J2000   ");
  row(r, kRowGeoEclJ2000, N);
  const double L16 = s.Lk[N];
  double L17 = L16;
  // 17: light time
  if (ok && o.aberrSource) {
    ok = step(astro::lightTime(s, kEarth, N, r.Tlight, s.Vsv, 3), "  GEO ECL Ras Apl    ");
    L17 = s.Lk[N];
    row(r, kRowAberrSource, N);
  }
  double L18 = L17;
  // 18: aberration of the receiver
  if (ok && o.aberrObserver) {
    astro::receiverAberration(s, kEarth, N, r.Tlight);
    ok = step(astro::sph(s, kEarth, N), "  GEO ECL Ras Azv    ");
    L18 = s.Lk[N];
    row(r, kRowAberrObserver, N);
  }
  r.aberrSource = foldResidual(L17 - L16) * 3600;
  r.aberrObserver = foldResidual(L18 - L17) * 3600;
  r.aberrBoth = foldResidual(L18 - L16) * 3600;
  // 19: to the ecliptic of the date
  if (ok) {
    astro::toEquinoxOfDate(s, N, T);
    ok = step(astro::sph(s, kEarth, N), "  J2000 -> JD   ");
  }
  // 20: to the equator of the date
  if (ok) {
    astro::toEquator(s, N, T);
    ok = step(astro::sph(s, kEarth, N), "  GEO ECL -> GEO EQU   ");
    row(r, kRowGeoEquJD, N);
  }
  // 21: parallax
  if (ok && o.parallax) {
    s.X[N] -= s.X[kObserver];
    s.Y[N] -= s.Y[kObserver];
    s.Z[N] -= s.Z[kObserver];
    ok = step(astro::sph(s, kEarth, N), "  GEO EQU Ras Par   ");
    row(r, kRowParallax, N);
  }
  // 22: refraction, for the observer's place (the geocentric direction is refracted as the
  // observer sees it and carried back to the geocentre)
  if (ok && o.refraction) {
    ok = astro::refractEquatorial(s, kEarth, N, kObserver, LST, o.parallax, r.R).ok &&
         trace(N, "  GEO EQU Ras Ref   ");
    row(r, kRowRefraction, N);
  }
  // 23: nutation
  if (ok && o.nutation) {
    astro::nutation(s, N, T);
    ok = step(astro::sph(s, kEarth, N), "  GEO EQU Ras Nut   ");
    row(r, kRowNutation, N);
  }
  // 24: tables: the ecliptic of the date
  if (ok && tab_) {
    s.I = N;
    EquToEcl(s, T);
    ok = step(astro::sph(s, kEarth, N), "  GEO EQU -> GEO ECL   ");
  }
  if (!ok) return false;
  r.Lras = s.Lk[N];
  r.Bras = s.Bk[N];
  r.Xras = s.X[N];
  r.Yras = s.Y[N];
  r.Zras = s.Z[N];
  row(r, kRowRas, N);
  if (!traceOn_) return true;
  const auto line = traceObservationLine(s, r.Lnab, r.Bnab, r.JD);
  return line && appendLineWhole(fullPath(s, tracePath(s)), *line) &&
         appendLineWhole(fullPath(s, tracePath(s)), "");
}

bool ObservationRun::reduce(double Lnab, double Bnab, ReductionObserver& obs) {
  State& s = s_;
  const PassOptions& o = opt_;
  const int N = s.Npl;
  PassResult r;
  ++passes_;
  // 2
  r.Lnab = Lnab;
  r.Bnab = Bnab;
  r.rowL[kRowNab] = Lnab;
  r.rowB[kRowNab] = Bnab;
  r.rowSet[kRowNab] = true;
  // 3
  s.X[0] = s.Y[0] = s.Z[0] = 0;
  s.VX[0] = 1000 * s.VXsys;
  s.VY[0] = 1000 * s.VYsys;
  s.VZ[0] = 1000 * s.VZsys;
  const double JDsave = s.JD;
  JDsave_ = JDsave;
  r.JD = JDsave;
  // 4
  s.ETUT = ETUTsel(s, 1, JDsave);
  s.JDE = JDsave + s.ETUT / 24 / 3600;
  r.ETUT = s.ETUT;
  s.kodBary = 0;
  s.kodMoon = 0;
  const double T = (JDsave - s.JD2000) / 36525;
  // 5-11 (the perturbation plan's row for PlanetPert first)
  setPertPlan();
  if (!theoryPositions(o, JDsave)) {
    s.JD = JDsave;
    s.kodMoon = 0;
    last_ = r;
    return fail();
  }
  // 12: sidereal time and the observer
  s.JD = JDsave;
  double g = GMST(JDsave - 2400000.5) / 24;
  double gst = FracPos(g) * 24;
  double lstH = in_.ObsL / 15 + gst;
  if (lstH > 24) lstH -= 24;
  const double LST = lstH * 15;
  XYZfromSph(s, kObserver, LST, in_.ObsB, kObserverRadius);
  // 13: the J2000 positions aside, the ecliptic of the date for the views and the visibility
  const int aside = N + 20;
  copySlot(s, kEarthAside, kEarth);
  copySlot(s, aside, N);
  astro::toEquinoxOfDate(s, kEarth, T);
  astro::toEquinoxOfDate(s, N, T);
  r.Xe = s.X[kEarth];
  r.Ye = s.Y[kEarth];
  r.Xb = s.X[N];
  r.Yb = s.Y[N];
  // 14
  if (!o.noAnimation) obs.orbitView(*this, r);
  // 15
  r.visible = true;
  if (o.visibility) {
    if (!visibilityTest(o, T, LST, r)) {
      last_ = r;
      return fail();
    }
  }
  bool ok = true;
  if (r.visible) {
    ok = apparentPlace(o, T, LST, aside, r);
    ok = ok && std::isfinite(r.Lras) && std::isfinite(r.Bras) && std::isfinite(r.R);
    if (!ok) {
      last_ = r;
      return fail();
    }
    // 25, 26
    compare(o, r);
    if (!std::isfinite(r.dR)) {
      last_ = r;
      return fail();
    }
    if (!r.accepted && o.files) {
      const auto line = badDataLine(s, r);
      if (!line || !appendLineWhole(fullPath(s, badDataPath(s)), *line)) {
        last_ = r;
        return fail();
      }
    }
    if (r.accepted && o.files && !tab_) {
      if (!GoodFileAppend(s, o.criterion)) {
        last_ = r;
        return false;  // its message was shown
      }
    }
  }
  last_ = r;
  obs.passDone(*this, r);
  // 27
  if (auto live = obs.liveInputs()) {
    const auto take = [](double typed, double& used, const InputRange& r) {
      if (const auto v = checkNumber(typed, r.lo, r.hi); v && (*v > r.lo || r.loIncluded)) used = *v;
    };
    take(live->StepTab, live_.StepTab, kStepTabRange);
    take(live->limit, live_.limit, kLimitRange);
    take(live->pauseMs, live_.pauseMs, kPauseRange);
    take(live->MT, live_.MT, kPictureScaleRange);
    take(live->MAlfa, live_.MAlfa, kPictureScaleRange);
    take(live->MdAlfa, live_.MdAlfa, kPictureScaleRange);
    take(live->MdR, live_.MdR, kPictureScaleRange);
  }
  s.JD = JDsave;
  return true;
}

}  // namespace orvant
