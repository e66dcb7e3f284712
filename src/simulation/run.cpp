#include "simulation/run.h"

#include <cmath>
#include <ctime>

#include "astro/transform.h"
#include "ephemeris/jpl.h"
#include "ephemeris/theory_planets.h"
#include "astro/twobody.h"
#include "model/calendar.h"
#include "model/format.h"
#include "model/messages.h"
#include "statistics/records.h"
#include "model/textfile.h"

namespace orvant::simulation {

namespace {

constexpr const char* kBadData = "Задайте правильно данные";
constexpr const char* kWriteError = "Ошибка записи данных в файл";
constexpr const char* kNoFile = "Не могу найти файл ";
constexpr const char* kReadError = "Ошибка чтения данных из файла ";
constexpr const char* kObjectRange = "номер объекта должен быть от 0 до 10";
constexpr const char* kPlanetRange = "Номер планеты для вычисления параметров должен быть от 1 до 10";
constexpr const char* kSimulatorEnergy =
    "В имитаторах энергия системы считается только для Луны вместе с Землей\n"
    "      (если надо то задайте на форме 1 движение Луны и Земли совместное)";
constexpr const char* kTheoryObject =
    "     В имитаторах New0 и JPL0 не может быть номер объекта 0 или 10\n"
    "и не может быть задано на форме 1 отдельно движение Луны и Земли";
constexpr const char* kJpl2Object =
    "     В имитаторе JPL2 объектом 10 может быть только Луна\n"
    "(если надо то задайте на форме 1 отдельно движение Луны и Земли)";

constexpr int k16 = 32767;  // the largest 16-bit count

}  // namespace

bool validLive(const LiveInputs& live) {
  return std::isfinite(live.H0) && live.H0 > 0 && live.NC0 >= 1 && live.NC0 <= k16 &&
         live.kShag >= 1 && live.kShag <= k16 && live.NExp >= 0 && live.NExp <= k16 &&
         std::isfinite(live.VgrFactor) && std::isfinite(live.Rpow);
}

std::string nowText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M:%S", &local);
  return buf;
}

std::string runRecordPath(bool model, Simulator sim, int N, int k, int e) {
  using statistics::Source;
  if (model) return statistics::recordPath(Source::Model, N, k, e);
  return statistics::recordPath(sim == Simulator::New0 ? Source::New : Source::JPL, N, k, e);
}

ExperimentRun::ExperimentRun(State& s) : s_(s) {}

double ExperimentRun::realSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Timer0_).count();
}

// ---- start ----

bool ExperimentRun::validate(const RunInputs& in) {
  const int n = in.Ntr;
  if (n < 0 || n > 10) {
    s_.report(kObjectRange, kTitle70);
    return false;
  }
  if (!validLive(in.live) || !std::isfinite(in.dAlfa) || in.dAlfa <= 0 || in.dAlfa >= 90 ||
      !std::isfinite(in.kPgr) || (in.kDir != 1 && in.kDir != -1) ||
      (in.Icen2 != kCentreOrigin && in.Icen2 != kCentreSun && in.Icen2 != kCentreEarth)) {
    s_.report(kBadData, kTitle7);
    return false;
  }
  if (in.findParams && (n < 1 || n > 10)) {
    s_.report(kPlanetRange, kTitle7);
    return false;
  }
  if (!in.model) {
    if (s_.kodMoon == 1 && in.energy) {
      s_.report(kSimulatorEnergy, kTitle70);
      return false;
    }
    if (in.simulator != Simulator::JPL2 && (s_.kodMoon == 1 || n == 0 || n == 10)) {
      s_.report(kTheoryObject, kTitle70);
      return false;
    }
    if (in.simulator == Simulator::JPL2 && s_.kodMoon == 0 && n == 10) {
      s_.report(kJpl2Object, kTitle70);
      return false;
    }
  }
  return true;
}

bool ExperimentRun::start(const RunInputs& in) {
  if (!validate(in)) return false;

  // Reset.
  started_ = false;
  in_ = in;
  live_ = in.live;
  s_.kStop = 0;
  kDir_ = in.kDir;
  h_ = live_.H0;
  Ncnt_ = 0;
  records_ = 0;
  steps_ = 0;
  JD0_ = s_.JD0;
  s_.JD = JD0_;
  s_.JDjpl = s_.JD;
  t_ = 0;
  dTmod_ = 0;
  JDstop_ = 0;
  if (in.stopYear && std::abs(in.YearStop) < 1000000) {
    // Only for the progress shown: the calendar's failure message must not reach the screen.
    MessageSink* const sink = s_.sink;
    const std::string text = s_.lastMessage, title = s_.lastTitle;
    const int16 dateError = s_.DateError;
    s_.sink = nullptr;
    JDstop_ = JDfromDate(s_, 1, 1, in.YearStop + 1);
    s_.sink = sink;
    s_.lastMessage = text;
    s_.lastTitle = title;
    s_.DateError = dateError;
  }
  const int n = in.Ntr;
  NtrF_ = (s_.kodMoon == 1 && n == 10) ? 11 : n;
  recordPath_.clear();
  xyzPath_.clear();

  if (!setUpMode()) return false;
  if (s_.kodMoon == 1) {
    s_.m[3] = s_.m[13];
    s_.m[10] = s_.m[11];
  }

  // Initial state. The model carries the system velocity and the direction of time in its
  // velocities; the simulators take their velocities from the theories, forward in time, so
  // their energy check starts from the forward velocities as well.
  const int dir = in.model ? kDir_ : 1;
  for (int i = 0; i <= kNob; ++i) {
    s_.X[i] = s_.X0[i];
    s_.Y[i] = s_.Y0[i];
    s_.Z[i] = s_.Z0[i];
    s_.VX[i] = (1000 * s_.VXsys + s_.VX0[i]) * dir;
    s_.VY[i] = (1000 * s_.VYsys + s_.VY0[i]) * dir;
    s_.VZ[i] = (1000 * s_.VZsys + s_.VZ0[i]) * dir;
  }
  loadState(s_, w_);
  applyModelInputs();
  if (!startEnergyCheck(s_, energy_, M_)) {
    s_.report(kBadData, kTitle7);
    return false;
  }
  const double Tsid = s_.Tsid[static_cast<std::size_t>(NtrF_)];
  if (in.findParams) beginExtraction(s_, x_, n, in.Icen2, in.dAlfa, Tsid, kDir_);
  else x_ = OrbitExtraction{};
  NP1max_ = expectedRecords(in.YearStop, s_.Year1, Tsid);

  if (!setUpFiles()) return false;
  Timer0_ = std::chrono::steady_clock::now();
  started_ = true;
  return true;
}

bool ExperimentRun::setUpMode() {
  if (in_.model) {
    M_ = kNob;
    ModeStr_ = (in_.oto ? "OTO  " : "КЛАССИКА  ") + in_.source;
    return true;
  }
  M_ = 9;
  int set = 2;
  switch (in_.simulator) {
    case Simulator::New0:
      set = 1;
      ModeStr_ = "NEW_0";
      break;
    case Simulator::JPL0:
      ModeStr_ = "JPL_0";
      break;
    case Simulator::JPL2:
      ModeStr_ = "JPL_DE405 ";
      break;
  }
  setMassSet(s_, set);
  s_.gamma = gammaOfMassSet(set);
  if (in_.simulator == Simulator::JPL2) {
    if (s_.JPLisOpen == 10) JPLclose(s_);
    const JplStatus st = JPLopen(s_);
    if (st != JplStatus::Ok) return jplFailed(static_cast<int>(st));
  }
  return true;
}

bool ExperimentRun::setUpFiles() {
  const std::string now = nowText();
  RunDescription d;
  d.e = live_.NExp;
  d.N = NtrF_;
  d.now = now;
  d.ModeStr = ModeStr_;
  d.H0 = live_.H0;
  d.kShag = live_.kShag;
  d.dAlfa = in_.dAlfa;
  d.kodVgr = live_.kodVgr ? 1 : 0;
  d.Vgr = s_.Vgr;
  if (in_.writeRecords) {
    const std::string path = runRecordPath(in_.model, in_.simulator, NtrF_, s_.NPlan, live_.NExp);
    if (!statistics::createRecordFile(s_, path, recordHeader(s_, d), NP1max_, JD0_)) return false;
    recordPath_ = path;
  }
  if (in_.writeXYZ) {
    const std::string path = coordinatePath(NtrF_, live_.NExp);
    std::string text;
    for (const std::string& line : coordinateHeader(s_, d)) text += line + "\n";
    if (!writeFileAtomically(fullPath(s_, path), text, true)) {
      s_.report(std::string(kWriteError) + "\n" + displayPath(path), kTitle7);
      return false;
    }
    xyzPath_ = path;
  }
  return true;
}

void ExperimentRun::applyModelInputs() {
  s_.kodVgr = live_.kodVgr ? 1 : 0;
  s_.Vgr = live_.VgrFactor * s_.Vsv;
  s_.Rpow = live_.Rpow;
  s_.kodOTO = in_.oto ? 1 : 0;
  if (in_.model) prepareIntegrator(s_, w_);
}

void ExperimentRun::setLive(const LiveInputs& live) {
  if (!validLive(live)) return;
  live_ = live;
  applyModelInputs();
  if (!in_.findParams) h_ = live_.H0;
}

// ---- commands on a started run ----

void ExperimentRun::requestStop() { s_.kStop = 1; }

bool ExperimentRun::resume(int kDirOption, const LiveInputs& live) {
  if (!started_) return false;
  s_.kStop = 0;
  Ncnt_ = 0;
  const int dir = kDirOption < 0 ? -1 : 1;
  if (dir != kDir_ && in_.model) {
    for (int k = 3 * kBodies; k <= kNeq; ++k) w_.S[k] = -w_.S[k];
    energy_.M0sys = -energy_.M0sys;
  }
  kDir_ = dir;
  x_.kDir = dir;
  setLive(live);
  return true;
}

bool ExperimentRun::prepareSteps(const LiveInputs& live) {
  if (!started_) return false;
  s_.kStop = 1;
  Ncnt_ = 0;
  stepsArmed_ = running_;
  setLive(live);
  return true;
}

// ---- the loop ----

RunEnd ExperimentRun::loop(RunObserver& observer) {
  if (!started_) return RunEnd::Failed;
  running_ = true;
  for (;;) {
    // 1. The motion step of size h.
    const double hStep = h_;
    if (!advanceBodies()) return finish(RunEnd::Failed);
    ++steps_;
    // 2. Orbit parameters of n; the next h.
    if (in_.findParams) {
      const unsigned ev = extractionStep(s_, x_, t_, live_.H0, live_.kShag, h_);
      if (ev != 0 && !passage(ev, observer)) return finish(RunEnd::Failed);
    }
    // 3. Time, by the step the bodies made. The date is counted from JD0 by the elapsed time
    // (a sum of whole seconds for the usual steps, exact) rather than by adding h/86400 to a
    // Julian date at every step, which would accumulate its rounding.
    t_ += hStep;
    ++Ncnt_;
    dTmod_ += kDir_ * hStep;
    s_.JDjpl = JD0_ + dTmod_ / 86400;
    s_.JD = s_.JDjpl;
    if (!DateFromJD(s_, s_.JD)) return finish(RunEnd::Failed);
    // 4. The end year.
    if (in_.stopYear && s_.Year >= in_.YearStop + 1) return finish(RunEnd::YearReached);
    // 5.-7. Display point every NC0 steps.
    if (Ncnt_ < live_.NC0) continue;
    Ncnt_ = 0;
    if (!displayPoint(observer)) return finish(RunEnd::Failed);
    if (s_.kStop != 1) observer.processEvents();
    if (s_.kStop == 1) {
      if (!stepsArmed_) return finish(RunEnd::Stopped);
      stepsArmed_ = false;  // "NC0 шагов" during this display point: NC0 more steps
    }
  }
}

RunEnd ExperimentRun::finish(RunEnd how) {
  running_ = false;
  stepsArmed_ = false;
  if (records_ > NP1max_) fixRecordCount();
  return how;
}

// The record file announces at most NP1max records on its line 5, and its readers refuse a file
// holding more. A run that went on past the end year it was planned for (the box unticked, or
// continued after it) has written more: line 5 is then rewritten with the number written, so that
// the file stays readable.
void ExperimentRun::fixRecordCount() {
  if (recordPath_.empty()) return;
  const auto path = fullPath(s_, recordPath_);
  std::vector<std::string> lines;
  if (readLines(path, lines) != ReadStatus::Ok || lines.size() < 5) return;
  PrintLine line5;
  line5.integer(records_).stored(JD0_, 100);
  if (!line5.ok()) return;  // JD0 was written by the same conversion at the start
  lines[4] = line5.str();
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  if (!writeFileAtomically(path, text)) {
    s_.report(std::string(kWriteError) + "\n" + displayPath(recordPath_), kTitle7);
    return;
  }
  NP1max_ = records_;
}

bool ExperimentRun::advanceBodies() {
  if (in_.model) {
    if (!rungeKuttaStep(s_, w_, h_, in_.Ntr)) {
      s_.report(kBadData, kTitle7);
      return false;
    }
    return true;
  }
  if (in_.simulator == Simulator::JPL2) return advanceJpl2();
  return advanceTheory();
}

// New0 and JPL0: the Sun at the origin, the planets by the theory at JD and the two-body
// conversion.
bool ExperimentRun::advanceTheory() {
  s_.X[0] = s_.Y[0] = s_.Z[0] = 0;
  for (int i = 1; i <= 9; ++i) {
    if (in_.simulator == Simulator::New0)
      ThNew0(s_, i);
    else
      ThJ2000(s_, i);
    if (!positionFromParameters(s_, i) || !velocityFromParameters(s_, i) ||
        !std::isfinite(s_.X[i]) || !std::isfinite(s_.VX[i])) {
      s_.report(kBadData, kTitle7);
      return false;
    }
  }
  return true;
}

bool ExperimentRun::jplFailed(int status) {
  switch (static_cast<JplStatus>(status)) {
    case JplStatus::NoDate:  // the reader has shown its message
      break;
    case JplStatus::NoFile:
      s_.report(std::string(kNoFile) + "\\JPL\\ascp" + std::to_string(s_.JPLyear) + ".405", kTitle7);
      break;
    case JplStatus::ReadError:
      s_.report(std::string(kReadError) + "\\JPL\\ascp" + std::to_string(s_.JPLyear) + ".405",
                kTitle7);
      break;
    case JplStatus::Ok:
      return true;
  }
  if (s_.JPLisOpen == 10) JPLclose(s_);
  return false;
}

// JPL2: the record covering JDjpl (the reader only moves forward: a backward run, or a block
// closed by another screen meanwhile, opens the block again at the date), then the Sun, the Earth
// and n; all of 0..9 for the energy check.
bool ExperimentRun::advanceJpl2() {
  if (s_.JPLisOpen != 10 || s_.JPLnr <= 0 || s_.JDjpl < s_.JDrec0) {
    s_.JD = s_.JDjpl;
    const JplStatus st = JPLopen(s_);
    if (st != JplStatus::Ok) return jplFailed(static_cast<int>(st));
  }
  while (s_.JDjpl >= s_.JDrec1) {
    const JplStatus st = JPLnext(s_);
    if (st != JplStatus::Ok) return jplFailed(static_cast<int>(st));
  }
  const int n = in_.Ntr;
  if (in_.energy) {
    for (int k = 0; k <= 9; ++k)
      if (!JPLstate(s_, k)) return false;
  } else {
    if (!JPLstate(s_, 0) || !JPLstate(s_, 3)) return false;
    if (n < 10 && !JPLstate(s_, n)) return false;
  }
  if (n == 10 && s_.kodMoon == 1) {
    if (!JPLstate(s_, 11)) return false;
    s_.X[10] = s_.X[11] + s_.X[3];
    s_.Y[10] = s_.Y[11] + s_.Y[3];
    s_.Z[10] = s_.Z[11] + s_.Z[3];
    s_.VX[10] = s_.VX[11] + s_.VX[3];
    s_.VY[10] = s_.VY[11] + s_.VY[3];
    s_.VZ[10] = s_.VZ[11] + s_.VZ[3];
  }
  return true;
}

bool ExperimentRun::passage(unsigned events, RunObserver& observer) {
  observer.extractionEvent(*this, events);
  if ((events & kEvRecord) && in_.writeRecords && !recordPath_.empty()) {
    // A non-finite orbit parameter (a collapsed orbit, a mass ratio that broke the model) is a
    // numeric failure of the run: the file keeps the records written before it.
    const auto v = recordValues(s_, x_, JD0_, dTmod_, NtrF_);
    if (!v) {
      s_.report(kBadData, kTitle7);
      return false;
    }
    if (!statistics::appendRecord(s_, recordPath_, *v)) return false;
    ++records_;
  }
  return true;
}

void ExperimentRun::computeVpl() {
  const int n = in_.Ntr;
  s_.Vpl = std::sqrt(s_.VX[n] * s_.VX[n] + s_.VY[n] * s_.VY[n] + s_.VZ[n] * s_.VZ[n]);
}

bool ExperimentRun::displayPoint(RunObserver& observer) {
  const int n = in_.Ntr;
  if (in_.energy) {
    if (in_.model) unpackVelocities(s_, w_, M_);
    if (!updateEnergyCheck(s_, energy_, M_)) {
      s_.report(kBadData, kTitle7);
      return false;
    }
  }
  if (!in_.model) computeVpl();
  if (!in_.findParams) {
    if (in_.Icen2 == kCentreOrigin) s_.X[kCentreOrigin] = s_.Y[kCentreOrigin] = s_.Z[kCentreOrigin] = 0;
    SphFrom(s_, in_.Icen2, n);
  }
  if (!xyzPath_.empty()) {
    const double Esys = in_.energy ? energy_.Esys : 0;
    const auto line = coordinateLine(s_, n, dTmod_, s_.Rast, Esys);
    if (!line) {  // a non-finite coordinate: a numeric failure, the file keeps its lines
      s_.report(kBadData, kTitle7);
      return false;
    }
    if (!appendLineWhole(fullPath(s_, xyzPath_), *line)) {
      s_.report(std::string(kWriteError) + "\n" + displayPath(xyzPath_), kTitle7);
      return false;
    }
  }
  observer.displayPoint(*this);
  if (const auto live = observer.liveInputs()) setLive(*live);
  return true;
}

}  // namespace orvant::simulation
