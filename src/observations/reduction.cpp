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
#include "observations/reduction_detail.h"

namespace orvant {

using namespace reduction_detail;

namespace {

// The date text of a pass: "hh:mm - dd.mm.<year> года <era>".
std::string dateText(const State& s) {
  const EraYear e = eraOfYear(s.Year);
  return formatMask(s.Hh, "00") + ":" + formatMask(s.Mm, "00") + " - " +
         formatMask(fix(s.Day), "00") + "." + formatMask(s.Month, "00") + "." +
         std::to_string(e.year) + " года " + std::string(e.suffix);
}

}  // namespace

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
