// The reduction of screen 10: a theory's position of the observed body taken to what an observer
// on the Earth measured, compared with an observation of the chosen source (sources.h).
//
// For every observation (one pass) the theory gives heliocentric ecliptic coordinates of J2000 of
// the Earth, the Moon and the observed body; the pass takes them to the geocentre, applies the
// light time (aberration of the source) and the aberration of the receiver with the velocities
// of the bodies including the absolute velocity of the whole system (VXsys.., km/s), precesses to
// the ecliptic of the date, turns to the equator of the date and applies, as the screen asks, the
// parallax of the observer, the refraction and the nutation. Observatory records are compared in
// right ascension and declination of the date, table values in ecliptic longitude and latitude of
// the date. The residuals dL, dB (degrees, folded into -300..300) and dR (thousand km) of every
// visible observation are classed (residual_classes.h), tested against the limit, and the
// accepted ones summed into the means that form the criterion of an experiment.
//
// The run is headless: the screen (observation_screen.h) and `orvant-cli reduce` read their
// fields into ReductionInputs and PassOptions and hand an observer to the loop:
//
//   ObservationRun run(state);
//   if (run.start(inputs, observer)) run.loop(observer);   // "Начать"
//   run.requestStop();                                     // "Остановить"
//   run.resume(observer); run.loop(observer);              // "Продолжить"
//   run.prepareOneStep(); run.loop(observer);              // "Сделать 1 шаг"
//
// The pass works on the shared arrays of the State with the coordinate operations (transform.h)
// in the order of the reduction; it allocates nothing and writes no file unless the trace or the
// Bad_data and Good files are asked for.
//
// Sources of the formulas: the coordinate operations of astro/transform.h (IAU 1976
// precession, the low-precision nutation, the mean obliquity), light time by three iterations
// of the linear retardation P(t - tau) = P(t) - V tau, and the classical (first-order)
// aberration P + tau V_observer (e.g. Explanatory Supplement to the Astronomical Almanac, 1992,
// ch. 3.25, 3.252).
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/state.h"
#include "observations/residual_classes.h"
#include "observations/sources.h"

namespace orvant {

// ---- messages (title "Orvant7.0") ----
inline constexpr std::string_view kMsgReopen = "Надо открыть файл снова";
inline constexpr std::string_view kMsgChooseTable = "Выберете имитатор";
inline constexpr std::string_view kMsgChooseObs = "Выберете обсерваторию";
inline constexpr std::string_view kMsgEarthObserved = "Землю не наблюдали";
inline constexpr std::string_view kMsgBadInputs = "Введите правильно данные";
inline constexpr std::string_view kMsgPassFailed = "Ошибка решения уравнений";

// Radius of the Earth at which the observer stands, m.
inline constexpr double kObserverRadius = 6378140;

// Theory of the observed planet: option group "параметры орбит планет (p)".
enum class PlanetTheory { JPL0 = 0, Kin0 = 1, Plan = 2 };
// Theory of the Earth and the Moon: "когда Земля (z) и Луна (l) по".
enum class EarthTheory { JPL0 = 0, Kin0 = 1, Kin0p = 2 };

// The boxes of screen 10 read at "Начать" (A.3). Angles in degrees.
struct ReductionInputs {
  int32 Npl = 11;             // "объект №"
  double Day = 1.5;           // start date: day with fraction, month, year ("DMY")
  int32 Month = 1, Year = 2000;
  int16 CalType = 0;          // "календарь": 0 Gregorian, 1 Julian, 2 Egyptian
  double Hour0 = 0;           // "время от": 0 or 12
  int32 YearEnd = 2000;       // "до ... года"
  double StepTab = 1.28;      // "шаг Tab, дни" (> 0)
  double ObsL = 0, ObsB = 0;  // "ObsL, град", "ObsB, град"
  double Hpl = 1;             // "когда Hpl>"
  double Hsol = -0.2;         // the field beside "++Hsol<"
  double limit = 200;         // dRmax (thousand km) or dLmax (arc seconds)
  double pauseMs = 1000;      // the field beside "пауза"
  double MT = 1, MAlfa = 90, MdAlfa = 100, MdR = 50;  // the scales of the residual picture
  float dY = 0;               // "dY, см"
  double Prec = 5030;         // "Прецессия, сек"
};

// The ranges of the numbers of a reduction, at start and when re-read after a pass. Beyond them
// a box is refused: they keep every figure finite and every written number short, and the pause
// within a minute.
struct InputRange {
  double lo, hi;
  bool loIncluded = true;  // false: lo itself is refused (a step or a scale of 0)
};
inline constexpr InputRange kStepTabRange{0, 1e6, false};         // days
inline constexpr InputRange kLongitudeRange{-360, 360};            // degrees
inline constexpr InputRange kLatitudeRange{-90, 90};               // degrees
inline constexpr InputRange kAltitudeRange{-180, 180};             // Hpl, Hsol: beyond ±90 never/always
inline constexpr InputRange kLimitRange{0, 1e9};                   // thousand km or arc seconds
inline constexpr InputRange kPauseRange{0, 60000};                 // milliseconds
inline constexpr InputRange kPictureScaleRange{0, 1e12, false};    // MT, MAlfa, MdAlfa, MdR
inline constexpr InputRange kOffsetRange{-1000, 1000};             // dY, cm
inline constexpr InputRange kPrecessionRange{-1e6, 1e6};           // arc seconds per century

// True when every box of a reduction holds a value it may run with: the object, the date (the
// shared date check), the years, and each number within its range.
bool reductionInputsOk(const ReductionInputs& in);

// The boxes re-read after every pass (B.27): an invalid value keeps the one in use.
struct LiveInputs {
  double StepTab = 1.28;
  double limit = 200;
  double pauseMs = 1000;
  double MT = 1, MAlfa = 90, MdAlfa = 100, MdR = 50;
};

// The options read at every pass.
struct PassOptions {
  PlanetTheory planet = PlanetTheory::JPL0;
  EarthTheory earth = EarthTheory::JPL0;
  bool epochJD = false;        // "параметры в эпохе": "JD" (else "J2000")
  bool dLzl = false, dLp = false;
  bool aberrSource = true, aberrObserver = true;
  bool parallax = false, refraction = false, nutation = true;
  bool visibility = false, sunTest = false;  // "+Видимость", "++Hsol<"
  ObsCriterion criterion = ObsCriterion::dR;
  bool reject = false;         // "+ dRmax, dLmax <="
  bool rms = false;            // "+ Sqr(E(dR^2)/N)"
  bool kVes = false;           // "+kVes="
  bool statistics = false;     // "+Статистика"
  bool files = false;          // "++File Bad, Good №"
  bool trace = false;          // "+File Отладка"
  bool precTab = false;        // "+/-прецесс Tab*" (the table source)
  bool countL = true, countB = true;  // "L-долгота", "B-широта (градусы)" (Npos)
  bool noAnimation = true;     // "без анимации"
  bool pause = false;          // "пауза"
};

// The rows of the reduction shown on the screen (longitude or right ascension, latitude or
// declination after each step), in the order of the pass.
enum ReductionRow {
  kRowNab = 0,       // the observation
  kRowGeoEclJ2000,   // step 16
  kRowAberrSource,   // step 17
  kRowAberrObserver, // step 18
  kRowGeoEquJD,      // step 20
  kRowParallax,      // step 21
  kRowRefraction,    // step 22
  kRowNutation,      // step 23
  kRowRas,           // the final theory position (step 24)
  kRowCount
};

// What one pass found.
struct PassResult {
  double JD = 0;              // the date of the pass (UT)
  double ETUT = 0;            // ET - UT, s
  double Lnab = 0, Bnab = 0;  // the observation, degrees
  double Lras = 0, Bras = 0;  // the reduced theory, degrees
  double Xras = 0, Yras = 0, Zras = 0;  // the theory's final position, m
  double R = 0;               // geocentric distance after step 16, m
  double Tlight = 0;          // light time, s
  double dL = 0, dB = 0;      // residuals, degrees, folded into -300..300
  double dR = 0;              // thousand km
  bool visible = true;
  bool compared = false;      // residuals formed (visible)
  bool accepted = false;
  double Agor = 0, Hgor = 0;  // azimuth (-180..180) and altitude of the body (visibility test)
  double HgorSun = 0;
  // Aberration in longitude, arc seconds: of the source (17 - 16), of the receiver (18 - 17),
  // both (18 - 16).
  double aberrSource = 0, aberrObserver = 0, aberrBoth = 0;
  std::array<double, kRowCount> rowL{}, rowB{};
  std::array<bool, kRowCount> rowSet{};
  // Ecliptic-of-date positions of the Earth and the body from the Sun after step 13, m (the orbit
  // view), and the horizontal unit vectors of the body and the Sun (the horizon view).
  double Xe = 0, Ye = 0, Xb = 0, Yb = 0;
  double horBody[3] = {0, 0, 0}, horSun[3] = {0, 0, 0};
};

// The run accumulators (reset by "Начать" and before each experiment of a plan).
struct Accumulators {
  long Nok = 0;      // accepted observations
  long Npos = 0;     // accepted with dL > 0 (when counted) plus those with dB > 0
  double sdL = 0, sdB = 0;      // sums, degrees
  double sadL = 0, sadB = 0;    // sums of absolute values
  double sdL2 = 0, sdB2 = 0, sdR2 = 0;  // sums of squares
  double sdR = 0;    // sum of dR, thousand km
  double sJD = 0;    // sum of the dates
  double JDmean = 0;
};

// The experiment result table (one row per plan experiment 0..91, row 0 outside a plan) and the
// current parameter row of the plan (parameters 1..9 of the orbit, 10 the weight kW).
inline constexpr int kExperimentRows = 92;
inline constexpr int kExperimentCols = 28;
struct ExperimentTable {
  std::array<std::array<double, kExperimentCols>, kExperimentRows> row{};
  std::array<double, 11> par{};  // the current parameter row, entries 1..10
  int current = 0;               // the row being processed, 0 outside a plan
};

// The columns of a result row that the reduction writes after an accepted observation
// (writeResultRow): the means of dR (thousand km), |dL| and |dB| (arc seconds), and their root
// mean squares. resultColumns gives the triple the criterion uses ("+ Sqr(E(dR^2)/N)": the rms).
inline constexpr std::size_t kColMeanDR = 13, kColMeanAbsDL = 14, kColMeanAbsDB = 15;
inline constexpr std::size_t kColRmsDR = 25, kColRmsDL = 26, kColRmsDB = 27;
struct ResultColumns {
  std::size_t dR, dL, dB;
};
inline constexpr ResultColumns resultColumns(bool rms) {
  return rms ? ResultColumns{kColRmsDR, kColRmsDL, kColRmsDB}
             : ResultColumns{kColMeanDR, kColMeanAbsDL, kColMeanAbsDB};
}

// The plan parameters of an object (option "План"): fills the orbit parameters of object I at the
// date State::JD from the current parameter row (entries 1..9) and the start date; `epochJD`
// tells that they are referred to the equinox of the date (the caller then precesses). False on
// a failure.
using PlanParameters = bool (*)(State& s, int I, const ExperimentTable& t, double JDep,
                                bool epochJD);
// Default: row entries 1 Rsr (m), 2 Eks, 3 Betta, 4 AlfaP, 5 AlfaU (degrees), 6 Wsr (rad per
// century), 7 AlfaL0 (degrees, at the start date JDep), 8 dP11, 9 dU11 (rad per century: the
// motions of the perihelion and the node); with tc = (JD - JDep)/36525:
//   AlfaL = AlfaL0 + Wsr tc, AlfaP = AlfaP + dP11 tc, AlfaU = AlfaU + dU11 tc,
//   W0sr = Wsr/(36525 sekD). False for a non-positive axis or an eccentricity outside 0..1.
bool defaultPlanParameters(State& s, int I, const ExperimentTable& t, double JDep, bool epochJD);

struct ObsPlan;
// The link of a plan series to the reduction, one object handed to the run (setPlanLink): how
// option "План" fills an object's parameters, and the plan of screen 13 whose perturbation plan
// ("план возмущений", ObsPlan::pert, pertNo) makes coefficients 1..8 of one perturber of
// PlanetPert parameters 2..9 of the current experiment row (State::PertPlan, set for each pass).
// The default: defaultPlanParameters, no plan.
struct PlanLink {
  PlanParameters parameters = defaultPlanParameters;
  const ObsPlan* plan = nullptr;  // read at every pass; owned by the plan screen
};

// dL, dB fold: a difference above 300 degrees loses 360, one below -300 gains 360.
double foldResidual(double d);

// The rejection test of step 26: true when accepted.
bool acceptedByLimit(ObsCriterion c, double limit, double dL, double dR);

// The result-row columns and the criterion after an accepted observation (step 26).
void writeResultRow(const Accumulators& a, std::array<double, kExperimentCols>& row);
double criterionOf(const std::array<double, kExperimentCols>& row, ObsCriterion c, bool rms);

// ---- the files of the run ----
// Dat/Ras_data_<ObsName><Npl>_<FileNo>.txt and Dat/Bad_data<ObsName><Npl>_<FileNo>.txt.
std::string tracePath(const State& s);
std::string badDataPath(const State& s);
// The headers written at "Начать" (six lines each).
std::string traceHeader(const State& s);
std::string badDataHeader(const State& s);
// One traced line: Lk, Bk of object I, the record date, JD and the label.
// nullopt when a value is not finite or too long for the line's formats (the line is not written).
std::optional<std::string> traceLine(const State& s, double L, double B, double JD,
                                     std::string_view label);
// The observation line of the trace after step 24.
std::optional<std::string> traceObservationLine(const State& s, double Lnab, double Bnab, double JD);
// One line of the Bad_data file; nullopt when a value cannot be written (not finite or beyond
// the integers).
std::optional<std::string> badDataLine(const State& s, const PassResult& r);

// ---- the run ----

enum class LoopEnd {
  Stopped,     // kStop = 1 at the end of a pass ("Остановить", "Сделать 1 шаг")
  YearPassed,  // the table date passed YearEnd
  SourceEnded, // the observatory file ended
  Failed,      // a failure (reported)
};

class ObservationRun;

// What the loop asks of the screen (or of the command line).
class ReductionObserver {
 public:
  virtual ~ReductionObserver() = default;
  // The options of the pass (read at its start).
  virtual PassOptions passOptions() = 0;
  // B.1-B.2: the date of the record or the table step is known (State::Year, Month, Day; the
  // date text `dateText`); the run shows JD through passDone.
  virtual void sourceDate(const ObservationRun&, const std::string& dateText) { (void)dateText; }
  // Step 14 (unless "без анимации"): the bodies are in ecliptic-of-date positions.
  virtual void orbitView(const ObservationRun&, const PassResult&) {}
  // The end of a pass that compared, or skipped, an observation: show and draw.
  virtual void passDone(const ObservationRun&, const PassResult&) {}
  // A.8: the limit lines at "Начать".
  virtual void limitLines(const ObservationRun&) {}
  // B.27: the boxes that may change during a run; nullopt keeps those in use.
  virtual std::optional<LiveInputs> liveInputs() { return std::nullopt; }
  // B.28: the pause, milliseconds.
  virtual void pause(double ms) { (void)ms; }
  // B.28: the window processes its pending events ("Остановить" sets kStop there).
  virtual void processEvents() {}
};

// An observer with fixed options that shows nothing: the command line, tests, benchmarks. Every
// pass result is handed to `onPass` when it is set.
class PlainObserver : public ReductionObserver {
 public:
  explicit PlainObserver(PassOptions o) : opt(o) {}
  PassOptions passOptions() override { return opt; }
  void passDone(const ObservationRun& run, const PassResult& r) override {
    if (onPass) onPass(run, r);
  }
  PassOptions opt;
  std::function<void(const ObservationRun&, const PassResult&)> onPass;
};

// Reads / Writes (State) of a run (start, loop, pass, reduce together; the theories, PlanetPert,
// MoonPert, ETUTsel and the source readers it calls document their own):
//   Reads:  Npl, ObsName, FileNo, SrcKind, kEnd, the record's Day, Month, Year, Hh, Mm; VXsys,
//           VYsys, VZsys (the absolute velocity of the system, km/s), Vsv, MK, kUgol, sekD,
//           JD2000, m, massSet, the ET-UT settings, report, sink.
//   Writes: JD, JDE, ETUT, JDep, kodBary, kodMoon, gamma and the mass set; X, Y, Z, VX, VY, VZ of
//           the slots 0 (the Sun), 3 (the Earth), 11 (the Moon), 12 (the observer), Npl, and the
//           J2000 positions aside in 23 and Npl + 20; Lk, Bk; Dolg, Shir, Rast and the pair tables
//           (astro::sph); Pmat, I; Tau, Agor, Hgor (visibility, refraction); the orbit parameters
//           R0sr, Eks0, Betta0, AlfaP0, AlfaU0, W0sr, AlfaL of a planned object; PertPlan;
//           DayNab, MonthNab, YearNab, HourNab (the record); at start YearBeg, YearEnd, CalType,
//           Hour0, ObsL, ObsB, Prec, DateError; kStop (stop, one step, failure).
class ObservationRun {
 public:
  explicit ObservationRun(State& s);
  ObservationRun(const ObservationRun&) = delete;
  ObservationRun& operator=(const ObservationRun&) = delete;

  // "Начать", A.1-A.8: the checks (their messages through State::report), the initialisation,
  // the files. False when the run is not started.
  bool start(const ReductionInputs& in, ReductionObserver& obs);
  // The loop of passes until kStop, the end of the source or a failure (A.9, B.28).
  LoopEnd loop(ReductionObserver& obs);
  // One pass, B.1-B.27 (the loop calls it; true unless it failed). `sourceEnded` is set when the
  // observatory file had no further record (B.1 -> B.28).
  bool pass(ReductionObserver& obs, bool& sourceEnded);

  // "Остановить": kStop = 1.
  void requestStop();
  // "Продолжить": kStop = 0. False when no run was started.
  bool resume();
  // "Сделать 1 шаг": kStop = 1 so that the loop makes exactly one pass. False without a run.
  bool prepareOneStep();

  // ---- state ----
  bool started() const { return started_; }
  bool running() const { return running_; }
  const ReductionInputs& inputs() const { return in_; }
  const LiveInputs& live() const { return live_; }
  const PassOptions& options() const { return opt_; }
  const Accumulators& acc() const { return acc_; }
  const ResidualClasses& classes() const { return classes_; }
  const PassResult& last() const { return last_; }
  ExperimentTable& experiments() { return exp_; }
  const ExperimentTable& experiments() const { return exp_; }
  double JDep() const { return JDep_; }
  double kW() const { return kW_; }
  double criterion() const { return criterion_; }
  long passes() const { return passes_; }
  long compared() const { return compared_; }
  long rejected() const { return rejected_; }
  bool tableSource() const { return tab_; }
  State& state() const { return s_; }

  // The plan link used from the next pass on.
  void setPlanLink(const PlanLink& link) { link_ = link; }
  const PlanLink& planLink() const { return link_; }

  // Resets the accumulators and the counters of the passes (A.4; before each experiment).
  void resetAccumulators();

  // The reduction of one observation at s.JD (B.3-B.26 without the source step): Lnab, Bnab are
  // the observed values; the result and the accumulators are updated. Public for the tests and the
  // benchmark. False on a failure (reported).
  bool reduce(double Lnab, double Bnab, ReductionObserver& obs);

 private:
  bool sourceStep(ReductionObserver& obs, bool& ended, double& Lnab, double& Bnab);
  template <class Shown>
  bool tableStep(State& s, Shown shown) const;
  void prefetchTable();
  static constexpr int kFirstTableBatch = 16, kLastTableBatch = 512;
  int tableBatch_ = kFirstTableBatch;
  bool theoryPositions(const PassOptions& o, double JDsave);
  bool earthFromTheory(const PassOptions& o, double JDsave);
  bool moonFromTheory(const PassOptions& o, double JDsave);
  bool planetFromTheory(const PassOptions& o, double JDsave);
  bool elementsToState(int I);
  void setPertPlan();
  bool visibilityTest(const PassOptions& o, double T, double LST, PassResult& r);
  bool apparentPlace(const PassOptions& o, double T, double LST, int aside, PassResult& r);
  void compare(const PassOptions& o, PassResult& r);
  bool trace(int I, std::string_view label);
  bool traceValues(double L, double B, std::string_view label);
  void row(PassResult& r, int k, int I);
  bool fail();

  State& s_;
  ReductionInputs in_;
  LiveInputs live_;
  PassOptions opt_;
  Accumulators acc_;
  ResidualClasses classes_;
  ExperimentTable exp_;
  PassResult last_;
  PlanLink link_;
  bool started_ = false, running_ = false, tab_ = false;
  bool classesOn_ = false;
  bool traceOn_ = false;      // "+File Отладка" during the current pass
  double JDep_ = 0;
  double JDsave_ = 0;
  double kW_ = 0, criterion_ = 0;
  long passes_ = 0, compared_ = 0, rejected_ = 0;
  std::string traceRel_;
};

}  // namespace orvant
